// SPDX-License-Identifier: MIT
#include "tidyup/files/fileops.h"
#include "tidyup/files/crossmove.h"
#include "tidyup/files/subdirs.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QVarLengthArray>
#include <algorithm>

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

FileOps::FileOps(const QString &target, const QString &origs, const QString &energy,
    const QString &seqNo, bool relative, const QString &recordedOrigs)
    : targetPath(encodedDir(target))
    , origsPath(encodedDir(origs))
    , treePaths { encodedDir(energy), encodedDir(seqNo) }
    , texts { LinkText(energy, origs, recordedOrigs), LinkText(seqNo, origs, recordedOrigs) }
#ifdef Q_OS_LINUX
    , targetFd(openDir(targetPath))
    , origsFd(openDir(origsPath))
    , treeFds { openDir(treePaths[0]), openDir(treePaths[1]) }
    , subDirs(new SubDirs(treeFds))
#endif
{
    for (int tree = 0; tree < 2; ++tree)
        linkTexts[tree] = relative ? texts[tree].relativeStart() : origsPath;
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

bool sameFile(int dirA, const char *a, int dirB, const char *b)
{
    struct stat first {
    };
    struct stat second {
    };
    return ::fstatat(dirA, a, &first, AT_SYMLINK_NOFOLLOW) == 0
        && ::fstatat(dirB, b, &second, AT_SYMLINK_NOFOLLOW) == 0 && first.st_dev == second.st_dev
        && first.st_ino == second.st_ino;
}

// Moves fromDir/name to toDir/newName, never replacing; to another file system by a copy.
NoReplaceMove::Result moveBetween(NoReplaceMove &mover, int fromFd, const QByteArray &fromDir,
    const QByteArray &name, int toFd, const QByteArray &toDir, const QByteArray &newName,
    Reason &reason, const std::atomic<bool> *stop)
{
    int error = 0;
    const NoReplaceMove::Result result
        = mover.move(fromFd, name.constData(), toFd, newName.constData(), error);
    if (result != NoReplaceMove::Failed)
        return result;
    if (error == EXDEV) {
        return CrossMove::move(fromDir + name, toDir + newName, reason, mover, stop)
            ? NoReplaceMove::Moved
            : NoReplaceMove::Failed;
    }
    reason = Reason(error);
    if (error == EEXIST && sameFile(fromFd, name.constData(), toFd, newName.constData()))
        reason.explain(
            QT_TRANSLATE_NOOP("Reason", "the same file under both names: a move was interrupted"));
    return NoReplaceMove::Failed;
}

bool removeOld(int fd, const QByteArray &name, Reason &reason)
{
    const int error = NoReplaceMove::removeOldName(fd, name.constData());
    if (error != 0)
        reason = Reason(error);
    return error == 0;
}

} // namespace

NoReplaceMove::Result FileOps::move(const QByteArray &name, const QByteArray &newName,
    Reason &reason, const std::atomic<bool> *stop) const
{
    return moveBetween(
        mover, targetFd, targetPath, name, origsFd, origsPath, newName, reason, stop);
}

bool FileOps::removeSource(const QByteArray &name, Reason &reason) const
{
    return removeOld(targetFd, name, reason);
}

bool FileOps::finishInterrupted(const QByteArray &name, const QByteArray &newName) const
{
    // Checked just before: a name that holds another file stays, as a taken name does.
    return sameFile(origsFd, newName.constData(), targetFd, name.constData())
        && ::unlinkat(targetFd, name.constData(), 0) == 0;
}

bool FileOps::dropMoved(const QByteArray &name, const QByteArray &newName) const
{
    return sameFile(targetFd, name.constData(), origsFd, newName.constData())
        && ::unlinkat(origsFd, newName.constData(), 0) == 0;
}

