// SPDX-License-Identifier: MIT
#include "tidyup/dirscan.h"

#include <QDirIterator>
#include <QFile>
#include <QRegularExpression>

#ifdef Q_OS_LINUX
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#endif

namespace
{

bool stopped(const std::atomic<bool> *stop)
{
    return stop && stop->load(std::memory_order_relaxed);
}

#ifdef Q_OS_LINUX

// Calls accept for each entry with its type; false when dir cannot be read.
template <typename Accept>
bool readEntries(const QString &dir, const std::atomic<bool> *stop, Accept accept)
{
    DIR *stream = ::opendir(QFile::encodeName(dir).constData());
    if (!stream)
        return false;
    while (const dirent *entry = ::readdir(stream)) {
        if (stopped(stop))
            break;
        const char *name = entry->d_name;
        if (name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0')))
            continue;
        accept(::dirfd(stream), entry);
    }
    ::closedir(stream);
    return true;
}

#endif

} // namespace

bool DirScan::matching(
    const QString &dir, const QString &fileExt, const Visit &visit, const std::atomic<bool> *stop)
{
    const QString pattern = QStringLiteral("*.") + fileExt;
#ifdef Q_OS_LINUX
    // The toolkit's name filter is a wildcard, case ignored; a plain extension is only a suffix.
    const bool plain = !fileExt.contains(QRegularExpression(QStringLiteral("[*?[]")));
    const QString suffix = pattern.mid(1);
    const QRegularExpression wildcard(QRegularExpression::wildcardToRegularExpression(pattern),
        QRegularExpression::CaseInsensitiveOption);
    return readEntries(dir, stop, [&](int fd, const dirent *entry) {
        // Hidden entries, and without QDir::System also devices, FIFOs, sockets and dangling
        // links, are left out as the toolkit's listing leaves them out.
        if (entry->d_name[0] == '.')
            return;
        unsigned char type = entry->d_type;
        struct stat st;
        if (type == DT_UNKNOWN) {
            if (::fstatat(fd, entry->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0)
                return;
            type = S_ISLNK(st.st_mode) ? DT_LNK
                : S_ISDIR(st.st_mode)  ? DT_DIR
                : S_ISREG(st.st_mode)  ? DT_REG
                                       : DT_UNKNOWN;
        }
        if (type == DT_LNK ? ::fstatat(fd, entry->d_name, &st, 0) != 0
                           : type != DT_REG && type != DT_DIR)
            return;
        const QString name = QFile::decodeName(entry->d_name);
        if (plain ? name.endsWith(suffix, Qt::CaseInsensitive) : wildcard.match(name).hasMatch())
            visit(name);
    });
#else
    if (!QFileInfo(dir).isDir())
        return false;
    for (QDirIterator it(dir, { pattern }, QDir::AllEntries | QDir::NoDotAndDotDot);
         it.hasNext() && !stopped(stop);) {
        it.next();
        visit(it.fileName());
    }
    return true;
#endif
}

bool DirScan::all(const QString &dir, const Visit &visit, const std::atomic<bool> *stop)
{
#ifdef Q_OS_LINUX
    return readEntries(
        dir, stop, [&](int, const dirent *entry) { visit(QFile::decodeName(entry->d_name)); });
#else
    if (!QFileInfo(dir).isDir())
        return false;
    for (QDirIterator it(
             dir, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System);
         it.hasNext() && !stopped(stop);) {
        it.next();
        visit(it.fileName());
    }
    return true;
#endif
}
