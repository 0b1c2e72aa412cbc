// A small file system of the test's own, for the failures a plain directory can't produce for
// root: a full disk and a read-only directory. It is a tmpfs mounted inside a private mount
// namespace, so nothing is left mounted when a test dies, and nothing outside the test sees it.
// Unix alone.
#pragma once

#include "testsupport.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>
#include <QTemporaryDir>

#include <fcntl.h>
#include <sched.h>
#include <sys/mount.h>
#include <unistd.h>

#include <cerrno>

namespace qctest {

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

// A program directory of the test's own ("program" in a temporary folder), over which a small
// file system of the test's own can be mounted.
class ScratchProgramDir
{
public:
    ScratchProgramDir()
        : m_path(m_top.filePath(QStringLiteral("program")))
        , m_encoded(QFile::encodeName(m_path))
        , m_program(m_path)
    {
        QDir().mkpath(m_path);
    }
    ~ScratchProgramDir()
    {
        if (m_mounted)
            ::umount2(m_encoded.constData(), MNT_DETACH);
    }
    ScratchProgramDir(const ScratchProgramDir &) = delete;
    ScratchProgramDir &operator=(const ScratchProgramDir &) = delete;

    QString path() const { return m_path; }

    // Mounts a tmpfs of the given size over the (still empty) directory; false where the test can't
    // have a private mount namespace (QSKIP(NoScratchFs) then).
    [[nodiscard]] bool mount(int kilobytes)
    {
        const QByteArray options = "size=" + QByteArray::number(kilobytes) + "k,mode=0755";
        m_mounted = enterPrivateMountNamespace()
            && ::mount("qc-scratch", m_encoded.constData(), "tmpfs", 0, options.constData()) == 0;
        return m_mounted;
    }
    static constexpr const char *NoScratchFs
        = "no private mount namespace here to make a small or read-only file system in";

    bool remountReadOnly()
    {
        return ::mount(nullptr, m_encoded.constData(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr) == 0;
    }
    bool remountWritable()
    {
        return ::mount(nullptr, m_encoded.constData(), nullptr, MS_REMOUNT, nullptr) == 0;
    }

    // Takes every free block with one file, "filler"; true when the disk really ended up full.
    bool fill()
    {
        QFile filler(m_path + QStringLiteral("/filler"));
        if (!filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
            return false;
        const QByteArray block(512, 'x');
        while (filler.write(block) == block.size()) { }
        return errno == ENOSPC || filler.error() == QFileDevice::ResourceError
            || filler.error() == QFileDevice::WriteError;
    }

private:
    QTemporaryDir m_top;
    QString m_path;
    QByteArray m_encoded;
    ProgramDir m_program;
    bool m_mounted = false;
};

} // namespace qctest
