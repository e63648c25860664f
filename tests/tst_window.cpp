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

class TestWindow : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void settings_data();
    void settings();
    void dialogAcceptAndCancel();
    void execRunsWithTheFields();
    void dialogShowsTheDirectoryAsItIs();
    void dialogSpeaksJapaneseUnlessEnglish();

private:
    QString fields(Body &body) const;
    void click(Body &body, const char *button) const;
    QFileDialog *dialog() const;
    QScopedPointer<QTemporaryDir> tmp;
};

void TestWindow::init()
{
    gConfig = ParamTable();
    tmp.reset(new QTemporaryDir);
    QVERIFY(QDir::setCurrent(tmp->path()));
}

QString TestWindow::fields(Body &body) const
{
    QStringList texts;
    for (const char *name : { "SelectedDir", "Origs", "Energy", "SeqNo", "FileExt" })
        texts << body.findChild<QLineEdit *>(name)->text();
    return texts.join('|');
}

void TestWindow::click(Body &body, const char *button) const
{
    QTest::mouseClick(body.findChild<QPushButton *>(button), Qt::LeftButton);
}

QFileDialog *TestWindow::dialog() const
{
    for (QWidget *w : QApplication::topLevelWidgets()) {
        if (auto *d = qobject_cast<QFileDialog *>(w); d && d->isVisible())
            return d;
    }
    return nullptr;
}

// clang-format off
void TestWindow::settings_data()
{
    QTest::addColumn<QString>("args");
    QTest::addColumn<QString>("expected");
    QTest::newRow("config.cfg by default") << "" << "/d|o|e|s|tif";
    QTest::newRow("-c") << "-c other.cfg" << "other|Origs|Energy|SeqNo|img";
    QTest::newRow("-config") << "-config other.cfg" << "other|Origs|Energy|SeqNo|img";
    QTest::newRow("-c wins over -config") << "-config config.cfg -c other.cfg" << "other|Origs|Energy|SeqNo|img";
    QTest::newRow("empty -c falls back on -config") << "-c -config other.cfg" << "other|Origs|Energy|SeqNo|img";
    QTest::newRow("missing file: defaults") << "-c none.cfg" << ".|Origs|Energy|SeqNo|img";
    QTest::newRow("empty value kept empty") << "-c empty.cfg" << ".||Energy|SeqNo|img";
}
// clang-format on

void TestWindow::settings()
{
    QFETCH(QString, args);
    QFETCH(QString, expected);
    QVERIFY(makeEntry(
        "config.cfg", "default_dir /d\nORIGS_DIR o\nEnergy_Dir e\nSeqNo_Dir s\nFile_Ext tif\n"));
    QVERIFY(makeEntry("other.cfg", "Default_Dir other\n"));
    QVERIFY(makeEntry("empty.cfg", "Origs_Dir \"\"\n"));
    Body body(commandLine(QString("quorvix-data -e " + args).split(' ', Qt::SkipEmptyParts)));
    QCOMPARE(fields(body), expected);
}

void TestWindow::dialogAcceptAndCancel()
{
    QVERIFY(makeEntry("config.cfg", "Default_Dir start\n"));
    QVERIFY(makeEntry("start/chosen/"));
    Body body(commandLine({ "quorvix-data", "-e" }));
    QSignalSpy chosen(body.findChild<QObject *>("TargetDir"), SIGNAL(selectedItem(QString)));
    click(body, "Select");
    QVERIFY(dialog());
    QCOMPARE(QDir(dialog()->directory()).canonicalPath(), tmp->filePath("start"));
    dialog()->reject();
    QCOMPARE(fields(body).section('|', 0, 0), QString("start"));
    QCOMPARE(chosen.count(), 0);
    click(body, "Select");
    dialog()->selectFile(tmp->filePath("start/chosen"));
    QMetaObject::invokeMethod(dialog(), "accept");
    QCOMPARE(fields(body).section('|', 0, 0), tmp->filePath("start/chosen"));
    QCOMPARE(chosen.count(), 1);
    QCOMPARE(chosen.at(0).at(0).toString(), tmp->filePath("start/chosen"));
}

void TestWindow::execRunsWithTheFields()
{
    QVERIFY(makeEntry(
        "config.cfg", "Default_Dir scan\nOrigs_Dir O\nEnergy_Dir E\nSeqNo_Dir S\nFile_Ext tif\n"));
    QVERIFY(makeEntry("scan/a-9eV-1.tif", "x"));
    QVERIFY(makeEntry("scan/a-9eV-2.img", "y"));
    Body body(commandLine({ "quorvix-data", "-e" }));
    click(body, "Exec");
    QCOMPARE(tree("scan"),
        QStringList(
            { "E/", "E/9_00/", "E/9_00/a-9_00eV-1.tif>O/a-9_00eV-1.tif", "O/", "O/a-9_00eV-1.tif=x",
                "S/", "S/1/", "S/1/a-9_00eV-1.tif>O/a-9_00eV-1.tif", "a-9eV-2.img=y" }));
}

// Shown before a run, closed, shown again; then open during a run: each time the dialog lists
// what the directory holds by then, the output directories and no moved file.
void TestWindow::dialogShowsTheDirectoryAsItIs()
{
    QVERIFY(makeEntry("config.cfg",
        QByteArray("Default_Dir ") + QFile::encodeName(tmp->filePath("scan")) + "\n"));
    const auto listing = [this] {
        auto *model = dialog()->findChild<QFileSystemModel *>();
        QStringList names;
        const QModelIndex dir = model->index(tmp->filePath("scan"));
        for (int row = 0; row < model->rowCount(dir); ++row)
            names << model->index(row, 0, dir).data().toString();
        names.sort();
        return names.join(' ');
    };
    for (int i = 1; i <= 200; ++i)
        QVERIFY(makeEntry(tmp->filePath("scan/a-9eV-%1.img").arg(i)));
    Body body(commandLine({ "quorvix-data", "-e" }));
    click(body, "Select");
    QTRY_COMPARE(listing().count(".img"), 200);
    dialog()->reject();
    click(body, "Exec");
    click(body, "Select");
    QTRY_COMPARE(listing(), QString("Energy Origs SeqNo"));
    QVERIFY(makeEntry(tmp->filePath("scan/b-9eV-1.img")));
    QTRY_COMPARE(listing(), QString("Energy Origs SeqNo b-9eV-1.img"));
    click(body, "Exec");
    QTRY_COMPARE(listing(), QString("Energy Origs SeqNo"));
    QVERIFY(QFileInfo::exists(tmp->filePath("scan/Origs/b-9_00eV-1.img")));
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
        QVERIFY(dialog());
        const auto *box = dialog()->findChild<QDialogButtonBox *>();
        const QString cancel = box->button(QDialogButtonBox::Cancel)->text();
        QCOMPARE(cancel == "Cancel", english);
        dialog()->reject();
    }
    QCoreApplication::removeTranslator(&translator);
}

QTEST_MAIN(TestWindow)
#include "tst_window.moc"
