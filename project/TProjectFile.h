/** @file TProjectFile.h ** The project file's lines: what a ".pmp" file holds, read from and
 ** written to bytes (QtCore only). **/
#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

/// One file of a project: its "Filename" and "Path" (the folder with its trailing "/").
struct TProjectItem
{
    QString fileName;
    QString path;

    bool operator==(const TProjectItem&) const = default;
};

/// Path followed by Filename.
QString projectItemPath(const TProjectItem& item);
/// Splits a full path after its last "/"; a name without one has an empty Path.
TProjectItem projectItemFor(const QString& fullPath);
/// The project list's order: by file name without regard to case, then as written, then by
/// folder, so that the order never depends on the order of adding.
bool projectItemLess(const TProjectItem& a, const TProjectItem& b);

/// The floating notes window as the project keeps it, in pixels.
struct TNotesWindowState
{
    bool visible = false;
    int top = 85;
    int left = 154;
    int width = 269;
    int height = 232;

    bool operator==(const TNotesWindowState&) const = default;
};

/// Everything a project file holds.
struct TProjectData
{
    QString name;
    QList<TProjectItem> files; ///< in the list's order
    TNotesWindowState notesWindow;
    /// False when the file ended before its notes window line (or that line was empty):
    /// the notes window then keeps whatever state it has.
    bool hasNotesWindowLine = true;
    QString notes; ///< memo lines joined by "\n"
};

inline const QByteArray projectFileHeader = QByteArrayLiteral("Pagemason Project File");

/// What reading a project file's bytes gave.
struct TProjectRead
{
    enum Outcome { Ok, NotAProjectFile, BadNotesWindowLine };
    Outcome outcome = NotAProjectFile;
    TProjectData data; ///< complete only when outcome is Ok
    QString badLine; ///< the notes window line that holds no four numbers
};

/// Reads the lines of a project file (LF or CR LF; UTF-8 when valid, else Latin-1). Lines 2
/// and 4 are skipped whatever they hold; the file list ends at "Project Notes:"; empty notes
/// lines are dropped. The files come back sorted as the project list keeps them.
TProjectRead readProjectBytes(const QByteArray& bytes);
/// Builds the file: every line ends with CR LF, the notes text last; UTF-8.
QByteArray projectFileBytes(const TProjectData& data);
/// The notes window line: "+" or "-", then Top, Left, Width and Height, each after a space.
QString notesWindowLine(const TNotesWindowState& state);
/// Reads a notes window line; false when its four numbers are not all decimal integers.
bool parseNotesWindowLine(const QString& line, TNotesWindowState& state);
