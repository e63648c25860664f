// SPDX-License-Identifier: MIT
#pragma once

#include "bench/fstree.h"

#include <QStringList>
#include <QtGlobal>
#include <functional>

class ParamTable;
class TidyUpSession;

// The table the program builds from this argument vector.
ParamTable commandLine(const QStringList &argv);

// A template for QTemporaryDir on the memory disk where there is one: tens of thousands of files
// are made and read there quickly.
QString inMemory(const QString &name);

// files empty data files a-<energy>eV-<n>.img in target, a hundred to an energy.
bool makeScan(const QString &target, int files);
// Of a target after runs with the names O, E and S over such files: how many files are untouched,
// moved into O, linked from E or S, and how many of those links lead to no file.
QList<int> runCounts(const QString &target);

// Holds the session's next run, or undo, at its first progress report, on the run's own thread,
// until action has run on the session's thread: what action does (Stop, closing the window)
// then comes after exactly one entry, however fast either thread is. action must not destroy
// the session, whose end waits for the run.
void atFirstReport(TidyUpSession &session, const std::function<void()> &action);

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
