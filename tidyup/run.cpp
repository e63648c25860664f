// SPDX-License-Identifier: MIT
#include "tidyup/run.h"
#include "tidyup/completion.h"
#include "tidyup/files/fileops.h"
#include "tidyup/files/linkpool.h"
#include "tidyup/files/runmarker.h"
#include "tidyup/names/listing.h"
#include "tidyup/names/namerule.h"
#include "tidyup/outputdirs.h"
#include "tidyup/record/runrecord.h"
#include "tidyup/report/reporter.h"
#include "tidyup/report/tally.h"

#include <QCoreApplication>
#include <QDebug>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <algorithm>

namespace TidyUp
{

Outcome run(const Settings &settings, const Progress &progress, const std::atomic<bool> *stop,
    Rounds *rounds)
{
    Reporter reporter(progress);
    Outcome outcome;
    Tally tally(outcome);
    const QDir target(settings.target);
    const auto absolute
        = [&target](const QString &name) { return QDir::cleanPath(target.absoluteFilePath(name)); };
    RecordContents::Header header;
    header.target = QDir::cleanPath(target.absolutePath());
    header.origs = absolute(settings.origs);
    header.energy = absolute(settings.energy);
    header.seqNo = absolute(settings.seqNo);
    header.fileExt = settings.fileExt;
    header.follow = rounds != nullptr;
    header.links
        = settings.relative() ? QLatin1String(relativeLinks) : QLatin1String(absoluteLinks);
    if (settings.relative()
        && !outputsInside(target, { settings.origs, settings.energy, settings.seqNo })) {
        outcome.dirProblem = outputsOutside();
        tally.line(QStringLiteral("Relative links need the output directories inside the target."));
        outcome.elapsedMs = reporter.elapsed();
        return outcome;
    }
    QStringList created;
    for (const QString &name : { settings.origs, settings.energy, settings.seqNo }) {
        if (!name.isEmpty())
            created << missingDirs(absolute(name));
    }
    created.removeDuplicates();
    // Children before their parents.
    std::sort(created.begin(), created.end(),
        [](const QString &a, const QString &b) { return a.size() > b.size(); });

    // A follow still going would be overtaken: it waits for files that a run would move.
    for (const QString &path : RunRecord::all(header.target)) {
        RecordContents::Header other;
        if (RunRecord::readHeader(path, other) && other.follow && !other.ended
            && RunRecord::inUse(path, other)) {
            outcome.dirProblem
                = QCoreApplication::translate("TidyUp", "A follow of %1 is going; stop it first.")
                      .arg(header.target);
            tally.line(QStringLiteral("A follow of the target is going."));
            outcome.elapsedMs = reporter.elapsed();
            return outcome;
        }
    }

    // Nothing is moved that the record does not hold first, nor a folder made.
    RunRecord record;
    QSet<QByteArray> seenFolders[2];
    QByteArray lastFolders[2];
    const QString treeDirs[]
        = { header.energy + QLatin1Char('/'), header.seqNo + QLatin1Char('/') };
    const auto noteFolder = [&](int tree, const QByteArray &sub) {
        // Listed in name order, files of one energy come together.
        if (!settings.record || sub.isEmpty() || sub == lastFolders[tree])
            return;
        lastFolders[tree] = sub;
        if (seenFolders[tree].contains(sub))
            return;
        seenFolders[tree].insert(sub);
        const QFileInfo folder(treeDirs[tree] + QFile::decodeName(sub));
        if (!folder.exists() && !folder.isSymLink())
            record.folderMade(tree, sub);
    };
    Reason why;
    if (settings.record && !record.start(header, created, why)) {
        outcome.dirProblem
            = QCoreApplication::translate("TidyUp", "Can't keep a record of the run in %1: %2.")
                  .arg(header.target, why.translated());
        QString line;
        QDebug(&line).nospace() << "Can't keep a record of the run in " << header.target << ": "
                                << qUtf8Printable(why.text());
        tally.failed(Failure::Record,
            header.target + QLatin1Char('/') + QLatin1String(RunRecord::folder), why, line);
        outcome.elapsedMs = reporter.elapsed();
        return outcome;
    }
    outcome.record = record.path();
    QString problem;
    Failure failure;
    if (!prepareDirs(target, settings.origs, settings.energy, settings.seqNo, &problem, &failure)) {
        QString quoted;
        QDebug(&quoted).nospace() << problem;
        outcome.lines << quoted;
        outcome.failures << failure;
        outcome.dirProblem = problem;
        tally.line(QStringLiteral("Dirs to tidy up files can not set up well."));
        // Nothing to undo: the directories it made stay, as a run that succeeded would leave them.
        record.discard();
        outcome.record.clear();
        outcome.elapsedMs = reporter.elapsed();
        return outcome;
    }
    outcome.dirsReady = true;
    const int dirsMade = int(std::count_if(created.cbegin(), created.cend(),
        [](const QString &dir) { return QFileInfo::exists(dir); }));

    QList<QByteArray> outputs;
    for (const QString &entry :
        outputDirEntries(target, { settings.origs, settings.energy, settings.seqNo }))
        outputs << QFile::encodeName(entry);
    std::vector<QByteArray> names;
    const auto list = [&] {
        names = listEntries(target, settings.fileExt);
        names.erase(std::remove_if(names.begin(), names.end(),
                        [&outputs](const QByteArray &name) { return outputs.contains(name); }),
            names.end());
    };
    // Rounds list the target themselves; a killed run's work is finished from a listing of its
    // own.
    if (!rounds)
        list();
    const FileOps ops(
        header.target, header.origs, header.energy, header.seqNo, settings.relative());
    // Removed when the run ends, after the last link: a marker left behind tells a later run to
    // finish the moves it left under both names and make the links of every moved file.
    const QByteArray origsEncoded = QFile::encodeName(header.origs);
    RunMarker marker(origsEncoded);
    bool completed = false;
    RunMarker::completeAbandoned(origsEncoded, [&] {
        completed = true;
        if (rounds)
            list();
        completeKilledRun(
            names, ops, header.origs, settings.linkThreads, tally, outcome, noteFolder);
    });
    // The records of the runs completed, told at the end what became of them, and only when this
    // run's record is kept: they name it.
    QStringList killedRecords;
    for (const QString &path :
        completed &&settings.record ? RunRecord::all(header.target) : QStringList()) {
        RecordContents::Header killed;
        if (path != record.path() && RunRecord::readHeader(path, killed) && !killed.ended
            && !killed.undone && !killed.completed && killed.target == header.target
            && !RunRecord::inUse(path, killed))
            killedRecords << path;
    }
    // A plain run's one round is its listing.
    struct Listed : Rounds {
        std::vector<QByteArray> *names;
        bool done = false;
        bool next(std::vector<QByteArray> &round) override
        {
            if (done)
                return false;
            done = true;
            round.swap(*names);
            return true;
        }
    } listed;
    listed.names = &names;
    Rounds &source = rounds ? *rounds : listed;

    const auto stopRequested = [stop] { return stop && stop->load(std::memory_order_relaxed); };
    struct Entry {
        QByteArray from;
        QByteArray to;
        QByteArray energy;
        QByteArray seqNo;
    };
    std::vector<Entry> batch;
    batch.reserve(linkQueueLength);
    QByteArray energy;
    QByteArray seqNo;
    Reason reason;
    {
        // Moves stay on this thread, in listing order: the first entry to claim a name wins it.
        LinkPool links(settings.linkThreads, linkQueueLength);
        std::vector<QByteArray> round;
        while (!outcome.stopped && source.next(round)) {
            // Entries are numbered across rounds: the record's plan goes on.
            const int offset = outcome.listed;
            outcome.listed += int(round.size());
            for (int first = offset; first < outcome.listed && !outcome.stopped;
                 first += linkQueueLength) {
                // A batch's names are in the record, in one write, before the first of its moves.
                batch.clear();
                for (int i = first; i < std::min(outcome.listed, first + linkQueueLength); ++i) {
                    energy.clear();
                    seqNo.clear();
                    QByteArray &name = round[size_t(i - offset)];
                    QByteArray newName = rewriteFileName(name, energy, seqNo);
                    // Each name is needed no more once in its batch.
                    batch.push_back({ std::move(name), std::move(newName), std::move(energy),
                        std::move(seqNo) });
                    if (settings.record)
                        record.plan(i + 1, batch.back().from, batch.back().to);
                    noteFolder(FileOps::ByEnergy, batch.back().energy);
                    noteFolder(FileOps::BySeqNo, batch.back().seqNo);
                }
                if (settings.record && !record.write(why)) {
                    QString line;
                    QDebug(&line).nospace()
                        << "Can't write the record " << record.path() << ": "
                        << qUtf8Printable(why.text())
                        << "; the run stopped before the files it could not record";
                    tally.failed(Failure::Record, record.path(), why, line);
                    outcome.stopped = true;
                    break;
                }
                for (int k = 0; k < int(batch.size()); ++k) {
                    if (stopRequested()) {
                        outcome.stopped = true;
                        break;
                    }
                    Entry &entry = batch[size_t(k)];
                    const int index = first + k + 1;
                    const NoReplaceMove::Result moved
                        = ops.move(entry.from, entry.to, reason, stop);
                    if (moved != NoReplaceMove::Failed) {
                        ++outcome.moved;
                        if (settings.record)
                            record.moved(index);
                        source.moved(entry.from);
                        // A name without energy and sequence fields has nowhere to be linked under.
                        // The old name left by a hard link is removed off this thread: on a file
                        // server that is a round trip.
                        if (!entry.energy.isEmpty() || moved == NoReplaceMove::Linked) {
                            links.push(
                                [&tally, &ops, &record, index, from = std::move(entry.from),
                                    to = std::move(entry.to),
                                    oldNameLeft = moved == NoReplaceMove::Linked,
                                    e = std::move(entry.energy), q = std::move(entry.seqNo)] {
                                    Reason why;
                                    if (oldNameLeft && !ops.removeSource(from, why)) {
                                        record.left(index,
                                            tally.takenBack(why, ops.dropMoved(from, to),
                                                ops.sourcePath(from), " to ", ops.movedPath(to)));
                                        return;
                                    }
                                    if (e.isEmpty())
                                        return;
                                    tally.link(ops, FileOps::ByEnergy, e, to, record, index);
                                    tally.link(ops, FileOps::BySeqNo, q, to, record, index);
                                });
                        }
                    } else if (stopRequested()) {
                        // A copy abandoned half-way: the entry is as it was.
                        outcome.stopped = true;
                        break;
                    } else {
                        tally.notMoved(
                            ops.sourcePath(entry.from), " to ", ops.movedPath(entry.to), reason);
                        if (settings.record)
                            record.left(index, reason);
                    }
                    reporter.report(++outcome.done, outcome.listed);
                }
            }
            links.flush();
            // With no link thread at work, the counts hold still.
            source.ended(outcome.moved - tally.takenBack(), outcome.notMoved, tally.linked(),
                outcome.failures);
        }
        // A follow ends on stop between rounds too.
        outcome.stopped = outcome.stopped || (rounds && stopRequested());
        outcome.settling = source.settling();
        // Leaving this scope waits for the links of every file moved.
    }
    outcome.moved -= tally.takenBack();
    outcome.linked = tally.linked();
    outcome.restored = tally.restored();
    // The next run finishes the move, as it finishes those of a killed run.
    if (tally.bothNamesLeft())
        marker.keep();
    const int made = dirsMade + tally.madeFolders();
    // A file left under both names is a change too: its record says so.
    if (outcome.moved + outcome.linked + outcome.restored + outcome.finished + made == 0
        && !tally.bothNamesLeft()) {
        // Undo is for the run that changed something, and the last run shown is that one.
        record.discard();
        outcome.record.clear();
    } else {
        record.end({ { "listed", outcome.listed }, { "moved", outcome.moved },
            { "not_moved", outcome.notMoved }, { "linked", outcome.linked },
            { "links_not_made", outcome.linksNotMade }, { "restored", outcome.restored },
            { "finished", outcome.finished }, { "made", made }, { "stopped", outcome.stopped } });
        // Whoever reads the record of a killed run learns what became of it.
        for (const QString &path : qAsConst(killedRecords)) {
            RunRecord::append(path,
                { "completed", RunRecord::now(),
                    QFile::encodeName(QFileInfo(record.path()).fileName()),
                    "finished " + QByteArray::number(outcome.finished),
                    "restored " + QByteArray::number(outcome.restored) },
                why);
        }
    }
    outcome.elapsedMs = reporter.elapsed();
    return outcome;
}

} // namespace TidyUp
