/** @file RegFileStore.cpp ** Atomic, locked read-change-write of the REGEDIT4 settings file. **/
#include "platform/RegFileStore.h"

#include <QDir>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QThread>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace pm {

namespace {

    QString errnoText(const QString& what, int error)
    {
        return what + QStringLiteral(": ") + QString::fromLocal8Bit(std::strerror(error));
    }

    /// Holds an exclusive advisory lock on a companion file: the store file itself is replaced by
    /// each rename, so a lock on it would guard the wrong inode.
    class FileLock
    {
    public:
        explicit FileLock(const QByteArray& path)
        {
            m_fd = ::open(path.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
            if (m_fd < 0) {
                m_error = errno;
                return;
            }
            // A stuck instance must not freeze this one: give up after about ten seconds.
            for (int attempt = 0; attempt < 1000; ++attempt) {
                if (::flock(m_fd, LOCK_EX | LOCK_NB) == 0) {
                    m_locked = true;
                    return;
                }
                if (errno != EWOULDBLOCK && errno != EINTR) {
                    m_error = errno;
                    return;
                }
                QThread::msleep(10);
            }
            m_error = EWOULDBLOCK;
        }
        ~FileLock()
        {
            if (m_fd >= 0)
                ::close(m_fd); // releases the lock
        }
        FileLock(const FileLock&) = delete;
        FileLock& operator=(const FileLock&) = delete;

        bool locked() const { return m_locked; }
        int error() const { return m_error; }

    private:
        int m_fd = -1;
        bool m_locked = false;
        int m_error = 0;
    };

    constexpr size_t kHashSeed = 0x5e7715;

    /// Instantiated with the store's private stamp type.
    template <class Stamp> Stamp stampOf(const struct stat& st)
    {
        return Stamp { true, quint64(st.st_ino), qint64(st.st_size),
            qint64(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec };
    }

    /// Six characters of the kind mkstemp uses, so that one pattern finds every temporary.
    QByteArray randomSuffix()
    {
        static const char alphabet[]
            = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
        QByteArray out(6, 'x');
        for (char& c : out)
            c = alphabet[QRandomGenerator::global()->bounded(62)];
        return out;
    }

    bool writeAll(int fd, const QByteArray& data)
    {
        const char* p = data.constData();
        qsizetype left = data.size();
        while (left > 0) {
            const ssize_t n = ::write(fd, p, size_t(left));
            if (n < 0) {
                if (errno == EINTR)
                    continue;
                return false;
            }
            p += n;
            left -= n;
        }
        return true;
    }

} // namespace

RegFileStore::RegFileStore(const QString& fileName)
{
    // Write through a symbolic link to its target, so the rename keeps the link.
    const QFileInfo info(fileName);
    m_fileName = info.isSymLink() ? info.symLinkTarget() : info.absoluteFilePath();
}

QString RegFileStore::defaultFileName()
{
    const QString named = qEnvironmentVariable("PAGEMASON_REGISTRY");
    if (!named.isEmpty())
        return named;
    QString config = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (config.isEmpty() || !QDir::isAbsolutePath(config))
        config = QDir::homePath() + QStringLiteral("/.config");
    return config + QStringLiteral("/Orvane/Pagemason.reg");
}

QString RegFileStore::fullKey(Root root, const QString& key)
{
    const QString rootName = root == Root::ClassesRoot ? QStringLiteral("HKEY_CLASSES_ROOT")
                                                       : QStringLiteral("HKEY_CURRENT_USER");
    return rootName + u'\\' + key;
}

bool RegFileStore::readFile(RegDocument& doc, Stamp& stamp, size_t& hash)
{
    const QByteArray path = QFile::encodeName(m_fileName);
    const int fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        if (errno == ENOENT) {
            doc = RegDocument();
            stamp = Stamp();
            hash = 0;
            return true;
        }
        m_lastError = errnoText(m_fileName, errno);
        return false;
    }
    struct stat st
    {
    };
    bool ok = ::fstat(fd, &st) == 0;
    QByteArray bytes;
    if (ok) {
        bytes.resize(qsizetype(st.st_size));
        qsizetype got = 0;
        for (;;) {
            if (got == bytes.size())
                bytes.resize(got + 65536); // the file grew since fstat
            const ssize_t n = ::read(fd, bytes.data() + got, size_t(bytes.size() - got));
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0) {
                ok = false;
                break;
            }
            if (n == 0)
                break;
            got += n;
        }
        bytes.truncate(got);
    }
    const int error = errno;
    ::close(fd);
    if (!ok) {
        m_lastError = errnoText(m_fileName, error);
        return false;
    }
    stamp = stampOf<Stamp>(st);
    hash = qHash(bytes, kHashSeed);
    // Parsing a large store costs far more than reading it: bytes we already hold parsed
    // (our own last write, or a file only touched) are not parsed again.
    if (m_stamp.exists && bytes.size() == m_stamp.size && hash == m_baseHash)
        doc = m_base;
    else
        doc = RegDocument::parse(bytes);
    stamp.size = bytes.size();
    return true;
}

