// SPDX-License-Identifier: MIT
// The program following a measurement as it is written, as a real process beside real writers:
// files tidied once they settle, never one still being written, one record and one Undo for the
// whole follow. The settle times are many times the writers' pauses, and every wait is on the
// program's output or on the tree, with a bound.
#include "tests/testsupport.h"
#include "tidyup/record/runrecord.h"
#include "tidyup/report/report.h"
#include "tidyup/tidyupsession.h"
#include "tidyup/undo.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>
#include <csignal>
#include <memory>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

class TestFollow : public QObject
{
    Q_OBJECT

private slots:
    void usage_data();
    void usage();
    void arrivingFiles();
    void writerAppending();
    void writerHoldingItOpen();
    void stoppedInTheMiddleOfARound();
    void failureToldOnce();
    void killedThenRunThenUndone();
    void foundByPollingOnAFileServer();
};

namespace
{

QProcessEnvironment noDisplay()
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char *name : { "DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM" })
        env.remove(name);
    return env;
}

// The follow of target with the times given, in JSON.
void startFollow(QProcess &program, const QString &target, const QStringList &times)
{
    program.setProcessEnvironment(noDisplay());
    program.start(QUORVIX_PROGRAM,
        QStringList { "--follow", "--json", "-e", "--target", target, "--origs", "O", "--energy", "E", "--seqno", "S" } + times);
}

// The outcome line of a follow that ended, by itself or by SIGTERM, with its exit status; the
// lines before it go into lines.
QJsonObject outcomeOf(QProcess &program, QList<QJsonObject> *lines = nullptr)
{
    if (!program.waitForFinished(60000))
        return {};
    QList<QJsonObject> objects;
    for (const QByteArray &line : program.readAllStandardOutput().trimmed().split('\n'))
        objects << QJsonDocument::fromJson(line).object();
    QJsonObject outcome = objects.takeLast();
    outcome["exit"] = program.exitCode();
    if (lines)
        *lines = objects;
    return outcome;
}

QJsonObject terminated(QProcess &program, QList<QJsonObject> *lines = nullptr)
{
    program.terminate();
    return outcomeOf(program, lines);
}

// The lines of a type, each with the keys given.
QStringList linesOf(const QList<QJsonObject> &lines, const QString &type, const QStringList &keys)
{
    QStringList found;
    for (const QJsonObject &line : lines) {
        if (line["type"] != type)
            continue;
        QStringList values;
        for (const QString &key : keys)
            values << line[key].toVariant().toString();
        found << values.join(' ');
    }
    return found;
}

QString counts(const QJsonObject &outcome)
{
    QStringList values;
    for (const char *key : { "exit", "status", "moved", "linked", "settling" })
        values << key + QString(' ') + QString::number(outcome[key].toInt());
    return values.join(' ') + (outcome["stopped"].toBool() ? " stopped" : "") + (outcome["follow"].toBool() ? " follow" : "");
}

bool makeOld(const QString &path)
{
    const timespec times[2] = { { 0, UTIME_OMIT }, { std::time(nullptr) - 3600, 0 } };
    return ::utimensat(AT_FDCWD, QFile::encodeName(path).constData(), times, 0) == 0;
}

} // namespace

void TestFollow::usage_data()
{
    QTest::addColumn<QString>("args");
    QTest::addColumn<QString>("problem");
    QTest::newRow("a settle time without --follow") << "--run --settle 1" << "--settle goes with --follow.";
    QTest::newRow("an idle time without --follow") << "--until-idle 3" << "--until-idle goes with --follow.";
    QTest::newRow("less than a tenth") << "--follow --settle 0.05" << "--settle takes seconds, 0.1 or more: 0.05";
    QTest::newRow("not a number") << "--follow --poll 2s" << "--poll takes seconds, 0.1 or more: 2s";
    QTest::newRow("a dot without digits") << "--follow --until-idle 1." << "--until-idle takes seconds, 0.1 or more: 1.";
    QTest::newRow("a follow and a run") << "--follow --run" << "Give one of --run, --dry-run, --undo, --check, --repair, --survey and --follow.";
}

void TestFollow::usage()
{
    QFETCH(QString, args);
    QFETCH(QString, problem);
    QTemporaryDir tmp;
    QProcess program;
    program.setProcessEnvironment(noDisplay());
    program.start(QUORVIX_PROGRAM, QString(args + " -e --target " + tmp.path()).split(' '));
    QVERIFY(program.waitForFinished(60000));
    QCOMPARE(program.exitCode(), 2);
    QCOMPARE(QString::fromUtf8(program.readAllStandardError()).section('\n', 0, 0), problem);
    QCOMPARE(QDir(tmp.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden), QStringList());
}

