/** @file TMenusFile.h ** Reads the dynamic menus file into a plain model of menus, entries and
 ** entry texts, without any widget. **/
#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <cstdint>

/// A menu (top-level or submenu) or an entry of the dynamic menus file.
struct TMenuNode {
    bool isEntry = false;
    QString caption; ///< as written; "&" marks the accelerator, "-" is a separator
    QString name;    ///< menuItemNameFromPath of the path; empty for top-level menus
    int32_t tag = 0; ///< entries: index in the entry-text table (first entry 1); menus: 0
    int line = 0;    ///< 1-based line of the file where the item was opened
    QList<TMenuNode> children; ///< menus only, in file order
};

/// A line of the file that belongs to a template (auto-insert section or entry).
struct TTemplateLine {
    int line = 0; ///< 1-based
    QString text;
};

struct TMenusFile {
    /// Top-level menus whose body was read to its closing line, in file order.
    QList<TMenuNode> menus;
    /// The entry-text table: [0] the auto-insert text, [k] the template of entry k.
    /// invariant: every entry in `menus` has 0 < tag < entryTexts.size()
    QStringList entryTexts;
    /// Filled only when asked for (the command-line check).
    QList<TTemplateLine> templateLines;
    /// 0 when the whole file was read; 1 the file is missing; 4 the file is not valid.
    uint8_t errorCode = 0;
    int errorLine = 0;   ///< 1-based line where reading failed (0 when the file is missing)
    /// Why the file is not valid, in words that name the lines at fault (the command-line check
    /// prints it; the error box keeps the code's own text).
    QString errorReason;
};

/// The exact first line of a dynamic menus file.
inline constexpr char16_t menusFileHeader[] = u"Dynamic Menus File - Orvane";

/// Reads the file with the loader's rules. Never throws; bad input gives errorCode 4.
TMenusFile readMenusFile(const QString& fileName, bool keepTemplateLines = false);

/// Keeps ASCII letters, digits and "_", then drops leading digits.
QString menuItemNameFromPath(const QString& path);

/// The caption of an entry line, cut by count as the file format prescribes.
QString entryCaptionFromLine(const QString& line);
