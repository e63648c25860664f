// SPDX-License-Identifier: MIT
#pragma once

#include "fstree.h"

#include <QStringList>
#include <QtGlobal>

class ParamTable;

// The table the program builds from this argument vector.
ParamTable commandLine(const QStringList &argv);

// files empty data files a-<energy>eV-<n>.img in target, a hundred to an energy.
bool makeScan(const QString &target, int files);
// Of a target after runs with the names O, E and S over such files: how many files are untouched,
// moved into O, linked from E or S, and how many of those links lead to no file.
QList<int> runCounts(const QString &target);

// Collects the debug-level lines written to the debug channel while it lives.
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
