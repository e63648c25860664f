// SPDX-License-Identifier: MIT
#pragma once

#include <atomic>

// Gives an entry a new name without ever replacing one, on every file system. The kernel's
// RENAME_NOREPLACE is refused by some (the NFS client refuses every rename flag with EINVAL);
// there a hard link under the new name is made instead, which the server itself refuses on a
// taken name, and the old name is removed afterwards. Where hard links are refused too (a
// directory, a file of another owner under protected hard links, FAT and some SMB mounts), the
// new name is checked to be free and the entry renamed without flags: the one way with a moment
// between the check and the move. Linux only.
class NoReplaceMove
{
public:
    enum Result {
        Failed,
        Moved,
        // The entry has both names now: the old one is still to be removed with removeOldName.
        Linked,
    };

    // Moves fromDir/from to toDir/to (descriptors of open directories); on Failed, error holds
    // the errno. A refused rename flag is learned once, for every later call on this object.
    Result move(int fromDir, const char *from, int toDir, const char *to, int &error);
    // Moves without ever giving the entry a second name, for an entry that must stay one open
    // file throughout (a locked one: a FUSE file system may keep each name's locks apart): the
    // rename flag, or where it is refused the check and a rename without flags. 0 or the errno.
    static int renameWhole(int fromDir, const char *from, int toDir, const char *to);
    // Removes the old name that Linked left; 0 or the errno. An old name that is gone already
    // was taken care of by another run: that counts as done. The new name is never removed here:
    // the file might then have no name left.
    static int removeOldName(int fromDir, const char *from);

private:
    std::atomic<bool> flagsRefused { false };
};
