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

// Control characters end a match of the expression, and other bytes are characters only once
// decoded: such names take the expression's way.
bool plainAscii(const char *name, qsizetype size)
{
    return std::none_of(name, name + size, [](char c) { return c < 0x20 || c > 0x7e; });
}

// Where the groups of a name of printable ASCII lie: the prefix ends where the energy starts.
struct Spans {
    qsizetype energyStart = 0;
    qsizetype energyEnd = 0;
    qsizetype seqStart = 0;
    qsizetype seqEnd = 0;
    bool fractional = false;
};

bool asciiSpans(const char *name, qsizetype size, Spans &spans)
{
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
        spans.energyStart = dash + 1;
        spans.energyEnd = end;
        spans.seqStart = seqStart;
        spans.seqEnd = seqEnd;
        spans.fractional = std::memchr(name + dash + 1, '_', size_t(end - dash - 1)) != nullptr;
        return true;
    }
    return false;
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
    if (!plainAscii(name, size)) {
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
    Spans spans;
    if (!asciiSpans(name, size, spans))
        return fileName;
    // Put together by hand, one allocation each: this runs for every file of a run.
    const qsizetype field = spans.energyEnd - spans.energyStart;
    energy.resize(field + (spans.fractional ? 0 : 3));
    std::memcpy(energy.data(), name + spans.energyStart, size_t(field));
    seqNo = QByteArray(name + spans.seqStart, spans.seqEnd - spans.seqStart);
    if (spans.fractional)
        return fileName;
    std::memcpy(energy.data() + field, "_00", 3);
    QByteArray result(size + 3, Qt::Uninitialized);
    std::memcpy(result.data(), name, size_t(spans.energyEnd));
    std::memcpy(result.data() + spans.energyEnd, "_00", 3);
    std::memcpy(result.data() + spans.energyEnd + 3, name + spans.energyEnd,
        size_t(size - spans.energyEnd));
    return result;
}

bool nameFields(const QByteArray &fileName, NameFields &fields)
{
    const char *const name = fileName.constData();
    const qsizetype size = fileName.size();
    if (!plainAscii(name, size)) {
        const QRegularExpressionMatch match = namePattern().match(QFile::decodeName(fileName));
        if (!match.hasMatch())
            return false;
        QString energy = match.captured(2);
        if (!energy.contains(QLatin1Char('_')))
            energy += QLatin1String("_00");
        fields.prefix = QFile::encodeName(match.captured(1));
        fields.energy = QFile::encodeName(energy);
        fields.seqNo = QFile::encodeName(match.captured(4));
        fields.tail = QFile::encodeName(match.captured(5));
        return true;
    }
    Spans spans;
    if (!asciiSpans(name, size, spans))
        return false;
    const auto assign = [name](QByteArray &field, qsizetype from, qsizetype to, bool rewrite) {
        field.resize(to - from + (rewrite ? 3 : 0));
        std::memcpy(field.data(), name + from, size_t(to - from));
        if (rewrite)
            std::memcpy(field.data() + (to - from), "_00", 3);
    };
    assign(fields.prefix, 0, spans.energyStart, false);
    assign(fields.energy, spans.energyStart, spans.energyEnd, !spans.fractional);
    assign(fields.seqNo, spans.seqStart, spans.seqEnd, false);
    assign(fields.tail, spans.seqEnd, size, false);
    return true;
}

} // namespace TidyUp
