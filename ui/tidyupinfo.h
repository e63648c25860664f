// SPDX-License-Identifier: MIT
#pragma once

#include "ui_tidyupinfo.h"

#include <QFrame>

// The names of the three output directories and the data-file extension, as the user typed them.
class TidyUpInfo : public QFrame, private Ui_TidyUpInfo
{
    Q_OBJECT

public:
    explicit TidyUpInfo(QWidget *parent = nullptr);

    QString origsDir() const { return Origs->text(); }
    QString energyDir() const { return Energy->text(); }
    QString seqNoDir() const { return SeqNo->text(); }
    QString fileExt() const { return FileExt->text(); }
    void setOrigsDir(const QString &name) { Origs->setText(name); }
    void setEnergyDir(const QString &name) { Energy->setText(name); }
    void setSeqNoDir(const QString &name) { SeqNo->setText(name); }
    void setFileExt(const QString &ext) { FileExt->setText(ext); }
};
