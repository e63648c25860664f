// SPDX-License-Identifier: MIT
#include "ui/body.h"

#include "params/paramtable.h"
#include "tidyup/report/surveyreport.h"
#include "tidyup/settingkeys.h"
#include "tidyup/tidyupsession.h"

#include <QDebug>
#include <QDir>
#include <QLineEdit>

Body::Body(const ParamTable &args, QWidget *parent)
    : QMainWindow(parent)
    , session(new TidyUpSession(this))
{
    setupUi(this);
    // A status text that wraps onto more lines makes the window taller rather than squeezing
    // the fields: the window's own minimum does not follow the height the wrapped text needs.
    centralWidget()->setMinimumHeight(centralWidget()->minimumSizeHint().height());
    statusbar->installEventFilter(this);

    QString configFile = args.paramValue(QStringLiteral("-c"), QString());
    if (configFile.isEmpty())
        configFile = args.paramValue(QStringLiteral("-config"), QStringLiteral("config.cfg"));
    gConfig.readConfigFile(configFile);

    const TidyUp::Settings settings = SettingKeys::read(gConfig);
    TargetDir->setSelectedDir(settings.target);
    TargetDir->setDialogDirectory(settings.target);
    TUInfo->setOrigsDir(settings.origs);
    TUInfo->setEnergyDir(settings.energy);
    TUInfo->setSeqNoDir(settings.seqNo);
    TUInfo->setFileExt(settings.fileExt);
    if (!settings.relative() && settings.links != QLatin1String(TidyUp::absoluteLinks)) {
        qDebug().noquote() << QStringLiteral("Unknown Link_Style \"%1\" in %2: links are absolute.")
                                  .arg(settings.links, configFile);
    }
    actionRelativeLinks->setChecked(settings.relative());
    actionFollowTheScan->setChecked(SettingKeys::follow(gConfig));
    const qint64 settle = SettingKeys::settleMs(gConfig, settleMs);
    if (settle < 0) {
        qDebug().noquote() << QStringLiteral(
            "Settle_Seconds takes seconds, 0.1 or more, in %1: %2 s it is.")
                                  .arg(configFile)
                                  .arg(settleMs / 1000);
    } else {
        settleMs = settle;
    }

    connect(Exec, SIGNAL(clicked()), this, SLOT(doTidyUp()));
    connect(statusbar, &RunStatus::undoClicked, this, &Body::undoLastRun);
    connect(statusbar, &RunStatus::checkClicked, this, &Body::checkLinks);
    connect(statusbar, &RunStatus::repairClicked, this, &Body::repairLinks);
    connect(statusbar, &RunStatus::stopClicked, session, &TidyUpSession::stop);
    connect(session, &TidyUpSession::started, this, &Body::runStarted);
    connect(session, &TidyUpSession::progress, statusbar, &RunStatus::showProgress);
    connect(session, &TidyUpSession::finished, this, &Body::runFinished);
    connect(session, &TidyUpSession::round, this, &Body::roundDone);
    connect(session, &TidyUpSession::undone, this, &Body::undoFinished);
    connect(session, &TidyUpSession::checked, this, &Body::checkFinished);
    connect(session, &TidyUpSession::previewed, statusbar, &RunStatus::showPreview);
    connect(session, &TidyUpSession::previewed, Scan, &ScanView::showPreview);
    for (QLineEdit *field : findChildren<QLineEdit *>())
        connect(field, &QLineEdit::textChanged, this, &Body::fieldsEdited);
    connect(actionRelativeLinks, &QAction::toggled, this, &Body::fieldsEdited);
    session->preview(fieldSettings());
}

// Closing the window ends the program; a run still going stops after its entry in hand, and
// the program waits for that before it ends.
Body::~Body()
{
    delete session;
}

bool Body::eventFilter(QObject *watched, QEvent *event)
{
    // The layout lays the status bar over the fields rather than make the window taller.
    if (watched == statusbar
        && (event->type() == QEvent::Resize || event->type() == QEvent::Move)) {
        const int overlap = centralWidget()->geometry().bottom() - statusbar->geometry().top() + 1;
        if (overlap > 0)
            resize(width(), height() + overlap);
    }
    return QMainWindow::eventFilter(watched, event);
}

void Body::closeEvent(QCloseEvent *event)
{
    // The window goes at once; a run stops after its entry in hand.
    session->stop();
    QMainWindow::closeEvent(event);
}

TidyUp::Settings Body::fieldSettings() const
{
    TidyUp::Settings settings { TargetDir->selectedDir(), TUInfo->origsDir(), TUInfo->energyDir(),
        TUInfo->seqNoDir(), TUInfo->fileExt() };
    settings.links = QLatin1String(
        actionRelativeLinks->isChecked() ? TidyUp::relativeLinks : TidyUp::absoluteLinks);
    return settings;
}

void Body::doTidyUp()
{
    if (!actionFollowTheScan->isChecked()) {
        session->run(fieldSettings());
        return;
    }
    followed = fieldSettings();
    followed.settleMs = settleMs;
    // The session says it started before it returns.
    following = true;
    session->follow(followed, true);
}

void Body::roundDone(const TidyUp::Round &round)
{
    statusbar->showRound(round);
    if (round.survey)
        Scan->showSurvey(round.survey, SurveyReport::text(*round.survey, followed));
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
    if (following)
        statusbar->showFollowing(QDir::cleanPath(QDir(followed.target).absolutePath()));
}

void Body::runFinished(const TidyUp::Outcome &outcome, const TidyUp::Settings &settings)
{
    statusbar->showOutcome(outcome, settings);
    jobEnded();
}

void Body::undoFinished(const TidyUp::UndoOutcome &outcome, const TidyUp::Settings &settings)
{
    statusbar->showOutcome(outcome, settings);
    jobEnded();
}

void Body::checkLinks()
{
    session->check(fieldSettings());
}

void Body::repairLinks()
{
    session->repair(fieldSettings());
}

void Body::checkFinished(const TidyUp::CheckOutcome &outcome, const TidyUp::Settings &settings)
{
    statusbar->showOutcome(outcome, settings);
    jobEnded();
}

void Body::jobEnded()
{
    following = false;
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
    actionRelativeLinks->setEnabled(enabled);
    actionFollowTheScan->setEnabled(enabled);
}
