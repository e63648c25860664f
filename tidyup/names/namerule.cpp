// SPDX-License-Identifier: MIT
#include "tidyup/names/namerule.h"

#include <QFile>
#include <QRegularExpression>
#include <algorithm>
#include <cstring>

namespace
{

const QRegularExpression &namePattern()
{
    static const QRegularExpression pattern(QStringLiteral("(.*-)([\\d+_]+)(eV-)(\\d+)(\\..*)"));
    return pattern;
}

} // namespace

namespace TidyUp
{

QString rewriteFileName(const QString &fileName, QString &energy, QString &seqNo)
{
    QString result = fileName;
    const QRegularExpressionMatch match = namePattern().match(fileName);
    if (!match.hasMatch())
        return result;
    energy = match.captured(2);
    seqNo = match.captured(4);
    if (!energy.contains(QLatin1Char('_'))) {
        const QLatin1String suffix("_00");
        energy += suffix;
        // Inserted in place rather than rebuilt from the groups: a match need not span the
        // whole name (a line break ends it), and no character of the name may be lost.
        result.insert(match.capturedEnd(2), suffix);
    }
    return result;
}

QByteArray rewriteFileName(const QByteArray &fileName, QByteArray &energy, QByteArray &seqNo)
{
    const char *const name = fileName.constData();
    const qsizetype size = fileName.size();
    // Control characters end a match of the expression, and other bytes are characters only
    // once decoded: such names take the expression's way.
    if (std::any_of(name, name + size, [](char c) { return c < 0x20 || c > 0x7e; })) {
        QString energyText;
        QString seqNoText;
        const QByteArray result = QFile::encodeName(
            rewriteFileName(QFile::decodeName(fileName), energyText, seqNoText));
        if (!energyText.isEmpty() || !seqNoText.isEmpty()) {
            energy = QFile::encodeName(energyText);
            seqNo = QFile::encodeName(seqNoText);
        }
        return result;
    }
    const auto isDigit = [](char c) { return c >= '0' && c <= '9'; };
    // As the expression does: the prefix is the longest one, ending in '-', after which the rest
    // fits. Each field is as long as it can be: a shorter one would be followed by one of its
    // own characters, never by what must follow it.
    for (qsizetype dash = size - 1; dash >= 0; --dash) {
        if (name[dash] != '-')
            continue;
        qsizetype end = dash + 1;
        while (end < size && (isDigit(name[end]) || name[end] == '+' || name[end] == '_'))
            ++end;
        if (end == dash + 1 || size - end < 3 || std::memcmp(name + end, "eV-", 3) != 0)
            continue;
        const qsizetype seqStart = end + 3;
        qsizetype seqEnd = seqStart;
        while (seqEnd < size && isDigit(name[seqEnd]))
            ++seqEnd;
        if (seqEnd == seqStart || seqEnd == size || name[seqEnd] != '.')
            continue;
        // Put together by hand, one allocation each: this runs for every file of a run.
        const qsizetype field = end - dash - 1;
        const bool fractional = std::memchr(name + dash + 1, '_', size_t(field)) != nullptr;
        energy.resize(field + (fractional ? 0 : 3));
        std::memcpy(energy.data(), name + dash + 1, size_t(field));
        seqNo = QByteArray(name + seqStart, seqEnd - seqStart);
        if (fractional)
            return fileName;
        std::memcpy(energy.data() + field, "_00", 3);
        QByteArray result(size + 3, Qt::Uninitialized);
        std::memcpy(result.data(), name, size_t(end));
        std::memcpy(result.data() + end, "_00", 3);
        std::memcpy(result.data() + end + 3, name + end, size_t(size - end));
        return result;
    }
    return fileName;
}

} // namespace TidyUp
