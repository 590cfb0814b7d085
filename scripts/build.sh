#!/usr/bin/env bash
# Configures and builds one build folder: build.sh DIR [extra cmake arguments...]
# Prints the compiler's output only when the build fails.
set -euo pipefail
dir=$1
shift
jobs=$(nproc 2>/dev/null || echo 2)
mkdir -p "$dir"
log="$dir/build.log"
if [ ! -f "$dir/CMakeCache.txt" ]; then
    if ! cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >"$log" 2>&1; then
        cat "$log"
        exit 1
    fi
fi
if ! cmake --build "$dir" --parallel "$jobs" >"$log" 2>&1; then
    cat "$log"
    exit 1
fi
