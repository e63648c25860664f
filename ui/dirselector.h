#pragma once

#include "ui_dirselector.h"

#include <QFileDialog>
#include <QFrame>

// A caption, a line edit with the chosen directory's path, and a button that opens a
// directory dialog. The path may also be typed in.
class DirSelector : public QFrame, private Ui_DirSelector
{
    Q_OBJECT

public:
    explicit DirSelector(QWidget *parent = nullptr);

    QString selectedDir() const;
    void setSelectedDir(const QString &path);
    void setDialogDirectory(const QString &path);

signals:
    void selectedItem(QString item);

private slots:
    void itemSelected(const QString &file);

private:
    QFileDialog fileDialog;
};
