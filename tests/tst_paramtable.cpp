#include "commandline.h"
#include "messagecapture.h"
#include "paramtable.h"

#include <QTemporaryDir>
#include <QTextCodec>
#include <QtTest>

class TestParamTable : public QObject
{
    Q_OBJECT

private slots:
    void commandLine_data();
    void commandLine();
    void takeTokenSplits_data();
    void takeTokenSplits();
    void commentsAndBlankLines_data();
    void commentsAndBlankLines();
    void configLines_data();
    void configLines();
    void configEncodings_data();
    void configEncodings();
    void unreadableConfig_data();
    void unreadableConfig();

private:
    QString writeFile(const QByteArray &bytes, const QString &name = QStringLiteral("test.cfg"));
    QTemporaryDir tmp;
};

static QString readable(const QString &key, const ParamTable &table)
{
    return table.hasParam(key) ? QStringLiteral("=") + table.paramValue(key, QStringLiteral("?"))
                               : QStringLiteral("absent");
}

void TestParamTable::commandLine_data()
{
    QTest::addColumn<QStringList>("argv");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("expected"); // "absent" or "=value"

    const QString prog = QStringLiteral("/usr/bin/quorvix-data");
    QTest::newRow("option with value") << QStringList { prog, "-c", "a.cfg" } << "-c"
                                       << "=a.cfg";
    QTest::newRow("option last") << QStringList { prog, "-e" } << "-e"
                                 << "=";
    QTest::newRow("option followed by option") << QStringList { prog, "-c", "-e", "x" } << "-c"
                                               << "=";
    QTest::newRow("second option still recorded") << QStringList { prog, "-c", "-e", "x" } << "-e"
                                                  << "=x";
    QTest::newRow("plain argument after no option is ignored")
        << QStringList { prog, "plain", "-c", "a" } << "plain"
        << "absent";
    QTest::newRow("consumed value is no key") << QStringList { prog, "-c", "-x" } << "-x"
                                              << "=";
    QTest::newRow("capital form is its own key") << QStringList { prog, "-C", "a" } << "-c"
                                                 << "absent";
    QTest::newRow("capital form recorded") << QStringList { prog, "-C", "a" } << "-C"
                                           << "=a";
    QTest::newRow("first occurrence wins even when empty")
        << QStringList { prog, "-c", "-c", "b.cfg" } << "-c"
        << "=";
    QTest::newRow("empty argument as value") << QStringList { prog, "-c", "", "b" } << "-c"
                                             << "=";
    QTest::newRow("empty argument not a key") << QStringList { prog, "-c", "", "b" } << ""
                                              << "absent";
    QTest::newRow("program path examined too") << QStringList { "-weird", "v" } << "-weird"
                                               << "=v";
    QTest::newRow("UTF-8 value") << QStringList { prog, "-c", "設定.cfg" } << "-c"
                                 << "=設定.cfg";
    QTest::newRow("no equals-sign form") << QStringList { prog, "-c=a.cfg" } << "-c=a.cfg"
                                         << "=";
}

void TestParamTable::commandLine()
{
    QFETCH(QStringList, argv);
    QFETCH(QString, key);
    QFETCH(QString, expected);

    const ParamTable table = ::commandLine(argv);
    QCOMPARE(readable(key, table), expected);
}

void TestParamTable::takeTokenSplits_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("token");
    QTest::addColumn<QString>("rest");

    QTest::newRow("plain") << "key value"
                           << "key"
                           << " value";
    QTest::newRow("leading white space") << " \t key  v "
                                         << "key"
                                         << "  v ";
    QTest::newRow("only key") << "key"
                              << "key"
                              << "";
    QTest::newRow("only blanks") << "   "
                                 << ""
                                 << "";
    QTest::newRow("empty") << ""
                           << ""
                           << "";
    QTest::newRow("quoted") << "\"a b\"  c"
                            << "a b"
                            << "  c";
    QTest::newRow("quoted, no blank after") << "\"a b\"c d"
                                            << "a b"
                                            << "c d";
    QTest::newRow("empty quotes") << "\"\" v"
                                  << ""
                                  << " v";
    QTest::newRow("unmatched quote") << "  \"a b c"
                                     << "a b c"
                                     << "";
    QTest::newRow("no-break space separates")
        << QString::fromUtf8("a\u00a0b") << "a" << QString::fromUtf8("\u00a0b");
    QTest::newRow("ideographic space separates")
        << QString::fromUtf8("元\u3000データ") << QString::fromUtf8("元")
        << QString::fromUtf8("\u3000データ");
}

void TestParamTable::takeTokenSplits()
{
    QFETCH(QString, text);
    QFETCH(QString, token);
    QFETCH(QString, rest);
    QString got = QStringLiteral("stale");
    QCOMPARE(takeToken(text, got), rest);
    QCOMPARE(got, token);
}

