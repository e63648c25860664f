// SPDX-License-Identifier: MIT
#pragma once

#include <QDir>
#include <QString>
#include <QStringList>

// Moves the data files of a target directory into an originals directory and links each moved
// file into a per-energy and a per-sequence-number subdirectory. No widget code: the window,
// the tests and the benchmark all drive it the same way.
class TidyUp
{
public:
    // The name with "_00" inserted after its energy field when that field holds no underscore.
    // energy and seqNo receive the name's fields; they are left alone when the name is not of
    // the form prefix-<energy>eV-<sequence>.<tail>.
    static QString rewriteFileName(const QString &fileName, QString &energy, QString &seqNo);

    // Creates the three output directories under target where missing; false, with one debug
    // line about the first problem, when any of them is not a directory afterwards.
    static bool prepareDirs(
        const QDir &target, const QString &origs, const QString &energy, const QString &seqNo);

    // The names that a run handles: entries of target matching "*.<fileExt>" (case ignored),
    // hidden ones, "." and ".." left out, in case-insensitive name order.
    static QStringList listEntries(const QDir &target, const QString &fileExt);

    // One whole tidy-up. Names are relative to the target directory or absolute. False when
    // the output directories could not be set up; failed moves and links are written to the
    // debug channel and the run goes on.
    static bool run(const QString &targetPath, const QString &origsName, const QString &energyName,
        const QString &seqNoName, const QString &fileExt);
};
