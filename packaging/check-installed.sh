#!/bin/sh
# check-installed.sh PREFIX: proves that an installed driver works for a new user. With a scratch
# HOME it asks PREFIX/bin/QorDriver for its version and usage, runs PREFIX/bin/qor-setup, starts
# PREFIX/bin/QorDriver --headless, submits the sample sale to register 1 with TillJobIt and expects
# the reply "0" beside the ticket, the emulator's journal in the user's base directory, and a clean
# exit on SIGTERM. Exits non-zero on the first failure.
set -eu

PREFIX=$(cd "${1:?usage: check-installed.sh PREFIX}" && pwd)
BIN="$PREFIX/bin"
SCRATCH=$(mktemp -d "${TMPDIR:-/tmp}/qor-check.XXXXXX")
DRIVER_PID=''

cleanup() {
  if [ -n "$DRIVER_PID" ] && kill -0 "$DRIVER_PID" 2>/dev/null; then
    kill -TERM "$DRIVER_PID" 2>/dev/null || true
    wait "$DRIVER_PID" 2>/dev/null || true
  fi
  rm -rf "$SCRATCH"
}
trap cleanup EXIT INT TERM

fail() {
  echo "check-installed: FAILED: $*" >&2
  if [ -f "$SCRATCH/driver.log" ]; then
    echo "--- driver log (last lines) ---" >&2
    tail -n 40 "$SCRATCH/driver.log" >&2
  fi
  exit 1
}

# Waits up to $1 tenths of a second for the shell test in the remaining arguments.
wait_for() {
  limit=$1
  shift
  while ! "$@"; do
    limit=$((limit - 1))
    [ "$limit" -gt 0 ] || return 1
    sleep 0.1
  done
}

# A new user: nothing of the caller's store, settings or display.
export HOME="$SCRATCH/home"
mkdir -p "$HOME"
unset QOR_REGISTRY XDG_CONFIG_HOME XDG_DATA_HOME DISPLAY WAYLAND_DISPLAY
export XDG_RUNTIME_DIR="$SCRATCH/run"
mkdir -m 700 "$XDG_RUNTIME_DIR"
BASE="$HOME/.local/share/qor"

# --version and --help answer before anything of the driver starts: nothing appears in the current
# folder or the store. A driver that started instead is ended after 20 seconds.
mkdir "$SCRATCH/quiet"
version=$(cd "$SCRATCH/quiet" && timeout 20 "$BIN/QorDriver" --version) || fail "QorDriver --version exited with $?"
echo "$version" | grep -qx 'QorDriver [0-9][0-9]*\.[0-9][0-9]*\.[0-9][0-9]*' || fail "QorDriver --version printed: $version"
(cd "$SCRATCH/quiet" && timeout 20 "$BIN/QorDriver" --help) | grep -q '^usage: QorDriver' || fail "QorDriver --help gave no usage"
[ -z "$(ls -A "$SCRATCH/quiet")" ] || fail "QorDriver --version/--help left files: $(ls -A "$SCRATCH/quiet")"
[ ! -e "$HOME/.config" ] || fail "QorDriver --version/--help wrote to the store"

"$BIN/qor-setup" || fail "qor-setup exited with $?"
[ -f "$BASE/libQorEmulator.so" ] || fail "qor-setup did not put the emulator module into $BASE"
"$BIN/qor-setup" --quiet >"$SCRATCH/second-setup.out" || fail "a second qor-setup failed"
[ ! -s "$SCRATCH/second-setup.out" ] || fail "qor-setup --quiet printed: $(cat "$SCRATCH/second-setup.out")"

(cd "$SCRATCH" && exec "$BIN/QorDriver" --headless) >"$SCRATCH/driver.log" 2>&1 &
DRIVER_PID=$!
# The driver lays out one ticket folder per register of the emulator; a ticket dropped there before
# the folder monitor starts is still found, as the monitor reports every folder at its start.
wait_for 300 test -d "$BASE/Tickets/1" || fail "the driver made no ticket folder in $BASE/Tickets"

status=0
"$BIN/TillJobIt" --keep --timeout 60 "1,$BASE/samples/sale.txt" >"$SCRATCH/tilljobit.out" 2>&1 || status=$?
reply=$(ls "$BASE/Tickets/1/"*.rep 2>/dev/null | head -n 1)
[ -n "$reply" ] || fail "no reply file in $BASE/Tickets/1 (TillJobIt exit $status: $(cat "$SCRATCH/tilljobit.out"))"
[ "$(tail -n 1 "$reply" | tr -d '\r')" = 0 ] || fail "reply $reply holds: $(cat "$reply")"
[ "$status" = 0 ] || fail "TillJobIt exited with $status: $(cat "$SCRATCH/tilljobit.out")"
# The emulator keeps its journal in the base directory, beside its registered module path.
[ -s "$BASE/Journal/ECR1.txt" ] || fail "no journal of register 1 in $BASE/Journal"

kill -TERM "$DRIVER_PID"
status=0
wait "$DRIVER_PID" || status=$?
DRIVER_PID=''
[ "$status" = 0 ] || fail "the driver exited with $status after SIGTERM"
echo "check-installed: the installed driver answered the sample sale with 0 ($reply)"
