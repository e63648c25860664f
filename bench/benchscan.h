// SPDX-License-Identifier: MIT
#pragma once

#include <QString>
#include <string>

// The synthetic scans that the benchmarks tidy, and the least system calls that tidy one.
namespace BenchScan
{

// energies x projections empty files named like sample-7002_5eV-0001.img, and two frames that
// carry no energy; holes drops a frame at as many of the middle energies. Their modification
// time lies ageSeconds in the past.
void makeScan(const QString &dir, int energies, int projections, int holes = 0, int ageSeconds = 0);

// The least work that leaves the program's layout behind: one pass of readdir, then per file one
// renameat2 and two symlinkat relative to open directories, one mkdir per new subdirectory. With
// linkThreads, the links are made by that many threads while this one renames. Where rename flags
// are refused (NFS), a file is moved by a hard link and the unlink of its old name, which goes
// with its links.
void floorRun(const std::string &target, int linkThreads);

} // namespace BenchScan
