// SPDX-License-Identifier: MIT
#include "params/paramtable.h"

#include <QDebug>
#include <QFile>
#include <QFileInfo>
#include <QTextCodec>
#include <QTextStream>
#include <algorithm>

ParamTable gConfig;

ParamTable::ParamTable(int argc, const char *const *argv)
{
    for (int i = 0; i < argc; ++i) {
        const QString arg = QString::fromUtf8(argv[i]);
        if (!arg.startsWith(QLatin1Char('-')))
            continue;
        QString value;
        if (i < argc - 1) {
            const QString next = QString::fromUtf8(argv[i + 1]);
            if (!next.startsWith(QLatin1Char('-'))) {
                value = next;
                ++i;
            }
        }
        addParam(arg, value, value);
    }
}

void ParamTable::addParam(const QString &key, const QString &value, const QString &rest)
{
    const QString upperKey = key.toUpper();
    if (!keyIndex.contains(key)) {
        keyIndex.insert(key);
        keys << key;
        values << value;
        rests << rest;
    }
    if (!upperKeyIndex.contains(upperKey)) {
        upperKeyIndex.insert(upperKey);
        upperKeys << upperKey;
        upperValues << value;
        upperRests << rest;
    }
    allKeys << key;
    allUpperKeys << upperKey;
    allValues << value;
    allRests << rest;
}

namespace
{

// Configuration files also come from Japanese Windows machines, in Shift-JIS. A byte-order mark
// decides first. Japanese text in Shift-JIS is practically never valid UTF-8, and plain ASCII
// reads the same either way; so valid UTF-8 with bytes above 127 is taken for what a Linux editor
// wrote. The codec decodes this text only, never file names, which stay in the system's encoding.
QString decode(const QByteArray &bytes)
{
    const bool ascii = std::all_of(bytes.cbegin(), bytes.cend(), [](char c) { return c >= 0; });
    QTextCodec::ConverterState state;
    QTextCodec::codecForName("UTF-8")->toUnicode(bytes.constData(), int(bytes.size()), &state);
    const bool utf8 = !ascii && state.invalidChars == 0 && state.remainingChars == 0;
    return QTextCodec::codecForUtfText(
        bytes, QTextCodec::codecForName(utf8 ? "UTF-8" : "Shift-JIS"))
        ->toUnicode(bytes);
}

} // namespace

bool ParamTable::readConfigFile(const QString &fileName)
{
    // A configuration holds a handful of lines. Anything but a regular file of modest size (a
    // FIFO, a device, a log given by mistake) would hang or swamp start-up: it is treated as a
    // file that cannot be opened. An empty name would only add the toolkit's own warning.
    constexpr qint64 maxSize = 1 << 20;
    QFile file(fileName);
    QByteArray bytes;
    if (!fileName.isEmpty() && QFileInfo(fileName).isFile()
        && file.open(QIODevice::ReadOnly | QIODevice::Text))
        bytes = file.read(maxSize + 1);
    if (!file.isOpen() || bytes.size() > maxSize) {
        qDebug() << "Can't open config file : " << fileName;
        return false;
    }
    readConfig(bytes);
    return true;
}

void ParamTable::readConfig(const QByteArray &bytes)
{
    QString contents = decode(bytes);
    QTextStream in(&contents, QIODevice::ReadOnly);
    QString line;
    while (in.readLineInto(&line)) {
        const QString text = stripComment(line);
        if (isBlankLine(text))
            continue;
        QString key;
        QString value;
        const QString rest = takeToken(text, key);
        takeToken(rest, value);
        addParam(key, value, rest);
    }
}

bool ParamTable::hasParam(const QString &key) const
{
    return keys.contains(key);
}

QString ParamTable::paramValue(const QString &key, const QString &defaultValue) const
{
    const int i = keys.indexOf(key);
    return i < 0 ? defaultValue : values.at(i);
}

QString ParamTable::paramValueNoCase(const QString &key, const QString &defaultValue) const
{
    const int i = upperKeys.indexOf(key.toUpper());
    return i < 0 ? defaultValue : upperValues.at(i);
}

QString stripComment(const QString &text)
{
    const int hash = text.indexOf(QLatin1Char('#'));
    return hash < 0 ? text : text.left(hash);
}

bool isBlankLine(const QString &text)
{
    return stripComment(text).simplified().isEmpty();
}

QString takeToken(const QString &text, QString &token)
{
    const auto isSpace = [](QChar c) { return c.isSpace(); };
    const auto begin = std::find_if_not(text.cbegin(), text.cend(), isSpace);
    if (begin == text.cend()) {
        token.clear();
        return QString();
    }
    const int start = int(begin - text.cbegin());
    if (*begin == QLatin1Char('"')) {
        const int close = text.indexOf(QLatin1Char('"'), start + 1);
        if (close < 0) {
            token = text.mid(start + 1);
            return QString();
        }
        token = text.mid(start + 1, close - start - 1);
        return text.mid(close + 1);
    }
    const int end = int(std::find_if(begin, text.cend(), isSpace) - text.cbegin());
    token = text.mid(start, end - start);
    return text.mid(end);
}
