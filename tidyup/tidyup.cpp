// SPDX-License-Identifier: MIT
#include "tidyup/tidyup.h"

const char *TidyUp::Failure::name(What what)
{
    switch (what) {
    case Move:
        return "move";
    case Link:
        return "link";
    case Dirs:
        return "dirs";
    case Record:
        return "record";
    }
    return "";
}
