#include "body.h"
#include "commandline.h"
#include "fstree.h"
#include "messagecapture.h"
#include "paramtable.h"

#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>
#include <sys/stat.h>

// Whole tidy-up runs as the user starts them: fields typed into the window, then "Exec".
class TestTidyUpRun : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void run_data();
    void run();
    void secondRunAddsToTheLayout();
    void emptyTargetIsWorkingDirectory();
    void busyCursorWhileRunning();
    void japaneseNamesKeepTheirBytes();

private:
    QStringList exec(const QStringList &fields);
    QStringList layout(const QString &dir) const;
    QScopedPointer<QTemporaryDir> tmp;
};

void TestTidyUpRun::init()
{
    gConfig = ParamTable();
    tmp.reset(new QTemporaryDir);
    QVERIFY(QDir::setCurrent(tmp->path()));
    QVERIFY(FsTree::make(tmp->filePath("config.cfg")));
}

// Sets target, originals, energy, sequence and extension fields, presses "Exec", and returns
// what the run wrote to the debug channel, with the temporary directory shown as "@".
QStringList TestTidyUpRun::exec(const QStringList &fields)
{
    Body body(commandLine({ "quorvix-data", "-e" }));
    const char *names[] = { "SelectedDir", "Origs", "Energy", "SeqNo", "FileExt" };
    for (int i = 0; i < 5; ++i)
        body.findChild<QLineEdit *>(QLatin1String(names[i]))->setText(fields.at(i));
    MessageCapture capture;
    QTest::mouseClick(body.findChild<QPushButton *>(QStringLiteral("Exec")), Qt::LeftButton);
    return capture.lines().replaceInStrings(tmp->path(), QStringLiteral("@"));
}

// The tree below dir as "path = description" lines, with the temporary directory as "@".
QStringList TestTidyUpRun::layout(const QString &dir) const
{
    QStringList lines;
    const auto tree = FsTree::snapshot(tmp->filePath(dir));
    for (auto it = tree.cbegin(); it != tree.cend(); ++it)
        lines << it.key() + " = " + QString(it.value()).replace(tmp->path(), "@");
    return lines;
}

