#include "fstree.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>

namespace FsTree
{

bool make(const QString &path, const QByteArray &content)
{
    if (path.endsWith(QLatin1Char('/')))
        return QDir().mkpath(path);
    if (!QDir().mkpath(QFileInfo(path).path()))
        return false;
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::NewOnly)
        && file.write(content) == content.size();
}

QMap<QString, QString> snapshot(const QString &root)
{
    QMap<QString, QString> entries;
    const QDir base(root);
    QDirIterator it(root, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
        QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        const QFileInfo info = it.fileInfo();
        QString what;
        if (info.isSymLink())
            what = QStringLiteral("link:") + info.symLinkTarget();
        else if (info.isDir())
            what = QStringLiteral("dir");
        else
            what = QStringLiteral("file:") + QString::fromUtf8(read(path));
        entries.insert(base.relativeFilePath(path), what);
    }
    return entries;
}

QByteArray read(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

} // namespace FsTree
