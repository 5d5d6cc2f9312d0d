/** @file TReplaceBackups.cpp ** One pack file per run holds the old bytes of the files it wrote;
 ** the file states the run left tell whether a file may still be put back. **/
#include "search/engine/TReplaceBackups.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLockFile>
#include <QRandomGenerator>
#include <QSaveFile>
#include <QStandardPaths>

#include <cerrno>

#include <sys/stat.h>

namespace {

constexpr qint64 kCopyChunk = qint64(1) << 20;

QString tr(const char* text)
{
    return QCoreApplication::translate("TReplaceBackups", text);
}

} // namespace

TReplaceBackups::TReplaceBackups(const QString& folder, qint64 limit)
    : m_limit(limit)
{
    m_folder = folder.isEmpty()
        ? QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation)
            + QStringLiteral("/Pagemason/replace-undo")
        : folder;
    if (!m_folder.endsWith(u'/'))
        m_folder += u'/';
}

TReplaceBackups::~TReplaceBackups()
{
    clear();
}

bool TReplaceBackups::stateOf(const QString& fileName, FileState& state)
{
    struct stat st
    {
    };
    if (::stat(QFile::encodeName(fileName).constData(), &st) != 0)
        return false;
    state.device = quint64(st.st_dev);
    state.inode = quint64(st.st_ino);
    state.size = qint64(st.st_size);
    state.mtimeNs = qint64(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    state.ctimeNs = qint64(st.st_ctim.tv_sec) * 1000000000 + st.st_ctim.tv_nsec;
    return true;
}

void TReplaceBackups::clear()
{
    m_entries.clear();
    m_known.clear();
    m_pending = -1;
    if (m_pack.isOpen()) {
        m_pack.close();
        QFile::remove(m_pack.fileName());
    }
    m_packSize = 0;
    if (m_lock) {
        m_lock->unlock();
        m_lock.reset();
    }
}

void TReplaceBackups::startRun()
{
    clear();
    // Packs of programs that ended without tidying up: their lock files are stale.
    const QDir dir(m_folder);
    const QStringList locks = dir.entryList({ QStringLiteral("run-*.lock") }, QDir::Files);
    for (const QString& name : locks) {
        QLockFile lock(dir.filePath(name));
        lock.setStaleLockTime(0); // only an owner that is gone makes it stale
        if (lock.tryLock(0)) {
            QString pack = name;
            pack.chop(5);
            QFile::remove(dir.filePath(pack + QStringLiteral(".pack")));
            lock.unlock();
        }
    }
}

bool TReplaceBackups::openPack(QString* error)
{
    if (m_pack.isOpen())
        return true;
    if (!QDir().mkpath(m_folder)) {
        if (error)
            *error = tr("the folder %1 for its undo copy cannot be made").arg(m_folder);
        return false;
    }
    QFile::setPermissions(
        m_folder, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    const QString base = m_folder + QStringLiteral("run-")
        + QString::number(QCoreApplication::applicationPid()) + u'-'
        + QString::number(QRandomGenerator::global()->generate(), 16);
    m_lock = std::make_unique<QLockFile>(base + QStringLiteral(".lock"));
    m_lock->setStaleLockTime(0);
    if (!m_lock->tryLock(0)) {
        m_lock.reset();
        if (error)
            *error = tr("its undo copy cannot be locked in %1").arg(m_folder);
        return false;
    }
    m_pack.setFileName(base + QStringLiteral(".pack"));
    if (!m_pack.open(QIODevice::ReadWrite | QIODevice::Truncate | QIODevice::Unbuffered)) {
        if (error)
            *error = tr("its undo copy cannot be written: %1").arg(m_pack.errorString());
        m_lock->unlock();
        m_lock.reset();
        return false;
    }
    m_pack.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    m_packSize = 0;
    return true;
}

bool TReplaceBackups::findEntry(quint64 device, quint64 inode)
{
    // Most files of a run are new to it: the set says so without a walk over the entries.
    if (!m_known.contains({ device, inode }))
        return false;
    for (qsizetype i = 0; i < m_entries.size(); ++i) {
        const Entry& e = m_entries[i];
        const bool same = e.written ? e.after.device == device && e.after.inode == inode
                                    : e.device == device && e.inode == inode;
        if (same) {
            // Named again (through another path): the first copy holds the bytes from before
            // the run.
            m_pending = i;
            m_pendingNew = false;
            return true;
        }
    }
    return false;
}

void TReplaceBackups::addEntry(
    const QString& fileName, quint64 device, quint64 inode, qint64 offset, qint64 size)
{
    Entry e;
    e.fileName = fileName;
    e.device = device;
    e.inode = inode;
    e.offset = offset;
    e.size = size;
    m_entries.append(e);
    m_known.insert({ device, inode });
    m_packSize = offset + size;
    m_pending = m_entries.size() - 1;
    m_pendingNew = true;
}

bool TReplaceBackups::keepBytes(
    const QString& fileName, QByteArrayView bytes, quint64 device, quint64 inode, QString* error)
{
    if (findEntry(device, inode))
        return true;
    if (m_packSize + bytes.size() > m_limit) {
        if (error)
            *error = tr("there is no room left to keep its old contents for undo (at most %1 MB "
                        "per replace)")
                         .arg(m_limit >> 20);
        return false;
    }
    if (!openPack(error))
        return false;
    const qint64 offset = m_packSize;
    if ((m_pack.pos() != offset && !m_pack.seek(offset))
        || m_pack.write(bytes.data(), bytes.size()) != bytes.size()) {
        if (error)
            *error = tr("its undo copy cannot be written: %1").arg(m_pack.errorString());
        m_pack.resize(offset);
        m_pack.seek(offset);
        return false;
    }
    addEntry(fileName, device, inode, offset, bytes.size());
    return true;
}

bool TReplaceBackups::keep(const QString& fileName, QString* error)
{
    FileState before;
    if (!stateOf(fileName, before)) {
        if (error)
            *error = qt_error_string(errno);
        return false;
    }
    if (findEntry(before.device, before.inode))
        return true;
    QFile source(fileName);
    if (!source.open(QIODevice::ReadOnly)) {
        if (error)
            *error = source.errorString();
        return false;
    }
    const qint64 size = source.size();
    if (m_packSize + size > m_limit) {
        if (error)
            *error = tr("there is no room left to keep its old contents for undo (at most %1 MB "
                        "per replace)")
                         .arg(m_limit >> 20);
        return false;
    }
    if (!openPack(error))
        return false;
    const qint64 offset = m_packSize;
    QByteArray chunk;
    qint64 copied = 0;
    bool ok = m_pack.pos() == offset || m_pack.seek(offset);
    while (ok && !source.atEnd()) {
        chunk = source.read(kCopyChunk);
        if (chunk.isEmpty() && source.error() != QFileDevice::NoError)
            break;
        ok = m_pack.write(chunk) == chunk.size();
        copied += chunk.size();
    }
    if (!ok || source.error() != QFileDevice::NoError || copied != size) {
        if (error)
            *error = source.error() != QFileDevice::NoError
                ? source.errorString()
                : tr("its undo copy cannot be written: %1").arg(m_pack.errorString());
        m_pack.resize(offset);
        m_pack.seek(offset);
        return false;
    }
    addEntry(fileName, before.device, before.inode, offset, copied);
    return true;
}

void TReplaceBackups::written(const QString& fileName)
{
    if (m_pending < 0 || m_pending >= m_entries.size())
        return;
    Entry& e = m_entries[m_pending];
    e.written = stateOf(fileName, e.after);
    if (e.written)
        m_known.insert({ e.after.device, e.after.inode });
    // Put back last written first: a file written again moves to the end.
    m_entries.move(m_pending, m_entries.size() - 1);
    m_pending = -1;
}

void TReplaceBackups::forget(const QString& fileName)
{
    (void)fileName;
    if (m_pending >= 0 && m_pending < m_entries.size() && m_pendingNew)
        m_entries.removeAt(m_pending);
    m_pending = -1;
}

int TReplaceBackups::count() const
{
    int n = 0;
    for (const Entry& e : m_entries)
        n += e.written ? 1 : 0;
    return n;
}

QList<TReplaceBackups::Outcome> TReplaceBackups::restore(
    const std::function<QString(const QString&)>& veto)
{
    QList<Outcome> out;
    QList<Entry> failed; // kept for another try
    for (qsizetype i = m_entries.size() - 1; i >= 0; --i) {
        const Entry& e = m_entries[i];
        if (!e.written)
            continue;
        Outcome o;
        o.fileName = e.fileName;
        FileState now;
        if (!stateOf(e.fileName, now)) {
            o.result = Outcome::Refused;
            o.reason = tr("it no longer exists");
        } else if (!(now == e.after)) {
            o.result = Outcome::Refused;
            o.reason = tr("it has changed since the replace");
        } else if (const QString why = veto ? veto(e.fileName) : QString(); !why.isEmpty()) {
            o.result = Outcome::Refused;
            o.reason = why;
        } else {
            QSaveFile target(e.fileName);
            bool ok = target.open(QIODevice::WriteOnly | QIODevice::Unbuffered)
                && m_pack.seek(e.offset);
            for (qint64 done = 0; ok && done < e.size;) {
                const QByteArray chunk = m_pack.read(std::min(kCopyChunk, e.size - done));
                ok = !chunk.isEmpty() && target.write(chunk) == chunk.size();
                done += chunk.size();
            }
            ok = ok && target.commit();
            if (!ok) {
                o.reason = target.errorString();
                target.cancelWriting();
            }
            o.result = ok ? Outcome::Restored : Outcome::Failed;
            if (!ok)
                failed.prepend(e);
        }
        out.append(o);
    }
    if (failed.isEmpty())
        clear();
    else
        m_entries = failed;
    return out;
}
