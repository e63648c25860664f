// SPDX-License-Identifier: MIT
#include "tidyup.h"
#include "fileops.h"
#include "linkpool.h"
#include "runmarker.h"

#include <algorithm>
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

    // Writes line to the debug channel and keeps it for the outcome, up to a bound: a run where
    // every move fails must not hold a hundred thousand lines.
    void line(const QString &line)
    {
        const std::lock_guard<std::mutex> lock(mutex);
        qDebug().noquote() << line;
        if (outcome.lines.size() < TidyUp::maxLines)
            outcome.lines << line;
        else
            ++outcome.moreLines;
    }

    void link(const FileOps &ops, FileOps::Tree tree, const QByteArray &sub,
        const QByteArray &newName)
    {
        if (ops.link(tree, sub, newName)) {
            const std::lock_guard<std::mutex> lock(mutex);
            ++outcome.linked;
            return;
        }
        QString text;
        QDebug(&text).nospace() << "Can't make the link " << ops.linkPath(tree, sub, newName)
                                << " to " << ops.movedPath(newName);
        line(text);
        const std::lock_guard<std::mutex> lock(mutex);
        ++outcome.linksNotMade;
    }

    // Makes a link that an interrupted run left unmade; a name that is taken stays as it is.
    void restore(const FileOps &ops, FileOps::Tree tree, const QByteArray &sub,
        const QByteArray &newName)
    {
        if (!ops.link(tree, sub, newName))
            return;
        const std::lock_guard<std::mutex> lock(mutex);
        ++outcome.restored;
    }

private:
    std::mutex mutex;
    TidyUp::Outcome &outcome;
};

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
    const QString &seqNo, QString *problem)
{
    const QString names[] = { origs, energy, seqNo };
    // An empty name can be neither made nor found; asking the toolkit would only add a warning.
    for (const QString &name : names) {
        if (!name.isEmpty())
            target.mkpath(name);
    }
    const auto fail = [&](const char *message, const QString &name) {
        // One substitution pass, so that a "%2" typed into a name stays as typed.
        const QString text = QCoreApplication::translate("Body", message).arg(name, target.path());
        qDebug() << text;
        if (problem)
            *problem = text;
        return false;
    };
    for (const QString &name : names) {
        if (name.isEmpty() || !target.exists(name))
            return fail(QT_TRANSLATE_NOOP("Body", "The dir [%1] is not in [%2]."), name);
    }
    for (const QString &name : names) {
        if (!QFileInfo(target, name).isDir())
            return fail(QT_TRANSLATE_NOOP("Body", "The entry [%1] in [%2] is not directory."), name);
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
    QElapsedTimer clock;
    clock.start();
    Outcome outcome;
    Tally tally(outcome);
    const QDir target(settings.target);
    QString problem;
    if (!prepareDirs(target, settings.origs, settings.energy, settings.seqNo, &problem)) {
        QString quoted;
        QDebug(&quoted).nospace() << problem;
        outcome.lines << quoted;
        outcome.dirProblem = problem;
        tally.line(QStringLiteral("Dirs to tidy up files can not set up well."));
        outcome.elapsedMs = clock.elapsed();
        return outcome;
    }
    outcome.dirsReady = true;

    const QStringList outputs
        = outputDirEntries(target, { settings.origs, settings.energy, settings.seqNo });
    QStringList names = listEntries(target, settings.fileExt);
    names.erase(std::remove_if(names.begin(), names.end(),
                    [&outputs](const QString &name) { return outputs.contains(name); }),
        names.end());
    outcome.listed = names.size();
    const auto absolute
        = [&target](const QString &name) { return QDir::cleanPath(target.absoluteFilePath(name)); };
    const QString origs = absolute(settings.origs);
    const FileOps ops(
        target.absolutePath(), origs, absolute(settings.energy), absolute(settings.seqNo));
    // Removed when the run ends, after the last link: a marker left behind tells a later run to
    // make the links of every moved file.
    const QByteArray origsEncoded = QFile::encodeName(origs);
    const RunMarker marker(origsEncoded);
    RunMarker::completeAbandoned(origsEncoded, [&] {
        LinkPool restoring(settings.linkThreads, linkQueueLength);
        QString energy;
        QString seqNo;
        for (const QString &name : listEntries(QDir(origs), QStringLiteral("*"))) {
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

    const auto stopRequested = [stop] { return stop && stop->load(std::memory_order_relaxed); };
    qint64 lastReport = 0;
    QString energy;
    QString seqNo;
    QString reason;
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
            const QByteArray from = QFile::encodeName(name);
            const QByteArray to = QFile::encodeName(newName);
            if (ops.move(from, to, reason, stop)) {
                ++outcome.moved;
                // A name without energy and sequence fields has nowhere to be linked under.
                if (!energy.isEmpty()) {
                    links.push([&tally, &ops, to, e = QFile::encodeName(energy),
                                   q = QFile::encodeName(seqNo)] {
                        tally.link(ops, FileOps::ByEnergy, e, to);
                        tally.link(ops, FileOps::BySeqNo, q, to);
                    });
                }
            } else if (stopRequested()) {
                // A copy abandoned half-way: the entry is as it was.
                outcome.stopped = true;
                break;
            } else {
                ++outcome.notMoved;
                QString line;
                QDebug(&line).nospace() << "Can't move " << ops.sourcePath(from) << " to "
                                        << ops.movedPath(to) << ": " << qUtf8Printable(reason);
                tally.line(line);
            }
            ++outcome.done;
            if (progress
                && (outcome.done == 1 || outcome.done == outcome.listed
                    || clock.elapsed() - lastReport >= progressIntervalMs)) {
                lastReport = clock.elapsed();
                progress(outcome.done, outcome.listed);
            }
        }
        // Leaving this scope waits for the links of every file moved.
    }
    outcome.elapsedMs = clock.elapsed();
    return outcome;
}
