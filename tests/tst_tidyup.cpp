// SPDX-License-Identifier: MIT
#include "testsupport.h"
#include "tidyup.h"

#include <QRandomGenerator>
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
    void run_data();
    void run();
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

// clang-format off
void TestTidyUp::rewriteFileName_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("result"); // new name, energy, sequence; "-" for fields left alone
    QTest::newRow("energy gets _00") << "sample-850eV-001.tif" << "sample-850_00eV-001.tif 850_00 001";
    QTest::newRow("underscore kept") << "sample-850_5eV-001.tif" << "sample-850_5eV-001.tif 850_5 001";
    QTest::newRow("plus is no underscore") << "s-850+5eV-1.tif" << "s-850+5_00eV-1.tif 850+5_00 1";
    QTest::newRow("hyphens in prefix") << "scan-2-850eV-003.tif" << "scan-2-850_00eV-003.tif 850_00 003";
    QTest::newRow("whole tail kept") << "s-850eV-001.tif.bak" << "s-850_00eV-001.tif.bak 850_00 001";
    QTest::newRow("last matching field") << "a-850eV-1-900eV-2.img" << "a-850eV-1-900_00eV-2.img 900_00 2";
    QTest::newRow("underscore anywhere") << "s-_850eV-7.img" << "s-_850eV-7.img _850 7";
    QTest::newRow("Japanese prefix") << "試料-7002_5eV-0001.img" << "試料-7002_5eV-0001.img 7002_5 0001";
    QTest::newRow("line break before the match") << "a\nb-850eV-001.img" << "a\nb-850_00eV-001.img 850_00 001";
    QTest::newRow("line break in the tail") << "s-850eV-001.img\nold" << "s-850_00eV-001.img\nold 850_00 001";
    QTest::newRow("no energy field") << "dark-001.tif" << "dark-001.tif - -";
    QTest::newRow("lower-case unit") << "sample-850ev-001.tif" << "sample-850ev-001.tif - -";
    QTest::newRow("no hyphen before energy") << "850eV-001.tif" << "850eV-001.tif - -";
    QTest::newRow("no dot after sequence") << "sample-850eV-001" << "sample-850eV-001 - -";
    QTest::newRow("letter in sequence") << "sample-850eV-0a1.tif" << "sample-850eV-0a1.tif - -";
    QTest::newRow("full-width digits") << "sample-８５０eV-001.tif" << "sample-８５０eV-001.tif - -";
    QTest::newRow("empty") << "" << " - -";
}
// clang-format on

void TestTidyUp::rewriteFileName()
{
    QFETCH(QString, name);
    QFETCH(QString, result);
    QString energy = "-", seqNo = "-";
    const QString newName = TidyUp::rewriteFileName(name, energy, seqNo);
    QCOMPARE(newName + ' ' + energy + ' ' + seqNo, result);
}

// clang-format off
void TestTidyUp::prepareDirs_data()
{
    QTest::addColumn<QString>("existing"); // below the temporary directory "@"; "x>y" a link
    QTest::addColumn<QString>("names"); // the target, then the three names
    QTest::addColumn<QString>("message"); // empty when the check passes
    QTest::newRow("all present") << "t/O/ t/E/ t/S/" << "t O E S" << "";
    QTest::newRow("none present, target absent") << "" << "new/t O E S" << "";
    QTest::newRow("several levels, absolute") << "t/" << "t a/b/c @/abs/e x/y" << "";
    QTest::newRow("equal names") << "t/" << "t d d d" << "";
    QTest::newRow("link to a directory") << "t/ real/ t/l>real" << "t O l S" << "";
    QTest::newRow("empty name") << "t/" << "t  E S" << "The dir [] is not in [@/t].";
    QTest::newRow("file in the way") << "t/E" << "t O E S" << "The entry [E] in [@/t] is not directory.";
    QTest::newRow("target is a file") << "f" << "f/t O E S" << "The dir [O] is not in [@/f/t].";
    QTest::newRow("absolute name in the message") << "t/ f" << "t O @/f S" << "The entry [@/f] in [@/t] is not directory.";
    QTest::newRow("placeholders typed") << "t/a%2%1" << "t a%2%1 E S" << "The entry [a%2%1] in [@/t] is not directory.";
}
// clang-format on

void TestTidyUp::prepareDirs()
{
    QFETCH(QString, existing);
    QFETCH(QString, names);
    QFETCH(QString, message);
    const QString root = tmp->path();
    for (const QString &entry : existing.split(' ', Qt::SkipEmptyParts)) {
        const QStringList link = entry.split('>');
        QVERIFY(link.size() == 2 ? QFile::link(root + '/' + link[1], root + '/' + link[0])
                                 : makeEntry(root + '/' + entry));
    }
    const QStringList n = names.replace('@', root).split(' ');
    MessageCapture capture;
    const QDir target(root + '/' + n[0]);
    QCOMPARE(TidyUp::prepareDirs(target, n[1], n[2], n[3]), message.isEmpty());
    QCOMPARE(capture.lines.join('\n'),
        message.isEmpty() ? QString() : QString('"' + message.replace('@', root) + '"'));
    for (int i = 1; message.isEmpty() && i < 4; ++i)
        QVERIFY2(QFileInfo(target, n[i]).isDir(), qPrintable(n[i]));
}

