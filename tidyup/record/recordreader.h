// SPDX-License-Identifier: MIT
#pragma once

#include "tidyup/record/recordcontents.h"

#include <QByteArray>
#include <QList>
#include <QString>

// Reads a record line by line into RecordContents, keeping only what it can trust; see
// RunRecord::parse. Touches no file.
class RecordReader
{
public:
    // Empties contents first.
    RecordReader(RecordContents &contents, const RecordContents::PlanFound &plan,
        const RecordContents::Refused &refused);

    // One line, without its line break; complete is false for a last line cut short.
    void line(const QByteArray &text, bool complete);
    // After the last line: false when the lines are not a record.
    bool finish();
    // The lines up to the end line are passed over: the moves are counted as the end line
    // says.
    void skipBody();
    // Whether the line is one of the body's, after the header.
    static bool bodyLine(const QByteArray &text);

private:
    // Why fields cannot be trusted, or nothing once they are taken in.
    const char *take(const QList<QByteArray> &fields, bool complete);
    const char *takeResult(const QList<QByteArray> &fields);
    bool takeHeader(const QByteArray &key, const QByteArray &field);
    const char *takePlan(const QList<QByteArray> &fields);
    bool outputOrParent(const QString &dir) const;

    RecordContents &contents;
    RecordContents::Header &header;
    const RecordContents::PlanFound &plan;
    const RecordContents::Refused &refused;
    int number = 0;
    bool valid = false;
    bool inHeader = true;
    bool skipped = false;
    int changes = 0;
    int movedAtEnd = 0;
};
