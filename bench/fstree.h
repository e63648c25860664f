// SPDX-License-Identifier: MIT
#pragma once

#include <QByteArray>
#include <QStringList>

// Small directory trees, made and read back, for the benchmark's layout check and the tests.
namespace FsTree
{

// Creates path and its parents, holding content; a path ending in "/" is a directory.
bool make(const QString &path, const QByteArray &content = QByteArray());
QByteArray read(const QString &path);

// Every entry below root, sorted, one line each: "dir/", "file=content", or "link>target" with
// the target relative to root. Links are not followed.
QStringList tree(const QString &root);
// The same without the program's records of its runs.
QStringList dataTree(const QString &root);

} // namespace FsTree
