// SPDX-License-Identifier: MIT
// Names in the JSON output: valid JSON always, and each name can be rebuilt byte for byte.
#include "tidyup/jsonlines.h"

#include <QJsonDocument>
#include <QJsonValue>
#include <QtTest>

class TestJsonLines : public QObject
{
    Q_OBJECT

private slots:
    void names_data();
    void names();
};

// clang-format off
void TestJsonLines::names_data()
{
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<QString>("decoded"); // what a JSON reader gets
    QTest::newRow("plain") << QByteArray("/d/a-7000eV-1.img") << "/d/a-7000eV-1.img";
    QTest::newRow("quote, tab, newline") << QByteArray("a\"b\tc\nd") << "a\"b\tc\nd";
    QTest::newRow("control byte") << QByteArray("a\x01" "b") << "a\x01" "b";
    QTest::newRow("Japanese") << QByteArray("試料-7000eV-1.img") << "試料-7000eV-1.img";
    QTest::newRow("backslash doubled") << QByteArray("a\\xff") << "a\\\\xff";
    QTest::newRow("Latin-1 byte") << QByteArray("caf\xe9.img") << "caf\\xe9.img";
    QTest::newRow("cut sequence at the end") << QByteArray("a\xe8\xa9") << "a\\xe8\\xa9";
    QTest::newRow("overlong slash") << QByteArray("a\xc0\xaf") << "a\\xc0\\xaf";
    QTest::newRow("encoded surrogate") << QByteArray("\xed\xa0\x80") << "\\xed\\xa0\\x80";
    QTest::newRow("beyond U+10FFFF") << QByteArray("\xf4\x90\x80\x80") << "\\xf4\\x90\\x80\\x80";
}
// clang-format on

void TestJsonLines::names()
{
    QFETCH(QByteArray, name);
    QFETCH(QString, decoded);
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson("[" + JsonLines::name(name) + "]", &error);
    QCOMPARE(error.errorString(), QJsonParseError().errorString());
    QCOMPARE(document[0].toString(), decoded);
}

QTEST_GUILESS_MAIN(TestJsonLines)
#include "tst_jsonlines.moc"
