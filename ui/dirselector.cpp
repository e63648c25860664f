// SPDX-License-Identifier: MIT
#include "dirselector.h"

#include <QEvent>
#include <QFileSystemModel>

DirSelector::DirSelector(QWidget *parent)
    : QFrame(parent)
    , fileDialog(nullptr, QString(), QDir::rootPath())
    , model(fileDialog.findChild<QFileSystemModel *>())
{
    setupUi(this);
    setWatching(false);

    dialogDir = QDir(QDir::currentPath()).canonicalPath();
    SelectedDir->setText(dialogDir);
    fileDialog.setAcceptMode(QFileDialog::AcceptOpen);
    fileDialog.setFileMode(QFileDialog::Directory);
    fileDialog.installEventFilter(this);
    // Parentless, the dialog would keep the program running after the main window is closed.
    fileDialog.setAttribute(Qt::WA_QuitOnClose, false);

    connect(Select, SIGNAL(clicked()), &fileDialog, SLOT(show()));
    connect(&fileDialog, SIGNAL(fileSelected(const QString &)), this,
        SLOT(itemSelected(const QString &)));
    if (model) {
        connect(model, SIGNAL(directoryLoaded(const QString &)), this,
            SLOT(dialogDirectoryLoaded(const QString &)));
    }
}

// A dialog destroyed while open hides itself when it is no longer a file dialog.
DirSelector::~DirSelector()
{
    fileDialog.removeEventFilter(this);
}

QString DirSelector::selectedDir() const
{
    return SelectedDir->text();
}

void DirSelector::setSelectedDir(const QString &path)
{
    SelectedDir->setText(path);
}

void DirSelector::setDialogDirectory(const QString &path)
{
    if (fileDialog.isVisible())
        enter(path);
    else
        dialogDir = path;
}

void DirSelector::pauseDialog()
{
    if (fileDialog.isVisible())
        setWatching(false);
}

void DirSelector::resumeDialog()
{
    if (fileDialog.isVisible())
        enter(fileDialog.directory().path());
}

bool DirSelector::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == &fileDialog && event->type() == QEvent::Show) {
        enter(dialogDir);
    } else if (watched == &fileDialog && event->type() == QEvent::Hide) {
        dialogDir = fileDialog.directory().path();
        setWatching(false);
        dialogDirectoryLoaded(reloading);
        fileDialog.setDirectory(QDir::rootPath());
    }
    return QFrame::eventFilter(watched, event);
}

void DirSelector::itemSelected(const QString &file)
{
    SelectedDir->setText(file);
    emit selectedItem(file);
}

void DirSelector::setWatching(bool on)
{
    if (model)
        model->setOption(QFileSystemModel::DontWatchForChanges, !on);
}

// Shows path as it is now. Leaving a directory makes the model read it afresh on return; the
// files are hidden until that reading is done, because the model removes each vanished entry
// that is on view one at a time, in quadratic time.
void DirSelector::enter(const QString &path)
{
    setWatching(true);
    const QDir dir(path);
    if (dir.isRoot() || !dir.exists()) {
        fileDialog.setDirectory(path);
        return;
    }
    if (model && reloading.isEmpty()) {
        filesShown = fileDialog.filter();
        fileDialog.setFilter(filesShown & ~QDir::Files);
    }
    reloading = dir.absolutePath();
    fileDialog.setDirectory(QDir::rootPath());
    fileDialog.setDirectory(path);
}

void DirSelector::dialogDirectoryLoaded(const QString &path)
{
    if (reloading.isEmpty() || QDir(path) != QDir(reloading))
        return;
    // Hidden until the dialog had read its directory afresh; see enter().
    reloading.clear();
    fileDialog.setFilter(filesShown);
}
