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

// A name's groups by the rule, in the file system's encoding: the prefix up to and with its '-',
// the energy field as the rule rewrites it, the sequence field, and the tail from its '.' on.
struct NameFields {
    QByteArray prefix;
    QByteArray energy;
    QByteArray seqNo;
    QByteArray tail;
};
// False, leaving fields alone, where the name has no fields. Fields given again keep their
// storage: a survey reads a hundred thousand names through one.
bool nameFields(const QByteArray &fileName, NameFields &fields);

} // namespace TidyUp
