// SPDX-License-Identifier: MIT
#include "bench/fstree.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QRegularExpression>

namespace FsTree
{

bool make(const QString &path, const QByteArray &content)
{
    if (path.endsWith(QLatin1Char('/')))
        return QDir().mkpath(path);
    QFile file(path);
    return QDir().mkpath(QFileInfo(path).path())
        && file.open(QIODevice::WriteOnly | QIODevice::NewOnly)
        && file.write(content) == content.size();
}

QByteArray read(const QString &path)
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
            line += QLatin1Char('=') + QString::fromUtf8(read(path));
        lines << line;
    }
    lines.sort();
    return lines;
}

QStringList dataTree(const QString &root)
{
    return tree(root).filter(QRegularExpression(QStringLiteral("^(?!\\.quorvix-data)")));
}

} // namespace FsTree
