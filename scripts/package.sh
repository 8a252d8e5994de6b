#!/usr/bin/env bash
# Builds the Debian package into build-package/ (a release build installed under /usr) and prints its path.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh dpkg-dev file >&2 # dpkg-shlibdeps finds the library packages; cpack uses file to find programs
cmake -S . -B build-package -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr -DBUILD_TESTING=OFF \
    >/dev/null
cmake --build build-package >&2 # stdout carries only the package path
rm -f build-package/quillmarch_*.deb
(cd build-package && cpack -G DEB >&2)
ls build-package/quillmarch_*.deb
