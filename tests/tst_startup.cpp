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
    void execTidiesTheConfiguredScan();
    void closingWithTheDialogOpenEnds();

private:
    QString start(QProcess &program, const QStringList &args);
    void closeAndExpectSuccess(QProcess &program, const QString &window);
    QTemporaryDir tmp;
};

static QString xdotool(const QStringList &args)
{
    QProcess p;
    p.start("xdotool", args);
    p.waitForFinished(30000);
    return QString::fromUtf8(p.readAllStandardOutput()).section('\n', 0, 0);
}

QString TestStartup::start(QProcess &program, const QStringList &args)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "xcb");
    program.setProcessEnvironment(env);
    program.setWorkingDirectory(tmp.path());
    program.setProcessChannelMode(QProcess::ForwardedChannels);
    program.start(QUORVIX_PROGRAM, args);
    return xdotool({ "search", "--sync", "--onlyvisible", "--pid",
        QString::number(program.processId()), "--name", "^Quorvix Data" });
}

// What a window manager's close button does: WM_DELETE_WINDOW, which xdotool cannot send.
void TestStartup::closeAndExpectSuccess(QProcess &program, const QString &window)
{
    Display *display = XOpenDisplay(nullptr);
    QVERIFY(display && !window.isEmpty());
    XEvent event {};
    event.xclient.type = ClientMessage;
    event.xclient.window = window.toULong();
    event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = long(XInternAtom(display, "WM_DELETE_WINDOW", False));
    XSendEvent(display, event.xclient.window, False, NoEventMask, &event);
    XCloseDisplay(display);
    QVERIFY(program.waitForFinished(30000));
    QCOMPARE(program.exitStatus(), QProcess::NormalExit);
    QCOMPARE(program.exitCode(), 0);
}

// Japanese names everywhere: the Shift-JIS configuration, the target's path, the output
// directories and the data files; Exec pressed from the keyboard.
void TestStartup::execTidiesTheConfiguredScan()
{
    const QString scan = tmp.filePath("測定 1");
    for (const QString &name :
        QStringList { "試料-850eV-001.img", "試料-852_5eV-001.img", "dark.img" })
        QVERIFY(makeEntry(scan + '/' + name, name.toUtf8()));
    const QString config
        = "Default_Dir \"" + scan + "\"\nOrigs_Dir 元\nEnergy_Dir エ\nSeqNo_Dir 連\n";
    QVERIFY(makeEntry(
        tmp.filePath("scan.cfg"), QTextCodec::codecForName("Shift-JIS")->fromUnicode(config)));
    QProcess program;
    const QString window = start(program, { "-c", "scan.cfg" });
    QVERIFY(!window.isEmpty());
    // Focus starts in the target field; six Tabs reach "Exec".
    xdotool({ "windowfocus", "--sync", window, "key", "--delay", "50", "Tab", "Tab", "Tab", "Tab",
        "Tab", "Tab", "space" });
    QTRY_VERIFY_WITH_TIMEOUT(QDir(scan).entryList(QDir::Files).isEmpty(), 20000);
    QCOMPARE(tree(scan),
        QStringList(
            { "エ/", "エ/850_00/", "エ/850_00/試料-850_00eV-001.img>元/試料-850_00eV-001.img",
                "エ/852_5/", "エ/852_5/試料-852_5eV-001.img>元/試料-852_5eV-001.img", "元/",
                "元/dark.img=dark.img", "元/試料-850_00eV-001.img=試料-850eV-001.img",
                "元/試料-852_5eV-001.img=試料-852_5eV-001.img", "連/", "連/001/",
                "連/001/試料-850_00eV-001.img>元/試料-850_00eV-001.img",
                "連/001/試料-852_5eV-001.img>元/試料-852_5eV-001.img" }));
    closeAndExpectSuccess(program, window);
}

void TestStartup::closingWithTheDialogOpenEnds()
{
    QProcess program;
    const QString window = start(program, { "-e", "-c", "none.cfg" });
    QVERIFY(!window.isEmpty());
    // Tab reaches "Select"; its dialog is a window of its own.
    xdotool({ "windowfocus", "--sync", window, "key", "--delay", "50", "Tab", "space" });
    QVERIFY(!xdotool({ "search", "--sync", "--onlyvisible", "--pid",
                         QString::number(program.processId()), "--class", "QFileDialog" })
                 .isEmpty());
    closeAndExpectSuccess(program, window);
}

QTEST_GUILESS_MAIN(TestStartup)
#include "tst_startup.moc"
