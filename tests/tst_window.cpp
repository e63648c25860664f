// SPDX-License-Identifier: MIT
// The window and its panels: what start-up puts into the fields, the directory dialog, the
// fields reaching the run that "Exec" starts, and the status bar that follows the run.
#include "ui/body.h"
#include "ui/detailswindow.h"
#include "ui/dirselector.h"
#include "ui/scanview.h"
#include "params/paramtable.h"
#include "tests/testsupport.h"
#include "tidyup/record/runrecord.h"
#include "tidyup/tidyupsession.h"

#include <QFileDialog>
#include <QListView>
#include <QFileSystemModel>
#include <QAccessible>
#include <QAction>
#include <QLineEdit>
#include <QTreeWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTranslator>
#include <QtTest>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

class TestWindow : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void settings_data();
    void settings();
    void execAndTheDialog();
    void captionsNameTheFields();
    void statusBar_data();
    void statusBar();
    void preview_data();
    void preview();
    void undo();
    void follow();

private:
    QScopedPointer<QTemporaryDir> tmp;
    QTranslator plurals;
};

static QString fields(Body &body)
{
    QStringList texts;
    for (const char *name : { "SelectedDir", "Origs", "Energy", "SeqNo", "FileExt" })
        texts << body.findChild<QLineEdit *>(name)->text();
    return texts.join('|');
}

static void click(Body &body, const char *button)
{
    QTest::mouseClick(body.findChild<QPushButton *>(button), Qt::LeftButton);
}

// Clicks "Exec" and lets the run end.
static bool exec(Body &body)
{
    click(body, "Exec");
    return QTest::qWaitFor([&body] { return body.findChild<QPushButton *>("Exec")->isEnabled(); }, 60000);
}

// The cells of the scan view's series, tidied, waiting, missing and duplicate; then what it says
// of itself.
static QString scanCells(Body &body)
{
    auto *view = body.findChild<ScanView *>("Scan");
    if (view->survey().series.empty())
        return "no survey";
    const TidyUp::SurveySeries &series = view->survey().series.front();
    QAccessibleInterface *described = QAccessible::queryAccessibleInterface(view);
    return QString("%1 %2 %3 %4 %5: %6").arg(series.tidied).arg(series.waiting).arg(series.missing).arg(series.duplicates)
        .arg(described->text(QAccessible::Name), described->text(QAccessible::Description).section('\n', 0, 0));
}

// The dialog has no parent: findChild cannot see it.
static QFileDialog *dialog()
{
    for (QWidget *w : QApplication::topLevelWidgets()) {
        if (auto *d = qobject_cast<QFileDialog *>(w); d && d->isVisible())
            return d;
    }
    return nullptr;
}

void TestWindow::initTestCase()
{
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    QVERIFY(plurals.load(":/Quorvix_en") && QCoreApplication::installTranslator(&plurals));
}

void TestWindow::init()
{
    gConfig = ParamTable();
    tmp.reset(new QTemporaryDir(inMemory("tst_window")));
    QVERIFY(QDir::setCurrent(tmp->path()));
}

// clang-format off
void TestWindow::settings_data()
{
    QTest::addColumn<QString>("args");
    QTest::addColumn<QString>("expected");
    QTest::newRow("config.cfg by default, keys in any case") << "" << "/d|o|e|s|tif";
    QTest::newRow("-c wins over -config") << "-config config.cfg -c other.cfg" << "other|Origs|Energy|SeqNo|img";
    QTest::newRow("empty -c falls back on -config") << "-c -config other.cfg" << "other|Origs|Energy|SeqNo|img";
    QTest::newRow("missing file, empty value") << "-c empty.cfg" << ".||Energy|SeqNo|img";
    QTest::newRow("FIFO: at once, defaults, one line") << "-c fifo" << ".|Origs|Energy|SeqNo|img\nCan't open config file :  \"fifo\"";
}
// clang-format on

