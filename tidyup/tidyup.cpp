// SPDX-License-Identifier: MIT
#include "tidyup.h"
#include "dirscan.h"
#include "fileops.h"
#include "linkpool.h"
#include "noreplacemove.h"
#include "runmarker.h"
#include "runrecord.h"

#include <algorithm>
#include <cerrno>
#include <mutex>
#include <utility>
#include <vector>

#include <QCoreApplication>
#include <QDebug>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSet>

namespace
{

const QRegularExpression &namePattern()
{
    static const QRegularExpression pattern(QStringLiteral("(.*-)([\\d+_]+)(eV-)(\\d+)(\\..*)"));
    return pattern;
}

// What a run writes and counts from the moving thread and the link threads at once.
class Tally
{
public:
    explicit Tally(TidyUp::Outcome &outcome)
        : outcome(outcome)
    {
    }

    void line(const QString &line)
    {
        const std::lock_guard<std::mutex> lock(mutex);
        write(line);
    }

    // The line of a failure, kept with what failed, where and why.
    void failed(
        TidyUp::Failure::What what, const QString &path, const Reason &reason, const QString &line)
    {
        const std::lock_guard<std::mutex> lock(mutex);
        if (write(line))
            outcome.failures.append({ what, QFile::encodeName(path), reason });
        // A handful of reasons at most: a list is quicker to search than a hash, and kept in
        // order of size as it grows.
        auto &groups = outcome.groups;
        int i
            = int(std::find_if(groups.begin(), groups.end(), [&](const TidyUp::Outcome::Group &g) {
                  return g.what == what && g.reason == reason;
              }) - groups.begin());
        if (i == groups.size())
            groups.append({ what, reason, 0 });
        for (++groups[i].count; i > 0 && groups[i - 1].count < groups[i].count; --i)
            std::swap(groups[i - 1], groups[i]);
    }

    // An entry that stays where it is, with its line.
    void notMoved(const QString &from, const char *joint, const QString &to, const Reason &reason)
    {
        QString text;
        QDebug(&text).nospace() << "Can't move " << from << joint << to << ": "
                                << qUtf8Printable(reason.text());
        failed(TidyUp::Failure::Move, from, reason, text);
        const std::lock_guard<std::mutex> lock(mutex);
        ++outcome.notMoved;
    }

    // A link not made goes into record.
    void link(const FileOps &ops, FileOps::Tree tree, const QByteArray &sub,
        const QByteArray &newName, RunRecord &record, int index)
    {
        Reason reason;
        bool madeSub = false;
        const bool linked = ops.link(tree, sub, newName, reason, &madeSub);
        foldersMade += madeSub;
        if (linked) {
            const std::lock_guard<std::mutex> lock(mutex);
            ++outcome.linked;
            return;
        }
        QString text;
        const QString path = ops.linkPath(tree, sub, newName);
        QDebug(&text).nospace() << "Can't make the link " << path << " to "
                                << ops.movedPath(newName) << ": " << qUtf8Printable(reason.text());
        failed(TidyUp::Failure::Link, path, reason, text);
        record.linkNotMade(index, tree);
        const std::lock_guard<std::mutex> lock(mutex);
        ++outcome.linksNotMade;
    }

    // Makes a link that an interrupted run left unmade; a name that is taken stays as it is.
    void restore(
        const FileOps &ops, FileOps::Tree tree, const QByteArray &sub, const QByteArray &newName)
    {
        Reason reason;
        bool madeSub = false;
        const bool linked = ops.link(tree, sub, newName, reason, &madeSub);
        foldersMade += madeSub;
        if (!linked)
            return;
        const std::lock_guard<std::mutex> lock(mutex);
        ++outcome.restored;
    }

