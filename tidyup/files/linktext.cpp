// SPDX-License-Identifier: MIT
#include "tidyup/files/linktext.h"
#include "tidyup/outputdirs.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QList>
#include <cstring>

namespace
{

// The absolute path without "." and "..", as written: no link is followed.
QByteArray normal(const QByteArray &path)
{
    QList<QByteArray> parts;
    for (const QByteArray &part : path.split('/')) {
        if (part.isEmpty() || part == ".")
            continue;
        if (part == "..") {
            if (!parts.isEmpty())
                parts.removeLast();
            continue;
        }
        parts << part;
    }
    return '/' + parts.join('/');
}

QByteArray withSlash(const QString &path)
{
    return path.isEmpty() ? QByteArray() : QFile::encodeName(QDir::cleanPath(path)) + '/';
}

// Whether text is start followed by name, without putting the two together.
bool is(const QByteArray &text, const QByteArray &start, const QByteArray &name)
{
    return !start.isEmpty() && text.size() == start.size() + name.size()
        && std::memcmp(text.constData(), start.constData(), size_t(start.size())) == 0
        && std::memcmp(text.constData() + start.size(), name.constData(), size_t(name.size())) == 0;
}

} // namespace

LinkText::LinkText(const QString &tree, const QString &origs, const QString &recordedOrigs)
    : treePath(withSlash(tree))
    , realTree(withSlash(QFileInfo(tree).canonicalFilePath()))
    , relative(TidyUp::relativeLinkStart(tree, origs))
    , origsPath(withSlash(origs))
    , realOrigs(withSlash(QFileInfo(origs).canonicalFilePath()))
    , recorded(withSlash(recordedOrigs))
{
}

LinkText LinkText::of(const TidyUp::Settings &settings, int tree)
{
    const QDir target(settings.target);
    return { QDir::cleanPath(target.absoluteFilePath(tree == 0 ? settings.energy : settings.seqNo)),
        QDir::cleanPath(target.absoluteFilePath(settings.origs)) };
}

QByteArray LinkText::text(const QByteArray &name, bool relativeStyle) const
{
    return (relativeStyle ? relative : origsPath) + name;
}

bool LinkText::names(
    const QByteArray &sub, const QByteArray &name, const QByteArray &text, QByteArray *named) const
{
    if (is(text, origsPath, name) || is(text, relative, name) || is(text, recorded, name))
        return true;
    const bool absolute = text.startsWith('/');
    const QByteArray plain = normal(absolute ? text : treePath + sub + '/' + text);
    if (named)
        *named = plain;
    const QByteArray fromReal = absolute ? plain : normal(realTree + sub + '/' + text);
    return is(plain, origsPath, name) || is(plain, realOrigs, name) || is(plain, recorded, name)
        || is(fromReal, realOrigs, name) || is(fromReal, recorded, name);
}
