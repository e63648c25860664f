// SPDX-License-Identifier: MIT
// The real program without a window, started as a script starts it: no display, settings from
// the command line, the outcome on standard output and in the exit status.
#include "tests/testsupport.h"

#include <QDirIterator>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>
#include <csignal>
#include <sys/resource.h>

class TestCommandLine : public QObject
{
    Q_OBJECT

private slots:
    void runs_data();
    void runs();
    void json_data();
    void json();
    void jsonOnEveryPath_data();
    void jsonOnEveryPath();
    void survey();
    void helpInJapanese_data();
    void helpInJapanese();
    void stoppedBySignal();
    void killedThenCompletedThenUndone();
    void repairKilledThenFinished();
};

static QProcessEnvironment noDisplay()
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char *name : { "DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM" })
        env.remove(name);
    return env;
}

// clang-format off
void TestCommandLine::runs_data()
{
    QTest::addColumn<QString>("fixture"); // in T beside a scan of 300 files: "taken", "-" no T; "tidied…": tidied as T0, then renamed T
    QTest::addColumn<QString>("args"); // "@": T
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("out"); // standard output; "T s" the time
    QTest::addColumn<QList<int>>("counts"); // untouched, moved, links, broken links afterwards
    QTest::newRow("whole run") << "" << "--run -e --target @ --origs O --energy E --seqno S" << 0 << "Moved 300 files into O and made 600 links in T s.\n" << QList<int>{ 0, 300, 600, 0 };
    QTest::newRow("a name taken") << "taken" << "--run -e --target @ --origs O --energy E --seqno S" << 1 << "Moved 299 files into O and made 598 links in T s. 1 file was not moved: the new name is taken (1).\n" << QList<int>{ 1, 299, 598, 0 };
    QTest::newRow("dry run") << "" << "--dry-run -e --target @ --origs O" << 0 << "300 files match *.img in @: 300 to link (3 energies × 100 projections, complete). O, Energy and SeqNo will be created.\n" << QList<int>{ 300, 0, 0, 0 };
    QTest::newRow("survey of a complete scan") << "" << "--survey -e --target @ --origs O" << 0 << "a-: 3 energies × 100 projections, complete.\n" << QList<int>{ 300, 0, 0, 0 };
    QTest::newRow("survey of a missing target") << "-" << "--survey -e --target @" << 2 << "" << QList<int>{ 0, 0, 0, 0 };
    QTest::newRow("a survey and a check: neither") << "" << "--survey -e --check --target @" << 2 << "" << QList<int>{ 300, 0, 0, 0 };
    QTest::newRow("settings from a file") << "cfg" << "--run -e -c @.cfg --ext img" << 0 << "Moved 300 files into O and made 600 links in T s.\n" << QList<int>{ 0, 300, 600, 0 };
    QTest::newRow("missing target: nothing made") << "-" << "--run -e --target @ --origs O" << 2 << "" << QList<int>{ 0, 0, 0, 0 };
    QTest::newRow("no target given") << "" << "--run -e --origs O" << 2 << "" << QList<int>{ 300, 0, 0, 0 };
    QTest::newRow("unknown option") << "" << "--run -e --target @ --bogus" << 2 << "" << QList<int>{ 300, 0, 0, 0 };
    QTest::newRow("stray argument") << "" << "--run -e --target @ extra" << 2 << "" << QList<int>{ 300, 0, 0, 0 };
    QTest::newRow("two actions: neither") << "" << "--run -e --dry-run --target @" << 2 << "" << QList<int>{ 300, 0, 0, 0 };
    QTest::newRow("a check and a repair: neither") << "tidied" << "--check -e --repair --target @ --origs O --energy E --seqno S" << 2 << "" << QList<int>{ 0, 300, 600, 600 };
    QTest::newRow("unreadable settings file") << "" << "--run -e -c @.none --target @" << 2 << "" << QList<int>{ 300, 0, 0, 0 };
    QTest::newRow("no record can be kept") << ".quorvix-data" << "--run -e --target @ --origs O" << 2 << "Can't keep a record of the run in @: Not a directory (the folder of the records could not be made). Nothing was moved.\n" << QList<int>{ 300, 0, 0, 0 };
    QTest::newRow("output directory is a file") << "O" << "--run -e --target @ --origs O" << 2 << "The entry [O] in [@] is not directory. Nothing was moved.\n" << QList<int>{ 300, 0, 0, 0 };
    QTest::newRow("check after the scan moved") << "tidied" << "--check -e --target @ --origs O --energy E --seqno S" << 1 << "Checked 600 links in @: 0 in place, 600 elsewhere, 0 missing, 0 not a link. 600 links point into @0/O.\n" << QList<int>{ 0, 300, 600, 600 };
    QTest::newRow("check of relative links after the scan moved") << "tidied relative" << "--check -e --target @ --origs O --energy E --seqno S" << 0 << "Checked 600 links in @: all in place.\n" << QList<int>{ 0, 300, 600, 0 };
    QTest::newRow("repair after the scan moved") << "tidied" << "--repair -e --target @ --origs O --energy E --seqno S" << 0 << "Repaired 600 links in @: 0 made, 600 rewritten.\n" << QList<int>{ 0, 300, 600, 0 };
    QTest::newRow("relinked relative after the scan moved") << "tidied" << "--relink relative -e --target @ --origs O --energy E --seqno S" << 0 << "Repaired 600 links in @: 0 made, 600 rewritten. The links made are relative.\n" << QList<int>{ 0, 300, 600, 0 };
    QTest::newRow("unknown relink style") << "tidied" << "--relink sideways -e --target @ --origs O --energy E --seqno S" << 2 << "" << QList<int>{ 0, 300, 600, 600 };
    QTest::newRow("no display: no window tried") << "" << "-e --target @" << 2 << "" << QList<int>{ 300, 0, 0, 0 };
    QTest::newRow("Japanese without -e") << "" << "--dry-run --target @ --origs O --energy E --seqno S" << 0 << "@ で *.img に一致するファイル 300 個: リンク対象 300 件 (3 エネルギー × 100 投影、欠けなし)。 O、E、S を作成します。\n" << QList<int>{ 300, 0, 0, 0 };
}
// clang-format on