void TestWindow::settings()
{
    QFETCH(QString, args);
    QFETCH(QString, expected);
    QVERIFY(FsTree::make("config.cfg", "default_dir /d\nORIGS_DIR o\nEnergy_Dir e\nSeqNo_Dir s\nFile_Ext tif\n"));
    QVERIFY(FsTree::make("other.cfg", "Default_Dir other\n"));
    QVERIFY(FsTree::make("empty.cfg", "Origs_Dir \"\"\n") && ::mkfifo("fifo", 0600) == 0);
    MessageCapture capture;
    Body body(commandLine(QString("quorvix-data -e " + args).split(' ', Qt::SkipEmptyParts)));
    QCOMPARE(QStringList(fields(body)) + capture.lines, expected.split('\n'));
}

// The five fields reach the run. The dialog, open during a run or shown again after one, lists
// the directory as it is, without handling each moved file on view; cancelled it changes
// nothing, accepted it sets the target.
void TestWindow::execAndTheDialog()
{
    const QString scan = tmp->filePath("scan");
    QVERIFY(FsTree::make("config.cfg", "Default_Dir " + scan.toUtf8() + "\nOrigs_Dir O\nEnergy_Dir E\nSeqNo_Dir S\nFile_Ext tif\n"));
    const auto make = [&scan](const char *prefix) {
        for (int i = 1; i <= 200; ++i) {
            if (!FsTree::make(scan + QString("/%1-9eV-%2.tif").arg(prefix).arg(i), "x"))
                return false;
        }
        return true;
    };
    QVERIFY(make("a") && FsTree::make(scan + "/a-9eV-1.img", "y"));
    // What the dialog's view shows.
    const auto listing = [] {
        const auto *view = dialog()->findChild<QListView *>("listView");
        QStringList names;
        for (int row = 0; row < view->model()->rowCount(view->rootIndex()); ++row)
            names << view->model()->index(row, 0, view->rootIndex()).data().toString();
        names.sort();
        return names.join(' ');
    };
    Body body(commandLine({ "quorvix-data", "-e" }));
    // A receiver of the choice reads the new target from the field.
    QStringList chosen;
    connect(body.findChild<DirSelector *>("TargetDir"), &DirSelector::selectedItem, this,
        [&](const QString &dir) { chosen << dir + '|' + fields(body).section('|', 0, 0); });
    click(body, "Select");
    QCOMPARE(dialog()->directory().path(), scan);
    QTRY_COMPARE(listing().count(".tif"), 200);
    // Rows the model took off the view one by one, each a search through all of them.
    int removed = 0;
    auto *model = dialog()->findChild<QFileSystemModel *>();
    connect(model, &QAbstractItemModel::rowsRemoved, this, [&removed](const QModelIndex &, int first, int last) { removed += last - first + 1; });
    connect(model, &QAbstractItemModel::modelReset, this, [&removed] { ++removed; });
    // From the run's first report on, the dialog shows none of the files it moves away.
    QString duringTheRun;
    const QMetaObject::Connection firstReport = connect(body.findChild<TidyUpSession *>(), &TidyUpSession::progress, this, [&] {
        if (duringTheRun.isEmpty())
            duringTheRun = listing();
    });
    QVERIFY(exec(body));
    disconnect(firstReport);
    QCOMPARE(duringTheRun.count(".tif"), 0);
    QTRY_COMPARE(listing(), QString("E O S a-9eV-1.img"));
    QCOMPARE(removed, 0);
    // Files seen by the dialog, then moved while it is closed.
    QVERIFY(make("b"));
    QTRY_COMPARE(listing().count(".tif"), 200);
    dialog()->reject();
    QVERIFY(exec(body));
    click(body, "Select");
    QTRY_COMPARE(listing(), QString("E O S a-9eV-1.img"));
    QCOMPARE(removed, 0);
    QVERIFY(FsTree::make(scan + "/c-9eV-1.tif"));
    QTRY_COMPARE(listing(), QString("E O S a-9eV-1.img c-9eV-1.tif"));
    QCOMPARE(fields(body).section('|', 0, 0), scan);
    // As typed into the dialog's name field.
    QTest::keyClicks(dialog()->findChild<QLineEdit *>("fileNameEdit"), "O");
    QMetaObject::invokeMethod(dialog(), "accept");
    QCOMPARE(fields(body).section('|', 0, 0), scan + "/O");
    QCOMPARE(chosen, QStringList { scan + "/O|" + scan + "/O" });
}

