// SPDX-License-Identifier: MIT
#include "testsupport.h"
#include "paramtable.h"

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

static QStringList *captured = nullptr;

MessageCapture::MessageCapture()
{
    captured = &lines;
    previous = qInstallMessageHandler([](QtMsgType, const QMessageLogContext &, const QString &msg) { *captured << msg; });
}

MessageCapture::~MessageCapture()
{
    qInstallMessageHandler(previous);
    captured = nullptr;
}
