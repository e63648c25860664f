// SPDX-License-Identifier: MIT
#include "tidyup/record/repairrecord.h"
#include "tidyup/record/runrecord.h"
#include "tidyup/tidyup.h"

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QHash>
#include <algorithm>

#ifdef Q_OS_LINUX
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>
#endif

const char RepairRecord::folder[] = ".quorvix-data/repairs";
const char RepairRecord::magic[] = "quorvix-data-repair";

namespace
{

// Written once this much is kept: a repair of a whole scan makes two lines a file.
constexpr int batchBytes = 64 * 1024;

// Whether another process holds the lock of the record at path.
bool locked(const QString &path)
{
#ifdef Q_OS_LINUX
    // Over NFS a lock is taken on the server, and only on a descriptor open for writing.
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDWR | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0)
        return false;
    const bool held = ::flock(fd, LOCK_EX | LOCK_NB) != 0;
    ::close(fd);
    return held;
#else
    Q_UNUSED(path)
    return false;
#endif
}

} // namespace

RepairRecord::~RepairRecord()
{
    if (file.isOpen())
        end(0, 0);
}

bool RepairRecord::start(const QString &target, const QString &links, bool relink, QString &problem)
{
    const QDir dir(target);
    const QDateTime started = QDateTime::currentDateTimeUtc();
    filePath = dir.filePath(
        QStringLiteral("%1/%2-%3.tsv")
            .arg(QLatin1String(folder), started.toString(QStringLiteral("yyyyMMdd-HHmmss.zzz")))
            .arg(QCoreApplication::applicationPid()));
    file.setFileName(filePath);
    if (!dir.mkpath(QLatin1String(folder))
        || !file.open(QIODevice::WriteOnly | QIODevice::NewOnly | QIODevice::Unbuffered)) {
        problem
            = QCoreApplication::translate("TidyUp", "Can't keep a record of the repair in %1: %2.")
                  .arg(target, file.errorString());
        return false;
    }
#ifdef Q_OS_LINUX
    ::flock(file.handle(), LOCK_EX | LOCK_NB);
#endif
    // Each repair locks its own record before it looks at the others': of two starting at once,
    // at least one sees the other.
    for (QDirIterator it(dir.filePath(QLatin1String(folder)), QDir::Files); it.hasNext();) {
        const QString other = it.next();
        if (other != filePath && locked(other)) {
            problem = QCoreApplication::translate("TidyUp", "A repair of %1 is still going.")
                          .arg(target);
            file.remove();
            return false;
        }
    }
    add({ magic, "1" });
    add({ "user", RunRecord::user().toUtf8() });
    add({ "started", started.toString(Qt::ISODateWithMs).toUtf8() });
    add({ "target", QFile::encodeName(target) });
    add({ "links", links.toUtf8() });
    add({ "relink", relink ? "1" : "0" });
    return true;
}

void RepairRecord::add(const QList<QByteArray> &fields)
{
    pending += RunRecord::line(fields);
    if (pending.size() >= batchBytes) {
        file.write(pending);
        pending.resize(0);
    }
}

void RepairRecord::made(const QByteArray &entry, const QByteArray &text)
{
    const std::lock_guard<std::mutex> lock(mutex);
    changed = true;
    add({ "made", entry, text });
}

void RepairRecord::rewrote(const QByteArray &entry, const QByteArray &old, const QByteArray &text)
{
    const std::lock_guard<std::mutex> lock(mutex);
    changed = true;
    add({ "rewrote", entry, old, text });
}

void RepairRecord::end(int made, int rewritten)
{
    if (!changed) {
        file.remove();
        QDir().rmdir(QFileInfo(filePath).path());
        return;
    }
    add({ "end", RunRecord::now(), "made " + QByteArray::number(made),
        "rewritten " + QByteArray::number(rewritten) });
    file.write(pending);
    file.flush();
    file.close();
}

QString RepairRecord::relinkStyle(const QByteArray &head, QDateTime &started)
{
    // The header's lines come first, and hold nothing that a tab or a line break is escaped in
    // but the target, which is not read.
    QHash<QByteArray, QByteArray> header;
    const QList<QByteArray> lines = head.split('\n');
    for (int i = 0; i < std::min(int(lines.size()), 6); ++i) {
        const int tab = lines[i].indexOf('\t');
        header.insert(lines[i].left(tab), lines[i].mid(tab + 1));
    }
    const QByteArray links = header.value("links");
    if (header.value(magic) != "1" || header.value("relink") != "1"
        || (links != TidyUp::absoluteLinks && links != TidyUp::relativeLinks))
        return {};
    started
        = QDateTime::fromString(QString::fromLatin1(header.value("started")), Qt::ISODateWithMs);
    return QString::fromLatin1(links);
}

QString RepairRecord::newestRelink(const QString &target, QDateTime &started)
{
    const QDir records(QDir(target).filePath(QLatin1String(folder)));
    const QStringList names = records.entryList(QDir::Files, QDir::Name);
    for (auto it = names.crbegin(); it != names.crend(); ++it) {
        QFile record(records.filePath(*it));
        if (!record.open(QIODevice::ReadOnly))
            continue;
        const QString links = relinkStyle(record.read(4096), started);
        if (!links.isEmpty())
            return links;
    }
    return {};
}
