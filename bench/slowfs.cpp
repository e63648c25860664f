// SPDX-License-Identifier: MIT
// A file system like one on a server: it mirrors a directory and waits a fixed time in every
// request, on as many threads as the kernel sends requests, so that requests that may run side
// by side overlap as they would on the network. It can also refuse what some servers refuse:
// --nfs refuses every rename flag with EINVAL, as the Linux NFS client does; --no-hard-links
// does that and refuses hard links with EPERM, as FAT, exFAT and some SMB mounts do;
// --refuse-unlinks LIST does what --nfs does, and refuses the unlink of each name listed in the
// file LIST (one a line, kept outside the mount) once with EBUSY, striking it from the list, as a
// server may refuse to remove a name that another client holds; --no-symlinks does what
// --no-hard-links does and refuses symbolic links with EPERM, as FAT and exFAT do;
// --racing-links LIST does what --no-hard-links does, and where it refuses a hard link to a name
// listed in LIST, another client makes that name first (once, striking it from the list): the
// moment between a look at a name and a rename without flags, where nothing else can be used;
// --racing-exchanges LIST takes every rename flag, and where it is asked to exchange an entry with
// a name listed in LIST, another client first puts a file of its own under that name (once).
//
//   slowfs [--nfs | --no-hard-links | --no-symlinks | --refuse-unlinks LIST | --racing-links LIST
//          | --racing-exchanges LIST] SOURCE MOUNTPOINT DELAY_US
//          [FUSE options, e.g. -f]

#define FUSE_USE_VERSION 31

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <fstream>
#include <fuse.h>
#include <mutex>
#include <sstream>
#include <string>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>
#include <vector>

namespace
{

std::string source;
long delayNs = 0;
bool refuseRenameFlags = false;
bool refuseHardLinks = false;
bool refuseSymlinks = false;
// The names listed for --refuse-unlinks, --racing-links or --racing-exchanges.
std::string listed;
bool racingLinks = false;
bool racingExchanges = false;
std::mutex listedMutex;

// Set by a request that makes a name: the library then reads the new entry's attributes for the
// kernel's reply, on the same thread. A server sends them with its answer (NFS does), so that
// read is no round trip of its own.
thread_local bool attributesInReply = false;

// Every request waits for the round trip first.
std::string real(const char *path)
{
    if (!attributesInReply) {
        const timespec delay { delayNs / 1000000000, delayNs % 1000000000 };
        nanosleep(&delay, nullptr);
    }
    attributesInReply = false;
    return source + path;
}

// The result of a request that makes a name.
int made(int value)
{
    attributesInReply = value >= 0;
    return value < 0 ? -errno : value;
}

int result(int value)
{
    return value < 0 ? -errno : value;
}

int doGetattr(const char *path, struct stat *st, fuse_file_info *)
{
    return result(lstat(real(path).c_str(), st));
}

int doReadlink(const char *path, char *buffer, size_t size)
{
    const ssize_t length = readlink(real(path).c_str(), buffer, size - 1);
    if (length < 0)
        return -errno;
    buffer[length] = '\0';
    return 0;
}

int doMkdir(const char *path, mode_t mode)
{
    return made(mkdir(real(path).c_str(), mode));
}

// Whether path's name is listed; it is struck from the list.
bool listedOnce(const char *path)
{
    if (listed.empty())
        return false;
    const std::lock_guard<std::mutex> lock(listedMutex);
    const char *slash = std::strrchr(path, '/');
    const std::string name = slash ? slash + 1 : path;
    std::ifstream in(listed);
    std::ostringstream rest;
    bool found = false;
    for (std::string line; std::getline(in, line);) {
        if (line == name && !found)
            found = true;
        else
            rest << line << '\n';
    }
    in.close();
    if (found)
        std::ofstream(listed, std::ios::trunc) << rest.str();
    return found;
}

int doUnlink(const char *path)
{
    const std::string file = real(path);
    return !racingLinks && !racingExchanges && listedOnce(path) ? -EBUSY
                                                                : result(unlink(file.c_str()));
}

int doRmdir(const char *path)
{
    return result(rmdir(real(path).c_str()));
}

int doSymlink(const char *target, const char *path)
{
    const std::string file = real(path);
    return refuseSymlinks ? -EPERM : made(symlink(target, file.c_str()));
}

int doRename(const char *from, const char *to, unsigned int flags)
{
    const std::string realTo = real(to);
    if (flags != 0 && refuseRenameFlags)
        return -EINVAL;
    if (racingExchanges && (flags & RENAME_EXCHANGE) && listedOnce(to)) {
        unlink(realTo.c_str());
        std::ofstream(realTo) << "another client's";
    }
    return result(renameat2(AT_FDCWD, (source + from).c_str(), AT_FDCWD, realTo.c_str(), flags));
}

int doLink(const char *from, const char *to)
{
    const std::string realTo = real(to);
    if (racingLinks && listedOnce(to))
        std::ofstream(realTo, std::ios::app) << "another client's";
    if (refuseHardLinks)
        return -EPERM;
    return made(link((source + from).c_str(), realTo.c_str()));
}

int doChmod(const char *path, mode_t mode, fuse_file_info *)
{
    return result(chmod(real(path).c_str(), mode));
}

int doChown(const char *path, uid_t uid, gid_t gid, fuse_file_info *)
{
    return result(lchown(real(path).c_str(), uid, gid));
}

int doTruncate(const char *path, off_t size, fuse_file_info *)
{
    return result(truncate(real(path).c_str(), size));
}

int doUtimens(const char *path, const timespec times[2], fuse_file_info *)
{
    return result(utimensat(AT_FDCWD, real(path).c_str(), times, AT_SYMLINK_NOFOLLOW));
}

int doCreate(const char *path, mode_t mode, fuse_file_info *fi)
{
    const int fd = open(real(path).c_str(), fi->flags, mode);
    if (fd < 0)
        return -errno;
    fi->fh = uint64_t(fd);
    return made(0);
}

int doOpen(const char *path, fuse_file_info *fi)
{
    const int fd = open(real(path).c_str(), fi->flags);
    if (fd < 0)
        return -errno;
    fi->fh = uint64_t(fd);
    return 0;
}

int doRead(const char *, char *buffer, size_t size, off_t offset, fuse_file_info *fi)
{
    real("");
    return result(int(pread(int(fi->fh), buffer, size, offset)));
}

int doWrite(const char *, const char *buffer, size_t size, off_t offset, fuse_file_info *fi)
{
    real("");
    return result(int(pwrite(int(fi->fh), buffer, size, offset)));
}

int doStatfs(const char *path, struct statvfs *st)
{
    return result(statvfs(real(path).c_str(), st));
}

int doRelease(const char *, fuse_file_info *fi)
{
    close(int(fi->fh));
    return 0;
}

int doFsync(const char *, int, fuse_file_info *fi)
{
    real("");
    return result(fsync(int(fi->fh)));
}

int doReaddir(const char *path, void *buffer, fuse_fill_dir_t fill, off_t, fuse_file_info *,
    fuse_readdir_flags)
{
    DIR *dir = opendir(real(path).c_str());
    if (!dir)
        return -errno;
    while (const dirent *entry = readdir(dir)) {
        struct stat st {
        };
        st.st_ino = entry->d_ino;
        st.st_mode = mode_t(entry->d_type) << 12;
        if (fill(buffer, entry->d_name, &st, 0, fuse_fill_dir_flags(0)))
            break;
    }
    closedir(dir);
    return 0;
}

void *doInit(fuse_conn_info *, fuse_config *config)
{
    config->use_ino = 1;
    // A file removed while open goes at once, as on a local disk, not to a hidden name.
    config->hard_remove = 1;
    return nullptr;
}

} // namespace

