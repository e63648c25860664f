// SPDX-License-Identifier: MIT
#include "tidyupinfo.h"

TidyUpInfo::TidyUpInfo(QWidget *parent)
    : QFrame(parent)
{
    setupUi(this);
}
