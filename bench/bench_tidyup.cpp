// Times a whole tidy-up of a synthetic energy scan against the least system calls that leave the
// same layout behind, and checks that both layouts are equal. Each side runs in a fresh child
// process: the program's memory growth is then not hidden by memory an earlier run freed, and
// both sides pay the same for being a new process (the kernel is measurably slower for one).
//
//   bench_tidyup [--sizes 1000,10000,100000] [--repeat 3]

#include "tidyup.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <dirent.h>
#include <fcntl.h>
#include <string>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
#include <unordered_set>
#include <vector>

namespace
{

struct Sample {
    double wallMs;
    double cpuMs;
    double peakGrowthMb;
};

double cpuMs()
{
    rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    const auto ms = [](const timeval &t) { return t.tv_sec * 1e3 + t.tv_usec / 1e3; };
    return ms(usage.ru_utime) + ms(usage.ru_stime);
}

// Peak resident memory since the last reset, in kB.
long peakKb()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').first().toLong();
    }
    return 0;
}

void resetPeak()
{
    if (FILE *f = std::fopen("/proc/self/clear_refs", "w")) {
        std::fputs("5", f);
        std::fclose(f);
    }
}

template <typename Work> Sample measure(Work work)
{
    resetPeak();
    const long peakBefore = peakKb();
    const double cpuBefore = cpuMs();
    const auto start = std::chrono::steady_clock::now();
    work();
    const auto end = std::chrono::steady_clock::now();
    return { std::chrono::duration<double, std::milli>(end - start).count(), cpuMs() - cpuBefore,
        (peakKb() - peakBefore) / 1024.0 };
}

// energies x projections empty files named like sample-7002_5eV-0001.img, and two frames that
// carry no energy.
void makeScan(const QString &dir, int energies, int projections)
{
    QDir().mkpath(dir);
    const std::string base = QFile::encodeName(dir).toStdString() + '/';
    const auto touch = [](const std::string &path) {
        const int fd = ::open(path.c_str(), O_CREAT | O_WRONLY | O_EXCL, 0644);
        if (fd < 0) {
            std::perror(path.c_str());
            std::exit(2);
        }
        ::close(fd);
    };
    for (int e = 0; e < energies; ++e) {
        const int tenths = 70000 + e * 25;
        std::string energy = std::to_string(tenths / 10);
        if (tenths % 10)
            energy += '_' + std::to_string(tenths % 10);
        for (int p = 1; p <= projections; ++p) {
            char seq[16];
            std::snprintf(seq, sizeof seq, "%04d", p);
            touch(base + "sample-" + energy + "eV-" + seq + ".img");
        }
    }
    touch(base + "dark.img");
    touch(base + "flat.img");
}

// The least work that leaves the program's layout behind: one pass of readdir, one rename and
// two symlinks per file, one mkdir per new subdirectory.
void floorRun(const std::string &target)
{
    const std::string origs = target + "/Origs", energyDir = target + "/Energy",
                      seqDir = target + "/SeqNo";
    for (const std::string *d : { &origs, &energyDir, &seqDir })
        ::mkdir(d->c_str(), 0777);
    std::vector<std::string> names;
    DIR *dir = ::opendir(target.c_str());
    while (dirent *entry = ::readdir(dir)) {
        const std::string name = entry->d_name;
        if (name.size() > 4 && strcasecmp(name.c_str() + name.size() - 4, ".img") == 0)
            names.push_back(name);
    }
    ::closedir(dir);
    std::unordered_set<std::string> made;
    for (const std::string &name : names) {
        // The synthetic names are prefix-<energy>eV-<seq>.img or carry no fields at all.
        const size_t unit = name.rfind("eV-");
        const size_t dash = unit == std::string::npos ? unit : name.rfind('-', unit);
        std::string newName = name, energy, seq;
        if (dash != std::string::npos) {
            energy = name.substr(dash + 1, unit - dash - 1);
            seq = name.substr(unit + 3, name.find('.', unit) - unit - 3);
            if (energy.find('_') == std::string::npos) {
                energy += "_00";
                newName.insert(unit, "_00");
            }
        }
        const std::string dest = origs + '/' + newName;
        if (::rename((target + '/' + name).c_str(), dest.c_str()) != 0 || energy.empty())
            continue;
        for (const std::string &sub : { energyDir + '/' + energy, seqDir + '/' + seq }) {
            if (made.insert(sub).second)
                ::mkdir(sub.c_str(), 0777);
            ::symlink(dest.c_str(), (sub + '/' + newName).c_str());
        }
    }
}

// Every entry below root as "relative path kind [link target relative to root]", sorted.
QStringList layoutOf(const QString &root)
{
    QStringList entries;
    const QDir base(root);
    QDirIterator it(root, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
        QDirIterator::Subdirectories);
    while (it.hasNext()) {
        it.next();
        const QFileInfo info = it.fileInfo();
        QString line = base.relativeFilePath(info.filePath());
        if (info.isSymLink())
            line += QStringLiteral(" -> ") + base.relativeFilePath(info.symLinkTarget());
        else
            line += info.isDir() ? QStringLiteral("/") : QString();
        entries << line;
    }
    entries.sort();
    return entries;
}

