// SPDX-License-Identifier: MIT
#include "tidyup/record/recordreader.h"
#include "tidyup/names/namerule.h"
#include "tidyup/tidyup.h"

#include <QDir>
#include <QFile>
#include <algorithm>
#include <iterator>

namespace
{

QByteArray unescape(const QByteArray &field)
{
    // Nearly every field holds none: it is then shared, not copied.
    if (!field.contains('\\'))
        return field;
    QByteArray out;
    out.reserve(field.size());
    for (int i = 0; i < field.size(); ++i) {
        if (field[i] != '\\' || i + 1 == field.size()) {
            out += field[i];
            continue;
        }
        const char next = field[++i];
        out += next == 't' ? '\t' : next == 'n' ? '\n' : next == 'r' ? '\r' : next;
    }
    return out;
}

bool plainName(const QByteArray &name)
{
    return !name.isEmpty() && name != "." && name != ".." && !name.contains('/')
        && !name.contains('\0');
}

int treeIndex(const QByteArray &name)
{
    return name == "energy" ? 0 : name == "seqno" ? 1 : -1;
}

const char *untrustedFields()
{
    return QT_TRANSLATE_NOOP("Reason", "the line's fields are not the ones a run writes");
}

} // namespace

RecordReader::RecordReader(RecordContents &contents, const RecordContents::PlanFound &plan,
    const RecordContents::Refused &refused)
    : contents(contents)
    , header(contents.header)
    , plan(plan)
    , refused(refused)
{
    contents = {};
}

void RecordReader::line(const QByteArray &text, bool complete)
{
    QList<QByteArray> fields = text.split('\t');
    for (QByteArray &field : fields)
        field = unescape(field);
    if (++number == 1) {
        valid = fields[0] == RecordContents::magic;
        return;
    }
    const char *why = take(fields, complete);
    if (why && refused)
        refused(number, why);
}

bool RecordReader::finish()
{
    header.moved = skipped ? movedAtEnd
                           : int(std::count(contents.results.cbegin(), contents.results.cend(),
                               quint8(RecordContents::Moved)));
    header.changed = header.ended ? changes > 0 : header.planned > 0 || !contents.folders.isEmpty();
    return valid;
}

const char *RecordReader::take(const QList<QByteArray> &f, bool complete)
{
    const QByteArray &key = f[0];
    if (inHeader && takeHeader(key, f.value(1)))
        return nullptr;
    inHeader = false;
    if (!complete)
        return QT_TRANSLATE_NOOP("Reason", "the line was cut short");
    if (key == "plan")
        return takePlan(f);
    if (key == "moved" || key == "left" || key == "nolink")
        return takeResult(f);
    if (key == "folder") {
        const int tree = treeIndex(f.value(1));
        if (f.size() != 3 || tree < 0 || !plainName(f[2]))
            return untrustedFields();
        contents.folders.append({ tree, f[2] });
        return nullptr;
    }
    if (key == "dir") {
        if (f.size() != 2 || !outputOrParent(QFile::decodeName(f[1])))
            return QT_TRANSLATE_NOOP(
                "Reason", "the directory is not an output directory of the run or a parent of one");
        contents.dirs << f[1];
        return nullptr;
    }
    if (key == "end") {
        header.ended = true;
        header.endedAt = QDateTime::fromString(QString::fromUtf8(f.value(1)), Qt::ISODateWithMs);
        for (const QByteArray &count : f.mid(2)) {
            const QByteArray name = count.left(count.indexOf(' '));
            const int value = std::max(0, count.mid(name.size() + 1).toInt());
            if (name == "moved" || name == "linked" || name == "restored" || name == "finished"
                || name == "made")
                changes += value > 0;
            if (name == "moved")
                movedAtEnd = value;
        }
        return nullptr;
    }
    if (key == "undone" || key == "completed") {
        (key == "undone" ? header.undone : header.completed) = true;
        return nullptr;
    }
    return QT_TRANSLATE_NOOP("Reason", "the line is not one a run writes");
}

