// SPDX-License-Identifier: MIT
#include "noreplacemove.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace
{

bool flagRefused(int error)
{
    return error == EINVAL || error == ENOSYS || error == EOPNOTSUPP;
}

bool hardLinkRefused(int error)
{
    return error == EPERM || error == EOPNOTSUPP || error == ENOSYS || error == EMLINK;
}

} // namespace

NoReplaceMove::Result NoReplaceMove::move(
    int fromDir, const char *from, int toDir, const char *to, int &error)
{
    if (!flagsRefused.load(std::memory_order_relaxed)) {
        if (::renameat2(fromDir, from, toDir, to, RENAME_NOREPLACE) == 0)
            return Moved;
        error = errno;
        if (!flagRefused(error))
            return Failed;
        flagsRefused.store(true, std::memory_order_relaxed);
    }
    if (::linkat(fromDir, from, toDir, to, 0) == 0)
        return Linked;
    error = errno;
    if (!hardLinkRefused(error))
        return Failed;
    struct stat taken {
    };
    if (::fstatat(toDir, to, &taken, AT_SYMLINK_NOFOLLOW) == 0) {
        error = EEXIST;
        return Failed;
    }
    if (errno != ENOENT) {
        error = errno;
        return Failed;
    }
    if (::renameat(fromDir, from, toDir, to) == 0)
        return Moved;
    error = errno;
    return Failed;
}

int NoReplaceMove::moveNow(int fromDir, const char *from, int toDir, const char *to)
{
    int error = 0;
    switch (move(fromDir, from, toDir, to, error)) {
    case Failed:
        return error;
    case Moved:
        return 0;
    case Linked:
        return removeOldName(fromDir, from);
    }
    return 0;
}

int NoReplaceMove::removeOldName(int fromDir, const char *from)
{
    return ::unlinkat(fromDir, from, 0) == 0 || errno == ENOENT ? 0 : errno;
}
