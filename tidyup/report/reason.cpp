// SPDX-License-Identifier: MIT
#include "tidyup/report/reason.h"

#include <QCoreApplication>
#include <cerrno>
#include <cstring>

namespace
{

// The system's words for the errors a run meets, so that the catalogue can translate them.
// The C library says the same in the C locale.
[[maybe_unused]] const char *const systemTexts[] = {
    QT_TRANSLATE_NOOP("Reason", "File exists"),
    QT_TRANSLATE_NOOP("Reason", "No such file or directory"),
    QT_TRANSLATE_NOOP("Reason", "Permission denied"),
    QT_TRANSLATE_NOOP("Reason", "Operation not permitted"),
    QT_TRANSLATE_NOOP("Reason", "No space left on device"),
    QT_TRANSLATE_NOOP("Reason", "Disk quota exceeded"),
    QT_TRANSLATE_NOOP("Reason", "Read-only file system"),
    QT_TRANSLATE_NOOP("Reason", "Input/output error"),
    QT_TRANSLATE_NOOP("Reason", "Not a directory"),
    QT_TRANSLATE_NOOP("Reason", "Is a directory"),
    QT_TRANSLATE_NOOP("Reason", "File name too long"),
    QT_TRANSLATE_NOOP("Reason", "Too many links"),
    QT_TRANSLATE_NOOP("Reason", "Device or resource busy"),
    QT_TRANSLATE_NOOP("Reason", "Stale file handle"),
    QT_TRANSLATE_NOOP("Reason", "Invalid cross-device link"),
};

} // namespace

Reason::Reason(int error)
    : number(error)
    , words(QString::fromLocal8Bit(std::strerror(error)))
{
}

Reason::Reason(const char *text, int error)
    : number(error)
    , words(QString::fromLatin1(text))
{
}

QByteArray Reason::errorName() const
{
#if defined(__GLIBC__) && __GLIBC_PREREQ(2, 32)
    const char *name = number != 0 ? ::strerrorname_np(number) : nullptr;
    return name ? QByteArray(name) : QByteArray();
#else
    return {};
#endif
}

QString Reason::translated() const
{
    // A remark is translated on its own, so that it can follow any of the texts.
    const int open = words.indexOf(QLatin1String(" ("));
    if (open < 0 || !words.endsWith(QLatin1Char(')')))
        return QCoreApplication::translate("Reason", words.toUtf8().constData());
    const QString remark = words.mid(open + 2, words.size() - open - 3);
    return QCoreApplication::translate("Reason", words.left(open).toUtf8().constData())
        + QCoreApplication::translate("Reason", " (%1)")
              .arg(QCoreApplication::translate("Reason", remark.toUtf8().constData()));
}

Reason::Reason(const QString &text)
    : words(text)
{
}

void Reason::explain(const char *remark)
{
    words += QLatin1String(" (") + QLatin1String(remark) + QLatin1Char(')');
}
