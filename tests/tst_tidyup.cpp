#include "fstree.h"
#include "messagecapture.h"
#include "tidyup.h"

#include <QRandomGenerator>
#include <QStorageInfo>
#include <QTemporaryDir>
#include <QtTest>

class TestTidyUp : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void rewriteFileName_data();
    void rewriteFileName();
    void prepareDirs_data();
    void prepareDirs();
    void listingMatchesDirectoryListing();
    void neverWritesThroughALink();
    void movesToAnotherFileSystem();
    void noMeasurementIsLost_data();
    void noMeasurementIsLost();

private:
    QScopedPointer<QTemporaryDir> tmp;
};

void TestTidyUp::init()
{
    tmp.reset(new QTemporaryDir);
    QVERIFY(tmp->isValid());
}

void TestTidyUp::rewriteFileName_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("newName");
    QTest::addColumn<QString>("energy"); // "-" when the name must not match
    QTest::addColumn<QString>("seqNo");

    QTest::newRow("energy gets _00") << "sample-850eV-001.tif"
                                     << "sample-850_00eV-001.tif"
                                     << "850_00"
                                     << "001";
    QTest::newRow("underscore kept") << "sample-850_5eV-001.tif"
                                     << "sample-850_5eV-001.tif"
                                     << "850_5"
                                     << "001";
    QTest::newRow("plus is no underscore") << "sample-850+5eV-001.tif"
                                           << "sample-850+5_00eV-001.tif"
                                           << "850+5_00"
                                           << "001";
    QTest::newRow("hyphens and digits in prefix") << "scan-2-850eV-003.tif"
                                                  << "scan-2-850_00eV-003.tif"
                                                  << "850_00"
                                                  << "003";
    QTest::newRow("whole tail kept") << "sample-850eV-001.tif.bak"
                                     << "sample-850_00eV-001.tif.bak"
                                     << "850_00"
                                     << "001";
    QTest::newRow("last matching hyphen") << "a-850eV-1-900eV-2.img"
                                          << "a-850eV-1-900_00eV-2.img"
                                          << "900_00"
                                          << "2";
    QTest::newRow("underscore anywhere") << "s-_850eV-7.img"
                                         << "s-_850eV-7.img"
                                         << "_850"
                                         << "7";
    QTest::newRow("Japanese prefix") << "試料-7002_5eV-0001.img"
                                     << "試料-7002_5eV-0001.img"
                                     << "7002_5"
                                     << "0001";
    QTest::newRow("line break before the match") << "a\nb-850eV-001.img"
                                                 << "a\nb-850_00eV-001.img"
                                                 << "850_00"
                                                 << "001";
    QTest::newRow("line break in the tail") << "s-850eV-001.img\nold"
                                            << "s-850_00eV-001.img\nold"
                                            << "850_00"
                                            << "001";
    QTest::newRow("no energy field") << "dark-001.tif"
                                     << "dark-001.tif"
                                     << "-"
                                     << "-";
    QTest::newRow("lower-case unit") << "sample-850ev-001.tif"
                                     << "sample-850ev-001.tif"
                                     << "-"
                                     << "-";
    QTest::newRow("no hyphen before energy") << "850eV-001.tif"
                                             << "850eV-001.tif"
                                             << "-"
                                             << "-";
    QTest::newRow("no dot after sequence") << "sample-850eV-001"
                                           << "sample-850eV-001"
                                           << "-"
                                           << "-";
    QTest::newRow("letter among sequence digits") << "sample-850eV-0a1.tif"
                                                  << "sample-850eV-0a1.tif"
                                                  << "-"
                                                  << "-";
    QTest::newRow("full-width energy digits") << "sample-８５０eV-001.tif"
                                              << "sample-８５０eV-001.tif"
                                              << "-"
                                              << "-";
    QTest::newRow("Arabic-Indic sequence digits") << "sample-850eV-٠٠١.tif"
                                                  << "sample-850eV-٠٠١.tif"
                                                  << "-"
                                                  << "-";
    QTest::newRow("empty") << ""
                           << ""
                           << "-"
                           << "-";
}

