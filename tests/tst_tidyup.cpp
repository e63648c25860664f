// SPDX-License-Identifier: MIT
#include "tidyup/check.h"
#include "tidyup/repairer.h"
#include "tidyup/report/checkreport.h"
#include "tidyup/names/dirscan.h"
#include "tidyup/names/listing.h"
#include "tidyup/names/namerule.h"
#include "tidyup/preview.h"
#include "tidyup/run.h"
#include "tidyup/undo.h"
#include "tidyup/files/runmarker.h"
#include "tidyup/files/subdirs.h"
#include "tests/testsupport.h"
#include "tidyup/tidyup.h"

#include <QProcess>
#include <QRandomGenerator>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>
#include <atomic>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

class TestTidyUp : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase_data();
    void initTestCase();
    void cleanupTestCase();
    void init();
    void rewriteFileName_data();
    void rewriteFileName();
    void listingMatchesDirectoryListing();
    void run_data();
    void run();
    void undoLeavesWhatChanged_data();
    void undoLeavesWhatChanged();
    void preview_data();
    void preview();
    void progressAndStop_data();
    void progressAndStop();
    void noMeasurementIsLost_data();
    void noMeasurementIsLost();
    void crossMove_data();
    void crossMove();
    void recordOnAFullDisk_data();
    void recordOnAFullDisk();
    void failuresCountedByReason();
    void lastRunOfALongRecord();
    void relativeLinks_data();
    void relativeLinks();
    void checkLinkTrees_data();
    void checkLinkTrees();
    void oldNameNotRemoved_data();
    void oldNameNotRemoved();
    void crossMoveSourceNotRemoved();
    void plainRenameNeverReplaces();
    void repairKeepsWhatReplacedALink();
    void repairWhereLinksAreRefused();

    void abandonedMarkerOpenForWriting();

private:
    QScopedPointer<QTemporaryDir> tmp;
    // On a memory disk where there is one: the local folders, and the file systems that refuse
    // what a local disk allows, each mirroring a folder.
    QTemporaryDir root { inMemory("tst_tidyup") };
    QStringList mounted;
};

// Every test once with the links made by a pool of threads, once by one thread; and on our FUSE
// file system, once refusing rename flags as the NFS client does, once refusing hard links too.
void TestTidyUp::initTestCase_data()
{
    QTest::addColumn<int>("linkThreads");
    QTest::addColumn<QString>("fileSystem"); // slowfs's option; empty: a local one
    QTest::newRow("8 link threads") << 8 << "";
    QTest::newRow("1 link thread") << 1 << "";
    QTest::newRow("NFS model") << 8 << "--nfs";
    QTest::newRow("no hard links") << 8 << "--no-hard-links";
}

void TestTidyUp::initTestCase()
{
    // Few descriptors, so that the link trees' folders outnumber those kept open.
    const rlimit few { 256, 256 };
    QVERIFY(::setrlimit(RLIMIT_NOFILE, &few) == 0);
    QVERIFY(SubDirs::capacity() < 100);
    QVERIFY(root.isValid());
    for (const QString mode : { "--nfs", "--no-hard-links", "--refuse-unlinks", "--no-symlinks", "--racing-links", "--racing-exchanges" }) {
        const QString server = root.filePath(mode + "-server"), mount = root.filePath(mode);
        QVERIFY(QDir().mkpath(server) && QDir().mkpath(mount));
        const QStringList list = mode == "--refuse-unlinks" ? QStringList { root.filePath("refused") }
            : mode.startsWith("--racing")                   ? QStringList { root.filePath(mode.mid(2)) }
                                                            : QStringList();
        // slowfs returns once the file system is mounted.
        if (QProcess::execute(SLOWFS, QStringList { mode } + list + QStringList { server, mount, "0" }) == 0)
            mounted << mode;
    }
}

void TestTidyUp::cleanupTestCase()
{
    for (const QString &mode : qAsConst(mounted))
        QProcess::execute("umount", { root.filePath(mode) });
}

static TidyUp::Settings settings(const QString &t, const QString &o, const QString &e, const QString &s, const QString &ext)
{
    QFETCH_GLOBAL(int, linkThreads);
    return { t, o, e, s, ext, linkThreads };
}

// Every entry below root with its type, mode, time of change (but for directories, which runs
// change) and content or link text.
static QStringList snapshot(const QString &root)
{
    QStringList entries;
    for (QDirIterator it(root, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System, QDirIterator::Subdirectories); it.hasNext();) {
        const QString path = it.next();
        if (path.contains("/.quorvix-data"))
            continue;
        struct stat st = {};
        ::lstat(QFile::encodeName(path).constData(), &st);
        const bool dir = S_ISDIR(st.st_mode);
        entries << QString("%1 %2 %3 %4").arg(path.mid(root.size()), QString::number(st.st_mode, 8),
            dir ? QString("-") : QString("%1.%2").arg(st.st_mtim.tv_sec).arg(st.st_mtim.tv_nsec),
            S_ISLNK(st.st_mode) ? it.fileInfo().symLinkTarget() : dir ? QString() : QString(FsTree::read(path)));
    }
    entries.sort();
    return entries;
}

void TestTidyUp::init()
{
    QFETCH_GLOBAL(QString, fileSystem);
    const QString test = QTest::currentTestFunction();
    if (!fileSystem.isEmpty()) {
        if (test == "rewriteFileName" || test == "listingMatchesDirectoryListing" || test == "crossMove"
            || test == "recordOnAFullDisk" || test == "failuresCountedByReason" || test == "oldNameNotRemoved"
            || test == "crossMoveSourceNotRemoved" || test == "plainRenameNeverReplaces"
            || test == "repairKeepsWhatReplacedALink"
            || test == "repairWhereLinksAreRefused")
            QSKIP("not a matter of the file system");
        if (!mounted.contains(fileSystem) && ::geteuid() == 0)
            QFAIL("slowfs could not be mounted");
        if (!mounted.contains(fileSystem))
            QSKIP("slowfs could not be mounted: it needs /dev/fuse, and root or fusermount3");
    }
    tmp.reset(new QTemporaryDir(root.path() + '/' + (fileSystem.isEmpty() ? QString("local-XXXXXX") : fileSystem + "/XXXXXX")));
    QVERIFY(tmp->isValid());
}

// clang-format off
void TestTidyUp::rewriteFileName_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("result"); // new name, energy, sequence; "-" for fields left alone
    QTest::newRow("plus is no underscore") << "s-850+5eV-1.tif" << "s-850+5_00eV-1.tif 850+5_00 1";
    QTest::newRow("last matching field") << "a-850eV-1-900eV-2.img" << "a-850eV-1-900_00eV-2.img 900_00 2";
    QTest::newRow("underscore anywhere") << "s-_850eV-7.img" << "s-_850eV-7.img _850 7";
    QTest::newRow("line break before the match") << "a\nb-850eV-001.img" << "a\nb-850_00eV-001.img 850_00 001";
    QTest::newRow("no energy field") << "dark-001.tif" << "dark-001.tif - -";
    QTest::newRow("lower-case unit") << "sample-850ev-001.tif" << "sample-850ev-001.tif - -";
    QTest::newRow("full-width digits") << "sample-８５０eV-001.tif" << "sample-８５０eV-001.tif - -";
    QTest::newRow("a later dash that does not fit") << "a-1eV-2.x-y" << "a-1_00eV-2.x-y 1_00 2";
    QTest::newRow("no dot after the number") << "a-1eV-2" << "a-1eV-2 - -";
}
// clang-format on

void TestTidyUp::rewriteFileName()
{
    QFETCH(QString, name);
    QFETCH(QString, result);
    QString energy = "-", seqNo = "-";
    const QString newName = TidyUp::rewriteFileName(name, energy, seqNo);
    QCOMPARE(newName + ' ' + energy + ' ' + seqNo, result);
    // A run reads the name's bytes, without the expression where it can.
    QByteArray energyBytes = "-", seqNoBytes = "-";
    const QByteArray newBytes = TidyUp::rewriteFileName(name.toUtf8(), energyBytes, seqNoBytes);
    QCOMPARE(QString::fromUtf8(newBytes + ' ' + energyBytes + ' ' + seqNoBytes), result);
}

// The same entries and order as the toolkit's own sorted listing, "." and ".." left out; and
// the same entries read without it, as the preview reads them.
void TestTidyUp::listingMatchesDirectoryListing()
{
    for (const char *name :
        { "b-9eV-1.img", "B-8eV-2.IMG", "a.img", ".h.img", "c.tif", "_x.img", "Z.Img", "s.img/", "d/", "n", "試-8eV-1.img" })
        QVERIFY(FsTree::make(tmp->filePath(name)));
    QVERIFY(QFile::link("nowhere", tmp->filePath("dangling.img")) && QFile::link("a.img", tmp->filePath("k.img")));
    QVERIFY(::mkfifo(qPrintable(tmp->filePath("fifo.img")), 0600) == 0);
    const QDir dir(tmp->path());
    for (const QString &ext : QStringList { "img", "IMG", "*", "", "i?g", "[i]mg" }) {
        const QStringList expected
            = dir.entryList({ "*." + ext }, QDir::NoFilter, QDir::NoSort).filter(QRegularExpression("^(?!\\.\\.?$)"));
        QStringList listed;
        for (const QByteArray &name : TidyUp::listEntries(dir, ext))
            listed << QFile::decodeName(name);
        QCOMPARE(listed, expected);
        QStringList scanned;
        QVERIFY(DirScan::matching(tmp->path(), ext, [&scanned](const QString &name) { scanned << name; }));
        scanned.sort(Qt::CaseInsensitive);
        QCOMPARE(scanned, expected);
    }
    // Names that share their beginning, as a scan's do, and differ in case, length and bytes
    // beyond ASCII after it: within the first 8 bytes, between 8 and 16, and only after 16.
    const QDir scan(tmp->filePath("scan"));
    for (const char *name : { "s-1eV-1.img", "S-1EV-10.img", "s-1eV-1_.img", "s-1ev-2.IMG", "s-1é.img", "s-1[.img", "s-1eV-1.img.img", "s-1EV-1.IMG", "s-1.img", "s-1eV-0009.img", "s-1eV-0009é.img",
             "sample-7002_5eV-0001.img", "sample-7000_00eV-0002.img", "Sample-7000_00eV-0001.IMG", "sample-7000_00eV-0010.img", "sample-7000_00eV-001.img", "sample-7000_00eV-0001.img.img", "sample-7000_00eV-00é1.img" })
        QVERIFY(FsTree::make(scan.filePath(name)));
    QStringList listed;
    for (const QByteArray &name : TidyUp::listEntries(scan, "img"))
        listed << QFile::decodeName(name);
    // The toolkit leaves the order of names equal but for case to its sort; ours puts them in
    // the order of their bytes.
    QStringList expected = scan.entryList({ "*.img" }, QDir::Files);
    std::stable_sort(expected.begin(), expected.end(), [](const QString &a, const QString &b) {
        const int byCase = a.compare(b, Qt::CaseInsensitive);
        return byCase ? byCase < 0 : QFile::encodeName(a) < QFile::encodeName(b);
    });
    QCOMPARE(listed, expected);
}

