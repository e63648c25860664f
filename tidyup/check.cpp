// SPDX-License-Identifier: MIT
#include "tidyup/check.h"
#include "tidyup/dirscan.h"
#include "tidyup/listing.h"
#include "tidyup/namerule.h"
#include "tidyup/reporter.h"
#include "tidyup/undo.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSet>
#include <algorithm>
#include <map>
#include <vector>

#ifdef Q_OS_LINUX
#include <fcntl.h>
#include <unistd.h>
#endif

namespace
{

// The absolute path without "." and "..", as written: no link is followed.
QByteArray normal(const QByteArray &path)
{
    QList<QByteArray> parts;
    for (const QByteArray &part : path.split('/')) {
        if (part.isEmpty() || part == ".")
            continue;
        if (part == "..") {
            if (!parts.isEmpty())
                parts.removeLast();
            continue;
        }
        parts << part;
    }
    return '/' + parts.join('/');
}

QByteArray encodedPath(const QString &path)
{
    return QFile::encodeName(QDir::cleanPath(path));
}

// One link folder, open while its entries are read.
class Folder
{
public:
    explicit Folder(const QByteArray &path)
        : path(path)
#ifdef Q_OS_LINUX
        , fd(::open(path.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC))
#endif
    {
    }
    ~Folder()
    {
#ifdef Q_OS_LINUX
        if (fd >= 0)
            ::close(fd);
#endif
    }
    Folder(const Folder &) = delete;
    Folder &operator=(const Folder &) = delete;

    // A link's text; false where the entry is not a symbolic link.
    bool linkText(const QByteArray &name, QByteArray &text) const
    {
#ifdef Q_OS_LINUX
        QByteArray buffer(4096, Qt::Uninitialized);
        const ssize_t size = ::readlinkat(fd, name.constData(), buffer.data(), 4096);
        if (size < 0)
            return false;
        text = buffer.left(int(size));
        return true;
#else
        const QString target = QFile::symLinkTarget(QFile::decodeName(path + '/' + name));
        text = QFile::encodeName(target);
        return !target.isEmpty();
#endif
    }

private:
    QByteArray path;
#ifdef Q_OS_LINUX
    int fd;
#endif
};

} // namespace

