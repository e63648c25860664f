// SPDX-License-Identifier: MIT
#include "tidyup/settingkeys.h"
#include "params/paramtable.h"

#include <QRegularExpression>

namespace SettingKeys
{

const Key keys[6] = {
    { "Default_Dir", "target", ".", &TidyUp::Settings::target },
    { "Origs_Dir", "origs", "Origs", &TidyUp::Settings::origs },
    { "Energy_Dir", "energy", "Energy", &TidyUp::Settings::energy },
    { "SeqNo_Dir", "seqno", "SeqNo", &TidyUp::Settings::seqNo },
    { "File_Ext", "ext", "img", &TidyUp::Settings::fileExt },
    { "Link_Style", "links", TidyUp::absoluteLinks, &TidyUp::Settings::links },
};

TidyUp::Settings read(
    const ParamTable &config, const QHash<QString, QString> &given, const char *targetFallback)
{
    TidyUp::Settings settings;
    for (const Key &key : keys) {
        const auto option = given.constFind(QString::fromLatin1(key.option));
        const char *fallback = key.field == &TidyUp::Settings::target && targetFallback
            ? targetFallback
            : key.fallback;
        settings.*key.field = option != given.cend()
            ? *option
            : config.paramValueNoCase(
                QString::fromLatin1(key.config), QString::fromLatin1(fallback));
    }
    return settings;
}

qint64 milliseconds(const QString &seconds)
{
    static const QRegularExpression decimal(QStringLiteral("^[0-9]+(\\.[0-9]+)?$"));
    if (!decimal.match(seconds).hasMatch())
        return -1;
    const double value = seconds.toDouble();
    return value >= 0.1 && value < 1e9 ? qint64(value * 1000 + 0.5) : -1;
}

qint64 settleMs(const ParamTable &config, qint64 fallback)
{
    const QString configured = config.paramValueNoCase(QStringLiteral("Settle_Seconds"), QString());
    return configured.isEmpty() ? fallback : milliseconds(configured);
}

bool follow(const ParamTable &config)
{
    return config.paramValueNoCase(QStringLiteral("Follow"), QString()).trimmed()
        == QLatin1String("1");
}

} // namespace SettingKeys
