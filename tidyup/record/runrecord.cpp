// SPDX-License-Identifier: MIT
#include "tidyup/record/runrecord.h"
#include "tidyup/record/recordreader.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <algorithm>
#include <charconv>

#ifdef Q_OS_LINUX
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

const char RunRecord::folder[] = ".quorvix-data/runs";

namespace
{

Reason failure(const QFile &file)
{
    return Reason(file.errorString());
}

// The next line without its line break; false for a last line cut short.
bool readLine(QFile &in, QByteArray &text)
{
    text = in.readLine();
    const bool complete = text.endsWith('\n');
    if (complete)
        text.chop(1);
    return complete;
}

} // namespace

QString RunRecord::user()
{
#ifdef Q_OS_LINUX
    // The account, not what the environment claims: a service may run without USER.
    if (const passwd *account = ::getpwuid(::geteuid()))
        return QString::fromLocal8Bit(account->pw_name);
#endif
    return QString::fromLocal8Bit(qgetenv("USER"));
}

QByteArray RunRecord::escape(const QByteArray &field)
{
    // Nearly every name holds none of them: it is then shared, not copied.
    if (std::none_of(field.cbegin(), field.cend(),
            [](char c) { return c == '\\' || c == '\t' || c == '\n' || c == '\r'; }))
        return field;
    QByteArray out;
    out.reserve(field.size());
    for (const char c : field) {
        switch (c) {
        case '\\':
            out += "\\\\";
            break;
        case '\t':
            out += "\\t";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        default:
            out += c;
        }
    }
    return out;
}

RunRecord::~RunRecord()
{
    if (file.isOpen()) {
        Reason ignored;
        write(ignored, true);
    }
}

QByteArray RunRecord::line(const QList<QByteArray> &fields)
{
    QByteArray text;
    for (const QByteArray &field : fields)
        text += (text.isEmpty() ? QByteArray() : QByteArray("\t")) + escape(field);
    return text + '\n';
}

bool RunRecord::rebase(RecordContents::Header &header, const QString &target)
{
    const QString old = header.target + QLatin1Char('/');
    for (const QString *path : { &header.origs, &header.energy, &header.seqNo }) {
        if (!path->startsWith(old))
            return false;
    }
    for (QString *path : { &header.origs, &header.energy, &header.seqNo })
        *path = target + path->mid(old.size() - 1);
    header.target = target;
    return true;
}

QByteArray RunRecord::now()
{
    return QDateTime::currentDateTimeUtc().toString(Qt::ISODateWithMs).toUtf8();
}

void RunRecord::add(const QList<QByteArray> &fields)
{
    pending += line(fields);
}

void RunRecord::takeOtherThreads()
{
    const std::lock_guard<std::mutex> lock(sharedMutex);
    pending += sharedLines;
    sharedLines.clear();
}

bool RunRecord::start(RecordContents::Header &header, const QStringList &dirsToMake, Reason &reason)
{
    header.version = QCoreApplication::applicationVersion();
    header.user = user();
    header.host = QSysInfo::machineHostName();
    header.pid = QCoreApplication::applicationPid();
    header.started = QDateTime::currentDateTimeUtc();
    const QDir target(header.target);
    madeFolders.clear();
    // Kept from batch to batch: a run writes one every few dozen files.
    pending.reserve(16 * 1024);
    const QString records = target.filePath(QLatin1String(folder));
    for (const QString &dir : { records, QFileInfo(records).path() }) {
        if (!QFileInfo::exists(dir))
            madeFolders << dir;
    }
    if (!target.mkpath(QLatin1String(folder))) {
        const char *const remark
            = QT_TRANSLATE_NOOP("Reason", "the folder of the records could not be made");
        reason = Reason(remark);
#ifdef Q_OS_LINUX
        // The toolkit keeps the system's reason to itself: a read-only scan directory and a file
        // in the way call for different remedies.
        for (auto it = madeFolders.crbegin(); it != madeFolders.crend(); ++it) {
            if (::mkdir(QFile::encodeName(*it).constData(), 0777) != 0 && errno != EEXIST) {
                reason = Reason(errno);
                reason.explain(remark);
                break;
            }
        }
#endif
        return false;
    }
    const QString stamp = header.started.toString(QStringLiteral("yyyyMMdd-HHmmss.zzz"));
    filePath = target.filePath(QStringLiteral("%1/%2-%3-%4.tsv")
                                   .arg(QLatin1String(folder), stamp, header.host)
                                   .arg(header.pid));
    file.setFileName(filePath);
#ifdef Q_OS_LINUX
    // Opened by hand, so that a refusal gives its error number.
    const auto create = [this] {
        return ::open(QFile::encodeName(filePath).constData(),
            O_WRONLY | O_CREAT | O_EXCL | O_APPEND | O_CLOEXEC, 0666);
    };
    int fd = create();
    // A run that changed nothing removes the folder it made, and may have done so just now.
    if (fd < 0 && errno == ENOENT && target.mkpath(QLatin1String(folder)))
        fd = create();
    if (fd < 0
        || !file.open(
            fd, QIODevice::WriteOnly | QIODevice::Unbuffered, QFileDevice::AutoCloseHandle)) {
        reason = Reason(errno);
        if (fd >= 0)
            ::close(fd);
        return false;
    }
    // Where locks are not kept, Undo asks whether the process lives.
    ::flock(fd, LOCK_EX | LOCK_NB);
#else
    if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly | QIODevice::Append
            | QIODevice::Unbuffered)) {
        reason = failure(file);
        return false;
    }
