#!/bin/sh
# SPDX-License-Identifier: MIT
# Builds the Debian package from the build folder $1 into $2, checks that it holds what desktops
# and man look for, and that lintian finds no error and no warning in it.
set -eu
rm -rf "$2"
(cd "$1" && cpack -G DEB -B "$2" >/dev/null)
deb=$(ls "$2"/*.deb)
for f in bin/quorvix-data share/applications/org.quorvixdata.QuorvixData.desktop share/man/man1/quorvix-data.1.gz \
    share/metainfo/org.quorvixdata.QuorvixData.metainfo.xml share/icons/hicolor/scalable/apps/org.quorvixdata.QuorvixData.svg \
    share/doc/quorvix-data/copyright share/doc/quorvix-data/changelog.gz; do
    dpkg-deb -c "$deb" | grep -q " ./usr/$f\$" || { echo "the package lacks /usr/$f"; exit 1; }
done
lintian --fail-on error,warning "$deb"