int main(int argc, char *argv[])
{
    int first = 1;
    if (argc > 1 && std::strcmp(argv[1], "--nfs") == 0) {
        refuseRenameFlags = true;
        ++first;
    } else if (argc > 1 && std::strcmp(argv[1], "--no-hard-links") == 0) {
        refuseRenameFlags = refuseHardLinks = true;
        ++first;
    } else if (argc > 1 && std::strcmp(argv[1], "--no-symlinks") == 0) {
        refuseRenameFlags = refuseHardLinks = refuseSymlinks = true;
        ++first;
    } else if (argc > 2 && std::strcmp(argv[1], "--refuse-unlinks") == 0) {
        refuseRenameFlags = true;
        listed = argv[2];
        first += 2;
    } else if (argc > 2 && std::strcmp(argv[1], "--racing-links") == 0) {
        refuseRenameFlags = refuseHardLinks = racingLinks = true;
        listed = argv[2];
        first += 2;
    } else if (argc > 2 && std::strcmp(argv[1], "--racing-exchanges") == 0) {
        racingExchanges = true;
        listed = argv[2];
        first += 2;
    }
    if (argc < first + 3) {
        std::fprintf(stderr,
            "usage: %s [--nfs | --no-hard-links | --no-symlinks | --refuse-unlinks LIST | "
            "--racing-links LIST | --racing-exchanges LIST] SOURCE MOUNTPOINT DELAY_US [FUSE "
            "options]\n",
            argv[0]);
        return 2;
    }
    source = argv[first];
    delayNs = std::atol(argv[first + 2]) * 1000;
    fuse_operations ops {};
    ops.getattr = doGetattr;
    ops.readlink = doReadlink;
    ops.mkdir = doMkdir;
    ops.unlink = doUnlink;
    ops.rmdir = doRmdir;
    ops.symlink = doSymlink;
    ops.rename = doRename;
    ops.link = doLink;
    ops.chmod = doChmod;
    ops.chown = doChown;
    ops.truncate = doTruncate;
    ops.open = doOpen;
    ops.read = doRead;
    ops.write = doWrite;
    ops.statfs = doStatfs;
    ops.release = doRelease;
    ops.fsync = doFsync;
    ops.readdir = doReaddir;
    ops.init = doInit;
    ops.create = doCreate;
    ops.utimens = doUtimens;
    std::vector<char *> args { argv[0], argv[first + 1] };
    for (int i = first + 3; i < argc; ++i)
        args.push_back(argv[i]);
    return fuse_main(int(args.size()), args.data(), &ops, nullptr);
}
