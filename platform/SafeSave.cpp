/** @file SafeSave.cpp ** Saving a file through a temporary file renamed over it. **/
#include "platform/SafeSave.h"

#include <QFileInfo>

#include <cerrno>
#include <cstring>
#include <unistd.h>

namespace pm {

SafeSave::SafeSave(const QString& fileName)
    : m_file(fileName)
    , m_device(fileName)
{
    const QFileInfo target(fileName);
    m_inPlace = target.exists() && !target.isFile() && !target.isDir();
}

SafeSave::~SafeSave()
{
    if (!m_inPlace && m_file.isOpen() && !m_committed)
        m_file.cancelWriting();
}

bool SafeSave::open()
{
    // Unbuffered: every failure shows at the write that meets it, and a failed write keeps
    // QSaveFile from committing.
    if (!device().open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return fail(device().errorString());
    return true;
}

bool SafeSave::write(QByteArrayView bytes)
{
    if (m_failed)
        return false;
    if (!device().isOpen())
        return fail(QStringLiteral("The file is not open."));
    if (device().write(bytes.data(), bytes.size()) != bytes.size())
        return fail(device().errorString());
    return true;
}

bool SafeSave::commit()
{
    if (m_failed || !device().isOpen())
        return fail(m_error.isEmpty() ? QStringLiteral("The file is not open.") : m_error);
    if (!device().flush())
        return fail(device().errorString());
    // Some file systems report a full disk only here; QSaveFile ignores what fsync says.
    // Devices and file systems that cannot sync say EINVAL (or ENOTSUP, EROFS): nothing lost.
    if (::fsync(device().handle()) != 0 && errno != EINVAL && errno != ENOTSUP && errno != EROFS)
        return fail(QString::fromLocal8Bit(std::strerror(errno)));
    m_committed = true;
    if (m_inPlace) {
        m_device.close();
        return true;
    }
    if (!m_file.commit()) {
        m_error = m_file.errorString();
        m_failed = true;
        return false;
    }
    return true;
}

bool SafeSave::fail(const QString& reason)
{
    if (!m_failed)
        m_error = reason.isEmpty() ? QStringLiteral("Unknown error") : reason;
    m_failed = true;
    if (m_inPlace)
        m_device.close();
    else if (m_file.isOpen())
        m_file.cancelWriting();
    return false;
}

bool saveFileSafely(const QString& fileName, QByteArrayView bytes, QString* error)
{
    SafeSave file(fileName);
    const bool ok = file.open() && file.write(bytes) && file.commit();
    if (!ok && error)
        *error = file.errorString();
    return ok;
}

} // namespace pm
