#!/usr/bin/env bash
# Installs what is missing on Debian 12, builds, and runs every test. Exits non-zero on any failure.
#   ./test.sh            the default build
#   QOR_PRESET=asan ./test.sh   the same under AddressSanitizer and UndefinedBehaviorSanitizer
set -euo pipefail
cd "$(dirname "$0")"
source tools/install-deps.sh
preset="${QOR_PRESET:-default}"
cmake --preset "$preset"
cmake --build --preset "$preset"
ctest --preset "$preset"
# The parser fuzzers, a few seconds each, when clang is there to build them.
if command -v clang++ >/dev/null 2>&1; then
  tools/run-fuzzers.sh 3
fi