void TestTidyUpRun::run_data()
{
    QTest::addColumn<QStringList>("files"); // in T; "name/" is a directory; content = name
    QTest::addColumn<QStringList>("fields");
    QTest::addColumn<QStringList>("after"); // the tree below T
    QTest::addColumn<QStringList>("messages");

    const QStringList std { "T", "Origs", "Energy", "SeqNo", "tif" };
    const QStringList dirs { "Energy = dir", "Origs = dir", "SeqNo = dir" };

    QTest::newRow("no data files")
        << QStringList { "dark.txt" } << std << (QStringList { "dark.txt = file:dark.txt" } + dirs)
        << QStringList {};
    QTest::newRow("energies and sequence numbers")
        << QStringList { "sample-850eV-001.tif", "sample-850eV-002.tif", "sample-900_5eV-001.tif" }
        << std
        << QStringList { "Energy = dir", "Energy/850_00 = dir",
               "Energy/850_00/sample-850_00eV-001.tif = link:@/T/Origs/sample-850_00eV-001.tif",
               "Energy/850_00/sample-850_00eV-002.tif = link:@/T/Origs/sample-850_00eV-002.tif",
               "Energy/900_5 = dir",
               "Energy/900_5/sample-900_5eV-001.tif = link:@/T/Origs/sample-900_5eV-001.tif",
               "Origs = dir", "Origs/sample-850_00eV-001.tif = file:sample-850eV-001.tif",
               "Origs/sample-850_00eV-002.tif = file:sample-850eV-002.tif",
               "Origs/sample-900_5eV-001.tif = file:sample-900_5eV-001.tif", "SeqNo = dir",
               "SeqNo/001 = dir",
               "SeqNo/001/sample-850_00eV-001.tif = link:@/T/Origs/sample-850_00eV-001.tif",
               "SeqNo/001/sample-900_5eV-001.tif = link:@/T/Origs/sample-900_5eV-001.tif",
               "SeqNo/002 = dir",
               "SeqNo/002/sample-850_00eV-002.tif = link:@/T/Origs/sample-850_00eV-002.tif" }
        << QStringList {};
    QTest::newRow("extension case ignored, tail kept")
        << QStringList { "a-900eV-1.TIF" } << std
        << QStringList { "Energy = dir", "Energy/900_00 = dir",
               "Energy/900_00/a-900_00eV-1.TIF = link:@/T/Origs/a-900_00eV-1.TIF", "Origs = dir",
               "Origs/a-900_00eV-1.TIF = file:a-900eV-1.TIF", "SeqNo = dir", "SeqNo/1 = dir",
               "SeqNo/1/a-900_00eV-1.TIF = link:@/T/Origs/a-900_00eV-1.TIF" }
        << QStringList {};
    QTest::newRow("matching subdirectory moves whole")
        << QStringList { "d-900eV-2.tif/", "d-900eV-2.tif/inner" } << std
        << QStringList { "Energy = dir", "Energy/900_00 = dir",
               "Energy/900_00/d-900_00eV-2.tif = link:@/T/Origs/d-900_00eV-2.tif", "Origs = dir",
               "Origs/d-900_00eV-2.tif = dir",
               "Origs/d-900_00eV-2.tif/inner = file:d-900eV-2.tif/inner", "SeqNo = dir",
               "SeqNo/2 = dir", "SeqNo/2/d-900_00eV-2.tif = link:@/T/Origs/d-900_00eV-2.tif" }
        << QStringList {};
    QTest::newRow("colliding new names: the second stays, unlinked")
        << QStringList { "a-900eV-1.tif", "a-900_00eV-1.tif" } << std
        << QStringList { "Energy = dir", "Energy/900_00 = dir",
               "Energy/900_00/a-900_00eV-1.tif = link:@/T/Origs/a-900_00eV-1.tif", "Origs = dir",
               "Origs/a-900_00eV-1.tif = file:a-900_00eV-1.tif", "SeqNo = dir", "SeqNo/1 = dir",
               "SeqNo/1/a-900_00eV-1.tif = link:@/T/Origs/a-900_00eV-1.tif",
               "a-900eV-1.tif = file:a-900eV-1.tif" }
        << QStringList { "Can't move \"@/T/a-900eV-1.tif\" to \"@/T/Origs/a-900_00eV-1.tif\": File exists" };
    QTest::newRow("destination taken: no link, no subdirectories")
        << QStringList { "Origs/", "Origs/b-950_00eV-7.tif", "b-950eV-7.tif" } << std
        << (dirs
               + QStringList { "Origs/b-950_00eV-7.tif = file:Origs/b-950_00eV-7.tif",
                   "b-950eV-7.tif = file:b-950eV-7.tif" })
        << QStringList { "Can't move \"@/T/b-950eV-7.tif\" to \"@/T/Origs/b-950_00eV-7.tif\": File exists" };
    QTest::newRow("link in the way is reported, the other made")
        << QStringList { "Energy/900_00/", "Energy/900_00/x-900_00eV-1.tif", "x-900eV-1.tif" }
        << std
        << QStringList { "Energy = dir", "Energy/900_00 = dir",
               "Energy/900_00/x-900_00eV-1.tif = file:Energy/900_00/x-900_00eV-1.tif",
               "Origs = dir", "Origs/x-900_00eV-1.tif = file:x-900eV-1.tif", "SeqNo = dir",
               "SeqNo/1 = dir", "SeqNo/1/x-900_00eV-1.tif = link:@/T/Origs/x-900_00eV-1.tif" }
        << QStringList { "Can't make the link \"@/T/Energy/900_00/x-900_00eV-1.tif\" to "
                         "\"@/T/Origs/x-900_00eV-1.tif\"" };
    QTest::newRow("names without fields are moved, not linked")
        << QStringList { "a-900eV-1.tif", "dark.tif" } << std
        << QStringList { "Energy = dir", "Energy/900_00 = dir",
               "Energy/900_00/a-900_00eV-1.tif = link:@/T/Origs/a-900_00eV-1.tif", "Origs = dir",
               "Origs/a-900_00eV-1.tif = file:a-900eV-1.tif", "Origs/dark.tif = file:dark.tif",
               "SeqNo = dir", "SeqNo/1 = dir",
               "SeqNo/1/a-900_00eV-1.tif = link:@/T/Origs/a-900_00eV-1.tif" }
        << QStringList {};
    QTest::newRow("check fails: two lines, nothing moved")
        << QStringList { "Origs", "a-900eV-1.tif" } << std
        << QStringList { "Energy = dir", "Origs = file:Origs", "SeqNo = dir",
               "a-900eV-1.tif = file:a-900eV-1.tif" }
        << QStringList { "\"The entry [Origs] in [@/T] is not directory.\"",
               "Dirs to tidy up files can not set up well." };
    QTest::newRow("extension * never takes . or ..")
        << QStringList { "noext", "n.txt" } << QStringList { "T", "Origs", "Energy", "SeqNo", "*" }
        << (dirs + QStringList { "Origs/n.txt = file:n.txt", "noext = file:noext" })
        << QStringList {};
    QTest::newRow("empty extension")
        << QStringList { "a.tif" } << QStringList { "T", "Origs", "Energy", "SeqNo", "" }
        << (QStringList { "a.tif = file:a.tif" } + dirs) << QStringList {};
    QTest::newRow("output directories named like data are left alone")
        << QStringList { "raw.tif/", "e.tif/", "sub.tif/", "sub.tif/in" }
        << QStringList { "T", "raw.tif", "e.tif/x", "SeqNo", "tif" }
        << QStringList { "SeqNo = dir", "e.tif = dir", "e.tif/x = dir", "raw.tif = dir",
               "raw.tif/sub.tif = dir", "raw.tif/sub.tif/in = file:sub.tif/in" }
        << QStringList {};
    QTest::newRow("line break in a name")
        << QStringList { "x\ny-900eV-1.tif" } << std
        << QStringList { "Energy = dir", "Energy/900_00 = dir",
               "Energy/900_00/x\ny-900_00eV-1.tif = link:@/T/Origs/x\ny-900_00eV-1.tif",
               "Origs = dir", "Origs/x\ny-900_00eV-1.tif = file:x\ny-900eV-1.tif", "SeqNo = dir",
               "SeqNo/1 = dir", "SeqNo/1/x\ny-900_00eV-1.tif = link:@/T/Origs/x\ny-900_00eV-1.tif" }
        << QStringList {};
    QTest::newRow("Japanese names")
        << QStringList { "試料-850eV-001.tif" }
        << QStringList { "T", "元データ", "エネルギー", "連番", "tif" }
        << QStringList { "エネルギー = dir", "エネルギー/850_00 = dir",
               "エネルギー/850_00/試料-850_00eV-001.tif = link:@/T/元データ/試料-850_00eV-001.tif",
               "元データ = dir", "元データ/試料-850_00eV-001.tif = file:試料-850eV-001.tif",
               "連番 = dir", "連番/001 = dir",
               "連番/001/試料-850_00eV-001.tif = link:@/T/元データ/試料-850_00eV-001.tif" }
        << QStringList {};
}