void TestCommandLine::runs()
{
    QFETCH(QString, fixture);
    QFETCH(QString, args);
    QFETCH(int, status);
    QFETCH(QString, out);
    QFETCH(QList<int>, counts);
    QTemporaryDir tmp;
    const QString t = tmp.filePath("T");
    const QString made = fixture.startsWith("tidied") ? t + '0' : t;
    QVERIFY(fixture == "-" || makeScan(made, 300));
    if (made != t) {
        QProcess tidy;
        tidy.setProcessEnvironment(noDisplay());
        tidy.start(QUORVIX_PROGRAM, { "--run", "-e", "--target", made, "--origs", "O", "--energy", "E", "--seqno", "S", "--links", fixture.contains("relative") ? "relative" : "absolute" });
        QVERIFY(tidy.waitForFinished(60000) && tidy.exitCode() == 0);
        QVERIFY(QDir().rename(made, t));
    }
    QVERIFY(fixture != "taken" || FsTree::make(t + "/O/a-7002_00eV-99.img", "taken"));
    QVERIFY(fixture != "O" || FsTree::make(t + "/O", "file"));
    QVERIFY(fixture != ".quorvix-data" || FsTree::make(t + "/.quorvix-data", "file"));
    QVERIFY(fixture != "cfg" || FsTree::make(t + ".cfg", "Default_Dir \"" + t.toUtf8() + "\"\nOrigs_Dir O\nEnergy_Dir E\nSeqNo_Dir S\n"));
    QProcess program;
    program.setProcessEnvironment(noDisplay());
    program.setWorkingDirectory(tmp.path());
    program.start(QUORVIX_PROGRAM, args.replace("@", t).split(' '));
    QVERIFY(program.waitForFinished(60000));
    QCOMPARE(program.exitStatus(), QProcess::NormalExit);
    QCOMPARE(program.exitCode(), status);
    QString output = QString::fromUtf8(program.readAllStandardOutput());
    QCOMPARE(output.replace(QRegularExpression("in [0-9.]+ s"), "in T s").replace(t, "@"), out);
    QCOMPARE(runCounts(t), counts);
    QCOMPARE(QFileInfo::exists(t), fixture != "-");
}