#endif
    const auto text = [](const QString &value) { return value.toUtf8(); };
    const auto name = [](const QString &path) { return QFile::encodeName(path); };
    add({ RecordContents::magic, "1" });
    add({ "version", text(header.version) });
    add({ "user", text(header.user) });
    add({ "host", text(header.host) });
    add({ "pid", QByteArray::number(header.pid) });
    add({ "started", text(header.started.toString(Qt::ISODateWithMs)) });
    add({ "target", name(header.target) });
    add({ "origs", name(header.origs) });
    add({ "energy", name(header.energy) });
    add({ "seqno", name(header.seqNo) });
    add({ "ext", text(header.fileExt) });
    add({ "links", text(header.links) });
    // Readers before it pass over a header key they do not know.
    if (header.follow)
        add({ "follow", "1" });
    for (const QString &dir : dirsToMake)
        add({ "dir", name(dir) });
    sinceSync.start();
    if (write(reason, true))
        return true;
    // A record without its header is of no use to anybody.
    file.close();
    QFile::remove(filePath);
    return false;
}

// The lines of every file are built in place: a run writes a hundred thousand of them.
void RunRecord::appendNumber(int number)
{
    char digits[16];
    const auto end = std::to_chars(digits, digits + sizeof digits, number).ptr;
    pending.append(digits, int(end - digits));
}

void RunRecord::plan(int index, const QByteArray &name, const QByteArray &newName)
{
    pending += "plan\t";
    appendNumber(index);
    pending += '\t';
    pending += escape(name);
    pending += '\t';
    pending += escape(newName);
    pending += '\n';
}

void RunRecord::moved(int index)
{
    pending += "moved\t";
    appendNumber(index);
    pending += '\n';
}

void RunRecord::left(int index, const Reason &reason)
{
    const QByteArray text = line({ "left", QByteArray::number(index), reason.text().toUtf8() });
    const std::lock_guard<std::mutex> lock(sharedMutex);
    sharedLines += text;
}

void RunRecord::folderMade(int tree, const QByteArray &sub)
{
    const std::lock_guard<std::mutex> lock(sharedMutex);
    sharedLines += (tree == 0 ? "folder\tenergy\t" : "folder\tseqno\t") + escape(sub) + '\n';
}

void RunRecord::linkNotMade(int index, int tree)
{
    const std::lock_guard<std::mutex> lock(sharedMutex);
    sharedLines
        += "nolink\t" + QByteArray::number(index) + (tree == 0 ? "\tenergy\n" : "\tseqno\n");
}

bool RunRecord::write(Reason &reason, bool sync)
{
    if (!file.isOpen())
        return false;
    takeOtherThreads();
#ifdef Q_OS_LINUX
    // By hand: after a short write the toolkit forgets why.
    for (qint64 done = 0; done < pending.size();) {
        const ssize_t written
            = ::write(file.handle(), pending.constData() + done, size_t(pending.size() - done));
        if (written < 0 && errno != EINTR) {
            reason = Reason(errno);
            // What follows would land after half a line.
            file.close();
            return false;
        }
        done += std::max<ssize_t>(written, 0);
    }
#else
    if (!pending.isEmpty() && file.write(pending) != pending.size()) {
        reason = failure(file);
        return false;
    }
#endif
    // Its room stays for the next batch.
    pending.resize(0);
    if (!sync && sinceSync.elapsed() < 1000)
        return true;
    sinceSync.restart();
#ifdef Q_OS_LINUX
    if (::fdatasync(file.handle()) != 0) {
        reason = Reason(errno);
        return false;
    }
#endif
    return true;
}

