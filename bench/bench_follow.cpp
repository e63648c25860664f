// SPDX-License-Identifier: MIT
// Times the program's follow of a measurement being written, as a process, as a user runs it:
//   - latency: a writer makes files at a steady rate; each file's time from its close to its
//     arrival in the originals directory, as percentiles, on the memory disk and on slowfs as a
//     file server without attribute caching, written behind the mount as by another client;
//   - waiting: the follow's CPU while 100 files keep changing, so that none settles;
//   - a finished scan: the follow of a scan whose files are all old, against --run and the floor
//     of bare system calls, alternating, with medians and spread;
//   - with --million: the follow's resident memory while a million files arrive, against --run's
//     of the same files;
//   - with a display: the window following at the rate, with the probe that the benchmark of the
//     run loads into it: how late its event loop came at worst, and its CPU against the command
//     line's over the same seconds.
//
//   bench_follow [--rate 500] [--seconds 60] [--nfs-rate 50] [--nfs-seconds 60] [--settle 10]
//       [--poll 2] [--files 100000] [--repeat 5] [--million] [--work DIR]

#include "bench/benchscan.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/inotify.h>
#include <sys/resource.h>
#include <sys/vfs.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

extern char **environ;

namespace
{

using Clock = std::chrono::steady_clock;

double msSince(Clock::time_point from, Clock::time_point to = Clock::now())
{
    return std::chrono::duration<double, std::milli>(to - from).count();
}

// A child process, its output thrown away.
struct Child {
    pid_t pid = -1;
    Clock::time_point started;
};

// env: variables to set, NAME=value; output: where standard output goes.
Child spawn(const QString &program, const QStringList &args, const QStringList &env = {},
    const char *output = "/dev/null")
{
    // Each list as the null-ended array of pointers that the system takes.
    const auto pointers = [](std::vector<QByteArray> &strings) {
        std::vector<char *> array;
        for (QByteArray &string : strings)
            array.push_back(string.data());
        array.push_back(nullptr);
        return array;
    };
    std::vector<QByteArray> bytes { QFile::encodeName(program) };
    for (const QString &arg : args)
        bytes.push_back(arg.toLocal8Bit());
    std::vector<QByteArray> variables;
    for (char **variable = environ; *variable; ++variable)
        variables.emplace_back(*variable);
    for (const QString &variable : env)
        variables.push_back(variable.toLocal8Bit());
    std::vector<char *> argv = pointers(bytes);
    std::vector<char *> envp = pointers(variables);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, output, O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    Child child;
    child.started = Clock::now();
    if (posix_spawn(&child.pid, argv[0], &actions, nullptr, argv.data(), envp.data()) != 0) {
        std::perror(argv[0]);
        std::exit(2);
    }
    posix_spawn_file_actions_destroy(&actions);
    return child;
}

struct Used {
    double wallMs = 0;
    double cpuMs = 0;
    double peakMb = 0;
    int status = 0;
};

Used waitFor(const Child &child)
{
    int status = 0;
    rusage usage {};
    ::wait4(child.pid, &status, 0, &usage);
    const auto ms = [](const timeval &t) { return t.tv_sec * 1e3 + t.tv_usec / 1e3; };
    return { msSince(child.started), ms(usage.ru_utime) + ms(usage.ru_stime),
        usage.ru_maxrss / 1024.0, WIFEXITED(status) ? WEXITSTATUS(status) : 128 };
}

// CPU time a running process has used so far, in ms.
double cpuOf(pid_t pid)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return 0;
    const QByteArray text = stat.readAll();
    // The fields after the command name, which may hold spaces: utime and stime are 14 and 15.
    const QList<QByteArray> fields = text.mid(text.lastIndexOf(')') + 2).split(' ');
    return (fields.value(11).toDouble() + fields.value(12).toDouble()) * 1e3
        / double(::sysconf(_SC_CLK_TCK));
}

double residentMb(pid_t pid)
{
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toDouble() / 1024.0;
    }
    return 0;
}

