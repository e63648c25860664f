// SPDX-License-Identifier: MIT
#include "paramtable.h"
#include "testsupport.h"

#include <QTemporaryDir>
#include <QTextCodec>
#include <QtTest>
#include <sys/stat.h>

class TestParamTable : public QObject
{
    Q_OBJECT

private slots:
    void commandLine_data();
    void commandLine();
    void tokens_data();
    void tokens();
    void configLines_data();
    void configLines();
    void unreadableConfig_data();
    void unreadableConfig();

private:
    QTemporaryDir tmp;
};

// clang-format off
void TestParamTable::commandLine_data()
{
    QTest::addColumn<QString>("argv"); // blank-separated, "''" an empty argument
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("expected"); // "absent" or "=value"
    QTest::newRow("option with value") << "prog -c a.cfg" << "-c" << "=a.cfg";
    QTest::newRow("option last") << "prog -e" << "-e" << "=";
    QTest::newRow("option followed by option") << "prog -c -e x" << "-c" << "=";
    QTest::newRow("second option recorded") << "prog -c -e x" << "-e" << "=x";
    QTest::newRow("plain argument ignored") << "prog plain -c a" << "plain" << "absent";
    QTest::newRow("capital form is its own key") << "prog -C a" << "-c" << "absent";
    QTest::newRow("first occurrence wins, even empty") << "prog -c -c b" << "-c" << "=";
    QTest::newRow("empty argument as value") << "prog -c '' b" << "-c" << "=";
    QTest::newRow("program path examined") << "-weird v" << "-weird" << "=v";
    QTest::newRow("UTF-8 value") << "prog -c 設定.cfg" << "-c" << "=設定.cfg";
    QTest::newRow("no equals-sign form") << "prog -c=a" << "-c=a" << "=";
}
// clang-format on

void TestParamTable::commandLine()
{
    QFETCH(QString, argv);
    QFETCH(QString, key);
    QFETCH(QString, expected);
    const ParamTable table = ::commandLine(argv.split(' ').replaceInStrings("''", ""));
    QCOMPARE(table.hasParam(key) ? QString("=" + table.paramValue(key, "?")) : QString("absent"),
        expected);
}

// clang-format off
void TestParamTable::tokens_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("token"); // of the text without its comment
    QTest::addColumn<QString>("rest");
    QTest::addColumn<bool>("blank");
    QTest::newRow("plain") << "key value" << "key" << " value" << false;
    QTest::newRow("leading white space") << " \t key  v " << "key" << "  v " << false;
    QTest::newRow("only blanks") << " \t\r" << "" << "" << true;
    QTest::newRow("only comment") << "  # c" << "" << "" << true;
    QTest::newRow("comment cut") << "k # c" << "k" << " " << false;
    QTest::newRow("quoted") << "\"a b\"  c" << "a b" << "  c" << false;
    QTest::newRow("quoted, no blank after") << "\"a b\"c d" << "a b" << "c d" << false;
    QTest::newRow("empty quotes") << "\"\" v" << "" << " v" << false;
    QTest::newRow("unmatched quote") << "  \"a b c" << "a b c" << "" << false;
    QTest::newRow("hash in quotes cuts too") << "\"a#b\" c" << "a" << "" << false;
    QTest::newRow("ideographic space separates") << "元\u3000データ" << "元" << "\u3000データ" << false;
}
// clang-format on

void TestParamTable::tokens()
{
    QFETCH(QString, text);
    QFETCH(QString, token);
    QFETCH(QString, rest);
    QFETCH(bool, blank);
    QString got = "stale";
    QCOMPARE(takeToken(stripComment(text), got), rest);
    QCOMPARE(got, token);
    QCOMPARE(isBlankLine(text), blank);
}

