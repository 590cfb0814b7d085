#!/usr/bin/env bash
# Installs what is missing, builds, and runs the whole test suite twice:
# in the normal build (build/) and under AddressSanitizer + UndefinedBehaviorSanitizer (build-asan/).
set -euo pipefail
cd "$(dirname "$0")"
scripts/install-deps.sh
jobs=$(nproc 2>/dev/null || echo 2)

scripts/build.sh build
(cd build && ctest --output-on-failure --parallel "$jobs")

scripts/build.sh build-asan -DVANTORO_SANITIZE=ON
# The code under test checks every allocation it asks for, so huge requests fail softly.
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:strict_string_checks=1:allocator_may_return_null=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export LSAN_OPTIONS=suppressions=$PWD/tests/lsan.supp:print_suppressions=0
(cd build-asan && ctest --output-on-failure --parallel "$jobs")
