// SPDX-License-Identifier: MIT
#include "tidyup/files/noreplacemove.h"

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

// The last way: with a moment between the check and the rename.
int renameIfFree(int fromDir, const char *from, int toDir, const char *to)
{
    struct stat taken {
    };
    if (::fstatat(toDir, to, &taken, AT_SYMLINK_NOFOLLOW) == 0)
        return EEXIST;
    if (errno != ENOENT)
        return errno;
    return ::renameat(fromDir, from, toDir, to) == 0 ? 0 : errno;
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
    error = renameIfFree(fromDir, from, toDir, to);
    return error == 0 ? Moved : Failed;
}

int NoReplaceMove::renameWhole(int fromDir, const char *from, int toDir, const char *to)
{
    if (::renameat2(fromDir, from, toDir, to, RENAME_NOREPLACE) == 0)
        return 0;
    return flagRefused(errno) ? renameIfFree(fromDir, from, toDir, to) : errno;
}

int NoReplaceMove::removeOldName(int fromDir, const char *from)
{
    return ::unlinkat(fromDir, from, 0) == 0 || errno == ENOENT ? 0 : errno;
}
