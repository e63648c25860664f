// SPDX-License-Identifier: MIT
// The real program, started as a user starts it, in a real window (run under xvfb-run), driven
// with xdotool through the X server.
#include "tests/testsupport.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QTextCodec>
#include <QtTest>
#include <X11/Xlib.h>

class TestStartup : public QObject
{
    Q_OBJECT

private slots:
    void killedOrClosedDuringARunThenWithTheDialogOpen();
};

static QString xdotool(const QStringList &args)
{
    QProcess p;
    p.start("xdotool", args);
    p.waitForFinished(30000);
    return QString::fromUtf8(p.readAllStandardOutput()).section('\n', 0, 0);
}

// A Shift-JIS configuration names a target with a Japanese path; Exec is pressed from the
// keyboard. Killed during a run, the program may leave moved files without links; started again
// it makes them first, and, closed during that run as a window manager closes it, ends with
// status 0, every entry done or untouched. A third run finishes the rest; then the directory
// dialog is opened, and closing the main window still ends the program.
void TestStartup::killedOrClosedDuringARunThenWithTheDialogOpen()
{
    QTemporaryDir tmp(inMemory("tst_startup"));
    const QString scan = tmp.filePath("測定 1");
    const QString config = "Default_Dir \"" + scan + "\"\nOrigs_Dir O\nEnergy_Dir E\nSeqNo_Dir S\n";
    QVERIFY(makeScan(scan, 20000) && FsTree::make(tmp.filePath("scan.cfg"), QTextCodec::codecForName("Shift-JIS")->fromUnicode(config)));
    for (const QString end : { "kill", "close", "finish" }) {
        QProcess program;
        program.setWorkingDirectory(tmp.path());
        program.setProcessChannelMode(QProcess::ForwardedChannels);
        // Japanese unless -e asks for the English texts.
        program.start(QUORVIX_PROGRAM, QStringList { "-c", "scan.cfg", "-e" }.mid(0, end == "kill" ? 3 : 2));
        const QString pid = QString::number(program.processId());
        const QString window = xdotool({ "search", "--sync", "--onlyvisible", "--pid", pid, "--name", "^Quorvix Data" });
        QCOMPARE(xdotool({ "getwindowname", window }), end == "kill" ? "Quorvix Data" : "Quorvix Data データ整理");
        const QStringList left = QDir(scan).entryList({ "*.img" }, QDir::Files, QDir::Name | QDir::IgnoreCase);
        // Focus starts in the target field; six Tabs reach "Exec", and after the run it is back
        // there: two Tabs on comes "Select".
        xdotool({ "windowfocus", "--sync", window, "key", "--delay", "50", "Tab", "Tab", "Tab", "Tab", "Tab", "Tab", "space" });
        // Killed or closed once the first file left has been moved.
        QTRY_VERIFY_WITH_TIMEOUT(end == "finish" ? runCounts(scan)[1] == 20000 : left.isEmpty() || !QFileInfo::exists(scan + '/' + left[0]), 60000);
        if (end == "kill") {
            program.kill();
            QVERIFY(program.waitForFinished(30000));
            const QList<int> counts = runCounts(scan);
            QCOMPARE(QList<int>({ counts[0] + counts[1], counts[2] <= 2 * counts[1], counts[3] }), QList<int>({ 20000, 1, 0 }));
            continue;
        }
        if (end == "finish") {
            xdotool({ "windowfocus", "--sync", window, "key", "--delay", "50", "Tab", "Tab", "space" });
            QVERIFY(!xdotool({ "search", "--sync", "--onlyvisible", "--pid", pid, "--class", "QFileDialog" }).isEmpty());
        }
        Display *display = XOpenDisplay(nullptr);
        XEvent event;
        event.xclient = { ClientMessage, 0, False, display, window.toULong(), XInternAtom(display, "WM_PROTOCOLS", False), 32, {} };
        event.xclient.data.l[0] = long(XInternAtom(display, "WM_DELETE_WINDOW", False));
        XSendEvent(display, event.xclient.window, False, NoEventMask, &event);
        XCloseDisplay(display);
        QVERIFY(program.waitForFinished(30000));
        QCOMPARE(QList<int>({ program.exitStatus(), program.exitCode() }), QList<int>({ QProcess::NormalExit, 0 }));
        const QList<int> counts = runCounts(scan);
        QCOMPARE(counts, QList<int>({ 20000 - counts[1], counts[1], 2 * counts[1], 0 }));
        QCOMPARE(QDir(scan + "/O").entryList({ ".quorvix-data-*" }, QDir::Hidden | QDir::Files), QStringList());
    }
}

QTEST_GUILESS_MAIN(TestStartup)
#include "tst_startup.moc"