bool FileOps::link(Tree tree, const QByteArray &sub, const QByteArray &newName, Reason &reason,
    bool *madeSub) const
{
    const SubDirs::Folder folder = subDirs->open(tree, sub, true);
    if (madeSub)
        *madeSub = folder.made;
    if (folder.fd() < 0) {
        reason = folder.reason;
        return false;
    }
    // Two for every file: the text is put together without an allocation.
    const QByteArray &start = linkTexts[tree];
    QVarLengthArray<char, 1024> file(start.size() + newName.size() + 1);
    std::memcpy(file.data(), start.constData(), size_t(start.size()));
    std::memcpy(file.data() + start.size(), newName.constData(), size_t(newName.size()) + 1);
    if (::symlinkat(file.constData(), folder.fd(), newName.constData()) == 0)
        return true;
    reason = Reason(errno);
    return false;
}

NoReplaceMove::Result FileOps::moveBack(const QByteArray &newName, const QByteArray &name,
    Reason &reason, const std::atomic<bool> *stop) const
{
    return moveBetween(
        mover, origsFd, origsPath, newName, targetFd, targetPath, name, reason, stop);
}

bool FileOps::removeMoved(const QByteArray &newName, Reason &reason) const
{
    return removeOld(origsFd, newName, reason);
}

bool FileOps::unlink(
    Tree tree, const QByteArray &sub, const QByteArray &newName, Reason &reason) const
{
    const SubDirs::Folder folder = subDirs->open(tree, sub, false);
    if (folder.fd() < 0) {
        reason = folder.reason;
        return false;
    }
    char text[4096];
    const ssize_t size = ::readlinkat(folder.fd(), newName.constData(), text, sizeof text);
    if (size >= 0 && !texts[tree].names(sub, newName, QByteArray::fromRawData(text, int(size)))) {
        reason = Reason(QT_TRANSLATE_NOOP("Reason", "changed since the run"));
        return false;
    }
    if (size >= 0 && ::unlinkat(folder.fd(), newName.constData(), 0) == 0)
        return true;
    reason = Reason(errno);
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
NoReplaceMove::Result moveBetween(const QString &from, const QString &to, Reason &reason)
{
    const QFileInfo existing(to);
    QFile file(from);
    if (!existing.exists() && !existing.isSymLink() && file.rename(to))
        return NoReplaceMove::Moved;
    reason = Reason(file.errorString());
    return NoReplaceMove::Failed;
}

} // namespace

NoReplaceMove::Result FileOps::move(const QByteArray &name, const QByteArray &newName,
    Reason &reason, const std::atomic<bool> *) const
{
    return moveBetween(sourcePath(name), movedPath(newName), reason);
}

// A move here never leaves two names, so nothing is ever to be finished.
bool FileOps::removeSource(const QByteArray &, Reason &) const
{
    return true;
}

bool FileOps::finishInterrupted(const QByteArray &, const QByteArray &) const
{
    return false;
}

bool FileOps::dropMoved(const QByteArray &, const QByteArray &) const
{
    return false;
}

bool FileOps::link(Tree tree, const QByteArray &sub, const QByteArray &newName, Reason &reason,
    bool *madeSub) const
{
    const QString path = linkPath(tree, sub, newName);
    QFile file(movedPath(newName));
    if (file.link(path))
        return true;
    const QString folder = QFileInfo(path).path();
    const bool made = !QFileInfo::exists(folder) && QDir().mkpath(folder);
    if (madeSub)
        *madeSub = made;
    if (file.link(path))
        return true;
    reason = Reason(file.errorString());
    return false;
}

NoReplaceMove::Result FileOps::moveBack(const QByteArray &newName, const QByteArray &name,
    Reason &reason, const std::atomic<bool> *) const
{
    return moveBetween(movedPath(newName), sourcePath(name), reason);
}

bool FileOps::removeMoved(const QByteArray &, Reason &) const
{
    return true;
}

bool FileOps::unlink(
    Tree tree, const QByteArray &sub, const QByteArray &newName, Reason &reason) const
{
    QFile link(linkPath(tree, sub, newName));
    if (link.symLinkTarget() != QFileInfo(movedPath(newName)).absoluteFilePath()) {
        reason = Reason(QT_TRANSLATE_NOOP("Reason", "changed since the run"));
        return false;
    }
    if (link.remove())
        return true;
    reason = Reason(link.errorString());
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
