// SPDX-License-Identifier: MIT
#pragma once

#include "tidyup/tidyup.h"

#include <QCoreApplication>
#include <QString>
#include <QVector>

// Everything that a person or a script is told of a run, an undo or a preview: the sentences,
// what failed grouped by reason in our words, and the exit status. The window, Details and the
// command line only show what it gives; the JSON objects are JsonLines'.
class Report
{
    // The texts keep the context of the status bar that first said them.
    Q_DECLARE_TR_FUNCTIONS(RunStatus)

public:
    enum Status { Done = 0, SomeLeft = 1, BadUsage = 2, Stopped = 3 };

    // The sentences of a run's outcome and of what a run would do.
    static QString outcomeText(const TidyUp::Outcome &outcome, const TidyUp::Settings &settings);
    static QString outcomeText(
        const TidyUp::UndoOutcome &outcome, const TidyUp::Settings &settings);
    static QString previewText(const TidyUp::Preview &preview, const TidyUp::Settings &settings);
    // Whether Undo can take on the run, and the sentence that names it; empty when it cannot.
    static bool undoable(const TidyUp::RecordedRun &run);
    static QString lastRunText(const TidyUp::RecordedRun &run);
    static QString progressText(int done, int listed);
    // While a follow goes: since when, and what it has tidied and has still settling.
    static QString followingText(
        const QString &target, const QDateTime &since, int tidied, int settling);
    // The largest series' grid and what the whole scan lacks, as the preview names them:
    // "5 energies × 4 projections, complete"; and a series' grid.
    static QString surveyShape(const TidyUp::Survey &survey);
    static QString surveyGrid(const TidyUp::SurveySeries &series);
    // A count in the words of a survey's text ("%Ln energy(ies)", marked in the context
    // SurveyReport), for counts past what plural forms take too.
    static QString counted(const char *text, quint64 count);
    // A target that cannot be worked on.
    static QString targetProblem(const QString &target, bool exists);

    // What failed of what (a TidyUp::Failure::What), by reason, the largest groups first.
    static QString reasons(const TidyUp::Counts &outcome, int what);
    // Why something failed, in our words where a user can act on it.
    static QString reasonWords(const Reason &reason, int what);

    // What failed, as Details lists it: a group for each reason, the largest first, with the
    // entries kept (by their path, the system's reason translated) and how many more were counted.
    struct Entry {
        QString what;
        QString path;
        QString reason;
    };
    struct Group {
        QString heading;
        QVector<Entry> entries;
        // "… and N more, not listed", or empty.
        QString more;
    };
    static QVector<Group> failureGroups(const TidyUp::Outcome &outcome);
    static QVector<Group> failureGroups(const TidyUp::UndoOutcome &outcome);
    // The sentence, then every line the run wrote, as it wrote them: what Copy and Save give.
    static QString detailsText(const TidyUp::Counts &outcome, const QString &sentence);

    // The exit status of a run or an undo (signalled: stopped by a signal), and of a preview.
    static Status status(const TidyUp::Counts &outcome, bool signalled);
    // A follow ends on a signal as its normal way out: its status is that of what it did.
    static Status status(const TidyUp::Outcome &outcome, bool signalled);
    static Status status(const TidyUp::Preview &preview);

private:
    // Why nothing was done, or that nothing matched; else empty.
    static QString nothingDone(const TidyUp::Counts &outcome, const TidyUp::Settings &settings);
    static QString stoppedText(const TidyUp::Counts &outcome, const char *text);
    static QVector<Group> failureGroups(const TidyUp::Counts &outcome, bool undone);
};
