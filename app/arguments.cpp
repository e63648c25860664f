// SPDX-License-Identifier: MIT
#include "app/arguments.h"
#include "params/paramtable.h"
#include "tidyup/settingkeys.h"

#include <QCommandLineParser>

// The toolkit prints the lines of its help options itself, in its own context, for which the
// toolkit's Japanese catalogue has no text; ours gives them one.
[[maybe_unused]] static const char *const toolkitHelpTexts[] = {
    QT_TRANSLATE_NOOP("QCommandLineParser", "Displays help on commandline options."),
    QT_TRANSLATE_NOOP("QCommandLineParser", "Displays help including Qt specific options."),
};

Arguments Arguments::parse(const QStringList &arguments)
{
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.setApplicationDescription(
        tr("Moves the data files of a scan into the originals directory and links them by "
           "energy and by sequence number."));
    parser.addHelpOption();
    parser.addOptions({
        { QStringLiteral("run"), tr("Tidy up the target, as Exec does, without a window.") },
        { QStringLiteral("dry-run"), tr("Say what a run would do, and change nothing.") },
        { QStringLiteral("undo"),
            tr("Undo the newest run of the target that is not undone yet, from its record.") },
        { QStringLiteral("check"),
            tr("Check the link trees of the target: every link a data file expects, and what "
               "else the link folders hold. Changes nothing.") },
        { QStringLiteral("repair"),
            tr("Make the links that are missing and rewrite those naming another file, in the "
               "style of --links, else the one the newest run gave them. Nothing else is "
               "changed.") },
        { QStringLiteral("survey"),
            tr("Say the shape of the scan, from the target and the originals directory: for each "
               "series its energies and projections, and every projection missing. Changes "
               "nothing.") },
        { QStringLiteral("follow"),
            tr("Tidy up the target as a run does, and go on while the measurement is written: "
               "each file once it has settled. Ends on SIGINT, SIGTERM or SIGHUP, or with "
               "--until-idle.") },
        { QStringLiteral("settle"),
            tr("How long a file's size and time must stay the same before it is moved, in "
               "seconds (default 10, or Settle_Seconds)."),
            tr("seconds") },
        { QStringLiteral("poll"),
            tr("The longest wait between two looks at the target, in seconds (default 2)."),
            tr("seconds") },
        { QStringLiteral("until-idle"),
            tr("End once nothing has settled or arrived for this long, in seconds."),
            tr("seconds") },
        { QStringLiteral("relink"), tr("Repair, and rewrite every link into this style."),
            QStringLiteral("absolute|relative") },
        { QStringLiteral("json"),
            tr("Write JSON Lines on standard output: a line for each failure, then the "
               "outcome.") },
        { QStringLiteral("target"), tr("The directory of the scan."), tr("dir") },
        { QStringLiteral("origs"), tr("Where the data files are moved."), tr("name") },
        { QStringLiteral("energy"), tr("Where the per-energy links go."), tr("name") },
        { QStringLiteral("seqno"), tr("Where the per-projection links go."), tr("name") },
        { QStringLiteral("ext"), tr("The extension of the data files, without the dot."),
            tr("ext") },
        { QStringLiteral("links"),
            tr("How the links name the moved files: absolute (their paths, the default) or "
               "relative (from the link's folder, which holds when the scan is moved)."),
            QStringLiteral("absolute|relative") },
        { QStringLiteral("c"), tr("Read the settings from this file."), tr("file") },
        { QStringLiteral("config"), tr("The same, used when -c gives no name."), tr("file") },
        { QStringLiteral("e"), tr("English texts.") },
    });
    Arguments result;
    result.usage = parser.helpText();
    result.json = arguments.contains(QStringLiteral("--json"));
    if (!parser.parse(arguments) || !parser.positionalArguments().isEmpty()) {
        result.problem = parser.errorText().isEmpty()
            ? tr("Unexpected argument: %1").arg(parser.positionalArguments().value(0))
            : parser.errorText();
        return result;
    }
    // Without a window there are no options of the toolkit's to add to the help.
    if (parser.isSet(QStringLiteral("help")) || parser.isSet(QStringLiteral("help-all")))
        return result;
    // Two actions at once would be one of them, chosen silently.
    const bool repair
        = parser.isSet(QStringLiteral("repair")) || parser.isSet(QStringLiteral("relink"));
    int actions = int(repair);
    for (const char *action : { "run", "dry-run", "undo", "check", "survey", "follow" })
        actions += int(parser.isSet(QLatin1String(action)));
    if (actions > 1) {
        result.problem
            = tr("Give one of --run, --dry-run, --undo, --check, --repair, --survey and --follow.");
        return result;
    }
    // Times of a follow: decimal seconds, a tenth at least, and only with --follow.
    for (const char *name : { "settle", "poll", "until-idle" }) {
        const QString option = QLatin1String(name);
        if (!parser.isSet(option))
            continue;
        if (!parser.isSet(QStringLiteral("follow"))) {
            result.problem = tr("--%1 goes with --follow.").arg(option);
            return result;
        }
        const qint64 ms = SettingKeys::milliseconds(parser.value(option));
        if (ms < 0) {
            result.problem
                = tr("--%1 takes seconds, 0.1 or more: %2").arg(option, parser.value(option));
            return result;
        }
        result.values.insert(option, QString::number(ms));
    }
    result.action = parser.isSet(QStringLiteral("follow")) ? Follow
        : parser.isSet(QStringLiteral("dry-run"))          ? DryRun
        : parser.isSet(QStringLiteral("undo"))             ? Undo
        : parser.isSet(QStringLiteral("check"))            ? Check
        : parser.isSet(QStringLiteral("survey"))           ? Survey
        : repair                                           ? Repair
                                                           : Run;
    QStringList withValues { QStringLiteral("c"), QStringLiteral("config"),
        QStringLiteral("relink") };
    for (const SettingKeys::Key &key : SettingKeys::keys)
        withValues << QString::fromLatin1(key.option);
    for (const QString &name : qAsConst(withValues)) {
        if (parser.isSet(name))
            result.values.insert(name, parser.value(name));
    }
    return result;
}

