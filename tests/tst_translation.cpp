#include "body.h"
#include "commandline.h"
#include "paramtable.h"
#include "tidyupinfo.h"

#include <QDomDocument>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTranslator>
#include <QtTest>

// The Japanese catalogue: complete for every text of the forms and the directory check, and
// what the window shows once it is installed.
class TestTranslation : public QObject
{
    Q_OBJECT

private slots:
    void catalogueIsComplete();
    void windowInJapanese();
    void configuredValuesReplaceTranslatedOnes();

private:
    QDomDocument load(const QString &path);
};

QDomDocument TestTranslation::load(const QString &path)
{
    QFile file(path);
    QDomDocument doc;
    if (!file.open(QIODevice::ReadOnly) || !doc.setContent(&file))
        qFatal("cannot read %s", qPrintable(path));
    return doc;
}

void TestTranslation::catalogueIsComplete()
{
    // context -> source texts that must have a finished translation
    QMap<QString, QStringList> needed;
    for (const char *form : { "body", "dirselector", "tidyupinfo" }) {
        const QDomDocument ui
            = load(QStringLiteral(QUORVIX_SOURCE_DIR "/ui/") + form + QStringLiteral(".ui"));
        const QString context = ui.documentElement().firstChildElement("class").text();
        const QDomNodeList strings = ui.elementsByTagName("string");
        for (int i = 0; i < strings.size(); ++i) {
            const QDomElement s = strings.at(i).toElement();
            if (s.attribute("notr") != "true" && !s.text().isEmpty())
                needed[context] << s.text();
        }
    }
    needed["Body"] << "The dir [%1] is not in [%2]."
                   << "The entry [%1] in [%2] is not directory.";

    QMap<QString, QMap<QString, QString>> translated;
    const QDomDocument ts
        = load(QStringLiteral(QUORVIX_SOURCE_DIR "/translations/Quorvix_ja_JP.ts"));
    QCOMPARE(ts.documentElement().attribute("language"), QStringLiteral("ja_JP"));
    const QDomNodeList contexts = ts.elementsByTagName("context");
    for (int c = 0; c < contexts.size(); ++c) {
        const QDomElement context = contexts.at(c).toElement();
        const QString name = context.firstChildElement("name").text();
        for (QDomElement m = context.firstChildElement("message"); !m.isNull();
             m = m.nextSiblingElement("message")) {
            const QDomElement t = m.firstChildElement("translation");
            if (t.attribute("type").isEmpty() && !t.text().isEmpty())
                translated[name][m.firstChildElement("source").text()] = t.text();
        }
    }
    for (auto it = needed.cbegin(); it != needed.cend(); ++it) {
        for (const QString &source : it.value()) {
            const QString translation = translated.value(it.key()).value(source);
            QVERIFY2(!translation.isEmpty(), qPrintable(it.key() + ": " + source));
            for (const char *marker : { "%1", "%2" })
                QCOMPARE(translation.contains(marker), source.contains(marker));
        }
    }
}

void TestTranslation::windowInJapanese()
{
    QTranslator translator;
    QVERIFY(translator.load(":Quorvix_ja_JP", QCoreApplication::applicationDirPath()));
    QCoreApplication::installTranslator(&translator);
    QTemporaryDir dir;
    QVERIFY(QDir::setCurrent(dir.path()));
    Body body(commandLine({ "quorvix-data" }));
    QCOMPARE(body.windowTitle(), QStringLiteral("Quorvix Data データ整理"));
    QCOMPARE(body.findChild<QPushButton *>("Exec")->text(), QStringLiteral("実行"));
    QCOMPARE(body.findChild<QPushButton *>("Select")->text(), QStringLiteral("選択"));
    QCOMPARE(body.findChild<QLabel *>("Title")->text(), QStringLiteral("対象"));
    QCOMPARE(
        body.findChild<QLabel *>("label_4")->text(), QStringLiteral("ファイルとリンクの保存先"));
    QCOMPARE(body.findChild<QLabel *>("label")->text(), QStringLiteral("元ファイル"));
    QCoreApplication::removeTranslator(&translator);
}

void TestTranslation::configuredValuesReplaceTranslatedOnes()
{
    QTranslator translator;
    QVERIFY(translator.load(":Quorvix_ja_JP", QCoreApplication::applicationDirPath()));
    QCoreApplication::installTranslator(&translator);
    {
        TidyUpInfo panel;
        QCOMPARE(panel.origsDir(), QStringLiteral("元データ0"));
    }
    QTemporaryDir dir;
    QVERIFY(QDir::setCurrent(dir.path()));
    gConfig = ParamTable();
    Body body(commandLine({ "quorvix-data" }));
    QCOMPARE(body.findChild<QLineEdit *>("Origs")->text(), QStringLiteral("Origs"));
    QCOMPARE(body.findChild<QLineEdit *>("Energy")->text(), QStringLiteral("Energy"));
    QCOMPARE(body.findChild<QLineEdit *>("SeqNo")->text(), QStringLiteral("SeqNo"));
    QCOMPARE(body.findChild<QLineEdit *>("FileExt")->text(), QStringLiteral("img"));
    QCoreApplication::removeTranslator(&translator);
}

QTEST_MAIN(TestTranslation)
#include "tst_translation.moc"