// clang-format off
void TestTidyUp::run_data()
{
    QTest::addColumn<bool>("targetExists");
    QTest::addColumn<QStringList>("files"); // in T, content = name; "x/" a directory, "x>y" a link, "x<y" a hard link to y
    QTest::addColumn<QStringList>("names"); // originals, energy, sequence, extension ("#": the parent of T)
    QTest::addColumn<QStringList>("after"); // the tree below T but for E/, O/, S/
    QTest::addColumn<QStringList>("messages"); // "@": T, "#": its parent
    QTest::newRow("no data files; hidden, other tails, dots") << true << QStringList { ".h-9eV-1.tif", "a.tifx", "x.tif.bak" } << QStringList { "O", "E", "S", "tif" } << QStringList { ".h-9eV-1.tif=.h-9eV-1.tif", "a.tifx=a.tifx", "x.tif.bak=x.tif.bak" } << QStringList {};
    QTest::newRow("energies, sequences, case of the extension") << true << QStringList { "s-850eV-1.tif", "s-900_5eV-1.TIF" } << QStringList { "O", "E", "S", "tif" } << QStringList { "E/850_00/", "E/850_00/s-850_00eV-1.tif>O/s-850_00eV-1.tif", "E/900_5/", "E/900_5/s-900_5eV-1.TIF>O/s-900_5eV-1.TIF", "O/s-850_00eV-1.tif=s-850eV-1.tif", "O/s-900_5eV-1.TIF=s-900_5eV-1.TIF", "S/1/", "S/1/s-850_00eV-1.tif>O/s-850_00eV-1.tif", "S/1/s-900_5eV-1.TIF>O/s-900_5eV-1.TIF" } << QStringList {};
    QTest::newRow("subdirectory moves whole") << true << QStringList { "d-9eV-2.tif/", "d-9eV-2.tif/in" } << QStringList { "O", "E", "S", "tif" } << QStringList { "E/9_00/", "E/9_00/d-9_00eV-2.tif>O/d-9_00eV-2.tif", "O/d-9_00eV-2.tif/", "O/d-9_00eV-2.tif/in=d-9eV-2.tif/in", "S/2/", "S/2/d-9_00eV-2.tif>O/d-9_00eV-2.tif" } << QStringList {};
    QTest::newRow("colliding names: second stays") << true << QStringList { "a-9eV-1.tif", "a-9_00eV-1.tif" } << QStringList { "O", "E", "S", "tif" } << QStringList { "E/9_00/", "E/9_00/a-9_00eV-1.tif>O/a-9_00eV-1.tif", "O/a-9_00eV-1.tif=a-9_00eV-1.tif", "S/1/", "S/1/a-9_00eV-1.tif>O/a-9_00eV-1.tif", "a-9eV-1.tif=a-9eV-1.tif" } << QStringList { "Can't move \"@/a-9eV-1.tif\" to \"@/O/a-9_00eV-1.tif\": File exists" };
    QTest::newRow("dangling link at the destination") << true << QStringList { "O/", "O/b-9_00eV-7.tif>../nowhere", "b-9eV-7.tif" } << QStringList { "O", "E", "S", "tif" } << QStringList { "O/b-9_00eV-7.tif>nowhere", "b-9eV-7.tif=b-9eV-7.tif" } << QStringList { "Can't move \"@/b-9eV-7.tif\" to \"@/O/b-9_00eV-7.tif\": File exists" };
    QTest::newRow("link in the way") << true << QStringList { "E/9_00/", "E/9_00/x-9_00eV-1.tif", "x-9eV-1.tif" } << QStringList { "O", "E", "S", "tif" } << QStringList { "E/9_00/", "E/9_00/x-9_00eV-1.tif=E/9_00/x-9_00eV-1.tif", "O/x-9_00eV-1.tif=x-9eV-1.tif", "S/1/", "S/1/x-9_00eV-1.tif>O/x-9_00eV-1.tif" } << QStringList { "Can't make the link \"@/E/9_00/x-9_00eV-1.tif\" to \"@/O/x-9_00eV-1.tif\": File exists" };
    QTest::newRow("nothing to do: no record kept") << true << QStringList { "O/", "E/", "S/", "x.txt" } << QStringList { "O", "E", "S", "tif" } << QStringList { "x.txt=x.txt" } << QStringList {};
    QTest::newRow("no fields: moved, not linked") << true << QStringList { "dark.tif" } << QStringList { "O", "E", "S", "tif" } << QStringList { "O/dark.tif=dark.tif" } << QStringList {};
    QTest::newRow("check fails, nothing moved") << true << QStringList { "O", "a-9eV-1.tif" } << QStringList { "O", "E", "S", "tif" } << QStringList { "O=O", "a-9eV-1.tif=a-9eV-1.tif" } << QStringList { "\"The entry [O] in [@] is not directory.\"", "Dirs to tidy up files can not set up well." };
    QTest::newRow("extension *, never . or ..") << true << QStringList { "noext", "n.txt" } << QStringList { "O", "E", "S", "*" } << QStringList { "O/n.txt=n.txt", "noext=noext" } << QStringList {};
    QTest::newRow("output directories named like data") << true << QStringList { "raw.tif/", "e.tif/", "s.tif/", "s.tif/in" } << QStringList { "raw.tif", "e.tif/x", "S", "tif" } << QStringList { "e.tif/", "e.tif/x/", "raw.tif/", "raw.tif/s.tif/", "raw.tif/s.tif/in=s.tif/in" } << QStringList {};
    QTest::newRow("target made with the directories") << false << QStringList {} << QStringList { "O", "E", "S", "tif" } << QStringList {} << QStringList {};
    QTest::newRow("several levels, absolute names") << true << QStringList {} << QStringList { "a/b", "#/abs/e", "x/y", "tif" } << QStringList { "a/", "a/b/", "x/", "x/y/" } << QStringList {};
    QTest::newRow("link to a directory") << true << QStringList { "../real/", "l>../real" } << QStringList { "O", "l", "S", "tif" } << QStringList { "l>../real" } << QStringList {};
    QTest::newRow("empty name") << true << QStringList {} << QStringList { "", "E", "S", "tif" } << QStringList {} << QStringList { "\"The dir [] is not in [@].\"", "Dirs to tidy up files can not set up well." };
    QTest::newRow("absolute name in the message") << true << QStringList { "../f" } << QStringList { "O", "#/f", "S", "tif" } << QStringList {} << QStringList { "\"The entry [#/f] in [@] is not directory.\"", "Dirs to tidy up files can not set up well." };
    QTest::newRow("placeholders typed into a name") << true << QStringList { "a%2%1" } << QStringList { "a%2%1", "E", "S", "tif" } << QStringList { "a%2%1=a%2%1" } << QStringList { "\"The entry [a%2%1] in [@] is not directory.\"", "Dirs to tidy up files can not set up well." };
    QTest::newRow("interrupted run completed") << true << QStringList { "O/.quorvix-data-run-x1", "O/a-9_00eV-1.tif", "O/b-8_00eV-2.tif", "O/dark.tif", "E/9_00/a-9_00eV-1.tif", "S/2/b-8_00eV-2.tif" } << QStringList { "O", "E", "S", "tif" } << QStringList { "E/8_00/", "E/8_00/b-8_00eV-2.tif>O/b-8_00eV-2.tif", "E/9_00/", "E/9_00/a-9_00eV-1.tif=E/9_00/a-9_00eV-1.tif", "O/a-9_00eV-1.tif=O/a-9_00eV-1.tif", "O/b-8_00eV-2.tif=O/b-8_00eV-2.tif", "O/dark.tif=O/dark.tif", "S/1/", "S/1/a-9_00eV-1.tif>O/a-9_00eV-1.tif", "S/2/", "S/2/b-8_00eV-2.tif=S/2/b-8_00eV-2.tif" } << QStringList {};
    QTest::newRow("interrupted between link and unlink") << true << QStringList { "O/.quorvix-data-run-x1", "O/a-9_00eV-1.tif", "a-9eV-1.tif<O/a-9_00eV-1.tif", "O/b-8_00eV-2.tif", "b-8eV-2.tif" } << QStringList { "O", "E", "S", "tif" } << QStringList { "E/8_00/", "E/8_00/b-8_00eV-2.tif>O/b-8_00eV-2.tif", "E/9_00/", "E/9_00/a-9_00eV-1.tif>O/a-9_00eV-1.tif", "O/a-9_00eV-1.tif=O/a-9_00eV-1.tif", "O/b-8_00eV-2.tif=O/b-8_00eV-2.tif", "S/1/", "S/1/a-9_00eV-1.tif>O/a-9_00eV-1.tif", "S/2/", "S/2/b-8_00eV-2.tif>O/b-8_00eV-2.tif", "b-8eV-2.tif=b-8eV-2.tif" } << QStringList { "Can't move \"@/b-8eV-2.tif\" to \"@/O/b-8_00eV-2.tif\": File exists" };
    QTest::newRow("under both names, no marker") << true << QStringList { "O/a-9_00eV-1.tif", "a-9eV-1.tif<O/a-9_00eV-1.tif" } << QStringList { "O", "E", "S", "tif" } << QStringList { "O/a-9_00eV-1.tif=O/a-9_00eV-1.tif", "a-9eV-1.tif=O/a-9_00eV-1.tif" } << QStringList { "Can't move \"@/a-9eV-1.tif\" to \"@/O/a-9_00eV-1.tif\": File exists (the same file under both names: a move was interrupted)" };
    QTest::newRow("folder is a link elsewhere") << true << QStringList { "../away/", "E/", "E/9_00>../../away", "x-9eV-1.tif" } << QStringList { "O", "E", "S", "tif" } << QStringList { "E/9_00>../away", "O/x-9_00eV-1.tif=x-9eV-1.tif", "S/1/", "S/1/x-9_00eV-1.tif>O/x-9_00eV-1.tif" } << QStringList { "Can't make the link \"@/E/9_00/x-9_00eV-1.tif\" to \"@/O/x-9_00eV-1.tif\": the folder is a symbolic link" };
    QTest::newRow("Japanese names") << true << QStringList { "試料-8eV-1.tif" } << QStringList { "元", "エ", "連", "tif" } << QStringList { "エ/", "エ/8_00/", "エ/8_00/試料-8_00eV-1.tif>元/試料-8_00eV-1.tif", "元/", "元/試料-8_00eV-1.tif=試料-8eV-1.tif", "連/", "連/1/", "連/1/試料-8_00eV-1.tif>元/試料-8_00eV-1.tif" } << QStringList {};
}
// clang-format on

