/** @file FullDisk.cpp ** A full tmpfs in a mount namespace of its own. **/
#include "platform/FullDisk.h"

#include <cerrno>
#include <fcntl.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>

namespace pm {

namespace {

    bool writeProc(const char* path, const QByteArray& text)
    {
        const int fd = ::open(path, O_WRONLY | O_CLOEXEC);
        if (fd < 0)
            return false;
        const bool ok = ::write(fd, text.constData(), size_t(text.size())) == text.size();
        ::close(fd);
        return ok;
    }

    /// In the child: a mount namespace of its own, as root or through a user namespace.
    bool ownMounts()
    {
        if (::unshare(CLONE_NEWNS) != 0) {
            const QByteArray uid = QByteArray::number(uint(::getuid()));
            const QByteArray gid = QByteArray::number(uint(::getgid()));
            if (::unshare(CLONE_NEWUSER | CLONE_NEWNS) != 0)
                return false;
            writeProc("/proc/self/setgroups", "deny");
            if (!writeProc("/proc/self/uid_map", "0 " + uid + " 1")
                || !writeProc("/proc/self/gid_map", "0 " + gid + " 1"))
                return false;
        }
        // Private, so the mounts below never show in the parent's namespace.
        if (::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0)
            return false;
        // Devices stay writable, but nothing may be created or renamed beside them: a writer
        // that renamed a temporary file over /dev/full would replace the device for everyone.
        return ::mount("/dev", "/dev", nullptr, MS_BIND | MS_REC, nullptr) == 0
            && ::mount(nullptr, "/dev", nullptr, MS_REMOUNT | MS_BIND | MS_RDONLY, nullptr) == 0;
    }

    void fill(const QByteArray& folder)
    {
        const QByteArray name = folder + "/.fill";
        const int fd = ::open(name.constData(), O_WRONLY | O_CREAT | O_CLOEXEC, 0600);
        if (fd < 0)
            return;
        const QByteArray block(4096, 'f');
        while (::write(fd, block.constData(), size_t(block.size())) > 0) { }
        // A few bytes may still fit in the last page: take them too.
        while (::write(fd, "f", 1) > 0) { }
        ::close(fd);
    }

    bool writeAll(int fd, const QByteArray& bytes)
    {
        qsizetype done = 0;
        while (done < bytes.size()) {
            const ssize_t n = ::write(fd, bytes.constData() + done, size_t(bytes.size() - done));
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                return false;
            done += n;
        }
        return true;
    }

} // namespace

std::optional<QByteArray> runOnFullDisk(const QString& folder,
    const std::function<void(const QString&)>& prepare,
    const std::function<QByteArray(const QString&)>& act)
{
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0)
        return std::nullopt;
    const QByteArray path = folder.toLocal8Bit();
    const pid_t pid = ::fork();
    if (pid < 0) {
        ::close(fds[0]);
        ::close(fds[1]);
        return std::nullopt;
    }
    if (pid == 0) {
        ::close(fds[0]);
        if (!ownMounts()
            || ::mount("tmpfs", path.constData(), "tmpfs", MS_NOSUID | MS_NODEV, "size=64k") != 0)
            ::_exit(2);
        prepare(folder);
        fill(path);
        const QByteArray out = act(folder);
        ::_exit(writeAll(fds[1], out) ? 0 : 3);
    }
    ::close(fds[1]);
    QByteArray out;
    char buffer[4096];
    for (;;) {
        const ssize_t n = ::read(fds[0], buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        out.append(buffer, n);
    }
    ::close(fds[0]);
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) { }
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return std::nullopt;
    return out;
}

} // namespace pm
