#pragma once

#include <QByteArray>
#include <QMap>
#include <QString>

// Helpers for building and reading back small directory trees in tests.
namespace FsTree
{

// Creates path (and its parent directories) holding content; a name ending in "/" is a directory.
bool make(const QString &path, const QByteArray &content = QByteArray());

// Every entry below root, without following links, as relative path -> description:
// "file:<content>", "dir", or "link:<target>".
QMap<QString, QString> snapshot(const QString &root);

QByteArray read(const QString &path);

} // namespace FsTree
