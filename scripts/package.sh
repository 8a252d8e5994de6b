#!/usr/bin/env bash
# Builds the Debian package into build-package/ (a release build installed under /usr) and prints its path.
# The menu entry and the manual pages are checked first: a warning from either stops the build.
set -euo pipefail
cd "$(dirname "$0")/.."
# dpkg-shlibdeps finds the library packages and cpack uses file to find the programs; the rest are the checkers.
scripts/deps.sh dpkg-dev file desktop-file-utils man-db >&2
cmake -S . -B build-package -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr -DBUILD_TESTING=OFF \
    >/dev/null
cmake --build build-package >&2 # stdout carries only the package path

desktop-file-validate build-package/packaging/*.desktop >&2
for page in build-package/packaging/man/*.1; do
    warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$page" 2>&1 >/dev/null)
    [ -z "$warnings" ] || { echo "$page: $warnings" >&2; exit 1; }
    lexgrog "$page" >/dev/null || { echo "$page: no NAME line whatis can read" >&2; exit 1; }
done

rm -f build-package/quillmarch_*.deb
(cd build-package && cpack -G DEB >&2)
ls build-package/quillmarch_*.deb
