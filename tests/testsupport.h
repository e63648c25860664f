// SPDX-License-Identifier: MIT
#pragma once

#include <QByteArray>
#include <QStringList>
#include <QtGlobal>

class ParamTable;

// Creates path and its parents, holding content; a path ending in "/" is a directory.
bool makeEntry(const QString &path, const QByteArray &content = QByteArray());
QByteArray readFile(const QString &path);

// Every entry below root, sorted, one line each: "dir/", "file=content", or "link>target" with
// the target relative to root. Links are not followed.
QStringList tree(const QString &root);

// The table the program builds from this argument vector.
ParamTable commandLine(const QStringList &argv);

// Collects what is written to the debug channel while it lives.
class MessageCapture
{
public:
    MessageCapture();
    ~MessageCapture();
    Q_DISABLE_COPY(MessageCapture)
    QStringList lines;

private:
    QtMessageHandler previous;
};
