// SPDX-License-Identifier: MIT
#pragma once

#include "tidyup/files/linktext.h"
#include "tidyup/files/noreplacemove.h"
#include "tidyup/report/reason.h"

#include <QByteArray>
#include <QString>
#include <atomic>
#include <memory>

class SubDirs;

// The directories of one run, opened once, and the calls that move and link relative to them.
// Names are in the file system's encoding, encoded once by the caller. The calls never replace
// an entry, and may be made from several threads at once. Links go only into folders that are
// not symbolic links.
class FileOps
{
public:
    enum Tree { ByEnergy, BySeqNo };

    // Absolute paths of the target, the originals directory and the two link trees; links made
    // relative to their folders where relative is set. A link in either style is taken as one that
    // link made, and so, where given, is one naming the file in recordedOrigs: where the originals
    // directory was before the scan moved.
    FileOps(const QString &target, const QString &origs, const QString &energy,
        const QString &seqNo, bool relative = false, const QString &recordedOrigs = {});
    ~FileOps();
    FileOps(const FileOps &) = delete;
    FileOps &operator=(const FileOps &) = delete;

    // Moves name from the target to newName in the originals directory; to another file system
    // through CrossMove, which gives up once stop is set. On failure, reason says why. Linked
    // (where rename flags are refused): the file has both names until removeSource.
    NoReplaceMove::Result move(const QByteArray &name, const QByteArray &newName, Reason &reason,
        const std::atomic<bool> *stop) const;
    bool removeSource(const QByteArray &name, Reason &reason) const;
    // Where name in the target is still the very file that newName in the originals directory
    // is (a move interrupted between its link and its unlink), removes name.
    bool finishInterrupted(const QByteArray &name, const QByteArray &newName) const;
    // The other way: where newName in the originals directory is still the very file that name
    // in the target is, removes newName.
    bool dropMoved(const QByteArray &name, const QByteArray &newName) const;
    // Makes the link tree/sub/newName to the moved file, and tree/sub when it is missing;
    // madeSub tells whether this call made it. On failure, reason says why.
    bool link(Tree tree, const QByteArray &sub, const QByteArray &newName, Reason &reason,
        bool *madeSub = nullptr) const;

    // The reverse of move: newName in the originals directory back to name in the target.
    NoReplaceMove::Result moveBack(const QByteArray &newName, const QByteArray &name,
        Reason &reason, const std::atomic<bool> *stop) const;
    bool removeMoved(const QByteArray &newName, Reason &reason) const;
    // Removes tree/sub/newName while it is a symbolic link whose text names the moved file;
    // otherwise reason says why not.
    bool unlink(Tree tree, const QByteArray &sub, const QByteArray &newName, Reason &reason) const;
    // Removes tree/sub where it is empty.
    void removeSub(Tree tree, const QByteArray &sub) const;

    QString sourcePath(const QByteArray &name) const;
    QString movedPath(const QByteArray &newName) const;
    QString linkPath(Tree tree, const QByteArray &sub, const QByteArray &newName) const;

private:
    // Encoded, each with a trailing '/'.
    QByteArray targetPath;
    QByteArray origsPath;
    QByteArray treePaths[2];
    LinkText texts[2];
    // What link puts before the file's name, in each tree.
    QByteArray linkTexts[2];
#ifdef Q_OS_LINUX
    int targetFd;
    int origsFd;
    int treeFds[2];
    mutable NoReplaceMove mover;
    std::unique_ptr<SubDirs> subDirs;
#endif
};