// clang-format off
void TestCommandLine::json_data()
{
    QTest::addColumn<QString>("args"); // "@": T, a scan of 300 files; O/a-7002_00eV-99.img and E/7000_00/a-7000_00eV-5.img taken
    QTest::addColumn<int>("status");
    QTest::addColumn<QStringList>("failures"); // what, entry, errno, reason; sorted
    QTest::addColumn<QString>("counts"); // of the last object
    QTest::newRow("names taken, in Japanese") << "--run --json --target @ --origs O --energy E --seqno S" << 1 << QStringList{ "link @/E/7000_00/a-7000_00eV-5.img EEXIST ファイルが存在します", "move @/a-7002eV-99.img EEXIST ファイルが存在します" } << "listed 300 moved 299 not_moved 1 linked 597 links_not_made 1 status 1";
    QTest::newRow("dry run") << "--dry-run -e --json --target @ --origs O" << 0 << QStringList{} << "listed 300 would_link 300 would_stay 1 energies 3 projections 100 status 0";
    QTest::newRow("missing target") << "--run -e --json --target @/missing" << 2 << QStringList{ "dirs @/missing ENOENT No such file or directory" } << "listed 0 moved 0 status 2";
}
// clang-format on

// Each line is an object of its own; the failures name what stayed, and the last object counts
// what the file system holds.
void TestCommandLine::json()
{
    QFETCH(QString, args);
    QFETCH(int, status);
    QFETCH(QStringList, failures);
    QFETCH(QString, counts);
    QTemporaryDir tmp;
    const QString t = tmp.filePath("T");
    QVERIFY(makeScan(t, 300) && FsTree::make(t + "/O/a-7002_00eV-99.img", "taken") && FsTree::make(t + "/E/7000_00/a-7000_00eV-5.img", "taken"));
    QProcess program;
    program.setProcessEnvironment(noDisplay());
    program.start(QUORVIX_PROGRAM, args.replace("@", t).split(' '));
    QVERIFY(program.waitForFinished(60000));
    QCOMPARE(program.exitCode(), status);
    QStringList found;
    QJsonObject last;
    for (const QByteArray &line : program.readAllStandardOutput().split('\n')) {
        if (line.isEmpty())
            continue;
        QJsonParseError error;
        last = QJsonDocument::fromJson(line, &error).object();
        QVERIFY2(error.error == QJsonParseError::NoError, line.constData());
        if (last["type"] == "failure")
            found << QStringList{ last["what"].toString(), last["entry"].toString().replace(t, "@"), last["errno"].toString(), last["reason"].toString() }.join(' ');
    }
    // The link threads write in their own order.
    found.sort();
    QCOMPARE(found, failures);
    QCOMPARE(last["type"].toString(), QString("outcome"));
    QStringList values;
    for (const QString &key : counts.split(' ').filter(QRegularExpression("^[a-z_]+$")))
        values << key << QString::number(last[key].toInt());
    QCOMPARE(values.join(' '), counts);
    QCOMPARE(last["settings"].toObject()["origs"].toString(), t + (status == 2 ? "/missing/Origs" : "/O"));
    const QList<int> tree = runCounts(t);
    QCOMPARE(QList<int>({ tree[1], tree[2] }), QList<int>({ last["moved"].toInt(), last["linked"].toInt() }));
}

