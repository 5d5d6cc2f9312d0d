/** @file TReplaceBackups.h ** The old bytes of every file the last replace run wrote, kept in
 ** the user's cache folder so that the run can be taken back (QtCore only). **/
#pragma once

#include <QByteArrayView>
#include <QFile>
#include <QList>
#include <QPair>
#include <QSet>
#include <QString>
#include <functional>
#include <memory>

class QLockFile;

class TReplaceBackups
{
public:
    /// At most this many bytes of old files are kept per run; a file that would go beyond is
    /// not written by the run.
    static constexpr qint64 defaultLimit = qint64(1) << 30;

    /// `folder` empty: the user's cache folder + "Pagemason/replace-undo/".
    explicit TReplaceBackups(const QString& folder = QString(), qint64 limit = defaultLimit);
    /// The copies go with the object (at exit).
    ~TReplaceBackups();
    TReplaceBackups(const TReplaceBackups&) = delete;
    TReplaceBackups& operator=(const TReplaceBackups&) = delete;

    QString folder() const { return m_folder; }
    /// A new run begins: the last run's copies go, and so do those that programs which have
    /// ended left behind.
    void startRun();
    /// Keeps the file's bytes as they are now, before the run writes it (once per file and
    /// run). False, with `error` set, when they cannot be kept: the file must not be written.
    bool keep(const QString& fileName, QString* error = nullptr);
    /// The same with the bytes already read, and the file's device and inode when read.
    bool keepBytes(const QString& fileName, QByteArrayView bytes, quint64 device, quint64 inode,
        QString* error = nullptr);
    /// The run wrote the file it last kept: remembers what the file holds now, so that undo
    /// can tell a later change.
    void written(const QString& fileName);
    /// The run did not write the file it last kept after all.
    void forget(const QString& fileName);

    /// Files written by the last run that can still be taken back.
    int count() const;
    bool isEmpty() const { return count() == 0; }

    struct Outcome
    {
        enum Result { Restored, Refused, Failed };
        QString fileName;
        Result result = Failed;
        QString reason; ///< why it was refused or failed
    };
    /// Puts back every file the last run wrote, the last written first. A file that has
    /// changed since the run wrote it (its contents, its identity or its existence) is
    /// refused, and so is one `veto` names a reason for. The copies are gone afterwards.
    QList<Outcome> restore(const std::function<QString(const QString& fileName)>& veto = {});

private:
    struct FileState
    {
        quint64 device = 0;
        quint64 inode = 0;
        qint64 size = -1;
        qint64 mtimeNs = 0;
        qint64 ctimeNs = 0;
        bool operator==(const FileState&) const = default;
    };
    struct Entry
    {
        QString fileName; ///< as the run named it
        quint64 device = 0; ///< with inode: to tell one file named twice
        quint64 inode = 0;
        qint64 offset = 0; ///< of its old bytes in the pack
        qint64 size = 0;
        bool written = false;
        FileState after; ///< what the run left
    };
    static bool stateOf(const QString& fileName, FileState& state);
    void clear();
    bool openPack(QString* error);
    /// keep()'s end: the entry named again, or a new one for bytes written at the pack's end.
    bool findEntry(quint64 device, quint64 inode);
    void addEntry(
        const QString& fileName, quint64 device, quint64 inode, qint64 offset, qint64 size);

    QString m_folder;
    qint64 m_limit;
    QList<Entry> m_entries;
    QSet<QPair<quint64, quint64>> m_known; ///< device and inode of every entry, before and after
    QFile m_pack;
    qint64 m_packSize = 0;
    qsizetype m_pending = -1; ///< the entry keep() last named
    bool m_pendingNew = false; ///< keep() made it (rather than finding it)
    std::unique_ptr<QLockFile> m_lock; ///< held while the pack exists
};