void RunRecord::end(const QList<QPair<const char *, int>> &counts)
{
    // The end line is the last.
    takeOtherThreads();
    QList<QByteArray> fields { "end", now() };
    for (const auto &count : counts)
        fields << QByteArray(count.first) + ' ' + QByteArray::number(count.second);
    add(fields);
    Reason ignored;
    write(ignored, true);
    file.close();
}

void RunRecord::discard()
{
    file.close();
    QFile::remove(filePath);
    // Another run may have begun to write in them: rmdir leaves a folder that is not empty.
    for (const QString &dir : qAsConst(madeFolders))
        QDir().rmdir(dir);
    madeFolders.clear();
}

QStringList RunRecord::all(const QString &target)
{
    const QDir dir(QDir(target).filePath(QLatin1String(folder)));
    QStringList paths;
    for (const QString &name : dir.entryList({ QStringLiteral("*.tsv") }, QDir::Files, QDir::Name))
        paths << dir.filePath(name);
    return paths;
}

bool RunRecord::parse(const QByteArray &bytes, RecordContents &contents,
    const RecordContents::PlanFound &plan, const RecordContents::Refused &refused)
{
    RecordReader reader(contents, plan, refused);
    for (int start = 0; start < bytes.size();) {
        const int end = bytes.indexOf('\n', start);
        const bool complete = end >= 0;
        reader.line(bytes.mid(start, complete ? end - start : -1), complete);
        start = complete ? end + 1 : bytes.size();
    }
    return reader.finish();
}

bool RunRecord::read(const QString &path, RecordContents &contents,
    const RecordContents::PlanFound &plan, const RecordContents::Refused &refused)
{
    QFile in(path);
    if (!in.open(QIODevice::ReadOnly))
        return false;
    RecordReader reader(contents, plan, refused);
    QByteArray text;
    while (!in.atEnd()) {
        const bool complete = readLine(in, text);
        reader.line(text, complete);
    }
    contents.header.path = path;
    return reader.finish();
}

bool RunRecord::readHeader(const QString &path, RecordContents::Header &header)
{
    // The window asks after every run: a record of a hundred thousand files is megabytes, and
    // all it needs is at its two ends.
    constexpr qint64 tailSize = 64 * 1024;
    QFile in(path);
    RecordContents contents;
    qint64 endLine = -1;
    if (in.open(QIODevice::ReadOnly) && in.size() > tailSize && in.seek(in.size() - tailSize)) {
        const QByteArray tail = in.read(tailSize);
        const int at = tail.lastIndexOf("\nend\t");
        if (at >= 0)
            endLine = in.size() - tailSize + at + 1;
    }
    if (endLine < 0) {
        const bool valid = read(path, contents);
        header = contents.header;
        return valid;
    }
    RecordReader reader(contents, {}, {});
    in.seek(0);
    QByteArray text;
    for (bool complete;
         in.pos() < endLine && ((complete = readLine(in, text)), !RecordReader::bodyLine(text));)
        reader.line(text, complete);
    reader.skipBody();
    in.seek(endLine);
    while (!in.atEnd()) {
        const bool complete = readLine(in, text);
        reader.line(text, complete);
    }
    contents.header.path = path;
    const bool valid = reader.finish();
    header = contents.header;
    return valid;
}

bool RunRecord::inUse(const QString &path, const RecordContents::Header &header)
{
    if (header.ended)
        return false;
#ifdef Q_OS_LINUX
    QFile record(path);
    // Over NFS a lock is taken only on a descriptor open for writing.
    if (record.open(QIODevice::ReadWrite)) {
        if (::flock(record.handle(), LOCK_EX | LOCK_NB) == 0)
            return false;
        if (errno == EWOULDBLOCK)
            return true;
    }
    return header.host == QSysInfo::machineHostName() && header.pid > 0
        && (::kill(pid_t(header.pid), 0) == 0 || errno == EPERM);
#else
    Q_UNUSED(path)
    return false;
#endif
}

bool RunRecord::append(const QString &path, const QList<QByteArray> &fields, Reason &reason)
{
    QFile out(path);
    // After a line that a lost machine cut short, the new one starts a line of its own.
    QByteArray text;
    if (out.open(QIODevice::ReadOnly) && out.size() > 0 && out.seek(out.size() - 1)
        && out.read(1) != "\n")
        text = "\n";
    out.close();
    text += line(fields);
    if (!out.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered)
        || out.write(text) != text.size()) {
        reason = failure(out);
        return false;
    }
#ifdef Q_OS_LINUX
    ::fdatasync(out.handle());
#endif
    return true;
}
