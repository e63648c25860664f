// SPDX-License-Identifier: MIT
// Loaded into the real program by the benchmark (LD_PRELOAD), on the display it is given: drives
// the window as a user does, prints what that cost and ends the program. QUORVIX_PROBE says what
// to do:
//   open              nothing: the time until the preview of the target is shown
//   window            "Exec" clicked, until the process is idle again
//   window-cancelled  the same, after the directory dialog was shown and cancelled
//   window-open       the same, with the directory dialog open on the target
//   undo              "Undo" clicked after a run that "Exec" made
//   follow            "Exec" clicked with Follow the scan on, for QUORVIX_PROBE_SECONDS
// One line on standard output: wall ms, CPU ms, MB of peak memory (its growth, or all of it for
// "open"), the longest the window's event loop was late, in ms, and the ms until "Exec" came back
// enabled (the run's outcome shown; the wall time goes on until the process is idle).

#include "bench/procstats.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFileDialog>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

namespace
{

using Clock = std::chrono::steady_clock;
Clock::time_point started;

double msBetween(Clock::time_point from, Clock::time_point to)
{
    return std::chrono::duration<double, std::milli>(to - from).count();
}

// Runs the event loop until the process, all its threads included, has used under 5 % of one
// core over half a second; returns the moment that quiet half second began, to 50 ms.
Clock::time_point waitForIdle()
{
    std::vector<std::pair<Clock::time_point, double>> samples;
    for (;;) {
        samples.emplace_back(Clock::now(), ProcStats::cpuMs());
        if (samples.size() > 10 && samples.back().second - samples[samples.size() - 11].second < 25)
            return samples[samples.size() - 11].first;
        QEventLoop loop;
        QTimer::singleShot(50, &loop, &QEventLoop::quit);
        loop.exec();
    }
}

// The worst lateness of a timer due every 20 ms on the window's thread: how long, at most, the
// window did not answer.
class Lateness
{
public:
    Lateness()
    {
        timer.setInterval(intervalMs);
        timer.setTimerType(Qt::PreciseTimer);
        QObject::connect(&timer, &QTimer::timeout, [this] {
            worst = std::max(worst, double(since.nsecsElapsed()) / 1e6 - intervalMs);
            since.restart();
        });
        since.start();
        timer.start();
    }
    double worstMs() const { return worst; }

private:
    static constexpr int intervalMs = 20;
    QTimer timer;
    QElapsedTimer since;
    double worst = 0;
};

// Counts the times a button came back enabled: "Exec" does when a run or an undo has ended. A
// click through the display server arrives when it arrives, and a short run can start and end
// within one turn of the event loop: the end is counted, not looked for.
class TimesEnabled : public QObject
{
public:
    explicit TimesEnabled(QWidget *button)
        : button(button)
    {
        button->installEventFilter(this);
    }
    int count() const { return times; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched == button && event->type() == QEvent::EnabledChange && button->isEnabled())
            ++times;
        return false;
    }

private:
    QWidget *button;
    int times = 0;
};

// The moment a button took a click: what went before was xdotool starting, the instrument's
// time, not the program's.
class ClickTime : public QObject
{
public:
    explicit ClickTime(QWidget *button)
        : button(button)
    {
        button->installEventFilter(this);
    }
    bool seen() const { return taken; }
    Clock::time_point at() const { return when; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched == button && event->type() == QEvent::MouseButtonRelease && !taken) {
            taken = true;
            when = Clock::now();
        }
        return false;
    }

private:
    QWidget *button;
    bool taken = false;
    Clock::time_point when;
};

QWidget *topLevel(const char *className)
{
    for (QWidget *w : QApplication::topLevelWidgets()) {
        if (w->isVisible() && w->inherits(className))
            return w;
    }
    return nullptr;
}

// Through the display server, as a user clicks: the window sees what it sees then (activation,
// focus, the pointer's way), not an event handed to the button. The event loop goes on meanwhile,
// as it does while a user moves the pointer.
void click(QWidget *widget)
{
    const QPoint at = widget->mapToGlobal(widget->rect().center());
    if (!widget->screen()->geometry().contains(at)) {
        std::fprintf(stderr, "probe: %s is off the screen\n", qPrintable(widget->objectName()));
        std::exit(2);
    }
    auto *xdotool = new QProcess(widget);
    QObject::connect(xdotool, qOverload<int, QProcess::ExitStatus>(&QProcess::finished), xdotool,
        [xdotool](int code, QProcess::ExitStatus status) {
            if (code != 0 || status != QProcess::NormalExit) {
                std::fprintf(stderr, "probe: xdotool failed\n");
                std::exit(2);
            }
            xdotool->deleteLater();
        });
    QObject::connect(xdotool, &QProcess::errorOccurred, xdotool, [] {
        std::fprintf(stderr, "probe: xdotool failed\n");
        std::exit(2);
    });
    xdotool->start(QStringLiteral("xdotool"),
        { QStringLiteral("mousemove"), QString::number(at.x()), QString::number(at.y()),
            QStringLiteral("click"), QStringLiteral("1") });
}

