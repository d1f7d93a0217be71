#!/usr/bin/env bash
# Installs what is missing on Debian 12, builds, and runs every test. Exits non-zero on any failure.
#   ./test.sh                    the default build, then the same suite under AddressSanitizer and
#                                UndefinedBehaviorSanitizer, then the parser fuzzers for a few seconds
#   QOR_SANITIZERS=0 ./test.sh   the default build only (and the fuzzers): the quick local run
#   QOR_PRESET=asan ./test.sh    one chosen preset only (asan, tsan)
set -euo pipefail
cd "$(dirname "$0")"
source tools/install-deps.sh

run_suite() {
  cmake --preset "$1"
  cmake --build --preset "$1"
  ctest --preset "$1"
}

preset="${QOR_PRESET:-default}"
run_suite "$preset"
# Memory and undefined-behaviour faults can pass unnoticed in an optimised build; the sanitizer build
# makes them fail the run. It takes about as long again as the default build.
if [ "$preset" = default ] && [ "${QOR_SANITIZERS:-1}" != 0 ]; then
  run_suite asan
fi
# The parser fuzzers, a few seconds each, when clang is there to build them.
if command -v clang++ >/dev/null 2>&1; then
  tools/run-fuzzers.sh 3
fi