// A finished part of the scan is tidied in the first round; files written while the follow goes
// are tidied as they settle; SIGTERM ends it with status 0, and one Undo restores the whole tree.
void TestFollow::arrivingFiles()
{
    QTemporaryDir tmp(inMemory("tst_follow"));
    const QString t = tmp.filePath("T");
    QVERIFY(makeScan(t, 100));
    for (int i = 0; i < 100; ++i)
        QVERIFY(makeOld(QString("%1/a-%2eV-%3.img").arg(t).arg(7000 + i / 100).arg(i % 100)));
    QProcess program;
    startFollow(program, t, { "--settle", "0.3", "--poll", "0.2" });
    QTRY_COMPARE_WITH_TIMEOUT(runCounts(t), QList<int>({ 0, 100, 200, 0 }), 30000);
    // Written now, after the first rounds: each waits its settle time, then goes.
    QVERIFY(makeScan(t + "/new", 100));
    for (QString name : QDir(t + "/new").entryList(QDir::Files))
        QVERIFY(QFile::rename(t + "/new/" + name, t + '/' + QString(name).replace("a-7000eV", "a-7001eV")));
    QTRY_COMPARE_WITH_TIMEOUT(runCounts(t), QList<int>({ 0, 200, 400, 0 }), 30000);
    // Meanwhile a run, or a second follow, would move what the follow waits for.
    for (const char *action : { "--run", "--follow" }) {
        QProcess other;
        other.setProcessEnvironment(noDisplay());
        other.start(QUORVIX_PROGRAM, { action, "-e", "--target", t, "--origs", "O", "--energy", "E", "--seqno", "S" });
        QVERIFY(other.waitForFinished(60000));
        QCOMPARE(other.exitCode(), 2);
        QCOMPARE(QString::fromUtf8(other.readAllStandardOutput()).trimmed(), "A follow of " + t + " is going; stop it first. Nothing was moved.");
    }
    QList<QJsonObject> lines;
    QCOMPARE(counts(terminated(program, &lines)), QString("exit 0 status 0 moved 200 linked 400 settling 0 stopped follow"));
    // A line for each round, and for each energy that it changed: the last of each says all.
    int moved = 0;
    for (const QString &round : linesOf(lines, "round", { "moved" }))
        moved += round.toInt();
    QCOMPARE(moved, 200);
    QMap<QString, QString> energies;
    for (const QString &energy : linesOf(lines, "energy", { "prefix", "energy", "ev", "files", "projections" }))
        energies[energy.section(' ', 0, 1)] = energy;
    QCOMPARE(energies.values(), QStringList({ "a- 7000_00 7000 100 100", "a- 7001_00 7001 100 100" }));
    // One record for the whole follow, which says so.
    const TidyUp::RecordedRun last = TidyUp::lastRun({ t, "O", "E", "S", "img" });
    QCOMPARE(Report::lastRunText(last).replace(QRegularExpression("\\d+ \\w+ \\d{4} \\d\\d:\\d\\d–\\d\\d:\\d\\d"), "D"),
        "Last run: followed D by " + RunRecord::user() + ", 200 file(s).");
    QProcess undo;
    undo.setProcessEnvironment(noDisplay());
    undo.start(QUORVIX_PROGRAM, { "--undo", "-e", "--target", t, "--origs", "O", "--energy", "E", "--seqno", "S" });
    QVERIFY(undo.waitForFinished(60000));
    QCOMPARE(undo.exitCode(), 0);
    QCOMPARE(runCounts(t), QList<int>({ 200, 0, 0, 0 }));
}

// A writer that opens its file by name for every chunk, pausing far less than the settle time in
// between: the file is moved once, whole, and the follow then ends by itself.
void TestFollow::writerAppending()
{
    QTemporaryDir tmp(inMemory("tst_follow"));
    const QString t = tmp.filePath("T");
    QVERIFY(QDir().mkpath(t));
    QProcess writer;
    writer.start("sh", { "-c", "for i in 1 2 3 4 5 6 7 8; do echo chunk $i >> \"$1\"; sleep 0.1; done", "sh", t + "/a-7000eV-1.img" });
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(t + "/a-7000eV-1.img"), 30000);
    QProcess program;
    startFollow(program, t, { "--settle", "2", "--poll", "0.2", "--until-idle", "1" });
    QVERIFY(writer.waitForFinished(60000));
    QList<QJsonObject> lines;
    QCOMPARE(counts(outcomeOf(program, &lines)), QString("exit 0 status 0 moved 1 linked 2 settling 0 follow"));
    QFile moved(t + "/O/a-7000_00eV-1.img");
    QVERIFY(moved.open(QIODevice::ReadOnly));
    QCOMPARE(moved.readAll().count("chunk"), 8);
    QVERIFY(!QFile::exists(t + "/a-7000eV-1.img"));
    QCOMPARE(linesOf(lines, "round", { "moved", "linked", "settling" }), QStringList({ "1 2 0" }));
}

