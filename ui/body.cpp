// SPDX-License-Identifier: MIT
#include "body.h"

#include "paramtable.h"
#include "tidyupjob.h"

#include <QLineEdit>

Body::Body(const ParamTable &args, QWidget *parent)
    : QMainWindow(parent)
{
    setupUi(this);
    // A status text that wraps onto more lines makes the window taller rather than squeezing
    // the fields.
    centralWidget()->setMinimumHeight(centralWidget()->sizeHint().height());

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
    connect(statusbar, SIGNAL(undoClicked()), this, SLOT(undoLastRun()));
    previewTimer.setSingleShot(true);
    previewTimer.setInterval(300);
    connect(&previewTimer, SIGNAL(timeout()), this, SLOT(updatePreview()));
    for (QLineEdit *field : findChildren<QLineEdit *>())
        connect(field, SIGNAL(textChanged(QString)), this, SLOT(fieldsEdited()));
    updatePreview();
}

// Closing the window ends the program; a run still going stops after its entry in hand, and
// the program waits for that before it ends.
Body::~Body()
{
    delete job;
    abandonPreview();
    previews.waitForDone();
}
