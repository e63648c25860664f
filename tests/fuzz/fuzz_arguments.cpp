// SPDX-License-Identifier: MIT
// The command line of a run without a window, on any argument vector and any configuration
// file: arguments separated by NUL bytes, the configuration's bytes after the last one.
#include "app/arguments.h"
#include "params/paramtable.h"

#include <QCoreApplication>
#include <cstdlib>

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    // The usage text names the program from the application's arguments.
    static QCoreApplication app(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    QList<QByteArray> parts = QByteArray(reinterpret_cast<const char *>(data), int(size)).split('\0');
    const QByteArray config = parts.takeLast();
    QStringList argv { QStringLiteral("quorvix-data") };
    for (const QByteArray &part : parts)
        argv << QString::fromUtf8(part);
    const Arguments arguments = Arguments::parse(argv);
    if (arguments.json != argv.contains(QStringLiteral("--json")) || (!arguments.problem.isEmpty() && arguments.action != Arguments::Help))
        std::abort();
    if (!arguments.problem.isEmpty() || arguments.action == Arguments::Help)
        return 0;
    bool named = false;
    if (arguments.configFile(&named).isEmpty())
        std::abort();
    ParamTable table;
    table.readConfig(config);
    TidyUp::Settings settings;
    QString problem;
    // A run always has a target, or a reason why not.
    if (arguments.settings(table, settings, problem) == settings.target.isEmpty() || problem.isEmpty() != !settings.target.isEmpty())
        std::abort();
    return 0;
}
