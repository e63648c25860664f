// SPDX-License-Identifier: MIT
#include "tidyup/report/jsonlines.h"
#include "tidyup/report/surveyreport.h"

#include <QDir>
#include <QFile>
#include <QLocale>

namespace
{

const char hex[] = "0123456789abcdef";

// The length of the valid UTF-8 sequence at the start of bytes, or 0. Overlong forms,
// surrogates and code points beyond U+10FFFF are not valid.
int sequenceLength(const unsigned char *bytes, int size)
{
    const unsigned char lead = bytes[0];
    int length = 0;
    unsigned min = 0;
    unsigned code = 0;
    if (lead < 0x80)
        return 1;
    if ((lead & 0xe0) == 0xc0) {
        length = 2, min = 0x80, code = lead & 0x1f;
    } else if ((lead & 0xf0) == 0xe0) {
        length = 3, min = 0x800, code = lead & 0x0f;
    } else if ((lead & 0xf8) == 0xf0) {
        length = 4, min = 0x10000, code = lead & 0x07;
    } else {
        return 0;
    }
    if (size < length)
        return 0;
    for (int i = 1; i < length; ++i) {
        if ((bytes[i] & 0xc0) != 0x80)
            return 0;
        code = code << 6 | (bytes[i] & 0x3f);
    }
    const bool valid = code >= min && code <= 0x10ffff && (code < 0xd800 || code > 0xdfff);
    return valid ? length : 0;
}

void appendEscaped(QByteArray &out, unsigned char byte)
{
    switch (byte) {
    case '"':
        out += "\\\"";
        break;
    case '\\':
        out += "\\\\";
        break;
    case '\n':
        out += "\\n";
        break;
    case '\t':
        out += "\\t";
        break;
    default:
        if (byte < 0x20)
            out += QByteArray("\\u00") + hex[byte >> 4] + hex[byte & 0xf];
        else
            out += char(byte);
    }
}

// bytes as a JSON string. With marking, a byte that is not part of valid UTF-8 becomes the
// text \xHH and a backslash two, so that a name can be rebuilt exactly, whatever it holds.
QByteArray quoted(const QByteArray &bytes, bool marking)
{
    const auto *data = reinterpret_cast<const unsigned char *>(bytes.constData());
    const int size = bytes.size();
    QByteArray out = "\"";
    for (int i = 0; i < size;) {
        const int length = sequenceLength(data + i, size - i);
        if (length == 0) {
            out += QByteArray("\\\\x") + hex[data[i] >> 4] + hex[data[i] & 0xf];
            ++i;
        } else if (length == 1) {
            if (data[i] == '\\' && marking)
                out += "\\\\";
            appendEscaped(out, data[i]);
            ++i;
        } else {
            out.append(bytes.constData() + i, length);
            i += length;
        }
    }
    return out + '"';
}

QByteArray number(qint64 value)
{
    return QByteArray::number(value);
}

QByteArray count(quint64 value)
{
    return QByteArray::number(value);
}

// A value that is a whole number still reads as a decimal one.
QByteArray electronVolts(bool numeric, double ev)
{
    if (!numeric || !qIsFinite(ev))
        return "null";
    QByteArray text = QByteArray::number(ev, 'g', QLocale::FloatingPointShortest);
    if (!text.contains('.') && !text.contains('e'))
        text += ".0";
    return text;
}

QByteArray boolean(bool value)
{
    return value ? "true" : "false";
}

QByteArray path(const QDir &target, const QString &name)
{
    return JsonLines::name(QFile::encodeName(QDir::cleanPath(target.absoluteFilePath(name))));
}

// The settings as the run resolved them: absolute directories, the extension as given; null
// before there was a target.
QByteArray settingsObject(const TidyUp::Settings &settings)
{
    if (settings.target.isEmpty())
        return "null";
    const QDir target(settings.target);
    return "{\"target\":" + path(target, QStringLiteral(".")) + ",\"origs\":"
        + path(target, settings.origs) + ",\"energy\":" + path(target, settings.energy)
        + ",\"seqno\":" + path(target, settings.seqNo)
        + ",\"ext\":" + JsonLines::text(settings.fileExt) + ",\"links\":"
        + JsonLines::text(settings.relative() ? QLatin1String(TidyUp::relativeLinks)
                                              : QLatin1String(TidyUp::absoluteLinks))
        + '}';
}

} // namespace

QByteArray JsonLines::name(const QByteArray &bytes)
{
    return quoted(bytes, true);
}

