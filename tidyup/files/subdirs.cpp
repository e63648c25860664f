// SPDX-License-Identifier: MIT
#include "tidyup/files/subdirs.h"

#include <QHash>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

struct SubDirs::Entry {
    int tree;
    QByteArray name;
    int fd;
    int users;
    // Neighbours in the list of idle folders.
    Entry *newer;
    Entry *older;
};

namespace
{

int openFolder(int tree, const QByteArray &name)
{
    return ::openat(tree, name.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
}

} // namespace

size_t SubDirs::capacity()
{
    // The soft limit of descriptors is often 1,024 while the hard one is far higher; a process
    // that never uses select() may raise it. A quarter stays for everything else.
    static const size_t folders = [] {
        rlimit limit {};
        if (::getrlimit(RLIMIT_NOFILE, &limit) != 0)
            return size_t(64);
        const rlim_t wanted = std::min<rlim_t>(limit.rlim_max, 16384);
        if (limit.rlim_cur < wanted) {
            rlimit raised = limit;
            raised.rlim_cur = wanted;
            if (::setrlimit(RLIMIT_NOFILE, &raised) == 0)
                limit = raised;
        }
        return std::clamp(size_t(limit.rlim_cur / 4), size_t(16), size_t(4096));
    }();
    return folders;
}

size_t SubDirs::KeyHash::operator()(const QByteArray &key) const
{
    return qHash(key);
}

SubDirs::SubDirs(const int (&treeFds)[2])
    : trees { treeFds[0], treeFds[1] }
{
    capacity();
}

SubDirs::~SubDirs()
{
    for (const auto &tree : entries) {
        for (const auto &item : tree) {
            ::close(item.second->fd);
            delete item.second;
        }
    }
}

SubDirs::Folder::Folder(Folder &&other) noexcept
    : reason(std::move(other.reason))
    , made(other.made)
    , owner(std::exchange(other.owner, nullptr))
    , entry(std::exchange(other.entry, nullptr))
    , descriptor(std::exchange(other.descriptor, -1))
{
}

SubDirs::Folder::~Folder()
{
    if (owner && entry)
        owner->release(entry);
}

SubDirs::Folder SubDirs::open(int tree, const QByteArray &name, bool create)
{
    Folder folder;
    const auto take = [&](Entry *entry) {
        if (entry->users++ == 0)
            unlinkIdle(entry);
        folder.owner = this;
        folder.entry = entry;
        folder.descriptor = entry->fd;
    };
    {
        const std::lock_guard<std::mutex> lock(mutex);
        const auto found = entries[tree].find(name);
        if (found != entries[tree].end()) {
            take(found->second);
            return folder;
        }
    }
    // Opened outside the lock: on a file server this is a round trip. Another thread may make
    // or open the same folder at the same moment.
    int fd = openFolder(trees[tree], name);
    if (fd < 0 && errno == ENOENT && create) {
        folder.made = ::mkdirat(trees[tree], name.constData(), 0777) == 0;
        if (folder.made || errno == EEXIST)
            fd = openFolder(trees[tree], name);
    }
    if (fd < 0) {
        const int error = errno;
        struct stat st {
        };
        const bool isLink = error == ENOTDIR
            && ::fstatat(trees[tree], name.constData(), &st, AT_SYMLINK_NOFOLLOW) == 0
            && S_ISLNK(st.st_mode);
        folder.reason = isLink
            ? Reason(QT_TRANSLATE_NOOP("Reason", "the folder is a symbolic link"), error)
            : Reason(error);
        return folder;
    }
    const std::lock_guard<std::mutex> lock(mutex);
    Entry *&entry = entries[tree][name];
    if (entry) {
        ::close(fd);
        take(entry);
    } else {
        // In use from the start, so never on the idle list yet.
        entry = new Entry { tree, name, fd, 1, nullptr, nullptr };
        ++openCount;
        folder.owner = this;
        folder.entry = entry;
        folder.descriptor = fd;
    }
    while (openCount > capacity() && oldestIdle) {
        Entry *oldest = oldestIdle;
        unlinkIdle(oldest);
        ::close(oldest->fd);
        entries[oldest->tree].erase(oldest->name);
        --openCount;
        delete oldest;
    }
    return folder;
}

void SubDirs::unlinkIdle(Entry *entry)
{
    (entry->newer ? entry->newer->older : newestIdle) = entry->older;
    (entry->older ? entry->older->newer : oldestIdle) = entry->newer;
    entry->newer = entry->older = nullptr;
}

void SubDirs::release(Entry *entry)
{
    const std::lock_guard<std::mutex> lock(mutex);
    if (--entry->users > 0)
        return;
    entry->older = newestIdle;
    (newestIdle ? newestIdle->newer : oldestIdle) = entry;
    newestIdle = entry;
}