double percentile(std::vector<double> values, double p)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    return values[std::min(values.size() - 1, size_t(p * double(values.size())))];
}

QStringList followArgs(const QString &target, const QStringList &times)
{
    return QStringList { QStringLiteral("--follow"), QStringLiteral("-e"),
        QStringLiteral("--target"), target }
    + times;
}

// The file of index i, named as the rule leaves it, so that it keeps its name when tidied.
std::string frameName(int i)
{
    char name[64];
    std::snprintf(name, sizeof name, "lat-%d_00eV-%04d.img", 7000 + i / 1000, i % 1000 + 1);
    return name;
}

int frameIndex(const char *name)
{
    int energy = 0, seq = 0;
    if (std::sscanf(name, "lat-%d_00eV-%d.img", &energy, &seq) != 2)
        return -1;
    return (energy - 7000) * 1000 + seq - 1;
}

// Files written at rate a second for seconds into writeDir, followed in followDir (the same, or
// its mount): the milliseconds from each file's close until it stood in the originals directory.
// False where a file never arrived.
bool latency(const QString &writeDir, const QString &followDir, int rate, int seconds,
    const QStringList &times, std::vector<double> &latencies, Used &used)
{
    const int files = rate * seconds;
    QDir().mkpath(writeDir + QStringLiteral("/Origs"));
    const int watch = ::inotify_init1(IN_CLOEXEC);
    ::inotify_add_watch(watch, QFile::encodeName(writeDir + QStringLiteral("/Origs")).constData(),
        IN_MOVED_TO | IN_CREATE);
    const Child follow = spawn(QStringLiteral(QUORVIX_PROGRAM), followArgs(followDir, times));
    std::vector<Clock::time_point> written(static_cast<size_t>(files));
    std::vector<Clock::time_point> arrived(static_cast<size_t>(files));
    const std::string base = QFile::encodeName(writeDir).toStdString() + '/';
    const auto start = Clock::now() + std::chrono::seconds(1);
    std::thread writer([&] {
        const std::vector<char> frame(4096, 'x');
        for (int i = 0; i < files; ++i) {
            std::this_thread::sleep_until(start + std::chrono::microseconds(i * 1000000LL / rate));
            const int fd = ::open((base + frameName(i)).c_str(), O_CREAT | O_EXCL | O_WRONLY, 0644);
            if (fd < 0 || ::write(fd, frame.data(), frame.size()) != ssize_t(frame.size())) {
                std::perror("writer");
                std::exit(2);
            }
            ::close(fd);
            written[size_t(i)] = Clock::now();
        }
    });
    int seen = 0;
    const auto deadline = start + std::chrono::seconds(seconds + 120);
    alignas(inotify_event) char buffer[65536];
    while (seen < files && Clock::now() < deadline) {
        pollfd fd { watch, POLLIN, 0 };
        if (::poll(&fd, 1, 1000) <= 0)
            continue;
        const ssize_t size = ::read(watch, buffer, sizeof buffer);
        const auto now = Clock::now();
        for (ssize_t at = 0; at < size;) {
            const auto *event = reinterpret_cast<const inotify_event *>(buffer + at);
            const int i = event->len > 0 ? frameIndex(event->name) : -1;
            if (i >= 0 && i < files && arrived[size_t(i)] == Clock::time_point()) {
                arrived[size_t(i)] = now;
                ++seen;
            }
            at += ssize_t(sizeof(inotify_event) + event->len);
        }
    }
    writer.join();
    ::close(watch);
    used = waitFor(follow);
    latencies.clear();
    for (int i = 0; i < files; ++i) {
        if (arrived[size_t(i)] != Clock::time_point())
            latencies.push_back(msSince(written[size_t(i)], arrived[size_t(i)]));
    }
    return seen == files;
}

