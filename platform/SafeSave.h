/** @file SafeSave.h ** Saving a file so that a crash or a full disk never leaves it torn, and a
 ** failure says what the system said. **/
#pragma once

#include <QByteArrayView>
#include <QFile>
#include <QSaveFile>
#include <QString>

namespace pm {

/// Writes into a temporary file beside `fileName` and renames it over the file once every byte
/// is written and on disk; until then, and after any failure, the old file stays whole.
///
/// A bare QSaveFile is not enough: a write that fails while its buffer is flushed on commit does
/// not stop the rename, so a small file saved on a full disk replaces the old one with a torn one
/// and reports success; and after a failure it answers "Unknown error" or "Writing canceled by
/// application". Here writes go straight to the file, and the first reason the system gives
/// ("No space left on device") is the one kept.
///
/// A device or a pipe (anything that exists but is neither a file nor a folder) is written in
/// place: renaming over it would replace the device itself, and it has no old content to keep.
class SafeSave
{
public:
    explicit SafeSave(const QString& fileName);
    ~SafeSave(); ///< leaves the old file as it was unless commit() succeeded

    bool open();
    /// False once any write has failed; the later ones are not tried.
    bool write(QByteArrayView bytes);
    /// Flushes to disk and replaces the file. False when anything went wrong since open().
    bool commit();
    /// The first failure's reason; empty when nothing failed.
    QString errorString() const { return m_error; }

private:
    bool fail(const QString& reason);

    QFileDevice& device() { return m_inPlace ? static_cast<QFileDevice&>(m_device) : m_file; }

    QSaveFile m_file;
    QFile m_device; ///< used instead of m_file when the target is a device or a pipe
    bool m_inPlace = false;
    QString m_error;
    bool m_failed = false;
    bool m_committed = false;
};

/// `bytes` as the whole content of `fileName`, through SafeSave. False (and the reason in
/// `error`) when the file could not be written; the old one is then untouched.
bool saveFileSafely(const QString& fileName, QByteArrayView bytes, QString* error = nullptr);

} // namespace pm