// A writer of this machine that keeps its file open: the file waits, past its settle time,
// until the writer closes it, while a file written beside it at the same time goes.
void TestFollow::writerHoldingItOpen()
{
    QTemporaryDir tmp(inMemory("tst_follow"));
    const QString t = tmp.filePath("T");
    QVERIFY(QDir().mkpath(t));
    QProcess writer;
    writer.start("sh", { "-c", "exec 3>\"$1\"; echo start >&3; echo open; read line; echo end >&3", "sh", t + "/a-7000eV-1.img" });
    QVERIFY(writer.waitForReadyRead(30000));
    QVERIFY(FsTree::make(t + "/a-7000eV-2.img", "closed"));
    QProcess program;
    startFollow(program, t, { "--settle", "0.3", "--poll", "0.2" });
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(t + "/O/a-7000_00eV-2.img"), 30000);
    // Both were looked at again in the round that took the closed one.
    QVERIFY(QFile::exists(t + "/a-7000eV-1.img"));
    writer.write("done\n");
    QVERIFY(writer.waitForFinished(30000));
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(t + "/O/a-7000_00eV-1.img"), 30000);
    QFile moved(t + "/O/a-7000_00eV-1.img");
    QVERIFY(moved.open(QIODevice::ReadOnly));
    QCOMPARE(moved.readAll(), QByteArray("start\nend\n"));
    QCOMPARE(counts(terminated(program)), QString("exit 0 status 0 moved 2 linked 4 settling 0 stopped follow"));
}

// Stopped after the first file of a round, as SIGTERM stops the command: every file whole, in
// the target or tidied with both links; the others, settled but not moved or not yet looked at,
// stay and count as settling; the record ends. A long listing goes in parts, looked at ahead:
// the next follow takes them all.
void TestFollow::stoppedInTheMiddleOfARound()
{
    QTemporaryDir tmp(inMemory("tst_follow"));
    const QString t = tmp.filePath("T");
    const int files = 3000;
    for (int i = 0; i < files; ++i) {
        const QString name = QString("%1/a-%2eV-%3.img").arg(t).arg(7000 + i / 1000).arg(i % 1000, 4, 10, QChar('0'));
        QVERIFY(FsTree::make(name, "frame " + QByteArray::number(i)) && makeOld(name));
    }
    const QStringList before = FsTree::dataTree(t);
    const TidyUp::Settings settings { t, "O", "E", "S", "img" };
    TidyUpSession session;
    QSignalSpy finished(&session, &TidyUpSession::finished);
    atFirstReport(session, [&session] { session.stop(); });
    session.follow(settings);
    QVERIFY(finished.wait(60000));
    const auto outcome = finished.first().first().value<TidyUp::Outcome>();
    QCOMPARE(QList<int>({ outcome.moved, outcome.linked, outcome.settling, outcome.stopped, Report::status(outcome, true) }), QList<int>({ 1, 2, files - 1, 1, 0 }));
    const QStringList after = FsTree::dataTree(t);
    QCOMPARE(after.filter(QRegularExpression("^[EOS]/.*\\.img")), QStringList({ "E/7000_00/a-7000_00eV-0000.img>O/a-7000_00eV-0000.img", "O/a-7000_00eV-0000.img=frame 0", "S/0000/a-7000_00eV-0000.img>O/a-7000_00eV-0000.img" }));
    QCOMPARE(after.filter(QRegularExpression("^a-")), before.mid(1));
    const TidyUp::RecordedRun last = TidyUp::lastRun(settings);
    QVERIFY(last.followed && last.ended.isValid() && !last.running);

    TidyUp::Settings idle = settings;
    idle.untilIdleMs = 0;
    QSignalSpy rounds(&session, &TidyUpSession::round);
    session.follow(idle);
    QVERIFY(finished.wait(60000));
    QCOMPARE(finished.last().first().value<TidyUp::Outcome>().moved, files - 1);
    QVERIFY(rounds.size() > 1);
    // Each energy's row, as the last round that changed it tells it.
    QMap<QByteArray, quint64> tidied;
    for (const QList<QVariant> &round : rounds) {
        for (const TidyUp::SurveyRowChange &row : round.first().value<TidyUp::Round>().rows)
            tidied[row.energy] = row.tidied;
    }
    QCOMPARE(tidied, (QMap<QByteArray, quint64>({ { "7000_00", 1000 }, { "7001_00", 1000 }, { "7002_00", 1000 } })));
    QCOMPARE(FsTree::dataTree(t).filter(QRegularExpression("^[ES]/.*>O/")).size(), 2 * files);
}

