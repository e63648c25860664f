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

const char *TidyUp::LinkProblem::name(Kind kind)
{
    switch (kind) {
    case Missing:
        return "missing";
    case Elsewhere:
        return "elsewhere";
    case NotALink:
        return "not_a_link";
    case Stray:
        return "stray";
    case InPlace:
        return "in_place";
    }
    return "";
}