// A screen reader names each field by its caption.
void TestWindow::captionsNameTheFields()
{
    Body body(commandLine({ "quorvix-data", "-e" }));
    QStringList names;
    for (const char *name : { "SelectedDir", "Origs", "Energy", "SeqNo", "FileExt" })
        names << QAccessible::queryAccessibleInterface(body.findChild<QLineEdit *>(name))->text(QAccessible::Name);
    QCOMPARE(names, QStringList({ "Target", "Original Files", "Tidy Up by Eng.", "Tidy Up by seq. No.", "File Ext." }));
}

// clang-format off
void TestWindow::statusBar_data()
{
    QTest::addColumn<QString>("action"); // at the first progress report
    QTest::addColumn<int>("moved");
    QTest::addColumn<QString>("outcome"); // @: the target
    QTest::addColumn<QString>("groups"); // in Details: groups, each with its entries: what, file, reason
    QTest::newRow("whole run, one name taken") << "" << 2999 << "Moved 2,999 files into O and made 5,998 links in T s. 1 file was not moved: the new name is taken (1)." << "Not moved: the new name is taken (1) [Not moved|a-7029eV-99.img|File exists]";
    QTest::newRow("Stop") << "Stop" << 1 << "Stopped after 1 of 3,000 files: moved 1 file and made 2 links." << "";
    QTest::newRow("window closed") << "close" << 1 << "" << "";
    QTest::newRow("directory check fails") << "check" << 0 << "The entry [O] in [@] is not directory. Nothing was moved." << "Output directory: not a directory (1) [Output directory|O|Not a directory]";
    QTest::newRow("after a run killed between a link and an unlink") << "killed" << 3000 << "Moved 2,999 files into O and made 5,998 links in T s. Finished 1 move that an interrupted run had left. Made 2 links that an interrupted run had left." << "";
}
// clang-format on

// During a run the fields are disabled and the status bar counts; afterwards it says what the
// run did, which is what the file system holds, and "Details" lists the lines the run wrote.
void TestWindow::statusBar()
{
    QFETCH(QString, action);
    QFETCH(int, moved);
    QFETCH(QString, outcome);
    QFETCH(QString, groups);
    const QString scan = tmp->filePath("scan");
    const QString fixture = action == "check" ? "/O" : action == "killed" ? "/O/.quorvix-data-run-x1" : "/O/a-7029_00eV-99.img";
    QVERIFY(makeScan(scan, 3000) && FsTree::make(scan + fixture, "taken"));
    QVERIFY(action != "killed" || ::link(qPrintable(scan + "/a-7000eV-0.img"), qPrintable(scan + "/O/a-7000_00eV-0.img")) == 0);
    QVERIFY(FsTree::make("config.cfg", "Default_Dir " + scan.toUtf8() + "\nOrigs_Dir O\nEnergy_Dir E\nSeqNo_Dir S\n"));
    QScopedPointer<Body> body(new Body(commandLine({ "quorvix-data", "-e" })));
    body->show();
    auto *progress = body->findChild<QProgressBar *>("progress");
    QSignalSpy reports(progress, SIGNAL(valueChanged(int)));
    QStringList enabled;
    connect(progress, &QProgressBar::valueChanged, body.data(), [&] {
        for (QWidget *w : body->findChildren<QWidget *>(QRegularExpression("^(SelectedDir|Select|Origs|Energy|SeqNo|FileExt|Exec)$")))
            enabled << (w->isEnabled() ? w->objectName() : "");
    });
    if (action == "Stop" || action == "close")
        atFirstReport(*body->findChild<TidyUpSession *>(), [&body, action] { action == "Stop" ? click(*body, "Stop") : void(body->close()); });
    MessageCapture capture;
    if (action == "close") {
        // Closing the window ends the event loop, and the run has stopped once the window is gone.
        click(*body, "Exec");
        QCOMPARE(QApplication::exec(), 0);
        body.reset();
    } else {
        QVERIFY(exec(*body));
    }
    const QList<int> counts = runCounts(scan);
    QCOMPARE(counts, QList<int>({ 3000 - counts[1], counts[1], 2 * counts[1], 0 }));
    QCOMPARE(counts[1], moved);
    QVERIFY((action != "" || reports.size() > 1) && enabled.join("").isEmpty());
    if (!body)
        return;
    auto *details = body->findChild<QPushButton *>("Details");
    QCOMPARE(body->findChild<QLabel *>("outcome")->text().replace(QRegularExpression("in [0-9.]+ s"), "in T s"), outcome.replace("@", scan));
    QCOMPARE(details->isVisible(), !groups.isEmpty());
    if (groups.isEmpty())
        return;
    QTest::mouseClick(details, Qt::LeftButton);
    auto *window = body->findChild<DetailsWindow *>();
    QCOMPARE(QString(window->report()).replace(QRegularExpression("in [0-9.]+ s"), "in T s"), outcome + "\n\n" + capture.lines.join('\n') + '\n');
    QStringList shown;
    const auto *tree = window->findChild<QTreeWidget *>();
    for (int i = 0; i < tree->topLevelItemCount(); ++i) {
        shown << tree->topLevelItem(i)->text(0);
        for (int j = 0; j < tree->topLevelItem(i)->childCount(); ++j) {
            const QTreeWidgetItem *entry = tree->topLevelItem(i)->child(j);
            shown << '[' + entry->text(0) + '|' + entry->text(1) + '|' + entry->text(2) + ']';
        }
    }
    QCOMPARE(shown.join(' '), groups);
}