QByteArray JsonLines::text(const QString &text)
{
    return quoted(text.toUtf8(), false);
}

QByteArray JsonLines::failure(const TidyUp::Failure &failure)
{
    const QByteArray error = failure.reason.errorName();
    return QByteArray("{\"type\":\"failure\",\"what\":\"") + TidyUp::Failure::name(failure.what)
        + "\",\"entry\":" + name(failure.entry) + ",\"reason\":" + text(failure.reason.translated())
        + ",\"errno\":" + (error.isEmpty() ? QByteArray("null") : '"' + error + '"') + '}';
}

QByteArray JsonLines::outcome(
    const TidyUp::Outcome &outcome, const TidyUp::Settings &settings, int status)
{
    const QByteArray follow = !outcome.follow
        ? QByteArray()
        : ",\"follow\":true,\"settling\":" + number(outcome.settling);
    return counts(outcome, false, outcome.restored, outcome.finished, settings, status, follow);
}

QByteArray JsonLines::outcome(
    const TidyUp::UndoOutcome &outcome, const TidyUp::Settings &settings, int status)
{
    return counts(outcome, true, 0, 0, settings, status);
}

QByteArray JsonLines::counts(const TidyUp::Counts &outcome, bool undone, int restored, int finished,
    const TidyUp::Settings &settings, int status, const QByteArray &more)
{
    return "{\"type\":\"outcome\",\"status\":" + number(status) + ",\"undone\":" + boolean(undone)
        + ",\"stopped\":" + boolean(outcome.stopped) + ",\"listed\":" + number(outcome.listed)
        + ",\"moved\":" + number(outcome.moved) + ",\"not_moved\":" + number(outcome.notMoved)
        + ",\"linked\":" + number(outcome.linked) + ",\"links_not_made\":"
        + number(outcome.linksNotMade) + ",\"restored\":" + number(restored) + ",\"finished\":"
        + number(finished) + more + ",\"failures_not_listed\":" + number(outcome.moreLines)
        + ",\"elapsed_ms\":" + number(outcome.elapsedMs) + ",\"problem\":"
        + (outcome.dirProblem.isEmpty() ? QByteArray("null") : text(outcome.dirProblem))
        + ",\"settings\":" + settingsObject(settings) + '}';
}

QByteArray JsonLines::linkProblem(const TidyUp::LinkProblem &problem)
{
    return QByteArray("{\"type\":\"link\",\"kind\":\"") + TidyUp::LinkProblem::name(problem.kind)
        + "\",\"entry\":" + name(problem.entry) + ",\"expected\":"
        + (problem.expected.isEmpty() ? QByteArray("null") : name(problem.expected))
        + ",\"text\":" + (problem.isLink ? name(problem.text) : QByteArray("null"))
        + (problem.reason.text().isEmpty() ? QByteArray()
                                           : ",\"reason\":" + text(problem.reason.translated()))
        + '}';
}

QByteArray JsonLines::outcome(
    const TidyUp::CheckOutcome &outcome, const TidyUp::Settings &settings, int status)
{
    const QByteArray repair = !outcome.repair ? QByteArray()
                                              : ",\"links\":" + text(outcome.links)
            + ",\"made\":" + number(outcome.made) + ",\"rewritten\":" + number(outcome.rewritten)
            + ",\"not_repaired\":" + number(outcome.notRepaired)
            + ",\"halted\":" + boolean(outcome.halted) + ",\"record\":"
            + (outcome.record.isEmpty() ? QByteArray("null")
                                        : name(QFile::encodeName(outcome.record)));
    return "{\"type\":\"outcome\",\"status\":" + number(status) + ",\"check\":"
        + boolean(!outcome.repair) + ",\"repair\":" + boolean(outcome.repair) + repair
        + ",\"stopped\":" + boolean(outcome.stopped) + ",\"files\":" + number(outcome.files)
        + ",\"in_place\":" + number(outcome.inPlace) + ",\"missing\":" + number(outcome.missing)
        + ",\"elsewhere\":" + number(outcome.elsewhere) + ",\"not_a_link\":"
        + number(outcome.notALink) + ",\"stray\":" + number(outcome.stray) + ",\"elsewhere_into\":"
        + (outcome.elsewhereDir.isEmpty() ? QByteArray("null")
                                          : name(QFile::encodeName(outcome.elsewhereDir)))
        + ",\"problems_not_listed\":" + number(outcome.moreProblems)
        + ",\"elapsed_ms\":" + number(outcome.elapsedMs)
        + ",\"problem\":" + (outcome.problem.isEmpty() ? QByteArray("null") : text(outcome.problem))
        + ",\"settings\":" + settingsObject(settings) + '}';
}

