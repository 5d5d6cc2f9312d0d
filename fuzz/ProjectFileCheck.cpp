/** @file ProjectFileCheck.cpp ** Property checks of the project file's reader and writer. **/
#include "fuzz/ProjectFileCheck.h"

#include "fuzz/ScratchFile.h"
#include "project/TProjectFile.h"

#include <QRegularExpression>

namespace pmfuzz {

namespace {

    /// The notes as the memo keeps them: a lone CR is a line break too, empty lines go.
    QString memoNotes(const QString& notes)
    {
        static const QRegularExpression breaks(QStringLiteral("\r\n|\r|\n"));
        return notes.split(breaks, Qt::SkipEmptyParts).join(u'\n');
    }

    QString compare(const TProjectData& before, const TProjectData& after)
    {
        if (before.name != after.name)
            return u"the name \""_qs + shown(before.name) + u"\" became \""_qs + shown(after.name)
                + u'"';
        if (before.files.size() != after.files.size())
            return QStringLiteral("%1 files became %2")
                .arg(before.files.size())
                .arg(after.files.size());
        for (qsizetype i = 0; i < before.files.size(); ++i)
            if (!(before.files.at(i) == after.files.at(i)))
                return u"the file \""_qs + shown(projectItemPath(before.files.at(i)))
                    + u"\" became \""_qs + shown(projectItemPath(after.files.at(i))) + u'"';
        if (!(before.notesWindow == after.notesWindow))
            return u"the notes window \""_qs + notesWindowLine(before.notesWindow)
                + u"\" became \""_qs + notesWindowLine(after.notesWindow) + u'"';
        if (memoNotes(before.notes) != after.notes)
            return u"the notes \""_qs + shown(before.notes) + u"\" became \""_qs
                + shown(after.notes) + u'"';
        return {};
    }

} // namespace

QString checkProjectFile(const QByteArray& bytes)
{
    const TProjectRead read = readProjectBytes(bytes);
    if (read.outcome == TProjectRead::NotAProjectFile) {
        QByteArray first = bytes.left(bytes.indexOf('\n'));
        if (first.endsWith('\r'))
            first.chop(1);
        if (!bytes.isEmpty() && first == projectFileHeader)
            return QStringLiteral("a file with the project header was not read");
        return {};
    }
    if (read.outcome == TProjectRead::BadNotesWindowLine) {
        TNotesWindowState state;
        if (read.badLine.isEmpty() || parseNotesWindowLine(read.badLine, state))
            return u"the notes window line \""_qs + shown(read.badLine)
                + u"\" was blamed but reads"_qs;
        return {};
    }
    for (qsizetype i = 1; i < read.data.files.size(); ++i)
        if (projectItemLess(read.data.files.at(i), read.data.files.at(i - 1)))
            return QStringLiteral("the files are not in the list's order at %1").arg(i);

    const QByteArray saved = projectFileBytes(read.data);
    const TProjectRead again = readProjectBytes(saved);
    if (again.outcome != TProjectRead::Ok)
        return u"a save did not read back: "_qs
            + (again.outcome == TProjectRead::NotAProjectFile
                    ? QStringLiteral("not a project file")
                    : u"bad notes window line \""_qs + shown(again.badLine) + u'"');
    if (!again.data.hasNotesWindowLine)
        return QStringLiteral("a save has no notes window line");
    if (QString broken = compare(read.data, again.data); !broken.isEmpty())
        return u"a save changed what a read sees: "_qs + broken;
    // The memo keeps no lone CR and no empty line: a save of such notes differs only there.
    TProjectData asMemo = read.data;
    asMemo.notes = memoNotes(asMemo.notes);
    if (projectFileBytes(again.data) != projectFileBytes(asMemo))
        return QStringLiteral("saving what was read changed the bytes");
    return {};
}

} // namespace pmfuzz
