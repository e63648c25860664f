// SPDX-License-Identifier: MIT
// The window's tidy-up: it reads the panels' fields and hands them to the engine.
#include "body.h"
#include "tidyup.h"

#include <QApplication>
#include <QScopeGuard>

void Body::doTidyUp()
{
    // The run blocks the event loop; the busy cursor tells the user why the window is still.
    QApplication::setOverrideCursor(Qt::WaitCursor);
    TargetDir->pauseDialog();
    const auto restore = qScopeGuard([this] {
        QApplication::restoreOverrideCursor();
        TargetDir->resumeDialog();
    });
    TidyUp::run(TargetDir->selectedDir(), TUInfo->origsDir(), TUInfo->energyDir(),
        TUInfo->seqNoDir(), TUInfo->fileExt());
}