QString Arguments::configFile(bool *named) const
{
    QString file = values.value(QStringLiteral("c"));
    if (file.isEmpty())
        file = values.value(QStringLiteral("config"));
    *named = !file.isEmpty();
    return file.isEmpty() ? QStringLiteral("config.cfg") : file;
}

bool Arguments::settings(
    const ParamTable &config, TidyUp::Settings &settings, QString &problem) const
{
    settings = SettingKeys::read(config, values, SettingKeys::noTarget);
    if (settings.target.isEmpty()) {
        problem = tr("No target: give --target DIR, or Default_Dir in the settings.");
        return false;
    }
    const auto given = [this](const char *name, qint64 fallback) {
        return values.contains(QLatin1String(name)) ? values.value(QLatin1String(name)).toLongLong()
                                                    : fallback;
    };
    const qint64 settle = SettingKeys::settleMs(config, settings.settleMs);
    if (settle < 0) {
        problem = tr("Settle_Seconds takes seconds, 0.1 or more: %1")
                      .arg(config.paramValueNoCase(QStringLiteral("Settle_Seconds"), QString()));
        return false;
    }
    settings.settleMs = given("settle", settle);
    settings.pollMs = given("poll", settings.pollMs);
    settings.untilIdleMs = given("until-idle", settings.untilIdleMs);
    for (const QString &style :
        { settings.links, values.value(QStringLiteral("relink"), settings.links) }) {
        if (style != QLatin1String(TidyUp::absoluteLinks)
            && style != QLatin1String(TidyUp::relativeLinks)) {
            problem = tr("Unknown link style \"%1\": give absolute or relative.").arg(style);
            return false;
        }
    }
    return true;
}

TidyUp::RepairRequest Arguments::repairRequest() const
{
    const QString relink = values.value(QStringLiteral("relink"));
    return { relink.isEmpty() ? values.value(QStringLiteral("links")) : relink, !relink.isEmpty() };
}
