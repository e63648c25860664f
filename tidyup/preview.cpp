// SPDX-License-Identifier: MIT
#include "tidyup/preview.h"
#include "tidyup/names/dirscan.h"
#include "tidyup/names/namerule.h"
#include "tidyup/outputdirs.h"
#include "tidyup/survey/surveybuilder.h"
#include "tidyup/undo.h"

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <string_view>
#include <vector>

namespace
{

quint64 nameHash(const QByteArray &name)
{
    return std::hash<std::string_view>()(std::string_view(name.constData(), size_t(name.size())));
}

// Sorts hashes and returns how many differ.
int distinct(std::vector<quint64> &hashes)
{
    std::sort(hashes.begin(), hashes.end());
    return int(std::unique(hashes.begin(), hashes.end()) - hashes.begin());
}

} // namespace

namespace TidyUp
{

Preview preview(const Settings &settings, const std::atomic<bool> *stop)
{
    QElapsedTimer elapsed;
    elapsed.start();
    Preview preview;
    const QFileInfo targetInfo(settings.target);
    preview.targetFound = targetInfo.exists();
    preview.targetIsDir = targetInfo.isDir();
    if (!preview.targetIsDir)
        return preview;
    const QDir target(settings.target);
    const QString names[] = { settings.origs, settings.energy, settings.seqNo };
    for (const QString &name : names) {
        const QFileInfo info(target, name);
        if (name.isEmpty())
            preview.problem = dirProblem(DirMissing, name, target);
        else if (info.exists() && !info.isDir())
            preview.problem = dirProblem(NotADir, name, target);
        else if (!info.exists())
            preview.toCreate << name;
        if (!preview.problem.isEmpty())
            return preview;
    }
    if (settings.relative() && !outputsInside(target, QStringList(names, names + 3))) {
        preview.problem = outputsOutside();
        return preview;
    }

    // Hashes instead of names: a few megabytes for a hundred thousand files. The survey keeps
    // no name either, only the fields.
    SurveyBuilder survey;
    std::vector<quint64> inOrigs;
    DirScan::matchingEncoded(
        target.filePath(settings.origs), settings.fileExt,
        [&](QByteArray &&name) {
            inOrigs.push_back(nameHash(name));
            survey.add(name, SurveyBuilder::Origs);
        },
        stop);
    preview.tidied = !inOrigs.empty();
    std::sort(inOrigs.begin(), inOrigs.end());
    std::vector<QByteArray> outputs;
    for (const QString &name : outputDirEntries(target, QStringList(names, names + 3)))
        outputs.push_back(QFile::encodeName(name));
    std::vector<quint64> newNames;
    std::vector<quint64> energies;
    std::vector<quint64> seqNos;
    QByteArray energy;
    QByteArray seqNo;
    DirScan::matchingEncoded(
        target.path(), settings.fileExt,
        [&](QByteArray &&name) {
            if (std::find(outputs.begin(), outputs.end(), name) != outputs.end())
                return;
            ++preview.matching;
            survey.add(name, SurveyBuilder::Target);
            energy.clear();
            newNames.push_back(nameHash(rewriteFileName(name, energy, seqNo)));
            if (energy.isEmpty())
                return;
            ++preview.linkable;
            energies.push_back(nameHash(energy));
            seqNos.push_back(nameHash(seqNo));
        },
        stop);
    preview.survey = survey.take();
    preview.stopped = stop && stop->load();
    preview.lastRun = lastRun(settings);
    preview.energies = distinct(energies);
    preview.seqNos = distinct(seqNos);
    // Of several entries with one new name the first takes it.
    std::sort(newNames.begin(), newNames.end());
    for (size_t i = 0; i < newNames.size(); ++i) {
        preview.taken += std::binary_search(inOrigs.begin(), inOrigs.end(), newNames[i])
            || (i > 0 && newNames[i] == newNames[i - 1]);
    }
    preview.elapsedMs = elapsed.elapsed();
    return preview;
}

} // namespace TidyUp
