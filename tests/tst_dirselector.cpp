#include "dirselector.h"
#include "widgetchecks.h"

#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

class TestDirSelector : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void form();
    void startsInWorkingDirectory();
    void acceptingSetsTextBeforeSignal();
    void cancellingChangesNothing();
    void typingEmitsNothing();
    void selectTwiceShowsOneDialog();

private:
    QTemporaryDir tmp;
};

void TestDirSelector::init()
{
    QVERIFY(QDir(tmp.path()).mkpath(QStringLiteral("work/scan 1")));
    QVERIFY(QDir::setCurrent(tmp.filePath(QStringLiteral("work"))));
}

void TestDirSelector::form()
{
    DirSelector selector;
    QCOMPARE(selector.objectName(), QStringLiteral("DirSelector"));
    QCOMPARE(selector.size(), QSize(400, 40));
    QCOMPARE(selector.windowTitle(), QStringLiteral("Frame"));
    QCOMPARE(selector.layout()->contentsMargins(), QMargins(0, 0, 0, 0));
    auto *title = selector.findChild<QLabel *>(QStringLiteral("Title"));
    auto *edit = selector.findChild<QLineEdit *>(QStringLiteral("SelectedDir"));
    auto *button = selector.findChild<QPushButton *>(QStringLiteral("Select"));
    QVERIFY(title && edit && button);
    QCOMPARE(title->text(), QStringLiteral("Target"));
    QCOMPARE(button->text(), QStringLiteral("Select"));
    QCOMPARE(gridCell(title), QStringLiteral("0,0,1,1"));
    QCOMPARE(gridCell(edit), QStringLiteral("0,1,1,1"));
    QCOMPARE(gridCell(button), QStringLiteral("0,2,1,1"));
    QCOMPARE(tabOrder(&selector, edit, 3), (QStringList { "SelectedDir", "Select" }));
}

void TestDirSelector::startsInWorkingDirectory()
{
    // Through a symbolic link, so that the canonical path differs from the one made current.
    const QString link = tmp.filePath(QStringLiteral("link"));
    QVERIFY(QFile::link(tmp.filePath(QStringLiteral("work")), link));
    QVERIFY(QDir::setCurrent(link));
    DirSelector selector;
    const QString canonical = QDir(tmp.filePath(QStringLiteral("work"))).canonicalPath();
    QCOMPARE(selector.selectedDir(), canonical);
    selector.findChild<QPushButton *>(QStringLiteral("Select"))->click();
    const auto dialogs = visibleDialogs();
    QCOMPARE(dialogs.size(), 1);
    QCOMPARE(dialogs.first()->directory().canonicalPath(), canonical);
    QCOMPARE(dialogs.first()->fileMode(), QFileDialog::Directory);
    QCOMPARE(dialogs.first()->acceptMode(), QFileDialog::AcceptOpen);
    QVERIFY(!dialogs.first()->isModal());
    dialogs.first()->reject();
    QFile::remove(link);
}

void TestDirSelector::acceptingSetsTextBeforeSignal()
{
    DirSelector selector;
    auto *edit = selector.findChild<QLineEdit *>(QStringLiteral("SelectedDir"));
    QStringList seenInSlot;
    connect(&selector, &DirSelector::selectedItem, this,
        [&](const QString &) { seenInSlot << edit->text(); });
    QSignalSpy spy(&selector, &DirSelector::selectedItem);

    selector.findChild<QPushButton *>(QStringLiteral("Select"))->click();
    QFileDialog *dialog = visibleDialogs().value(0);
    QVERIFY(dialog);
    const QString chosen = QDir(tmp.filePath(QStringLiteral("work/scan 1"))).absolutePath();
    dialog->selectFile(chosen);
    QVERIFY(QMetaObject::invokeMethod(dialog, "accept"));

    QCOMPARE(spy.count(), 1);
    QCOMPARE(spy.first().first().toString(), chosen);
    QCOMPARE(edit->text(), chosen);
    QCOMPARE(seenInSlot, QStringList { chosen });
    QVERIFY(visibleDialogs().isEmpty());
}

void TestDirSelector::cancellingChangesNothing()
{
    DirSelector selector;
    const QString before = selector.selectedDir();
    QSignalSpy spy(&selector, &DirSelector::selectedItem);
    selector.findChild<QPushButton *>(QStringLiteral("Select"))->click();
    QFileDialog *dialog = visibleDialogs().value(0);
    QVERIFY(dialog);
    dialog->selectFile(tmp.filePath(QStringLiteral("work/scan 1")));
    dialog->reject();
    QCOMPARE(spy.count(), 0);
    QCOMPARE(selector.selectedDir(), before);
}

void TestDirSelector::typingEmitsNothing()
{
    DirSelector selector;
    QSignalSpy spy(&selector, &DirSelector::selectedItem);
    auto *edit = selector.findChild<QLineEdit *>(QStringLiteral("SelectedDir"));
    edit->clear();
    QTest::keyClicks(edit, QStringLiteral("/data/typed"));
    QCOMPARE(selector.selectedDir(), QStringLiteral("/data/typed"));
    QCOMPARE(spy.count(), 0);
    selector.findChild<QPushButton *>(QStringLiteral("Select"))->click();
    QFileDialog *dialog = visibleDialogs().value(0);
    QVERIFY(dialog);
    QCOMPARE(dialog->directory().canonicalPath(), QDir::current().canonicalPath());
    dialog->reject();
}

void TestDirSelector::selectTwiceShowsOneDialog()
{
    DirSelector selector;
    auto *button = selector.findChild<QPushButton *>(QStringLiteral("Select"));
    button->click();
    button->click();
    QCOMPARE(visibleDialogs().size(), 1);
    visibleDialogs().first()->reject();
}

QTEST_MAIN(TestDirSelector)
#include "tst_dirselector.moc"
