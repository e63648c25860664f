// SPDX-License-Identifier: MIT
#include "tidyup/undo.h"
#include "tidyup/files/fileops.h"
#include "tidyup/files/linkpool.h"
#include "tidyup/record/runrecord.h"
#include "tidyup/report/reporter.h"
#include "tidyup/report/tally.h"

#include <QCoreApplication>
#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cerrno>

namespace
{

bool exists(const QString &path)
{
    const QFileInfo info(path);
    return info.exists() || info.isSymLink();
}

} // namespace

namespace TidyUp
{

RecordedRun lastRun(const Settings &settings)
{
    RecordedRun last;
    const QDir target(settings.target);
    const QString absoluteTarget = QDir::cleanPath(target.absolutePath());
    const auto absolute
        = [&target](const QString &name) { return QDir::cleanPath(target.absoluteFilePath(name)); };
    const QStringList records = RunRecord::all(absoluteTarget);
    for (auto it = records.crbegin(); it != records.crend(); ++it) {
        RecordContents::Header header;
        if (!RunRecord::readHeader(*it, header) || header.undone)
            continue;
        // Found in the target's own folder, a record that names another target is of this scan
        // under its old path, or was copied in from another scan.
        const QString recordedTarget = header.target;
        if (recordedTarget != absoluteTarget && !RunRecord::rebase(header, absoluteTarget))
            continue;
        // A run that changed nothing is none to undo; one still going may change anything.
        const bool running = RunRecord::inUse(*it, header);
        if (!header.changed && !running)
            continue;
        last.record = *it;
        last.started = header.started;
        last.followed = header.follow;
        last.ended = header.endedAt;
        last.user = header.user;
        // A killed run may have moved any file it was about to move.
        last.moved = header.ended ? header.moved : header.planned;
        last.running = running;
        if (recordedTarget != absoluteTarget)
            last.tidiedAs = recordedTarget;
        last.otherDirs = header.origs != absolute(settings.origs)
            || header.energy != absolute(settings.energy)
            || header.seqNo != absolute(settings.seqNo);
        break;
    }
    return last;
}

UndoOutcome undo(const Settings &settings, const Progress &progress, const std::atomic<bool> *stop)
{
    Reporter reporter(progress);
    UndoOutcome outcome;
    Tally tally(outcome);
    const RecordedRun last = lastRun(settings);
    outcome.record = last.record;
    outcome.tidiedAs = last.tidiedAs;
    const auto refuse = [&](const QString &problem) {
        outcome.dirProblem = problem;
        tally.line(problem);
        outcome.elapsedMs = reporter.elapsed();
        return outcome;
    };
    if (last.record.isEmpty())
        return refuse(QCoreApplication::translate("TidyUp", "No run of %1 is left to undo.")
                          .arg(settings.target));
    if (last.running)
        return refuse(QCoreApplication::translate("TidyUp", "A run of %1 is still going.")
                          .arg(settings.target));
    if (last.otherDirs) {
        return refuse(QCoreApplication::translate("TidyUp",
            "The last run of %1 used other output directories; name them as it did to undo it.")
                          .arg(settings.target));
    }
    outcome.dirsReady = true;

    // First the results, a byte a file, and the folders made; then the files, line by line, as
    // the record is read again: a hundred thousand names are never held at once.
    RecordContents contents;
    RunRecord::read(last.record, contents);
    outcome.listed = contents.header.planned;
    const QDir target(settings.target);
    const QString absoluteTarget = QDir::cleanPath(target.absolutePath());
    // Links still naming the files where the scan was tidied are the run's too.
    const FileOps ops(absoluteTarget, QDir::cleanPath(target.absoluteFilePath(settings.origs)),
        QDir::cleanPath(target.absoluteFilePath(settings.energy)),
        QDir::cleanPath(target.absoluteFilePath(settings.seqNo)), false,
        last.tidiedAs.isEmpty() ? QString() : contents.header.origs);
    if (!last.tidiedAs.isEmpty()) {
        const QByteArray old = QFile::encodeName(last.tidiedAs) + '/';
        for (QByteArray &dir : contents.dirs) {
            if (dir.startsWith(old))
                dir = QFile::encodeName(absoluteTarget) + dir.mid(old.size() - 1);
        }
    }
    const auto stopRequested = [stop] { return stop && stop->load(std::memory_order_relaxed); };
    const auto refused = [&](int number, const char *why) {
        QString line;
        QDebug(&line).nospace() << "Can't trust line " << number << " of the record " << last.record
                                << ": " << why;
        tally.failed(Failure::Record, last.record, Reason(why), line);
    };
    Reason reason;
    {
        LinkPool pool(settings.linkThreads, linkQueueLength);
        const auto undoFile = [&](const RecordContents::Plan &plan) {
            if (outcome.stopped)
                return;
            if (stopRequested()) {
                outcome.stopped = true;
                return;
            }
            // The record may have grown since it was first read.
            const quint8 recorded = size_t(plan.index) < contents.results.size()
                ? contents.results[size_t(plan.index)]
                : quint8(RecordContents::Left);
            const quint8 result = recorded & RecordContents::ResultMask;
            const QByteArray &name = plan.name;
            const QByteArray &newName = plan.newName;
            const bool unknown = result == RecordContents::NoResult;
            // A file that was left stayed where it was; one that has no result was moved only if
            // its new name is there and its old one free.
            if (result == RecordContents::Left
                || (unknown && (!exists(ops.movedPath(newName)) || exists(ops.sourcePath(name))))) {
                reporter.report(++outcome.done, outcome.listed);
                return;
            }
            // Links that the run did not make may have been made by a repair since.
            const auto unlinkAll = [&tally, &ops, recorded](const RecordContents::Plan &plan) {
                if (plan.energy.isEmpty())
                    return;
                tally.unlink(ops, FileOps::ByEnergy, plan.energy, plan.newName,
                    !(recorded & RecordContents::NoEnergyLink));
                tally.unlink(ops, FileOps::BySeqNo, plan.seqNo, plan.newName,
                    !(recorded & RecordContents::NoSeqNoLink));
            };
            // Back first: a file that cannot go back keeps its links.
            const NoReplaceMove::Result back = ops.moveBack(newName, name, reason, stop);
            if (back != NoReplaceMove::Failed) {
                ++outcome.moved;
                pool.push([&tally, &ops, plan, unlinkAll,
                              oldNameLeft = back == NoReplaceMove::Linked] {
                    Reason why;
                    if (oldNameLeft && !ops.removeMoved(plan.newName, why)) {
                        tally.takenBack(why, ops.finishInterrupted(plan.name, plan.newName),
                            ops.movedPath(plan.newName), " back to ", ops.sourcePath(plan.name));
                        return;
                    }
                    unlinkAll(plan);
                });
            } else if (stopRequested()) {
                outcome.stopped = true;
                return;
            } else if (reason.error() == EEXIST && ops.dropMoved(name, newName)) {
                // Under both names, left so by an undo that could not remove the new one.
                ++outcome.moved;
                pool.push([plan, unlinkAll] { unlinkAll(plan); });
            } else if (!(reason.error() == ENOENT && exists(ops.sourcePath(name)))) {
                // Back already, by an undo that was stopped, is no matter.
                tally.notMoved(ops.movedPath(newName), " back to ", ops.sourcePath(name), reason);
            }
            reporter.report(++outcome.done, outcome.listed);
        };
        RecordContents again;
        RunRecord::read(last.record, again, undoFile, refused);
    }
    outcome.moved -= tally.takenBack();
    outcome.linked = tally.linked();
    // Files whose lines could not be trusted were left alone: done with as well.
    if (!outcome.stopped && outcome.done < outcome.listed) {
        outcome.done = outcome.listed;
        reporter.report(outcome.done, outcome.listed);
    }
    // A file left under both names is finished by the next undo, as one of a stopped undo is.
    if (!outcome.stopped && !tally.bothNamesLeft()) {
        for (const auto &folder : qAsConst(contents.folders))
            ops.removeSub(FileOps::Tree(folder.first), folder.second);
        for (const QByteArray &dir : qAsConst(contents.dirs))
            QDir().rmdir(QFile::decodeName(dir));
        Reason why;
        RunRecord::append(last.record,
            { "undone", RunRecord::now(), RunRecord::user().toUtf8(),
                "moved " + QByteArray::number(outcome.moved),
                "not_moved " + QByteArray::number(outcome.notMoved) },
            why);
    }
    outcome.elapsedMs = reporter.elapsed();
    return outcome;
}

} // namespace TidyUp