void TestTidyUp::listingMatchesDirectoryListing()
{
    for (const char *name : { "b-900eV-1.img", "B-850eV-2.IMG", "a.img", ".hidden.img", "c.tif",
             "_x.img", "Z.Img", "sub.img/", "dir/", "noext", "試料-850eV-001.img", "x.img.bak" })
        QVERIFY(makeEntry(tmp->filePath(name)));
    const QDir dir(tmp->path());
    for (const QString &ext : QStringList { "img", "IMG", "*", "", "i?g" }) {
        QStringList expected = dir.entryList({ "*." + ext }, QDir::NoFilter, QDir::NoSort);
        expected.removeAll(".");
        expected.removeAll("..");
        QCOMPARE(TidyUp::listEntries(dir, ext), expected);
    }
}

// clang-format off
void TestTidyUp::run_data()
{
    QTest::addColumn<QString>("files"); // in T, content = name; "x/" a directory, "x>y" a link
    QTest::addColumn<QString>("fields"); // originals, energy, sequence names and extension
    QTest::addColumn<QString>("after"); // the tree below T, sorted, without E/, O/ and S/
    QTest::addColumn<QString>("messages"); // with "@" for T
    QTest::newRow("no data files") << "dark.txt" << "O E S tif" << "dark.txt=dark.txt" << "";
    QTest::newRow("energies and sequences") << "s-850eV-1.tif s-900_5eV-1.tif" << "O E S tif"
        << "E/850_00/ E/850_00/s-850_00eV-1.tif>O/s-850_00eV-1.tif E/900_5/ E/900_5/s-900_5eV-1.tif>O/s-900_5eV-1.tif "
           "O/s-850_00eV-1.tif=s-850eV-1.tif O/s-900_5eV-1.tif=s-900_5eV-1.tif "
           "S/1/ S/1/s-850_00eV-1.tif>O/s-850_00eV-1.tif S/1/s-900_5eV-1.tif>O/s-900_5eV-1.tif" << "";
    QTest::newRow("case of the extension ignored") << "a-9eV-1.TIF" << "O E S tif"
        << "E/9_00/ E/9_00/a-9_00eV-1.TIF>O/a-9_00eV-1.TIF O/a-9_00eV-1.TIF=a-9eV-1.TIF S/1/ S/1/a-9_00eV-1.TIF>O/a-9_00eV-1.TIF" << "";
    QTest::newRow("subdirectory moves whole") << "d-9eV-2.tif/ d-9eV-2.tif/in" << "O E S tif"
        << "E/9_00/ E/9_00/d-9_00eV-2.tif>O/d-9_00eV-2.tif O/d-9_00eV-2.tif/ O/d-9_00eV-2.tif/in=d-9eV-2.tif/in S/2/ S/2/d-9_00eV-2.tif>O/d-9_00eV-2.tif" << "";
    QTest::newRow("colliding names: second stays") << "a-9eV-1.tif a-9_00eV-1.tif" << "O E S tif"
        << "E/9_00/ E/9_00/a-9_00eV-1.tif>O/a-9_00eV-1.tif O/a-9_00eV-1.tif=a-9_00eV-1.tif S/1/ S/1/a-9_00eV-1.tif>O/a-9_00eV-1.tif a-9eV-1.tif=a-9eV-1.tif"
        << "Can't move \"@/a-9eV-1.tif\" to \"@/O/a-9_00eV-1.tif\": File exists";
    QTest::newRow("dangling link at the destination") << "O/ O/b-9_00eV-7.tif>../nowhere b-9eV-7.tif" << "O E S tif"
        << "O/b-9_00eV-7.tif>nowhere b-9eV-7.tif=b-9eV-7.tif" << "Can't move \"@/b-9eV-7.tif\" to \"@/O/b-9_00eV-7.tif\": File exists";
    QTest::newRow("link in the way") << "E/9_00/ E/9_00/x-9_00eV-1.tif x-9eV-1.tif" << "O E S tif"
        << "E/9_00/ E/9_00/x-9_00eV-1.tif=E/9_00/x-9_00eV-1.tif O/x-9_00eV-1.tif=x-9eV-1.tif S/1/ S/1/x-9_00eV-1.tif>O/x-9_00eV-1.tif"
        << "Can't make the link \"@/E/9_00/x-9_00eV-1.tif\" to \"@/O/x-9_00eV-1.tif\"";
    QTest::newRow("no fields: moved, not linked") << "dark.tif" << "O E S tif" << "O/dark.tif=dark.tif" << "";
    QTest::newRow("check fails, nothing moved") << "O a-9eV-1.tif" << "O E S tif" << "O=O a-9eV-1.tif=a-9eV-1.tif"
        << "\"The entry [O] in [@] is not directory.\"\nDirs to tidy up files can not set up well.";
    QTest::newRow("extension * never takes . or ..") << "noext n.txt" << "O E S *" << "O/n.txt=n.txt noext=noext" << "";
    QTest::newRow("output directories named like data") << "raw.tif/ e.tif/ s.tif/ s.tif/in" << "raw.tif e.tif/x S tif"
        << "S/ e.tif/ e.tif/x/ raw.tif/ raw.tif/s.tif/ raw.tif/s.tif/in=s.tif/in" << "";
    QTest::newRow("Japanese names") << "試料-8eV-1.tif" << "元 エ 連 tif"
        << "エ/ エ/8_00/ エ/8_00/試料-8_00eV-1.tif>元/試料-8_00eV-1.tif 元/ 元/試料-8_00eV-1.tif=試料-8eV-1.tif 連/ 連/1/ 連/1/試料-8_00eV-1.tif>元/試料-8_00eV-1.tif" << "";
}
// clang-format on

