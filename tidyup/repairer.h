// SPDX-License-Identifier: MIT
#pragma once

#include "tidyup/files/linktext.h"
#include "tidyup/report/reason.h"

#include <QByteArray>
#include <atomic>

class RepairRecord;

// Makes and rewrites the links of both trees for a repair, from the threads that check them. It
// never removes or replaces anything but a symbolic link it has just looked at: a new link is
// made under a temporary name in the link's folder and exchanged with the old one, which is put
// back where it turns out to be no link; where the file system refuses the exchange (NFS), the
// old one is looked at once more and the new one renamed over it. Linux only.
class Repairer
{
public:
    // The links of settings' target, in the relative or absolute style; relink: all of them.
    Repairer(const TidyUp::Settings &settings, bool relative, bool relink, RepairRecord &record);

    // Whether a link that names its file with text is to be rewritten all the same: a relink
    // into the other style.
    bool restyle(int tree, const QByteArray &name, const QByteArray &text) const;
    // Makes the missing link name in the folder of tree at folderPath, the folder too where it is
    // missing; or, with old, rewrites the symbolic link there that says old. False, with reason,
    // where it could not; a refusal of symbolic links by the file system halts the repair.
    bool mend(int tree, const QByteArray &folderPath, const QByteArray &name, const QByteArray *old,
        Reason &reason);
    // Removes a temporary link that an earlier repair, killed, left at path.
    void removeTemporary(const QByteArray &path) const;
    // A symbolic link was refused: the repair goes no further.
    bool halted() const { return halt.load(std::memory_order_relaxed); }

private:
    const LinkText trees[2];
    const bool relative;
    const bool relink;
    RepairRecord &record;
    std::atomic<bool> halt { false };
    std::atomic<bool> exchangeRefused { false };
};
