// SPDX-License-Identifier: MIT
#pragma once

#include "tidyup/tidyup.h"

#include <QByteArray>
#include <QString>

// How the links of one link tree name the files of the originals directory: the text a new link
// has, in either style, and whether a link's text names a given file. Decided from the text alone,
// without following a link: quick on a file server, and right for a scan that was copied while its
// old copy is still there.
class LinkText
{
public:
    // Absolute paths of the tree and the originals directory; recordedOrigs, where given, is where
    // the originals directory was when the links were made, before the scan moved.
    LinkText(const QString &tree, const QString &origs, const QString &recordedOrigs = {});
    // The links by energy (tree 0) or by sequence number (1) of settings' target.
    static LinkText of(const TidyUp::Settings &settings, int tree);

    // The text of a new link to the file name.
    QByteArray text(const QByteArray &name, bool relative) const;
    // Whether text, a link's in the folder sub of the tree, names the file name of the originals
    // directory, in either style; named receives the path it names where that is not plain.
    bool names(const QByteArray &sub, const QByteArray &name, const QByteArray &text,
        QByteArray *named = nullptr) const;

    // The tree's path, with a trailing '/'.
    const QByteArray &path() const { return treePath; }
    // What a relative link's text begins with ("../../Origs/"); empty where the tree or the
    // originals directory does not exist.
    const QByteArray &relativeStart() const { return relative; }
    // The absolute link's start: the originals directory's path with a trailing '/'.
    const QByteArray &absoluteStart() const { return origsPath; }

private:
    QByteArray treePath;
    QByteArray realTree;
    QByteArray relative;
    QByteArray origsPath;
    QByteArray realOrigs;
    QByteArray recorded;
};
