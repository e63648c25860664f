// SPDX-License-Identifier: MIT
#pragma once

#include <QSet>
#include <QString>
#include <QStringList>

// Named parameters as (key, value, rest) triples. The first occurrence of a key wins; every
// triple is kept in the all* lists as well. The table only ever grows.
class ParamTable
{
public:
    ParamTable() = default;
    // Every argument that begins with "-" is an option; it takes the next argument as its value
    // unless that one begins with "-" too.
    ParamTable(int argc, const char *const *argv);

    void addParam(const QString &key, const QString &value, const QString &rest);
    // Adds one triple per non-blank line: the first token is the key, the second the value,
    // and the rest is everything after the key token. False when the file cannot be read.
    bool readConfigFile(const QString &fileName);
    // The same from the file's bytes, in whatever encoding they come.
    void readConfig(const QByteArray &bytes);

    bool hasParam(const QString &key) const;
    QString paramValue(const QString &key, const QString &defaultValue) const;
    QString paramValueNoCase(const QString &key, const QString &defaultValue) const;

private:
    QStringList keys;
    QStringList values;
    QStringList rests;
    QStringList upperKeys;
    QStringList upperValues;
    QStringList upperRests;
    QStringList allKeys;
    QStringList allUpperKeys;
    QStringList allValues;
    QStringList allRests;
    // Only for adding: without them a file of many keys takes quadratic time to read.
    QSet<QString> keyIndex;
    QSet<QString> upperKeyIndex;
};

// Filled from the configuration file when the main window is built.
extern ParamTable gConfig;

QString stripComment(const QString &text);
bool isBlankLine(const QString &text);
// Splits the first token off text, white-space separated or enclosed in double quotes, and
// returns what follows it.
QString takeToken(const QString &text, QString &token);
