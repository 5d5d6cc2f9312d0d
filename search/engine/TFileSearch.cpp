/** @file TFileSearch.cpp ** The search run and the replace run over a list of files. **/
#include "search/engine/TFileSearch.h"

#include "core/global_utl.h"
#include "core/status_utl.h"
#include "editor/TMemoSource.h"
#include "search/engine/TBytePrefilter.h"
#include "search/engine/TReplaceBackups.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <cerrno>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QString tr(const char* text)
{
    return QCoreApplication::translate("TFileSearch", text);
}

/// Changes a run makes in one text; every one is bracketed with the run's operation code.
class RunBracket
{
public:
    RunBracket(TMemoSource& text, uint8_t op)
        : m_text(text)
    {
        m_text.beginChange(op);
    }
    ~RunBracket() { m_text.endChange(); }
    RunBracket(const RunBracket&) = delete;
    RunBracket& operator=(const RunBracket&) = delete;

private:
    TMemoSource& m_text;
};

uint8_t nextRunOpCode()
{
    static bool flip = false;
    flip = !flip;
    return flip ? opReplaceInFilesA : opReplaceInFilesB;
}

/// A closed file read the way a document window reads it.
std::unique_ptr<TMemoSource> loadForReplace(const QString& fileName, QString* error)
{
    auto text = std::make_unique<TMemoSource>();
    text->setOptions(TStringsOptions(0x1FF));
    text->setTabStops(QStringLiteral("9,17"));
    if (!text->loadFile(fileName, error))
        return nullptr;
    text->expandTabs(4);
    text->setDelimeters(parserDelimiters);
    text->setModified(false);
    return text;
}

/// The file a replace writes: the one a symbolic link names, so that the link stays a link.
struct WriteTarget
{
    QString name;
    struct stat st
    {
    };
};

bool writeTarget(const QString& fileName, WriteTarget& target, QString* error)
{
    target.name = fileName;
    QByteArray path = QFile::encodeName(fileName);
    if (::lstat(path.constData(), &target.st) != 0) {
        *error = qt_error_string(errno);
        return false;
    }
    if (S_ISLNK(target.st.st_mode)) {
        target.name = QFileInfo(fileName).canonicalFilePath();
        path = QFile::encodeName(target.name);
        if (target.name.isEmpty() || ::stat(path.constData(), &target.st) != 0) {
            *error = qt_error_string(errno);
            return false;
        }
    }
    // The owner's write bit, not access(2): the superuser may write anything, but a file its
    // owner marked read-only is not to be changed by a replace over many files.
    if (!(target.st.st_mode & S_IWUSR)) {
        *error = tr("the file is read-only");
        return false;
    }
    return true;
}

/// Writes the text beside the file and renames it over the file, so that the file is either
/// as it was or whole, with its permissions (and owner, where we may). Unlike a document's
/// save it does not wait for each file to reach the disk, as sed -i does not: a run over
/// thousands of files would otherwise spend most of its time waiting, and the rename already
/// keeps a crash or a full disk from leaving a torn file.
bool writeReplaced(const TMemoSource& text, const WriteTarget& target, QString* error)
{
    static const uid_t uid = ::geteuid();
    static const gid_t gid = ::getegid();
    static const mode_t mask = [] {
        const mode_t m = ::umask(0);
        ::umask(m);
        return m;
    }();
    const QByteArray path = QFile::encodeName(target.name);
    const mode_t mode = target.st.st_mode & 07777;
    QByteArray temp;
    int fd = -1;
    for (int attempt = 0; attempt < 64 && fd < 0; ++attempt) {
        temp = path + ".pm" + QByteArray::number(QRandomGenerator::global()->generate(), 36);
        // Born with the file's own permissions (as far as the umask lets them through).
        fd = ::open(temp.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode & 0777);
        if (fd < 0 && errno != EEXIST)
            break;
    }
    if (fd < 0) {
        *error = qt_error_string(errno);
        return false;
    }
    bool ok;
    {
        QFile out;
        ok = out.open(
                 fd, QIODevice::WriteOnly | QIODevice::Unbuffered, QFileDevice::DontCloseHandle)
            && text.writeTo(out, error);
    }
    if (ok && (target.st.st_uid != uid || target.st.st_gid != gid))
        (void)!::fchown(fd, target.st.st_uid, target.st.st_gid);
    if (ok && (mode & 0777 & ~mask) != mode && ::fchmod(fd, mode) != 0) {
        *error = qt_error_string(errno);
        ok = false;
    }
    if (::close(fd) != 0 && ok) {
        *error = qt_error_string(errno);
        ok = false;
    }
    if (ok && ::rename(temp.constData(), path.constData()) != 0) {
        *error = qt_error_string(errno);
        ok = false;
    }
    if (!ok)
        ::unlink(temp.constData());
    return ok;
}

} // namespace

QString captionFileName(const QString& caption)
{
    return caption.mid(caption.lastIndexOf(u'/') + 1);
}

QString captionFolder(const QString& caption)
{
    return caption.left(caption.lastIndexOf(u'/') + 1);
}

