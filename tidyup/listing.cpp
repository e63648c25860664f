// SPDX-License-Identifier: MIT
#include "tidyup/listing.h"
#include "tidyup/dirscan.h"

#include <QFile>
#include <algorithm>

namespace
{

// The order of the directory's own listing by name, case ignored, and then by the bytes: names
// of ASCII, nearly all of them, are compared in place, byte by byte; from the first other byte
// on, as lower-case text.
bool caseInsensitiveBefore(const QByteArray &a, const QByteArray &b)
{
    const auto lower = [](unsigned char c) { return c >= 'A' && c <= 'Z' ? c + 32 : int(c); };
    const int common = std::min(a.size(), b.size());
    for (int i = 0; i < common; ++i) {
        const auto x = static_cast<unsigned char>(a[i]);
        const auto y = static_cast<unsigned char>(b[i]);
        if (x >= 0x80 || y >= 0x80) {
            const QString restA = QFile::decodeName(a.mid(i)).toLower();
            const QString restB = QFile::decodeName(b.mid(i)).toLower();
            return restA != restB ? restA < restB : a < b;
        }
        if (lower(x) != lower(y))
            return lower(x) < lower(y);
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
