// SPDX-License-Identifier: MIT
#pragma once

#include <QByteArray>
#include <QDir>
#include <QString>
#include <vector>

namespace TidyUp
{

// The names that a run handles, in the file system's encoding: entries of target matching
// "*.<fileExt>" (case ignored), hidden ones, "." and ".." left out, in case-insensitive name
// order.
std::vector<QByteArray> listEntries(const QDir &target, const QString &fileExt);

} // namespace TidyUp
