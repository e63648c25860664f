// SPDX-License-Identifier: MIT
#pragma once

#include "tidyup/tidyup.h"

#include <QByteArray>
#include <QString>
#include <functional>
#include <vector>

class FileOps;
class Tally;

namespace TidyUp
{

// Completes what a killed run left, before a run of the same originals directory: finishes the
// moves it left with the file under both names (those names leave names, which the run then
// does not take on), and makes the links of every moved file that has none, on linkThreads
// threads. noteFolder hears of each per-energy (0) and per-sequence (1) folder first.
void completeKilledRun(std::vector<QByteArray> &names, const FileOps &ops, const QString &origs,
    int linkThreads, Tally &tally, Outcome &outcome,
    const std::function<void(int tree, const QByteArray &sub)> &noteFolder);

} // namespace TidyUp
