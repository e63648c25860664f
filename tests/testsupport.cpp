// SPDX-License-Identifier: MIT
#include "testsupport.h"
#include "paramtable.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <vector>

bool makeEntry(const QString &path, const QByteArray &content)
{
    if (path.endsWith(QLatin1Char('/')))
        return QDir().mkpath(path);
    QFile file(path);
    return QDir().mkpath(QFileInfo(path).path())
        && file.open(QIODevice::WriteOnly | QIODevice::NewOnly)
        && file.write(content) == content.size();
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

QStringList tree(const QString &root)
{
    QStringList lines;
    const QDir base(QDir(root).absolutePath());
    QDirIterator it(base.path(),
        QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
        QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        const QFileInfo info = it.fileInfo();
        QString line = base.relativeFilePath(path);
        if (info.isSymLink())
            line += QLatin1Char('>') + base.relativeFilePath(info.symLinkTarget());
        else if (info.isDir())
            line += QLatin1Char('/');
        else
            line += QLatin1Char('=') + QString::fromUtf8(readFile(path));
        lines << line;
    }
    lines.sort();
    return lines;
}

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
    previous = qInstallMessageHandler(
        [](QtMsgType, const QMessageLogContext &, const QString &msg) { *captured << msg; });
}

MessageCapture::~MessageCapture()
{
    qInstallMessageHandler(previous);
    captured = nullptr;
}
