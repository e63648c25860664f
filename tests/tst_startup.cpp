#include "fstree.h"
#include "xsession.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QTextCodec>
#include <QtTest>

// The real program, started as a user starts it, in a real window on a private X server.
class TestStartup : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void translation_data();
    void translation();
    void execTidiesTheConfiguredScan();

private:
    // Starts the program in dir; returns its window, or 0.
    unsigned long start(QProcess &program, const QStringList &args, const QString &dir);
    // Closes the window as a window manager would and checks that the program ends with 0.
    void closeAndExpectSuccess(QProcess &program, unsigned long window);

    XSession x;
    QTemporaryDir tmp;
};

void TestStartup::initTestCase()
{
    const QString problem = x.start();
    if (!problem.isEmpty())
        QFAIL(qPrintable("The real-window tests need an X server: " + problem));
}

unsigned long TestStartup::start(QProcess &program, const QStringList &args, const QString &dir)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("DISPLAY", x.displayName());
    env.insert("QT_QPA_PLATFORM", "xcb");
    program.setProcessEnvironment(env);
    program.setWorkingDirectory(dir);
    program.setProcessChannelMode(QProcess::ForwardedChannels);
    program.start(QStringLiteral(QUORVIX_PROGRAM), args);
    if (!program.waitForStarted(10000))
        return 0;
    return x.waitForWindow(30000);
}

void TestStartup::closeAndExpectSuccess(QProcess &program, unsigned long window)
{
    x.requestClose(window);
    QVERIFY(program.waitForFinished(30000));
    QCOMPARE(program.exitStatus(), QProcess::NormalExit);
    QCOMPARE(program.exitCode(), 0);
}

void TestStartup::translation_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("title");

    const QString english = "Quorvix Data";
    const QString japanese = "Quorvix Data データ整理";
    QTest::newRow("Japanese by default") << QStringList {} << japanese;
    QTest::newRow("-e: English") << QStringList { "-e" } << english;
    QTest::newRow("capital -E does not count") << QStringList { "-E" } << japanese;
    QTest::newRow("-e after another option") << QStringList { "-c", "-e" } << english;
    QTest::newRow("-e taking a value") << QStringList { "-e", "word" } << english;
}

void TestStartup::translation()
{
    QFETCH(QStringList, args);
    QFETCH(QString, title);
    QProcess program;
    const unsigned long window = start(program, args, tmp.path());
    QVERIFY(window);
    QCOMPARE(x.title(window), title);
    closeAndExpectSuccess(program, window);
}

// Japanese names everywhere: in the Shift-JIS configuration file, the target's path, the
// output directories and the data files; they must reach the disk under their real names.
void TestStartup::execTidiesTheConfiguredScan()
{
    const QString scan = tmp.filePath("測定 1");
    for (const QString &name : QStringList {
             "試料-850eV-001.img", "試料-850eV-002.img", "試料-852_5eV-001.img", "dark.img" })
        QVERIFY(FsTree::make(scan + '/' + name, name.toUtf8()));
    const QString config = "Default_Dir \"" + scan
        + "\"\nOrigs_Dir 元データ\n"
          "Energy_Dir エネルギー別\nSeqNo_Dir 連番別\n";
    QVERIFY(FsTree::make(
        tmp.filePath("scan.cfg"), QTextCodec::codecForName("Shift-JIS")->fromUnicode(config)));

    QProcess program;
    const unsigned long window = start(program, { "-c", "scan.cfg" }, tmp.path());
    QVERIFY(window);
    // Focus starts in the target field; six Tabs reach "Exec".
    x.pressKeys(window, { "Tab", "Tab", "Tab", "Tab", "Tab", "Tab", "space" });
    const QString moved = scan + "/元データ/試料-852_5eV-001.img";
    QTRY_VERIFY_WITH_TIMEOUT(QFileInfo::exists(moved), 20000);
    QTRY_COMPARE_WITH_TIMEOUT(QDir(scan).entryList(QDir::Files).size(), 0, 20000);

    QCOMPARE(
        FsTree::read(scan + "/元データ/試料-850_00eV-002.img"), QByteArray("試料-850eV-002.img"));
    QCOMPARE(FsTree::read(scan + "/元データ/dark.img"), QByteArray("dark.img"));
    QCOMPARE(QFileInfo(scan + "/エネルギー別/850_00/試料-850_00eV-001.img").symLinkTarget(),
        scan + "/元データ/試料-850_00eV-001.img");
    QCOMPARE(QFileInfo(scan + "/連番別/001/試料-852_5eV-001.img").symLinkTarget(), moved);
    closeAndExpectSuccess(program, window);
}

QTEST_GUILESS_MAIN(TestStartup)
#include "tst_startup.moc"