void TestParamTable::configLines_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("expected"); // value, or "<default>"
    const QString japanese = "Origs_Dir 元データ\n";
    const QByteArray utf16(reinterpret_cast<const char *>(japanese.utf16()), japanese.size() * 2);
    // clang-format off
    QTest::newRow("any case") << QByteArray("origs_dir raw\n") << "ORIGS_DIR" << "raw";
    QTest::newRow("trailing words not in value") << QByteArray("Origs_Dir  raw data # c\n") << "Origs_Dir" << "raw";
    QTest::newRow("quoted value") << QByteArray("Origs_Dir \"raw data\" # c\n") << "Origs_Dir" << "raw data";
    QTest::newRow("only key") << QByteArray("Origs_Dir\n") << "Origs_Dir" << "";
    QTest::newRow("first of duplicates wins") << QByteArray("Origs_Dir a\nORIGS_DIR b\n") << "Origs_Dir" << "a";
    QTest::newRow("comments and blank lines") << QByteArray("# Origs_Dir x\n\n \t\nOrigs_Dir z") << "Origs_Dir" << "z";
    QTest::newRow("CRLF line ends") << QByteArray("A a\r\nEnergy_Dir b\r\n") << "Energy_Dir" << "b";
    QTest::newRow("empty file") << QByteArray() << "Origs_Dir" << "<default>";
    QTest::newRow("backslash is ordinary") << QByteArray("D C:\\data\\\n") << "D" << "C:\\data\\";
    QTest::newRow("Shift-JIS") << QTextCodec::codecForName("Shift-JIS")->fromUnicode(japanese) << "Origs_Dir" << "元データ";
    QTest::newRow("UTF-8 without BOM") << japanese.toUtf8() << "Origs_Dir" << "元データ";
    QTest::newRow("UTF-8 with BOM") << "\xef\xbb\xbf" + japanese.toUtf8() << "Origs_Dir" << "元データ";
    QTest::newRow("UTF-16 with BOM") << "\xff\xfe" + utf16 << "Origs_Dir" << "元データ";
    QTest::newRow("half-width kana in Shift-JIS") << QByteArray("K \xb1\xb2\n") << "K" << "ｱｲ";
    // clang-format on
}

void TestParamTable::configLines()
{
    QFETCH(QByteArray, content);
    QFETCH(QString, key);
    QFETCH(QString, expected);
    QVERIFY(QFile::remove(tmp.filePath("c.cfg")) || !QFile::exists(tmp.filePath("c.cfg")));
    QVERIFY(makeEntry(tmp.filePath("c.cfg"), content));
    ParamTable table;
    table.readConfigFile(tmp.filePath("c.cfg"));
    QCOMPARE(table.paramValueNoCase(key, "<default>"), expected);
}

void TestParamTable::unreadableConfig_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("missing") << "config.cfg";
    QTest::newRow("empty name") << "";
    QTest::newRow("directory") << ".";
    QTest::newRow("quote in name") << "a\"b.cfg";
    QTest::newRow("FIFO") << "fifo";
    QTest::newRow("device") << "/dev/zero";
    QTest::newRow("over 1 MiB") << "big.cfg";
}

void TestParamTable::unreadableConfig()
{
    QFETCH(QString, name);
    QVERIFY(QDir::setCurrent(tmp.path()));
    if (name == "fifo" && !QFile::exists(name))
        QVERIFY(::mkfifo("fifo", 0600) == 0);
    if (name == "big.cfg" && !QFile::exists(name))
        QVERIFY(makeEntry(name, "Origs_Dir x\n" + QByteArray(1 << 20, '#')));
    ParamTable table;
    MessageCapture capture;
    table.readConfigFile(name);
    QCOMPARE(capture.lines,
        QStringList { "Can't open config file :  \"" + QString(name).replace("\"", "\\\"") + '"' });
    QCOMPARE(table.paramValueNoCase("Origs_Dir", "d"), QString("d"));
}

QTEST_GUILESS_MAIN(TestParamTable)
#include "tst_paramtable.moc"
