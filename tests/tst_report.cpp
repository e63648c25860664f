// SPDX-License-Identifier: MIT
// What a person or a script is told, worked out from values: the sentences in English and in
// Japanese, the exit status of each kind of outcome, and the outcome's JSON.
#include "tidyup/report/jsonlines.h"
#include "tidyup/report/report.h"
#include "tidyup/report/surveyreport.h"
#include "tidyup/survey/surveybuilder.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QLocale>
#include <QTranslator>
#include <QtTest>
#include <cerrno>

class TestReport : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void outcomeText_data();
    void outcomeText();
    void undoText();
    void detailsKeepFilesAndLinksApart();
    void previewText_data();
    void previewText();
    void surveyText_data();
    void surveyText();
    void status_data();
    void status();
    void outcomeJson();

private:
    QTranslator english;
    QTranslator japanese;
};

namespace
{

TidyUp::Settings settings()
{
    return { QStringLiteral("/d/T"), QStringLiteral("O"), QStringLiteral("E"), QStringLiteral("S"), QStringLiteral("img") };
}

// A run of listed files, moved of them moved with two links each but for the links not made for
// linkErrors, the rest not moved for errors.
TidyUp::Outcome outcome(int listed, int moved, const QList<int> &errors = {}, const QList<int> &linkErrors = {})
{
    TidyUp::Outcome o;
    o.dirsReady = true;
    o.listed = o.done = listed;
    o.moved = moved;
    o.linked = 2 * moved;
    o.elapsedMs = 1234;
    for (const int error : errors) {
        o.groups.append({ TidyUp::Failure::Move, Reason(error), 1 });
        ++o.notMoved;
    }
    for (const int error : linkErrors) {
        o.groups.append({ TidyUp::Failure::Link, Reason(error), 1 });
        ++o.linksNotMade;
        --o.linked;
    }
    return o;
}

// A grid of energies × projections in the target, but for the cells missing (numbered row by
// row), its first duplicates cells also in the originals directory.
TidyUp::Survey gridSurvey(int energies, int projections, const QList<int> &missing, int duplicates)
{
    TidyUp::SurveyBuilder builder;
    for (int cell = 0; cell < energies * projections; ++cell) {
        if (missing.contains(cell))
            continue;
        const QByteArray name = "a-" + QByteArray::number(7000 + cell / projections) + "eV-"
            + QByteArray::number(cell % projections + 1) + ".img";
        builder.add(name, TidyUp::SurveyBuilder::Target);
        if (cell < duplicates)
            builder.add(name, TidyUp::SurveyBuilder::Origs);
    }
    return builder.take();
}

QList<int> range(int first, int last)
{
    QList<int> numbers;
    for (int n = first; n <= last; n += 1)
        numbers << n;
    return numbers;
}

} // namespace

void TestReport::initTestCase()
{
    QVERIFY(english.load(QStringLiteral(":/Quorvix_en")) && japanese.load(QStringLiteral(":/Quorvix_ja_JP")));
}

void TestReport::outcomeText_data()
{
    QTest::addColumn<TidyUp::Outcome>("outcome");
    QTest::addColumn<QString>("english");
    QTest::addColumn<QString>("japanese");
    TidyUp::Outcome stopped = outcome(3000, 1);
    stopped.done = 1;
    stopped.stopped = true;
    TidyUp::Outcome refused = outcome(0, 0);
    refused.dirsReady = false;
    refused.dirProblem = QStringLiteral("The entry [O] in [/d/T] is not directory.");
    // clang-format off
    QTest::newRow("whole run") << outcome(3000, 3000) << "Moved 3,000 files into O and made 6,000 links in 1.2 s." << "3,000 個のファイルを O に移動し、6,000 個のリンクを作成しました（1.2 秒）。";
    QTest::newRow("one name taken") << outcome(3, 2, { EEXIST }) << "Moved 2 files into O and made 4 links in 1.2 s. 1 file was not moved: the new name is taken (1)." << "2 個のファイルを O に移動し、4 個のリンクを作成しました（1.2 秒）。 1 個のファイルは移動されませんでした: 新しい名前が使われています (1)。";
    QTest::newRow("four reasons") << outcome(6, 2, { EEXIST, ENOSPC, EACCES, EIO }) << "Moved 2 files into O and made 4 links in 1.2 s. 4 files were not moved: the new name is taken (1), the disk is full (1), permission denied (1), 1 more reason." << "";
    QTest::newRow("files and links, one reason shared") << outcome(3, 2, { EEXIST }, { EEXIST, ENOSPC }) << "Moved 2 files into O and made 2 links in 1.2 s. 1 file was not moved: the new name is taken (1). 2 links were not made: the name is taken (1), the disk is full (1)." << "";
    QTest::newRow("stopped") << stopped << "Stopped after 1 of 3,000 files: moved 1 file and made 2 links." << "";
    QTest::newRow("nothing matched") << outcome(0, 0) << "No file matches *.img in /d/T." << "";
    QTest::newRow("check refused") << refused << "The entry [O] in [/d/T] is not directory. Nothing was moved." << "";
    // clang-format on
}

