// SPDX-License-Identifier: MIT
#pragma once

#include "tidyup/report/reason.h"

#include <QByteArray>

// What the check hands the links it finds wanting, where it is asked to mend them as it goes: a
// repair is the check's one pass with a mender beside it. Called from the check's threads at
// once.
class LinkMender
{
public:
    virtual ~LinkMender() = default;

    // Whether a link that names its file with text is to be rewritten all the same.
    virtual bool restyle(int tree, const QByteArray &name, const QByteArray &text) const = 0;
    // Makes the missing link name in the folder of tree at folderPath, or, with old, rewrites the
    // symbolic link there that says old. False, with reason, where it could not.
    virtual bool mend(int tree, const QByteArray &folderPath, const QByteArray &name,
        const QByteArray *old, Reason &reason)
        = 0;
    // Removes a temporary link that an earlier mender, killed, left at path.
    virtual void removeTemporary(const QByteArray &path) const = 0;
    // Whether the mender goes no further: the check stops where it has.
    virtual bool halted() const = 0;
};
