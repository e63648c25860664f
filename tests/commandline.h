#pragma once

#include <vector>

#include <QByteArray>
#include <QStringList>

#include "paramtable.h"

// The command-line table that the program builds from this argument vector (UTF-8 encoded).
inline ParamTable commandLine(const QStringList &argv)
{
    std::vector<QByteArray> bytes;
    for (const QString &arg : argv)
        bytes.push_back(arg.toUtf8());
    std::vector<const char *> pointers;
    for (const QByteArray &b : bytes)
        pointers.push_back(b.constData());
    return ParamTable(int(pointers.size()), pointers.data());
}
