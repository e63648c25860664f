// SPDX-License-Identifier: MIT
#include "ui/tidyupinfo.h"

TidyUpInfo::TidyUpInfo(QWidget *parent)
    : QFrame(parent)
{
    setupUi(this);
}
