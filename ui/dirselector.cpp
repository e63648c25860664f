// SPDX-License-Identifier: MIT
#include "ui/dirselector.h"

#include <QEvent>
#include <QFileSystemModel>
#include <QHeaderView>
#include <QTreeView>

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
        connect(
            model, &QFileSystemModel::directoryLoaded, this, &DirSelector::dialogDirectoryLoaded);
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
    // The run is about to remove the files on view.
    if (fileDialog.isVisible())
        freeze();
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
        // Whatever happens to its files until the dialog is shown again.
        freeze();
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

// The model looks up every entry that vanishes, or changes, in the list of entries on view, one
// by one: a hundred thousand files moved away while on view cost minutes of the window's time.
// Hidden, they cost nothing. The model applies a filter only at its next sort, which it delays
// to a later turn of the event loop, when a listing of the directory may already have come in:
// the sort is made at once, in the directory the dialog is in, so that none of its files stays
// on view. Files stay hidden until the dialog has read its directory afresh.
void DirSelector::hideFiles()
{
    if (!model || hidingFiles)
        return;
    hidingFiles = true;
    filesShown = fileDialog.filter();
    fileDialog.setFilter(filesShown & ~QDir::Files);
    const QHeaderView *header = fileDialog.findChild<QTreeView *>()->header();
    model->sort(header->sortIndicatorSection(), header->sortIndicatorOrder());
}

// Stops watching and hides the files; see hideFiles(). A reading still going shows nothing: the
// files it lists may be going away, and showing them would sort them all.
void DirSelector::freeze()
{
    setWatching(false);
    hideFiles();
    reloading.clear();
}

// Shows path as it is now: leaving a directory makes the model read it afresh on return.
void DirSelector::enter(const QString &path)
{
    setWatching(true);
    const QDir dir(path);
    if (dir.isRoot() || !dir.exists()) {
        showFiles();
        fileDialog.setDirectory(path);
        return;
    }
    hideFiles();
    reloading = dir.absolutePath();
    fileDialog.setDirectory(QDir::rootPath());
    fileDialog.setDirectory(path);
}

void DirSelector::dialogDirectoryLoaded(const QString &path)
{
    if (!reloading.isEmpty() && QDir(path) == QDir(reloading))
        showFiles();
}

void DirSelector::showFiles()
{
    reloading.clear();
    if (hidingFiles) {
        hidingFiles = false;
        fileDialog.setFilter(filesShown);
    }
}
