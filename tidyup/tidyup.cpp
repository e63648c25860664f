// SPDX-License-Identifier: MIT
#include "tidyup.h"
#include "dirscan.h"
#include "fileops.h"
#include "linkpool.h"
#include "noreplacemove.h"
#include "runmarker.h"

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

    // Sets the tree's bit in made once the link is there; each file's byte is written by
    // one thread only.
    void link(const FileOps &ops, FileOps::Tree tree, const QByteArray &sub,
        const QByteArray &newName, quint8 &made)
    {
        bool madeSub = false;
        Reason reason;
        if (ops.link(tree, sub, newName, reason, &madeSub)) {
            made |= quint8(1 << tree);
            const std::lock_guard<std::mutex> lock(mutex);
            ++outcome.linked;
            if (madeSub)
                outcome.undo.createdSubs.append({ int(tree), sub });
            return;
        }
        QString text;
        const QString path = ops.linkPath(tree, sub, newName);
        QDebug(&text).nospace() << "Can't make the link " << path << " to "
                                << ops.movedPath(newName) << ": " << qUtf8Printable(reason.text());
        failed(TidyUp::Failure::Link, path, reason, text);
        const std::lock_guard<std::mutex> lock(mutex);
        ++outcome.linksNotMade;
    }

    // Makes a link that an interrupted run left unmade; a name that is taken stays as it is.
    void restore(
        const FileOps &ops, FileOps::Tree tree, const QByteArray &sub, const QByteArray &newName)
    {
        Reason reason;
        if (!ops.link(tree, sub, newName, reason))
            return;
        const std::lock_guard<std::mutex> lock(mutex);
        ++outcome.restored;
    }

    // Ends a move that left the file under both names by removing the old one; false, with a
    // line, where that name stays.
    bool removeOldName(bool removed, const QString &oldPath, const Reason &reason)
    {
        if (removed)
            return true;
        QString text;
        QDebug(&text).nospace() << "Can't remove the old name " << oldPath << ": "
                                << qUtf8Printable(reason.text());
        failed(TidyUp::Failure::Move, oldPath, reason, text);
        return false;
    }

    void unlink(
        const FileOps &ops, FileOps::Tree tree, const QByteArray &sub, const QByteArray &newName)
    {
        Reason reason;
        if (ops.unlink(tree, sub, newName, reason)) {
            const std::lock_guard<std::mutex> lock(mutex);
            ++outcome.linked;
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

QStringList TidyUp::listEntries(const QDir &target, const QString &fileExt)
{
    // The same entries and order as the directory's own sorted listing, without keeping a
    // file-information object per entry.
    std::vector<std::pair<QString, QString>> entries;
    QDirIterator it(
        target.path(), { QStringLiteral("*.") + fileExt }, QDir::AllEntries | QDir::NoDotAndDotDot);
    while (it.hasNext()) {
        it.next();
        QString name = it.fileName();
        QString key = name.toLower();
        entries.emplace_back(std::move(key), std::move(name));
    }
    std::stable_sort(entries.begin(), entries.end(),
        [](const auto &a, const auto &b) { return a.first < b.first; });
    QStringList names;
    names.reserve(int(entries.size()));
    for (auto &entry : entries)
        names.append(std::move(entry.second));
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
    UndoRecord &record = outcome.undo;
    record.settings = settings;
    record.target = QDir::cleanPath(target.absolutePath());
    record.origs = absolute(settings.origs);
    record.energy = absolute(settings.energy);
    record.seqNo = absolute(settings.seqNo);
    QStringList created;
    for (const QString &name : { settings.origs, settings.energy, settings.seqNo }) {
        if (!name.isEmpty())
            created << missingDirs(absolute(name));
    }
    QString problem;
    Failure failure;
    if (!prepareDirs(target, settings.origs, settings.energy, settings.seqNo, &problem, &failure)) {
        QString quoted;
        QDebug(&quoted).nospace() << problem;
        outcome.lines << quoted;
        outcome.failures << failure;
        outcome.dirProblem = problem;
        tally.line(QStringLiteral("Dirs to tidy up files can not set up well."));
        outcome.elapsedMs = reporter.elapsed();
        return outcome;
    }
    outcome.dirsReady = true;
    created.removeDuplicates();
    // Children before their parents.
    std::sort(created.begin(), created.end(),
        [](const QString &a, const QString &b) { return a.size() > b.size(); });
    record.createdDirs = created;

    const QStringList outputs
        = outputDirEntries(target, { settings.origs, settings.energy, settings.seqNo });
    QStringList names = listEntries(target, settings.fileExt);
    names.erase(std::remove_if(names.begin(), names.end(),
                    [&outputs](const QString &name) { return outputs.contains(name); }),
        names.end());
    const FileOps ops(record.target, record.origs, record.energy, record.seqNo);
    // Removed when the run ends, after the last link: a marker left behind tells a later run to
    // finish the moves it left under both names and make the links of every moved file.
    const QByteArray origsEncoded = QFile::encodeName(record.origs);
    const RunMarker marker(origsEncoded);
    RunMarker::completeAbandoned(origsEncoded, [&] {
        QString energy;
        QString seqNo;
        names.erase(std::remove_if(names.begin(), names.end(),
                        [&](const QString &name) {
                            const bool finished = ops.finishInterrupted(QFile::encodeName(name),
                                QFile::encodeName(rewriteFileName(name, energy, seqNo)));
                            outcome.finished += finished;
                            return finished;
                        }),
            names.end());
        LinkPool restoring(settings.linkThreads, linkQueueLength);
        for (const QString &name : listEntries(QDir(record.origs), QStringLiteral("*"))) {
            energy.clear();
            if (rewriteFileName(name, energy, seqNo) != name || energy.isEmpty())
                continue;
            restoring.push([&tally, &ops, to = QFile::encodeName(name),
                               e = QFile::encodeName(energy), q = QFile::encodeName(seqNo)] {
                tally.restore(ops, FileOps::ByEnergy, e, to);
                tally.restore(ops, FileOps::BySeqNo, q, to);
            });
        }
    });
    outcome.listed = names.size();

    const auto stopRequested = [stop] { return stop && stop->load(std::memory_order_relaxed); };
    // The links each moved file got, by its place in record.moved: sized once, so that the
    // link threads write into it while this one moves on.
    std::vector<quint8> linksMade(size_t(names.size()));
    record.moved.reserve(names.size());
    QString energy;
    QString seqNo;
    Reason reason;
    {
        // Moves stay on this thread, in listing order: the first entry to claim a name wins it.
        LinkPool links(settings.linkThreads, linkQueueLength);
        for (const QString &name : qAsConst(names)) {
            if (stopRequested()) {
                outcome.stopped = true;
                break;
            }
            energy.clear();
            seqNo.clear();
            const QString newName = rewriteFileName(name, energy, seqNo);
            QByteArray from = QFile::encodeName(name);
            const QByteArray to = QFile::encodeName(newName);
            const NoReplaceMove::Result moved = ops.move(from, to, reason, stop);
            if (moved != NoReplaceMove::Failed) {
                // Kept for undo: without the room the encoding left spare, a third the size.
                from.squeeze();
                record.moved.append({ from, 0 });
                quint8 &made = linksMade[size_t(outcome.moved++)];
                // A name without energy and sequence fields has nowhere to be linked under.
                // The old name left by a hard link is removed off this thread: on a file
                // server that is a round trip.
                if (!energy.isEmpty() || moved == NoReplaceMove::Linked) {
                    links.push([&tally, &ops, &made, from, to,
                                   oldNameLeft = moved == NoReplaceMove::Linked,
                                   e = QFile::encodeName(energy), q = QFile::encodeName(seqNo)] {
                        Reason why;
                        if (oldNameLeft)
                            tally.removeOldName(
                                ops.removeSource(from, why), ops.sourcePath(from), why);
                        if (e.isEmpty())
                            return;
                        tally.link(ops, FileOps::ByEnergy, e, to, made);
                        tally.link(ops, FileOps::BySeqNo, q, to, made);
                    });
                }
            } else if (stopRequested()) {
                // A copy abandoned half-way: the entry is as it was.
                outcome.stopped = true;
                break;
            } else {
                tally.notMoved(ops.sourcePath(from), " to ", ops.movedPath(to), reason);
            }
            reporter.report(++outcome.done, outcome.listed);
        }
        // Leaving this scope waits for the links of every file moved.
    }
    for (int i = 0; i < record.moved.size(); ++i)
        record.moved[i].links = linksMade[size_t(i)];
    outcome.elapsedMs = reporter.elapsed();
    return outcome;
}

TidyUp::Outcome TidyUp::undo(
    const UndoRecord &record, const Progress &progress, const std::atomic<bool> *stop)
{
    Reporter reporter(progress);
    Outcome outcome;
    outcome.undone = true;
    outcome.dirsReady = true;
    outcome.listed = record.moved.size();
    Tally tally(outcome);
    const FileOps ops(record.target, record.origs, record.energy, record.seqNo);
    const auto stopRequested = [stop] { return stop && stop->load(std::memory_order_relaxed); };
    QString energy;
    QString seqNo;
    Reason reason;
    {
        LinkPool links(record.settings.linkThreads, linkQueueLength);
        for (const UndoRecord::Moved &file : record.moved) {
            if (stopRequested()) {
                outcome.stopped = true;
                break;
            }
            energy.clear();
            const QByteArray to
                = QFile::encodeName(rewriteFileName(QFile::decodeName(file.name), energy, seqNo));
            // Back first: a file that cannot go back keeps its links.
            const NoReplaceMove::Result back = ops.moveBack(to, file.name, reason, stop);
            if (back != NoReplaceMove::Failed) {
                ++outcome.moved;
                links.push([&tally, &ops, to, oldNameLeft = back == NoReplaceMove::Linked,
                               made = file.links, e = QFile::encodeName(energy),
                               q = QFile::encodeName(seqNo)] {
                    Reason why;
                    // Under both names, the file keeps its links.
                    if (oldNameLeft
                        && !tally.removeOldName(ops.removeMoved(to, why), ops.movedPath(to), why))
                        return;
                    if (made & (1 << FileOps::ByEnergy))
                        tally.unlink(ops, FileOps::ByEnergy, e, to);
                    if (made & (1 << FileOps::BySeqNo))
                        tally.unlink(ops, FileOps::BySeqNo, q, to);
                });
            } else if (stopRequested()) {
                outcome.stopped = true;
                break;
            } else {
                tally.notMoved(ops.movedPath(to), " back to ", ops.sourcePath(file.name), reason);
            }
            reporter.report(++outcome.done, outcome.listed);
        }
    }
    if (outcome.stopped) {
        // The rest can still be undone, the folders with it.
        outcome.undo = record;
        outcome.undo.moved = record.moved.mid(outcome.done);
    } else {
        for (const auto &sub : record.createdSubs)
            ops.removeSub(FileOps::Tree(sub.first), sub.second);
        for (const QString &dir : record.createdDirs)
            QDir().rmdir(dir);
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
