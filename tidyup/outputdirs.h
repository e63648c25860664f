// SPDX-License-Identifier: MIT
#pragma once

#include "tidyup/tidyup.h"

#include <QDir>
#include <QString>
#include <QStringList>

namespace TidyUp
{

// Creates the three output directories under target where missing; false, with one debug
// line about the first problem, when any of them is not a directory afterwards. problem
// receives that line's message, failure what went wrong where.
bool prepareDirs(const QDir &target, const QString &origs, const QString &energy,
    const QString &seqNo, QString *problem = nullptr, Failure *failure = nullptr);

// The directories that making path would create, deepest first.
QStringList missingDirs(const QString &path);

// The names directly in the target directory that are, or lead to, one of the output
// directories: moving one of them would move an output directory into another, or into itself.
QStringList outputDirEntries(const QDir &target, const QStringList &outputNames);

// Whether each output directory, as it is or would be made, lies below the target, symbolic
// links resolved: relative links are made only then.
bool outputsInside(const QDir &target, const QStringList &outputNames);
// Why a run with relative links is refused otherwise, translated.
QString outputsOutside();
// What a relative link's text begins with in a folder of the link tree at tree, up to the file's
// name ("../../Origs/"), from the real paths of both; empty where either does not exist.
QByteArray relativeLinkStart(const QString &tree, const QString &origs);

enum DirCheck { DirMissing, NotADir };
// What the check says of name in target, translated.
QString dirProblem(DirCheck check, const QString &name, const QDir &target);

} // namespace TidyUp