bool printLatency(const char *where, int rate, int seconds, double boundMs, const QString &writeDir,
    const QString &followDir, const QStringList &times)
{
    std::vector<double> ms;
    Used used;
    const bool all = latency(writeDir, followDir, rate, seconds, times, ms, used);
    const double worst = ms.empty() ? 0 : *std::max_element(ms.cbegin(), ms.cend());
    std::printf("latency %s, %d files/s for %d s: %zu of %d tidied, ms after the close p50 %.0f "
                "p90 %.0f p99 %.0f max %.0f; bound (settle + poll + 1 s) %.0f: %s; the follow's "
                "CPU %.1f %% of a core over its %.1f s\n",
        where, rate, seconds, ms.size(), rate * seconds, percentile(ms, 0.5), percentile(ms, 0.9),
        percentile(ms, 0.99), worst, boundMs, all && worst <= boundMs ? "within" : "OVER",
        100 * used.cpuMs / used.wallMs, used.wallMs / 1e3);
    std::fflush(stdout);
    return all && worst <= boundMs;
}

// 100 files, each changed every few seconds, so that none settles: what the follow costs while
// it waits.
void waiting(const QString &dir, const QStringList &times)
{
    QDir().mkpath(dir);
    const std::string base = QFile::encodeName(dir).toStdString() + '/';
    const auto touchAll = [&] {
        for (int i = 0; i < 100; ++i) {
            const int fd
                = ::open((base + frameName(i)).c_str(), O_CREAT | O_WRONLY | O_APPEND, 0644);
            if (fd >= 0 && ::write(fd, "x", 1) == 1)
                ::close(fd);
        }
    };
    touchAll();
    const Child follow = spawn(QStringLiteral(QUORVIX_PROGRAM), followArgs(dir, times));
    const int seconds = 30;
    double cpuFrom = 0;
    Clock::time_point from;
    for (int second = 0; second <= seconds + 2; ++second) {
        // Two seconds for the program to start and read the target first.
        if (second == 2) {
            cpuFrom = cpuOf(follow.pid);
            from = Clock::now();
        }
        if (second % 4 == 0)
            touchAll();
        QThread::sleep(1);
    }
    const double cpu = cpuOf(follow.pid) - cpuFrom;
    const double wall = msSince(from);
    ::kill(follow.pid, SIGTERM);
    waitFor(follow);
    const int left = int(QDir(dir).entryList({ QStringLiteral("*.img") }, QDir::Files).size());
    std::printf("waiting, 100 files changing every 4 s (%d still in the target): %.2f %% of a "
                "core over %.0f s (%.0f ms CPU)\n",
        left, 100 * cpu / wall, wall / 1e3, cpu);
    std::fflush(stdout);
}

