// SPDX-License-Identifier: MIT
#pragma once

#include "tidyup/tidyup.h"

#include <QElapsedTimer>
#include <QObject>

class Arguments;
class TidyUpSession;

// The run without a window, for scripts and acquisition systems: "--run" does what Exec does,
// "--dry-run" says what it would do, "--undo" undoes the newest recorded run, "--check" checks the
// link trees, "--repair" or "--relink" mends them and "--survey" tells the scan's shape. It drives
// the same session as the window. SIGINT, SIGTERM and SIGHUP are Stop.
class CommandLine : public QObject
{
    Q_OBJECT

public:
    // Whether the arguments ask for a run without a window.
    static bool wanted(int argc, const char *const *argv);

    // Whether the window would have no display to go on: none is named, and no platform chosen.
    static bool displayMissing(int argc, const char *const *argv);
    static QString noDisplayText();

    // Runs as the arguments say; returns the exit status. Needs a QCoreApplication.
    int exec(const QStringList &arguments);

private slots:
    void showProgress(int done, int listed);
    void runFinished(const TidyUp::Outcome &outcome, const TidyUp::Settings &settings);
    void roundDone(const TidyUp::Round &round);
    void undoFinished(const TidyUp::UndoOutcome &outcome, const TidyUp::Settings &settings);
    void previewed(const TidyUp::Preview &preview, const TidyUp::Settings &settings);
    void checked(const TidyUp::CheckOutcome &outcome, const TidyUp::Settings &settings);
    void surveyed(const TidyUp::Preview &preview, const TidyUp::Settings &settings);
    void signalled();

private:
    bool settingsFrom(const Arguments &arguments, TidyUp::Settings &settings);
    // Says that settings cannot be used, as text or as the last object of the output.
    // Prints the outcome of a run or an undo, and ends.
    template <typename Outcome>
    void finish(const Outcome &outcome, const TidyUp::Settings &settings);
    void refuse(const QString &problem, const TidyUp::Settings &settings,
        const TidyUp::Failure &failure = {});

    TidyUpSession *session = nullptr;
    int status = 0;
    bool stopSignalled = false;
    bool json = false;
    // A refusal then ends as a survey does.
    bool surveying = false;
    bool progressShown = false;
    // Failures of a follow's rounds, written as they came: the outcome's first ones.
    int failuresWritten = 0;
    QElapsedTimer sinceProgress;
};