// clang-format off
void TestWindow::preview_data()
{
    QTest::addColumn<QString>("field"); // edited after the window opened; "" for none
    QTest::addColumn<QString>("value"); // "@": the target
    QTest::addColumn<QString>("text");
    QTest::newRow("grid, a dark frame, a name taken") << "" << "" << "1,001 files match *.img in @: 1,000 to link (10 energies × 100 projections, 1 duplicate), 1 without energy and number. 1 file would stay, its new name taken in O. E and S will be created.";
    QTest::newRow("missing target") << "SelectedDir" << "@/missing" << "@/missing does not exist.";
    QTest::newRow("target is a file") << "SelectedDir" << "@/dark.img" << "@/dark.img is not a directory.";
    QTest::newRow("output name is a file") << "Origs" << "dark.img" << "The entry [dark.img] in [@] is not directory.";
    QTest::newRow("new originals directory") << "Origs" << "P" << "1,001 files match *.img in @: 1,000 to link (10 energies × 100 projections, complete), 1 without energy and number. P, E and S will be created.";
}
// clang-format on

// What Exec would do, brought up to date after an edit, without changing the directory.
void TestWindow::preview()
{
    QFETCH(QString, field);
    QFETCH(QString, value);
    QFETCH(QString, text);
    const QString scan = tmp->filePath("scan");
    QVERIFY(makeScan(scan, 1000));
    for (const char *name : { "dark.img", "O/a-7009_00eV-99.img" })
        QVERIFY(FsTree::make(scan + '/' + name));
    QVERIFY(FsTree::make("config.cfg", "Default_Dir " + scan.toUtf8() + "\nOrigs_Dir O\nEnergy_Dir E\nSeqNo_Dir S\n"));
    const QStringList before = FsTree::dataTree(scan);
    Body body(commandLine({ "quorvix-data", "-e" }));
    if (!field.isEmpty())
        body.findChild<QLineEdit *>(field)->setText(QString(value).replace("@", scan));
    QTRY_COMPARE(body.findChild<QLabel *>("preview")->text(), text.replace("@", scan));
    QCOMPARE(FsTree::dataTree(scan), before);
}

