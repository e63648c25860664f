// SPDX-License-Identifier: MIT
// The record reader on any bytes: no crash, no allocation the record's size does not pay for,
// and nothing accepted that a run could not have written.
#include "tidyup/record/runrecord.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), int(size));
    RecordContents contents;
    int planned = 0;
    int refused = 0;
    RunRecord::parse(
        bytes, contents,
        [&](const RecordContents::Plan &plan) {
            // Indexes run 1, 2, 3, … with gaps only where a name was refused.
            if (plan.index <= planned || plan.name.isEmpty() || plan.newName.contains('/'))
                std::abort();
            planned = plan.index;
        },
        [&](int line, const char *why) {
            if (line < 2 || !why)
                std::abort();
            ++refused;
        });
    const RecordContents::Header &header = contents.header;
    // One result for each planned file, and each planned file a line of its own.
    if (contents.results.size() != size_t(header.planned) + 1 || planned > header.planned || header.moved > header.planned
        || header.planned > bytes.count('\n') + 1)
        std::abort();
    for (const QByteArray &dir : contents.dirs) {
        const QString path = QFile::decodeName(dir);
        const QString prefix = path + QLatin1Char('/');
        if (!path.startsWith(QLatin1Char('/'))
            || (!header.origs.startsWith(prefix) && !header.energy.startsWith(prefix) && !header.seqNo.startsWith(prefix)
                && path != header.origs && path != header.energy && path != header.seqNo && path != QLatin1String("/")))
            std::abort();
    }
    for (const auto &folder : contents.folders) {
        if (folder.second.isEmpty() || folder.second.contains('/') || folder.second == ".." || folder.second == ".")
            std::abort();
    }
    return 0;
}