    // A move that gave the file its new name beside the old one but could not remove the old
    // one, for why. The file went back to the old name where the new one could be removed
    // (newNameRemoved), as if never moved; else it stays under both. Either way it counts as not
    // moved, though the moving thread counted it as moved.
    Reason takenBack(const Reason &why, bool newNameRemoved, const QString &from, const char *joint,
        const QString &to)
    {
        Reason reason = why;
        if (newNameRemoved)
            reason.explain(QT_TRANSLATE_NOOP("Reason", "the old name could not be removed"));
        else
            reason = Reason(QT_TRANSLATE_NOOP("Reason", "the file is under both names"));
        notMoved(from, joint, to, reason);
        const std::lock_guard<std::mutex> lock(mutex);
        ++movesTakenBack;
        underBothNames |= !newNameRemoved;
        return reason;
    }

    // Moves counted by the moving thread that takenBack took back; and whether a file stays
    // under both names.
    int takenBack() const { return movesTakenBack; }
    bool bothNamesLeft() const { return underBothNames; }
    // Folders of the link trees made by link and restore.
    int madeFolders() const { return foldersMade; }

    // A link that is not there, never made or removed already, is no matter.
    void unlink(
        const FileOps &ops, FileOps::Tree tree, const QByteArray &sub, const QByteArray &newName)
    {
        Reason reason;
        const bool removed = ops.unlink(tree, sub, newName, reason);
        if (removed || reason.error() == ENOENT) {
            const std::lock_guard<std::mutex> lock(mutex);
            outcome.linked += removed;
            return;
        }
        QString text;
        const QString path = ops.linkPath(tree, sub, newName);
        QDebug(&text).nospace() << "Left the link " << path << ": "
                                << qUtf8Printable(reason.text());
        failed(TidyUp::Failure::Link, path, reason, text);
        const std::lock_guard<std::mutex> lock(mutex);
        ++outcome.linksNotMade;
    }

private:
    // Writes line to the debug channel and keeps it for the outcome, up to a bound: a run where
    // every move fails must not hold a hundred thousand lines. False once the bound is reached.
    bool write(const QString &line)
    {
        qDebug().noquote() << line;
        if (outcome.lines.size() >= TidyUp::maxLines) {
            ++outcome.moreLines;
            return false;
        }
        outcome.lines << line;
        return true;
    }

    std::mutex mutex;
    TidyUp::Outcome &outcome;
    int movesTakenBack = 0;
    bool underBothNames = false;
    std::atomic<int> foldersMade { 0 };
};

// Reports after the first entry, after the last, and in between at most every interval.
class Reporter
{
public:
    explicit Reporter(const TidyUp::Progress &progress)
        : progress(progress)
    {
        clock.start();
    }

    void report(int done, int listed)
    {
        if (progress
            && (done == 1 || done == listed
                || clock.elapsed() - last >= TidyUp::progressIntervalMs)) {
            last = clock.elapsed();
            progress(done, listed);
        }
    }

