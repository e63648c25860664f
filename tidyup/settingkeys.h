// SPDX-License-Identifier: MIT
#pragma once

#include "tidyup/tidyup.h"

#include <QHash>
#include <QString>

class ParamTable;

// The six settings, each with its key in the configuration file, its command-line option and
// the window's default: one table, read by the window and the command line alike.
namespace SettingKeys
{

struct Key {
    const char *config;
    const char *option;
    const char *fallback;
    QString TidyUp::Settings::*field;
};

extern const Key keys[6];

// The command line's one difference: without Default_Dir it has no target, for under cron "."
// is the home directory.
constexpr char noTarget[] = "";

// Each setting from given (by option name) where it is there, else from config, else the
// default; targetFallback stands for the target's.
TidyUp::Settings read(const ParamTable &config, const QHash<QString, QString> &given = {},
    const char *targetFallback = nullptr);

// Decimal seconds as milliseconds; -1 where they are not 0.1 or more, written as digits.
qint64 milliseconds(const QString &seconds);
// The settle time that Settle_Seconds gives, fallback without it; -1 where it is no time.
qint64 settleMs(const ParamTable &config, qint64 fallback);
// Follow 1: the window starts following the scan with Exec, not running once.
bool follow(const ParamTable &config);

} // namespace SettingKeys
