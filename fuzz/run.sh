#!/usr/bin/env bash
# Builds the fuzz target with clang, AddressSanitizer and UndefinedBehaviorSanitizer into
# build-fuzz/, seeds it from the regression corpus, and fuzzes for the given seconds (default
# 600). New crashing inputs land in build-fuzz/crashes/; keep each one in tests/corpus/.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-600}
scripts/install-deps.sh
if ! command -v clang++ >/dev/null || ! dpkg-query -W -f='${Status}' libclang-rt-14-dev 2>/dev/null | grep -q "ok installed"; then
    sudo_cmd=()
    [ "$(id -u)" -ne 0 ] && sudo_cmd=(sudo)
    DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq clang libclang-rt-14-dev >/dev/null
fi
if [ ! -f build-fuzz/CMakeCache.txt ]; then
    CC=clang CXX=clang++ cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVANTORO_FUZZ=ON \
        -DCMAKE_CXX_FLAGS=-fsanitize=fuzzer-no-link >/dev/null
fi
cmake --build build-fuzz --parallel "$(nproc)" >/dev/null
mkdir -p build-fuzz/work build-fuzz/crashes
build-fuzz/fuzz/jpeg-fuzzer build-fuzz/work tests/corpus -max_total_time="$seconds" -max_len=65536 \
    -rss_limit_mb=2048 -timeout=10 -artifact_prefix=build-fuzz/crashes/ -print_final_stats=1
