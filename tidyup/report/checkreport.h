// SPDX-License-Identifier: MIT
#pragma once

#include "tidyup/report/report.h"
#include "tidyup/tidyup.h"

#include <QCoreApplication>
#include <QString>
#include <QVector>

// What a person is told of a check or a repair of the link trees: its sentence, Details' groups by
// kind, and the exit status. The JSON objects are JsonLines'.
class CheckReport
{
    Q_DECLARE_TR_FUNCTIONS(CheckReport)

public:
    static QString outcomeText(
        const TidyUp::CheckOutcome &outcome, const TidyUp::Settings &settings);
    // A group for each kind of problem, in the order missing, elsewhere, not rewritten, not a
    // link, stray; of a repair, what it left.
    static QVector<Report::Group> groups(const TidyUp::CheckOutcome &outcome);
    // The sentence, then a line for each problem kept: what Copy and Save give.
    static QString detailsText(const TidyUp::CheckOutcome &outcome, const QString &sentence);
    // 0 when no link is missing or elsewhere (after a repair: none left so), 1 when some is, 2
    // when the trees could not be checked, 3 when stopped by a signal.
    static Report::Status status(const TidyUp::CheckOutcome &outcome, bool signalled);

private:
    static QString repairText(
        const TidyUp::CheckOutcome &outcome, const TidyUp::Settings &settings);
};