void report(double wallMs, double cpuMs, double memoryMb, double lateMs, double endedMs = 0)
{
    std::printf("%f %f %f %f %f\n", wallMs, cpuMs, memoryMb, lateMs, endedMs);
    std::fflush(stdout);
    QCoreApplication::exit(0);
}

void drive()
{
    const QByteArray side = qgetenv("QUORVIX_PROBE");
    // Clicks go through the X server: on another platform they would never arrive.
    if (QGuiApplication::platformName() != QLatin1String("xcb")) {
        std::fprintf(stderr, "probe: the window is not on an X server\n");
        QCoreApplication::exit(2);
        return;
    }
    QWidget *window = topLevel("QMainWindow");
    if (!window) {
        std::fprintf(stderr, "probe: no window\n");
        QCoreApplication::exit(2);
        return;
    }
    const auto button = [window](const char *name) {
        return window->findChild<QPushButton *>(QLatin1String(name));
    };
    const Lateness opening;
    const auto *preview = window->findChild<QLabel *>(QStringLiteral("preview"));
    while (preview->text().isEmpty())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    const Clock::time_point opened = waitForIdle();
    if (side == "open") {
        report(msBetween(started, opened), ProcStats::cpuMs(), ProcStats::peakKb() / 1024.0,
            opening.worstMs());
        return;
    }
    if (side.startsWith("window-")) {
        click(button("Select"));
        while (!topLevel("QFileDialog"))
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        waitForIdle();
        auto *dialog = qobject_cast<QDialog *>(topLevel("QFileDialog"));
        if (!dialog) {
            std::fprintf(stderr, "probe: the directory dialog did not open\n");
            std::exit(2);
        }
        if (side == "window-cancelled") {
            dialog->reject();
            waitForIdle();
        } else {
            // Beside the window, where a user moves it to reach "Exec".
            dialog->move(window->frameGeometry().topRight() + QPoint(10, 0));
            waitForIdle();
        }
    }
    const TimesEnabled runsEnded(button("Exec"));
    const auto clickAndWait = [&](const char *name) {
        const int before = runsEnded.count();
        click(button(name));
        while (runsEnded.count() == before)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    };
    const auto press = [&](const char *name) {
        ProcStats::resetPeak();
        const long peakBefore = ProcStats::peakKb();
        const double cpuBefore = ProcStats::cpuMs();
        const Lateness running;
        const ClickTime click(button(name));
        // On a slow file system the process is idle while it waits: first the run must end.
        clickAndWait(name);
        const Clock::time_point ended = Clock::now();
        const Clock::time_point clicked = click.at();
        const Clock::time_point idle = waitForIdle();
        // The CPU of the quiet half second is under 25 ms; it is counted, being hard to
        // separate.
        report(msBetween(clicked, idle), ProcStats::cpuMs() - cpuBefore,
            (ProcStats::peakKb() - peakBefore) / 1024.0, running.worstMs(),
            msBetween(clicked, ended));
    };
    if (side == "follow") {
        const Lateness following;
        const double cpuBefore = ProcStats::cpuMs();
        click(button("Exec"));
        QEventLoop loop;
        QTimer::singleShot(int(qEnvironmentVariable("QUORVIX_PROBE_SECONDS").toDouble() * 1000),
            &loop, &QEventLoop::quit);
        loop.exec();
        // Closing the window ends the follow.
        report(msBetween(started, Clock::now()), ProcStats::cpuMs() - cpuBefore,
            ProcStats::peakKb() / 1024.0, following.worstMs());
        return;
    }
    if (side == "undo") {
        const auto *undo = button("Undo");
        clickAndWait("Exec");
        while (!undo->isVisible())
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        waitForIdle();
        press("Undo");
    } else {
        press("Exec");
    }
}

void start()
{
    started = Clock::now();
    QTimer::singleShot(0, drive);
}

} // namespace

Q_COREAPP_STARTUP_FUNCTION(start)