// Undo is offered after a run, after a second one that found nothing to do, and after a restart,
// where the status bar names the last run; it puts the scan back as it was, says so, and is
// offered no more.
void TestWindow::undo()
{
    const QString scan = tmp->filePath("scan");
    QVERIFY(makeScan(scan, 3000) && FsTree::make(scan + "/O/a-7029_00eV-99.img", "taken"));
    QVERIFY(FsTree::make("config.cfg", "Default_Dir " + scan.toUtf8() + "\nOrigs_Dir O\nEnergy_Dir E\nSeqNo_Dir S\n"));
    const QStringList before = FsTree::dataTree(scan);
    {
        Body first(commandLine({ "quorvix-data", "-e" }));
        first.show();
        // The scan's grid is the scan's, before a run and after it and its undo.
        QTRY_COMPARE_WITH_TIMEOUT(scanCells(first), QString("0 2999 0 1 Scan: a-: 30 energies × 100 projections, 1 duplicate."), 60000);
        QVERIFY(exec(first) && first.findChild<QPushButton *>("Undo")->isVisible());
        QTRY_COMPARE_WITH_TIMEOUT(scanCells(first), QString("2999 0 0 1 Scan: a-: 30 energies × 100 projections, 1 duplicate."), 60000);
        // Exec again with nothing left to do: Undo is still the first run's.
        QVERIFY(exec(first));
        QTRY_VERIFY(first.findChild<QPushButton *>("Undo")->isVisible());
    }
    Body body(commandLine({ "quorvix-data", "-e" }));
    body.show();
    auto *undo = body.findChild<QPushButton *>("Undo");
    auto *outcome = body.findChild<QLabel *>("outcome");
    QTRY_VERIFY(undo->isVisible());
    QCOMPARE(outcome->text().replace(QRegularExpression("^Last run: \\d+ \\w+ \\d{4} \\d\\d:\\d\\d by "), "Last run: D by "),
        "Last run: D by " + RunRecord::user() + ", 2,999 files.");
    // A tidied scan offers a check of its links, which changes nothing: the file that was in O
    // before the run has none.
    QTRY_VERIFY(body.findChild<QPushButton *>("Check")->isVisible());
    body.resize(body.minimumSizeHint().width(), body.height());
    click(body, "Check");
    QVERIFY(QTest::qWaitFor([&body] { return body.findChild<QPushButton *>("Exec")->isEnabled(); }, 60000));
    QCOMPARE(outcome->text(), "Checked 6,000 links in " + scan + ": 5,998 in place, 0 elsewhere, 2 missing, 0 not a link.");
    // Wrapped onto several lines beside four buttons, the status grows the window, not over the fields.
    QTRY_VERIFY(body.statusBar()->height() > 3 * body.fontMetrics().height());
    QTRY_VERIFY(body.centralWidget()->y() >= 0 && body.statusBar()->y() > body.centralWidget()->geometry().bottom());
    // Repair makes them, and is not offered again; Undo leaves them, as the run did not make them.
    QTRY_VERIFY(body.findChild<QPushButton *>("Repair")->isVisible());
    click(body, "Repair");
    QVERIFY(QTest::qWaitFor([&body] { return body.findChild<QPushButton *>("Exec")->isEnabled(); }, 60000));
    QCOMPARE(outcome->text(), "Repaired 2 links in " + scan + ": 2 made, 0 rewritten.");
    QTRY_VERIFY(undo->isVisible());
    QVERIFY(!body.findChild<QPushButton *>("Repair")->isVisible());
    click(body, "Undo");
    QVERIFY(QTest::qWaitFor([&body] { return body.findChild<QPushButton *>("Exec")->isEnabled(); }, 60000));
    QCOMPARE(outcome->text(), "Moved 2,999 files back to " + scan + " and removed 5,998 links.");
    QTRY_VERIFY(!undo->isVisible());
    QTRY_COMPARE_WITH_TIMEOUT(scanCells(body), QString("0 2999 0 1 Scan: a-: 30 energies × 100 projections, 1 duplicate."), 60000);
    QStringList repaired = before;
    repaired << "E/" << "E/7029_00/" << "E/7029_00/a-7029_00eV-99.img>O/a-7029_00eV-99.img" << "S/" << "S/99/" << "S/99/a-7029_00eV-99.img>O/a-7029_00eV-99.img";
    repaired.sort();
    QCOMPARE(FsTree::dataTree(scan), repaired);
}

