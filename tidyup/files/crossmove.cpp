// SPDX-License-Identifier: MIT
#include "tidyup/files/crossmove.h"
#include "tidyup/files/noreplacemove.h"

#include <QScopeGuard>

#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <unistd.h>

namespace
{

constexpr size_t copyChunk = 1 << 20;

bool failed(Reason &reason, int error)
{
    reason = Reason(error);
    return false;
}

bool failed(Reason &reason, const char *why)
{
    reason = Reason(why);
    return false;
}

class Fd
{
public:
    explicit Fd(int fd = -1)
        : fd(fd)
    {
    }
    ~Fd()
    {
        if (fd >= 0)
            ::close(fd);
    }
    Fd(const Fd &) = delete;
    Fd &operator=(const Fd &) = delete;
    int get() const { return fd; }
    // Closes now, so that an error the file system reports only at close is not lost.
    bool close()
    {
        const int result = ::close(fd);
        fd = -1;
        return result == 0;
    }

private:
    int fd;
};

// The kernel tells a lease holder that its lease is being broken with SIGIO, whose default
// action ends the process. The break is read back with F_GETLEASE instead.
void ignoreLeaseBreakSignal()
{
    static const bool done = [] {
        struct sigaction current {
        };
        if (::sigaction(SIGIO, nullptr, &current) == 0 && current.sa_handler == SIG_DFL)
            std::signal(SIGIO, SIG_IGN);
        return true;
    }();
    Q_UNUSED(done)
}

bool sameState(const struct stat &a, const struct stat &b)
{
    return a.st_size == b.st_size && a.st_mtim.tv_sec == b.st_mtim.tv_sec
        && a.st_mtim.tv_nsec == b.st_mtim.tv_nsec && a.st_ctim.tv_sec == b.st_ctim.tv_sec
        && a.st_ctim.tv_nsec == b.st_ctim.tv_nsec;
}

// A network client grants a lease only while the server has delegated the file to it, and
// otherwise refuses it with EAGAIN, as a local file system does for a file open for writing.
bool leaseNeedsServer(int fd)
{
    struct statfs fs {
    };
    if (::fstatfs(fd, &fs) != 0)
        return false;
    switch (static_cast<unsigned long>(fs.f_type)) {
    case 0x6969: // NFS
    case 0xFF534D42: // CIFS
    case 0xFE534D42: // SMB2
        return true;
    default:
        return false;
    }
}

bool moveLink(const QByteArray &source, const QByteArray &dest, Reason &reason)
{
    char buffer[PATH_MAX];
    const ssize_t length = ::readlink(source.constData(), buffer, sizeof buffer - 1);
    if (length < 0)
        return failed(reason, errno);
    buffer[length] = '\0';
    if (::symlink(buffer, dest.constData()) != 0)
        return failed(reason, errno);
    if (::unlink(source.constData()) != 0) {
        const int error = errno;
        ::unlink(dest.constData());
        return failed(reason, error);
    }
    return true;
}

// The hidden name beside dest that a copy in progress goes by, for mkostemp.
QByteArray temporaryTemplate(const QByteArray &dest)
{
    const int slash = dest.lastIndexOf('/');
    const QByteArray dir = dest.left(slash + 1);
    QByteArray name = '.' + dest.mid(slash + 1) + ".partial-XXXXXX";
    if (name.size() > NAME_MAX)
        name = QByteArrayLiteral(".quorvix-data.partial-XXXXXX");
    return dir + name;
}

bool copyContent(int in, int out, bool leased, const std::atomic<bool> *stop, Reason &reason)
{
    const std::unique_ptr<char[]> buffer(new char[copyChunk]);
    for (;;) {
        const ssize_t got = ::read(in, buffer.get(), copyChunk);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return failed(reason, errno);
        if (got == 0)
            return true;
        for (ssize_t done = 0; done < got;) {
            const ssize_t put = ::write(out, buffer.get() + done, size_t(got - done));
            if (put < 0 && errno == EINTR)
                continue;
            if (put < 0)
                return failed(reason, errno);
            done += put;
        }
        // A writer that opens the file now waits for the lease: let it go at once.
        if (leased && ::fcntl(in, F_GETLEASE) != F_RDLCK)
            return failed(reason,
                QT_TRANSLATE_NOOP("Reason", "the file was opened for writing during the copy"));
        if (stop && stop->load(std::memory_order_relaxed))
            return failed(reason, QT_TRANSLATE_NOOP("Reason", "stopped"));
    }
}

bool copyFile(const QByteArray &source, const QByteArray &dest, NoReplaceMove &mover,
    const std::atomic<bool> *stop, Reason &reason)
{
    Fd in(::open(source.constData(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK));
    if (in.get() < 0)
        return failed(reason, errno);
    struct stat before {
    };
    if (::fstat(in.get(), &before) != 0)
        return failed(reason, errno);
    if (!S_ISREG(before.st_mode))
        return failed(reason, EXDEV);

    // The kernel refuses a read lease while any process has the file open for writing, and
    // breaks it when one opens it: the copy is then known to be of a file nobody writes. A
    // file of another owner, or one on a file server that has not delegated it, gets no lease;
    // then only a change of size or time can show.
    ignoreLeaseBreakSignal();
    const bool leased = ::fcntl(in.get(), F_SETLEASE, F_RDLCK) == 0;
    if (!leased && errno == EAGAIN && !leaseNeedsServer(in.get()))
        return failed(reason, QT_TRANSLATE_NOOP("Reason", "the file is open for writing"));
    const auto unlease = qScopeGuard([&] {
        if (leased)
            ::fcntl(in.get(), F_SETLEASE, F_UNLCK);
    });
    ::posix_fadvise(in.get(), 0, 0, POSIX_FADV_SEQUENTIAL);

    QByteArray temporary = temporaryTemplate(dest);
    Fd out(::mkostemp(temporary.data(), O_CLOEXEC));
    if (out.get() < 0)
        return failed(reason, errno);
    bool placed = false;
    const auto removeTemporary = qScopeGuard([&] {
        if (!placed)
            ::unlink(temporary.constData());
    });

    if (!copyContent(in.get(), out.get(), leased, stop, reason))
        return false;
    // Owner first: changing it clears the set-id bits that the mode then restores. Only root
    // may give a file away; anyone else keeps the copy as their own.
    if ((before.st_uid != ::geteuid() || before.st_gid != ::getegid())
        && ::fchown(out.get(), before.st_uid, before.st_gid) != 0 && errno != EPERM)
        return failed(reason, errno);
    const struct timespec times[] = { before.st_atim, before.st_mtim };
    if (::fchmod(out.get(), before.st_mode & 07777) != 0 || ::futimens(out.get(), times) != 0
        || ::fsync(out.get()) != 0 || !out.close())
        return failed(reason, errno);

    struct stat after {
    };
    if (::fstat(in.get(), &after) != 0)
        return failed(reason, errno);
    if (leased ? ::fcntl(in.get(), F_GETLEASE) != F_RDLCK : !sameState(before, after))
        return failed(
            reason, QT_TRANSLATE_NOOP("Reason", "the file was written to during the copy"));

    int error = 0;
    const NoReplaceMove::Result put
        = mover.move(AT_FDCWD, temporary.constData(), AT_FDCWD, dest.constData(), error);
    if (put == NoReplaceMove::Failed)
        return failed(reason, error);
    // Linked: the temporary name goes with the guard, the copy keeps its own.
    placed = put == NoReplaceMove::Moved;
    // The copy's name must be on disk before the only other copy goes.
    const QByteArray destDir = dest.left(dest.lastIndexOf('/') + 1);
    Fd dir(::open(destDir.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir.get() >= 0)
        ::fsync(dir.get());
    if (::unlink(source.constData()) != 0) {
        const int error = errno;
        ::unlink(dest.constData());
        return failed(reason, error);
    }
    return true;
}

} // namespace

bool CrossMove::move(const QByteArray &source, const QByteArray &dest, Reason &reason,
    NoReplaceMove &mover, const std::atomic<bool> *stop)
{
    struct stat entry {
    };
    if (::lstat(dest.constData(), &entry) == 0)
        return failed(reason, EEXIST);
    if (::lstat(source.constData(), &entry) != 0)
        return failed(reason, errno);
    if (S_ISLNK(entry.st_mode))
        return moveLink(source, dest, reason);
    return copyFile(source, dest, mover, stop, reason);
}
