// SPDX-License-Identifier: MIT
#include "tidyup/report/tally.h"
#include "tidyup/record/runrecord.h"

#include <QDebug>
#include <algorithm>
#include <cerrno>

Tally::Tally(TidyUp::Counts &outcome)
    : outcome(outcome)
{
}

void Tally::line(const QString &line)
{
    const std::lock_guard<std::mutex> lock(mutex);
    write(line);
}

void Tally::failed(
    TidyUp::Failure::What what, const QString &path, const Reason &reason, const QString &line)
{
    const std::lock_guard<std::mutex> lock(mutex);
    if (write(line))
        outcome.failures.append({ what, QFile::encodeName(path), reason });
    // A handful of reasons at most: a list is quicker to search than a hash, and kept in
    // order of size as it grows.
    auto &groups = outcome.groups;
    int i = int(std::find_if(groups.begin(), groups.end(), [&](const TidyUp::Counts::Group &g) {
        return g.what == what && g.reason == reason;
    }) - groups.begin());
    if (i == groups.size())
        groups.append({ what, reason, 0 });
    for (++groups[i].count; i > 0 && groups[i - 1].count < groups[i].count; --i)
        std::swap(groups[i - 1], groups[i]);
}

void Tally::notMoved(
    const QString &from, const char *joint, const QString &to, const Reason &reason)
{
    QString text;
    QDebug(&text).nospace() << "Can't move " << from << joint << to << ": "
                            << qUtf8Printable(reason.text());
    failed(TidyUp::Failure::Move, from, reason, text);
    const std::lock_guard<std::mutex> lock(mutex);
    ++outcome.notMoved;
}

void Tally::link(const FileOps &ops, FileOps::Tree tree, const QByteArray &sub,
    const QByteArray &newName, RunRecord &record, int index)
{
    Reason reason;
    bool madeSub = false;
    const bool linked = ops.link(tree, sub, newName, reason, &madeSub);
    foldersMade += madeSub;
    if (linked) {
        links.fetch_add(1, std::memory_order_relaxed);
        return;
    }
    QString text;
    const QString path = ops.linkPath(tree, sub, newName);
    QDebug(&text).nospace() << "Can't make the link " << path << " to " << ops.movedPath(newName)
                            << ": " << qUtf8Printable(reason.text());
    failed(TidyUp::Failure::Link, path, reason, text);
    record.linkNotMade(index, tree);
    const std::lock_guard<std::mutex> lock(mutex);
    ++outcome.linksNotMade;
}

void Tally::restore(
    const FileOps &ops, FileOps::Tree tree, const QByteArray &sub, const QByteArray &newName)
{
    Reason reason;
    bool madeSub = false;
    const bool linked = ops.link(tree, sub, newName, reason, &madeSub);
    foldersMade += madeSub;
    linksRestored += linked;
}

Reason Tally::takenBack(const Reason &why, bool newNameRemoved, const QString &from,
    const char *joint, const QString &to)
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

void Tally::unlink(const FileOps &ops, FileOps::Tree tree, const QByteArray &sub,
    const QByteArray &newName, bool made)
{
    Reason reason;
    const bool removed = ops.unlink(tree, sub, newName, reason);
    // No link of the file there: one naming something else (no error number), no link (EINVAL),
    // no folder (ENOTDIR: a symbolic link or a file in its place).
    const bool notOurs
        = reason.error() == 0 || reason.error() == EINVAL || reason.error() == ENOTDIR;
    if (removed || reason.error() == ENOENT || (!made && notOurs)) {
        links.fetch_add(removed, std::memory_order_relaxed);
        return;
    }
    QString text;
    const QString path = ops.linkPath(tree, sub, newName);
    QDebug(&text).nospace() << "Left the link " << path << ": " << qUtf8Printable(reason.text());
    failed(TidyUp::Failure::Link, path, reason, text);
    const std::lock_guard<std::mutex> lock(mutex);
    ++outcome.linksNotMade;
}

bool Tally::write(const QString &line)
{
    qDebug().noquote() << line;
    if (outcome.lines.size() >= TidyUp::maxLines) {
        ++outcome.moreLines;
        return false;
    }
    outcome.lines << line;
    return true;
}
