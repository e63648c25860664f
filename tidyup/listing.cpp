// SPDX-License-Identifier: MIT
#include "tidyup/listing.h"
#include "tidyup/dirscan.h"

#include <QFile>
#include <algorithm>
#include <cstring>

namespace
{

// The order of the directory's own listing by name, case ignored, and then by the bytes: names
// of ASCII, nearly all of them, are compared in place, byte by byte; from the first other byte
// on, as lower-case text.
bool caseInsensitiveBefore(const QByteArray &a, const QByteArray &b)
{
    const auto *x = reinterpret_cast<const unsigned char *>(a.constData());
    const auto *y = reinterpret_cast<const unsigned char *>(b.constData());
    const qsizetype common = std::min(a.size(), b.size());
    qsizetype i = 0;
    // The sort spends its time here, on names that share long beginnings: equal bytes of ASCII,
    // which need no lowering, are passed over eight at a time.
    for (quint64 u, v; i + 8 <= common; i += 8) {
        std::memcpy(&u, x + i, 8);
        std::memcpy(&v, y + i, 8);
        if (u != v || ((u | v) & 0x8080808080808080ULL) != 0)
            break;
    }
    for (; i < common; ++i) {
        const unsigned p = x[i];
        const unsigned q = y[i];
        if ((p | q) >= 0x80) {
            const QString restA = QFile::decodeName(a.mid(i)).toLower();
            const QString restB = QFile::decodeName(b.mid(i)).toLower();
            return restA != restB ? restA < restB : a < b;
        }
        if (p != q) {
            const unsigned lowerP = p - 'A' < 26 ? p + 32 : p;
            const unsigned lowerQ = q - 'A' < 26 ? q + 32 : q;
            if (lowerP != lowerQ)
                return lowerP < lowerQ;
        }
    }
    return a.size() != b.size() ? a.size() < b.size() : a < b;
}

} // namespace

namespace TidyUp
{

std::vector<QByteArray> listEntries(const QDir &target, const QString &fileExt)
{
    // A million names must fit in a few dozen megabytes: each is kept once, in the file
    // system's encoding, and sorted without a key of its own.
    std::vector<QByteArray> names;
    DirScan::matching(target.path(), fileExt, [&names](const QString &name) {
        names.push_back(QFile::encodeName(name));
        // The encoder leaves room for three bytes a character.
        names.back().squeeze();
    });
    std::sort(names.begin(), names.end(), caseInsensitiveBefore);
    return names;
}

} // namespace TidyUp
