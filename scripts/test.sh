#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test through CTest.
set -euo pipefail
cd "$(dirname "$0")/.."
# iproute2: the end-to-end UDP test runs in a private network namespace. The X server, window manager and xdotool:
# the operator scenarios drive the real program as a person would (they are skipped where these are missing).
# dbus-daemon: the service and the windows meet on a session bus the tests make.
scripts/deps.sh iproute2 xvfb xauth xdotool openbox dbus-daemon
scripts/build.sh
ctest --test-dir build --output-on-failure -j2