// A finished scan, every file older than the settle time: the floor, --run and --follow,
// alternating.
bool finished(const QString &work, int files, int repeat)
{
    const int energies = 100;
    const int projections = std::max(1, files / energies);
    const QStringList sides { QStringLiteral("floor"), QStringLiteral("run"),
        QStringLiteral("follow") };
    std::vector<std::vector<Used>> samples(size_t(sides.size()));
    const QString scan = work + QStringLiteral("/finished");
    for (int round = -1; round < repeat; ++round) {
        for (int k = 0; k < sides.size(); ++k) {
            const int i = (k + round + 1) % int(sides.size());
            BenchScan::makeScan(scan, energies, projections, 0, 3600);
            Child child;
            if (i == 0)
                child = spawn(
                    QCoreApplication::applicationFilePath(), { QStringLiteral("--floor"), scan });
            else if (i == 1)
                child = spawn(QStringLiteral(QUORVIX_PROGRAM),
                    { QStringLiteral("--run"), QStringLiteral("-e"), QStringLiteral("--target"),
                        scan });
            else
                child = spawn(QStringLiteral(QUORVIX_PROGRAM),
                    followArgs(scan, { QStringLiteral("--until-idle"), QStringLiteral("0.1") }));
            const Used used = waitFor(child);
            const int left
                = int(QDir(scan).entryList({ QStringLiteral("*eV-*.img") }, QDir::Files).size());
            if (used.status != 0 || left != 0) {
                std::fprintf(stderr, "the %s side failed: status %d, %d files left\n",
                    qPrintable(sides[i]), used.status, left);
                return false;
            }
            if (round >= 0)
                samples[size_t(i)].push_back(used);
            QDir(scan).removeRecursively();
        }
    }
    const auto med = [&](int i, double Used::*field) {
        std::vector<double> values;
        for (const Used &u : samples[size_t(i)])
            values.push_back(u.*field);
        return percentile(values, 0.5);
    };
    const auto [floorLeast, floorMost] = std::minmax_element(samples[0].cbegin(), samples[0].cend(),
        [](const Used &a, const Used &b) { return a.wallMs < b.wallMs; });
    const bool noisy = floorMost->wallMs - floorLeast->wallMs > 0.25 * med(0, &Used::wallMs);
    for (int i = 0; i < sides.size(); ++i) {
        const auto [least, most]
            = std::minmax_element(samples[size_t(i)].cbegin(), samples[size_t(i)].cend(),
                [](const Used &a, const Used &b) { return a.wallMs < b.wallMs; });
        std::printf(
            "%8d finished %-7s %9.1f ms (%.1f–%.1f), cpu %9.1f ms, peak %6.1f MB, / floor %s\n",
            energies * projections + 2, qPrintable(sides[i]), med(i, &Used::wallMs), least->wallMs,
            most->wallMs, med(i, &Used::cpuMs), med(i, &Used::peakMb),
            noisy ? "noisy"
                  : qPrintable(
                      QString::number(med(i, &Used::wallMs) / med(0, &Used::wallMs), 'f', 2)));
    }
    std::vector<double> ratios;
    for (size_t round = 0; round < samples[1].size(); ++round)
        ratios.push_back(samples[2][round].wallMs / samples[1][round].wallMs);
    const double ratio = percentile(ratios, 0.5);
    std::printf("finished scan: follow / run %.2f (rounds %.2f–%.2f), limit 1.25: %s\n", ratio,
        *std::min_element(ratios.cbegin(), ratios.cend()),
        *std::max_element(ratios.cbegin(), ratios.cend()), ratio <= 1.25 ? "within" : "OVER");
    std::fflush(stdout);
    return true;
}

// Files written at rate a second into dir for seconds, from a thread.
std::thread writeFrames(const QString &dir, int rate, int seconds)
{
    return std::thread([base = QFile::encodeName(dir).toStdString() + '/', rate, seconds] {
        const auto start = Clock::now();
        const std::vector<char> frame(4096, 'x');
        for (int i = 0; i < rate * seconds; ++i) {
            std::this_thread::sleep_until(start + std::chrono::microseconds(i * 1000000LL / rate));
            const int fd = ::open((base + frameName(i)).c_str(), O_CREAT | O_EXCL | O_WRONLY, 0644);
            if (fd < 0 || ::write(fd, frame.data(), frame.size()) != ssize_t(frame.size()))
                std::exit(2);
            ::close(fd);
        }
    });
}

