#!/usr/bin/env bash
# Installs what is missing on Debian 12, builds, and runs every test. Exits non-zero on any failure.
#   ./test.sh                      what CI runs: every test under AddressSanitizer and
#                                  UndefinedBehaviorSanitizer, the threaded core and the end-to-end
#                                  tests under ThreadSanitizer, then the parser fuzzers a few seconds each
#   QOR_PRESET=default ./test.sh   the optimised build and every test in it: the quick local run
#   QOR_PRESET=asan ./test.sh      one pass only (default, asan, tsan)
set -euo pipefail
cd "$(dirname "$0")"
source tools/install-deps.sh

run_suite() {
  local started=$SECONDS
  cmake --preset "$1"
  cmake --build --preset "$1"
  ctest --preset "$1"
  echo "test.sh: the $1 pass took $((SECONDS - started)) s"
}

if [ -n "${QOR_PRESET:-}" ]; then
  run_suite "$QOR_PRESET"
  exit 0
fi
# The sanitizer builds run the same assertions as the optimised build and also fail on a memory
# fault, undefined behaviour or a data race, which an optimised run can pass unnoticed. Two of them
# and the optimised build would not fit the CI's time on two cores.
run_suite asan
run_suite tsan
# The parser fuzzers, a few seconds each, when clang is there to build them.
if command -v clang++ >/dev/null 2>&1; then
  tools/run-fuzzers.sh 3
fi