// A file whose new name is taken fails in its round and is left alone after: its failure is
// told once, in the round it came in, however many rounds list it again.
void TestFollow::failureToldOnce()
{
    QTemporaryDir tmp(inMemory("tst_follow"));
    const QString t = tmp.filePath("T");
    QVERIFY(FsTree::make(t + "/O/a-7000_00eV-1.img", "tidied before") && FsTree::make(t + "/a-7000eV-1.img", "second"));
    QVERIFY(makeOld(t + "/a-7000eV-1.img"));
    QProcess program;
    startFollow(program, t, { "--settle", "0.3", "--poll", "0.2" });
    QByteArray output;
    const auto rounds = [&] {
        program.waitForReadyRead(100);
        output += program.readAllStandardOutput();
        return output.count("\"type\":\"round\"");
    };
    QTRY_COMPARE_WITH_TIMEOUT(rounds(), 1, 30000);
    QVERIFY(FsTree::make(t + "/a-7000eV-2.img", "frame"));
    QTRY_COMPARE_WITH_TIMEOUT(rounds(), 2, 30000);
    program.terminate();
    QVERIFY(program.waitForFinished(60000));
    output += program.readAllStandardOutput();
    QCOMPARE(output.count("\"type\":\"failure\""), 1);
    QCOMPARE(program.exitCode(), 1);
    QCOMPARE(FsTree::dataTree(t).filter(".img="), QStringList({ "O/a-7000_00eV-1.img=tidied before", "O/a-7000_00eV-2.img=frame", "a-7000eV-1.img=second" }));
}

// A follow killed between rounds leaves its record open; the next run tidies what came since and
// ends the killed one's work, and two Undos, the newest first, put the scan back.
void TestFollow::killedThenRunThenUndone()
{
    QTemporaryDir tmp(inMemory("tst_follow"));
    const QString t = tmp.filePath("T");
    QVERIFY(makeScan(t, 100));
    const QStringList before = FsTree::dataTree(t);
    for (int i = 0; i < 100; ++i)
        QVERIFY(makeOld(QString("%1/a-7000eV-%2.img").arg(t).arg(i)));
    QProcess program;
    startFollow(program, t, { "--settle", "0.3", "--poll", "0.2" });
    QTRY_COMPARE_WITH_TIMEOUT(runCounts(t), QList<int>({ 0, 100, 200, 0 }), 30000);
    program.kill();
    QVERIFY(program.waitForFinished(30000));
    QVERIFY(FsTree::make(t + "/a-7001eV-1.img"));
    const QStringList args { "-e", "--target", t, "--origs", "O", "--energy", "E", "--seqno", "S" };
    QCOMPARE(QProcess::execute(QUORVIX_PROGRAM, QStringList { "--run" } + args), 0);
    QCOMPARE(runCounts(t), QList<int>({ 0, 101, 202, 0 }));
    for (int undo = 0; undo < 2; ++undo)
        QCOMPARE(QProcess::execute(QUORVIX_PROGRAM, QStringList { "--undo" } + args), 0);
    QCOMPARE(FsTree::dataTree(t), QStringList(before) << "a-7001eV-1.img=");
}

// On a file server, files another client writes are never reported: polling finds them.
void TestFollow::foundByPollingOnAFileServer()
{
    QTemporaryDir tmp(inMemory("tst_follow"));
    const QString server = tmp.filePath("server"), mount = tmp.filePath("mount");
    QVERIFY(QDir().mkpath(server + "/T") && QDir().mkpath(mount));
    if (QProcess::execute(SLOWFS, { "--nfs", server, mount, "0" }) != 0) {
        if (::geteuid() == 0)
            QFAIL("slowfs could not be mounted");
        QSKIP("slowfs could not be mounted: it needs /dev/fuse, and root or fusermount3");
    }
    // Unmounted however the test ends, so that its folder can go.
    const std::unique_ptr<const QString, void (*)(const QString *)> unmount(
        &mount, [](const QString *path) { QProcess::execute("umount", { *path }); });
    QVERIFY(FsTree::make(server + "/T/a-7000eV-1.img", "old frame") && makeOld(server + "/T/a-7000eV-1.img"));
    QProcess program;
    startFollow(program, mount + "/T", { "--settle", "0.3", "--poll", "0.3" });
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(server + "/T/O/a-7000_00eV-1.img"), 30000);
    // Written behind the mount, as by the detector's own server, once the follow waits.
    QVERIFY(FsTree::make(server + "/T/a-7000eV-2.img", "frame"));
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(server + "/T/O/a-7000_00eV-2.img"), 30000);
    QCOMPARE(counts(terminated(program)), QString("exit 0 status 0 moved 2 linked 4 settling 0 stopped follow"));
}

QTEST_GUILESS_MAIN(TestFollow)
#include "tst_follow.moc"
