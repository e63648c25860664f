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

void reportDirProblem(const char *message, const QString &name, const QDir &target)
{
    // One substitution pass, so that a "%2" typed into a name stays as typed.
    qDebug() << QCoreApplication::translate("Body", message).arg(name, target.path());
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
    bool move(const QString &source, const QString &dest, QString &reason)
    {
        engine->setFileName(source);
        return engine->rename(dest) || CrossMove::move(source, dest, reason);
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

    void link(const QString &sub, const QString &fileName, const QString &file)
    {
        const QString linkPath
            = dir.path() % QLatin1Char('/') % sub % QLatin1Char('/') % fileName % linkSuffix();
        if (ops.link(file, linkPath))
            return;
        if (dir.exists(sub) || !dir.mkpath(sub) || !ops.link(file, linkPath))
            qDebug() << "Can't make the link" << linkPath << "to" << file;
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

bool TidyUp::prepareDirs(
    const QDir &target, const QString &origs, const QString &energy, const QString &seqNo)
{
    const QString names[] = { origs, energy, seqNo };
    // An empty name can be neither made nor found; asking the toolkit would only add a warning.
    for (const QString &name : names) {
        if (!name.isEmpty())
            target.mkpath(name);
    }
    for (const QString &name : names) {
        if (name.isEmpty() || !target.exists(name)) {
            reportDirProblem(
                QT_TRANSLATE_NOOP("Body", "The dir [%1] is not in [%2]."), name, target);
            return false;
        }
    }
    for (const QString &name : names) {
        if (!QFileInfo(target, name).isDir()) {
            reportDirProblem(QT_TRANSLATE_NOOP("Body", "The entry [%1] in [%2] is not directory."),
                name, target);
            return false;
        }
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

bool TidyUp::run(const QString &targetPath, const QString &origsName, const QString &energyName,
    const QString &seqNoName, const QString &fileExt)
{
    const QDir target(targetPath);
    if (!prepareDirs(target, origsName, energyName, seqNoName)) {
        qDebug("Dirs to tidy up files can not set up well.");
        return false;
    }

    const QStringList outputs = outputDirEntries(target, { origsName, energyName, seqNoName });
    const QStringList names = listEntries(target, fileExt);
    const QString targetAbs = target.absolutePath();
    const QString origsAbs = QDir::cleanPath(target.absoluteFilePath(origsName));
    FileOps ops;
    LinkTree byEnergy(QDir::cleanPath(target.absoluteFilePath(energyName)), ops);
    LinkTree bySeqNo(QDir::cleanPath(target.absoluteFilePath(seqNoName)), ops);

    QString energy;
    QString seqNo;
    QString reason;
    for (const QString &name : names) {
        if (outputs.contains(name))
            continue;
        energy.clear();
        seqNo.clear();
        const QString newName = rewriteFileName(name, energy, seqNo);
        const QString source = targetAbs % QLatin1Char('/') % name;
        const QString dest = origsAbs % QLatin1Char('/') % newName;
        if (!ops.move(source, dest, reason)) {
            qDebug().nospace() << "Can't move " << source << " to " << dest << ": "
                               << qUtf8Printable(reason);
            continue;
        }
        // A name without energy and sequence fields has nowhere to be linked under.
        if (energy.isEmpty())
            continue;
        byEnergy.link(energy, newName, dest);
        bySeqNo.link(seqNo, newName, dest);
    }
    return true;
}