// clang-format off
void TestCommandLine::jsonOnEveryPath_data()
{
    QTest::addColumn<QString>("fixture"); // T, a scan of 300 files: "ro" on a read-only file system, "full" on a disk that fills
    // during the run, "tampered" run and its record given impossible numbers, "O" a file where O goes
    QTest::addColumn<QString>("args"); // "@": T
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("failures"); // what and errno of failures that must be among those given
    QTest::addColumn<QString>("problem"); // of the outcome; "@": T
    QTest::newRow("unknown option") << "" << "--run --json -e --target @ --bogus" << 2 << "" << "Unknown option 'bogus'.";
    QTest::newRow("stray argument") << "" << "--json --run -e --target @ extra" << 2 << "" << "Unexpected argument: extra";
    QTest::newRow("read-only target") << "ro" << "--run --json -e --target @" << 2 << "record EROFS" << "Can't keep a record of the run in @: Read-only file system (the folder of the records could not be made).";
    QTest::newRow("disk full during the run") << "full" << "--run --json -e --target @" << 1 << "record ENOSPC" << "";
    QTest::newRow("tampered record undone") << "tampered" << "--undo --json -e --target @" << 1 << "record" << "";
    QTest::newRow("no target") << "" << "--run --json -e" << 2 << "" << "No target: give --target DIR, or Default_Dir in the settings.";
    QTest::newRow("unknown style of links") << "" << "--run --json -e --target @ --links symbolic" << 2 << "" << "Unknown link style \"symbolic\": give absolute or relative.";
    QTest::newRow("relative links, originals outside") << "" << "--run --json -e --target @ --links relative --origs ../O" << 2 << "" << "Relative links need the output directories inside the target.";
    QTest::newRow("output directory a file") << "O" << "--run --json -e --target @ --origs O" << 2 << "dirs ENOTDIR" << "The entry [O] in [@] is not directory.";
    QTest::newRow("dry run, output directory a file") << "O" << "--dry-run --json -e --target @ --origs O" << 2 << "" << "The entry [O] in [@] is not directory.";
}
// clang-format on

// Whatever goes wrong, a script reads JSON Lines, the last one the outcome, and the documented
// status; a record's numbers never size the memory of an undo.
void TestCommandLine::jsonOnEveryPath()
{
    QFETCH(QString, fixture);
    QFETCH(QString, args);
    QFETCH(int, status);
    QFETCH(QString, failures);
    QFETCH(QString, problem);
    QTemporaryDir tmp;
    const QString t = tmp.filePath("T");
    const bool mounted = fixture == "ro" || fixture == "full";
    const auto unmount = qScopeGuard([&] {
        if (mounted)
            QProcess::execute("umount", { "-l", t });
    });
    if (mounted && (!QDir().mkpath(t) || QProcess::execute("mount", { "-t", "tmpfs", "-o", "size=1m", "tmpfs", t })))
        QSKIP("mounting a tmpfs needs root; run the tests as root to cover this");
    QVERIFY(makeScan(t, 300));
    QVERIFY(fixture != "O" || FsTree::make(t + "/O", "file"));
    QVERIFY(fixture != "ro" || QProcess::execute("mount", { "-o", "remount,ro", t }) == 0);
    if (fixture == "full") {
        // Room for the record's first batches only.
        QVERIFY(FsTree::make(t + "/spare", QByteArray(8192, 'x')));
        QFile filler(t + "/filler");
        QVERIFY(filler.open(QIODevice::WriteOnly));
        while (filler.write(QByteArray(65536, 'x')) > 0 && filler.flush()) { }
        QVERIFY(QFile::remove(t + "/spare"));
    }
    const auto start = [&](const QStringList &arguments) {
        QProcess program;
        program.setProcessEnvironment(noDisplay());
        program.start(QUORVIX_PROGRAM, arguments);
        program.waitForFinished(60000);
        return QPair<int, QByteArray>(program.exitCode(), program.readAllStandardOutput());
    };
    if (fixture == "tampered") {
        QCOMPARE(start({ "--run", "-e", "--target", t }).first, 0);
        const QString record = QDir(t + "/.quorvix-data/runs").entryInfoList(QDir::Files).value(0).filePath();
        QFile out(record);
        QVERIFY(out.open(QIODevice::Append) && out.write("moved\t2147483647\nplan\t2147483647\ta-1eV-1.img\ta-1_00eV-1.img\n") > 0);
    }
    const QPair<int, QByteArray> result = start(args.replace("@", t).split(' '));
#ifdef __SANITIZE_ADDRESS__
    // The sanitizer's shadow memory and quarantine come on top.
    const long limitKb = 400 * 1024;
#else
    const long limitKb = 100 * 1024;
#endif
    rusage children = {};
    QVERIFY(::getrusage(RUSAGE_CHILDREN, &children) == 0);
    QVERIFY2(children.ru_maxrss < limitKb, qPrintable(QString("peak of a child: %1 kB").arg(children.ru_maxrss)));
    QCOMPARE(result.first, status);
    QStringList found;
    QJsonObject last;
    for (const QByteArray &line : result.second.split('\n')) {
        QJsonParseError error;
        last = QJsonDocument::fromJson(line, &error).object();
        QVERIFY2(line.isEmpty() || error.error == QJsonParseError::NoError, line.constData());
        if (last["type"] == "failure")
            found << QString(last["what"].toString() + ' ' + last["errno"].toString()).trimmed();
    }
    last = QJsonDocument::fromJson(result.second.trimmed().split('\n').last()).object();
    QCOMPARE(QList<int>({ last["type"] == "outcome", last["status"].toInt() }), QList<int>({ 1, status }));
    QCOMPARE(last["problem"].toString().replace(t, "@"), problem);
    QCOMPARE(last["settings"].isNull(), args.contains("bogus") || args.contains("extra") || !args.contains("--target"));
    for (const QString &failure : failures.split(',', Qt::SkipEmptyParts))
        QVERIFY2(found.contains(failure), qPrintable(found.join(", ")));
    QVERIFY(fixture != "tampered" || runCounts(t) == QList<int>({ 300, 0, 0, 0 }));
}

