// SPDX-License-Identifier: MIT
#include "bench/benchscan.h"
#include "tidyup/files/linkpool.h"
#include "tidyup/tidyup.h"

#include <QDir>
#include <QFile>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <optional>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace BenchScan
{

void makeScan(const QString &dir, int energies, int projections, int holes, int ageSeconds)
{
    QDir().mkpath(dir);
    const std::string base = QFile::encodeName(dir).toStdString() + '/';
    const timespec times[2] = { { 0, UTIME_OMIT }, { std::time(nullptr) - ageSeconds, 0 } };
    const auto touch = [&](const std::string &path) {
        const int fd = ::open(path.c_str(), O_CREAT | O_WRONLY | O_EXCL, 0644);
        if (fd < 0) {
            std::perror(path.c_str());
            std::exit(2);
        }
        if (ageSeconds > 0)
            ::futimens(fd, times);
        ::close(fd);
    };
    for (int e = 0; e < energies; ++e) {
        const int tenths = 70000 + e * 25;
        std::string energy = std::to_string(tenths / 10);
        if (tenths % 10)
            energy += '_' + std::to_string(tenths % 10);
        for (int p = 1; p <= projections; ++p) {
            // Holes a beamtime leaves: frames dropped through the middle energies.
            if (e >= energies / 2 && e < energies / 2 + holes && p == projections / 3)
                continue;
            char seq[16];
            std::snprintf(seq, sizeof seq, "%04d", p);
            touch(base + "sample-" + energy + "eV-" + seq + ".img");
        }
    }
    touch(base + "dark.img");
    touch(base + "flat.img");
}

void floorRun(const std::string &target, int linkThreads)
{
    const int t = ::open(target.c_str(), O_RDONLY | O_DIRECTORY);
    for (const char *d : { "Origs", "Energy", "SeqNo" })
        ::mkdirat(t, d, 0777);
    const int origs = ::openat(t, "Origs", O_RDONLY | O_DIRECTORY);
    const int energyDir = ::openat(t, "Energy", O_RDONLY | O_DIRECTORY);
    const int seqDir = ::openat(t, "SeqNo", O_RDONLY | O_DIRECTORY);
    std::vector<std::string> names;
    DIR *dir = ::fdopendir(::dup(t));
    while (dirent *entry = ::readdir(dir)) {
        const size_t n = std::strlen(entry->d_name);
        if (n > 4 && strcasecmp(entry->d_name + n - 4, ".img") == 0)
            names.emplace_back(entry->d_name, n);
    }
    ::closedir(dir);
    const std::string origsPath = target + "/Origs/";
    std::optional<LinkPool> pool;
    if (linkThreads > 0)
        pool.emplace(linkThreads, TidyUp::linkQueueLength);
    std::string newName, energy, seq;
    bool flagsRefused = false;
    for (const std::string &name : names) {
        // The synthetic names are prefix-<energy>eV-<seq>.img or carry no fields at all.
        const size_t unit = name.rfind("eV-");
        const size_t dash = unit == std::string::npos ? unit : name.rfind('-', unit);
        newName = name;
        energy.clear();
        if (dash != std::string::npos) {
            energy.assign(name, dash + 1, unit - dash - 1);
            seq.assign(name, unit + 3, name.find('.', unit) - unit - 3);
            if (energy.find('_') == std::string::npos) {
                energy += "_00";
                newName.insert(unit, "_00");
            }
        }
        bool moved = false;
        if (!flagsRefused) {
            moved = ::renameat2(t, name.c_str(), origs, newName.c_str(), RENAME_NOREPLACE) == 0;
            flagsRefused = !moved && errno == EINVAL;
        }
        const bool linked
            = flagsRefused && ::linkat(t, name.c_str(), origs, newName.c_str(), 0) == 0;
        if ((!moved && !linked) || (!linked && energy.empty()))
            continue;
        auto links = [dest = origsPath + newName, energy, seq, newName, energyDir, seqDir, linked,
                         t, name] {
            if (linked)
                ::unlinkat(t, name.c_str(), 0);
            if (energy.empty())
                return;
            for (const auto &[fd, sub] :
                { std::pair(energyDir, &energy), std::pair(seqDir, &seq) }) {
                const std::string link = *sub + '/' + newName;
                // The folder is made when the first link into it finds it missing.
                // Another thread may make it at the same moment.
                if (::symlinkat(dest.c_str(), fd, link.c_str()) != 0 && errno == ENOENT
                    && ((::mkdirat(fd, sub->c_str(), 0777) != 0 && errno != EEXIST)
                        || ::symlinkat(dest.c_str(), fd, link.c_str()) != 0))
                    std::perror(link.c_str());
            }
        };
        if (pool)
            pool->push(std::move(links));
        else
            links();
    }
    pool.reset();
    for (const int fd : { t, origs, energyDir, seqDir })
        ::close(fd);
}

} // namespace BenchScan
