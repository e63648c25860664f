// SPDX-License-Identifier: MIT
#include "tidyup/files/runmarker.h"
#include "tidyup/files/noreplacemove.h"

#include <QDebug>
#include <QFile>
#include <QString>

#ifdef Q_OS_LINUX

#include <QScopeGuard>
#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>
#include <vector>

namespace
{

const char prefix[] = ".quorvix-data-run-";

QByteArray withSlash(QByteArray dir)
{
    if (!dir.endsWith('/'))
        dir += '/';
    return dir;
}

void syncDir(const QByteArray &dir)
{
    const int fd = ::open(dir.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

} // namespace

RunMarker::RunMarker(const QByteArray &dir)
{
    const QByteArray base = withSlash(dir);
    // Made and locked under another name first: another run must never find it unlocked.
    QByteArray temporary = base + ".quorvix-data-new-XXXXXX";
    fd = ::mkostemp(temporary.data(), O_CLOEXEC);
    int error = fd < 0 ? errno : 0;
    if (fd >= 0) {
        path = base + prefix + temporary.right(6);
        error = ::flock(fd, LOCK_EX) != 0 || ::fsync(fd) != 0
            ? errno
            : NoReplaceMove::renameWhole(
                AT_FDCWD, temporary.constData(), AT_FDCWD, path.constData());
    }
    if (error == 0) {
        syncDir(base);
        return;
    }
    if (fd >= 0) {
        ::unlink(temporary.constData());
        ::close(fd);
        fd = -1;
    }
    qDebug().nospace() << "Can't mark the run in " << QFile::decodeName(dir) << ": "
                       << qUtf8Printable(QString::fromLocal8Bit(std::strerror(error)))
                       << "; if it is killed, the next run cannot make its missing links";
}

RunMarker::~RunMarker()
{
    if (fd < 0)
        return;
    if (!kept)
        ::unlink(path.constData());
    ::close(fd);
}

void RunMarker::completeAbandoned(const QByteArray &dir, const std::function<void()> &complete)
{
    const QByteArray base = withSlash(dir);
    std::vector<std::pair<QByteArray, int>> abandoned;
    const auto release = qScopeGuard([&abandoned] {
        for (const auto &marker : abandoned)
            ::close(marker.second);
    });
    DIR *listing = ::opendir(base.constData());
    if (!listing)
        return;
    while (const dirent *entry = ::readdir(listing)) {
        if (std::strncmp(entry->d_name, prefix, sizeof prefix - 1) != 0)
            continue;
        const QByteArray path = base + entry->d_name;
        // Over NFS a lock is taken on the server, and only on a descriptor open for writing.
        const int fd = ::open(path.constData(), O_RDWR | O_CLOEXEC | O_NOFOLLOW);
        if (fd < 0)
            continue;
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0)
            abandoned.emplace_back(path, fd);
        else
            ::close(fd);
    }
    ::closedir(listing);
    if (abandoned.empty())
        return;
    complete();
    for (const auto &marker : abandoned)
        ::unlink(marker.first.constData());
}

#else

RunMarker::RunMarker(const QByteArray &) { }

RunMarker::~RunMarker() { }

void RunMarker::completeAbandoned(const QByteArray &, const std::function<void()> &) { }

#endif
