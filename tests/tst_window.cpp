// SPDX-License-Identifier: MIT
// The window and its panels: what start-up puts into the fields, the directory dialog, and the
// fields reaching the run that "Exec" starts.
#include "body.h"
#include "paramtable.h"
#include "testsupport.h"

#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTranslator>
#include <QtTest>
#include <sys/stat.h>

class TestWindow : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void settings_data();
    void settings();
    void execAndTheDialog();
    void dialogSpeaksJapaneseUnlessEnglish();

private:
    QScopedPointer<QTemporaryDir> tmp;
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

// The dialog has no parent: findChild cannot see it.
static QFileDialog *dialog()
{
    for (QWidget *w : QApplication::topLevelWidgets()) {
        if (auto *d = qobject_cast<QFileDialog *>(w); d && d->isVisible())
            return d;
    }
    return nullptr;
}

void TestWindow::init()
{
    gConfig = ParamTable();
    tmp.reset(new QTemporaryDir);
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

// The five fields reach the run. The dialog, before a run, after it and open during another,
// lists the directory as it is; cancelled it changes nothing, accepted it sets the target.
void TestWindow::execAndTheDialog()
{
    const QString scan = tmp->filePath("scan");
    QVERIFY(FsTree::make("config.cfg", "Default_Dir " + scan.toUtf8() + "\nOrigs_Dir O\nEnergy_Dir E\nSeqNo_Dir S\nFile_Ext tif\n"));
    for (int i = 1; i <= 200; ++i)
        QVERIFY(FsTree::make(scan + QString("/a-9eV-%1.tif").arg(i), "x"));
    QVERIFY(FsTree::make(scan + "/a-9eV-1.img", "y"));
    const auto listing = [&scan] {
        auto *model = dialog()->findChild<QFileSystemModel *>();
        QStringList names;
        for (int row = 0; row < model->rowCount(model->index(scan)); ++row)
            names << model->index(row, 0, model->index(scan)).data().toString();
        names.sort();
        return names.join(' ');
    };
    Body body(commandLine({ "quorvix-data", "-e" }));
    QSignalSpy chosen(body.findChild<QObject *>("TargetDir"), SIGNAL(selectedItem(QString)));
    click(body, "Select");
    QCOMPARE(dialog()->directory().path(), scan);
    QTRY_COMPARE(listing().count(".tif"), 200);
    dialog()->reject();
    click(body, "Exec");
    QCOMPARE(FsTree::tree(scan).filter("a-9_00eV-1.tif"),
        QStringList({ "E/9_00/a-9_00eV-1.tif>O/a-9_00eV-1.tif", "O/a-9_00eV-1.tif=x", "S/1/a-9_00eV-1.tif>O/a-9_00eV-1.tif" }));
    QCOMPARE(FsTree::tree(scan).size(), 3 + 200 * 3 + 201 + 1);
    click(body, "Select");
    QTRY_COMPARE(listing(), QString("E O S a-9eV-1.img"));
    QVERIFY(FsTree::make(scan + "/b-9eV-1.tif"));
    QTRY_COMPARE(listing(), QString("E O S a-9eV-1.img b-9eV-1.tif"));
    click(body, "Exec");
    QTRY_COMPARE(listing(), QString("E O S a-9eV-1.img"));
    QCOMPARE(fields(body).section('|', 0, 0), scan);
    dialog()->selectFile(scan + "/O");
    QMetaObject::invokeMethod(dialog(), "accept");
    QCOMPARE(fields(body).section('|', 0, 0), scan + "/O");
    QCOMPARE(chosen, QList<QVariantList> { QVariantList { QString(scan + "/O") } });
}

void TestWindow::dialogSpeaksJapaneseUnlessEnglish()
{
    QTranslator translator;
    QVERIFY(translator.load(":Quorvix_ja_JP"));
    for (const bool english : { true, false }) {
        if (!english)
            QCoreApplication::installTranslator(&translator);
        Body body(commandLine({ "quorvix-data" }));
        click(body, "Select");
        QCOMPARE(dialog()->findChild<QDialogButtonBox *>()->button(QDialogButtonBox::Cancel)->text() == "Cancel", english);
        dialog()->reject();
    }
    QCoreApplication::removeTranslator(&translator);
}

QTEST_MAIN(TestWindow)
#include "tst_window.moc"
