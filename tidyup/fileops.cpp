// SPDX-License-Identifier: MIT
#include "fileops.h"
#include "crossmove.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#ifdef Q_OS_LINUX
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace
{

QByteArray encodedDir(const QString &path)
{
    return QFile::encodeName(path) + '/';
}

#ifdef Q_OS_LINUX
int openDir(const QByteArray &path)
{
    return ::open(path.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
}
#endif

} // namespace

FileOps::FileOps(
    const QString &target, const QString &origs, const QString &energy, const QString &seqNo)
    : targetPath(encodedDir(target))
    , origsPath(encodedDir(origs))
    , treePaths { encodedDir(energy), encodedDir(seqNo) }
#ifdef Q_OS_LINUX
    , targetFd(openDir(targetPath))
    , origsFd(openDir(origsPath))
    , treeFds { openDir(treePaths[0]), openDir(treePaths[1]) }
#endif
{
}

FileOps::~FileOps()
{
#ifdef Q_OS_LINUX
    for (const int fd : { targetFd, origsFd, treeFds[0], treeFds[1] }) {
        if (fd >= 0)
            ::close(fd);
    }
#endif
}

QString FileOps::sourcePath(const QByteArray &name) const
{
    return QFile::decodeName(targetPath + name);
}

QString FileOps::movedPath(const QByteArray &newName) const
{
    return QFile::decodeName(origsPath + newName);
}

#ifdef Q_OS_LINUX

namespace
{

// Moves fromDir/name to toDir/newName, never replacing; to another file system by a copy.
bool moveBetween(int fromFd, const QByteArray &fromDir, const QByteArray &name, int toFd,
    const QByteArray &toDir, const QByteArray &newName, QString &reason,
    const std::atomic<bool> *stop)
{
    if (::renameat2(fromFd, name.constData(), toFd, newName.constData(), RENAME_NOREPLACE) == 0)
        return true;
    if (errno == EXDEV)
        return CrossMove::move(fromDir + name, toDir + newName, reason, stop);
    reason = QString::fromLocal8Bit(std::strerror(errno));
    return false;
}

} // namespace

bool FileOps::move(const QByteArray &name, const QByteArray &newName, QString &reason,
    const std::atomic<bool> *stop) const
{
    return moveBetween(targetFd, targetPath, name, origsFd, origsPath, newName, reason, stop);
}

bool FileOps::link(Tree tree, const QByteArray &sub, const QByteArray &newName, bool *madeSub) const
{
    const QByteArray file = origsPath + newName;
    const QByteArray link = sub + '/' + newName;
    const int dir = treeFds[tree];
    // Most links go into a folder that is there already, and so cost one call. Another thread
    // may make the folder at the same moment: one that exists when made will do.
    if (::symlinkat(file.constData(), dir, link.constData()) == 0)
        return true;
    if (errno != ENOENT)
        return false;
    const bool made = ::mkdirat(dir, sub.constData(), 0777) == 0;
    if (madeSub)
        *madeSub = made;
    return (made || errno == EEXIST) && ::symlinkat(file.constData(), dir, link.constData()) == 0;
}

bool FileOps::moveBack(const QByteArray &newName, const QByteArray &name, QString &reason,
    const std::atomic<bool> *stop) const
{
    return moveBetween(origsFd, origsPath, newName, targetFd, targetPath, name, reason, stop);
}

bool FileOps::unlink(
    Tree tree, const QByteArray &sub, const QByteArray &newName, QString &reason) const
{
    const QByteArray expected = origsPath + newName;
    const QByteArray link = sub + '/' + newName;
    // One byte more than expected: a longer text is then seen as different.
    QByteArray text(expected.size() + 1, Qt::Uninitialized);
    const ssize_t size = ::readlinkat(treeFds[tree], link.constData(), text.data(), text.size());
    if (size >= 0
        && (size != expected.size()
            || std::memcmp(text.constData(), expected.constData(), size_t(size)) != 0)) {
        reason = QStringLiteral("changed since the run");
        return false;
    }
    if (size >= 0 && ::unlinkat(treeFds[tree], link.constData(), 0) == 0)
        return true;
    reason = QString::fromLocal8Bit(std::strerror(errno));
    return false;
}

void FileOps::removeSub(Tree tree, const QByteArray &sub) const
{
    ::unlinkat(treeFds[tree], sub.constData(), AT_REMOVEDIR);
}

QString FileOps::linkPath(Tree tree, const QByteArray &sub, const QByteArray &newName) const
{
    return QFile::decodeName(treePaths[tree] + sub + '/' + newName);
}

#else

// Elsewhere through the toolkit, where links are shell shortcuts that carry a suffix.
namespace
{

// The toolkit's rename replaces nothing either, but a dangling link counts as free to it.
bool moveBetween(const QString &from, const QString &to, QString &reason)
{
    const QFileInfo existing(to);
    QFile file(from);
    if (!existing.exists() && !existing.isSymLink() && file.rename(to))
        return true;
    reason = file.errorString();
    return false;
}

} // namespace

bool FileOps::move(const QByteArray &name, const QByteArray &newName, QString &reason,
    const std::atomic<bool> *) const
{
    return moveBetween(sourcePath(name), movedPath(newName), reason);
}

bool FileOps::link(Tree tree, const QByteArray &sub, const QByteArray &newName, bool *madeSub) const
{
    const QString path = linkPath(tree, sub, newName);
    if (QFile::link(movedPath(newName), path))
        return true;
    const QString folder = QFileInfo(path).path();
    const bool made = !QFileInfo::exists(folder) && QDir().mkpath(folder);
    if (madeSub)
        *madeSub = made;
    return QFile::link(movedPath(newName), path);
}

bool FileOps::moveBack(const QByteArray &newName, const QByteArray &name, QString &reason,
    const std::atomic<bool> *) const
{
    return moveBetween(movedPath(newName), sourcePath(name), reason);
}

bool FileOps::unlink(
    Tree tree, const QByteArray &sub, const QByteArray &newName, QString &reason) const
{
    QFile link(linkPath(tree, sub, newName));
    if (link.symLinkTarget() != QFileInfo(movedPath(newName)).absoluteFilePath()) {
        reason = QStringLiteral("changed since the run");
        return false;
    }
    if (link.remove())
        return true;
    reason = link.errorString();
    return false;
}

void FileOps::removeSub(Tree tree, const QByteArray &sub) const
{
    QDir().rmdir(QFile::decodeName(treePaths[tree] + sub));
}

QString FileOps::linkPath(Tree tree, const QByteArray &sub, const QByteArray &newName) const
{
    return QFile::decodeName(treePaths[tree] + sub + '/' + newName) + QLatin1String(".lnk");
}

#endif
