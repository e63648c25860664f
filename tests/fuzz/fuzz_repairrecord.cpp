// SPDX-License-Identifier: MIT
// The head of a repair's record on any bytes: no crash, and a style only of a relink that names
// one of the two.
#include "tidyup/record/repairrecord.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), int(size));
    QDateTime started;
    const QString links = RepairRecord::relinkStyle(bytes, started);
    if (!links.isEmpty() && links != QLatin1String("absolute") && links != QLatin1String("relative"))
        std::abort();
    if (!links.isEmpty() && !bytes.contains("\nrelink\t1"))
        std::abort();
    return 0;
}
