#include "dirselector.h"

#include <QDir>

DirSelector::DirSelector(QWidget *parent)
    : QFrame(parent)
{
    setupUi(this);

    const QString start = QDir(QDir::currentPath()).canonicalPath();
    SelectedDir->setText(start);
    fileDialog.setDirectory(start);
    fileDialog.setAcceptMode(QFileDialog::AcceptOpen);
    fileDialog.setFileMode(QFileDialog::Directory);

    connect(Select, SIGNAL(clicked()), &fileDialog, SLOT(show()));
    connect(&fileDialog, SIGNAL(fileSelected(const QString &)), this,
        SLOT(itemSelected(const QString &)));
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
    fileDialog.setDirectory(path);
}

void DirSelector::itemSelected(const QString &file)
{
    SelectedDir->setText(file);
    emit selectedItem(file);
}
