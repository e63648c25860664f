// SPDX-License-Identifier: MIT
#pragma once

#include <QByteArray>
#include <QString>

namespace TidyUp
{

// The name with "_00" inserted after its energy field when that field holds no underscore.
// energy and seqNo receive the name's fields; they are left alone when the name is not of
// the form prefix-<energy>eV-<sequence>.<tail>.
QString rewriteFileName(const QString &fileName, QString &energy, QString &seqNo);

// The same on a name in the file system's encoding, all three as the rule above gives them,
// encoded: a run applies it to every file, and nearly all names are printable ASCII, which it
// reads without decoding them.
QByteArray rewriteFileName(const QByteArray &fileName, QByteArray &energy, QByteArray &seqNo);

} // namespace TidyUp