void TestTidyUp::run()
{
    QFETCH(bool, targetExists);
    QFETCH(QStringList, files);
    QFETCH(QStringList, names);
    QFETCH(QStringList, after);
    QFETCH(QStringList, messages);
    const QString t = tmp->filePath("T");
    for (const QString &f : files) {
        const QStringList link = f.split('>'), hard = f.split('<');
        if (hard.size() == 2 && ::link(qPrintable(t + '/' + hard[1]), qPrintable(t + '/' + hard[0])) != 0)
            QSKIP("no hard link, so no move can be left half-done here");
        QVERIFY(hard.size() == 2 || (link.size() == 2 ? QFile::link(link[1], t + '/' + link[0]) : FsTree::make(t + '/' + f, f.toUtf8())));
    }
    QVERIFY(!targetExists || FsTree::make(t + '/'));
    const QStringList n = names.replaceInStrings("#", tmp->path());
    const QStringList before = snapshot(tmp->path());
    MessageCapture capture;
    const TidyUp::Outcome outcome = TidyUp::run(settings(t, n[0], n[1], n[2], n[3]));
    QCOMPARE(outcome.dirsReady, !messages.contains("Dirs to tidy up files can not set up well."));
    QCOMPARE(outcome.finished, files.filter("run-").isEmpty() ? 0 : files.filter("<").size());
    QCOMPARE(outcome.lines, capture.lines);
    QCOMPARE(capture.lines.replaceInStrings(t, "@").replaceInStrings(tmp->path(), "#"), messages);
    QStringList expected = after;
    for (int i = 0; i < 3; ++i) {
        if (n[i] == QString("OES")[i] && !after.contains(n[i] + '=' + n[i]))
            expected << n[i] + '/';
        QVERIFY(!messages.isEmpty() || QFileInfo(QDir(t), n[i]).isDir());
    }
    expected.sort();
    QCOMPARE(FsTree::dataTree(t), expected);
    // A run that changed anything, if only an output directory or a folder it made, keeps its
    // record for Undo; one that changed nothing keeps none. The check's refusal keeps none either.
    const bool changed = snapshot(tmp->path()) != before;
    QVERIFY(changed || outcome.record.isEmpty());
    QVERIFY(!changed || !outcome.dirsReady || !outcome.record.isEmpty());

    // Undone from the record by the program itself, as after a restart, the tree is as it was
    // (a target the run made stays, holding the records), but for the links an interrupted run
    // had left unmade.
    QProcess program;
    program.start(QUORVIX_PROGRAM, { "--undo", "-e", "--json", "--target", t, "--origs", n[0], "--energy", n[1], "--seqno", n[2], "--ext", n[3] });
    QVERIFY(program.waitForFinished(60000));
    const QJsonObject undone = QJsonDocument::fromJson(program.readAllStandardOutput()).object();
    // A run that the check refused, or that changed nothing, keeps no record: nothing to undo.
    if (outcome.record.isEmpty()) {
        QCOMPARE(QList<int>({ program.exitCode(), QFileInfo::exists(t + "/.quorvix-data") }), QList<int>({ 2, 0 }));
        return;
    }
    QCOMPARE(QList<int>({ program.exitCode(), undone["moved"].toInt(), undone["linked"].toInt(), undone["not_moved"].toInt(), undone["links_not_made"].toInt() }),
        QList<int>({ 0, outcome.moved, outcome.linked, 0, 0 }));
    QStringList now = snapshot(tmp->path());
    if (!targetExists)
        now.removeAll(now.filter(QRegularExpression("^/T \\d+ - $")).value(0));
    QVERIFY(outcome.restored || now == before);
}

// clang-format off
void TestTidyUp::undoLeavesWhatChanged_data()
{
    QTest::addColumn<QString>("change"); // made after the run: "x>y" a link, "x" a file, or a change of the record
    QTest::addColumn<QStringList>("after"); // T after the undo, as in the run table, but for the unchanged
    QTest::addColumn<QStringList>("lines"); // sorted; "@": T, "R": the record
    QTest::newRow("a link replaced") << "E/9_00/a-9_00eV-1.tif>../../elsewhere" << QStringList { "E/", "E/9_00/", "E/9_00/a-9_00eV-1.tif>elsewhere" } << QStringList { "Left the link \"@/E/9_00/a-9_00eV-1.tif\": changed since the run" };
    QTest::newRow("an old name taken") << "a-9eV-1.tif" << QStringList { "E/", "E/9_00/", "E/9_00/a-9_00eV-1.tif>O/a-9_00eV-1.tif", "O/", "O/a-9_00eV-1.tif=a-9eV-1.tif", "S/", "S/1/", "S/1/a-9_00eV-1.tif>O/a-9_00eV-1.tif", "a-9eV-1.tif=new" } << QStringList { "Can't move \"@/O/a-9_00eV-1.tif\" back to \"@/a-9eV-1.tif\": File exists" };
    QTest::newRow("a folder replaced by a link") << "E/9_00>../../away" << QStringList { "E/", "E/9_00>../away" } << QStringList { "Left the link \"@/E/9_00/a-9_00eV-1.tif\": the folder is a symbolic link", "Left the link \"@/E/9_00/a-9_00eV-2.tif\": the folder is a symbolic link" };
    QTest::newRow("stopped, then undone again") << "stop" << QStringList() << QStringList();
    QTest::newRow("record cut short by a lost machine") << "cut" << QStringList { "E/", "E/8_00/", "E/8_00/b-8_00eV-1.tif>O/b-8_00eV-1.tif", "E/9_00/", "O/", "O/b-8_00eV-1.tif=b-8eV-1.tif", "S/", "S/1/", "S/1/b-8_00eV-1.tif>O/b-8_00eV-1.tif", "S/2/" } << QStringList { "Can't trust line 18 of the record \"R\": the line was cut short" };
    QTest::newRow("record naming ../x") << "plan\t1\t../a-9eV-1.tif" << QStringList { "E/", "E/9_00/", "E/9_00/a-9_00eV-1.tif>O/a-9_00eV-1.tif", "O/", "O/a-9_00eV-1.tif=a-9eV-1.tif", "S/", "S/1/", "S/1/a-9_00eV-1.tif>O/a-9_00eV-1.tif" } << QStringList { "Can't trust line 16 of the record \"R\": a name is not a plain file name" };
    QTest::newRow("record of another target") << "target\t/elsewhere" << QStringList { "E/", "E/8_00/", "E/8_00/b-8_00eV-1.tif>O/b-8_00eV-1.tif", "E/9_00/", "E/9_00/a-9_00eV-1.tif>O/a-9_00eV-1.tif", "E/9_00/a-9_00eV-2.tif>O/a-9_00eV-2.tif", "O/", "O/a-9_00eV-1.tif=a-9eV-1.tif", "O/a-9_00eV-2.tif=a-9eV-2.tif", "O/b-8_00eV-1.tif=b-8eV-1.tif", "S/", "S/1/", "S/1/a-9_00eV-1.tif>O/a-9_00eV-1.tif", "S/1/b-8_00eV-1.tif>O/b-8_00eV-1.tif", "S/2/", "S/2/a-9_00eV-2.tif>O/a-9_00eV-2.tif" } << QStringList { "No run of @ is left to undo." };
    QTest::newRow("a later record of a run that changed nothing") << "empty" << QStringList() << QStringList();
    QTest::newRow("record naming a directory outside") << "+dir\t#/empty" << QStringList() << QStringList { "Can't trust line 27 of the record \"R\": the directory is not an output directory of the run or a parent of one" };
    QTest::newRow("record with a result beyond its plan") << "+moved\t2147483647" << QStringList() << QStringList { "Can't trust line 27 of the record \"R\": the line's number is not one of the run's" };
    QTest::newRow("record with a file out of order") << "+plan\t7\ta-9eV-1.tif\ta-9_00eV-1.tif" << QStringList() << QStringList { "Can't trust line 27 of the record \"R\": the files are not numbered in order" };
    QTest::newRow("record naming another new name") << "plan\t2\ta-9eV-2.tif\ta-9_00eV-1.tif" << QStringList { "E/", "E/9_00/", "E/9_00/a-9_00eV-2.tif>O/a-9_00eV-2.tif", "O/", "O/a-9_00eV-2.tif=a-9eV-2.tif", "S/", "S/2/", "S/2/a-9_00eV-2.tif>O/a-9_00eV-2.tif" } << QStringList { "Can't trust line 17 of the record \"R\": the new name is not the one a run gives the old" };
}
// clang-format on

