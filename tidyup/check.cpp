// SPDX-License-Identifier: MIT
#include "tidyup/check.h"
#include "tidyup/dirscan.h"
#include "tidyup/listing.h"
#include "tidyup/namerule.h"
#include "tidyup/outputdirs.h"
#include "tidyup/reporter.h"
#include "tidyup/undo.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSet>
#include <algorithm>
#include <atomic>
#include <map>
#include <mutex>
#include <thread>
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

// A link tree: its path, its real path, and the text a relative link of it has, up to the name.
struct Tree {
    QByteArray path;
    QByteArray realPath;
    QByteArray relative;

    static Tree of(const QString &dir, const QString &origs)
    {
        return { encodedPath(dir) + '/', encodedPath(QFileInfo(dir).canonicalFilePath()) + '/',
            TidyUp::relativeLinkStart(dir, origs) };
    }

    // Whether text, a link's in folder sub, names the file name of the originals directory;
    // named receives the path it names where that is not plain.
    bool names(const QByteArray &sub, const QByteArray &name, const QByteArray &text,
        const QByteArray &origsPath, const QByteArray &realOrigs, QByteArray &named) const
    {
        if (text == origsPath + name || (!relative.isEmpty() && text == relative + name))
            return true;
        named = normal(text.startsWith('/') ? text : path + sub + '/' + text);
        const QByteArray fromReal
            = normal(text.startsWith('/') ? text : realPath + sub + '/' + text);
        return named == origsPath + name || named == realOrigs + name
            || fromReal == realOrigs + name;
    }
};

struct Task {
    const Tree *tree;
    QByteArray sub;
    // Null for a folder that no data file expects.
    const std::vector<QByteArray> *names;
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
    std::mutex mutex;
    QHash<QByteArray, int> elsewhereDirs;
    // From every checking thread; the counts are kept under the lock with the problems.
    const auto add = [&](LinkProblem::Kind kind, const QByteArray &entry, const QByteArray &file,
                         const QByteArray &text, bool isLink) {
        const std::lock_guard<std::mutex> lock(mutex);
        int &count = kind == LinkProblem::Missing ? outcome.missing
            : kind == LinkProblem::Elsewhere      ? outcome.elsewhere
            : kind == LinkProblem::NotALink       ? outcome.notALink
                                                  : outcome.stray;
        ++count;
        if (outcome.problems.size() < maxLines)
            outcome.problems.append({ kind, entry, file, text, isLink });
        else
            ++outcome.moreProblems;
    };
    const int links = 2 * outcome.files;
    int checked = 0;
    const auto stopRequested = [stop] { return stop && stop->load(std::memory_order_relaxed); };

    // One task a folder: on a file server each readlink is a round trip, and folders are read
    // side by side.
    std::vector<Tree> trees;
    std::vector<Task> tasks;
    for (int tree = 0; tree < 2; ++tree) {
        const QString dir = QDir::cleanPath(
            target.absoluteFilePath(tree == 0 ? settings.energy : settings.seqNo));
        trees.push_back(Tree::of(dir, origs));
    }
    for (int tree = 0; tree < 2; ++tree) {
        const Tree &links = trees[size_t(tree)];
        QSet<QByteArray> unexpected;
        DirScan::all(QFile::decodeName(links.path), [&](const QString &name) {
            const QByteArray sub = QFile::encodeName(name);
            if (expected[tree].find(sub) == expected[tree].end())
                unexpected << sub;
        });
        for (const auto &[sub, names] : expected[tree])
            tasks.push_back({ &links, sub, &names });
        for (const QByteArray &sub : qAsConst(unexpected))
            tasks.push_back({ &links, sub, nullptr });
    }
    std::atomic<size_t> next { 0 };
    std::atomic<bool> skipped { false };
    const auto work = [&] {
        for (;;) {
            const size_t i = next.fetch_add(1);
            if (i >= tasks.size())
                return;
            if (stopRequested()) {
                skipped = true;
                return;
            }
            const Task &task = tasks[i];
            const Tree &tree = *task.tree;
            const QByteArray folderPath = tree.path + task.sub;
            if (!task.names) {
                // A folder no data file expects: what it holds is stray, or it is itself.
                QByteArray text;
                if (Folder(tree.path).linkText(task.sub, text)
                    || !QFileInfo(QFile::decodeName(folderPath)).isDir()) {
                    add(LinkProblem::Stray, folderPath, {}, text, !text.isNull());
                    continue;
                }
            }
            const Folder folder(folderPath);
            QSet<QByteArray> entries;
            DirScan::all(QFile::decodeName(folderPath),
                [&entries](const QString &name) { entries << QFile::encodeName(name); });
            int inPlace = 0;
            for (const QByteArray &name : task.names ? *task.names : std::vector<QByteArray>()) {
                const QByteArray entry = folderPath + '/' + name;
                QByteArray text;
                QByteArray named;
                if (!entries.remove(name)) {
                    add(LinkProblem::Missing, entry, origsPath + name, {}, false);
                } else if (!folder.linkText(name, text)) {
                    add(LinkProblem::NotALink, entry, origsPath + name, {}, false);
                } else if (tree.names(task.sub, name, text, origsPath, realOrigs, named)) {
                    ++inPlace;
                } else {
                    add(LinkProblem::Elsewhere, entry, origsPath + name, text, true);
                    const std::lock_guard<std::mutex> lock(mutex);
                    ++elsewhereDirs[named.left(named.lastIndexOf('/'))];
                }
            }
            for (const QByteArray &name : qAsConst(entries)) {
                if (name.startsWith(temporaryPrefix))
                    continue;
                QByteArray text;
                const bool isLink = folder.linkText(name, text);
                add(LinkProblem::Stray, folderPath + '/' + name, {}, text, isLink);
            }
            const std::lock_guard<std::mutex> lock(mutex);
            outcome.inPlace += inPlace;
            checked += task.names ? int(task.names->size()) : 0;
            reporter.report(checked, links);
        }
    };
    {
        std::vector<std::thread> threads;
        for (int i = 1; i < std::max(1, settings.linkThreads); ++i)
            threads.emplace_back(work);
        work();
        for (std::thread &thread : threads)
            thread.join();
    }
    outcome.stopped = skipped;
    for (auto it = elsewhereDirs.cbegin(); it != elsewhereDirs.cend(); ++it) {
        if (it.value() > outcome.intoElsewhereDir) {
            outcome.intoElsewhereDir = it.value();
            outcome.elsewhereDir = QFile::decodeName(it.key());
        }
    }
    return done();
}

} // namespace TidyUp
