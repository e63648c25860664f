// SPDX-License-Identifier: MIT
// The real program, started as a user starts it, in a real window (run under xvfb-run), driven
// with xdotool through the X server.
#include "testsupport.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QTextCodec>
#include <QtTest>
#include <X11/Xlib.h>

class TestStartup : public QObject
{
    Q_OBJECT

private slots:
    void closedDuringARunThenWithTheDialogOpen();
};

static QString xdotool(const QStringList &args)
{
    QProcess p;
    p.start("xdotool", args);
    p.waitForFinished(30000);
    return QString::fromUtf8(p.readAllStandardOutput()).section('\n', 0, 0);
}

static QString startWindow(QProcess &program, const QString &dir)
{
    program.setWorkingDirectory(dir);
    program.setProcessChannelMode(QProcess::ForwardedChannels);
    program.start(QUORVIX_PROGRAM, { "-c", "scan.cfg" });
    return xdotool({ "search", "--sync", "--onlyvisible", "--pid", QString::number(program.processId()), "--name", "^Quorvix Data" });
}

// Closes the window as a window manager closes it.
static void closeWindow(const QString &window)
{
    Display *display = XOpenDisplay(nullptr);
    XEvent event;
    event.xclient = { ClientMessage, 0, False, display, window.toULong(), XInternAtom(display, "WM_PROTOCOLS", False), 32, {} };
    event.xclient.data.l[0] = long(XInternAtom(display, "WM_DELETE_WINDOW", False));
    XSendEvent(display, event.xclient.window, False, NoEventMask, &event);
    XCloseDisplay(display);
}

// A Shift-JIS configuration names a target with a Japanese path. Exec is pressed from the
// keyboard and the window closed during the run: the program ends at once with status 0, every
// entry done or untouched. Started again, it finishes the rest; then the directory dialog is
// opened, and closing the main window still ends the program.
void TestStartup::closedDuringARunThenWithTheDialogOpen()
{
    QTemporaryDir tmp;
    const QString scan = tmp.filePath("測定 1");
    QVERIFY(makeScan(scan, 5000));
    const QString config = "Default_Dir \"" + scan + "\"\nOrigs_Dir O\nEnergy_Dir E\nSeqNo_Dir S\n";
    QVERIFY(FsTree::make(tmp.filePath("scan.cfg"), QTextCodec::codecForName("Shift-JIS")->fromUnicode(config)));
    for (const bool again : { false, true }) {
        QProcess program;
        const QString window = startWindow(program, tmp.path());
        QVERIFY(!window.isEmpty());
        // Focus starts in the target field; six Tabs reach "Exec".
        xdotool({ "windowfocus", "--sync", window, "key", "--delay", "50", "Tab", "Tab", "Tab", "Tab", "Tab", "Tab", "space" });
        if (again) {
            QTRY_COMPARE_WITH_TIMEOUT(runCounts(scan), QList<int>({ 0, 5000, 10000, 0 }), 60000);
            // Focus is back on "Exec" after the run; two Tabs on comes "Select".
            xdotool({ "windowfocus", "--sync", window, "key", "--delay", "50", "Tab", "Tab", "space" });
            QVERIFY(!xdotool({ "search", "--sync", "--onlyvisible", "--pid", QString::number(program.processId()), "--class", "QFileDialog" }).isEmpty());
        } else {
            QTRY_VERIFY_WITH_TIMEOUT(!QDir(scan + "/O").isEmpty(QDir::Files), 20000);
        }
        closeWindow(window);
        QVERIFY(program.waitForFinished(30000));
        QCOMPARE(program.exitStatus(), QProcess::NormalExit);
        QCOMPARE(program.exitCode(), 0);
        const QList<int> counts = runCounts(scan);
        QCOMPARE(counts, QList<int>({ 5000 - counts[1], counts[1], 2 * counts[1], 0 }));
    }
}

QTEST_GUILESS_MAIN(TestStartup)
#include "tst_startup.moc"
