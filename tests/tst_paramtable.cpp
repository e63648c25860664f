// SPDX-License-Identifier: MIT
#include "params/paramtable.h"
#include "tests/testsupport.h"
#include "tidyup/settingkeys.h"

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
    void configLines_data();
    void configLines();
    void tokens_data();
    void tokens();
    void settingKeys();

private:
    QTemporaryDir tmp;
};

// clang-format off
void TestParamTable::commandLine_data()
{
    QTest::addColumn<QString>("row"); // argv (blank-separated, "''" an empty argument)|key|"absent" or "=value"
    QTest::newRow("option with value") << "prog -c a.cfg|-c|=a.cfg";
    QTest::newRow("option followed by option") << "prog -c -e x|-c|=";
    QTest::newRow("plain argument ignored") << "prog plain -c a|plain|absent";
    QTest::newRow("capital form is its own key") << "prog -C a|-c|absent";
    QTest::newRow("first occurrence wins, even empty") << "prog -c -c b|-c|=";
    QTest::newRow("empty argument as value") << "prog -c '' b|-c|=";
}
// clang-format on

void TestParamTable::commandLine()
{
    QFETCH(QString, row);
    const QString key = row.section('|', 1, 1), expected = row.section('|', 2);
    const ParamTable table = ::commandLine(row.section('|', 0, 0).split(' ').replaceInStrings("''", ""));
    QCOMPARE(table.hasParam(key) ? QString("=" + table.paramValue(key, "?")) : QString("absent"), expected);
}

void TestParamTable::configLines_data()
{
    QTest::addColumn<QString>("name"); // of the file; "" for a new one named after the row
    QTest::addColumn<QByteArray>("content"); // "<fifo>", "<dir>" or "<none>" make no regular file
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("expected"); // value; "<default>" when the file cannot be opened
    const QString japanese = "Origs_Dir 元データ\n";
    const QByteArray utf16(reinterpret_cast<const char *>(japanese.utf16()), japanese.size() * 2);
    // clang-format off
    QTest::newRow("any case") << "" << QByteArray("origs_dir raw\n") << "ORIGS_DIR" << "raw";
    QTest::newRow("trailing words not in value") << "" << QByteArray("Origs_Dir  raw data # c\n") << "Origs_Dir" << "raw";
    QTest::newRow("quoted value") << "" << QByteArray("Origs_Dir \"raw data\" # c\n") << "Origs_Dir" << "raw data";
    QTest::newRow("first of duplicates wins") << "" << QByteArray("Origs_Dir a\nORIGS_DIR b\n") << "Origs_Dir" << "a";
    QTest::newRow("comments, blank lines, CRLF") << "" << QByteArray("# Origs_Dir x\r\n\r\n \t\r\nOrigs_Dir z\r\n") << "Origs_Dir" << "z";
    QTest::newRow("spaces and tabs only: no empty key") << "" << QByteArray(" \t \n\t\n\"\" v\n") << "" << "v";
    QTest::newRow("unmatched quote runs to the end") << "" << QByteArray("K  \"a b c \n") << "K" << "a b c ";
    QTest::newRow("hash in quotes cuts too") << "" << QByteArray("K \"a#b\"\n") << "K" << "a";
    QTest::newRow("the first hash of several cuts") << "" << QByteArray("K a#b # c\n") << "K" << "a";
    QTest::newRow("token glued to a quote") << "" << QByteArray("\"K\"v w\n") << "K" << "v";
    QTest::newRow("ideographic space separates") << "" << QString("K 元\u3000データ\n").toUtf8() << "K" << "元";
    QTest::newRow("backslash is ordinary") << "" << QByteArray("D C:\\data\\\n") << "D" << "C:\\data\\";
    QTest::newRow("Shift-JIS") << "" << QTextCodec::codecForName("Shift-JIS")->fromUnicode(japanese) << "Origs_Dir" << "元データ";
    QTest::newRow("UTF-8 without BOM") << "" << japanese.toUtf8() << "Origs_Dir" << "元データ";
    QTest::newRow("UTF-8 with BOM") << "" << "\xef\xbb\xbf" + japanese.toUtf8() << "Origs_Dir" << "元データ";
    QTest::newRow("UTF-16 with BOM") << "" << "\xff\xfe" + utf16 << "Origs_Dir" << "元データ";
    QTest::newRow("half-width kana in Shift-JIS") << "" << QByteArray("K \xb1\xb2\n") << "K" << "ｱｲ";
    QTest::newRow("missing") << "config.cfg" << QByteArray("<none>") << "K" << "<default>";
    QTest::newRow("empty name") << "" << QByteArray("<none>") << "K" << "<default>";
    QTest::newRow("quote in name") << "a\"b.cfg" << QByteArray("<none>") << "K" << "<default>";
    QTest::newRow("directory") << "d" << QByteArray("<dir>") << "K" << "<default>";
    QTest::newRow("FIFO") << "fifo" << QByteArray("<fifo>") << "K" << "<default>";
    QTest::newRow("device") << "/dev/zero" << QByteArray("<none>") << "K" << "<default>";
    QTest::newRow("over 1 MiB") << "big" << "K v\n" + QByteArray(1 << 20, '#') << "K" << "<default>";
    // clang-format on
}

