#include "body.h"
#include "commandline.h"
#include "dirselector.h"
#include "messagecapture.h"
#include "paramtable.h"
#include "tidyupinfo.h"
#include "widgetchecks.h"

#include <QFileDialog>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QSpacerItem>
#include <QTemporaryDir>
#include <QtTest>

using Files = QMap<QString, QByteArray>;

class TestBody : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void settings_data();
    void settings();
    void defaultDirGoesToDialog();
    void form();

private:
    QScopedPointer<QTemporaryDir> tmp;
};

static QStringList fields(Body &body)
{
    auto *target = body.findChild<DirSelector *>(QStringLiteral("TargetDir"));
    auto *info = body.findChild<TidyUpInfo *>(QStringLiteral("TUInfo"));
    return { target->selectedDir(), info->origsDir(), info->energyDir(), info->seqNoDir(),
        info->fileExt() };
}

void TestBody::init()
{
    // The configuration table is process-wide and only grows; every window here starts afresh.
    gConfig = ParamTable();
    tmp.reset(new QTemporaryDir);
    QVERIFY(QDir::setCurrent(tmp->path()));
}

void TestBody::settings_data()
{
    QTest::addColumn<Files>("files");
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QStringList>("expected");
    QTest::addColumn<QStringList>("messages");

    const QStringList defaults { ".", "Origs", "Energy", "SeqNo", "img" };
    const QStringList a { "/data/a", "A", "EA", "SA", "tif" };
    const QByteArray aFile = "Default_Dir /data/a\nOrigs_Dir A\nEnergy_Dir EA\nSeqNo_Dir SA\n"
                             "File_Ext tif\n";
    const Files both { { "config.cfg", aFile }, { "b.cfg", "Origs_Dir B\n" } };
    const QStringList b { ".", "B", "Energy", "SeqNo", "img" };

    QTest::newRow("no options: config.cfg") << both << QStringList {} << a << QStringList {};
    QTest::newRow("-c wins over -config")
        << Files { { "a.cfg", aFile }, { "b.cfg", "Origs_Dir B\n" } }
        << QStringList { "-config", "b.cfg", "-c", "a.cfg" } << a << QStringList {};
    QTest::newRow("-c without value, -config given")
        << both << QStringList { "-c", "-config", "b.cfg" } << b << QStringList {};
    QTest::newRow("-c standing last") << both << QStringList { "-c" } << a << QStringList {};
    QTest::newRow("-config without value") << both << QStringList { "-config" } << defaults
                                           << QStringList { "Can't open config file :  \"\"" };
    QTest::newRow("capital forms not recognised")
        << both << QStringList { "-C", "b.cfg", "-CONFIG", "b.cfg" } << a << QStringList {};
    QTest::newRow("no configuration file")
        << Files {} << QStringList {} << defaults
        << QStringList { "Can't open config file :  \"config.cfg\"" };
    QTest::newRow("keys in any case")
        << Files { { "config.cfg",
               "default_dir /x\nORIGS_DIR o\nenergy_dir e\n"
               "SEQNO_dir s\nfile_ext TIF\n" } }
        << QStringList {} << QStringList { "/x", "o", "e", "s", "TIF" } << QStringList {};
    QTest::newRow("first of duplicate keys")
        << Files { { "config.cfg", "File_Ext one\nFILE_EXT two\n" } } << QStringList {}
        << QStringList { ".", "Origs", "Energy", "SeqNo", "one" } << QStringList {};
    QTest::newRow("empty values stay empty")
        << Files { { "config.cfg", "Default_Dir \"\"\nOrigs_Dir\nFile_Ext # none\n" } }
        << QStringList {} << QStringList { "", "", "Energy", "SeqNo", "" } << QStringList {};
    QTest::newRow("Shift-JIS Japanese names")
        << Files { { "config.cfg",
               QTextCodec::codecForName("Shift-JIS")
                   ->fromUnicode(QStringLiteral("Default_Dir /データ/試料\n"
                                                "Origs_Dir 元データ\n")) } }
        << QStringList {} << QStringList { "/データ/試料", "元データ", "Energy", "SeqNo", "img" }
        << QStringList {};
}

