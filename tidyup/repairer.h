// SPDX-License-Identifier: MIT
#pragma once

#include "tidyup/files/linktext.h"
#include "tidyup/linkmender.h"
#include "tidyup/report/reason.h"
#include "tidyup/tidyup.h"

#include <QByteArray>
#include <atomic>

class RepairRecord;

// Makes and rewrites the links of both trees for a repair, from the threads that check them. It
// never removes or replaces anything but a symbolic link it has just looked at: a new link is
// made under a temporary name in the link's folder and exchanged with the old one, which is put
// back where it turns out to be no link; where the file system refuses the exchange (NFS), the
// old one is looked at once more and the new one renamed over it. Linux only.
class Repairer : public LinkMender
{
public:
    // The links of settings' target, in the relative or absolute style; relink: all of them.
    Repairer(const TidyUp::Settings &settings, bool relative, bool relink, RepairRecord &record);

    // Whether a link that names its file with text is to be rewritten all the same: a relink
    // into the other style.
    bool restyle(int tree, const QByteArray &name, const QByteArray &text) const override;
    // Makes the missing link name in the folder of tree at folderPath, the folder too where it is
    // missing; or, with old, rewrites the symbolic link there that says old. False, with reason,
    // where it could not; a refusal of symbolic links by the file system halts the repair.
    bool mend(int tree, const QByteArray &folderPath, const QByteArray &name, const QByteArray *old,
        Reason &reason) override;
    // Removes a temporary link that an earlier repair, killed, left at path.
    void removeTemporary(const QByteArray &path) const override;
    // A symbolic link was refused: the repair goes no further.
    bool halted() const override { return halt.load(std::memory_order_relaxed); }

private:
    const LinkText trees[2];
    const bool relative;
    const bool relink;
    RepairRecord &record;
    std::atomic<bool> halt { false };
    std::atomic<bool> exchangeRefused { false };
};

namespace TidyUp
{

// Makes the missing links and rewrites those naming another file, in the style request asks for,
// and keeps a record of it. What is not a link, and every other entry, stays as it is. Safe to
// stop, kill and run again: the next repair finishes what this one left.
CheckOutcome repair(const Settings &settings, const RepairRequest &request,
    const Progress &progress = {}, const std::atomic<bool> *stop = nullptr);

} // namespace TidyUp
