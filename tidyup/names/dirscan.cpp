// SPDX-License-Identifier: MIT
#include "tidyup/names/dirscan.h"

#include <QDirIterator>
#include <QFile>
#include <QRegularExpression>
#include <algorithm>
#include <cstring>

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

#ifdef Q_OS_LINUX

namespace
{

bool ascii(const char *name, size_t size)
{
    return std::all_of(
        name, name + size, [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

// Calls visit with the name of each entry that the toolkit's listing would give for fileExt,
// and with the name decoded where that was needed to tell (else an empty string).
template <typename Visit>
bool readMatching(
    const QString &dir, const QString &fileExt, const std::atomic<bool> *stop, Visit visit)
{
    const QString pattern = QStringLiteral("*.") + fileExt;
    // The toolkit's name filter is a wildcard, case ignored; a plain extension is only a suffix.
    const bool plain = !fileExt.contains(QRegularExpression(QStringLiteral("[*?[]")));
    const QString suffix = pattern.mid(1);
    // Case is ignored in ASCII as in the rest of Unicode only where both sides are ASCII.
    const QByteArray encodedSuffix = suffix.toUtf8();
    const QByteArray asciiSuffix = ascii(encodedSuffix.constData(), size_t(encodedSuffix.size()))
        ? encodedSuffix
        : QByteArray();
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
        const size_t size = std::strlen(entry->d_name);
        if (plain && !asciiSuffix.isEmpty() && ascii(entry->d_name, size)) {
            if (size >= size_t(asciiSuffix.size())
                && qstrnicmp(entry->d_name + size - size_t(asciiSuffix.size()),
                       asciiSuffix.constData(), size_t(asciiSuffix.size()))
                    == 0)
                visit(entry->d_name, size, QString());
            return;
        }
        const QString name = QFile::decodeName(entry->d_name);
        if (plain ? name.endsWith(suffix, Qt::CaseInsensitive) : wildcard.match(name).hasMatch())
            visit(entry->d_name, size, name);
    });
}

} // namespace

#endif

bool DirScan::matching(
    const QString &dir, const QString &fileExt, const Visit &visit, const std::atomic<bool> *stop)
{
#ifdef Q_OS_LINUX
    return readMatching(dir, fileExt, stop, [&](const char *name, size_t, const QString &decoded) {
        visit(decoded.isNull() ? QFile::decodeName(name) : decoded);
    });
#else
    const QString pattern = QStringLiteral("*.") + fileExt;
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

bool DirScan::matchingEncoded(const QString &dir, const QString &fileExt, const VisitEncoded &visit,
    const std::atomic<bool> *stop)
{
#ifdef Q_OS_LINUX
    return readMatching(
        dir, fileExt, stop, [&](const char *name, size_t size, const QString &decoded) {
            // Names of ASCII come back from the decoder as they were.
            if (decoded.isNull() && ascii(name, size)) {
                visit(QByteArray(name, qsizetype(size)));
                return;
            }
            QByteArray encoded
                = QFile::encodeName(decoded.isNull() ? QFile::decodeName(name) : decoded);
            // The encoder leaves room for three bytes a character.
            encoded.squeeze();
            visit(std::move(encoded));
        });
#else
    return matching(
        dir, fileExt, [&](const QString &name) { visit(QFile::encodeName(name)); }, stop);
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
