// SPDX-License-Identifier: MIT
#pragma once

#include "ui_dirselector.h"

#include <QDir>
#include <QFileDialog>
#include <QFrame>

class QFileSystemModel;

// A caption, a line edit with the chosen directory's path, and a button that opens a
// directory dialog. The path may also be typed in.
//
// The dialog's file-system model reads and watches whatever directory the dialog is in, shown or
// not; on a scan directory that is a hundred thousand entries read at start-up, and every move
// of a run digested afterwards. So the dialog sits in the root directory, unwatched, while it is
// hidden, and enters its own directory only when shown.
class DirSelector : public QFrame, private Ui_DirSelector
{
    Q_OBJECT

public:
    explicit DirSelector(QWidget *parent = nullptr);
    ~DirSelector() override;

    QString selectedDir() const;
    void setSelectedDir(const QString &path);
    void setDialogDirectory(const QString &path);
    // Around a run that changes many entries: an open dialog stops watching, and shows the
    // outcome once at the end.
    void pauseDialog();
    void resumeDialog();

signals:
    void selectedItem(QString item);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private slots:
    void itemSelected(const QString &file);
    void dialogDirectoryLoaded(const QString &path);

private:
    void setWatching(bool on);
    void enter(const QString &path);
    void hideFiles();
    void freeze();
    void showFiles();

    QFileDialog fileDialog;
    QFileSystemModel *model;
    // Where the dialog opens next.
    QString dialogDir;
    QDir::Filters filesShown;
    QString reloading;
    bool hidingFiles = false;
};
