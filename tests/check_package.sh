#!/bin/sh
# SPDX-License-Identifier: MIT
# Builds the Debian package from the build folder $1 into $2, checks that it holds the program
# and the desktop's files for application id $3, and that lintian finds no error or warning.
set -eu
rm -rf "$2"
(cd "$1" && cpack -G DEB -B "$2" >/dev/null)
deb=$(ls "$2"/*.deb)
# lintian reports a missing copyright, changelog or manual page, but not these.
for f in bin/quorvix-data applications/$3.desktop metainfo/$3.metainfo.xml icons/hicolor/scalable/apps/$3.svg; do
    dpkg-deb -c "$deb" | grep -Eq " ./usr/(share/)?$f\$" || { echo "the package lacks $f"; exit 1; }
done
# A package tied to one Qt build would have to be rebuilt at every Qt update.
if dpkg-deb -f "$deb" Depends | grep -Eq -- '-abi\b'; then echo "the package depends on one Qt build"; exit 1; fi
lintian --fail-on error,warning "$deb"
