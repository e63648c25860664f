// SPDX-License-Identifier: MIT
#include "tidyup/completion.h"
#include "tidyup/files/fileops.h"
#include "tidyup/files/linkpool.h"
#include "tidyup/names/listing.h"
#include "tidyup/names/namerule.h"
#include "tidyup/report/tally.h"

#include <QDir>
#include <QFile>
#include <algorithm>

namespace TidyUp
{

void completeKilledRun(std::vector<QByteArray> &names, const FileOps &ops, const QString &origs,
    int linkThreads, Tally &tally, Outcome &outcome,
    const std::function<void(int tree, const QByteArray &sub)> &noteFolder)
{
    QString energy;
    QString seqNo;
    names.erase(
        std::remove_if(names.begin(), names.end(),
            [&](const QByteArray &name) {
                const bool finished = ops.finishInterrupted(name,
                    QFile::encodeName(rewriteFileName(QFile::decodeName(name), energy, seqNo)));
                outcome.finished += finished;
                return finished;
            }),
        names.end());
    LinkPool restoring(linkThreads, linkQueueLength);
    for (const QByteArray &to : listEntries(QDir(origs), QStringLiteral("*"))) {
        energy.clear();
        const QString name = QFile::decodeName(to);
        if (rewriteFileName(name, energy, seqNo) != name || energy.isEmpty())
            continue;
        noteFolder(FileOps::ByEnergy, QFile::encodeName(energy));
        noteFolder(FileOps::BySeqNo, QFile::encodeName(seqNo));
        restoring.push(
            [&tally, &ops, to, e = QFile::encodeName(energy), q = QFile::encodeName(seqNo)] {
                tally.restore(ops, FileOps::ByEnergy, e, to);
                tally.restore(ops, FileOps::BySeqNo, q, to);
            });
    }
}

} // namespace TidyUp