void TestParamTable::configLines()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, content);
    QFETCH(QString, key);
    QFETCH(QString, expected);
    QVERIFY(QDir::setCurrent(tmp.path()));
    if (name.isEmpty() && content != "<none>")
        name = QTest::currentDataTag();
    if (content == "<fifo>" || content == "<dir>")
        QVERIFY(content == "<dir>" ? QDir().mkdir(name) : ::mkfifo(qPrintable(name), 0600) == 0);
    else if (content != "<none>")
        QVERIFY(FsTree::make(name, content));
    ParamTable table;
    MessageCapture capture;
    table.readConfigFile(name);
    QCOMPARE(table.paramValueNoCase(key, "<default>"), expected);
    const QString line = "Can't open config file :  \"" + QString(name).replace("\"", "\\\"") + '"';
    QCOMPARE(capture.lines, expected == "<default>" ? QStringList { line } : QStringList());
}

// clang-format off
void TestParamTable::tokens_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("token");
    QTest::addColumn<QString>("rest"); // keeps the white space that ended the token
    QTest::newRow("blank-separated") << "  Origs_Dir   raw data  " << "Origs_Dir" << "   raw data  ";
    QTest::newRow("quoted value follows") << "K\t\"a b\"  " << "K" << "\t\"a b\"  ";
    QTest::newRow("quoted token") << "\"a b\" c" << "a b" << " c";
    QTest::newRow("token alone") << "K" << "K" << "";
    QTest::newRow("white space only") << " \t " << "" << "";
    QTest::newRow("unmatched quote") << " \"a b " << "a b " << "";
}
// clang-format on

void TestParamTable::tokens()
{
    QFETCH(QString, text);
    QFETCH(QString, token);
    QFETCH(QString, rest);
    QString taken = "?";
    QCOMPARE(takeToken(text, taken) + '|' + taken, rest + '|' + token);
}

// The window and the command line read the same keys and defaults, but for the target: without
// Default_Dir the command line has none, where the window takes ".".
void TestParamTable::settingKeys()
{
    ParamTable config;
    config.readConfig("origs_dir O\nFILE_EXT tif\n");
    const auto fields = [](const TidyUp::Settings &s) { return QStringList { s.target, s.origs, s.energy, s.seqNo, s.fileExt, s.links }; };
    QCOMPARE(fields(SettingKeys::read(config)), QStringList({ ".", "O", "Energy", "SeqNo", "tif", "absolute" }));
    QCOMPARE(fields(SettingKeys::read(config, {}, SettingKeys::noTarget)), QStringList({ "", "O", "Energy", "SeqNo", "tif", "absolute" }));
    QCOMPARE(fields(SettingKeys::read(config, { { "origs", "P" }, { "target", "/d" }, { "links", "relative" } }, SettingKeys::noTarget)),
        QStringList({ "/d", "P", "Energy", "SeqNo", "tif", "relative" }));
}

QTEST_GUILESS_MAIN(TestParamTable)
#include "tst_paramtable.moc"