void TestTidyUp::rewriteFileName()
{
    QFETCH(QString, name);
    QFETCH(QString, newName);
    QFETCH(QString, energy);
    QFETCH(QString, seqNo);
    QString gotEnergy = QStringLiteral("-");
    QString gotSeqNo = QStringLiteral("-");
    QCOMPARE(TidyUp::rewriteFileName(name, gotEnergy, gotSeqNo), newName);
    QCOMPARE(gotEnergy, energy);
    QCOMPARE(gotSeqNo, seqNo);
}

void TestTidyUp::prepareDirs_data()
{
    QTest::addColumn<QStringList>("existing"); // made below the temporary directory first
    QTest::addColumn<QString>("target"); // relative to the temporary directory
    QTest::addColumn<QStringList>("names"); // "@" stands for the temporary directory
    QTest::addColumn<bool>("ok");
    QTest::addColumn<QString>("message"); // "@" for the temporary directory
    QTest::addColumn<QStringList>("dirsAfter");

    const QStringList std { "Origs", "Energy", "SeqNo" };
    QTest::newRow("all present") << QStringList { "t/Origs/", "t/Energy/", "t/SeqNo/" } << "t"
                                 << std << true << "" << QStringList { "t/Origs", "t/SeqNo" };
    QTest::newRow("none present") << QStringList { "t/" } << "t" << std << true << ""
                                  << QStringList { "t/Origs", "t/Energy", "t/SeqNo" };
    QTest::newRow("several levels")
        << QStringList { "t/" } << "t" << QStringList { "a/b/c", "Energy", "x/y" } << true << ""
        << QStringList { "t/a/b/c", "t/x/y" };
    QTest::newRow("absent target") << QStringList {} << "new/t" << std << true << ""
                                   << QStringList { "new/t/Origs", "new/t/SeqNo" };
    QTest::newRow("empty originals name")
        << QStringList { "t/" } << "t" << QStringList { "", "Energy", "SeqNo" } << false
        << "\"The dir [] is not in [@/t].\"" << QStringList { "t/Energy", "t/SeqNo" };
    QTest::newRow("regular file in the way") << QStringList { "t/Energy" } << "t" << std << false
                                             << "\"The entry [Energy] in [@/t] is not directory.\""
                                             << QStringList { "t/Origs", "t/SeqNo" };
    QTest::newRow("target cannot hold directories")
        << QStringList { "file" } << "file/t" << std << false
        << "\"The dir [Origs] is not in [@/file/t].\"" << QStringList {};
    QTest::newRow("absolute names")
        << QStringList { "t/" } << "t" << QStringList { "@/abs/o", "Energy", "@/abs/s" } << true
        << "" << QStringList { "abs/o", "abs/s", "t/Energy" };
    QTest::newRow("absolute name in the message")
        << QStringList { "t/", "abs/f" } << "t" << QStringList { "Origs", "@/abs/f", "S" } << false
        << "\"The entry [@/abs/f] in [@/t] is not directory.\"" << QStringList { "t/Origs", "t/S" };
    QTest::newRow("equal names") << QStringList { "t/" } << "t" << QStringList { "d", "d", "d" }
                                 << true << "" << QStringList { "t/d" };
    QTest::newRow("link to a directory")
        << QStringList { "t/", "real/" } << "t" << QStringList { "Origs", "lnk", "SeqNo" } << true
        << "" << QStringList { "t/lnk", "real" };
    QTest::newRow("placeholders typed into a name")
        << QStringList { "t/a%2%1" } << "t" << QStringList { "a%2%1", "E", "S" } << false
        << "\"The entry [a%2%1] in [@/t] is not directory.\"" << QStringList { "t/E" };
}

