// SPDX-License-Identifier: MIT
#include "app/commandline.h"
#include "app/arguments.h"
#include "params/paramtable.h"
#include "tidyup/report/checkreport.h"
#include "tidyup/report/jsonlines.h"
#include "tidyup/report/report.h"
#include "tidyup/report/surveyreport.h"
#include "tidyup/tidyupsession.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QSocketNotifier>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace
{

int signalPipe[2] = { -1, -1 };

// A signal only writes a byte: the run is stopped from the event loop.
void onStopSignal(int)
{
    const char byte = 1;
    const ssize_t written = ::write(signalPipe[1], &byte, 1);
    Q_UNUSED(written)
}

void print(FILE *stream, const QByteArray &bytes)
{
    std::fputs(bytes.constData(), stream);
    std::fflush(stream);
}

void print(FILE *stream, const QString &text)
{
    print(stream, text.toLocal8Bit());
}

} // namespace

bool CommandLine::wanted(int argc, const char *const *argv)
{
    for (int i = 1; i < argc; ++i) {
        for (const char *option :
            { "--run", "--dry-run", "--undo", "--check", "--repair", "--survey", "--follow",
                "--settle", "--poll", "--until-idle", "--help", "--help-all", "-h" }) {
            if (std::strcmp(argv[i], option) == 0)
                return true;
        }
        if (std::strncmp(argv[i], "--relink", 8) == 0)
            return true;
    }
    return false;
}

bool CommandLine::displayMissing(int argc, const char *const *argv)
{
    for (const char *name : { "DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM" }) {
        if (!qEnvironmentVariableIsEmpty(name))
            return false;
    }
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "-platform") == 0 || std::strcmp(argv[i], "--platform") == 0)
            return false;
    }
    return true;
}

QString CommandLine::noDisplayText()
{
    return tr("No display to show the window on. To tidy up from a terminal, use --run; see "
              "--help.");
}

bool CommandLine::settingsFrom(const Arguments &arguments, TidyUp::Settings &settings)
{
    bool named = false;
    const QString file = arguments.configFile(&named);
    if (!gConfig.readConfigFile(file) && named) {
        refuse(tr("Can't read the settings from %1.").arg(file), settings);
        return false;
    }
    QString problem;
    if (!arguments.settings(gConfig, settings, problem)) {
        refuse(problem, settings);
        return false;
    }
    // A typo in a script must not make directories.
    if (!QFileInfo(settings.target).isDir()) {
        const bool exists = QFileInfo::exists(settings.target);
        refuse(Report::targetProblem(settings.target, exists), settings,
            { TidyUp::Failure::Dirs, QFile::encodeName(settings.target),
                Reason(exists ? ENOTDIR : ENOENT) });
        return false;
    }
    return true;
}

void CommandLine::refuse(
    const QString &problem, const TidyUp::Settings &settings, const TidyUp::Failure &failure)
{
    print(stderr, problem + QLatin1Char('\n'));
    if (!json)
        return;
    if (!failure.entry.isEmpty())
        print(stdout, JsonLines::failure(failure) + '\n');
    if (surveying) {
        TidyUp::Preview preview;
        preview.targetIsDir = true;
        preview.problem = problem;
        print(stdout, JsonLines::survey(preview, settings, Report::BadUsage) + '\n');
        return;
    }
    TidyUp::Outcome outcome;
    outcome.dirProblem = problem;
    print(stdout, JsonLines::outcome(outcome, settings, Report::BadUsage) + '\n');
}

int CommandLine::exec(const QStringList &argumentList)
{
    const Arguments arguments = Arguments::parse(argumentList);
    json = arguments.json;
    surveying = argumentList.contains(QStringLiteral("--survey"));
    if (!arguments.problem.isEmpty()) {
        refuse(arguments.problem, {});
        print(stderr, arguments.usage);
        return Report::BadUsage;
    }
    if (arguments.action == Arguments::Help) {
        print(stdout, arguments.usage);
        return Report::Done;
    }
    TidyUp::Settings settings;
    if (!settingsFrom(arguments, settings))
        return Report::BadUsage;

    // Output to a closed pipe ends the output, not the run.
    std::signal(SIGPIPE, SIG_IGN);
    if (::pipe2(signalPipe, O_CLOEXEC | O_NONBLOCK) == 0) {
        auto *notifier = new QSocketNotifier(signalPipe[0], QSocketNotifier::Read, this);
#if QT_VERSION >= QT_VERSION_CHECK(6, 0, 0)
        connect(notifier, &QSocketNotifier::activated, this, &CommandLine::signalled);
#else
        // Qt 5 overloads the signal with a private tag, which no pointer to member can name.
        connect(notifier, SIGNAL(activated(int)), this, SLOT(signalled()));
#endif
        struct sigaction action {
        };
        action.sa_handler = onStopSignal;
        sigemptyset(&action.sa_mask);
        for (const int signal : { SIGINT, SIGTERM, SIGHUP })
            ::sigaction(signal, &action, nullptr);
    }

    session = new TidyUpSession(this);
    connect(session, &TidyUpSession::progress, this, &CommandLine::showProgress);
    connect(session, &TidyUpSession::finished, this, &CommandLine::runFinished);
    connect(session, &TidyUpSession::round, this, &CommandLine::roundDone);
    connect(session, &TidyUpSession::undone, this, &CommandLine::undoFinished);
    connect(session, &TidyUpSession::previewed, this, &CommandLine::previewed);
    connect(session, &TidyUpSession::checked, this, &CommandLine::checked);
    connect(session, &TidyUpSession::surveyed, this, &CommandLine::surveyed);
    if (arguments.action == Arguments::DryRun)
        session->preview(settings);
    else if (arguments.action == Arguments::Undo)
        session->undo(settings);
    else if (arguments.action == Arguments::Check)
        session->check(settings);
    else if (arguments.action == Arguments::Follow)
        session->follow(settings);
    else if (arguments.action == Arguments::Survey)
        session->survey(settings);
    else if (arguments.action == Arguments::Repair)
        session->repair(settings, arguments.repairRequest());
    else
        session->run(settings);
    sinceProgress.start();
    return QCoreApplication::exec() == 0 ? status : Report::BadUsage;
}

