// The window's tidy-up operations: they read the panels' fields and hand them to the engine.
#include "body.h"
#include "tidyup.h"

#include <QApplication>
#include <QScopeGuard>

QString Body::rewriteFileName(const QString &fileName, QString &energy, QString &seqNo)
{
    return TidyUp::rewriteFileName(fileName, energy, seqNo);
}

bool Body::prepareDirs(
    const QDir &target, const QString &origs, const QString &energy, const QString &seqNo)
{
    return TidyUp::prepareDirs(target, origs, energy, seqNo);
}

void Body::doTidyUp()
{
    // The run blocks the event loop; the busy cursor tells the user why the window is still.
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const auto restoreCursor = qScopeGuard([] { QApplication::restoreOverrideCursor(); });
    TidyUp::run(TargetDir->selectedDir(), TUInfo->origsDir(), TUInfo->energyDir(),
        TUInfo->seqNoDir(), TUInfo->fileExt());
}