TSearchPos searchStart(const TMemoSource& text, TSearchOptions& options)
{
    TSearchPos pos;
    pos.Index = text.CaretX() + 1;
    pos.Line = text.CaretY();
    options.FirstSearch = true;
    return pos;
}

TSearchRunResult searchInFiles(
    const QList<TSearchEntry>& entries, TSearchOptions options, bool inText, TRunMonitor& monitor)
{
    TSearchRunResult result;
    options.ReplaceWith.clear();
    options.InReplace = false;
    options.ReplaceAll = true;
    options.PromptOnReplace = true;
    options.ShowNotFound = inText;
    TBytePrefilter prefilter(options.TextToFind, options.CaseSensitive, false);
    const int count = int(entries.size());
    for (int i = 0; i < count; ++i) {
        if (monitor.cancelled() || monitor.escapePressed()) {
            result.stopped = true;
            break;
        }
        const TSearchEntry& entry = entries[i];
        monitor.fileStarted(i, count, entry.caption);
        std::unique_ptr<TMemoSource> own;
        TMemoSource* text = entry.document;
        if (!text) {
            QString error;
            const TBytePrefilter::Verdict verdict = prefilter.check(entry.caption, &error);
            if (verdict == TBytePrefilter::NotAFile)
                continue;
            if (verdict == TBytePrefilter::NoMatch) {
                ++result.filesSearched;
                continue;
            }
            own = std::make_unique<TMemoSource>();
            if (verdict == TBytePrefilter::Unreadable || !own->loadFile(entry.caption, &error)) {
                result.unreadable.append(entry.caption + QStringLiteral(": ") + error);
                continue;
            }
            text = own.get();
        }
        ++result.filesSearched;
        TSearchOptions perFile = options;
        TSearchPos pos = searchStart(*text, perFile);
        if (!findText(*text, perFile, pos, text->delimiterSet()))
            continue;
        ++result.filesMatched;
        if (entry.document && inText) {
            const int start = pos.Index - 1;
            const int end = start + int(options.TextToFind.size());
            text->setSelection(smStream, start, pos.Line, end, pos.Line);
            text->setCaret(end, pos.Line);
            result.selectedInDocument.append(i);
            continue;
        }
        addResultRow({ searchMatchDescription, options.TextToFind, QString::number(pos.Index),
            QString::number(pos.Line), captionFileName(entry.caption),
            captionFolder(entry.caption) });
    }
    return result;
}

namespace {

/// One replace run: the state the answers leave, and the files it has written.
class ReplaceRun
{
public:
    ReplaceRun(
        const TSearchOptions& options, TReplaceHost& host, TReplaceBackups* backups, int fileCount)
        : m_options(options)
        , m_host(host)
        , m_backups(backups)
        , m_op(nextRunOpCode())
        , m_prefilter(options.TextToFind, options.CaseSensitive, true)
    {
        m_where.fileCount = fileCount;
    }

    TReplaceRunResult result;

