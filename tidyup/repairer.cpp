// SPDX-License-Identifier: MIT
#include "tidyup/repairer.h"
#include "tidyup/check.h"
#include "tidyup/outputdirs.h"
#include "tidyup/record/repairrecord.h"
#include "tidyup/record/runrecord.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <cerrno>

#ifdef Q_OS_LINUX
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace
{

#ifdef Q_OS_LINUX
bool isLink(const QByteArray &path)
{
    struct stat st {
    };
    return ::lstat(path.constData(), &st) == 0 && S_ISLNK(st.st_mode);
}

// What the file systems that cannot hold a symbolic link answer.
bool refusal(int error)
{
    return error == EPERM || error == EOPNOTSUPP || error == ENOSYS;
}
#endif

// The style the newest run or relink of target gave its links; empty where neither says.
QString notedStyle(const QString &target)
{
    QDateTime relinked;
    const QString relink = RepairRecord::newestRelink(target, relinked);
    const QStringList records = RunRecord::all(target);
    for (auto it = records.crbegin(); it != records.crend(); ++it) {
        RecordContents::Header header;
        if (RunRecord::readHeader(*it, header) && header.changed)
            return !relink.isEmpty() && relinked > header.started ? relink : header.links;
    }
    return relink;
}

} // namespace

Repairer::Repairer(
    const TidyUp::Settings &settings, bool relative, bool relink, RepairRecord &record)
    : trees { LinkText::of(settings, 0), LinkText::of(settings, 1) }
    , relative(relative)
    , relink(relink)
    , record(record)
{
}

bool Repairer::restyle(int tree, const QByteArray &name, const QByteArray &text) const
{
    return relink && text != trees[tree].text(name, relative);
}

#ifdef Q_OS_LINUX

bool Repairer::mend(int tree, const QByteArray &folderPath, const QByteArray &name,
    const QByteArray *old, Reason &reason)
{
    const QByteArray text = trees[tree].text(name, relative);
    const QByteArray entry = folderPath + '/' + name;
    const auto fail = [&](int error) {
        reason = Reason(error);
        if (refusal(error)) {
            reason.explain(QT_TRANSLATE_NOOP("Reason", "refused by the file system"));
            halt = true;
        }
        return false;
    };
    if (!old) {
        if (::symlink(text.constData(), entry.constData()) == 0) {
            record.made(entry, text);
            return true;
        }
        if (errno != ENOENT || !QDir().mkpath(QFile::decodeName(folderPath)))
            return fail(errno);
        if (::symlink(text.constData(), entry.constData()) != 0)
            return fail(errno);
        record.made(entry, text);
        return true;
    }
    const QByteArray temporary = folderPath + '/' + TidyUp::temporaryPrefix
        + QByteArray::number(QRandomGenerator::global()->generate64(), 36);
    if (::symlink(text.constData(), temporary.constData()) != 0)
        return fail(errno);
    const auto changed = [&] {
        reason = Reason(QT_TRANSLATE_NOOP("Reason", "changed since the check"));
        return false;
    };
    if (!exchangeRefused.load(std::memory_order_relaxed)) {
        if (::renameat2(
                AT_FDCWD, temporary.constData(), AT_FDCWD, entry.constData(), RENAME_EXCHANGE)
            == 0) {
            // The temporary name now holds what was under the link's name.
            if (isLink(temporary)) {
                ::unlink(temporary.constData());
                record.rewrote(entry, *old, text);
                return true;
            }
            if (::renameat2(
                    AT_FDCWD, temporary.constData(), AT_FDCWD, entry.constData(), RENAME_EXCHANGE)
                == 0)
                ::unlink(temporary.constData());
            return changed();
        }
        if (errno != EINVAL && errno != ENOSYS && errno != EOPNOTSUPP) {
            const int error = errno;
            ::unlink(temporary.constData());
            return error == ENOENT ? changed() : fail(error);
        }
        exchangeRefused = true;
    }
    // The one moment of the repair between a look and a change, as a move without flags has.
    if (!isLink(entry)) {
        ::unlink(temporary.constData());
        return changed();
    }
    if (::rename(temporary.constData(), entry.constData()) != 0) {
        const int error = errno;
        ::unlink(temporary.constData());
        return fail(error);
    }
    record.rewrote(entry, *old, text);
    return true;
}

void Repairer::removeTemporary(const QByteArray &path) const
{
    if (isLink(path))
        ::unlink(path.constData());
}

#else

// Elsewhere links are shell shortcuts: the old one is removed and the new one made.
bool Repairer::mend(int tree, const QByteArray &folderPath, const QByteArray &name,
    const QByteArray *old, Reason &reason)
{
    const QString entry = QFile::decodeName(folderPath + '/' + name);
    QFile link(entry);
    if (old && (!QFileInfo(entry).isSymLink() || !link.remove())) {
        reason = Reason(link.errorString());
        return false;
    }
    QDir().mkpath(QFile::decodeName(folderPath));
    if (!QFile::link(QFile::decodeName(trees[tree].text(name, false)), entry)) {
        reason = Reason(link.errorString());
        return false;
    }
    record.made(QFile::encodeName(entry), trees[tree].text(name, false));
    return true;
}

void Repairer::removeTemporary(const QByteArray &path) const
{
    if (QFileInfo(QFile::decodeName(path)).isSymLink())
        QFile::remove(QFile::decodeName(path));
}

#endif

namespace TidyUp
{

CheckOutcome repair(const Settings &settings, const RepairRequest &request,
    const Progress &progress, const std::atomic<bool> *stop)
{
    const QDir target(settings.target);
    const QString absoluteTarget = QDir::cleanPath(target.absolutePath());
    QString links = request.links;
    if (links.isEmpty())
        links = notedStyle(absoluteTarget);
    if (links.isEmpty())
        links = settings.links;
    const bool relative = links == QLatin1String(relativeLinks);
    QString problem = uncheckable(settings);
    if (problem.isEmpty() && relative
        && !outputsInside(target, { settings.origs, settings.energy, settings.seqNo }))
        problem = outputsOutside();
    RepairRecord record;
    CheckOutcome outcome;
    if (problem.isEmpty() && record.start(absoluteTarget, links, request.relink, problem)) {
        // A relative link's text is worked out from the real path of its tree.
        for (const QString &tree : { settings.energy, settings.seqNo })
            target.mkpath(tree);
        Repairer repairer(settings, relative, request.relink, record);
        outcome = check(settings, progress, stop, &repairer);
        record.end(outcome.made, outcome.rewritten);
        if (outcome.made + outcome.rewritten > 0)
            outcome.record = record.path();
    }
    outcome.problem = problem;
    outcome.repair = true;
    outcome.links = links;
    return outcome;
}

} // namespace TidyUp