void TestParamTable::commentsAndBlankLines_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("stripped");
    QTest::addColumn<bool>("blank");

    QTest::newRow("no comment") << "a b"
                                << "a b" << false;
    QTest::newRow("comment") << "a # c"
                             << "a " << false;
    QTest::newRow("only comment") << "  # c"
                                  << "  " << true;
    QTest::newRow("hash in quotes cuts too") << "k \"a#b\""
                                             << "k \"a" << false;
    QTest::newRow("white space only") << " \t\r"
                                      << " \t\r" << true;
    QTest::newRow("empty") << ""
                           << "" << true;
}

void TestParamTable::commentsAndBlankLines()
{
    QFETCH(QString, text);
    QFETCH(QString, stripped);
    QFETCH(bool, blank);
    QCOMPARE(stripComment(text), stripped);
    QCOMPARE(isBlankLine(text), blank);
}

void TestParamTable::configLines_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("expected"); // value, or "<default>"

    QTest::newRow("plain") << QByteArray("Origs_Dir raw\n") << "Origs_Dir"
                           << "raw";
    QTest::newRow("any case") << QByteArray("origs_dir raw\n") << "ORIGS_DIR"
                              << "raw";
    QTest::newRow("trailing blanks not in value")
        << QByteArray("Origs_Dir   raw data  # comment\n") << "Origs_Dir"
        << "raw";
    QTest::newRow("quoted value") << QByteArray("Origs_Dir   \"raw data\"  # comment\n")
                                  << "Origs_Dir"
                                  << "raw data";
    QTest::newRow("hash inside quotes") << QByteArray("Origs_Dir \"raw#1\"\n") << "Origs_Dir"
                                        << "raw";
    QTest::newRow("only key") << QByteArray("Origs_Dir\n") << "Origs_Dir"
                              << "";
    QTest::newRow("empty quotes as key") << QByteArray("\"\" v\n") << ""
                                         << "v";
    QTest::newRow("first of duplicates wins")
        << QByteArray("Origs_Dir a\nORIGS_DIR b\norigs_dir c\n") << "Origs_Dir"
        << "a";
    QTest::newRow("comment lines and blank lines skipped")
        << QByteArray("# Origs_Dir x\n\n   \n\t# y\nOrigs_Dir z") << "Origs_Dir"
        << "z";
    QTest::newRow("CRLF line ends") << QByteArray("Origs_Dir a\r\nEnergy_Dir b\r\n") << "Energy_Dir"
                                    << "b";
    QTest::newRow("empty file") << QByteArray() << "Origs_Dir"
                                << "<default>";
    QTest::newRow("backslash is ordinary")
        << QByteArray("Default_Dir C:\\data\\\nx y\n") << "Default_Dir"
        << "C:\\data\\";
}

void TestParamTable::configLines()
{
    QFETCH(QByteArray, content);
    QFETCH(QString, key);
    QFETCH(QString, expected);
    ParamTable table;
    table.readConfigFile(writeFile(content));
    QCOMPARE(table.paramValueNoCase(key, QStringLiteral("<default>")), expected);
}

void TestParamTable::configEncodings_data()
{
    QTest::addColumn<QByteArray>("content");

    const QString text = QStringLiteral("Origs_Dir 元データ\nEnergy_Dir \"エネルギー 別\"\n");
    QTest::newRow("Shift-JIS") << QTextCodec::codecForName("Shift-JIS")->fromUnicode(text);
    QTest::newRow("UTF-8 with BOM") << (QByteArray("\xef\xbb\xbf") + text.toUtf8());
    const QByteArray utf16(reinterpret_cast<const char *>(text.utf16()), text.size() * 2);
    QTest::newRow("UTF-16 with BOM") << (QByteArray("\xff\xfe") + utf16);
}

void TestParamTable::configEncodings()
{
    QFETCH(QByteArray, content);
    ParamTable table;
    table.readConfigFile(writeFile(content));
    QCOMPARE(
        table.paramValueNoCase(QStringLiteral("Origs_Dir"), QString()), QStringLiteral("元データ"));
    QCOMPARE(table.paramValueNoCase(QStringLiteral("Energy_Dir"), QString()),
        QStringLiteral("エネルギー 別"));
}

void TestParamTable::unreadableConfig_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("missing") << QStringLiteral("config.cfg");
    QTest::newRow("empty name") << QString();
    QTest::newRow("directory") << tmp.path();
    QTest::newRow("quote in name") << QStringLiteral("a\"b.cfg");
}

void TestParamTable::unreadableConfig()
{
    QFETCH(QString, name);
    QVERIFY(QDir::setCurrent(tmp.path()));
    ParamTable table;
    MessageCapture capture;
    table.readConfigFile(name);
    QString escaped = name;
    escaped.replace(QLatin1Char('"'), QLatin1String("\\\""));
    QCOMPARE(capture.lines(),
        QStringList { QStringLiteral("Can't open config file :  \"") + escaped + '"' });
    QCOMPARE(table.paramValueNoCase(QStringLiteral("Origs_Dir"), QStringLiteral("d")),
        QStringLiteral("d"));
}

QString TestParamTable::writeFile(const QByteArray &bytes, const QString &name)
{
    const QString path = tmp.filePath(name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        qFatal("cannot write %s", qPrintable(path));
    file.write(bytes);
    return path;
}

QTEST_GUILESS_MAIN(TestParamTable)
#include "tst_paramtable.moc"