// Undo leaves alone what changed after the run, and what its record does not say for certain;
// a stopped undo can be taken up again.
void TestTidyUp::undoLeavesWhatChanged()
{
    QFETCH(QString, change);
    QFETCH(QStringList, after);
    QFETCH(QStringList, lines);
    const QString t = tmp->filePath("T");
    QStringList expected = after;
    for (const QString name : { "a-9eV-1.tif", "a-9eV-2.tif", "b-8eV-1.tif" }) {
        QVERIFY(FsTree::make(t + '/' + name, name.toUtf8()));
        if (after.filter(name).isEmpty())
            expected << name + '=' + name;
    }
    expected.sort();
    const TidyUp::Outcome outcome = TidyUp::run(settings(t, "O", "E", "S", "tif"));
    const QStringList link = change.split('>');
    // A folder goes away whole, with its links.
    const QString changed = t + '/' + link[0];
    QByteArray record = FsTree::read(outcome.record);
    if (change == "cut") {
        // Only what a lost machine keeps: the lines up to the last one of the files, that one cut.
        record.truncate(record.indexOf('\n', record.lastIndexOf("plan\t")) - 2);
    } else if (change == "empty") {
        // As 0.6.0 kept them: the header, and an end line that counts nothing.
        const QByteArray empty = record.left(record.indexOf("\ndir\t") + 1) + "end\t2026-01-01T00:00:00.000Z\tlisted 0\tmoved 0\tlinked 0\n";
        QVERIFY(FsTree::make(QFileInfo(outcome.record).path() + "/99999999-000000.000-x-1.tsv", empty));
    } else if (change.startsWith('+')) {
        QVERIFY(QDir().mkpath(tmp->filePath("empty")));
        record += change.mid(1).toUtf8().replace("\\t", "\t").replace('#', tmp->path().toUtf8()) + '\n';
    } else if (change.startsWith("plan") || change.startsWith("target")) {
        const QByteArray line = change.toUtf8().replace("\\t", "\t");
        const int at = record.indexOf(line.left(7));
        record.replace(at, record.indexOf('\n', at) - at, line.count('\t') == 2 ? line + "\ta-9_00eV-1.tif" : line);
    } else {
        QVERIFY(change == "stop"
            || (link.size() == 2 ? (QFile::remove(changed) || QDir().rename(changed, tmp->filePath("away"))) && QFile::link(link[1], changed)
                                 : FsTree::make(changed, "new")));
    }
    QVERIFY(QFile::remove(outcome.record) && FsTree::make(outcome.record, record));
    std::atomic<bool> stop { false };
    MessageCapture capture;
    TidyUp::UndoOutcome undone = TidyUp::undo(settings(t, "O", "E", "S", "tif"), [&](int, int) { stop = change == "stop"; }, &stop);
    QCOMPARE(undone.stopped, change == "stop");
    QCOMPARE(QDir(t + "/O").entryList(QDir::Files).size(), 3 - undone.moved);
    if (change == "stop")
        undone = TidyUp::undo(settings(t, "O", "E", "S", "tif"));
    QCOMPARE(FsTree::dataTree(t), expected);
    capture.lines.sort();
    QCOMPARE(capture.lines.replaceInStrings(outcome.record, "R").replaceInStrings(t, "@"), lines);
    // Undone once, the run is undone no more.
    QCOMPARE(TidyUp::lastRun(settings(t, "O", "E", "S", "tif")).record, QString());
    // An empty directory that the record names only after its run stays.
    QCOMPARE(QFileInfo::exists(tmp->filePath("empty")), change.startsWith('+'));
    // Nothing left below the trees was touched.
    QCOMPARE(QDir(tmp->filePath("away")).entryList(QDir::System).size(), QFileInfo::exists(tmp->filePath("away")) ? 2 : 0);
}

// clang-format off
void TestTidyUp::preview_data()
{
    QTest::addColumn<QStringList>("files"); // in T, as in the run table; "-": no T, "=": T a file
    QTest::addColumn<QList<int>>("counts"); // matching, linkable, energies, seqNos, taken; the survey's files, missing, duplicates
    QTest::addColumn<QStringList>("toCreate"); // of O, E and S
    QTest::addColumn<QString>("problem"); // "@": T
    QTest::newRow("grid and a dark frame") << QStringList { "a-1eV-1.tif", "a-1eV-2.tif", "a-2eV-1.tif", "a-2eV-2.tif", "dark.tif" }
                                           << QList<int> { 5, 4, 2, 2, 0, 4, 0, 0 } << QStringList { "O", "E", "S" } << "";
    QTest::newRow("irregular") << QStringList { "a-1eV-1.tif", "a-2eV-2.tif", "b-2eV-3.tif", "c.img" } << QList<int> { 3, 3, 2, 3, 0, 3, 2, 0 }
                               << QStringList { "O", "E", "S" } << "";
    QTest::newRow("no match") << QStringList { "E/", "x.img", "x.tif/" } << QList<int> { 1, 0, 0, 0, 0, 0, 0, 0 } << QStringList { "O", "S" } << "";
    QTest::newRow("missing target") << QStringList { "-" } << QList<int>() << QStringList() << "";
    QTest::newRow("target is a file") << QStringList { "=" } << QList<int>() << QStringList() << "";
    QTest::newRow("names taken") << QStringList { "O/a-2_00eV-1.tif", "O/.h", "a-1eV-1.tif", "a-1_00eV-1.tif", "a-2eV-1.tif" }
                                 << QList<int> { 3, 3, 2, 1, 2, 4, 0, 2 } << QStringList { "E", "S" } << "";
    QTest::newRow("output entry not a directory") << QStringList { "O", "a-1eV-1.tif" } << QList<int> { 0, 0, 0, 0, 0, 0, 0, 0 } << QStringList()
                                                  << "The entry [O] in [@] is not directory.";
}
// clang-format on

// What a run would do, counted without changing anything.
void TestTidyUp::preview()
{
    QFETCH(QStringList, files);
    QFETCH(QList<int>, counts);
    QFETCH(QStringList, toCreate);
    QFETCH(QString, problem);
    const QString t = tmp->filePath("T");
    for (const QString &f : files)
        QVERIFY(f == "-" || FsTree::make(f == "=" ? t : t + '/' + f, f.toUtf8()));
    const QStringList before = snapshot(tmp->path());
    const TidyUp::Preview p = TidyUp::preview(settings(t, "O", "E", "S", "tif"));
    QCOMPARE(p.targetIsDir ? QList<int>({ p.matching, p.linkable, p.energies, p.seqNos, p.taken, int(p.survey.files), int(p.survey.missing), int(p.survey.duplicates) }) : QList<int>(), counts);
    QCOMPARE(p.toCreate, toCreate);
    QCOMPARE(QString(p.problem).replace(t, "@"), problem);
    QCOMPARE(p.targetFound, files != QStringList { "-" });
    QCOMPARE(snapshot(tmp->path()), before);
}

void TestTidyUp::progressAndStop_data()
{
    QTest::addColumn<QString>("how");
    QTest::newRow("whole run") << "whole";
    QTest::newRow("stopped at the first report, then run again") << "stop";
    QTest::newRow("a second run starts after the first file") << "twice";
}

// Progress is reported more than once, a stop leaves every entry done or untouched, two runs at
// once move each file once, and the outcome counts what the file system holds.
void TestTidyUp::progressAndStop()
{
    QFETCH(QString, how);
    QFETCH_GLOBAL(QString, fileSystem);
    const bool stopAtFirst = how == "stop";
    const QString t = tmp->filePath("T");
    // Fewer where every call is a request to another process, but still many progress reports.
    const int files = fileSystem.isEmpty() ? 2000 : 1000;
    QVERIFY(makeScan(t, files) && FsTree::make(t + QString("/O/a-%1_00eV-99.img").arg(7000 + files / 100 - 1), "taken"));
    std::atomic<bool> stop { false }, secondStarted { false };
    QList<int> reports;
    QStringList markers;
    TidyUp::Outcome second;
    std::thread other;
    TidyUp::Outcome outcome = TidyUp::run(settings(t, "O", "E", "S", "img"), [&](int done, int listed) {
        reports << done * (listed == files);
        stop = stopAtFirst;
        if (done > 1 || how != "twice")
            return;
        // The second run lists what this one has yet to move, and moves one of those first.
        other = std::thread([&] { second = TidyUp::run(settings(t, "O", "E", "S", "img"), [&](int, int) { secondStarted = true; }); });
        while (!secondStarted)
            std::this_thread::yield();
        markers = QDir(t + "/O").entryList(QDir::Hidden | QDir::Files).filter(QRegularExpression("^\\."));
    }, &stop);
    if (other.joinable())
        other.join();
    QCOMPARE(reports.first(), 1);
    QCOMPARE(reports.size() > 1, !stopAtFirst);
    QCOMPARE(reports.last(), outcome.done);
    QCOMPARE(outcome.done, stopAtFirst ? 1 : files);
    QCOMPARE(outcome.stopped, stopAtFirst);
    if (how == "twice") {
        // Each run's marker under its final name, and nothing else.
        QCOMPARE(markers.filter(QRegularExpression("^\\.quorvix-data-run-......$")).size(), markers.size());
        QCOMPARE(markers.size(), 2);
        QCOMPARE(runCounts(t), QList<int>({ 1, files - 1, 2 * (files - 1), 0 }));
        QCOMPARE(QList<int>({ outcome.moved + second.moved, outcome.linked + second.linked }), QList<int>({ files - 1, 2 * (files - 1) }));
        QVERIFY(outcome.notMoved > 0 && second.moved > 0);
        return;
    }
    for (int round = 0, before = 0;; ++round) {
        const QList<int> counts = runCounts(t); // untouched, moved, links, broken links
        QCOMPARE(counts, QList<int>({ files - counts[1], counts[1], 2 * counts[1], 0 }));
        QCOMPARE(QList<int>({ outcome.moved, outcome.linked, outcome.notMoved }),
            QList<int>({ counts[1] - before, 2 * (counts[1] - before), stopAtFirst ? round : 1 }));
        if (round == stopAtFirst)
            break;
        before = counts[1];
        outcome = TidyUp::run(settings(t, "O", "E", "S", "img"));
    }
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
    const auto pick = [&rng](const QStringList &from) { return from.at(int(rng.bounded(quint32(from.size())))); };
    const QString root = tmp->path();
    const QString target = root + "/scan " + pick({ "A", "データ", "x y" });
    QVERIFY(FsTree::make(root + "/outside/keep.img", "outside"));
    const QString origs = pick({ "Origs", "o-850eV-1.img", "raw.img/orig", "元データ" });
    const QString energy = pick({ "Energy", "e.img" });
    const QString ext = pick({ "img", "img", "*", "IMG" });
    QStringList contents;
    for (int i = 0, entries = 10 + int(rng.bounded(30u)); i < entries; ++i) {
        QString name = pick({ "p-", "p-", "a b-", "試料-", ".h-", "" }) + pick({ "850", "850_00", "850_5", "9+1", "０" })
            + pick({ "eV-", "eV-", "ev-" }) + pick({ "1", "01", "001", "2" }) + pick({ ".img", ".img", ".IMG", ".tif", "" });
        if (rng.bounded(10u) == 0)
            name = pick({ "dark.img", "flat.IMG", "raw.img", "o-850eV-1.img", "x" });
        const QString path = target + '/' + name + (rng.bounded(8u) == 0 ? "/inner.img" : "");
        if (QFileInfo::exists(target + '/' + name))
            continue;
        contents << "m" + QString::number(i);
        QVERIFY(FsTree::make(path, contents.last().toUtf8()));
    }
    // A generated file may stand where an output directory should go; the run then refuses,
    // and the checks below hold all the same.
    const bool ran = TidyUp::run(settings(target, origs, energy, "SeqNo", ext)).dirsReady;

    QCOMPARE(FsTree::tree(root + "/outside"), QStringList { "keep.img=outside" });
    for (const QString &dir : { origs, energy, QString("SeqNo") })
        QVERIFY(!ran || QFileInfo(target + '/' + dir).isDir());
    QStringList found;
    for (const QString &line : FsTree::dataTree(target)) {
        if (line.contains('='))
            found << line.section('=', 1);
        if (!line.contains('>'))
            continue;
        const QString link = line.section('>', 0, 0), to = line.section('>', 1);
        QString e, q;
        const QString name = QFileInfo(link).fileName();
        TidyUp::rewriteFileName(name, e, q);
        QVERIFY2(QFileInfo::exists(target + '/' + to) && to == QDir::cleanPath(origs + '/' + name), qPrintable(line));
        QVERIFY2(QFileInfo(link).path() == energy + '/' + e || QFileInfo(link).path() == "SeqNo/" + q, qPrintable(line));
    }
    found.sort();
    contents.sort();
    QCOMPARE(found, contents);
}

