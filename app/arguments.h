// SPDX-License-Identifier: MIT
#pragma once

#include "tidyup/tidyup.h"

#include <QCoreApplication>
#include <QHash>
#include <QString>
#include <QStringList>

class ParamTable;

// What the arguments of the program without a window ask for, worked out from them alone: no
// file is read and no global table consulted, so that any argument vector can be tried on it.
class Arguments
{
    Q_DECLARE_TR_FUNCTIONS(CommandLine)

public:
    enum Action { Run, DryRun, Undo, Check, Repair, Survey, Follow, Help };

    // A usage problem leaves problem set and action Help; json is set whenever an argument is
    // exactly "--json", so that a script learns of the problem in the form it reads.
    static Arguments parse(const QStringList &arguments);

    // The configuration file to read: the one named by -c, else by -config, else config.cfg,
    // which may be missing; named tells that one was named, and must then be there.
    QString configFile(bool *named) const;
    // The settings from the options and, for what they leave out, the configuration file's
    // table; false, with problem, when they name no target or an unknown style of links.
    bool settings(const ParamTable &config, TidyUp::Settings &settings, QString &problem) const;
    // What a repair is asked for: the style that --relink or, failing it, --links names, and
    // whether to rewrite every link into it.
    TidyUp::RepairRequest repairRequest() const;

    Action action = Help;
    bool json = false;
    QString problem;
    QString usage;

private:
    QHash<QString, QString> values;
};
