// SPDX-License-Identifier: MIT
#include "tests/testsupport.h"
#include "params/paramtable.h"
#include "tidyup/tidyupjob.h"
#include "tidyup/tidyupsession.h"

#include <QDirIterator>
#include <QFileInfo>
#include <QSemaphore>
#include <atomic>
#include <memory>
#include <mutex>
#include <vector>

ParamTable commandLine(const QStringList &argv)
{
    std::vector<QByteArray> bytes;
    std::vector<const char *> pointers;
    for (const QString &arg : argv)
        bytes.push_back(arg.toUtf8());
    for (const QByteArray &b : bytes)
        pointers.push_back(b.constData());
    return ParamTable(int(pointers.size()), pointers.data());
}

QString inMemory(const QString &name)
{
    return (QFileInfo("/dev/shm").isWritable() ? QString("/dev/shm") : QDir::tempPath()) + '/' + name + "-XXXXXX";
}

bool makeScan(const QString &target, int files)
{
    for (int i = 0; i < files; ++i) {
        if (!FsTree::make(QString("%1/a-%2eV-%3.img").arg(target).arg(7000 + i / 100).arg(i % 100)))
            return false;
    }
    return true;
}

QList<int> runCounts(const QString &target)
{
    // Read without the files' contents: the tests that poll it watch tens of thousands of files.
    const auto emptyDataFiles = [](const QString &dir) {
        int count = 0;
        for (QDirIterator it(dir, { "a-*" }, QDir::Files | QDir::Hidden | QDir::System); it.hasNext();) {
            it.next();
            count += !it.fileInfo().isSymLink() && it.fileInfo().size() == 0;
        }
        return count;
    };
    int links = 0, broken = 0;
    for (const char *tree : { "/E", "/S" }) {
        for (QDirIterator it(
                 target + tree, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
             it.hasNext();) {
            it.next();
            if (!it.fileInfo().isSymLink())
                continue;
            ++links;
            broken += !it.fileInfo().isFile();
        }
    }
    return { emptyDataFiles(target), emptyDataFiles(target + "/O"), links, broken };
}

void atFirstReport(TidyUpSession &session, const std::function<void()> &action)
{
    auto started = std::make_shared<QMetaObject::Connection>();
    // The job exists, and has not started, when the session says it started.
    *started = QObject::connect(&session, &TidyUpSession::started, &session, [&session, action, started] {
        QObject::disconnect(*started);
        auto first = std::make_shared<std::atomic<bool>>(true);
        auto handled = std::make_shared<QSemaphore>();
        auto *job = session.findChild<TidyUpJob *>();
        QObject::connect(
            job, &TidyUpJob::progress, job,
            [&session, action, first, handled] {
                if (!first->exchange(false))
                    return;
                QMetaObject::invokeMethod(
                    &session,
                    [action, handled] {
                        action();
                        handled->release();
                    },
                    Qt::QueuedConnection);
                handled->acquire();
            },
            Qt::DirectConnection);
    });
}

static QStringList *captured = nullptr;
// Runs on several threads write lines at once.
static std::mutex capturing;

MessageCapture::MessageCapture()
{
    captured = &lines;
    previous = qInstallMessageHandler([](QtMsgType type, const QMessageLogContext &, const QString &msg) {
        const std::lock_guard<std::mutex> lock(capturing);
        if (type == QtDebugMsg)
            *captured << msg;
    });
}

MessageCapture::~MessageCapture()
{
    qInstallMessageHandler(previous);
    captured = nullptr;
}