void TestBody::settings()
{
    QFETCH(Files, files);
    QFETCH(QStringList, args);
    QFETCH(QStringList, expected);
    QFETCH(QStringList, messages);
    for (auto it = files.cbegin(); it != files.cend(); ++it) {
        QFile file(it.key());
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(it.value());
    }
    MessageCapture capture;
    Body body(commandLine(QStringList { "quorvix-data" } + args));
    QCOMPARE(fields(body), expected);
    QCOMPARE(capture.lines(), messages);
}

void TestBody::defaultDirGoesToDialog()
{
    QVERIFY(QDir(tmp->path()).mkdir(QStringLiteral("scan")));
    QFile file(QStringLiteral("config.cfg"));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("Default_Dir scan\n");
    file.close();
    Body body(commandLine({ "quorvix-data" }));
    body.findChild<QPushButton *>(QStringLiteral("Select"))->click();
    QFileDialog *dialog = visibleDialogs().value(0);
    QVERIFY(dialog);
    QCOMPARE(dialog->directory().absolutePath(), QDir(QStringLiteral("scan")).absolutePath());
    dialog->close();
}

void TestBody::form()
{
    Body body(commandLine({ "quorvix-data", "-e" }));
    QCOMPARE(body.objectName(), QStringLiteral("Body"));
    QCOMPARE(body.size(), QSize(694, 104));
    QCOMPARE(body.windowTitle(), QStringLiteral("Quorvix Data"));

    auto *central = body.centralWidget();
    QCOMPARE(central->objectName(), QStringLiteral("centralwidget"));
    QCOMPARE(central->layout()->objectName(), QStringLiteral("gridLayout"));
    const QStringList frames { "TargetDir", "TUInfo", "frame" };
    for (int row = 0; row < frames.size(); ++row) {
        auto *frame = central->findChild<QFrame *>(frames[row], Qt::FindDirectChildrenOnly);
        QVERIFY2(frame, qPrintable(frames[row]));
        QCOMPARE(gridCell(frame), QStringLiteral("%1,0,1,1").arg(row));
        QCOMPARE(frame->frameShape(), QFrame::NoFrame);
        QCOMPARE(frame->frameShadow(), QFrame::Raised);
    }
    QVERIFY(
        qobject_cast<DirSelector *>(central->findChild<QWidget *>(QStringLiteral("TargetDir"))));
    QVERIFY(qobject_cast<TidyUpInfo *>(central->findChild<QWidget *>(QStringLiteral("TUInfo"))));

    auto *exec = body.findChild<QPushButton *>(QStringLiteral("Exec"));
    QVERIFY(exec);
    QCOMPARE(exec->text(), QStringLiteral("Exec"));
    QCOMPARE(gridCell(exec), QStringLiteral("0,1,1,1"));
    auto *bottom = qobject_cast<QGridLayout *>(exec->parentWidget()->layout());
    QCOMPARE(bottom->objectName(), QStringLiteral("gridLayout_2"));
    QCOMPARE(bottom->contentsMargins(), QMargins(0, 0, 0, 0));
    QSpacerItem *spacer = bottom->itemAtPosition(0, 0)->spacerItem();
    QVERIFY(spacer);
    QCOMPARE(spacer->sizeHint(), QSize(40, 20));
    QCOMPARE(spacer->sizePolicy().horizontalPolicy(), QSizePolicy::Expanding);

    QCOMPARE(body.menuBar()->objectName(), QStringLiteral("menubar"));
    QVERIFY(body.menuBar()->actions().isEmpty());

    // Tab leaves the target directory for the panel below, and ends on Exec.
    auto *selected = body.findChild<QWidget *>(QStringLiteral("SelectedDir"));
    QCOMPARE(tabOrder(&body, selected, 7),
        (QStringList { "SelectedDir", "Select", "SeqNo", "Energy", "Origs", "FileExt", "Exec" }));
}

QTEST_MAIN(TestBody)
#include "tst_body.moc"
