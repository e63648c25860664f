// SPDX-License-Identifier: MIT
// The name rule on any name: nothing of the name is lost, the new name is stable under the rule,
// and its fields are the ones it names; on the name's bytes, it gives what it gives on the
// decoded name; the survey finds the same fields.
#include "tidyup/names/namerule.h"

#include <QFile>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), int(size));
    const QString name = QFile::decodeName(bytes);
    QString energy;
    QString seqNo;
    const QString newName = TidyUp::rewriteFileName(name, energy, seqNo);
    QString energyAgain;
    QString seqNoAgain;
    const QString again = TidyUp::rewriteFileName(newName, energyAgain, seqNoAgain);
    const bool changed = newName != name;
    if (again != newName || energyAgain != energy || seqNoAgain != seqNo
        || (changed && (newName.size() != name.size() + 3 || !energy.endsWith(QLatin1String("_00"))))
        || (energy.isEmpty() != seqNo.isEmpty()) || (!energy.isEmpty() && !newName.contains(energy + QLatin1String("eV-") + seqNo)))
        std::abort();
    QByteArray energyBytes;
    QByteArray seqNoBytes;
    if (TidyUp::rewriteFileName(bytes, energyBytes, seqNoBytes) != QFile::encodeName(newName)
        || energyBytes != QFile::encodeName(energy) || seqNoBytes != QFile::encodeName(seqNo))
        std::abort();
    // The survey's reading of the name agrees with the run's.
    TidyUp::NameFields fields;
    const bool found = TidyUp::nameFields(bytes, fields);
    if (found != !energyBytes.isEmpty()
        || (found && (fields.energy != energyBytes || fields.seqNo != seqNoBytes || !fields.prefix.endsWith('-')
               || !fields.tail.startsWith('.'))))
        std::abort();
    return 0;
}
