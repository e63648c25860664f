// SPDX-License-Identifier: MIT
#pragma once

#include "tidyup/tidyup.h"

#include <QByteArray>

// The objects that "--json" writes, one a line, for a script to read. Keys are English; the
// reasons are in the user's language. A name goes out exactly: a byte of it that is not part of
// valid UTF-8 is written as the text \xHH, and a backslash as two.
class JsonLines
{
public:
    static QByteArray failure(const TidyUp::Failure &failure);
    // The last line of a run, an undo or a failed check. status is the program's exit status.
    static QByteArray outcome(
        const TidyUp::Outcome &outcome, const TidyUp::Settings &settings, int status);
    static QByteArray outcome(
        const TidyUp::UndoOutcome &outcome, const TidyUp::Settings &settings, int status);
    // A link of the trees that is not in place or not repaired, and the last line of a check or
    // a repair.
    static QByteArray linkProblem(const TidyUp::LinkProblem &problem);
    static QByteArray outcome(
        const TidyUp::CheckOutcome &outcome, const TidyUp::Settings &settings, int status);
    // The last line of a dry run.
    static QByteArray preview(
        const TidyUp::Preview &preview, const TidyUp::Settings &settings, int status);

    // What a round of a follow did, and a row of the survey that it changed.
    static QByteArray round(const TidyUp::Round &round);
    static QByteArray energy(const TidyUp::SurveyRowChange &row);

    // A series of the scan's survey, with its rows, and the last line of a survey.
    static QByteArray series(const TidyUp::SurveySeries &series);
    static QByteArray survey(
        const TidyUp::Preview &preview, const TidyUp::Settings &settings, int status);

    // A file name or path, in the file system's encoding, as a JSON string.
    static QByteArray name(const QByteArray &bytes);
    static QByteArray text(const QString &text);

private:
    // more: keys of a kind of outcome of its own, after the counts.
    static QByteArray counts(const TidyUp::Counts &outcome, bool undone, int restored, int finished,
        const TidyUp::Settings &settings, int status, const QByteArray &more = {});
};