const char *RecordReader::takeResult(const QList<QByteArray> &f)
{
    const QByteArray &key = f[0];
    bool isNumber = false;
    const int index = f.value(1).toInt(&isNumber);
    const int tree = treeIndex(f.value(2));
    if (f.size() != (key == "moved" ? 2 : 3) || (key == "nolink" && tree < 0))
        return untrustedFields();
    // Only a file already planned: the table of results is as long as the plan, never longer.
    if (!isNumber || index < 1 || index > header.planned)
        return QT_TRANSLATE_NOOP("Reason", "the line's number is not one of the run's");
    quint8 &result = contents.results[size_t(index)];
    if (key == "nolink")
        result |= tree == 0 ? RecordContents::NoEnergyLink : RecordContents::NoSeqNoLink;
    else
        result = quint8((result & ~RecordContents::ResultMask)
            | (key == "moved" ? RecordContents::Moved : RecordContents::Left));
    return nullptr;
}

void RecordReader::skipBody()
{
    skipped = true;
    inHeader = false;
}

bool RecordReader::bodyLine(const QByteArray &text)
{
    static const char *const body[]
        = { "dir", "plan", "moved", "left", "nolink", "folder", "end", "undone", "completed" };
    const int tab = text.indexOf('\t');
    const QByteArray key = tab < 0 ? text : text.left(tab);
    return std::any_of(
        std::begin(body), std::end(body), [&key](const char *name) { return key == name; });
}

// Keys that this reader does not know are passed over: a later version may add some.
bool RecordReader::takeHeader(const QByteArray &key, const QByteArray &field)
{
    if (bodyLine(key))
        return false;
    const QString value = QString::fromUtf8(field);
    const QString dir = QFile::decodeName(field);
    if (key == "version")
        header.version = value;
    else if (key == "user")
        header.user = value;
    else if (key == "host")
        header.host = value;
    else if (key == "pid")
        header.pid = value.toLongLong();
    else if (key == "started")
        header.started = QDateTime::fromString(value, Qt::ISODateWithMs);
    else if (key == "target")
        header.target = dir;
    else if (key == "origs")
        header.origs = dir;
    else if (key == "energy")
        header.energy = dir;
    else if (key == "seqno")
        header.seqNo = dir;
    else if (key == "ext")
        header.fileExt = value;
    else if (key == "links")
        header.links = value;
    else if (key == "follow")
        header.follow = value == QLatin1String("1");
    return true;
}

// A run numbers its files 1, 2, 3, …; a file whose names are not the ones a run gives still
// takes its number, but is left alone.
const char *RecordReader::takePlan(const QList<QByteArray> &f)
{
    if (f.size() != 4)
        return QT_TRANSLATE_NOOP("Reason", "the line does not have four fields");
    bool isNumber = false;
    if (f[1].toInt(&isNumber) != header.planned + 1 || !isNumber)
        return QT_TRANSLATE_NOOP("Reason", "the files are not numbered in order");
    contents.results.push_back(RecordContents::NoResult);
    const int index = ++header.planned;
    // The names are checked only for a reader that acts on them.
    if (!plan)
        return nullptr;
    if (!plainName(f[2]) || !plainName(f[3]))
        return QT_TRANSLATE_NOOP("Reason", "a name is not a plain file name");
    QByteArray energy;
    QByteArray seqNo;
    if (TidyUp::rewriteFileName(f[2], energy, seqNo) != f[3])
        return QT_TRANSLATE_NOOP("Reason", "the new name is not the one a run gives the old");
    plan({ index, f[2], f[3], energy, seqNo });
    return nullptr;
}

// Undo removes these where empty: nothing else may be named.
bool RecordReader::outputOrParent(const QString &dir) const
{
    if (!dir.startsWith(QLatin1Char('/')) || QDir::cleanPath(dir) != dir)
        return false;
    const QString prefix = dir.endsWith(QLatin1Char('/')) ? dir : dir + QLatin1Char('/');
    for (const QString &output : { header.origs, header.energy, header.seqNo }) {
        if (output == dir || output.startsWith(prefix))
            return true;
    }
    return false;
}