    qint64 elapsed() const { return clock.elapsed(); }

private:
    const TidyUp::Progress &progress;
    QElapsedTimer clock;
    qint64 last = 0;
};

// The directories that making path would create, deepest first.
QStringList missingDirs(const QString &path)
{
    QStringList missing;
    for (QFileInfo dir(path); !dir.exists() && !dir.isSymLink(); dir.setFile(dir.path())) {
        if (dir.path() == dir.filePath())
            break;
        missing << dir.filePath();
    }
    return missing;
}

quint64 nameHash(const QString &name)
{
    return std::hash<std::u16string_view>()(
        std::u16string_view(reinterpret_cast<const char16_t *>(name.utf16()), size_t(name.size())));
}

// Sorts hashes and returns how many differ.
int distinct(std::vector<quint64> &hashes)
{
    std::sort(hashes.begin(), hashes.end());
    return int(std::unique(hashes.begin(), hashes.end()) - hashes.begin());
}

// The names directly in the target directory that are, or lead to, one of the output
// directories: moving one of them would move an output directory into another, or into itself.
// A handful at most: a list is quicker to search than a hash for every listed name.
QStringList outputDirEntries(const QDir &target, const QStringList &outputNames)
{
    QStringList entries;
    const QString roots[] = { QDir::cleanPath(target.absolutePath()), target.canonicalPath() };
    for (const QString &name : outputNames) {
        const QFileInfo info(target, name);
        const QString paths[]
            = { QDir::cleanPath(info.absoluteFilePath()), info.canonicalFilePath() };
        for (const QString &root : roots) {
            const QString prefix = root.endsWith(QLatin1Char('/')) ? root : root + QLatin1Char('/');
            for (const QString &path : paths) {
                if (!root.isEmpty() && path.startsWith(prefix))
                    entries << path.mid(prefix.size()).section(QLatin1Char('/'), 0, 0);
            }
        }
    }
    entries.removeDuplicates();
    return entries;
}

// The order of the directory's own listing by name, case ignored, and then by the bytes: names
// of ASCII, nearly all of them, are compared in place, byte by byte; from the first other byte
// on, as lower-case text.
bool caseInsensitiveBefore(const QByteArray &a, const QByteArray &b)
{
    const auto lower = [](unsigned char c) { return c >= 'A' && c <= 'Z' ? c + 32 : int(c); };
    const int common = std::min(a.size(), b.size());
    for (int i = 0; i < common; ++i) {
        const auto x = static_cast<unsigned char>(a[i]);
        const auto y = static_cast<unsigned char>(b[i]);
        if (x >= 0x80 || y >= 0x80) {
            const QString restA = QFile::decodeName(a.mid(i)).toLower();
            const QString restB = QFile::decodeName(b.mid(i)).toLower();
            return restA != restB ? restA < restB : a < b;
        }
        if (lower(x) != lower(y))
            return lower(x) < lower(y);
    }
    return a.size() != b.size() ? a.size() < b.size() : a < b;
}

enum DirCheck { DirMissing, NotADir };

QString dirProblem(DirCheck check, const QString &name, const QDir &target)
{
    const char *const messages[] = {
        QT_TRANSLATE_NOOP("Body", "The dir [%1] is not in [%2]."),
        QT_TRANSLATE_NOOP("Body", "The entry [%1] in [%2] is not directory."),
    };
    // One substitution pass, so that a "%2" typed into a name stays as typed.
    return QCoreApplication::translate("Body", messages[check]).arg(name, target.path());
}

} // namespace

QString TidyUp::rewriteFileName(const QString &fileName, QString &energy, QString &seqNo)
{
    QString result = fileName;
    const QRegularExpressionMatch match = namePattern().match(fileName);
    if (!match.hasMatch())
        return result;
    energy = match.captured(2);
    seqNo = match.captured(4);
    if (!energy.contains(QLatin1Char('_'))) {
        const QLatin1String suffix("_00");
        energy += suffix;
        // Inserted in place rather than rebuilt from the groups: a match need not span the
        // whole name (a line break ends it), and no character of the name may be lost.
        result.insert(match.capturedEnd(2), suffix);
    }
    return result;
}

bool TidyUp::prepareDirs(const QDir &target, const QString &origs, const QString &energy,
    const QString &seqNo, QString *problem, Failure *failure)
{
    const QString names[] = { origs, energy, seqNo };
    // An empty name can be neither made nor found; asking the toolkit would only add a warning.
    for (const QString &name : names) {
        if (!name.isEmpty())
            target.mkpath(name);
    }
    const auto fail = [&](DirCheck check, const QString &name) {
        const QString text = dirProblem(check, name, target);
        qDebug() << text;
        if (problem)
            *problem = text;
        if (failure) {
            const Reason reasons[] = {
                Reason(QT_TRANSLATE_NOOP("Reason", "could not be made")),
                Reason(ENOTDIR),
            };
            *failure = { Failure::Dirs, QFile::encodeName(target.absoluteFilePath(name)),
                reasons[check] };
        }
        return false;
    };
    for (const QString &name : names) {
        if (name.isEmpty() || !target.exists(name))
            return fail(DirMissing, name);
    }
    for (const QString &name : names) {
        if (!QFileInfo(target, name).isDir())
            return fail(NotADir, name);
    }
    return true;
}

