#include "tidyupinfo.h"
#include "widgetchecks.h"

#include <QLabel>
#include <QLineEdit>
#include <QtTest>

class TestTidyUpInfo : public QObject
{
    Q_OBJECT

private slots:
    void form_data();
    void form();
    void frameItself();
    void tabOrderIsCreationOrder();
};

void TestTidyUpInfo::form_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("cell");
    QTest::addColumn<QString>("text");

    QTest::newRow("heading") << "label_4"
                             << "0,0,1,6"
                             << "Dirs where files and links stored";
    QTest::newRow("origs caption") << "label"
                                   << "1,0,1,1"
                                   << "Original Files";
    QTest::newRow("origs") << "Origs"
                           << "1,1,1,1"
                           << "Origs0";
    QTest::newRow("energy caption") << "label_2"
                                    << "1,2,1,1"
                                    << "Tidy Up by Eng.";
    QTest::newRow("energy") << "Energy"
                            << "1,3,1,1"
                            << "Energy0";
    QTest::newRow("seqno caption") << "label_3"
                                   << "1,4,1,1"
                                   << "Tidy Up by seq. No.";
    QTest::newRow("seqno") << "SeqNo"
                           << "1,5,1,1"
                           << "SeqNo0";
    QTest::newRow("ext caption") << "label_5"
                                 << "1,6,1,1"
                                 << "File Ext.";
    QTest::newRow("ext") << "FileExt"
                         << "1,7,1,1"
                         << "img";
}

void TestTidyUpInfo::form()
{
    QFETCH(QString, name);
    QFETCH(QString, cell);
    QFETCH(QString, text);
    TidyUpInfo panel;
    auto *w = panel.findChild<QWidget *>(name);
    QVERIFY(w);
    QCOMPARE(gridCell(w), cell);
    if (auto *label = qobject_cast<QLabel *>(w))
        QCOMPARE(label->text(), text);
    else
        QCOMPARE(qobject_cast<QLineEdit *>(w)->text(), text);
}

void TestTidyUpInfo::frameItself()
{
    TidyUpInfo panel;
    QCOMPARE(panel.objectName(), QStringLiteral("TidyUpInfo"));
    QCOMPARE(panel.size(), QSize(686, 58));
    QCOMPARE(panel.windowTitle(), QStringLiteral("Tidy Up Info"));
    QCOMPARE(panel.layout()->objectName(), QStringLiteral("gridLayout"));
    QCOMPARE(panel.layout()->contentsMargins(), QMargins(0, 0, 0, 0));
    QCOMPARE(panel.frameShape(), QFrame::NoFrame);
}

void TestTidyUpInfo::tabOrderIsCreationOrder()
{
    TidyUpInfo panel;
    auto *start = panel.findChild<QWidget *>(QStringLiteral("SeqNo"));
    QCOMPARE(tabOrder(&panel, start, 5), (QStringList { "SeqNo", "Energy", "Origs", "FileExt" }));
}

QTEST_MAIN(TestTidyUpInfo)
#include "tst_tidyupinfo.moc"