void TestTidyUp::prepareDirs()
{
    QFETCH(QStringList, existing);
    QFETCH(QString, target);
    QFETCH(QStringList, names);
    QFETCH(bool, ok);
    QFETCH(QString, message);
    QFETCH(QStringList, dirsAfter);

    const QString root = tmp->path();
    for (const QString &path : existing)
        QVERIFY(FsTree::make(root + '/' + path));
    if (QTest::currentDataTag() == QByteArray("link to a directory"))
        QVERIFY(QFile::link(root + "/real", root + "/t/lnk"));
    for (QString &name : names)
        name.replace('@', root);

    MessageCapture capture;
    QCOMPARE(TidyUp::prepareDirs(QDir(root + '/' + target), names[0], names[1], names[2]), ok);
    const QStringList expected
        = message.isEmpty() ? QStringList {} : QStringList { QString(message).replace('@', root) };
    QCOMPARE(capture.lines(), expected);
    for (const QString &dir : dirsAfter)
        QVERIFY2(QFileInfo(root + '/' + dir).isDir(), qPrintable(dir));
}

void TestTidyUp::listingMatchesDirectoryListing()
{
    const QStringList names { "b-900eV-1.img", "B-850eV-2.IMG", "a.img", ".hidden.img", "c.tif",
        "_x.img", "é-1eV-1.img", "Z.Img", "sub.img/", "dir/", "noext", "試料-850eV-001.img", "img",
        "x.img.bak", "a.b.img" };
    for (const QString &name : names)
        QVERIFY(FsTree::make(tmp->path() + '/' + name));
    const QDir dir(tmp->path());
    for (const QString &ext : QStringList { "img", "IMG", "*", "", "i?g" }) {
        QStringList expected
            = dir.entryList({ QStringLiteral("*.") + ext }, QDir::NoFilter, QDir::NoSort);
        expected.removeAll(".");
        expected.removeAll("..");
        QCOMPARE(TidyUp::listEntries(dir, ext), expected);
    }
}

// A dangling link where a file should go must stop the move, not be written through.
void TestTidyUp::neverWritesThroughALink()
{
    const QString t = tmp->filePath("T");
    QVERIFY(FsTree::make(t + "/a-9eV-1.img", "data"));
    QVERIFY(FsTree::make(t + "/Origs/"));
    QVERIFY(QFile::link(tmp->filePath("elsewhere"), t + "/Origs/a-9_00eV-1.img"));
    MessageCapture capture;
    QVERIFY(TidyUp::run(t, "Origs", "Energy", "SeqNo", "img"));
    QCOMPARE(capture.lines().size(), 1);
    QVERIFY(capture.lines().first().startsWith("Can't move"));
    QCOMPARE(FsTree::read(t + "/a-9eV-1.img"), QByteArray("data"));
    QVERIFY(!QFileInfo::exists(tmp->filePath("elsewhere")));
    QVERIFY(!QFileInfo::exists(t + "/Energy/9_00"));
}

void TestTidyUp::movesToAnotherFileSystem()
{
    QTemporaryDir other(QStringLiteral("/dev/shm/tst_tidyup-XXXXXX"));
    if (!other.isValid()
        || QStorageInfo(other.path()).device() == QStorageInfo(tmp->path()).device())
        QSKIP("no second file system to move to");
    const QString t = tmp->filePath("T");
    QVERIFY(FsTree::make(t + "/a-9eV-1.img", "data"));
    MessageCapture capture;
    QVERIFY(TidyUp::run(t, other.path(), "Energy", "SeqNo", "img"));
    QCOMPARE(capture.lines(), QStringList {});
    QCOMPARE(FsTree::read(other.filePath("a-9_00eV-1.img")), QByteArray("data"));
    QVERIFY(!QFileInfo::exists(t + "/a-9eV-1.img"));
    QCOMPARE(
        QFileInfo(t + "/SeqNo/1/a-9_00eV-1.img").symLinkTarget(), other.filePath("a-9_00eV-1.img"));
}

