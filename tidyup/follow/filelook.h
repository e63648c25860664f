// SPDX-License-Identifier: MIT
#pragma once

#include "tidyup/follow/settler.h"

#include <QString>

namespace TidyUp
{

// What the settling of a directory's files reads from the system: an entry's size and time on a
// descriptor opened for the look, whether a writer of this machine holds it, and the file
// system's clock.
class FileLook
{
public:
    // On dir; false where it cannot be opened.
    bool open(const QString &dir, const QString &clockFile);
    ~FileLook();

    Settler::Look look(const QByteArray &name) const;
    // The looks at names, in their order; a long list on a few threads side by side.
    std::vector<Settler::Look> look(const std::vector<QByteArray> &names) const;
    // The modification time of the clock file, touched now, in milliseconds; -1 where it
    // cannot be.
    qint64 fileSystemNow() const;

private:
    int dirFd = -1;
    int clockFd = -1;
    // Leases tell a writer of this machine only on a file system this machine serves.
    bool local = false;
};

} // namespace TidyUp
