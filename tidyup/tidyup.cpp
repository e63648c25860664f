// SPDX-License-Identifier: MIT
#include "tidyup.h"
#include "crossmove.h"

#include <algorithm>
#include <memory>
#include <utility>
#include <vector>

#include <QCoreApplication>
#include <QDebug>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

// For FileOps: with a hundred thousand files, the stats that QFile adds are a third of a run.
#include <QtCore/private/qabstractfileengine_p.h>

namespace
{

const QRegularExpression &namePattern()
{
    static const QRegularExpression pattern(QStringLiteral("(.*-)([\\d+_]+)(eV-)(\\d+)(\\..*)"));
    return pattern;
}

// Writes line to the debug channel and keeps it for the outcome, up to a bound: a run where
// every move fails must not hold a hundred thousand lines.
void report(TidyUp::Outcome &outcome, const QString &line)
{
    qDebug().noquote() << line;
    if (outcome.lines.size() < TidyUp::maxLines)
        outcome.lines << line;
    else
        ++outcome.moreLines;
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

// Renames and links through one file engine, pointed at each path in turn: the engine makes one
// renameat2(RENAME_NOREPLACE) or symlink call where QFile adds stats around it, and one engine
// for the run spares looking up the engine handlers and allocating an engine for every call.
class FileOps
{
public:
    FileOps()
        : engine(QAbstractFileEngine::create(QString()))
    {
    }

    // Never replaces an entry. What the engine refuses (an existing destination, another file
    // system) is left to CrossMove.
    bool move(const QString &source, const QString &dest, QString &reason,
        const std::atomic<bool> *stop)
    {
        engine->setFileName(source);
        return engine->rename(dest) || CrossMove::move(source, dest, reason, stop);
    }

    bool link(const QString &file, const QString &linkPath)
    {
        engine->setFileName(file);
        return engine->link(linkPath);
    }

private:
    const std::unique_ptr<QAbstractFileEngine> engine;
};

// Makes a link dir/sub/fileName(+suffix) to file. dir/sub is made when the first link into it
// fails: most links go into a folder that is there, and so cost one system call.
class LinkTree
{
public:
    LinkTree(const QString &dirPath, FileOps &ops)
        : dir(dirPath)
        , ops(ops)
    {
    }

    void link(const QString &sub, const QString &fileName, const QString &file,
        TidyUp::Outcome &outcome)
    {
        const QString linkPath
            = dir.path() % QLatin1Char('/') % sub % QLatin1Char('/') % fileName % linkSuffix();
        if (ops.link(file, linkPath)
            || (!dir.exists(sub) && dir.mkpath(sub) && ops.link(file, linkPath))) {
            ++outcome.linked;
            return;
        }
        ++outcome.linksNotMade;
        QString line;
        QDebug(&line).nospace() << "Can't make the link " << linkPath << " to " << file;
        report(outcome, line);
    }

private:
    // Where links are shell shortcuts, they must carry the suffix that marks them.
    static QLatin1String linkSuffix()
    {
        return QDir::separator() == QLatin1Char('/') ? QLatin1String("") : QLatin1String(".lnk");
    }

    QDir dir;
    FileOps &ops;
};

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
    const QDir target(settings.target);
    QString problem;
    if (!prepareDirs(target, settings.origs, settings.energy, settings.seqNo, &problem)) {
        QString quoted;
        QDebug(&quoted).nospace() << problem;
        outcome.lines << quoted;
        outcome.dirProblem = problem;
        report(outcome, QStringLiteral("Dirs to tidy up files can not set up well."));
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
    const QString targetAbs = target.absolutePath();
    const QString origsAbs = QDir::cleanPath(target.absoluteFilePath(settings.origs));
    FileOps ops;
    LinkTree byEnergy(QDir::cleanPath(target.absoluteFilePath(settings.energy)), ops);
    LinkTree bySeqNo(QDir::cleanPath(target.absoluteFilePath(settings.seqNo)), ops);

    const auto stopRequested = [stop] { return stop && stop->load(std::memory_order_relaxed); };
    qint64 lastReport = 0;
    QString energy;
    QString seqNo;
    QString reason;
    for (const QString &name : qAsConst(names)) {
        if (stopRequested()) {
            outcome.stopped = true;
            break;
        }
        energy.clear();
        seqNo.clear();
        const QString newName = rewriteFileName(name, energy, seqNo);
        const QString source = targetAbs % QLatin1Char('/') % name;
        const QString dest = origsAbs % QLatin1Char('/') % newName;
        if (ops.move(source, dest, reason, stop)) {
            ++outcome.moved;
            // A name without energy and sequence fields has nowhere to be linked under.
            if (!energy.isEmpty()) {
                byEnergy.link(energy, newName, dest, outcome);
                bySeqNo.link(seqNo, newName, dest, outcome);
            }
        } else if (stopRequested()) {
            // A copy abandoned half-way: the entry is as it was.
            outcome.stopped = true;
            break;
        } else {
            ++outcome.notMoved;
            QString line;
            QDebug(&line).nospace() << "Can't move " << source << " to " << dest << ": "
                                    << qUtf8Printable(reason);
            report(outcome, line);
        }
        ++outcome.done;
        if (progress
            && (outcome.done == 1 || outcome.done == outcome.listed
                || clock.elapsed() - lastReport >= progressIntervalMs)) {
            lastReport = clock.elapsed();
            progress(outcome.done, outcome.listed);
        }
    }
    outcome.elapsedMs = clock.elapsed();
    return outcome;
}