// Moves to another file system, on real small tmpfs mounts: full disks, files being written,
// two runs at once. Afterwards every measurement must exist exactly once and complete.
// clang-format off
void TestTidyUp::recordOnAFullDisk_data()
{
    QTest::addColumn<int>("spare"); // bytes left free on the target's disk
    QTest::newRow("no room for the record: nothing moved") << 0;
    QTest::newRow("room for a few batches: the run stops before the rest") << 8192;
}
// clang-format on

// The record comes before the moves: on a full disk a run moves nothing that it could not
// record, and what it did move, Undo puts back once there is room again.
void TestTidyUp::recordOnAFullDisk()
{
    QFETCH(int, spare);
    const QString t = tmp->filePath("t");
    const auto unmount = qScopeGuard([&] { QProcess::execute("umount", { "-l", t }); });
    if (!QDir().mkpath(t) || QProcess::execute("mount", { "-t", "tmpfs", "-o", "size=1m", "tmpfs", t }))
        QSKIP("mounting a tmpfs needs root; run the tests as root to cover a full disk");
    for (int i = 1; i <= 300; ++i)
        QVERIFY(FsTree::make(QString("%1/a-9eV-%2.tif").arg(t).arg(i)));
    const QStringList before = snapshot(t);
    // The spare room is taken first, so that filling the rest leaves exactly it.
    QVERIFY(FsTree::make(t + "/spare", QByteArray(spare, 'x')));
    QFile filler(t + "/filler");
    QVERIFY(filler.open(QIODevice::WriteOnly));
    while (filler.write(QByteArray(65536, 'x')) > 0 && filler.flush()) { }
    filler.close();
    QVERIFY(QFile::remove(t + "/spare"));
    MessageCapture capture;
    const TidyUp::Outcome outcome = TidyUp::run(settings(t, "O", "E", "S", "tif"));
    const int moved = QDir(t + "/O").entryList(QDir::Files).size();
    QCOMPARE(outcome.moved, moved);
    QVERIFY2(spare == 0 ? moved == 0 : moved > 0 && moved < 300, "the disk did not fill during the run");
    QCOMPARE(QList<bool>({ outcome.dirsReady, outcome.stopped }), QList<bool>({ spare > 0, spare > 0 }));
    QVERIFY2(capture.lines.join('\n').contains(": No space left on device"), qPrintable(capture.lines.join('\n')));
    QVERIFY(QFile::remove(t + "/filler"));
    QCOMPARE(TidyUp::undo(settings(t, "O", "E", "S", "tif")).moved, moved);
    QCOMPARE(snapshot(t), before);
}

// A long record is read at its two ends for the last run: the count of its end line, and the
// line after it that marks it undone; one without an end line is read whole.
void TestTidyUp::lastRunOfALongRecord()
{
    const QString t = tmp->filePath("T");
    for (int i = 1; i <= 1500; ++i)
        QVERIFY(FsTree::make(QString("%1/a-1eV-%2.tif").arg(t).arg(i), ""));
    const TidyUp::Settings s = settings(t, "O", "E", "S", "tif");
    const TidyUp::Outcome outcome = TidyUp::run(s);
    QVERIFY(QFileInfo(outcome.record).size() > 64 * 1024);
    QByteArray cut = FsTree::read(outcome.record);
    cut.truncate(cut.lastIndexOf("\nend\t") + 1);
    QCOMPARE(TidyUp::lastRun(s).record, outcome.record);
    QCOMPARE(TidyUp::lastRun(s).moved, 1500);
    QCOMPARE(TidyUp::undo(s).moved, 1500);
    QCOMPARE(TidyUp::lastRun(s).record, QString());
    QVERIFY(QFile::remove(outcome.record) && FsTree::make(outcome.record, cut));
    QCOMPARE(TidyUp::lastRun(s).moved, 1500);
}

// clang-format off
void TestTidyUp::relativeLinks_data()
{
    QTest::addColumn<QStringList>("names"); // originals, energy, sequence
    QTest::addColumn<QString>("energyLink"); // the text of a-9_00eV-1.tif's link by energy; empty: refused
    QTest::newRow("in the target") << QStringList { "O", "E", "S" } << "../../O/a-9_00eV-1.tif";
    QTest::newRow("deeper, one through a link") << QStringList { "d/O", "E", "in/S" } << "../../d/O/a-9_00eV-1.tif";
    QTest::newRow("originals outside") << QStringList { "../O", "E", "S" } << "";
    QTest::newRow("a tree outside through a link") << QStringList { "O", "out/E", "S" } << "";
}
// clang-format on

// Relative links name the moved file from their folder, and still do once the scan is moved or
// copied whole; they are made only where every output directory lies in the target, and Undo
// takes them back as it takes absolute ones.
void TestTidyUp::relativeLinks()
{
    QFETCH(QStringList, names);
    QFETCH(QString, energyLink);
    const QString t = tmp->filePath("T");
    QVERIFY(FsTree::make(t + "/a-9eV-1.tif", "a") && FsTree::make(t + "/dark.tif", "d"));
    QVERIFY(QDir().mkpath(tmp->filePath("elsewhere")) && QDir().mkpath(t + "/d"));
    QVERIFY(::symlink("d", QFile::encodeName(t + "/in").constData()) == 0 && QFile::link(tmp->filePath("elsewhere"), t + "/out"));
    const QStringList before = FsTree::dataTree(t);
    TidyUp::Settings s = settings(t, names[0], names[1], names[2], "tif");
    s.links = "relative";
    QVERIFY(TidyUp::preview(s).problem == (energyLink.isEmpty() ? "Relative links need the output directories inside the target." : ""));
    const TidyUp::Outcome outcome = TidyUp::run(s);
    if (energyLink.isEmpty()) {
        QCOMPARE(outcome.dirProblem, QString("Relative links need the output directories inside the target."));
        QCOMPARE(FsTree::dataTree(t), before);
        QCOMPARE(outcome.record, QString());
        return;
    }
    QCOMPARE(outcome.moved, 2);
    QCOMPARE(outcome.linked, 2);
    const QString link = t + '/' + names[1] + "/9_00/a-9_00eV-1.tif";
    char text[4096];
    const ssize_t size = ::readlink(QFile::encodeName(link).constData(), text, sizeof text);
    QCOMPARE(QString::fromUtf8(text, int(std::max<ssize_t>(size, 0))), energyLink);
    QVERIFY(FsTree::read(outcome.record).contains("\nlinks\trelative\n"));
    // Moved, and copied as cp -a copies: every link still reaches its file.
    QVERIFY(QDir().rename(t, tmp->filePath("moved")));
    QCOMPARE(QProcess::execute("cp", { "-a", tmp->filePath("moved"), tmp->filePath("copy") }), 0);
    for (const QString &scan : { tmp->filePath("moved"), tmp->filePath("copy") }) {
        QCOMPARE(FsTree::read(scan + '/' + names[1] + "/9_00/a-9_00eV-1.tif"), QByteArray("a"));
        QCOMPARE(FsTree::read(scan + '/' + names[2] + "/1/a-9_00eV-1.tif"), QByteArray("a"));
    }
    QVERIFY(QDir().rename(tmp->filePath("moved"), t));
    QCOMPARE(TidyUp::undo(s).linked, 2);
    QCOMPARE(FsTree::dataTree(t), before);
}

