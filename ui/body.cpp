// SPDX-License-Identifier: MIT
#include "body.h"

#include "paramtable.h"
#include "tidyupsession.h"

#include <QLineEdit>

Body::Body(const ParamTable &args, QWidget *parent)
    : QMainWindow(parent)
    , session(new TidyUpSession(this))
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
    connect(statusbar, SIGNAL(stopClicked()), session, SLOT(stop()));
    connect(session, SIGNAL(started()), this, SLOT(runStarted()));
    connect(session, SIGNAL(progress(int, int)), statusbar, SLOT(showProgress(int, int)));
    connect(session, SIGNAL(finished(TidyUp::Outcome, TidyUp::Settings)), this,
        SLOT(runFinished(TidyUp::Outcome, TidyUp::Settings)));
    connect(session, SIGNAL(previewed(TidyUp::Preview, TidyUp::Settings)), statusbar,
        SLOT(showPreview(TidyUp::Preview, TidyUp::Settings)));
    for (QLineEdit *field : findChildren<QLineEdit *>())
        connect(field, SIGNAL(textChanged(QString)), this, SLOT(fieldsEdited()));
    session->preview(fieldSettings());
}

// Closing the window ends the program; a run still going stops after its entry in hand, and
// the program waits for that before it ends.
Body::~Body()
{
    delete session;
}

void Body::closeEvent(QCloseEvent *event)
{
    // The window goes at once; a run stops after its entry in hand.
    session->stop();
    QMainWindow::closeEvent(event);
}

TidyUp::Settings Body::fieldSettings() const
{
    return { TargetDir->selectedDir(), TUInfo->origsDir(), TUInfo->energyDir(), TUInfo->seqNoDir(),
        TUInfo->fileExt() };
}

void Body::doTidyUp()
{
    session->run(fieldSettings());
}

void Body::undoLastRun()
{
    session->undo(fieldSettings());
}

void Body::fieldsEdited()
{
    session->edit(fieldSettings());
}

void Body::runStarted()
{
    // The run has read the fields: an edit during the run would only mislead.
    setFieldsEnabled(false);
    TargetDir->pauseDialog();
    statusbar->showStarted();
}

void Body::runFinished(const TidyUp::Outcome &outcome, const TidyUp::Settings &settings)
{
    statusbar->showOutcome(outcome, settings);
    TargetDir->resumeDialog();
    setFieldsEnabled(true);
    // Disabling "Exec" sent the focus to "Stop", which has gone.
    if (!focusWidget() || !focusWidget()->isVisible())
        Exec->setFocus();
    session->preview(fieldSettings());
}

void Body::setFieldsEnabled(bool enabled)
{
    TargetDir->setEnabled(enabled);
    TUInfo->setEnabled(enabled);
    Exec->setEnabled(enabled);
}