void CommandLine::signalled()
{
    char bytes[16];
    while (::read(signalPipe[0], bytes, sizeof bytes) > 0) { }
    // A second signal changes nothing: the entry in hand and the links are still finished.
    stopSignalled = true;
    session->stop();
}

void CommandLine::showProgress(int done, int listed)
{
    // One line, rewritten in place a few times a second, and only for a person watching.
    if (!::isatty(STDERR_FILENO) || (done != listed && sinceProgress.elapsed() < 250))
        return;
    sinceProgress.restart();
    progressShown = true;
    print(stderr, QLatin1Char('\r') + Report::progressText(done, listed));
}

void CommandLine::runFinished(const TidyUp::Outcome &outcome, const TidyUp::Settings &settings)
{
    finish(outcome, settings);
}

void CommandLine::roundDone(const TidyUp::Round &round)
{
    // A round that only saw files arrive tidied nothing.
    if (!json || (round.moved == 0 && round.linked == 0 && round.failures.isEmpty()))
        return;
    QByteArray lines;
    for (const TidyUp::Failure &failure : round.failures)
        lines += JsonLines::failure(failure) + '\n';
    failuresWritten += round.failures.size();
    lines += JsonLines::round(round) + '\n';
    for (const TidyUp::SurveyRowChange &row : round.rows)
        lines += JsonLines::energy(row) + '\n';
    print(stdout, lines);
}

void CommandLine::undoFinished(const TidyUp::UndoOutcome &outcome, const TidyUp::Settings &settings)
{
    finish(outcome, settings);
}

template <typename Outcome>
void CommandLine::finish(const Outcome &outcome, const TidyUp::Settings &settings)
{
    if (progressShown)
        print(stderr, QStringLiteral("\n"));
    status = Report::status(outcome, stopSignalled);
    if (json) {
        QByteArray lines;
        for (const TidyUp::Failure &failure : outcome.failures.mid(failuresWritten))
            lines += JsonLines::failure(failure) + '\n';
        print(stdout, lines + JsonLines::outcome(outcome, settings, status) + '\n');
    } else {
        print(stdout, Report::outcomeText(outcome, settings) + QLatin1Char('\n'));
    }
    QCoreApplication::quit();
}

void CommandLine::checked(const TidyUp::CheckOutcome &outcome, const TidyUp::Settings &settings)
{
    if (progressShown)
        print(stderr, QStringLiteral("\n"));
    status = CheckReport::status(outcome, stopSignalled);
    if (json) {
        QByteArray lines;
        for (const TidyUp::LinkProblem &problem : outcome.problems)
            lines += JsonLines::linkProblem(problem) + '\n';
        print(stdout, lines + JsonLines::outcome(outcome, settings, status) + '\n');
    } else {
        print(stdout, CheckReport::outcomeText(outcome, settings) + QLatin1Char('\n'));
    }
    QCoreApplication::quit();
}

void CommandLine::previewed(const TidyUp::Preview &preview, const TidyUp::Settings &settings)
{
    status = Report::status(preview);
    print(stdout,
        json ? JsonLines::preview(preview, settings, status) + '\n'
             : (Report::previewText(preview, settings) + QLatin1Char('\n')).toLocal8Bit());
    QCoreApplication::quit();
}

void CommandLine::surveyed(const TidyUp::Preview &preview, const TidyUp::Settings &settings)
{
    status = SurveyReport::status(preview);
    if (json) {
        QByteArray lines;
        for (const TidyUp::SurveySeries &series : preview.survey.series)
            lines += JsonLines::series(series) + '\n';
        print(stdout, lines + JsonLines::survey(preview, settings, status) + '\n');
    } else {
        print(stdout, SurveyReport::text(preview, settings) + QLatin1Char('\n'));
    }
    QCoreApplication::quit();
}
