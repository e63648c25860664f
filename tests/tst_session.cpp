// SPDX-License-Identifier: MIT
// The session that both faces drive: a run or an undo stopped after its first entry leaves each
// entry done or untouched and can be carried on; what the session reports is what the disk holds.
#include "tests/testsupport.h"
#include "tidyup/tidyupsession.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

class TestSession : public QObject
{
    Q_OBJECT

private slots:
    void stop_data();
    void stop();
};

using Counts = QList<int>;

// clang-format off
void TestSession::stop_data()
{
    QTest::addColumn<QString>("steps"); // run or undo, "!" stopped at the first report
    QTest::addColumn<QList<Counts>>("outcomes"); // after each step: done, moved, linked, stopped (an undo is done with every file its record names)
    QTest::addColumn<Counts>("tree"); // untouched, moved, links, broken links at the end
    QTest::newRow("run stopped, then run again") << "run! run" << QList<Counts>{ { 1, 1, 2, 1 }, { 299, 298, 596, 0 } } << Counts{ 1, 299, 598, 0 };
    QTest::newRow("undo stopped, then undone again") << "run undo! undo" << QList<Counts>{ { 300, 299, 598, 0 }, { 1, 1, 2, 1 }, { 300, 298, 596, 0 } } << Counts{ 300, 0, 0, 0 };
    QTest::newRow("stopped run undone") << "run! undo" << QList<Counts>{ { 1, 1, 2, 1 }, { 64, 1, 2, 0 } } << Counts{ 300, 0, 0, 0 };
}
// clang-format on

void TestSession::stop()
{
    QFETCH(QString, steps);
    QFETCH(QList<Counts>, outcomes);
    QFETCH(Counts, tree);
    QTemporaryDir tmp(inMemory("tst_session"));
    const QString scan = tmp.filePath("scan");
    QVERIFY(makeScan(scan, 300) && FsTree::make(scan + "/O/a-7002_00eV-99.img", "taken"));
    const QStringList before = FsTree::dataTree(scan);
    TidyUpSession session;
    QSignalSpy finished(&session, &TidyUpSession::finished);
    QSignalSpy undone(&session, &TidyUpSession::undone);
    QList<Counts> seen;
    for (const QString &step : steps.split(' ')) {
        if (step.endsWith('!'))
            atFirstReport(session, [&session] { session.stop(); });
        if (step.startsWith("run"))
            session.run({ scan, "O", "E", "S", "img" });
        else
            session.undo({ scan, "O", "E", "S", "img" });
        QSignalSpy &ended = step.startsWith("run") ? finished : undone;
        QVERIFY(ended.wait(60000));
        const auto outcome = step.startsWith("run") ? TidyUp::Counts(ended.takeFirst().at(0).value<TidyUp::Outcome>())
                                                    : TidyUp::Counts(ended.takeFirst().at(0).value<TidyUp::UndoOutcome>());
        seen << Counts { outcome.done, outcome.moved, outcome.linked, outcome.stopped };
    }
    QCOMPARE(seen, outcomes);
    QCOMPARE(runCounts(scan), tree);
    if (tree[0] == 300)
        QCOMPARE(FsTree::dataTree(scan), before);
}

QTEST_GUILESS_MAIN(TestSession)
#include "tst_session.moc"