// With Follow in the configuration, Exec follows the scan: the status bar says what it has tidied,
// with Stop and without Undo, Check or Repair; files written meanwhile are tidied, and the grid
// shows the hole between the projections written; Stop ends it with the outcome and offers Undo,
// which takes the whole follow back.
void TestWindow::follow()
{
    const QString scan = tmp->filePath("scan");
    QVERIFY(makeScan(scan, 100));
    const timespec old[2] = { { 0, UTIME_OMIT }, { std::time(nullptr) - 3600, 0 } };
    for (const QString &name : QDir(scan).entryList(QDir::Files))
        QVERIFY(::utimensat(AT_FDCWD, QFile::encodeName(scan + '/' + name).constData(), old, 0) == 0);
    const QStringList before = FsTree::dataTree(scan);
    QVERIFY(FsTree::make("config.cfg", "Default_Dir " + scan.toUtf8() + "\nOrigs_Dir O\nEnergy_Dir E\nSeqNo_Dir S\nFollow 1\nSettle_Seconds 0.3\n"));
    Body body(commandLine({ "quorvix-data", "-e" }));
    body.show();
    auto *action = body.findChild<QAction *>("actionFollowTheScan");
    QVERIFY(action->isChecked());
    click(body, "Exec");
    auto *outcome = body.findChild<QLabel *>("outcome");
    const auto following = [&] { return outcome->text().replace(QRegularExpression(" since \\d\\d:\\d\\d:"), " since T:"); };
    QTRY_COMPARE_WITH_TIMEOUT(following(), "Following " + scan + " since T: 100 files tidied, 0 settling.", 30000);
    QVERIFY(!action->isEnabled() && body.findChild<QPushButton *>("Stop")->isVisible());
    for (const char *button : { "Undo", "Check", "Repair" })
        QVERIFY(!body.findChild<QPushButton *>(button)->isVisible());
    QTRY_COMPARE_WITH_TIMEOUT(scanCells(body), QString("100 0 0 0 Scan: a-: 1 energy × 100 projections, complete."), 30000);
    for (const int projection : { 0, 1, 2, 9 })
        QVERIFY(FsTree::make(QString("%1/a-7001eV-%2.img").arg(scan).arg(projection), "new"));
    QTRY_COMPARE_WITH_TIMEOUT(following(), "Following " + scan + " since T: 104 files tidied, 0 settling.", 30000);
    QTRY_COMPARE_WITH_TIMEOUT(scanCells(body), QString("104 0 96 0 Scan: a-: 2 energies × 100 projections, 96 missing at 1 energy."), 30000);
    click(body, "Stop");
    QVERIFY(QTest::qWaitFor([&body] { return body.findChild<QPushButton *>("Exec")->isEnabled(); }, 60000));
    QCOMPARE(outcome->text().section(" in ", 0, 0), "Moved 104 files into O and made 208 links");
    QTRY_VERIFY(body.findChild<QPushButton *>("Undo")->isVisible());
    click(body, "Undo");
    QVERIFY(QTest::qWaitFor([&body] { return body.findChild<QPushButton *>("Exec")->isEnabled(); }, 60000));
    QCOMPARE(outcome->text(), "Moved 104 files back to " + scan + " and removed 208 links.");
    QStringList after = FsTree::dataTree(scan).filter(QRegularExpression("^a-"));
    QCOMPARE(after.mid(0, 100), before.filter(QRegularExpression("^a-")));

    // Stop does not wait for files still being written (those written a moment ago): they stay,
    // and the outcome says so.
    QVERIFY(QFile::remove("config.cfg") && FsTree::make("config.cfg", "Default_Dir " + scan.toUtf8() + "\nOrigs_Dir O\nEnergy_Dir E\nSeqNo_Dir S\nFollow 1\nSettle_Seconds 600\n"));
    gConfig = ParamTable();
    Body waiting(commandLine({ "quorvix-data", "-e" }));
    waiting.show();
    QVERIFY(FsTree::make(scan + "/a-7002eV-1.img", "being written"));
    click(waiting, "Exec");
    auto *status = waiting.findChild<QLabel *>("outcome");
    QTRY_COMPARE_WITH_TIMEOUT(status->text().section(": ", 1), "100 files tidied, 5 settling.", 30000);
    click(waiting, "Stop");
    QVERIFY(QTest::qWaitFor([&waiting] { return waiting.findChild<QPushButton *>("Exec")->isEnabled(); }, 60000));
    QVERIFY2(status->text().endsWith("5 files were still being written and stay in " + scan + "."), qPrintable(status->text()));
}

QTEST_MAIN(TestWindow)
#include "tst_window.moc"
