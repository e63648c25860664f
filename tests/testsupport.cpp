// SPDX-License-Identifier: MIT
#include "testsupport.h"
#include "paramtable.h"

#include <QFileInfo>
#include <QRegularExpression>
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
    const QStringList tree = FsTree::tree(target), links = tree.filter(QRegularExpression("^[ES]/.*>"));
    int broken = 0;
    for (const QString &link : links)
        broken += !QFileInfo(target + '/' + link.section('>', 1)).isFile();
    return { tree.filter(QRegularExpression("^a-[^/]*=$")).size(), tree.filter(QRegularExpression("^O/a-[^/]*=$")).size(), links.size(), broken };
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
