// SPDX-License-Identifier: MIT
// Moves to another file system, on real small tmpfs mounts: full disks, files being written,
// two runs at once. Afterwards every measurement must exist exactly once and complete.
#include "testsupport.h"
#include "tidyup.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>
#include <atomic>
#include <fcntl.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

class TestCrossMove : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup();
    void move_data();
    void move();

private:
    bool mount(const QString &dir, const QString &size);
    QTemporaryDir tmp;
    QStringList mounts;
};

void TestCrossMove::initTestCase()
{
    if (!mount(tmp.filePath("probe"), "64k"))
        QSKIP("mounting a tmpfs needs root; run the tests as root to cover these moves");
    QProcess::execute("umount", { mounts.takeLast() });
}

bool TestCrossMove::mount(const QString &dir, const QString &size)
{
    QDir().mkpath(dir);
    QProcess p;
    p.start("mount", { "-t", "tmpfs", "-o", "size=" + size, "tmpfs", dir });
    if (!p.waitForFinished() || p.exitCode() != 0)
        return false;
    mounts << dir;
    return true;
}

void TestCrossMove::cleanup()
{
    while (!mounts.isEmpty())
        QProcess::execute("umount", { "-l", mounts.takeLast() });
}

void TestCrossMove::move_data()
{
    QTest::addColumn<QString>("size"); // of the originals' file system
    QTest::addColumn<int>("files");
    QTest::addColumn<int>("bytes"); // of each file
    QTest::addColumn<QString>("what");
    QTest::addColumn<int>("moved"); // how many must reach the originals, -1: any

    QTest::newRow("disk fills in the middle of a file") << "1m" << 1 << 3000000 << "" << 0;
    QTest::newRow("disk fills in the last KiB") << "1m" << 1 << (1 << 20) + 2048 << "" << 0;
    QTest::newRow("many small files, nearly full disk") << "1m" << 300 << 8192 << "" << -1;
    QTest::newRow("plenty of room") << "16m" << 20 << 100000 << "" << 20;
    QTest::newRow("mode and times kept") << "1m" << 1 << 1000 << "mode" << 1;
    QTest::newRow("symbolic link moves as a link") << "1m" << 1 << 10 << "symlink" << 1;
    QTest::newRow("file held open for writing") << "16m" << 1 << 100000 << "held" << 0;
    QTest::newRow("file appended to during the copy") << "64m" << 1 << 20000000 << "grows" << -1;
    QTest::newRow("two runs at once") << "16m" << 400 << 1000 << "twice" << 400;
}

void TestCrossMove::move()
{
    QFETCH(QString, size);
    QFETCH(int, files);
    QFETCH(int, bytes);
    QFETCH(QString, what);
    QFETCH(int, moved);

    const QString t = tmp.filePath("t"), o = tmp.filePath("o");
    QVERIFY(mount(t, "128m"));
    QVERIFY(mount(o, size));
    QStringList names;
    for (int i = 0; i < files; ++i) {
        names << QString("s-%1eV-%2.img").arg(7000 + i % 7).arg(i + 1, 4, 10, QChar('0'));
        QByteArray content(bytes, char('a' + i % 26));
        content.replace(0, 8, QByteArray::number(i).rightJustified(8));
        QVERIFY(makeEntry(t + '/' + names.last(), content));
    }
    const QString first = t + '/' + names.first();
    const timespec old[] = { { 1000000000, 5 }, { 1000000000, 7 } };
    if (what == "mode")
        QVERIFY(::chmod(qPrintable(first), 0600) == 0
            && ::utimensat(AT_FDCWD, qPrintable(first), old, 0) == 0);
    if (what == "symlink") {
        QVERIFY(QFile::remove(first) && makeEntry(tmp.filePath("outside"), "kept"));
        QVERIFY(QFile::link(tmp.filePath("outside"), first));
    }
    const int writer = what == "held" ? ::open(qPrintable(first), O_WRONLY | O_APPEND) : -1;
    std::atomic<bool> running { true };
    std::atomic<qint64> appended { 0 };
    const QByteArray frame(4096, 'z');
    std::thread appender([&] {
        // Opens, appends a few frames and closes, again and again, as an acquisition would.
        while (what == "grows" && running) {
            const int fd = ::open(qPrintable(first), O_WRONLY | O_APPEND);
            if (fd < 0)
                break;
            for (int i = 0; i < 4; ++i) {
                appended += ::write(fd, frame.constData(), size_t(frame.size()));
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
            }
            ::close(fd);
        }
    });

    const auto stopAppending = [&] {
        running = false;
        if (appender.joinable())
            appender.join();
    };
    const auto joinOnReturn = qScopeGuard(stopAppending);
    while (what == "grows" && appended == 0)
        std::this_thread::yield();
    const auto runOnce = [&] { TidyUp::run(t, o, "Energy", "SeqNo", "img"); };
    if (what == "twice") {
        std::thread second(runOnce);
        runOnce();
        second.join();
    } else {
        MessageCapture capture;
        runOnce();
        stopAppending();
        if (moved == 0)
            QVERIFY2(capture.lines.size() == files
                    && capture.lines.first().startsWith(
                        "Can't move \"" + first + "\" to \"" + o + "/s-7000_00eV-0001.img\": "),
                qPrintable(capture.lines.join('\n')));
    }
    if (what == "held")
        QVERIFY(::write(writer, "tail", 4) == 4 && ::close(writer) == 0);

    if (what == "symlink") {
        QCOMPARE(QFile::symLinkTarget(o + "/s-7000_00eV-0001.img"), tmp.filePath("outside"));
        QVERIFY(!QFileInfo(first).isSymLink() && !QFileInfo::exists(first));
        QCOMPARE(readFile(tmp.filePath("outside")), QByteArray("kept"));
        return;
    }
    if (what == "mode") {
        struct stat st {
        };
        QVERIFY(::stat(qPrintable(o + "/s-7000_00eV-0001.img"), &st) == 0);
        QCOMPARE(st.st_mode & 07777, 0600u);
        QCOMPARE(qint64(st.st_mtim.tv_sec), qint64(old[1].tv_sec));
        QCOMPARE(qint64(st.st_mtim.tv_nsec), qint64(old[1].tv_nsec));
    }

    // Every measurement once and whole, under its old name in t or its new one in o; nothing
    // else (no temporary, no partial file); every link to a whole file.
    QStringList expected, found;
    for (int i = 0; i < files; ++i) {
        const qint64 length = bytes + (i == 0 ? appended + (what == "held" ? 4 : 0) : 0);
        expected << names[i] + ' ' + QString::number(length);
    }
    int inOrigs = 0;
    for (const QString &root : { t, o }) {
        QDirIterator it(
            root, QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString path = it.next();
            if (it.fileInfo().isSymLink()) {
                QVERIFY2(QFileInfo(it.fileInfo().symLinkTarget()).isFile(), qPrintable(path));
                continue;
            }
            const QByteArray content = readFile(path);
            const int i = content.left(8).trimmed().toInt();
            QVERIFY2(
                content.size() >= bytes && content.at(8) == char('a' + i % 26), qPrintable(path));
            found << names.value(i) + ' ' + QString::number(content.size());
            inOrigs += root == o;
        }
    }
    found.sort();
    expected.sort();
    QCOMPARE(found, expected);
    if (moved >= 0)
        QCOMPARE(inOrigs, moved);
}

QTEST_GUILESS_MAIN(TestCrossMove)
#include "tst_crossmove.moc"
