#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test through CTest.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh iproute2 # the end-to-end UDP test runs in a private network namespace
scripts/build.sh
ctest --test-dir build --output-on-failure -j2
