// A small file system of the test's own, for the failures a plain directory can't produce for
// root: a full disk and a read-only directory. It is a tmpfs mounted inside a private mount
// namespace, so nothing is left mounted when a test dies, and nothing outside the test sees it.
#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

#include <fcntl.h>
#include <sched.h>
#include <sys/mount.h>
#include <unistd.h>

#include <cerrno>

namespace qcfault {

inline bool writeProcFile(const char *path, const QByteArray &text)
{
    const int fd = ::open(path, O_WRONLY);
    if (fd < 0)
        return false;
    const bool ok = ::write(fd, text.constData(), size_t(text.size())) == text.size();
    ::close(fd);
    return ok;
}

// Call at the top of main, before any thread starts (a user namespace needs a single thread).
// Root gets a mount namespace; anyone else a user namespace with one, where the kernel allows.
inline bool enterPrivateMountNamespace()
{
    static bool entered = false;
    if (entered)
        return true;
    if (::unshare(CLONE_NEWNS) != 0) {
        const QByteArray uid = QByteArray::number(::getuid());
        const QByteArray gid = QByteArray::number(::getgid());
        if (::unshare(CLONE_NEWUSER | CLONE_NEWNS) != 0)
            return false;
        writeProcFile("/proc/self/setgroups", "deny");
        if (!writeProcFile("/proc/self/uid_map", "0 " + uid + " 1")
            || !writeProcFile("/proc/self/gid_map", "0 " + gid + " 1"))
            return false;
    }
    // Our mounts must not travel back to the parent namespace.
    entered = ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0;
    return entered;
}

class ScratchFs
{
public:
    // Mounts a tmpfs of the given size over the (existing, empty) directory.
    ScratchFs(const QString &directory, int kilobytes)
        : m_directory(QFile::encodeName(directory))
    {
        const QByteArray options = "size=" + QByteArray::number(kilobytes) + "k,mode=0755";
        m_mounted = enterPrivateMountNamespace()
            && ::mount("qc-scratch", m_directory.constData(), "tmpfs", 0, options.constData()) == 0;
    }
    ~ScratchFs()
    {
        if (m_mounted)
            ::umount2(m_directory.constData(), MNT_DETACH);
    }
    ScratchFs(const ScratchFs &) = delete;
    ScratchFs &operator=(const ScratchFs &) = delete;

    bool isMounted() const { return m_mounted; }

    bool remountReadOnly()
    {
        return ::mount(nullptr, m_directory.constData(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr) == 0;
    }

    // Takes every free block with one file; true when the disk really ended up full.
    bool fill()
    {
        QFile filler(QString::fromLocal8Bit(m_directory + "/filler"));
        if (!filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
            return false;
        const QByteArray block(512, 'x');
        while (filler.write(block) == block.size()) { }
        return errno == ENOSPC || filler.error() == QFileDevice::ResourceError
            || filler.error() == QFileDevice::WriteError;
    }

private:
    QByteArray m_directory;
    bool m_mounted = false;
};

} // namespace qcfault
