// SPDX-License-Identifier: MIT
#pragma once

#include "fstree.h"

#include <QStringList>
#include <QtGlobal>

class ParamTable;

// The table the program builds from this argument vector.
ParamTable commandLine(const QStringList &argv);

// Collects what is written to the debug channel while it lives.
class MessageCapture
{
public:
    MessageCapture();
    ~MessageCapture();
    Q_DISABLE_COPY(MessageCapture)
    QStringList lines;

private:
    QtMessageHandler previous;
};