// The window following while files arrive at rate, and the command line beside it on the same
// writes: the window's CPU over the seconds both follow, less the command line's, is what the
// window itself costs.
void window(const QString &work, int rate, int seconds, const QStringList &times)
{
    double cpu[2] = {};
    QByteArray probed;
    for (int side = 0; side < 2; ++side) {
        const QString dir = work + QStringLiteral("/window");
        QDir().mkpath(dir);
        const QString output = work + QStringLiteral("/probe.out");
        Child program;
        if (side == 0) {
            program = spawn(QStringLiteral(QUORVIX_PROGRAM), followArgs(dir, times));
        } else {
            const QString config = work + QStringLiteral("/window.cfg");
            QFile file(config);
            if (!file.open(QIODevice::WriteOnly)
                || file.write("Default_Dir \"" + QFile::encodeName(dir) + "\"\nFollow 1\n") <= 0)
                std::exit(2);
            file.close();
            program = spawn(QStringLiteral(QUORVIX_PROGRAM),
                { QStringLiteral("-e"), QStringLiteral("-c"), config },
                { QStringLiteral("QT_QPA_PLATFORM=xcb"), QStringLiteral("LD_PRELOAD=" PROBE),
                    QStringLiteral("QUORVIX_PROBE=follow"),
                    QStringLiteral("QUORVIX_PROBE_SECONDS=%1").arg(seconds + 2) },
                QFile::encodeName(output).constData());
        }
        std::thread writer = writeFrames(dir, rate, seconds);
        // Both follow from the third second on; the window has opened by then.
        QThread::sleep(3);
        const double from = cpuOf(program.pid);
        QThread::sleep(unsigned(seconds - 4));
        cpu[side] = cpuOf(program.pid) - from;
        writer.join();
        if (side == 0)
            ::kill(program.pid, SIGTERM);
        waitFor(program);
        if (side == 1) {
            QFile out(output);
            if (out.open(QIODevice::ReadOnly))
                probed = out.readAll().simplified();
        }
        QDir(dir).removeRecursively();
    }
    const QList<QByteArray> figures = probed.split(' ');
    std::printf("the window following, %d files/s for %d s: its event loop late %s ms at worst "
                "(limit 100); its CPU over %d s %.0f ms, the command line's %.0f ms: the "
                "window's own / the follow's %.2f (limit 0.2)\n",
        rate, seconds, figures.size() == 5 ? figures[3].constData() : "(no figures)", seconds - 4,
        cpu[1], cpu[0], (cpu[1] - cpu[0]) / cpu[0]);
    std::fflush(stdout);
}

// A million files written as fast as the follow takes them, in ten steps: its resident memory at
// each, against the peak of --run over a million files already there.
void million(const QString &work)
{
    const int files = 1000000;
    const QString dir = work + QStringLiteral("/million");
    QDir().mkpath(dir);
    const Child follow = spawn(QStringLiteral(QUORVIX_PROGRAM),
        followArgs(dir,
            { QStringLiteral("--settle"), QStringLiteral("0.5"), QStringLiteral("--poll"),
                QStringLiteral("0.5"), QStringLiteral("--until-idle"), QStringLiteral("3") }));
    const std::string base = QFile::encodeName(dir).toStdString() + '/';
    std::printf("a million files arriving: the follow's resident MB after each 100,000 written:");
    const QString origs = dir + QStringLiteral("/Origs");
    for (int i = 0; i < files; ++i) {
        const int fd = ::open((base + frameName(i)).c_str(), O_CREAT | O_EXCL | O_WRONLY, 0644);
        if (fd < 0) {
            std::perror("writer");
            std::exit(2);
        }
        ::close(fd);
        // As fast as the follow tidies, about: the target never holds more than 20,000 waiting.
        if (i % 20000 == 19999) {
            while (QDir(dir).entryList(QDir::Files).size() > 20000)
                QThread::msleep(100);
        }
        if (i % 100000 == 99999) {
            std::printf(" %.1f", residentMb(follow.pid));
            std::fflush(stdout);
        }
    }
    const Used used = waitFor(follow);
    std::printf("; peak %.1f MB over %.0f s\n", used.peakMb, used.wallMs / 1e3);
    QDir(dir).removeRecursively();
    BenchScan::makeScan(dir, 1000, 1000);
    const Used run = waitFor(spawn(QStringLiteral(QUORVIX_PROGRAM),
        { QStringLiteral("--run"), QStringLiteral("-e"), QStringLiteral("--target"), dir }));
    std::printf("--run of a million files already there: peak %.1f MB over %.0f s\n", run.peakMb,
        run.wallMs / 1e3);
    QDir(dir).removeRecursively();
    std::fflush(stdout);
}

} // namespace

