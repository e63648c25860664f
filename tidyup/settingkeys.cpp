// SPDX-License-Identifier: MIT
#include "tidyup/settingkeys.h"
#include "params/paramtable.h"

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

} // namespace SettingKeys
