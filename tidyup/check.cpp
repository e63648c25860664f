// SPDX-License-Identifier: MIT
#include "tidyup/check.h"
#include "tidyup/files/linktext.h"
#include "tidyup/linkmender.h"
#include "tidyup/names/dirscan.h"
#include "tidyup/names/listing.h"
#include "tidyup/names/namerule.h"
#include "tidyup/outputdirs.h"
#include "tidyup/report/reporter.h"
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
        char buffer[4096];
        const ssize_t size = ::readlinkat(fd, name.constData(), buffer, sizeof buffer);
        if (size < 0)
            return false;
        text = QByteArray(buffer, int(size));
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

struct Task {
    int tree;
    QByteArray sub;
    // Null for a folder that no data file expects.
    const std::vector<QByteArray> *names;
};

} // namespace

namespace TidyUp
{

QString uncheckable(const Settings &settings)
{
    const QDir target(settings.target);
    const QString origs = QDir::cleanPath(target.absoluteFilePath(settings.origs));
    if (!QFileInfo(settings.target).isDir())
        return QCoreApplication::translate("TidyUp", "%1 is not a directory.").arg(settings.target);
    if (lastRun(settings).running) {
        return QCoreApplication::translate("TidyUp", "A run of %1 is still going.")
            .arg(settings.target);
    }
    if (!QFileInfo(origs).isDir()) {
        return QCoreApplication::translate("TidyUp", "%1 holds no tidied scan: %2 is missing.")
            .arg(settings.target, origs);
    }
    return {};
}

CheckOutcome check(const Settings &settings, const Progress &progress,
    const std::atomic<bool> *stop, LinkMender *mender)
{
    Reporter reporter(progress);
    CheckOutcome outcome;
    outcome.problem = uncheckable(settings);
    if (!outcome.problem.isEmpty()) {
        outcome.elapsedMs = reporter.elapsed();
        return outcome;
    }
    const QString origs = QDir::cleanPath(QDir(settings.target).absoluteFilePath(settings.origs));

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

    const LinkText trees[2] = { LinkText::of(settings, 0), LinkText::of(settings, 1) };
    const QByteArray &origsPath = trees[0].absoluteStart();
    std::mutex mutex;
    QHash<QByteArray, int> elsewhereDirs;
    const auto found = [&outcome](LinkProblem::Kind kind) -> int & {
        return kind == LinkProblem::Missing  ? outcome.missing
            : kind == LinkProblem::Elsewhere ? outcome.elsewhere
            : kind == LinkProblem::NotALink  ? outcome.notALink
            : kind == LinkProblem::Stray     ? outcome.stray
                                             : outcome.inPlace;
    };
    // From every checking thread; the counts are kept under the lock with the problems.
    const auto add = [&](LinkProblem::Kind kind, const QByteArray &entry, const QByteArray &file,
                         const QByteArray &text, bool isLink, const Reason &reason = {}) {
        const std::lock_guard<std::mutex> lock(mutex);
        ++found(kind);
        if (!reason.text().isEmpty())
            ++outcome.notRepaired;
        if (outcome.problems.size() < maxLines)
            outcome.problems.append({ kind, entry, file, text, isLink, reason });
        else
            ++outcome.moreProblems;
    };
    // A missing link, or one naming another file, made or rewritten where repairing.
    const auto mend = [&](int tree, LinkProblem::Kind kind, const QByteArray &folderPath,
                          const QByteArray &name, const QByteArray &text) {
        Reason reason;
        const QByteArray *old = kind == LinkProblem::Missing ? nullptr : &text;
        if (mender && !mender->halted() && mender->mend(tree, folderPath, name, old, reason)) {
            const std::lock_guard<std::mutex> lock(mutex);
            ++(kind == LinkProblem::Missing ? outcome.made : outcome.rewritten);
            ++found(kind);
            return;
        }
        if (mender && reason.text().isEmpty())
            reason = Reason(QT_TRANSLATE_NOOP("Reason", "not repaired: the repair stopped"));
        add(kind, folderPath + '/' + name, origsPath + name, text, !!old, reason);
    };
    const int links = 2 * outcome.files;
    int checked = 0;
    const auto stopRequested = [stop, mender] {
        return (stop && stop->load(std::memory_order_relaxed)) || (mender && mender->halted());
    };

    // One task a folder: on a file server each readlink is a round trip, and folders are read
    // side by side.
    const Folder treeFolders[2] = { Folder(trees[0].path()), Folder(trees[1].path()) };
    std::vector<Task> tasks;
    for (int tree = 0; tree < 2; ++tree) {
        QSet<QByteArray> unexpected;
        DirScan::all(QFile::decodeName(trees[tree].path()), [&](const QString &name) {
            const QByteArray sub = QFile::encodeName(name);
            if (expected[tree].find(sub) == expected[tree].end())
                unexpected << sub;
        });
        for (const auto &[sub, names] : expected[tree])
            tasks.push_back({ tree, sub, &names });
        for (const QByteArray &sub : qAsConst(unexpected))
            tasks.push_back({ tree, sub, nullptr });
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
            const LinkText &tree = trees[task.tree];
            const QByteArray folderPath = tree.path() + task.sub;
            // A folder no data file expects: what it holds is stray, or it is itself. A folder
            // that is a symbolic link is stray too, and its links missing: as the run does, a
            // repair makes none through it.
            QByteArray folderText;
            const bool folderIsLink = treeFolders[task.tree].linkText(task.sub, folderText);
            if (folderIsLink
                || (!task.names && !QFileInfo(QFile::decodeName(folderPath)).isDir())) {
                add(LinkProblem::Stray, folderPath, {}, folderText, folderIsLink);
                const Reason why = mender
                    ? Reason(QT_TRANSLATE_NOOP("Reason", "the folder is a symbolic link"))
                    : Reason();
                for (const QByteArray &name :
                    task.names ? *task.names : std::vector<QByteArray>()) {
                    add(LinkProblem::Missing, folderPath + '/' + name, origsPath + name, {}, false,
                        why);
                }
                continue;
            }
            const Folder folder(folderPath);
            QSet<QByteArray> entries;
            DirScan::all(QFile::decodeName(folderPath),
                [&entries](const QString &name) { entries << QFile::encodeName(name); });
            int inPlace = 0;
            for (const QByteArray &name : task.names ? *task.names : std::vector<QByteArray>()) {
                QByteArray text;
                QByteArray named;
                if (!entries.remove(name)) {
                    mend(task.tree, LinkProblem::Missing, folderPath, name, {});
                } else if (!folder.linkText(name, text)) {
                    add(LinkProblem::NotALink, folderPath + '/' + name, origsPath + name, {},
                        false);
                } else if (!tree.names(task.sub, name, text, &named)) {
                    mend(task.tree, LinkProblem::Elsewhere, folderPath, name, text);
                    const std::lock_guard<std::mutex> lock(mutex);
                    ++elsewhereDirs[named.left(named.lastIndexOf('/'))];
                } else if (mender && mender->restyle(task.tree, name, text)) {
                    mend(task.tree, LinkProblem::InPlace, folderPath, name, text);
                } else {
                    ++inPlace;
                }
            }
            for (const QByteArray &name : qAsConst(entries)) {
                if (name.startsWith(temporaryPrefix)) {
                    if (mender)
                        mender->removeTemporary(folderPath + '/' + name);
                    continue;
                }
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
    outcome.stopped = skipped && !(mender && mender->halted());
    outcome.halted = mender && mender->halted();
    for (auto it = elsewhereDirs.cbegin(); it != elsewhereDirs.cend(); ++it) {
        if (it.value() > outcome.intoElsewhereDir) {
            outcome.intoElsewhereDir = it.value();
            outcome.elsewhereDir = QFile::decodeName(it.key());
        }
    }
    outcome.elapsedMs = reporter.elapsed();
    return outcome;
}

} // namespace TidyUp
