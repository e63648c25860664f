// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

namespace TidyUp
{

// The name with "_00" inserted after its energy field when that field holds no underscore.
// energy and seqNo receive the name's fields; they are left alone when the name is not of
// the form prefix-<energy>eV-<sequence>.<tail>.
QString rewriteFileName(const QString &fileName, QString &energy, QString &seqNo);

} // namespace TidyUp