    /// False when the run stops (abort or cancel).
    bool file(int index, const TSearchEntry& entry)
    {
        const QString& name = entry.caption;
        if (entry.document && !QFileInfo(name).isFile())
            return true;
        m_where.file = index;
        m_where.caption = name;
        m_where.replaced = 0;
        m_host.fileStarted(index, m_where.fileCount, name);
        // Escape between matches ends the run here, after the files already done.
        if (m_host.cancelled() || m_host.escapePressed())
            return stop();

        TMemoSource* text = entry.document;
        std::unique_ptr<TMemoSource> own;
        TMemoSource* hosted = nullptr; // a window the host opened for the questions
        if (!text) {
            // A file that cannot match is neither read into a text nor opened in a window.
            QString error;
            const TBytePrefilter::Verdict verdict = m_prefilter.check(name, &error);
            m_seenFile = name;
            if (verdict == TBytePrefilter::NotAFile)
                return true;
            if (verdict == TBytePrefilter::Unreadable) {
                result.failures.append(name + QStringLiteral(": ") + error);
                return true;
            }
            if (verdict == TBytePrefilter::NoMatch) {
                report(name, 0);
                return true;
            }
        }
        if (!text && !m_yesToAllFiles)
            text = hosted = m_host.openForQuestions(name);
        if (!text) {
            QString error;
            own = loadForReplace(name, &error);
            if (!own) {
                result.failures.append(name + QStringLiteral(": ") + error);
                return true;
            }
            text = own.get();
        }

        TSearchOptions options = m_options;
        TSearchPos pos = searchStart(*text, options);
        const int findLength = int(options.TextToFind.size());
        const bool backward = options.Direction == sdBackward;
        bool yesToAllInFile = false;
        int replaced = 0;
        while (findText(*text, options, pos, text->delimiterSet())) {
            const int start = pos.Index - 1;
            const int line = pos.Line;
            m_where.line = line;
            m_where.lineCount = text->lineCount();
            m_where.charIndex = pos.Index;
            m_where.lineLength = text->lineLength(line);
            m_where.replaced = replaced;
            m_host.matchReached(m_where);
            select(*text, start, line, findLength);

            TReplaceAnswer answer = TReplaceAnswer::YesToAllInFile;
            if (!(yesToAllInFile || m_yesToAllFiles) || m_host.escapePressed()) {
                if (own) {
                    // Asked about a match of a file without a window: it gets one now,
                    // holding what has been replaced so far.
                    if (TMemoSource* window = m_host.openForQuestions(name)) {
                        window->setText(own->text());
                        window->setModified(true);
                        own.reset();
                        text = hosted = window;
                        select(*text, start, line, findLength);
                    }
                }
                answer = m_host.ask(*text, m_where);
            }
            if (m_host.cancelled())
                answer = TReplaceAnswer::AbortAllFiles;
            if (answer == TReplaceAnswer::AbortAllFiles) {
                // This file is neither saved nor reported; its window stays with its changes.
                if (hosted)
                    m_host.release(hosted, true);
                return stop();
            }
            if (answer == TReplaceAnswer::NextFile)
                break;
            if (answer == TReplaceAnswer::No) {
                pos.Index = backward ? start + 1 - findLength : start + 1 + findLength;
                continue;
            }
            {
                RunBracket bracket(*text, m_op);
                text->replaceSelection(options.ReplaceWith);
            }
            ++replaced;
            // On after the replacement (or before the match), never inside the new text.
            if (backward)
                pos.Index = start + 1 - findLength;
            else
                pos = TSearchPos { text->CaretX() + 1, text->CaretY() };
            if (answer == TReplaceAnswer::YesToAllInFile)
                yesToAllInFile = true;
            else if (answer == TReplaceAnswer::YesToAllFiles)
                m_yesToAllFiles = true;
            if (m_host.cancelled()) {
                if (hosted)
                    m_host.release(hosted, true);
                return stop();
            }
        }
        result.replacements += replaced;

        bool reported = true;
        if (own || hosted) {
            if (replaced > 0)
                reported = write(*text, name);
            // A window whose file could not be written stays open with the changes.
            if (hosted)
                m_host.release(hosted, !reported);
        } else if (replaced > 0) {
            ++result.documentsChanged;
        }
        if (reported)
            report(name, replaced);
        return true;
    }

private:
    void report(const QString& name, int replaced)
    {
        ++result.filesProcessed;
        addResultRow({ replaceResultsDescription,
            u'"' + m_options.TextToFind + QStringLiteral("\" with \"") + m_options.ReplaceWith
                + u'"',
            QString::number(replaced) + QStringLiteral(" time(s)"), QString(),
            captionFileName(name), captionFolder(name) });
    }

    void select(TMemoSource& text, int start, int line, int length)
    {
        RunBracket bracket(text, m_op);
        text.setSelection(smStream, start, line, start + length, line);
        text.setCaret(start + length, line);
    }

    bool write(TMemoSource& text, const QString& name)
    {
        QString error;
        WriteTarget target;
        if (!writeTarget(name, target, &error)) {
            // Read-only, or gone since it was read.
        } else if (m_backups && !keep(target, &error)) {
            // Nothing is written that could not be taken back.
        } else if (!writeReplaced(text, target, &error)) {
            if (m_backups)
                m_backups->forget(target.name);
        } else {
            if (m_backups)
                m_backups->written(target.name);
            text.setModified(false);
            ++result.filesWritten;
            return true;
        }
        result.failures.append(name + QStringLiteral(": ") + error);
        return false;
    }

    /// The old bytes for undo: those the byte scan read at the start of this file when the
    /// file is still that one (no other program has replaced or changed it since), else read
    /// again.
    bool keep(const WriteTarget& target, QString* error)
    {
        const TBytePrefilter::FileSeen& seen = m_prefilter.lastFile();
        const qint64 mtime
            = qint64(target.st.st_mtim.tv_sec) * 1000000000 + target.st.st_mtim.tv_nsec;
        if (seen.whole && m_seenFile == target.name && seen.device == quint64(target.st.st_dev)
            && seen.inode == quint64(target.st.st_ino) && seen.size == qint64(target.st.st_size)
            && seen.mtimeNs == mtime)
            return m_backups->keepBytes(
                target.name, m_prefilter.lastBytes(), seen.device, seen.inode, error);
        return m_backups->keep(target.name, error);
    }

    bool stop()
    {
        result.aborted = true;
        return false;
    }

    const TSearchOptions m_options;
    TReplaceHost& m_host;
    TReplaceBackups* m_backups;
    const uint8_t m_op;
    TBytePrefilter m_prefilter;
    QString m_seenFile; ///< the file the byte scan read last
    TReplaceProgress m_where;
    bool m_yesToAllFiles = false;
};

} // namespace

TReplaceRunResult replaceInFiles(const QList<TSearchEntry>& entries, TSearchOptions options,
    TReplaceHost& host, TReplaceBackups* backups)
{
    options.InReplace = true;
    options.ReplaceAll = true;
    options.PromptOnReplace = true;
    options.ShowNotFound = false;
    if (backups)
        backups->startRun();
    ReplaceRun run(options, host, backups, int(entries.size()));
    if (options.TextToFind.isEmpty())
        return run.result;
    for (int i = 0; i < entries.size(); ++i) {
        if (!run.file(i, entries[i]))
            break;
    }
    return run.result;
}
