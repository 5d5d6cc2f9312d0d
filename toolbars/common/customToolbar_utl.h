/** @file customToolbar_utl.h ** The toolbar descriptions, the menu commands their buttons name,
 ** and the toolbar file with its older format. **/
#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>
#include <cstdint>
#include <functional>

class QObject;

/// A menu item's click handler; `sender` is what was clicked (a toolbar button).
using TMenuCommandAction = std::function<void(QObject* sender)>;

/// One command a toolbar button can run.
struct TMenuCommand
{
    QString Name; ///< the menu item's component name; buttons refer to commands by it
    QString CaptionPath; ///< the captions of its menu path joined by "|", without any "&"
    TMenuCommandAction Action; ///< empty for items that run nothing (submenus)
    int32_t Tag = -1;
};

class TMenuCommands
{
public:
    void clear();
    /// Appends a new command: empty texts, no action, tag -1.
    TMenuCommand& add();
    qsizetype count() const { return m_items.size(); }
    const TMenuCommand& at(qsizetype i) const { return m_items.at(i); }
    /// The first command with exactly this name, or -1.
    int32_t indexOfName(const QString& name) const;
    /// The name of command `index`; empty for -1 and for indexes past the end.
    QString nameAt(int32_t index) const;

private:
    QList<TMenuCommand> m_items;
    mutable QHash<QString, int32_t> m_byName; ///< built on first look-up, dropped on change
};

/// Place of a button's glyph beside its caption.
enum : uint8_t { blGlyphLeft = 0, blGlyphRight = 1, blGlyphTop = 2, blGlyphBottom = 3 };
/// What a button shows.
enum : uint8_t { dmGlyphAndText = 0, dmGlyphOnly = 1, dmTextOnly = 2 };
/// Caption font styles, a set of bits.
enum : uint8_t { fsBold = 1, fsItalic = 2, fsUnderline = 4, fsStrikeOut = 8 };

/// A button or a separator of a toolbar. The first four fields are not kept in the file: a
/// loaded button always has the values a new one gets.
struct TToolbarElement
{
    uint8_t Layout = blGlyphTop;
    bool WordWrap = true;
    int32_t FontSize = 6;
    uint8_t FontStyle = 0;
    /// 0 button, 1 separator; any other value is neither and produces nothing.
    uint8_t IsSeparator = 0;
    QString Caption = QStringLiteral("New Button");
    QString GlyphFileName;
    uint8_t NumGlyphs = 1; ///< pictures side by side in the glyph file
    QString Hint;
    int32_t Width = 48;
    int32_t Height = 28;
    int32_t CommandIndex = -1; ///< into the toolbar's commands; -1 none
    uint8_t DisplayMode = dmGlyphAndText;

    /// A new separator element.
    static TToolbarElement separator();
    bool operator==(const TToolbarElement&) const = default;
};

/// One toolbar description.
class TToolbar
{
public:
    TToolbar();
    QString ToolbarName = QStringLiteral("New Toolbar");
    uint8_t Visible = 1;
    TMenuCommands* Commands = nullptr; ///< shared, not owned
    QList<TToolbarElement> Elements;

    /// Tells descriptions apart while they are edited, moved and copied: a copy keeps it, a
    /// new description gets one no other description of the run has had.
    uint64_t id() const { return m_id; }

private:
    uint64_t m_id;
};

/// The ordered toolbar descriptions and the commands their buttons name.
class TToolbars
{
public:
    TToolbars() = default;
    TToolbars(const TToolbars&) = delete;
    TToolbars& operator=(const TToolbars&) = delete;

    TMenuCommands Commands;
    /// invariant: every toolbar's Commands is &this->Commands.
    QList<TToolbar> Toolbars;

    /// Appends a new toolbar bound to the commands.
    TToolbar& add();
    /// Replaces every toolbar, binding each to the commands.
    void replace(QList<TToolbar> toolbars);
};

/// The descriptions of the run, with their commands.
extern TToolbars toolbarDescriptions;

/// The exact first line of a toolbar file, and of the older format.
inline constexpr char16_t toolbarsFileHeader[] = u"Pagemason Toolbars File - Orvane";
inline constexpr char16_t oldToolbarsFileHeader[] = u"Toolbars File - Orvane";

/// What reading a toolbar file's bytes gave.
struct TToolbarsText
{
    enum Status { Read, WrongHeader, Malformed };
    Status status = Read;
    /// Read: every toolbar of the file, their Commands not yet bound.
    QList<TToolbar> toolbars;
    int errorLine = 0; ///< Malformed: the 1-based line at fault
    QString error; ///< Malformed: what is wrong there
};

/// Reads a toolbar file's text; command names are looked up in `commands`. Never fails on
/// any bytes: a file that ends inside a toolbar keeps what was read of it.
TToolbarsText readToolbarsText(const QByteArray& bytes, const TMenuCommands& commands);
/// The text saveToolbarsFile writes.
QByteArray toolbarsFileText(const TToolbars& descriptions);

/// Replaces the descriptions with the file's toolbars. A missing file fails silently; a wrong
/// header reports code 20; a malformed button reports where (code 14). On any failure the
/// descriptions stay as they were.
bool loadToolbarsFile(TToolbars& descriptions, const QString& fileName);
/// Writes the file atomically; a failure is reported and leaves the old file whole.
bool saveToolbarsFile(const TToolbars& descriptions, const QString& fileName);

/// What converting a file of the older format gave.
struct TOldToolbarsConversion
{
    bool converted = false;
    QByteArray text; ///< converted: the new file's text
    bool wrongHeader = false;
    int errorLine = 0; ///< a malformed button: the 1-based line at fault
    QString error;
};
TOldToolbarsConversion convertOldToolbarsText(const QByteArray& oldBytes);
/// Converts the old file into the new one and tells the user how it went. True when the new
/// file was written.
bool convertOldToolbarsFile(const QString& oldFileName, const QString& newFileName);