// SIGTERM is Stop: the entry in hand is finished, the moved files keep their links, the
// outcome is printed, and the status says the run was stopped.
// A scan with holes, before and after a run: the same holes, its cells now tidied.
void TestCommandLine::survey()
{
    QTemporaryDir tmp;
    const QString t = tmp.filePath("T");
    QVERIFY(makeScan(t, 300) && FsTree::make(t + "/a-7000_00eV-5.img") && FsTree::make(t + "/notes.img"));
    for (const char *hole : { "7001eV-7", "7001eV-8", "7001eV-9", "7001eV-40", "7002eV-99" })
        QVERIFY(QFile::remove(t + "/a-" + hole + ".img"));
    const auto run = [&t](const QString &args, int status) {
        QProcess program;
        program.setProcessEnvironment(noDisplay());
        program.start(QUORVIX_PROGRAM, QString(args + " -e --target " + t + " --origs O --energy E --seqno S").split(' '));
        const bool ended = program.waitForFinished(60000) && program.exitCode() == status;
        return ended ? QString::fromUtf8(program.readAllStandardOutput()) : QString("status %1").arg(program.exitCode());
    };
    const QString sentences = "a-: 3 energies × 100 projections, 5 missing at 2 energies, 1 duplicate.\n"
                              "a-, 7001_00 eV: missing 07–09, 40.\n"
                              "a-, 7002_00 eV: missing 99.\n"
                              "1 file without energy and number, not in any grid.\n";
    QCOMPARE(run("--survey", 1), sentences);
    for (const bool tidied : { false, true }) {
        const QStringList lines = run("--survey --json", 1).split('\n', Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), 2);
        const QJsonObject series = QJsonDocument::fromJson(lines[0].toUtf8()).object();
        QStringList values;
        for (const char *key : { "type", "prefix", "first_projection", "last_projection" })
            values << series[key].toString();
        for (const char *key : { "energies", "projections", "files", "tidied", "waiting", "missing", "duplicates" })
            values << QString::number(series[key].toInt());
        QCOMPARE(values.join(' '), QString(tidied ? "series a- 00 99 3 100 296 294 0 5 1" : "series a- 00 99 3 100 296 0 294 5 1"));
        const QJsonArray rows = series["rows"].toArray();
        QCOMPARE(rows.size(), 3);
        QCOMPARE(QJsonDocument(rows[1].toObject()).toJson(QJsonDocument::Compact), QByteArray("{\"duplicates\":[],\"energy\":\"7001_00\",\"ev\":7001,\"files\":96,\"missing\":[[\"07\",\"09\"],[\"40\",\"40\"]]}"));
        QCOMPARE(rows[0].toObject()["duplicates"].toArray().toVariantList(), QVariantList{ "05" });
        const QJsonObject outcome = QJsonDocument::fromJson(lines[1].toUtf8()).object();
        QStringList keys = outcome.keys();
        QCOMPARE(keys, QStringList({ "complete", "duplicates", "elapsed_ms", "files", "missing", "problem", "series", "settings", "status", "stopped", "survey", "type", "without_fields" }));
        QCOMPARE(QStringList({ outcome["type"].toString(), QString::number(outcome["status"].toInt()), QString::number(outcome["files"].toInt()), QString::number(outcome["missing"].toInt()), QString::number(outcome["duplicates"].toInt()), QString::number(outcome["without_fields"].toInt()) }).join(' '), QString("outcome 1 296 5 1 1"));
        QVERIFY(outcome["survey"].toBool() && !outcome["complete"].toBool() && !outcome["stopped"].toBool() && outcome["problem"].isNull());
        // A survey changes nothing; then the run tidies all but the file whose new name is taken.
        QCOMPARE(runCounts(t)[1], tidied ? 295 : 0);
        if (!tidied)
            QVERIFY(run("--run", 1).startsWith("Moved 296 files into O"));
    }
}

