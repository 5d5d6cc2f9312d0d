/** @file project_utl.cpp ** The open project and its file. **/
#include "project/project_utl.h"

#include "core/errors_utl.h"
#include "core/global_utl.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <algorithm>

bool projectModified = false;

namespace {

/// Larger than any list of files a person keeps; a bigger file is something else.
constexpr qint64 maxProjectFileSize = qint64(256) << 20;

constexpr int notFoundError = 1;
constexpr int notAProjectError = 3;
constexpr int messageError = 14;

} // namespace

TProject& currentProject()
{
    static TProject project;
    return project;
}

void TProject::setName(const QString& name)
{
    if (m_data.name == name)
        return;
    m_data.name = name;
    emit nameChanged();
}

int TProject::addFile(const QString& fullPath)
{
    // A line break inside a name would split it into two lines of the file.
    if (fullPath.isEmpty() || fullPath.contains(u'\n') || fullPath.contains(u'\r'))
        return -1;
    const TProjectItem item = projectItemFor(fullPath);
    if (std::find(m_data.files.cbegin(), m_data.files.cend(), item) != m_data.files.cend())
        return -1;
    const auto at
        = std::upper_bound(m_data.files.begin(), m_data.files.end(), item, projectItemLess);
    const int row = int(at - m_data.files.begin());
    m_data.files.insert(row, item);
    projectModified = true;
    emit filesChanged();
    return row;
}

void TProject::removeFile(int row)
{
    if (row < 0 || row >= m_data.files.size())
        return;
    m_data.files.removeAt(row);
    emit filesChanged();
}

void TProject::setNotes(const QString& notes)
{
    if (m_data.notes == notes)
        return;
    m_data.notes = notes;
    projectModified = true;
    emit notesChanged();
}

void TProject::setNotesWindow(const TNotesWindowState& state)
{
    if (m_data.notesWindow == state)
        return;
    m_data.notesWindow = state;
    emit notesWindowChanged();
}

void TProject::setCaption(const QString& caption)
{
    if (m_caption == caption)
        return;
    m_caption = caption;
    emit captionChanged();
}

void TProject::assign(const TProjectData& data, const QString& caption)
{
    const TNotesWindowState window = m_data.notesWindow;
    m_data = data;
    if (!data.hasNotesWindowLine)
        m_data.notesWindow = window;
    m_data.hasNotesWindowLine = true;
    m_caption = caption;
    emit nameChanged();
    emit filesChanged();
    emit notesChanged();
    emit notesWindowChanged();
    emit captionChanged();
}

void TProject::clear()
{
    TProjectData empty;
    empty.hasNotesWindowLine = false;
    assign(empty, QString());
}

QString folderOf(const QString& fileName)
{
    QString folder = QFileInfo(fileName).absolutePath();
    if (!folder.endsWith(u'/'))
        folder += u'/';
    return folder;
}

bool loadProject(const QString& fileName)
{
    if (fileName.isEmpty())
        return false;
    const QFileInfo info(fileName);
    if (!info.exists()) {
        showError(notFoundError, fileName);
        return false;
    }
    // A folder, a device or a pipe is no project file, and reading one might never end.
    if (!info.isFile()) {
        showError(notAProjectError, fileName);
        return false;
    }
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly)) {
        showError(messageError,
            QStringLiteral("The project file\r\n") + fileName
                + QStringLiteral("\r\ncould not be read:\r\n") + file.errorString());
        return false;
    }
    // The header decides before anything large is read.
    const QByteArray first = file.readLine(projectFileHeader.size() + 3);
    QByteArray head = first;
    while (head.endsWith('\n') || head.endsWith('\r'))
        head.chop(1);
    if (head != projectFileHeader || (!first.endsWith('\n') && !file.atEnd())) {
        showError(notAProjectError, fileName);
        return false;
    }
    if (file.size() > maxProjectFileSize) {
        showError(messageError,
            QStringLiteral("The project file\r\n") + fileName
                + QStringLiteral("\r\nis too large to be a project file."));
        return false;
    }
    QByteArray bytes = first + file.readAll();
    if (file.error() != QFileDevice::NoError) {
        showError(messageError,
            QStringLiteral("The project file\r\n") + fileName
                + QStringLiteral("\r\ncould not be read:\r\n") + file.errorString());
        return false;
    }
    file.close();
    const TProjectRead read = readProjectBytes(bytes);
    bytes.clear();
    switch (read.outcome) {
    case TProjectRead::NotAProjectFile:
        showError(notAProjectError, fileName);
        return false;
    case TProjectRead::BadNotesWindowLine:
        showError(messageError,
            QStringLiteral("The project file\r\n") + fileName
                + QStringLiteral("\r\ncould not be read: its notes window line\r\n\"")
                + read.badLine + QStringLiteral("\"\r\ndoes not hold four whole numbers."));
        return false;
    case TProjectRead::Ok:
        break;
    }
    projectFileName = fileName;
    projectDir = folderOf(fileName);
    currentProject().assign(read.data, fileName);
    projectModified = false;
    emit currentProject().loaded(fileName);
    return true;
}

bool saveProject(const QString& fileName)
{
    if (fileName.isEmpty())
        return false;
    TProject& project = currentProject();
    projectFileName = fileName;
    projectDir = folderOf(fileName);
    project.setCaption(fileName);
    const QByteArray bytes = projectFileBytes(project.data());
    QSaveFile file(fileName);
    QString error;
    // Unbuffered: a short write shows at once. Through the buffer a full disk would surface
    // only in commit's flush, which does not report it, and commit would rename a torn file.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        error = file.errorString();
    else if (file.write(bytes) != bytes.size())
        error = file.errorString();
    else if (!file.commit())
        error = file.errorString();
    if (!error.isEmpty()) {
        file.cancelWriting();
        // Still modified: the close question must come again, the file does not hold it.
        projectModified = true;
        showError(messageError,
            QStringLiteral("The project file\r\n") + fileName
                + QStringLiteral("\r\ncould not be saved:\r\n") + error);
        return false;
    }
    projectModified = false;
    return true;
}

void newProject()
{
    projectFileName.clear();
    currentProject().clear();
    projectModified = false;
}

bool addFileToProject(const QString& fullPath)
{
    return currentProject().addFile(fullPath) >= 0;
}