void TestTidyUp::noMeasurementIsLost_data()
{
    QTest::addColumn<quint32>("seed");
    for (quint32 seed = 1; seed <= 40; ++seed)
        QTest::addRow("seed %u", seed) << seed;
}

// Random targets full of traps; afterwards every measurement must exist exactly once, nothing
// outside the target may have changed, and every link must lead to the file it is named after.
void TestTidyUp::noMeasurementIsLost()
{
    QFETCH(quint32, seed);
    QRandomGenerator rng(seed);
    const auto pick = [&rng](const QStringList &from) {
        return from.at(int(rng.bounded(quint32(from.size()))));
    };

    const QString root = tmp->path();
    const QString target = root + "/scan " + pick({ "A", "データ", "x y" });
    QVERIFY(FsTree::make(root + "/outside/keep.img", "outside"));
    const QStringList origsChoices { "Origs", "o-850eV-1.img", "raw.img/orig", "元データ" };
    const QString origs = pick(origsChoices);
    const QString energy = pick({ "Energy", "e.img" });
    const QString ext = pick({ "img", "img", "*", "IMG" });

    int serial = 0;
    QStringList contents;
    const auto addFile = [&](const QString &path) {
        const QByteArray content = "m" + QByteArray::number(++serial);
        contents << QString::fromLatin1(content);
        return FsTree::make(path, content);
    };
    const int entries = 10 + int(rng.bounded(30u));
    for (int i = 0; i < entries; ++i) {
        const QString e = pick({ "850", "850_00", "850_5", "9+1", "０" });
        const QString s = pick({ "1", "01", "001", "2" });
        QString name = pick({ "p-", "p-", "a b-", "試料-", ".h-", "" }) + e
            + pick({ "eV-", "eV-", "ev-" }) + s + pick({ ".img", ".img", ".IMG", ".tif", "" });
        if (rng.bounded(10u) == 0)
            name = pick({ "dark.img", "flat.IMG", "raw.img", "o-850eV-1.img", "x", ".." });
        const QString path = target + '/' + name;
        if (QFileInfo::exists(path) || name == "..")
            continue;
        if (rng.bounded(8u) == 0) {
            QVERIFY(addFile(path + "/inner.img"));
        } else {
            QVERIFY(addFile(path));
        }
    }
    const auto outsideBefore = FsTree::snapshot(root + "/outside");

    // A generated file may stand where an output directory should go; the run then refuses,
    // and the checks below hold all the same.
    const bool ran = TidyUp::run(target, origs, energy, "SeqNo", ext);

    QCOMPARE(FsTree::snapshot(root + "/outside"), outsideBefore);
    const QString origsAbs = QDir::cleanPath(target + '/' + origs);
    if (ran) {
        for (const QString &dir : { origs, energy, QStringLiteral("SeqNo") })
            QVERIFY2(QFileInfo(target + '/' + dir).isDir(), qPrintable(dir));
    }
    QStringList found;
    const auto tree = FsTree::snapshot(target);
    for (auto it = tree.cbegin(); it != tree.cend(); ++it) {
        if (it.value().startsWith("file:"))
            found << it.value().mid(5);
        if (it.value().startsWith("link:")) {
            const QString linkTarget = it.value().mid(5);
            const QString name = QFileInfo(it.key()).fileName();
            QVERIFY2(QFileInfo::exists(linkTarget), qPrintable(it.key()));
            QCOMPARE(QFileInfo(linkTarget).fileName(), name);
            QCOMPARE(QFileInfo(linkTarget).absolutePath(), origsAbs);
            // Filed under this very name's energy or sequence field, and nowhere else.
            QString e, q;
            TidyUp::rewriteFileName(name, e, q);
            const QString subDir = QFileInfo(it.key()).path();
            QVERIFY2(subDir == energy + '/' + e || subDir == "SeqNo/" + q, qPrintable(it.key()));
        }
    }
    found.sort();
    contents.sort();
    QCOMPARE(found, contents);
}

QTEST_GUILESS_MAIN(TestTidyUp)
#include "tst_tidyup.moc"