void TestTidyUp::run()
{
    QFETCH(QString, files);
    QFETCH(QString, fields);
    QFETCH(QString, after);
    QFETCH(QString, messages);
    const QString t = tmp->filePath("T");
    QVERIFY(makeEntry(t + '/'));
    for (const QString &f : files.split(' ', Qt::SkipEmptyParts)) {
        const QStringList link = f.split('>');
        QVERIFY(link.size() == 2 ? QFile::link(link[1], t + '/' + link[0])
                                 : makeEntry(t + '/' + f, f.toUtf8()));
    }
    const QStringList n = fields.split(' ');
    MessageCapture capture;
    TidyUp::run(t, n[0], n[1], n[2], n[3]);
    QCOMPARE(capture.lines.join('\n').replace(t, "@"), messages);
    QStringList expected = after.split(' ');
    for (const QString &dir : QStringList { "E/", "O/", "S/" }) {
        if (n[0] == "O" && !after.contains(dir.left(1) + '='))
            expected << dir;
    }
    expected.sort();
    QCOMPARE(tree(t), expected);
}

void TestTidyUp::noMeasurementIsLost_data()
{
    QTest::addColumn<quint32>("seed");
    for (quint32 seed = 1; seed <= 60; ++seed)
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
    QVERIFY(makeEntry(root + "/outside/keep.img", "outside"));
    const QString origs = pick({ "Origs", "o-850eV-1.img", "raw.img/orig", "元データ" });
    const QString energy = pick({ "Energy", "e.img" });
    const QString ext = pick({ "img", "img", "*", "IMG" });
    QStringList contents;
    for (int i = 0, entries = 10 + int(rng.bounded(30u)); i < entries; ++i) {
        QString name = pick({ "p-", "p-", "a b-", "試料-", ".h-", "" })
            + pick({ "850", "850_00", "850_5", "9+1", "０" }) + pick({ "eV-", "eV-", "ev-" })
            + pick({ "1", "01", "001", "2" }) + pick({ ".img", ".img", ".IMG", ".tif", "" });
        if (rng.bounded(10u) == 0)
            name = pick({ "dark.img", "flat.IMG", "raw.img", "o-850eV-1.img", "x" });
        const QString path = target + '/' + name + (rng.bounded(8u) == 0 ? "/inner.img" : "");
        if (QFileInfo::exists(target + '/' + name))
            continue;
        contents << "m" + QString::number(i);
        QVERIFY(makeEntry(path, contents.last().toUtf8()));
    }
    // A generated file may stand where an output directory should go; the run then refuses,
    // and the checks below hold all the same.
    const bool ran = TidyUp::run(target, origs, energy, "SeqNo", ext);

    QCOMPARE(tree(root + "/outside"), QStringList { "keep.img=outside" });
    for (const QString &dir : { origs, energy, QString("SeqNo") })
        QVERIFY(!ran || QFileInfo(target + '/' + dir).isDir());
    QStringList found;
    for (const QString &line : tree(target)) {
        if (line.contains('='))
            found << line.section('=', 1);
        if (!line.contains('>'))
            continue;
        const QString link = line.section('>', 0, 0), to = line.section('>', 1);
        QString e, q;
        const QString name = QFileInfo(link).fileName();
        TidyUp::rewriteFileName(name, e, q);
        QVERIFY2(QFileInfo::exists(target + '/' + to) && to == QDir::cleanPath(origs + '/' + name),
            qPrintable(line));
        QVERIFY2(
            QFileInfo(link).path() == energy + '/' + e || QFileInfo(link).path() == "SeqNo/" + q,
            qPrintable(line));
    }
    found.sort();
    contents.sort();
    QCOMPARE(found, contents);
}

QTEST_GUILESS_MAIN(TestTidyUp)
#include "tst_tidyup.moc"