std::vector<QByteArray> TidyUp::listEntries(const QDir &target, const QString &fileExt)
{
    // A million names must fit in a few dozen megabytes: each is kept once, in the file
    // system's encoding, and sorted without a key of its own.
    std::vector<QByteArray> names;
    DirScan::matching(target.path(), fileExt, [&names](const QString &name) {
        names.push_back(QFile::encodeName(name));
        // The encoder leaves room for three bytes a character.
        names.back().squeeze();
    });
    std::sort(names.begin(), names.end(), caseInsensitiveBefore);
    return names;
}

TidyUp::Outcome TidyUp::run(
    const Settings &settings, const Progress &progress, const std::atomic<bool> *stop)
{
    Reporter reporter(progress);
    Outcome outcome;
    Tally tally(outcome);
    const QDir target(settings.target);
    const auto absolute
        = [&target](const QString &name) { return QDir::cleanPath(target.absoluteFilePath(name)); };
    RunRecord::Header header;
    header.target = QDir::cleanPath(target.absolutePath());
    header.origs = absolute(settings.origs);
    header.energy = absolute(settings.energy);
    header.seqNo = absolute(settings.seqNo);
    header.fileExt = settings.fileExt;
    QStringList created;
    for (const QString &name : { settings.origs, settings.energy, settings.seqNo }) {
        if (!name.isEmpty())
            created << missingDirs(absolute(name));
    }
    created.removeDuplicates();
    // Children before their parents.
    std::sort(created.begin(), created.end(),
        [](const QString &a, const QString &b) { return a.size() > b.size(); });

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

    const QStringList outputs
        = outputDirEntries(target, { settings.origs, settings.energy, settings.seqNo });
    std::vector<QByteArray> names = listEntries(target, settings.fileExt);
    names.erase(std::remove_if(names.begin(), names.end(),
                    [&outputs](const QByteArray &name) {
                        return outputs.contains(QFile::decodeName(name));
                    }),
        names.end());
    const FileOps ops(header.target, header.origs, header.energy, header.seqNo);
    // Removed when the run ends, after the last link: a marker left behind tells a later run to
    // finish the moves it left under both names and make the links of every moved file.
    const QByteArray origsEncoded = QFile::encodeName(header.origs);
    RunMarker marker(origsEncoded);
    bool completed = false;
    RunMarker::completeAbandoned(origsEncoded, [&] {
        completed = true;
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
        LinkPool restoring(settings.linkThreads, linkQueueLength);
        for (const QByteArray &to : listEntries(QDir(header.origs), QStringLiteral("*"))) {
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
    });
    // The records of the runs completed, told at the end what became of them, and only when this
    // run's record is kept: they name it.
    QStringList killedRecords;
    for (const QString &path :
        completed &&settings.record ? RunRecord::all(header.target) : QStringList()) {
        RunRecord::Header killed;
        if (path != record.path() && RunRecord::readHeader(path, killed) && !killed.ended
            && !killed.undone && !killed.completed && killed.target == header.target
            && !RunRecord::inUse(path, killed))
            killedRecords << path;
    }
    outcome.listed = int(names.size());

    const auto stopRequested = [stop] { return stop && stop->load(std::memory_order_relaxed); };
    struct Entry {
        QByteArray from;
        QByteArray to;
        QByteArray energy;
        QByteArray seqNo;
    };
    std::vector<Entry> batch;
    batch.reserve(linkQueueLength);
    QString energy;
    QString seqNo;
    Reason reason;
    {
        // Moves stay on this thread, in listing order: the first entry to claim a name wins it.
        LinkPool links(settings.linkThreads, linkQueueLength);
        for (int first = 0; first < outcome.listed && !outcome.stopped; first += linkQueueLength) {
            // A batch's names are in the record, in one write, before the first of its moves.
            batch.clear();
            for (int i = first; i < std::min(outcome.listed, first + linkQueueLength); ++i) {
                energy.clear();
                seqNo.clear();
                QByteArray &name = names[size_t(i)];
                const QString newName = rewriteFileName(QFile::decodeName(name), energy, seqNo);
                // Each name is needed no more once in its batch.
                batch.push_back({ std::move(name), QFile::encodeName(newName),
                    QFile::encodeName(energy), QFile::encodeName(seqNo) });
                if (settings.record)
                    record.plan(i + 1, batch.back().from, batch.back().to);
                noteFolder(FileOps::ByEnergy, batch.back().energy);
                noteFolder(FileOps::BySeqNo, batch.back().seqNo);
            }
            if (settings.record && !record.write(why)) {
                QString line;
                QDebug(&line).nospace() << "Can't write the record " << record.path() << ": "
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
                const NoReplaceMove::Result moved = ops.move(entry.from, entry.to, reason, stop);
                if (moved != NoReplaceMove::Failed) {
                    ++outcome.moved;
                    if (settings.record)
                        record.moved(index);
                    // A name without energy and sequence fields has nowhere to be linked under.
                    // The old name left by a hard link is removed off this thread: on a file
                    // server that is a round trip.
                    if (!entry.energy.isEmpty() || moved == NoReplaceMove::Linked) {
                        links.push([&tally, &ops, &record, index, from = std::move(entry.from),
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
        // Leaving this scope waits for the links of every file moved.
    }
    outcome.moved -= tally.takenBack();
    // The next run finishes the move, as it finishes those of a killed run.
    if (tally.bothNamesLeft())
        marker.keep();
    const int made = dirsMade + tally.madeFolders();
    if (outcome.moved + outcome.linked + outcome.restored + outcome.finished + made == 0) {
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

namespace
{

bool exists(const QString &path)
{
    const QFileInfo info(path);
    return info.exists() || info.isSymLink();
}

} // namespace

const char *TidyUp::Failure::name(What what)
{
    switch (what) {
    case Move:
        return "move";
    case Link:
        return "link";
    case Dirs:
        return "dirs";
    case Record:
        return "record";
    }
    return "";
}

TidyUp::RecordedRun TidyUp::lastRun(const Settings &settings)
{
    RecordedRun last;
    const QDir target(settings.target);
    const QString absoluteTarget = QDir::cleanPath(target.absolutePath());
    const auto absolute
        = [&target](const QString &name) { return QDir::cleanPath(target.absoluteFilePath(name)); };
    const QStringList records = RunRecord::all(absoluteTarget);
    for (auto it = records.crbegin(); it != records.crend(); ++it) {
        RunRecord::Header header;
        // A record copied in from another target is not this one's.
        if (!RunRecord::readHeader(*it, header) || header.undone || header.target != absoluteTarget)
            continue;
        // A run that changed nothing is none to undo; one still going may change anything.
        const bool running = RunRecord::inUse(*it, header);
        if (!header.changed && !running)
            continue;
        last.record = *it;
        last.started = header.started;
        last.user = header.user;
        // A killed run may have moved any file it was about to move.
        last.moved = header.ended ? header.moved : header.planned;
        last.running = running;
        last.otherDirs = header.origs != absolute(settings.origs)
            || header.energy != absolute(settings.energy)
            || header.seqNo != absolute(settings.seqNo);
        break;
    }
    return last;
}

TidyUp::Outcome TidyUp::undo(
    const Settings &settings, const Progress &progress, const std::atomic<bool> *stop)
{
    Reporter reporter(progress);
    Outcome outcome;
    outcome.undone = true;
    Tally tally(outcome);
    const RecordedRun last = lastRun(settings);
    outcome.record = last.record;
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
    RunRecord::Contents contents;
    RunRecord::read(last.record, contents);
    outcome.listed = contents.header.planned;
    const QDir target(settings.target);
    const FileOps ops(QDir::cleanPath(target.absolutePath()),
        QDir::cleanPath(target.absoluteFilePath(settings.origs)),
        QDir::cleanPath(target.absoluteFilePath(settings.energy)),
        QDir::cleanPath(target.absoluteFilePath(settings.seqNo)));
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
        const auto undoFile = [&](const RunRecord::Plan &plan) {
            if (outcome.stopped)
                return;
            if (stopRequested()) {
                outcome.stopped = true;
                return;
            }
            // The record may have grown since it was first read.
            const quint8 links = size_t(plan.index) < contents.results.size()
                ? contents.results[size_t(plan.index)]
                : quint8(RunRecord::Left);
            const quint8 result = links & RunRecord::ResultMask;
            const QByteArray &name = plan.name;
            const QByteArray &newName = plan.newName;
            const bool unknown = result == RunRecord::NoResult;
            // A file that was left stayed where it was; one that has no result was moved only if
            // its new name is there and its old one free.
            if (result == RunRecord::Left
                || (unknown && (!exists(ops.movedPath(newName)) || exists(ops.sourcePath(name))))) {
                reporter.report(++outcome.done, outcome.listed);
                return;
            }
            const auto unlinkAll = [&tally, &ops, links](const RunRecord::Plan &plan) {
                if (plan.energy.isEmpty())
                    return;
                if (!(links & RunRecord::NoEnergyLink))
                    tally.unlink(ops, FileOps::ByEnergy, plan.energy, plan.newName);
                if (!(links & RunRecord::NoSeqNoLink))
                    tally.unlink(ops, FileOps::BySeqNo, plan.seqNo, plan.newName);
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
        RunRecord::Contents again;
        RunRecord::read(last.record, again, undoFile, refused);
    }
    outcome.moved -= tally.takenBack();
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

TidyUp::Preview TidyUp::preview(const Settings &settings, const std::atomic<bool> *stop)
{
    Preview preview;
    const QFileInfo targetInfo(settings.target);
    preview.targetFound = targetInfo.exists();
    preview.targetIsDir = targetInfo.isDir();
    if (!preview.targetIsDir)
        return preview;
    const QDir target(settings.target);
    const QString names[] = { settings.origs, settings.energy, settings.seqNo };
    for (const QString &name : names) {
        const QFileInfo info(target, name);
        if (name.isEmpty())
            preview.problem = dirProblem(DirMissing, name, target);
        else if (info.exists() && !info.isDir())
            preview.problem = dirProblem(NotADir, name, target);
        else if (!info.exists())
            preview.toCreate << name;
        if (!preview.problem.isEmpty())
            return preview;
    }

    // Hashes instead of names: a few megabytes for a hundred thousand files.
    std::vector<quint64> inOrigs;
    DirScan::all(
        target.filePath(settings.origs),
        [&inOrigs](const QString &name) { inOrigs.push_back(nameHash(name)); }, stop);
    std::sort(inOrigs.begin(), inOrigs.end());
    const QStringList outputs = outputDirEntries(target, QStringList(names, names + 3));
    std::vector<quint64> newNames;
    std::vector<quint64> energies;
    std::vector<quint64> seqNos;
    std::vector<quint64> pairs;
    QString energy;
    QString seqNo;
    DirScan::matching(
        target.path(), settings.fileExt,
        [&](const QString &name) {
            if (outputs.contains(name))
                return;
            ++preview.matching;
            energy.clear();
            newNames.push_back(nameHash(rewriteFileName(name, energy, seqNo)));
            if (energy.isEmpty())
                return;
            ++preview.linkable;
            const quint64 e = nameHash(energy);
            const quint64 q = nameHash(seqNo);
            energies.push_back(e);
            seqNos.push_back(q);
            pairs.push_back(e * 0x9e3779b97f4a7c15ULL ^ q);
        },
        stop);
    preview.lastRun = lastRun(settings);
    preview.energies = distinct(energies);
    preview.seqNos = distinct(seqNos);
    preview.pairs = distinct(pairs);
    // Of several entries with one new name the first takes it.
    std::sort(newNames.begin(), newNames.end());
    for (size_t i = 0; i < newNames.size(); ++i) {
        preview.taken += std::binary_search(inOrigs.begin(), inOrigs.end(), newNames[i])
            || (i > 0 && newNames[i] == newNames[i - 1]);
    }
    return preview;
}
