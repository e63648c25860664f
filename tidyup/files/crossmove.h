// SPDX-License-Identifier: MIT
#pragma once

#include "tidyup/report/reason.h"
#include <QByteArray>

#include <QString>
#include <atomic>

class NoReplaceMove;

// Moves an entry where a rename cannot: the destination lies on another file system. Linux only.
//
// The toolkit's own fallback (QFile::rename copies, then removes) is not used: it removes the
// source before its last buffered write is checked, opens the destination without O_EXCL, reads
// through symbolic links and drops mode, owner and times. Here the copy goes to a hidden
// temporary beside the destination, every read, write, fsync and close is checked, the copy is
// put in place without replacing anything, and only then is the source removed.
class CrossMove
{
public:
    // Moves source to dest (paths in the file system's encoding), which must not exist. A
    // regular file is copied, a symbolic link is made again with the same link text; anything
    // else stays. A file that is open for writing, or opened for writing during the copy, stays
    // where it is. On failure the source is untouched, no temporary is left, and reason says
    // why. Once stop is set, a copy in progress is abandoned at the end of its chunk. The copy
    // is put in place by mover.
    static bool move(const QByteArray &source, const QByteArray &dest, Reason &reason,
        NoReplaceMove &mover, const std::atomic<bool> *stop = nullptr);
};
