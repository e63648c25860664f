// SPDX-License-Identifier: MIT
// The configuration reader on any bytes, in any encoding: no crash, no hang, and a value never
// holds what starts a comment.
#include "params/paramtable.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), int(size));
    ParamTable table;
    table.readConfig(bytes);
    for (const char *key : { "Default_Dir", "Origs_Dir", "Energy_Dir", "SeqNo_Dir", "File_Ext" }) {
        const QString name = QString::fromLatin1(key);
        const QString value = table.paramValueNoCase(name, QStringLiteral("\x01"));
        if (value != table.paramValueNoCase(name.toLower(), QStringLiteral("\x01")) || value.contains(QLatin1Char('#')))
            std::abort();
    }
    return 0;
}
