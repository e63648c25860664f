// SPDX-License-Identifier: MIT
#include "body.h"

#include "paramtable.h"
#include "tidyupjob.h"

Body::Body(const ParamTable &args, QWidget *parent)
    : QMainWindow(parent)
{
    setupUi(this);

    QString configFile = args.paramValue(QStringLiteral("-c"), QString());
    if (configFile.isEmpty())
        configFile = args.paramValue(QStringLiteral("-config"), QStringLiteral("config.cfg"));
    gConfig.readConfigFile(configFile);

    const QString dir
        = gConfig.paramValueNoCase(QStringLiteral("Default_Dir"), QStringLiteral("."));
    TargetDir->setSelectedDir(dir);
    TargetDir->setDialogDirectory(dir);
    TUInfo->setOrigsDir(
        gConfig.paramValueNoCase(QStringLiteral("Origs_Dir"), QStringLiteral("Origs")));
    TUInfo->setEnergyDir(
        gConfig.paramValueNoCase(QStringLiteral("Energy_Dir"), QStringLiteral("Energy")));
    TUInfo->setSeqNoDir(
        gConfig.paramValueNoCase(QStringLiteral("SeqNo_Dir"), QStringLiteral("SeqNo")));
    TUInfo->setFileExt(gConfig.paramValueNoCase(QStringLiteral("File_Ext"), QStringLiteral("img")));

    connect(Exec, SIGNAL(clicked()), this, SLOT(doTidyUp()));
}

// Closing the window ends the program; a run still going stops after its entry in hand, and
// the program waits for that before it ends.
Body::~Body()
{
    delete job;
}