int main(int argc, char *argv[])
{
    if (argc == 3 && std::strcmp(argv[1], "--floor") == 0) {
        BenchScan::floorRun(argv[2], 0);
        return 0;
    }
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Times the follow of a measurement being written, as a process."));
    parser.addHelpOption();
    const auto option = [&parser](const char *name, const char *text, const char *value) {
        const QCommandLineOption made(
            QLatin1String(name), QLatin1String(text), QStringLiteral("n"), QLatin1String(value));
        parser.addOption(made);
        return made;
    };
    const QCommandLineOption rate = option("rate", "Files a second on the memory disk.", "500");
    const QCommandLineOption seconds = option("seconds", "For so long.", "60");
    const QCommandLineOption nfsRate
        = option("nfs-rate", "Files a second on the file server model (0: none).", "50");
    const QCommandLineOption nfsSeconds = option("nfs-seconds", "For so long.", "60");
    const QCommandLineOption settle = option("settle", "The follow's settle time, seconds.", "10");
    const QCommandLineOption pollTime = option("poll", "The follow's poll interval, seconds.", "2");
    const QCommandLineOption files = option("files", "Files of the finished scan.", "100000");
    const QCommandLineOption repeat = option("repeat", "Rounds of the finished scan's sides.", "5");
    const QCommandLineOption work = option("work", "Where the scans are made.", "/dev/shm");
    const QCommandLineOption millionOption(QStringLiteral("million"),
        QStringLiteral("Also follow a million files arriving (needs 3,000,000 inodes)."));
    parser.addOption(millionOption);
    parser.process(app);

    QTemporaryDir dir(parser.value(work) + QStringLiteral("/bench_follow-XXXXXX"));
    if (!dir.isValid())
        return 2;
    const QStringList times { QStringLiteral("--settle"), parser.value(settle),
        QStringLiteral("--poll"), parser.value(pollTime), QStringLiteral("--until-idle"),
        QStringLiteral("2") };
    const double boundMs
        = (parser.value(settle).toDouble() + parser.value(pollTime).toDouble() + 1) * 1e3;
    std::printf("working in %s; the follow with --settle %s --poll %s\n", qPrintable(dir.path()),
        qPrintable(parser.value(settle)), qPrintable(parser.value(pollTime)));
    if (!finished(
            dir.path(), parser.value(files).toInt(), std::max(1, parser.value(repeat).toInt())))
        return 1;
    waiting(dir.filePath(QStringLiteral("waiting")), times);
    bool within = printLatency("on the memory disk", parser.value(rate).toInt(),
        parser.value(seconds).toInt(), boundMs, dir.filePath(QStringLiteral("shm")),
        dir.filePath(QStringLiteral("shm")), times);
    if (parser.value(nfsRate).toInt() > 0) {
        // Written on the server's side, as by the detector's own machine; followed through the
        // mount, which caches no attributes and reports nothing written behind it.
        const QString server = dir.filePath(QStringLiteral("server"));
        const QString mount = dir.filePath(QStringLiteral("mount"));
        QDir().mkpath(server);
        QDir().mkpath(mount);
        const Child fs = spawn(QStringLiteral(SLOWFS),
            { QStringLiteral("--nfs"), server, mount, QStringLiteral("300"), QStringLiteral("-f"),
                QStringLiteral("-o"),
                QStringLiteral("attr_timeout=0,entry_timeout=0,negative_timeout=0") });
        struct statfs st {
        };
        for (int i = 0; i < 100
             && !(::statfs(QFile::encodeName(mount).constData(), &st) == 0
                 && st.f_type == 0x65735546);
             ++i)
            QThread::msleep(50);
        within = printLatency("on the file server model", parser.value(nfsRate).toInt(),
                     parser.value(nfsSeconds).toInt(), boundMs, server, mount, times)
            && within;
        QProcess::execute(QStringLiteral("umount"), { mount });
        waitFor(fs);
    }
    if (qEnvironmentVariableIsEmpty("DISPLAY"))
        std::printf("the window's side skipped: no display (run under xvfb-run -a -s \"-screen 0 "
                    "1600x1000x24\")\n");
    else
        window(dir.path(), parser.value(rate).toInt(), parser.value(seconds).toInt(), times);
    if (parser.isSet(millionOption))
        million(dir.path());
    return within ? 0 : 1;
}