// One side's run ("program-run" or "floor-run") in a child process of this benchmark.
Sample childRun(const QString &side, const QString &dir)
{
    QProcess child;
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    child.start(QCoreApplication::applicationFilePath(), { QStringLiteral("--") + side, dir });
    if (!child.waitForFinished(-1) || child.exitCode() != 0) {
        std::fprintf(stderr, "the %s failed\n", qPrintable(side));
        std::exit(1);
    }
    const QList<QByteArray> figures = child.readAllStandardOutput().simplified().split(' ');
    if (figures.size() != 3) {
        std::fprintf(stderr, "the %s printed no figures\n", qPrintable(side));
        std::exit(1);
    }
    return { figures[0].toDouble(), figures[1].toDouble(), figures[2].toDouble() };
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Times the tidy-up of a synthetic scan against a floor of bare system calls."));
    parser.addHelpOption();
    const QCommandLineOption sizesOption(QStringLiteral("sizes"),
        QStringLiteral("Comma-separated scan sizes."), QStringLiteral("list"),
        QStringLiteral("1000,10000,100000"));
    const QCommandLineOption repeatOption(QStringLiteral("repeat"),
        QStringLiteral("Runs of each side per size (>= 1)."), QStringLiteral("n"),
        QStringLiteral("3"));
    QCommandLineOption programOption(QStringLiteral("program-run"),
        QStringLiteral("Internal: tidy up DIR, print the figures."), QStringLiteral("dir"));
    QCommandLineOption floorOption(QStringLiteral("floor-run"),
        QStringLiteral("Internal: run the floor on DIR, print the figures."),
        QStringLiteral("dir"));
    programOption.setFlags(QCommandLineOption::HiddenFromHelp);
    floorOption.setFlags(QCommandLineOption::HiddenFromHelp);
    parser.addOptions({ sizesOption, repeatOption, programOption, floorOption });
    parser.process(app);
    if (parser.isSet(programOption) || parser.isSet(floorOption)) {
        const QString dir = parser.value(parser.isSet(programOption) ? programOption : floorOption);
        const Sample s = parser.isSet(programOption)
            ? measure([&] {
                  TidyUp::run(dir, QStringLiteral("Origs"), QStringLiteral("Energy"),
                      QStringLiteral("SeqNo"), QStringLiteral("img"));
              })
            : measure([&] { floorRun(QFile::encodeName(dir).toStdString()); });
        std::printf("%f %f %f\n", s.wallMs, s.cpuMs, s.peakGrowthMb);
        return 0;
    }
    const int repeat = std::max(1, parser.value(repeatOption).toInt());

    const bool shm = QFileInfo(QStringLiteral("/dev/shm")).isWritable();
    QTemporaryDir work(shm ? QStringLiteral("/dev/shm/bench_tidyup-XXXXXX")
                           : QDir::tempPath() + QStringLiteral("/bench_tidyup-XXXXXX"));
    if (!work.isValid()) {
        std::fprintf(stderr, "cannot make a working directory\n");
        return 2;
    }
    std::printf("working in %s (%s), %d runs of each side per size\n", qPrintable(work.path()),
        shm ? "memory-backed /dev/shm" : "the temporary directory", repeat);
    std::printf("%8s %12s %12s %7s %12s %12s %9s %9s %11s\n", "files", "program ms", "floor ms",
        "ratio", "prog cpu ms", "floor cpu ms", "us/file", "floor us", "mem MB");

    for (const QString &sizeText : parser.value(sizesOption).split(QLatin1Char(','))) {
        const int size = sizeText.toInt();
        // About as many projections as energies a hundred times over, as in a real scan.
        const int energies = size >= 100000 ? 100 : size >= 10000 ? 50 : 10;
        const int projections = std::max(1, size / energies);
        std::vector<double> progWall, progCpu, floorWall, floorCpu, growth;
        for (int run = 0; run < repeat; ++run) {
            const QString prog = work.filePath(QStringLiteral("program"));
            const QString bare = work.filePath(QStringLiteral("floor"));
            makeScan(prog, energies, projections);
            makeScan(bare, energies, projections);
            // Each side goes first every other time: the file system is slower for whichever
            // works on a directory cache that the other has just filled.
            Sample p, f;
            if (run % 2) {
                f = childRun(QStringLiteral("floor-run"), bare);
                p = childRun(QStringLiteral("program-run"), prog);
            } else {
                p = childRun(QStringLiteral("program-run"), prog);
                f = childRun(QStringLiteral("floor-run"), bare);
            }
            if (run == 0 && layoutOf(prog) != layoutOf(bare)) {
                std::fprintf(stderr,
                    "LAYOUT MISMATCH at %d files: the program and the floor differ\n", size);
                return 1;
            }
            progWall.push_back(p.wallMs);
            progCpu.push_back(p.cpuMs);
            growth.push_back(p.peakGrowthMb);
            floorWall.push_back(f.wallMs);
            floorCpu.push_back(f.cpuMs);
            QDir(prog).removeRecursively();
            QDir(bare).removeRecursively();
        }
        const int files = energies * projections + 2;
        std::printf("%8d %12.1f %12.1f %7.2f %12.1f %12.1f %9.2f %9.2f %11.1f\n", files,
            median(progWall), median(floorWall), median(progWall) / median(floorWall),
            median(progCpu), median(floorCpu), median(progWall) * 1e3 / files,
            median(floorWall) * 1e3 / files, median(growth));
        std::fflush(stdout);
    }
    return 0;
}
