#!/usr/bin/env bash
# Builds the Debian package into build-package/ (a release build installed under /usr) and prints its path.
# The menu entry and the manual pages are checked first, the package with lintian last: an error or a warning from
# any of them stops the build.
set -euo pipefail
cd "$(dirname "$0")/.."
# dpkg-shlibdeps finds the library packages and cpack uses file to find the programs; the rest are the checkers.
scripts/deps.sh dpkg-dev file desktop-file-utils man-db lintian >&2
# Debian's compiler and linker flags with every hardening feature (fortified functions, read-only relocations bound
# at start), as Debian's own packages are built; given each time, so a build folder made earlier gets them too.
# No -g: the programs are stripped and no debug package is made.
export DEB_BUILD_MAINT_OPTIONS=hardening=+all DEB_CXXFLAGS_MAINT_STRIP=-g
cmake -S . -B build-package -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr -DBUILD_TESTING=OFF \
    -DCMAKE_CXX_FLAGS="$(dpkg-buildflags --get CPPFLAGS) $(dpkg-buildflags --get CXXFLAGS)" \
    -DCMAKE_EXE_LINKER_FLAGS="$(dpkg-buildflags --get LDFLAGS)" >/dev/null
cmake --build build-package >&2 # stdout carries only the package path

desktop-file-validate build-package/packaging/*.desktop >&2
for page in build-package/packaging/man/*.1; do
    warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$page" 2>&1 >/dev/null)
    [ -z "$warnings" ] || { echo "$page: $warnings" >&2; exit 1; }
    lexgrog "$page" >/dev/null || { echo "$page: no NAME line whatis can read" >&2; exit 1; }
done

rm -f build-package/quillmarch_*.deb
(cd build-package && cpack -G DEB >&2)
deb=$(ls build-package/quillmarch_*.deb)
# Errors and warnings fail; information and pedantic notes are shown for whoever reads the log.
lintian --fail-on error,warning --display-info --pedantic "$deb" >&2
echo "$deb"
