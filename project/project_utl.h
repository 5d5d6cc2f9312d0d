/** @file project_utl.h ** The open project: its name, files, notes and notes window, and the
 ** operations that load, save and change it (QtCore only). Exactly one project is open at any
 ** time; `projectFileName` and `projectDir` live with the other paths in core/global_utl.h,
 ** because the settings read and write them. **/
#pragma once

#include "project/TProjectFile.h"

#include <QObject>

/// The project changed since it was last loaded, saved or created.
extern bool projectModified;

/// The open project's content. The project panel shows it and follows its signals.
class TProject : public QObject
{
    Q_OBJECT
public:
    const QString& name() const { return m_data.name; }
    /// Typing the name does not make the project modified.
    void setName(const QString& name);
    /// invariant: sorted by projectItemLess.
    const QList<TProjectItem>& files() const { return m_data.files; }
    /// Adds the file unless one with the same name and folder (same letter case) is listed;
    /// returns its row, or -1 when nothing was added.
    int addFile(const QString& fullPath);
    void removeFile(int row);
    const QString& notes() const { return m_data.notes; }
    /// Any change of the notes makes the project modified.
    void setNotes(const QString& notes);
    const TNotesWindowState& notesWindow() const { return m_data.notesWindow; }
    /// Showing, hiding, moving or sizing the notes window does not make it modified.
    void setNotesWindow(const TNotesWindowState& state);
    /// What the tools window's caption shows: the project file after a load or save.
    const QString& caption() const { return m_caption; }

    const TProjectData& data() const { return m_data; }
    /// Takes over a whole project read from a file.
    void assign(const TProjectData& data, const QString& caption);
    /// New: no name, files, notes or caption; the notes window keeps its state.
    void clear();
    void setCaption(const QString& caption);

signals:
    void nameChanged();
    void filesChanged();
    void notesChanged();
    void notesWindowChanged();
    void captionChanged();
    /// A project file was loaded (the reopen list follows this).
    void loaded(const QString& fileName);

private:
    TProjectData m_data;
    QString m_caption;
};

/// The one open project.
TProject& currentProject();

/// Reads a project file into the open project. Nothing happens for an empty name; a missing
/// file ("was not found"), a file that is not a project file ("is not a valid project file"),
/// a notes window line without four numbers and a read error are reported, and then the
/// open project stays exactly as it was. On success `projectFileName`, `projectDir` and the
/// caption follow the file and the project is not modified. Never asks to save.
bool loadProject(const QString& fileName);
/// Writes the open project atomically. `projectFileName`, `projectDir` and the caption name
/// the file first; a failed write is reported, leaves the old file whole and keeps the
/// project modified.
bool saveProject(const QString& fileName);
/// New without its question: no file, name, files, notes or caption, and not modified;
/// `projectDir` and the notes window stay as they are.
void newProject();
/// addFile on the open project; true when the file was added.
bool addFileToProject(const QString& fullPath);
/// The folder part of a file name with its trailing "/".
QString folderOf(const QString& fileName);
