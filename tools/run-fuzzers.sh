#!/usr/bin/env bash
# Builds the parser fuzzers with clang (preset "fuzz", build/fuzz) and runs each for a while.
#   tools/run-fuzzers.sh [SECONDS] [TARGET...]
# SECONDS per target (default 10); TARGET names such as "ticket" or "profile" (default: all).
# The seeds in fuzz/corpus/<target>/ are copied to build/fuzz/corpus/<target>/, where the corpus grows
# from run to run; the repository is never written. Exits non-zero when any target crashes or breaks
# an invariant, and says where the input that did it was saved.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds="${1:-10}"
shift || true
if ! [[ "$seconds" =~ ^[0-9]+$ ]]; then
  echo "usage: tools/run-fuzzers.sh [SECONDS] [TARGET...]" >&2
  exit 2
fi
if ! command -v clang++ >/dev/null 2>&1; then
  echo "run-fuzzers: clang++ is not installed, so the fuzzers are not built or run."
  exit 0
fi

targets=("$@")
if ((${#targets[@]} == 0)); then
  targets=(ticket profile inifile status register_list data_question)
fi

# Two runs at once (say, one per core) build one after the other, never both in build/fuzz together.
mkdir -p build
exec 9>build/fuzz.lock
flock 9
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz
flock -u 9

build="build/fuzz"
mkdir -p "$build/crashes" "$build/logs" "$build/tmp"
failed=0
for target in "${targets[@]}"; do
  program="$build/bin/${target}_fuzzer"
  if [ ! -x "$program" ]; then
    echo "run-fuzzers: no fuzzer named \"$target\" ($program)" >&2
    failed=1
    continue
  fi
  corpus="$build/corpus/$target"
  mkdir -p "$corpus"
  cp -n fuzz/corpus/"$target"/* "$corpus"/ 2>/dev/null || true
  log="$build/logs/$target.log"
  # The targets that go through files make their scratch folders below build/fuzz/tmp.
  if TMPDIR="$PWD/$build/tmp" "$program" -max_total_time="$seconds" -timeout=25 -print_final_stats=1 \
      -artifact_prefix="$build/crashes/$target-" "$corpus" >"$log" 2>&1; then
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)
    echo "run-fuzzers: $target: ${runs:-?} inputs in ${seconds}s, no crash"
  else
    failed=1
    echo "run-fuzzers: $target: CRASH (log $log)" >&2
    grep -E "invariant broken|detail:|ERROR:|SUMMARY:|runtime error" "$log" | head -n 8 >&2 || true
    grep -E "Test unit written to" "$log" | sed 's/^/run-fuzzers: /' >&2 || true
  fi
done
exit "$failed"
