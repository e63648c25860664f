// SPDX-License-Identifier: MIT
#include "tidyup/outputdirs.h"

#include <QCoreApplication>
#include <QDebug>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <cerrno>

namespace
{

// The path without symbolic links: of its deepest part that exists, as the file system resolves
// it, and the rest as written.
QString realPath(const QString &path)
{
    QString existing = QDir::cleanPath(path);
    QString rest;
    while (!QFileInfo::exists(existing) && existing != QLatin1String("/")) {
        rest = QFileInfo(existing).fileName() + QLatin1Char('/') + rest;
        existing = QFileInfo(existing).path();
    }
    return QDir::cleanPath(QFileInfo(existing).canonicalFilePath() + QLatin1Char('/') + rest);
}

} // namespace

namespace TidyUp
{

bool outputsInside(const QDir &target, const QStringList &outputNames)
{
    QString inside = realPath(target.absolutePath());
    if (!inside.endsWith(QLatin1Char('/')))
        inside += QLatin1Char('/');
    return std::all_of(outputNames.cbegin(), outputNames.cend(), [&](const QString &name) {
        return !name.isEmpty() && realPath(target.absoluteFilePath(name)).startsWith(inside);
    });
}

QString outputsOutside()
{
    return QCoreApplication::translate(
        "TidyUp", "Relative links need the output directories inside the target.");
}

QByteArray relativeLinkStart(const QString &tree, const QString &origs)
{
    const QString realTree = QFileInfo(tree).canonicalFilePath();
    const QString realOrigs = QFileInfo(origs).canonicalFilePath();
    if (realTree.isEmpty() || realOrigs.isEmpty())
        return QByteArray();
    return QFile::encodeName(
        QStringLiteral("../") + QDir(realTree).relativeFilePath(realOrigs) + QLatin1Char('/'));
}

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

QString dirProblem(DirCheck check, const QString &name, const QDir &target)
{
    const char *const messages[] = {
        QT_TRANSLATE_NOOP("Body", "The dir [%1] is not in [%2]."),
        QT_TRANSLATE_NOOP("Body", "The entry [%1] in [%2] is not directory."),
    };
    // One substitution pass, so that a "%2" typed into a name stays as typed.
    return QCoreApplication::translate("Body", messages[check]).arg(name, target.path());
}

bool prepareDirs(const QDir &target, const QString &origs, const QString &energy,
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

} // namespace TidyUp
