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
    void execThenCloseWithTheDialogOpen();
};

static QString xdotool(const QStringList &args)
{
    QProcess p;
    p.start("xdotool", args);
    p.waitForFinished(30000);
    return QString::fromUtf8(p.readAllStandardOutput()).section('\n', 0, 0);
}

// Japanese names everywhere: the Shift-JIS configuration, the target's path, the output
// directories and the data files. Exec is pressed from the keyboard, then the directory dialog
// opened, and the main window closed as a window manager closes it: the program must end.
void TestStartup::execThenCloseWithTheDialogOpen()
{
    QTemporaryDir tmp;
    const QString scan = tmp.filePath("測定 1");
    for (const QString &name : QStringList { "試料-850eV-001.img", "試料-852_5eV-001.img", "dark.img" })
        QVERIFY(FsTree::make(scan + '/' + name, name.toUtf8()));
    const QString config = "Default_Dir \"" + scan + "\"\nOrigs_Dir 元\nEnergy_Dir エ\nSeqNo_Dir 連\n";
    QVERIFY(FsTree::make(tmp.filePath("scan.cfg"), QTextCodec::codecForName("Shift-JIS")->fromUnicode(config)));
    QProcess program;
    program.setWorkingDirectory(tmp.path());
    program.setProcessChannelMode(QProcess::ForwardedChannels);
    program.start(QUORVIX_PROGRAM, { "-c", "scan.cfg" });
    const QString pid = QString::number(program.processId());
    const QString window = xdotool({ "search", "--sync", "--onlyvisible", "--pid", pid, "--name", "^Quorvix Data" });
    QVERIFY(!window.isEmpty());

    // Focus starts in the target field; six Tabs reach "Exec".
    xdotool({ "windowfocus", "--sync", window, "key", "--delay", "50", "Tab", "Tab", "Tab", "Tab", "Tab", "Tab", "space" });
    QTRY_VERIFY_WITH_TIMEOUT(QDir(scan).entryList(QDir::Files).isEmpty(), 20000);
    QCOMPARE(FsTree::tree(scan),
        QStringList({ "エ/", "エ/850_00/", "エ/850_00/試料-850_00eV-001.img>元/試料-850_00eV-001.img", "エ/852_5/",
            "エ/852_5/試料-852_5eV-001.img>元/試料-852_5eV-001.img", "元/", "元/dark.img=dark.img",
            "元/試料-850_00eV-001.img=試料-850eV-001.img", "元/試料-852_5eV-001.img=試料-852_5eV-001.img", "連/", "連/001/",
            "連/001/試料-850_00eV-001.img>元/試料-850_00eV-001.img", "連/001/試料-852_5eV-001.img>元/試料-852_5eV-001.img" }));

    // Two Tabs on from "Exec" comes "Select".
    xdotool({ "windowfocus", "--sync", window, "key", "--delay", "50", "Tab", "Tab", "space" });
    QVERIFY(!xdotool({ "search", "--sync", "--onlyvisible", "--pid", pid, "--class", "QFileDialog" }).isEmpty());
    Display *display = XOpenDisplay(nullptr);
    QVERIFY(display);
    XEvent event;
    event.xclient = { ClientMessage, 0, False, display, window.toULong(), XInternAtom(display, "WM_PROTOCOLS", False), 32, {} };
    event.xclient.data.l[0] = long(XInternAtom(display, "WM_DELETE_WINDOW", False));
    XSendEvent(display, event.xclient.window, False, NoEventMask, &event);
    XCloseDisplay(display);
    QVERIFY(program.waitForFinished(30000));
    QCOMPARE(program.exitStatus(), QProcess::NormalExit);
    QCOMPARE(program.exitCode(), 0);
}

QTEST_GUILESS_MAIN(TestStartup)
#include "tst_startup.moc"