void TestCommandLine::helpInJapanese_data()
{
    QTest::addColumn<QString>("option");
    QTest::newRow("-h") << "-h";
    QTest::newRow("--help") << "--help";
    QTest::newRow("--help-all") << "--help-all";
}

// Every option's line says what it does in Japanese, the toolkit's own two included.
void TestCommandLine::helpInJapanese()
{
    QFETCH(QString, option);
    QProcess program;
    program.setProcessEnvironment(noDisplay());
    program.start(QUORVIX_PROGRAM, { option });
    QVERIFY(program.waitForFinished(60000));
    QCOMPARE(program.exitCode(), 0);
    const QStringList lines = QString::fromUtf8(program.readAllStandardOutput()).split('\n');
    int options = 0;
    for (const QString &line : lines) {
        const QRegularExpressionMatch option = QRegularExpression("^  -.*?  +(.*)$").match(line);
        if (!option.hasMatch())
            continue;
        ++options;
        QVERIFY2(option.captured(1).contains(QRegularExpression("[^\\x00-\\x7f]")), qPrintable(line));
    }
    QCOMPARE(options, 23);
}

void TestCommandLine::stoppedBySignal()
{
    QTemporaryDir tmp(inMemory("tst_commandline"));
    const QString t = tmp.filePath("T");
    QVERIFY(makeScan(t, 20000));
    QProcess program;
    program.setProcessEnvironment(noDisplay());
    program.start(QUORVIX_PROGRAM, { "--run", "-e", "--target", t, "--origs", "O", "--energy", "E", "--seqno", "S" });
    QVERIFY(program.waitForStarted());
    // Once the first file has moved, watched on the file system.
    while (QFileInfo::exists(t + "/a-7000eV-0.img") && program.state() == QProcess::Running)
        QCoreApplication::processEvents();
    QVERIFY(::kill(pid_t(program.processId()), SIGTERM) == 0);
    QVERIFY(program.waitForFinished(60000));
    QCOMPARE(program.exitCode(), 3);
    const QList<int> counts = runCounts(t);
    QCOMPARE(counts, QList<int>({ 20000 - counts[1], counts[1], 2 * counts[1], 0 }));
    QVERIFY2(counts[0] > 0 && counts[1] > 0, "the signal came after the run had ended");
    QVERIFY(program.readAllStandardOutput().startsWith("Stopped after "));
}

