#!/usr/bin/env bash
# Installs what is missing, builds into build/ and starts Vantoro.
set -euo pipefail
cd "$(dirname "$0")"
scripts/install-deps.sh
scripts/build.sh build
exec build/src/vantoro
