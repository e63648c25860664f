// SPDX-License-Identifier: MIT
#include "tidyup/follow/filelook.h"

#include <QFile>
#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <thread>
#include <unistd.h>

namespace
{

constexpr long nfsMagic = 0x6969;

qint64 milliseconds(const timespec &time)
{
    return qint64(time.tv_sec) * 1000 + time.tv_nsec / 1000000;
}

} // namespace

namespace TidyUp
{

bool FileLook::open(const QString &dir, const QString &clockFile)
{
    dirFd = ::open(QFile::encodeName(dir).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd < 0)
        return false;
    struct statfs fs {
    };
    local = ::fstatfs(dirFd, &fs) == 0 && long(fs.f_type) != nfsMagic;
    clockFd = ::open(QFile::encodeName(clockFile).constData(),
        O_WRONLY | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    return true;
}

FileLook::~FileLook()
{
    for (const int fd : { dirFd, clockFd }) {
        if (fd >= 0)
            ::close(fd);
    }
}

Settler::Look FileLook::look(const QByteArray &name) const
{
    Settler::Look found;
    struct stat st {
    };
    // Opening makes an NFS client ask the server afresh (close-to-open); a stat by name may
    // answer from attributes a minute old.
    const int fd
        = ::openat(dirFd, name.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        // A symbolic link, or what cannot be opened: its own times, by name.
        if (::fstatat(dirFd, name.constData(), &st, AT_SYMLINK_NOFOLLOW) != 0)
            return found;
    } else {
        const bool stated = ::fstat(fd, &st) == 0;
        // A read lease is refused with EAGAIN while a process of this machine has the file open
        // for writing; any other answer says nothing, and the settle time decides alone. The
        // close gives a lease taken back.
        if (stated && local && S_ISREG(st.st_mode) && ::fcntl(fd, F_SETLEASE, F_RDLCK) != 0)
            found.beingWritten = errno == EAGAIN;
        ::close(fd);
        if (!stated)
            return found;
    }
    found.found = true;
    found.size = qint64(st.st_size);
    found.mtimeMs = milliseconds(st.st_mtim);
    return found;
}

std::vector<Settler::Look> FileLook::look(const std::vector<QByteArray> &names) const
{
    std::vector<Settler::Look> looks(names.size());
    const auto slice = [&](size_t from, size_t to) {
        for (size_t i = from; i < to; ++i)
            looks[i] = look(names[i]);
    };
    // A finished scan's first round looks at every file before it moves one; on a file server
    // each look waits for a round trip or two.
    const size_t threads = std::min<size_t>(8, names.size() / 256);
    if (threads < 2) {
        slice(0, names.size());
        return looks;
    }
    const size_t each = (names.size() + threads - 1) / threads;
    std::vector<std::thread> helpers;
    for (size_t t = 1; t < threads; ++t)
        helpers.emplace_back(slice, t * each, std::min(names.size(), (t + 1) * each));
    slice(0, each);
    for (std::thread &helper : helpers)
        helper.join();
    return looks;
}

qint64 FileLook::fileSystemNow() const
{
    struct stat st {
    };
    if (clockFd < 0 || ::futimens(clockFd, nullptr) != 0 || ::fstat(clockFd, &st) != 0)
        return -1;
    return milliseconds(st.st_mtim);
}

} // namespace TidyUp