namespace TidyUp
{

CheckOutcome check(
    const Settings &settings, const Progress &progress, const std::atomic<bool> *stop)
{
    Reporter reporter(progress);
    CheckOutcome outcome;
    const QDir target(settings.target);
    const QString origs = QDir::cleanPath(target.absoluteFilePath(settings.origs));
    const auto done = [&] {
        outcome.elapsedMs = reporter.elapsed();
        return outcome;
    };
    if (!QFileInfo(settings.target).isDir()) {
        outcome.problem
            = QCoreApplication::translate("TidyUp", "%1 is not a directory.").arg(settings.target);
        return done();
    }
    if (lastRun(settings).running) {
        outcome.problem = QCoreApplication::translate("TidyUp", "A run of %1 is still going.")
                              .arg(settings.target);
        return done();
    }
    if (!QFileInfo(origs).isDir()) {
        outcome.problem
            = QCoreApplication::translate("TidyUp", "%1 holds no tidied scan: %2 is missing.")
                  .arg(settings.target, origs);
        return done();
    }

    // The links each data file expects, by folder; a name is shared, not copied, between both.
    std::map<QByteArray, std::vector<QByteArray>> expected[2];
    QByteArray energy;
    QByteArray seqNo;
    for (QByteArray &name : listEntries(QDir(origs), settings.fileExt)) {
        energy.clear();
        if (rewriteFileName(name, energy, seqNo) != name || energy.isEmpty())
            continue;
        expected[0][energy].push_back(name);
        expected[1][seqNo].push_back(std::move(name));
        ++outcome.files;
    }

    const QByteArray origsPath = encodedPath(origs) + '/';
    const QByteArray realOrigs = encodedPath(QFileInfo(origs).canonicalFilePath()) + '/';
    QHash<QByteArray, int> elsewhereDirs;
    const auto add = [&](LinkProblem::Kind kind, const QByteArray &entry, const QByteArray &file,
                         const QByteArray &text, bool isLink) {
        if (outcome.problems.size() < maxLines)
            outcome.problems.append({ kind, entry, file, text, isLink });
        else
            ++outcome.moreProblems;
    };
    const int links = 2 * outcome.files;
    int checked = 0;
    const QString trees[] = { settings.energy, settings.seqNo };
    for (int tree = 0; tree < 2 && !outcome.stopped; ++tree) {
        const QString treeDir = QDir::cleanPath(target.absoluteFilePath(trees[tree]));
        const QByteArray treePath = encodedPath(treeDir) + '/';
        const QString realTree = QFileInfo(treeDir).canonicalFilePath();
        const QByteArray realTreePath = encodedPath(realTree) + '/';
        // The text a relative link of this tree has, the one a run writes.
        const QByteArray relative = QFile::encodeName(QStringLiteral("../")
            + QDir(realTree).relativeFilePath(QFileInfo(origs).canonicalFilePath())
            + QLatin1Char('/'));
        const auto inPlace = [&](const QByteArray &sub, const QByteArray &name,
                                 const QByteArray &text, QByteArray &named) {
            if (text == origsPath + name || (!realTree.isEmpty() && text == relative + name))
                return true;
            named = normal(text.startsWith('/') ? text : treePath + sub + '/' + text);
            const QByteArray fromReal
                = normal(text.startsWith('/') ? text : realTreePath + sub + '/' + text);
            return named == origsPath + name || named == realOrigs + name
                || fromReal == realOrigs + name;
        };

        QStringList present;
        DirScan::all(treeDir, [&present](const QString &name) { present << name; });
        QSet<QByteArray> unexpected;
        for (const QString &name : qAsConst(present)) {
            const QByteArray sub = QFile::encodeName(name);
            if (expected[tree].find(sub) == expected[tree].end())
                unexpected << sub;
        }
        for (const auto &[sub, names] : expected[tree]) {
            if (stop && stop->load(std::memory_order_relaxed)) {
                outcome.stopped = true;
                break;
            }
            const QByteArray folderPath = treePath + sub;
            const Folder folder(folderPath);
            QSet<QByteArray> entries;
            DirScan::all(QFile::decodeName(folderPath),
                [&entries](const QString &name) { entries << QFile::encodeName(name); });
            for (const QByteArray &name : names) {
                const QByteArray entry = folderPath + '/' + name;
                QByteArray text;
                QByteArray named;
                if (!entries.remove(name)) {
                    ++outcome.missing;
                    add(LinkProblem::Missing, entry, origsPath + name, {}, false);
                } else if (!folder.linkText(name, text)) {
                    ++outcome.notALink;
                    add(LinkProblem::NotALink, entry, origsPath + name, {}, false);
                } else if (inPlace(sub, name, text, named)) {
                    ++outcome.inPlace;
                } else {
                    ++outcome.elsewhere;
                    ++elsewhereDirs[named.left(named.lastIndexOf('/'))];
                    add(LinkProblem::Elsewhere, entry, origsPath + name, text, true);
                }
                reporter.report(++checked, links);
            }
            for (const QByteArray &name : qAsConst(entries)) {
                if (name.startsWith(temporaryPrefix))
                    continue;
                QByteArray text;
                const bool isLink = folder.linkText(name, text);
                ++outcome.stray;
                add(LinkProblem::Stray, folderPath + '/' + name, {}, text, isLink);
            }
        }
        // Folders no data file expects: what they hold is stray, or they are themselves.
        const Folder root(treePath);
        for (const QByteArray &sub : qAsConst(unexpected)) {
            const QByteArray folderPath = treePath + sub;
            QByteArray text;
            if (root.linkText(sub, text) || !QFileInfo(QFile::decodeName(folderPath)).isDir()) {
                ++outcome.stray;
                add(LinkProblem::Stray, folderPath, {}, text, !text.isNull());
                continue;
            }
            const Folder folder(folderPath);
            DirScan::all(QFile::decodeName(folderPath), [&](const QString &name) {
                const QByteArray encoded = QFile::encodeName(name);
                if (encoded.startsWith(temporaryPrefix))
                    return;
                QByteArray linkText;
                const bool isLink = folder.linkText(encoded, linkText);
                ++outcome.stray;
                add(LinkProblem::Stray, folderPath + '/' + encoded, {}, linkText, isLink);
            });
        }
    }
    for (auto it = elsewhereDirs.cbegin(); it != elsewhereDirs.cend(); ++it) {
        if (it.value() > outcome.intoElsewhereDir) {
            outcome.intoElsewhereDir = it.value();
            outcome.elsewhereDir = QFile::decodeName(it.key());
        }
    }
    return done();
}

} // namespace TidyUp
