// SPDX-License-Identifier: MIT
#pragma once

#include <atomic>

// Gives an entry a new name without ever replacing one, on every file system. The kernel's
// RENAME_NOREPLACE is refused by some (the NFS client refuses every rename flag); there a hard
// link under the new name is made instead, which the server itself refuses on a taken name, and
// the old name is removed afterwards. Where hard links are refused too (a directory, a file of
// another owner under protected hard links, FAT and some SMB mounts), the new name is checked to
// be free and the entry renamed without flags: the one way with a moment between the check and
// the move. Linux only.
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
    // move, and for Linked the old name removed at once; 0 or the errno.
    int moveNow(int fromDir, const char *from, int toDir, const char *to);
    // Removes the old name that Linked left; 0 or the errno. An old name that is gone already
    // was taken care of by another run: that counts as done. The new name is never removed here:
    // the file might then have no name left.
    static int removeOldName(int fromDir, const char *from);

private:
    std::atomic<bool> flagsRefused { false };
};