void TestReport::outcomeText()
{
    QFETCH(TidyUp::Outcome, outcome);
    QFETCH(QString, english);
    QFETCH(QString, japanese);
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    QCoreApplication::installTranslator(&this->english);
    QCOMPARE(Report::outcomeText(outcome, settings()), english);
    QCoreApplication::removeTranslator(&this->english);
    if (japanese.isEmpty())
        return;
    QCoreApplication::installTranslator(&this->japanese);
    QLocale::setDefault(QLocale(QLocale::Japanese, QLocale::Japan));
    const QString text = Report::outcomeText(outcome, settings());
    QCoreApplication::removeTranslator(&this->japanese);
    QCOMPARE(text, japanese);
}

// An undo's outcome says what went back and what stayed.
void TestReport::undoText()
{
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    QCoreApplication::installTranslator(&english);
    TidyUp::UndoOutcome undone;
    static_cast<TidyUp::Counts &>(undone) = outcome(3, 2, { EEXIST });
    QCOMPARE(Report::outcomeText(undone, settings()), QString("Moved 2 files back to /d/T and removed 4 links. 1 file stayed in O with its links."));
    undone.stopped = true;
    undone.done = 1;
    QCOMPARE(Report::outcomeText(undone, settings()), QString("Stopped after 1 of 3 files: moved 2 files back and removed 4 links. 1 file stayed in O with its links."));
    QCoreApplication::removeTranslator(&english);
}

// Details lists a file not moved and a link not made under groups of their own, one reason or not.
void TestReport::detailsKeepFilesAndLinksApart()
{
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    QCoreApplication::installTranslator(&english);
    QStringList headings;
    for (const Report::Group &group : Report::failureGroups(outcome(3, 2, { EEXIST }, { EEXIST })))
        headings << group.heading;
    QCoreApplication::removeTranslator(&english);
    QCOMPARE(headings, QStringList({ "Not moved: the new name is taken (1)", "Link not made: the name is taken (1)" }));
}

void TestReport::previewText_data()
{
    QTest::addColumn<QList<int>>("counts"); // matching, linkable, taken
    QTest::addColumn<QList<int>>("grid"); // energies, projections, cells missing from the end, duplicates
    QTest::addColumn<QStringList>("toCreate");
    QTest::addColumn<QString>("text");
    // clang-format off
    QTest::newRow("grid, a dark frame, a name taken") << QList<int>{ 1001, 1000, 1 } << QList<int>{ 10, 100, 0, 0 } << QStringList{ "E", "S" } << "1,001 files match *.img in /d/T: 1,000 to link (10 energies × 100 projections, complete), 1 without energy and number. 1 file would stay, its new name taken in O. E and S will be created.";
    QTest::newRow("holes and a duplicate") << QList<int>{ 59, 59, 0 } << QList<int>{ 6, 10, 2, 1 } << QStringList{ "O", "E", "S" } << "59 files match *.img in /d/T: 59 to link (6 energies × 10 projections, 2 missing, 1 duplicate). O, E and S will be created.";
    QTest::newRow("no match") << QList<int>{ 0, 0, 0 } << QList<int>{ 0, 0, 0, 0 } << QStringList{ "E" } << "No file matches *.img in /d/T. E will be created.";
    QTest::newRow("none to link") << QList<int>{ 2, 0, 0 } << QList<int>{ 0, 0, 0, 0 } << QStringList{} << "2 files match *.img in /d/T: none to link, 2 without energy and number.";
    // clang-format on
}

void TestReport::previewText()
{
    QFETCH(QList<int>, counts);
    QFETCH(QList<int>, grid);
    QFETCH(QStringList, toCreate);
    QFETCH(QString, text);
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    QCoreApplication::installTranslator(&english);
    TidyUp::Preview preview;
    preview.targetFound = preview.targetIsDir = true;
    preview.matching = counts[0], preview.linkable = counts[1], preview.taken = counts[2];
    preview.toCreate = toCreate;
    preview.survey = gridSurvey(grid[0], grid[1], range(grid[0] * grid[1] - grid[2], grid[0] * grid[1] - 1), grid[3]);
    QCOMPARE(Report::previewText(preview, settings()), text);
    QCoreApplication::removeTranslator(&english);
}

