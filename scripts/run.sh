#!/usr/bin/env bash
# Installs what is missing, builds, and starts Quillmarch with the arguments given (e.g. UDP5000).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
scripts/build.sh
exec build/quillmarch "$@"