// clang-format off
void TestTidyUp::checkLinkTrees_data()
{
    QTest::addColumn<QString>("links");
    QTest::addColumn<QString>("change"); // after the run; "mv": the scan renamed, "cp": copied as cp -a does
    QTest::addColumn<QList<int>>("counts"); // in place, elsewhere, missing, not a link, stray; none: refused
    QTest::addColumn<QString>("request"); // the repair's style, "relink STYLE", or empty; "-": no repair
    QTest::addColumn<QList<int>>("repaired"); // links made, rewritten, and not repaired where any
    QTest::newRow("as the run left it") << "absolute" << "" << QList<int> { 6, 0, 0, 0, 0 } << "" << QList<int> { 0, 0 };
    QTest::newRow("scan renamed") << "absolute" << "mv" << QList<int> { 0, 6, 0, 0, 0 } << "" << QList<int> { 0, 6 };
    QTest::newRow("scan renamed, undone unrepaired") << "absolute" << "mv" << QList<int> { 0, 6, 0, 0, 0 } << "-" << QList<int> {};
    QTest::newRow("scan renamed, relinked relative") << "absolute" << "mv" << QList<int> { 0, 6, 0, 0, 0 } << "relink relative" << QList<int> { 0, 6 };
    QTest::newRow("relative, scan renamed") << "relative" << "mv" << QList<int> { 6, 0, 0, 0, 0 } << "" << QList<int> { 0, 0 };
    QTest::newRow("relative, scan copied") << "relative" << "cp" << QList<int> { 6, 0, 0, 0, 0 } << "" << QList<int> { 0, 0 };
    QTest::newRow("relative, relinked absolute") << "relative" << "" << QList<int> { 6, 0, 0, 0, 0 } << "relink absolute" << QList<int> { 0, 6 };
    QTest::newRow("a file under a link's name") << "absolute" << "E/9_00/a-9_00eV-1.tif=" << QList<int> { 5, 0, 0, 1, 0 } << "" << QList<int> { 0, 0 };
    QTest::newRow("a user's link and folder") << "relative" << "E/9_00/mine>x|S/extra/f=" << QList<int> { 6, 0, 0, 0, 2 } << "" << QList<int> { 0, 0 };
    QTest::newRow("a folder of links made a link") << "absolute" << "S/1-|S/1>x" << QList<int> { 4, 0, 2, 0, 1 } << "" << QList<int> { 0, 0, 2 };
    QTest::newRow("a folder of links gone") << "absolute" << "S/1-" << QList<int> { 4, 0, 2, 0, 0 } << "" << QList<int> { 2, 0 };
    QTest::newRow("relative, links gone") << "relative" << "S-|E/8_00-" << QList<int> { 2, 0, 4, 0, 0 } << "" << QList<int> { 4, 0 };
    QTest::newRow("a link naming another scan") << "absolute" << "E/9_00/a-9_00eV-1.tif>/old/O/a-9_00eV-1.tif" << QList<int> { 5, 1, 0, 0, 0 } << "" << QList<int> { 0, 1 };
    QTest::newRow("a link's text written another way") << "absolute" << "E/9_00/a-9_00eV-1.tif>../.././O//a-9_00eV-1.tif" << QList<int> { 6, 0, 0, 0, 0 } << "" << QList<int> { 0, 0 };
    QTest::newRow("the scan through a link to it") << "absolute" << "via" << QList<int> { 6, 0, 0, 0, 0 } << "" << QList<int> { 0, 0 };
    QTest::newRow("a repair's temporary name") << "absolute" << "E/9_00/.quorvix-data-tmp-1>x" << QList<int> { 6, 0, 0, 0, 0 } << "" << QList<int> { 0, 0 };
    QTest::newRow("a run still going") << "absolute" << "lock" << QList<int> {} << "" << QList<int> {};
}
// clang-format on