void TestReport::surveyText_data()
{
    QTest::addColumn<QList<int>>("grid"); // energies, projections, duplicates
    QTest::addColumn<QList<int>>("missing"); // cells, numbered row by row
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<QString>("legend");
    // clang-format off
    QTest::newRow("complete") << QList<int>{ 5, 4, 0 } << QList<int>{} << QStringList{ "a-: 5 energies × 4 projections, complete." } << "0 tidied · 20 waiting · 0 missing · 0 duplicate";
    QTest::newRow("holes and a duplicate") << QList<int>{ 6, 10, 1 } << (QList<int>{ 12, 16 } + range(40, 42) + range(56, 59))
        << QStringList{ "a-: 6 energies × 10 projections, 9 missing at 3 energies, 1 duplicate.", "a-, 7001_00 eV: missing 3, 7.", "a-, 7004_00 eV: missing 1–3.", "a-, 7005_00 eV: missing 7–10." } << "0 tidied · 50 waiting · 9 missing · 1 duplicate";
    QTest::newRow("nothing with fields") << QList<int>{ 1, 1, 0 } << QList<int>{ 0 } << QStringList{ "No file with energy and number matches *.img in /d/T." } << "";
    // clang-format on
}

void TestReport::surveyText()
{
    QFETCH(QList<int>, grid);
    QFETCH(QList<int>, missing);
    QFETCH(QStringList, lines);
    QFETCH(QString, legend);
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    QCoreApplication::installTranslator(&english);
    TidyUp::Preview preview;
    preview.targetFound = preview.targetIsDir = true;
    preview.survey = gridSurvey(grid[0], grid[1], missing, grid[2]);
    QCOMPARE(SurveyReport::text(preview, settings()).split('\n'), lines);
    // Past 20 lines the rest of the energies with a hole are counted.
    QCOMPARE(SurveyReport::holeLines(preview.survey, 2).mid(2), lines.size() > 3 ? QStringList{ "… and 1 more energy." } : QStringList());
    QCOMPARE(preview.survey.series.empty() ? QString() : SurveyReport::legend(preview.survey.series.front()), legend);
    QCOMPARE(int(SurveyReport::status(preview)), lines.size() > 1 ? 1 : 0);
    QCoreApplication::removeTranslator(&english);
}

void TestReport::status_data()
{
    QTest::addColumn<TidyUp::Outcome>("outcome");
    QTest::addColumn<bool>("signalled");
    QTest::addColumn<int>("status");
    TidyUp::Outcome refused = outcome(0, 0);
    refused.dirsReady = false;
    TidyUp::Outcome stopped = outcome(3, 1);
    stopped.stopped = true;
    TidyUp::Outcome unlinked = outcome(3, 3);
    unlinked.linksNotMade = 1;
    TidyUp::Outcome untrusted = outcome(3, 3);
    untrusted.failures.append({ TidyUp::Failure::Record, "/d/T/r.tsv", Reason("the line was cut short") });
    QTest::newRow("done") << outcome(3, 3) << false << int(Report::Done);
    QTest::newRow("a file not moved") << outcome(3, 2, { EEXIST }) << false << int(Report::SomeLeft);
    QTest::newRow("a link not made") << unlinked << false << int(Report::SomeLeft);
    QTest::newRow("a record line refused") << untrusted << false << int(Report::SomeLeft);
    QTest::newRow("stopped by a signal") << stopped << true << int(Report::Stopped);
    QTest::newRow("stopped by the record") << stopped << false << int(Report::SomeLeft);
    QTest::newRow("refused before it began") << refused << false << int(Report::BadUsage);
}

void TestReport::status()
{
    QFETCH(TidyUp::Outcome, outcome);
    QFETCH(bool, signalled);
    QFETCH(int, status);
    QCOMPARE(int(Report::status(outcome, signalled)), status);
    TidyUp::Preview preview;
    preview.targetIsDir = outcome.dirsReady;
    QCOMPARE(int(Report::status(preview)), outcome.dirsReady ? 0 : 2);
}

// Every key a script reads, with the outcome's values.
void TestReport::outcomeJson()
{
    TidyUp::UndoOutcome undone;
    static_cast<TidyUp::Counts &>(undone) = outcome(3, 2, { EEXIST });
    const QJsonObject object = QJsonDocument::fromJson(JsonLines::outcome(undone, settings(), 1)).object();
    QStringList values;
    for (const QString &key : object.keys())
        values << key + '=' + object[key].toVariant().toString();
    QCOMPARE(values.join(' '),
        QString("elapsed_ms=1234 failures_not_listed=0 finished=0 linked=4 links_not_made=0 listed=3 moved=2 not_moved=1 "
                "problem= restored=0 settings= status=1 stopped=false type=outcome undone=true"));
    QCOMPARE(object["settings"].toObject()["origs"].toString(), QString("/d/T/O"));
}

QTEST_GUILESS_MAIN(TestReport)
#include "tst_report.moc"