QByteArray JsonLines::preview(
    const TidyUp::Preview &preview, const TidyUp::Settings &settings, int status)
{
    QByteArray created = "[";
    for (const QString &dir : preview.toCreate)
        created += (created.size() > 1 ? "," : "") + name(QFile::encodeName(dir));
    return "{\"type\":\"outcome\",\"status\":" + number(status) + ",\"dry_run\":true"
        + ",\"listed\":" + number(preview.matching) + ",\"would_link\":" + number(preview.linkable)
        + ",\"would_stay\":" + number(preview.taken) + ",\"energies\":" + number(preview.energies)
        + ",\"projections\":" + number(preview.seqNos) + ",\"would_create\":" + created + ']'
        + ",\"problem\":" + (preview.problem.isEmpty() ? QByteArray("null") : text(preview.problem))
        + ",\"settings\":" + settingsObject(settings) + '}';
}

QByteArray JsonLines::round(const TidyUp::Round &round)
{
    return "{\"type\":\"round\",\"moved\":" + number(round.moved)
        + ",\"linked\":" + number(round.linked) + ",\"settling\":" + number(round.settling)
        + ",\"elapsed_ms\":" + number(round.elapsedMs) + '}';
}

QByteArray JsonLines::energy(const TidyUp::SurveyRowChange &row)
{
    return "{\"type\":\"energy\",\"prefix\":" + name(row.prefix) + ",\"energy\":" + name(row.energy)
        + ",\"ev\":" + electronVolts(row.numeric, row.ev) + ",\"files\":" + count(row.tidied)
        + ",\"projections\":" + count(row.expected) + '}';
}

QByteArray JsonLines::series(const TidyUp::SurveySeries &series)
{
    const auto fields = [](const std::vector<QByteArray> &numbers) -> QByteArray {
        QByteArray list = "[";
        for (const QByteArray &number : numbers)
            list += (list.size() > 1 ? "," : "") + name(number);
        return list + ']';
    };
    QByteArray rows;
    for (const TidyUp::SurveyRow &row : series.rows) {
        QByteArray missing = "[";
        for (const auto &range : series.missingRanges(row)) {
            missing += (missing.size() > 1 ? ",[" : "[") + name(range.first) + ','
                + name(range.second) + ']';
        }
        rows += (rows.isEmpty() ? "{" : ",{") + QByteArray("\"energy\":") + name(row.energy)
            + ",\"ev\":" + electronVolts(row.numeric, row.ev) + ",\"files\":" + count(row.files)
            + ",\"missing\":" + missing + "],\"duplicates\":" + fields(series.duplicated(row))
            + '}';
    }
    const bool any = !series.projections.empty();
    return "{\"type\":\"series\",\"prefix\":" + name(series.prefix)
        + ",\"energies\":" + count(series.rows.size())
        + ",\"projections\":" + count(series.expected) + ",\"first_projection\":"
        + (any ? name(series.field(series.projections.front())) : QByteArray("null"))
        + ",\"last_projection\":"
        + (any ? name(series.field(series.projections.back())) : QByteArray("null"))
        + ",\"files\":" + count(series.files) + ",\"tidied\":" + count(series.tidied)
        + ",\"waiting\":" + count(series.waiting) + ",\"missing\":" + count(series.missing)
        + ",\"duplicates\":" + count(series.duplicates) + ",\"rows\":[" + rows + "]}";
}

QByteArray JsonLines::survey(
    const TidyUp::Preview &preview, const TidyUp::Settings &settings, int status)
{
    const TidyUp::Survey &survey = preview.survey;
    const QString problem
        = !preview.targetIsDir ? SurveyReport::text(preview, settings) : preview.problem;
    return "{\"type\":\"outcome\",\"status\":" + number(status)
        + ",\"survey\":true,\"stopped\":" + boolean(preview.stopped)
        + ",\"series\":" + count(survey.series.size()) + ",\"files\":" + count(survey.files)
        + ",\"missing\":" + count(survey.missing) + ",\"duplicates\":" + count(survey.duplicates)
        + ",\"without_fields\":" + count(survey.withoutFields)
        + ",\"complete\":" + boolean(survey.complete() && problem.isEmpty())
        + ",\"elapsed_ms\":" + number(preview.elapsedMs)
        + ",\"problem\":" + (problem.isEmpty() ? QByteArray("null") : text(problem))
        + ",\"settings\":" + settingsObject(settings) + '}';
}
