// SPDX-License-Identifier: MIT
#pragma once

#include <QByteArray>
#include <QString>
#include <atomic>
#include <functional>

// Reads a directory's names without a file-information object per entry: on a 100,000-file
// scan the toolkit's iterator costs more than the rest of a preview together.
class DirScan
{
public:
    using Visit = std::function<void(const QString &name)>;
    using VisitEncoded = std::function<void(QByteArray &&name)>;

    // The entries that TidyUp::listEntries lists for fileExt, in the directory's own order.
    // False when the directory cannot be read. Ends early once stop is set.
    static bool matching(const QString &dir, const QString &fileExt, const Visit &visit,
        const std::atomic<bool> *stop = nullptr);
    // The same, each name as QFile::encodeName gives back the decoded one: a run's listing,
    // without a string of its own for each of a hundred thousand names of ASCII.
    static bool matchingEncoded(const QString &dir, const QString &fileExt,
        const VisitEncoded &visit, const std::atomic<bool> *stop = nullptr);
    // Every entry but "." and "..", hidden ones and dangling links included.
    static bool all(
        const QString &dir, const Visit &visit, const std::atomic<bool> *stop = nullptr);
};