void TestTidyUpRun::run()
{
    QFETCH(QStringList, files);
    QFETCH(QStringList, fields);
    QFETCH(QStringList, after);
    QFETCH(QStringList, messages);
    QVERIFY(FsTree::make(tmp->filePath("T/")));
    for (const QString &f : files)
        QVERIFY(FsTree::make(tmp->filePath("T/" + f), f.toUtf8()));
    fields[0] = tmp->filePath(fields[0]);

    QCOMPARE(exec(fields), messages);
    after.sort();
    QCOMPARE(layout("T"), after);
}

void TestTidyUpRun::secondRunAddsToTheLayout()
{
    const QStringList fields { tmp->filePath("T"), "Origs", "Energy", "SeqNo", "img" };
    QVERIFY(FsTree::make(tmp->filePath("T/s-850eV-1.img"), "first"));
    QCOMPARE(exec(fields), QStringList {});
    const QStringList firstLayout = layout("T");
    QVERIFY(FsTree::make(tmp->filePath("T/s-850eV-2.img"), "second"));
    QCOMPARE(exec(fields), QStringList {});
    QStringList expected = firstLayout
        + QStringList { "Energy/850_00/s-850_00eV-2.img = link:@/T/Origs/s-850_00eV-2.img",
              "Origs/s-850_00eV-2.img = file:second", "SeqNo/2 = dir",
              "SeqNo/2/s-850_00eV-2.img = link:@/T/Origs/s-850_00eV-2.img" };
    expected.sort();
    QCOMPARE(layout("T"), expected);
}

void TestTidyUpRun::emptyTargetIsWorkingDirectory()
{
    QVERIFY(FsTree::make(tmp->filePath("s-850eV-1.img"), "x"));
    QCOMPARE(exec({ "", "O", "E", "S", "img" }), QStringList {});
    QCOMPARE(FsTree::read(tmp->filePath("O/s-850_00eV-1.img")), QByteArray("x"));
    QCOMPARE(QFileInfo(tmp->filePath("E/850_00/s-850_00eV-1.img")).symLinkTarget(),
        tmp->filePath("O/s-850_00eV-1.img"));
}

void TestTidyUpRun::busyCursorWhileRunning()
{
    static QList<int> shapes;
    shapes.clear();
    QVERIFY(FsTree::make(tmp->filePath("T/Origs/a-9_00eV-1.img")));
    QVERIFY(FsTree::make(tmp->filePath("T/a-9eV-1.img")));
    Body body(commandLine({ "quorvix-data", "-e" }));
    body.findChild<QLineEdit *>(QStringLiteral("SelectedDir"))->setText(tmp->filePath("T"));
    MessageCapture capture;
    // The failed move writes a line while the run is in progress.
    capture.setOnMessage([] {
        const QCursor *cursor = QApplication::overrideCursor();
        shapes << (cursor ? int(cursor->shape()) : -1);
    });
    QTest::mouseClick(body.findChild<QPushButton *>(QStringLiteral("Exec")), Qt::LeftButton);
    QCOMPARE(shapes, QList<int> { int(Qt::WaitCursor) });
    QVERIFY(!QApplication::overrideCursor());
}

// The names on disk must be the UTF-8 bytes of the names shown, not some other encoding.
void TestTidyUpRun::japaneseNamesKeepTheirBytes()
{
    QVERIFY(FsTree::make(tmp->filePath("測定/試料-850eV-001.img"), "x"));
    QCOMPARE(
        exec({ tmp->filePath("測定"), "元データ", "エネルギー", "連番", "img" }), QStringList {});
    for (const char *path :
        { "測定/元データ/試料-850_00eV-001.img", "測定/エネルギー/850_00/試料-850_00eV-001.img",
            "測定/連番/001/試料-850_00eV-001.img" }) {
        struct stat info;
        const QByteArray bytes = QFile::encodeName(tmp->path()) + '/' + path;
        QVERIFY2(::stat(bytes.constData(), &info) == 0, path);
    }
}

QTEST_MAIN(TestTidyUpRun)
#include "tst_tidyuprun.moc"