void RegFileStore::refresh()
{
    struct stat st
    {
    };
    Stamp now;
    if (::stat(QFile::encodeName(m_fileName).constData(), &st) == 0)
        now = stampOf<Stamp>(st);
    if (now == m_stamp && m_readable)
        return;
    RegDocument doc;
    Stamp stamp;
    size_t hash = 0;
    m_readable = readFile(doc, stamp, hash);
    if (!m_readable)
        return; // keep what we had; writes are refused until the file reads again
    m_base = doc;
    m_baseHash = hash;
    m_stamp = stamp;
    m_doc = doc;
    for (const Change& c : std::as_const(m_pending))
        c(m_doc);
}

void RegFileStore::removeStaleTemporaries()
{
    const QFileInfo info(m_fileName);
    const QByteArray prefix = QFile::encodeName(QStringLiteral(".") + info.fileName()) + '.';
    DIR* dir = ::opendir(QFile::encodeName(info.absolutePath()).constData());
    if (!dir)
        return;
    const int dirFd = ::dirfd(dir);
    while (const dirent* entry = ::readdir(dir)) {
        const QByteArrayView name(entry->d_name);
        if (!name.startsWith(prefix) || name.size() != prefix.size() + 6)
            continue;
        const QByteArrayView suffix = name.sliced(prefix.size());
        if (!std::all_of(suffix.begin(), suffix.end(), [](char c) {
                return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
            }))
            continue;
        struct stat st
        {
        };
        if (::fstatat(dirFd, entry->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(st.st_mode)
            && st.st_uid == ::geteuid())
            ::unlinkat(dirFd, entry->d_name, 0);
    }
    ::closedir(dir);
}

bool RegFileStore::writeFile(const QByteArray& data, Stamp& stamp)
{
    const QFileInfo info(m_fileName); // its folder exists: commit made it for the lock
    const QByteArray folder = QFile::encodeName(info.absolutePath());
    const QByteArray target = QFile::encodeName(m_fileName);
    const QByteArray prefix = folder + "/." + QFile::encodeName(info.fileName()) + '.';
    struct stat st
    {
    };
    auto fill = [&](int fd) {
        return ::fchmod(fd, 0600) == 0 && writeAll(fd, data) && ::fsync(fd) == 0
            && ::fstat(fd, &st) == 0;
    };
    auto fail = [&](int error) {
        m_lastError = errnoText(m_fileName, error);
        return false;
    };

    // Unnamed until it is complete, so that a kill leaves nothing behind; it has a name only
    // between linkat and rename.
    bool renamed = false;
    int fd = ::open(folder.constData(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600);
    if (fd >= 0) {
        if (!fill(fd)) {
            const int error = errno;
            ::close(fd);
            return fail(error);
        }
        const QByteArray self = "/proc/self/fd/" + QByteArray::number(fd);
        for (int attempt = 0; attempt < 100; ++attempt) {
            const QByteArray name = prefix + randomSuffix();
            if (::linkat(AT_FDCWD, self.constData(), AT_FDCWD, name.constData(), AT_SYMLINK_FOLLOW)
                != 0) {
                if (errno == EEXIST)
                    continue;
                break; // no /proc, say: a named file it is
            }
            if (::rename(name.constData(), target.constData()) != 0) {
                const int error = errno;
                ::unlink(name.constData());
                ::close(fd);
                return fail(error);
            }
            renamed = true;
            break;
        }
        ::close(fd);
    }
    if (!renamed) {
        QByteArray name = prefix + "XXXXXX";
        fd = ::mkstemp(name.data());
        if (fd < 0)
            return fail(errno);
        const bool ok = fill(fd);
        const int error = errno;
        ::close(fd);
        if (!ok || ::rename(name.constData(), target.constData()) != 0) {
            const int why = ok ? errno : error;
            ::unlink(name.constData());
            return fail(why);
        }
    }
    // The rename itself must reach the disk too.
    const int dirFd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd >= 0) {
        ::fsync(dirFd);
        ::close(dirFd);
    }
    stamp = stampOf<Stamp>(st);
    return true;
}

bool RegFileStore::commit(const QList<Change>& changes)
{
    m_lastError.clear();
    const QString folder = QFileInfo(m_fileName).absolutePath();
    if (!QDir().mkpath(folder)) {
        m_lastError = QStringLiteral("Cannot create the folder ") + folder;
        m_stamp = Stamp { true, 0, -2, 0 };
        return false;
    }
    FileLock lock(QFile::encodeName(m_fileName + QStringLiteral(".lock")));
    bool ok = lock.locked();
    if (!ok)
        m_lastError = errnoText(m_fileName + QStringLiteral(".lock"), lock.error());
    RegDocument doc;
    Stamp stamp;
    size_t hash = 0;
    ok = ok && readFile(doc, stamp, hash); // the latest file, under the lock
    QByteArray data;
    if (ok) {
        removeStaleTemporaries();
        for (const Change& c : changes)
            c(doc);
        data = doc.serialize();
        ok = writeFile(data, stamp);
    }
    if (ok) {
        m_base = doc;
        m_baseHash = qHash(data, kHashSeed);
        m_doc = doc;
        m_stamp = stamp;
        m_readable = true;
    } else {
        m_stamp = Stamp { true, 0, -2, 0 }; // forces the next read to look at the file again
    }
    return ok;
}

bool RegFileStore::change(const Change& c)
{
    if (m_updateDepth > 0) {
        refresh();
        m_pending.append(c);
        c(m_doc);
        return true;
    }
    return commit({ c });
}

std::optional<QString> RegFileStore::readValue(Root root, const QString& key, const QString& name)
{
    refresh();
    return m_doc.value(fullKey(root, key), name);
}

bool RegFileStore::writeValue(
    Root root, const QString& key, const QString& name, const QString& value)
{
    const QString path = fullKey(root, key);
    if (!RegDocument::canHold(path, name)) {
        m_lastError = QStringLiteral("A settings file cannot hold the name ") + path + u'\\' + name;
        return false;
    }
    return change([=](RegDocument& doc) { doc.setValue(path, name, value); });
}

bool RegFileStore::deleteValue(Root root, const QString& key, const QString& name)
{
    const QString path = fullKey(root, key);
    refresh();
    if (!m_doc.hasValue(path, name))
        return m_readable;
    return change([=](RegDocument& doc) { doc.removeValue(path, name); });
}

bool RegFileStore::keyExists(Root root, const QString& key)
{
    refresh();
    return m_doc.hasKey(fullKey(root, key));
}

bool RegFileStore::deleteKey(Root root, const QString& key)
{
    const QString path = fullKey(root, key);
    refresh();
    if (!m_doc.hasKey(path))
        return m_readable;
    return change([=](RegDocument& doc) { doc.removeKey(path); });
}

QStringList RegFileStore::valueNames(Root root, const QString& key)
{
    refresh();
    return m_doc.valueNames(fullKey(root, key));
}

QStringList RegFileStore::subKeyNames(Root root, const QString& key)
{
    refresh();
    return m_doc.subKeyNames(fullKey(root, key));
}

void RegFileStore::beginUpdate()
{
    ++m_updateDepth;
}

bool RegFileStore::endUpdate()
{
    if (m_updateDepth == 0 || --m_updateDepth > 0)
        return true;
    const QList<Change> changes = std::exchange(m_pending, {});
    if (changes.isEmpty())
        return true;
    return commit(changes);
}

} // namespace pm