// The check reads the trees and tells each expected link by its text alone; it changes nothing.
// A repair then mends what is missing or names another file and leaves the rest, and Undo puts
// the scan back as it was before the run, wherever it is now.
void TestTidyUp::checkLinkTrees()
{
    QFETCH(QString, links);
    QFETCH(QString, change);
    QFETCH(QList<int>, counts);
    QFETCH(QString, request);
    QFETCH(QList<int>, repaired);
    const QString t = tmp->filePath("T");
    for (const QString name : { "a-9eV-1.tif", "a-9eV-2.tif", "b-8eV-1.tif", "dark.tif" })
        QVERIFY(FsTree::make(t + '/' + name, name.toUtf8()));
    const QStringList beforeRun = FsTree::dataTree(t);
    TidyUp::Settings s = settings(t, "O", "E", "S", "tif");
    s.links = links;
    const TidyUp::Outcome outcome = TidyUp::run(s);
    QCOMPARE(outcome.linked, 6);
    QFile record(outcome.record);
    if (change == "via") {
        QVERIFY(QFile::link(t, tmp->filePath("via")));
        s.target = tmp->filePath("via");
    } else if (change == "mv" || change == "cp") {
        const QString moved = tmp->filePath("moved");
        QVERIFY(change == "mv" ? QDir().rename(t, moved) : QProcess::execute("cp", { "-a", t, moved }) == 0);
        s.target = moved;
    } else if (change == "lock") {
        QVERIFY(FsTree::make(QFileInfo(outcome.record).path() + "/99999999-000000.000-x-1.tsv", FsTree::read(outcome.record).split('\n').mid(0, 14).join('\n') + '\n'));
        record.setFileName(QFileInfo(outcome.record).path() + "/99999999-000000.000-x-1.tsv");
        QVERIFY(record.open(QIODevice::ReadWrite) && ::flock(record.handle(), LOCK_EX) == 0);
    } else {
        for (const QString &entry : change.split('|', Qt::SkipEmptyParts)) {
            const QString path = t + '/' + entry.section('>', 0, 0).chopped(entry.contains('>') ? 0 : 1);
            if (entry.endsWith('-'))
                QVERIFY(QDir(path).removeRecursively());
            else if (entry.endsWith('='))
                QVERIFY((QFile::remove(path) || true) && FsTree::make(path, "user"));
            else
                QVERIFY((QFile::remove(path) || true) && QFile::link(entry.section('>', 1), path));
        }
    }
    const QStringList before = FsTree::dataTree(s.target);
    const TidyUp::CheckOutcome checked = TidyUp::check(s);
    QCOMPARE(FsTree::dataTree(s.target), before);
    // What the user made stays; the scan is back as it was before the run, moved or not.
    const auto undoneAsBefore = [&] {
        const TidyUp::UndoOutcome undone = TidyUp::undo(s);
        QCOMPARE(QList<int>({ undone.moved, undone.linked }), QList<int>({ 4, 6 - counts[3] - repaired.value(2) }));
        QCOMPARE(undone.tidiedAs, change == "mv" || change == "cp" || change == "via" ? t : QString());
        if (!change.contains('=') && !change.contains('>'))
            QCOMPARE(FsTree::dataTree(s.target), beforeRun);
    };
    if (counts.isEmpty()) {
        QCOMPARE(checked.problem, "A run of " + t + " is still going.");
        QCOMPARE(TidyUp::repair(s, {}).problem, checked.problem);
        QCOMPARE(FsTree::dataTree(s.target), before);
        return;
    }
    QCOMPARE(checked.problem, QString());
    QCOMPARE(QList<int>({ checked.inPlace, checked.elsewhere, checked.missing, checked.notALink, checked.stray }), counts);
    QCOMPARE(checked.problems.size(), counts[1] + counts[2] + counts[3] + counts[4]);
    // Where links point into another scan, that scan's originals directory is named.
    QCOMPARE(checked.elsewhereDir, counts[1] == 0 ? QString() : change == "mv" ? t + "/O" : QString("/old/O"));

    if (request == "-")
        return undoneAsBefore();
    const TidyUp::CheckOutcome mended = TidyUp::repair(s, { request.section(' ', -1), request.startsWith("relink") });
    const int left = repaired.value(2);
    QCOMPARE(QList<int>({ mended.made, mended.rewritten, mended.notRepaired }), repaired.mid(0, 2) << left);
    QCOMPARE(mended.record.isEmpty(), repaired[0] + repaired[1] == 0);
    const TidyUp::CheckOutcome after = TidyUp::check(s);
    QCOMPARE(QList<int>({ after.inPlace, after.elsewhere, after.missing, after.notALink, after.stray }),
        QList<int>({ 6 - counts[3] - left, 0, left, counts[3], counts[4] }));
    // In the style asked for, else the newest run's or relink's: a second repair finds nothing.
    const QString style = request.isEmpty() ? links : request.section(' ', -1);
    QByteArray text(4096, 0);
    text.resize(int(::readlink(QFile::encodeName(s.target + "/E/9_00/a-9_00eV-2.tif").constData(), text.data(), 4096)));
    QCOMPARE(QString(text), style == "relative" ? QString("../../O/a-9_00eV-2.tif") : (change == "via" ? t : s.target) + "/O/a-9_00eV-2.tif");
    QCOMPARE(TidyUp::repair(s, {}).rewritten, 0);
    QCOMPARE(FsTree::read(s.target + "/E/9_00/a-9_00eV-2.tif"), QByteArray("a-9eV-2.tif"));
    // Nothing was made through a folder that is a link.
    QVERIFY(!QFileInfo::exists(s.target + "/S/x"));
    QDirIterator temporary(s.target, { ".quorvix-data-tmp-*" }, QDir::AllEntries | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
    QVERIFY2(!temporary.hasNext(), qPrintable(temporary.next()));

    undoneAsBefore();
}

// On a disk out of inodes the links fail, and so do moves onto taken names: each failure is
// counted under its reason, the largest group first, to the last one. The check then finds
// those links missing, a repair makes them once there is room, and Undo takes them back too.
void TestTidyUp::failuresCountedByReason()
{
    const QString t = tmp->filePath("t");
    const auto unmount = qScopeGuard([&] { QProcess::execute("umount", { "-l", t }); });
    // The target, its files, the records' folders and file, the output directories, and a few
    // folders and links.
    if (!QDir().mkpath(t) || QProcess::execute("mount", { "-t", "tmpfs", "-o", "size=16m,nr_inodes=360", "tmpfs", t }))
        QSKIP("mounting a tmpfs needs root; run the tests as root to cover a disk out of inodes");
    for (int i = 1; i <= 300; ++i)
        QVERIFY(FsTree::make(QString("%1/a-9eV-%2.tif").arg(t).arg(i)));
    for (int i = 1; i <= 2; ++i)
        QVERIFY(FsTree::make(QString("%1/O/a-9_00eV-%2.tif").arg(t).arg(i), "taken"));
    QStringList before = FsTree::dataTree(t);
    const TidyUp::Settings s = settings(t, "O", "E", "S", "tif");
    const TidyUp::Outcome outcome = TidyUp::run(s);
    QStringList groups;
    for (const auto &group : outcome.groups)
        groups << QString("%1 %2 %3").arg(group.what).arg(group.reason.errorName().constData()).arg(group.count);
    QCOMPARE(groups, QStringList({ QString("1 ENOSPC %1").arg(outcome.linksNotMade), "0 EEXIST 2" }));
    QVERIFY2(outcome.linksNotMade > 300 && outcome.linked > 0, "the disk did not run out of inodes during the run");
    QCOMPARE(outcome.linked + outcome.linksNotMade, 2 * 298);

    // The files that were there before the run expect their links as well.
    QCOMPARE(TidyUp::check(s).missing, outcome.linksNotMade + 4);
    QCOMPARE(QProcess::execute("mount", { "-o", "remount,nr_inodes=2000", t }), 0);
    const TidyUp::CheckOutcome repaired = TidyUp::repair(s, {});
    QCOMPARE(QList<int>({ repaired.made, repaired.notRepaired }), QList<int>({ outcome.linksNotMade + 4, 0 }));
    QCOMPARE(TidyUp::check(s).inPlace, 2 * 300);
    QCOMPARE(TidyUp::undo(s).linked, 2 * 298);
    before << "E/" << "E/9_00/" << "S/" << "S/1/" << "S/2/";
    for (const QString link : { "E/9_00/a-9_00eV-1", "E/9_00/a-9_00eV-2", "S/1/a-9_00eV-1", "S/2/a-9_00eV-2" })
        before << link + ".tif>O/" + link.section('/', -1) + ".tif";
    before.sort();
    QCOMPARE(FsTree::dataTree(t), before);
}

// clang-format off
void TestTidyUp::oldNameNotRemoved_data()
{
    QTest::addColumn<bool>("undoing"); // the step: an undo after a run, else a run
    QTest::addColumn<QStringList>("refused"); // names whose unlink the server refuses once in that step
    QTest::addColumn<QStringList>("after"); // a's entries in T after the step
    QTest::addColumn<QString>("counts"); // moved, not moved and the reasons of the step
    QTest::addColumn<bool>("undoNext"); // the next step: an undo, else a run again
    QTest::addColumn<QStringList>("afterNext");
    QTest::newRow("run, old name refused: moved back") << false << QStringList { "a-9eV-1.tif" } << QStringList { "a-9eV-1.tif=a" } << "0 1 EBUSY" << true << QStringList { "a-9eV-1.tif=a" };
    QTest::newRow("run, both names refused: the next run finishes") << false << QStringList { "a-9eV-1.tif", "a-9_00eV-1.tif" } << QStringList { "O/a-9_00eV-1.tif=a", "a-9eV-1.tif=a" } << "0 1 the file is under both names" << false << QStringList { "E/9_00/a-9_00eV-1.tif>O/a-9_00eV-1.tif", "O/a-9_00eV-1.tif=a", "S/1/a-9_00eV-1.tif>O/a-9_00eV-1.tif" };
    QTest::newRow("undo, new name refused: stays with its links") << true << QStringList { "a-9_00eV-1.tif" } << QStringList { "E/9_00/a-9_00eV-1.tif>O/a-9_00eV-1.tif", "O/a-9_00eV-1.tif=a", "S/1/a-9_00eV-1.tif>O/a-9_00eV-1.tif" } << "1 1 EBUSY" << true << QStringList { "E/9_00/a-9_00eV-1.tif>O/a-9_00eV-1.tif", "O/a-9_00eV-1.tif=a", "S/1/a-9_00eV-1.tif>O/a-9_00eV-1.tif" };
    QTest::newRow("undo, both names refused: the next undo finishes") << true << QStringList { "a-9_00eV-1.tif", "a-9eV-1.tif" } << QStringList { "E/9_00/a-9_00eV-1.tif>O/a-9_00eV-1.tif", "O/a-9_00eV-1.tif=a", "S/1/a-9_00eV-1.tif>O/a-9_00eV-1.tif", "a-9eV-1.tif=a" } << "1 1 the file is under both names" << true << QStringList { "a-9eV-1.tif=a" };
}
// clang-format on

// Where a move is a hard link and an unlink (NFS) and the server refuses to remove the name that
// the file is leaving, the file goes back to it, or stays under both names where even that is
// refused; it counts as not moved, and the next run or undo finishes what is left.
void TestTidyUp::oldNameNotRemoved()
{
    QFETCH(bool, undoing);
    QFETCH(QStringList, refused);
    QFETCH(QStringList, after);
    QFETCH(QString, counts);
    QFETCH(bool, undoNext);
    QFETCH(QStringList, afterNext);
    if (!mounted.contains("--refuse-unlinks"))
        QSKIP("slowfs could not be mounted: it needs /dev/fuse, and root or fusermount3");
    QTemporaryDir dir(root.filePath("--refuse-unlinks/XXXXXX"));
    const QString t = dir.filePath("T"), list = root.filePath("refused");
    // A run finds its output directories made, so that whatever becomes of a is its one change.
    QVERIFY(FsTree::make(t + "/a-9eV-1.tif", "a"));
    for (const QString &other : undoing ? QStringList { "b-8eV-1.tif" } : QStringList { "O/", "E/", "S/" })
        QVERIFY(FsTree::make(t + '/' + other, "b"));
    const QStringList before = FsTree::dataTree(t);
    const TidyUp::Settings both = settings(t, "O", "E", "S", "tif");
    QVERIFY(!undoing || TidyUp::run(both).moved == 2);
    QFile::remove(list);
    QVERIFY(FsTree::make(list, refused.join('\n').toUtf8()));
    TidyUp::Outcome ran;
    const TidyUp::Counts outcome = undoing ? TidyUp::Counts(TidyUp::undo(both)) : TidyUp::Counts(ran = TidyUp::run(both));
    QCOMPARE(FsTree::read(list), QByteArray());
    // A file left under both names is a change, and its record is kept for the next Undo.
    QVERIFY(undoing || ran.record.isEmpty() == (after.size() == 1));
    const auto ofA = [&t] { return FsTree::dataTree(t).filter(QRegularExpression("^[^.]*a-9")); };
    QCOMPARE(ofA(), after);
    QStringList groups;
    for (const auto &group : outcome.groups)
        groups << (group.reason.error() ? group.reason.errorName() : group.reason.text());
    QCOMPARE(QString("%1 %2 %3").arg(outcome.moved).arg(outcome.notMoved).arg(groups.join(',')), counts);
    const int finished = undoNext ? (TidyUp::undo(both), 0) : TidyUp::run(both).finished;
    QCOMPARE(ofA(), afterNext);
    QCOMPARE(finished, !undoNext);
    // Whatever the undo could put back, it did.
    if (ofA() == QStringList { "a-9eV-1.tif=a" })
        QCOMPARE(FsTree::dataTree(t), before);
}

// A file copied to another file system whose source the server then refuses to remove is not
// left twice: the copy goes again, and the file stays where it was, counted as not moved.
void TestTidyUp::crossMoveSourceNotRemoved()
{
    if (!mounted.contains("--refuse-unlinks"))
        QSKIP("slowfs could not be mounted: it needs /dev/fuse, and root or fusermount3");
    QTemporaryDir dir(root.filePath("--refuse-unlinks/XXXXXX"));
    const QString t = dir.filePath("T"), o = tmp->filePath("O"), list = root.filePath("refused");
    QVERIFY(FsTree::make(t + "/a-9eV-1.tif", "a") && FsTree::make(t + "/b-8eV-1.tif", "b"));
    QFile::remove(list);
    QVERIFY(FsTree::make(list, "a-9eV-1.tif"));
    const TidyUp::Outcome outcome = TidyUp::run(settings(t, o, "E", "S", "tif"));
    QCOMPARE(FsTree::read(list), QByteArray());
    QCOMPARE(QList<int>({ outcome.moved, outcome.notMoved, outcome.groups.value(0).reason.error() }), QList<int>({ 1, 1, EBUSY }));
    QCOMPARE(FsTree::dataTree(o), QStringList { "b-8_00eV-1.tif=b" });
    QCOMPARE(FsTree::dataTree(t).filter(QRegularExpression("^[^/]*$")), QStringList { "a-9eV-1.tif=a" });
}

// Where rename flags and hard links are both refused, a move and an undo look at the new name
// before the rename without flags: a name that another client made in the moment before is never
// replaced, and the file stays where it was.
void TestTidyUp::plainRenameNeverReplaces()
{
    if (!mounted.contains("--racing-links"))
        QSKIP("slowfs could not be mounted: it needs /dev/fuse, and root or fusermount3");
    QTemporaryDir dir(root.filePath("--racing-links/XXXXXX"));
    const QString t = dir.filePath("T"), list = root.filePath("racing-links");
    QVERIFY(FsTree::make(t + "/a-9eV-1.tif", "a") && FsTree::make(t + "/b-8eV-1.tif", "b"));
    const TidyUp::Settings s = settings(t, "O", "E", "S", "tif");
    QFile::remove(list);
    QVERIFY(FsTree::make(list, "a-9_00eV-1.tif"));
    const TidyUp::Outcome ran = TidyUp::run(s);
    QCOMPARE(FsTree::read(list), QByteArray());
    QCOMPARE(QList<int>({ ran.moved, ran.notMoved, ran.groups.value(0).reason.error() }), QList<int>({ 1, 1, EEXIST }));
    QCOMPARE(QList<QByteArray>({ FsTree::read(t + "/a-9eV-1.tif"), FsTree::read(t + "/O/a-9_00eV-1.tif") }), QList<QByteArray>({ "a", "another client's" }));
    QFile::remove(list);
    QVERIFY(FsTree::make(list, "b-8eV-1.tif"));
    const TidyUp::UndoOutcome undone = TidyUp::undo(s);
    QCOMPARE(FsTree::read(list), QByteArray());
    QCOMPARE(QList<int>({ undone.moved, undone.notMoved }), QList<int>({ 0, 1 }));
    QCOMPARE(QList<QByteArray>({ FsTree::read(t + "/b-8eV-1.tif"), FsTree::read(t + "/O/b-8_00eV-1.tif") }), QList<QByteArray>({ "another client's", "b" }));
}

// A link that another program replaces with a file of its own between the check and the
// exchange of its new text keeps that file: the repair looks at what it swapped out, and puts
// back what is no link.
void TestTidyUp::repairKeepsWhatReplacedALink()
{
    if (!mounted.contains("--racing-exchanges"))
        QSKIP("slowfs could not be mounted: it needs /dev/fuse, and root or fusermount3");
    QTemporaryDir dir(root.filePath("--racing-exchanges/XXXXXX"));
    const QString t = dir.filePath("T"), list = root.filePath("racing-exchanges");
    QVERIFY(FsTree::make(t + "/a-9eV-1.tif", "a") && FsTree::make(t + "/b-8eV-1.tif", "b"));
    const TidyUp::Settings s = settings(t, "O", "E", "S", "tif");
    QCOMPARE(TidyUp::run(s).linked, 4);
    QFile::remove(list);
    QVERIFY(FsTree::make(list, "a-9_00eV-1.tif"));
    const TidyUp::CheckOutcome relinked = TidyUp::repair(s, { "relative", true });
    QCOMPARE(FsTree::read(list), QByteArray());
    QCOMPARE(QList<int>({ relinked.rewritten, relinked.notRepaired }), QList<int>({ 3, 1 }));
    const QStringList tree = FsTree::dataTree(t);
    QCOMPARE(tree.filter("a-9_00eV-1.tif=another client's").size(), 1);
    QCOMPARE(tree.filter(".quorvix-data-tmp-"), QStringList());
}

// Where the file system holds no symbolic links (FAT, exFAT), a repair stops at the first link it
// is refused, says so, and leaves no record.
void TestTidyUp::repairWhereLinksAreRefused()
{
    if (!mounted.contains("--no-symlinks"))
        QSKIP("slowfs could not be mounted: it needs /dev/fuse, and root or fusermount3");
    QTemporaryDir dir(root.filePath("--no-symlinks/XXXXXX"));
    const QString t = dir.filePath("T");
    for (int i = 1; i <= 20; ++i)
        QVERIFY(FsTree::make(QString("%1/O/a-9_00eV-%2.tif").arg(t).arg(i)));
    const TidyUp::Settings s = settings(t, "O", "E", "S", "tif");
    const TidyUp::CheckOutcome repaired = TidyUp::repair(s, {});
    QCOMPARE(QList<int>({ repaired.made, repaired.halted, repaired.stopped }), QList<int>({ 0, 1, 0 }));
    QVERIFY2(repaired.notRepaired < 40, "the repair went on after the refusal");
    QCOMPARE(CheckReport::status(repaired, false), Report::SomeLeft);
    const QString text = CheckReport::outcomeText(repaired, s);
    QVERIFY2(text.contains(QRegularExpression(": Operation not permitted \\(refused by the file system\\)\\.")), qPrintable(text));
    QCOMPARE(repaired.record, QString());
    QCOMPARE(QDir(t + "/.quorvix-data/repairs").isEmpty(), true);
}

// clang-format off
void TestTidyUp::crossMove_data()
{
    QTest::addColumn<QString>("size"); // of the originals' file system
    QTest::addColumn<int>("files");
    QTest::addColumn<int>("bytes"); // of each file
    QTest::addColumn<QString>("what");
    QTest::addColumn<int>("moved"); // how many must reach the originals, -1: any
    QTest::newRow("disk fills in the middle of a file") << "1m" << 1 << 3000000 << "" << 0;
    QTest::newRow("disk fills in the last KiB") << "1m" << 1 << (1 << 20) + 2048 << "" << 0;
    QTest::newRow("many small files, nearly full disk") << "1m" << 300 << 8192 << "" << -1;
    QTest::newRow("mode 0644 and times kept") << "1m" << 1 << 1000 << "0644" << 1;
    QTest::newRow("mode 0640 and times kept") << "1m" << 1 << 1000 << "0640" << 1;
    QTest::newRow("symbolic link moves as a link") << "1m" << 1 << 10 << "symlink" << -1;
    QTest::newRow("file held open for writing") << "16m" << 1 << 100000 << "held" << 0;
    QTest::newRow("file appended to during the copy") << "64m" << 1 << 20000000 << "grows" << -1;
    QTest::newRow("two runs at once") << "16m" << 400 << 1000 << "twice" << 400;
    QTest::newRow("stopped during the copy") << "64m" << 1 << 48000000 << "stop" << 0;
}
// clang-format on

void TestTidyUp::crossMove()
{
    QFETCH(QString, size);
    QFETCH(int, files);
    QFETCH(int, bytes);
    QFETCH(QString, what);
    QFETCH(int, moved);
    const QString t = tmp->filePath("t"), o = tmp->filePath("o"), first = t + "/s-7000eV-0001.img";
    const auto unmount = qScopeGuard([&] { QProcess::execute("umount", { "-l", t, o }); });
    for (const QString &dir : QStringList { t + " 128m", o + ' ' + size }) {
        if (!QDir().mkpath(dir.section(' ', 0, 0))
            || QProcess::execute("mount", { "-t", "tmpfs", "-o", "size=" + dir.section(' ', 1), "tmpfs", dir.section(' ', 0, 0) }))
            QSKIP("mounting a tmpfs needs root; run the tests as root to cover these moves");
    }
    QStringList names, expected, found;
    for (int i = 0; i < files; ++i) {
        names << QString("s-%1eV-%2.img").arg(7000 + i % 7).arg(i + 1, 4, 10, QChar('0'));
        QVERIFY(FsTree::make(t + '/' + names.last(), QByteArray::number(i).rightJustified(8) + QByteArray(bytes - 8, char('a' + i % 26))));
    }
    const timespec old[] = { { 1000000000, 5 }, { 1000000000, 7 } };
    // Modes that a new file never gets, so that only a copied mode passes.
    const mode_t mode = what.startsWith('0') ? mode_t(what.toUInt(nullptr, 8)) : 0;
    QVERIFY(!mode || (::chmod(qPrintable(first), mode) == 0 && ::utimensat(AT_FDCWD, qPrintable(first), old, 0) == 0));
    QVERIFY(
        what != "symlink" || (QFile::remove(first) && FsTree::make(tmp->filePath("m"), "kept") && QFile::link(tmp->filePath("m"), first)));
    const int writer = what == "held" ? ::open(qPrintable(first), O_WRONLY | O_APPEND) : -1;
    std::atomic<bool> running { true }, stop { false };
    std::atomic<qint64> appended { 0 };
    std::thread appender([&] {
        while (what == "stop" && running && QDir(o).entryList(QDir::Hidden | QDir::Files).isEmpty())
            std::this_thread::yield();
        stop = what == "stop";
        // Opens, appends a few frames and closes, again and again, as an acquisition would.
        static const char frame[4096] = {};
        for (int fd; what == "grows" && running && (fd = ::open(qPrintable(first), O_WRONLY | O_APPEND)) >= 0; ::close(fd)) {
            for (int i = 0; i < 4; ++i, std::this_thread::sleep_for(std::chrono::milliseconds(1)))
                appended += ::write(fd, frame, sizeof frame);
        }
    });
    while (what == "grows" && appended == 0)
        std::this_thread::yield();
    MessageCapture capture;
    const TidyUp::Settings both = settings(t, o, "Energy", "SeqNo", "img");
    std::thread second([&] {
        if (what == "twice")
            TidyUp::run(both); });
    const TidyUp::Outcome outcome = TidyUp::run(both, {}, &stop);
    second.join();
    running = false;
    appender.join();
    const QString refused = "Can't move \"" + first + "\" to \"" + o + "/s-7000_00eV-0001.img\": ";
    QVERIFY(moved != 0 || (what == "stop" ? capture.lines.isEmpty() : capture.lines.size() == 1 && capture.lines[0].startsWith(refused)));
    QVERIFY(writer < 0 || (::write(writer, "tail", 4) == 4 && ::close(writer) == 0));
    struct stat st = {};
    QVERIFY(::lstat(qPrintable(o + "/s-7000_00eV-0001.img"), &st) == 0 || moved <= 0);
    QVERIFY(!mode || ((st.st_mode & 07777) == mode && st.st_mtim.tv_nsec == old[1].tv_nsec));
    QVERIFY(what != "symlink" || QFile::symLinkTarget(o + "/s-7000_00eV-0001.img") == tmp->filePath("m"));
    if (what == "symlink")
        return;

    // Every measurement once and whole, under its old name in t or its new one in o; nothing
    // else (no temporary, no partial file); every link to a whole file.
    for (int i = 0; i < files; ++i)
        expected << names[i] + ' ' + QString::number(bytes + (i ? 0 : appended + (what == "held" ? 4 : 0)));
    int inOrigs = 0;
    for (const QString &root : { t, o }) {
        for (QDirIterator it(root, QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories); it.hasNext();) {
            const QString path = it.next();
            if (path.contains("/.quorvix-data/"))
                continue;
            const QByteArray content = FsTree::read(path);
            const int i = content.left(8).trimmed().toInt();
            QVERIFY2(content.size() >= bytes && content.at(8) == char('a' + i % 26), qPrintable(path));
            if (!it.fileInfo().isSymLink()) {
                found << names.value(i) + ' ' + QString::number(content.size());
                inOrigs += root == o;
            }
        }
    }
    found.sort();
    expected.sort();
    QCOMPARE(found, expected);
    QVERIFY(moved < 0 || inOrigs == moved);
    // And back again, with the same copy.
    QVERIFY(!mode || (TidyUp::undo(both).moved == 1 && ::lstat(qPrintable(first), &st) == 0));
    QVERIFY(!mode || ((st.st_mode & 07777) == mode && st.st_mtim.tv_nsec == old[1].tv_nsec && !QFileInfo::exists(o + "/s-7000_00eV-0001.img")));
}

// Over NFS a lock can only be taken on a descriptor open for writing: a marker opened to read
// would look locked, and its run would never be completed.
void TestTidyUp::abandonedMarkerOpenForWriting()
{
    QVERIFY(FsTree::make(tmp->filePath(".quorvix-data-run-abcdef")));
    QStringList modes;
    RunMarker::completeAbandoned(QFile::encodeName(tmp->path()), [&] {
        for (const QFileInfo &fd : QDir("/proc/self/fd").entryInfoList(QDir::AllEntries | QDir::System)) {
            if (fd.symLinkTarget().endsWith("/.quorvix-data-run-abcdef"))
                modes << QString(FsTree::read("/proc/self/fdinfo/" + fd.fileName())).split('\n').filter("flags:").value(0);
        }
    });
    QCOMPARE(modes.size(), 1);
    QCOMPARE(modes[0].simplified().section(' ', 1).toInt(nullptr, 8) & O_ACCMODE, O_RDWR);
    QVERIFY(!QFileInfo::exists(tmp->filePath(".quorvix-data-run-abcdef")));
}

QTEST_GUILESS_MAIN(TestTidyUp)
#include "tst_tidyup.moc"