// Killed once its first thousand files are moved, a run leaves what its record needs: the next run
// completes it and moves the rest, and two undos, newest first, leave the scan as it was.
void TestCommandLine::killedThenCompletedThenUndone()
{
    QTemporaryDir tmp(inMemory("tst_commandline"));
    const QString t = tmp.filePath("T");
    QVERIFY(makeScan(t, 20000));
    const QStringList before = FsTree::dataTree(t);
    // The status, or -1 when killed once the thousand and first file has gone from the target.
    const auto run = [&](const QString &action, bool kill = false) {
        QProcess program;
        program.setProcessEnvironment(noDisplay());
        program.start(QUORVIX_PROGRAM, { action, "-e", "--target", t, "--origs", "O", "--energy", "E", "--seqno", "S" });
        program.waitForStarted();
        while (kill && QFileInfo::exists(t + "/a-7010eV-0.img") && program.state() == QProcess::Running)
            QCoreApplication::processEvents();
        if (kill)
            program.kill();
        program.waitForFinished(60000);
        return program.exitStatus() == QProcess::CrashExit ? -1 : program.exitCode();
    };
    QCOMPARE(run("--run", true), -1);
    const QList<int> counts = runCounts(t);
    QVERIFY2(counts[0] > 0 && counts[1] > 0, "the kill came after the run had ended");
    QCOMPARE(run("--run"), 0);
    QCOMPARE(runCounts(t), QList<int>({ 0, 20000, 40000, 0 }));
    // The killed run's record says which run completed it.
    const QFileInfoList records = QDir(t + "/.quorvix-data/runs").entryInfoList(QDir::Files, QDir::Name);
    QCOMPARE(records.size(), 2);
    QCOMPARE(QString(FsTree::read(records[0].filePath())).split('\n').filter(QRegularExpression("^completed\t")).value(0).section('\t', 2, 2), records[1].fileName());
    QCOMPARE(QList<int>({ run("--undo"), run("--undo"), run("--undo") }), QList<int>({ 0, 0, 2 }));
    QCOMPARE(FsTree::dataTree(t), before);
}

QTEST_GUILESS_MAIN(TestCommandLine)
// A repair killed once it has rewritten some links of a moved scan leaves each link either as it
// was or rewritten: a second repair finishes, and no temporary name is left.
void TestCommandLine::repairKilledThenFinished()
{
    QTemporaryDir tmp(inMemory("tst_commandline"));
    const QString t = tmp.filePath("T"), moved = tmp.filePath("M");
    QVERIFY(makeScan(t, 20000));
    // The status and the counts of the outcome.
    const auto run = [&](const QString &action, const QString &target, bool kill = false) {
        QProcess program;
        program.setProcessEnvironment(noDisplay());
        program.start(QUORVIX_PROGRAM, { action, "-e", "--json", "--target", target, "--origs", "O", "--energy", "E", "--seqno", "S" });
        program.waitForStarted();
        // Once the first link it meets names the scan where it is now.
        const QString first = moved + "/E/7000_00/a-7000_00eV-0.img";
        while (kill && QFile::symLinkTarget(first) != moved + "/O/a-7000_00eV-0.img" && program.state() == QProcess::Running)
            QCoreApplication::processEvents();
        if (kill)
            program.kill();
        program.waitForFinished(60000);
        const QJsonObject outcome = QJsonDocument::fromJson(program.readAllStandardOutput().trimmed().split('\n').last()).object();
        return QStringList { QString::number(program.exitStatus() == QProcess::CrashExit ? -1 : program.exitCode()),
            QString::number(outcome["in_place"].toInt()), QString::number(outcome["elsewhere"].toInt()) };
    };
    QCOMPARE(run("--run", t).value(0), "0");
    QVERIFY(QDir().rename(t, moved));
    QCOMPARE(run("--repair", moved, true).value(0), "-1");
    const QStringList between = run("--check", moved);
    QVERIFY2(between[1].toInt() > 0 && between[2].toInt() > 0, "the kill came after the repair had ended");
    QCOMPARE(between[1].toInt() + between[2].toInt(), 40000);
    QCOMPARE(run("--repair", moved), QStringList({ "0", between[1], between[2] }));
    QCOMPARE(run("--check", moved), QStringList({ "0", "40000", "0" }));
    QDirIterator temporary(moved, { ".quorvix-data-tmp-*" }, QDir::AllEntries | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
    QVERIFY(!temporary.hasNext());
    QCOMPARE(runCounts(moved), QList<int>({ 0, 20000, 40000, 0 }));
}

#include "tst_commandline.moc"
