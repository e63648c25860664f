// SPDX-License-Identifier: MIT
#include "tidyup/names/listing.h"
#include "tidyup/names/dirscan.h"

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

// The sort compares names sixteen bytes at a time, lowered, as two integers: a name's key from
// a given byte on. Only bytes of ASCII are compared so, as above; a name with another byte
// among them has no key there and is compared whole.
struct Keyed {
    quint64 key[2];
    bool hasKey;
    QByteArray name;
};

void setKey(Keyed &entry, qsizetype from)
{
    const QByteArray &name = entry.name;
    entry.hasKey = true;
    entry.key[0] = entry.key[1] = 0;
    for (qsizetype i = from; i < from + 16; ++i) {
        // A name that ends is before every longer one: its missing bytes are zeros, and no name
        // holds a zero.
        const unsigned c = i < name.size() ? static_cast<unsigned char>(name.constData()[i]) : 0;
        entry.hasKey = entry.hasKey && c < 0x80;
        quint64 &key = entry.key[(i - from) / 8];
        key = key << 8 | (c - 'A' < 26 ? c + 32 : c);
    }
}

bool nameBefore(const Keyed &a, const Keyed &b)
{
    return caseInsensitiveBefore(a.name, b.name);
}

// Sorts names whose first `from` bytes are of ASCII and equal but for case, by their keys from
// there, then each group of equal keys by the next sixteen bytes, as far as the names go. Those
// without a key are sorted whole and merged in.
void sortFrom(std::vector<Keyed>::iterator first, std::vector<Keyed>::iterator last, qsizetype from)
{
    for (auto it = first; it != last; ++it)
        setKey(*it, from);
    const auto keyless = std::partition(first, last, [](const Keyed &e) { return e.hasKey; });
    std::sort(first, keyless, [](const Keyed &a, const Keyed &b) {
        return a.key[0] != b.key[0] ? a.key[0] < b.key[0] : a.key[1] < b.key[1];
    });
    for (auto group = first; group != keyless;) {
        const auto end = std::find_if(group + 1, keyless, [&group](const Keyed &e) {
            return e.key[0] != group->key[0] || e.key[1] != group->key[1];
        });
        // Names that ended within these bytes differ in case at most.
        if (end - group > 1 && (group->key[1] & 0xff) == 0)
            std::sort(group, end, [](const Keyed &a, const Keyed &b) { return a.name < b.name; });
        else if (end - group > 1)
            sortFrom(group, end, from + 16);
        group = end;
    }
    std::sort(keyless, last, nameBefore);
    std::inplace_merge(first, keyless, last, nameBefore);
}

} // namespace

namespace TidyUp
{

std::vector<QByteArray> listEntries(const QDir &target, const QString &fileExt)
{
    // A million names must fit in a few dozen megabytes: each is kept once, in the file
    // system's encoding, and has a key only while they are sorted.
    std::vector<QByteArray> names;
    DirScan::matchingEncoded(
        target.path(), fileExt, [&names](QByteArray &&name) { names.push_back(std::move(name)); });
    std::vector<Keyed> keyed(names.size());
    for (size_t i = 0; i < names.size(); ++i)
        keyed[i].name = std::move(names[i]);
    sortFrom(keyed.begin(), keyed.end(), 0);
    for (size_t i = 0; i < names.size(); ++i)
        names[i] = std::move(keyed[i].name);
    return names;
}

} // namespace TidyUp
