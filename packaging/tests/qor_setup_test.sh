#!/bin/sh
# qor_setup_test.sh PREFIX: qor-setup of the installation under PREFIX, run for scratch users. Each
# case gets its own HOME and store; the registrations are checked in the store file itself and by
# the installed TillJobIt, which finds the ticket root through the registered control as the driver
# does. Exits non-zero when a case fails.
set -eu

PREFIX=$(cd "${1:?usage: qor_setup_test.sh PREFIX}" && pwd)
SETUP="$PREFIX/bin/qor-setup"
MODULES="$PREFIX/lib/qor"
SCRATCH=$(mktemp -d "${TMPDIR:-/tmp}/qor-setup-test.XXXXXX")
trap 'rm -rf "$SCRATCH"' EXIT
FAILURES=0
CASE=''

MONITOR_KEY='[HKEY_CLASSES_ROOT\CLSID\{733B543D-B49E-4292-BC5D-B86E254EA671}\InprocServer32]'
CONTROL_KEY='[HKEY_CLASSES_ROOT\CLSID\{CCB3B546-321D-414F-A132-FD5EAF450FD8}\InprocServer32]'

check() {
  if ! "$@"; then
    echo "FAIL [$CASE]: $*" >&2
    FAILURES=$((FAILURES + 1))
  fi
}

# A new user with nothing set up; HOME, the store and the output files are the case's own.
new_user() {
  CASE=$1
  HOME="$SCRATCH/$CASE/home"
  mkdir -p "$HOME"
  export HOME
  unset QOR_REGISTRY XDG_CONFIG_HOME XDG_DATA_HOME
  STORE="$HOME/.config/qor/registry"
  BASE="$HOME/.local/share/qor"
  OUT="$SCRATCH/$CASE/out"
  ERR="$SCRATCH/$CASE/err"
}

setup_status() {
  status=0
  "$SETUP" "$@" >"$OUT" 2>"$ERR" || status=$?
  echo "$status"
}

# The default value registered under a key, as the store file holds it.
stored_module() {
  KEY="$1" awk '$0 == ENVIRON["KEY"] { inside = 1; next } /^\[/ { inside = 0 } inside && /^@=/ { print substr($0, 3); exit }' \
    "$STORE" 2>/dev/null
}

# The emulator module in a base directory: a file of its own (the loader follows links, the emulator
# keeps its files beside the file it was loaded from) equal to the installed module.
is_module_copy() { [ -f "$1" ] && [ ! -L "$1" ] && cmp -s "$1" "$MODULES/libQorEmulator.so"; }
no_partial_copy() { ! ls "$1"/*.qor-setup.* >/dev/null 2>&1; }
same() { [ "$1" = "$2" ]; }
file_holds() { grep -qxF "$2" "$1"; }
empty_file() { [ ! -s "$1" ]; }
not_in_file() { ! grep -qF "$1" "$2"; }

# The installed TillJobIt resolves the ticket root through the store: a ticket for a register
# without a folder is refused with "nothing submitted" (2) and names the folder it looked for.
ticket_root_is() {
  printf '10\n' >"$SCRATCH/$CASE/status.txt"
  status=0
  "$PREFIX/bin/TillJobIt" --timeout 1 "9,$SCRATCH/$CASE/status.txt" >"$OUT" 2>&1 || status=$?
  [ "$status" = 2 ] && grep -qF "$1/9" "$OUT"
}

case_fresh_user() {
  new_user fresh
  check same "$(setup_status)" 0
  for file in QorDriver.ini QorEmulator.ini Qor.cfg EnglishMessages.txt GreekMessages.txt ItalianMessages.txt \
              samples/sale.txt samples/bad.txt; do
    check cmp -s "$PREFIX/share/qor/$file" "$BASE/$file"
  done
  check file_holds "$BASE/QorDriver.ini" "SingleClient=0"
  check is_module_copy "$BASE/libQorEmulator.so"
  check same "$(stored_module "$MONITOR_KEY")" "$MODULES/libQorMonitor.so"
  check same "$(stored_module "$CONTROL_KEY")" "$BASE/libQorEmulator.so"
  check ticket_root_is "$BASE/Tickets"
}

# A second run changes nothing: edited settings stay, the store is not rewritten, and only a file
# the user deleted comes back.
case_second_run() {
  new_user second
  "$SETUP" --quiet
  printf '[OCXManager]\nSingleClient=1\n' >"$BASE/QorDriver.ini"
  rm "$BASE/GreekMessages.txt"
  cp "$STORE" "$SCRATCH/second/store-before"
  check same "$(setup_status --quiet)" 0
  check empty_file "$OUT"
  check empty_file "$ERR"
  check file_holds "$BASE/QorDriver.ini" "SingleClient=1"
  check cmp -s "$PREFIX/share/qor/GreekMessages.txt" "$BASE/GreekMessages.txt"
  check cmp -s "$SCRATCH/second/store-before" "$STORE"
}

# What earlier installations left behind: registrations of module files that are gone, and in the
# base directory an emulator module of another version, a dangling link or a link to the installed
# module. Each is replaced by this installation's, with no partial copy left.
case_stale_installation() {
  new_user stale
  mkdir -p "$BASE" "$(dirname "$STORE")"
  printf '%s\n@=/nonexistent/qor/libQorMonitor.so\n%s\n@=/nonexistent/qor/libQorEmulator.so\n' \
    "$MONITOR_KEY" "$CONTROL_KEY" >"$STORE"
  for left in "older module" /nonexistent/qor/libQorEmulator.so "$MODULES/libQorEmulator.so"; do
    rm -f "$BASE/libQorEmulator.so"
    case "$left" in
      /*) ln -s "$left" "$BASE/libQorEmulator.so" ;;
      *) printf '%s\n' "$left" >"$BASE/libQorEmulator.so" ;;
    esac
    check same "$(setup_status)" 0
    check is_module_copy "$BASE/libQorEmulator.so"
    check no_partial_copy "$BASE"
  done
  check same "$(stored_module "$MONITOR_KEY")" "$MODULES/libQorMonitor.so"
  check same "$(stored_module "$CONTROL_KEY")" "$BASE/libQorEmulator.so"
}

# A fiscal control the user registered elsewhere (here a copy of the emulator in a folder of its
# own) stays registered, and so its folder stays the driver's base directory.
case_foreign_control_kept() {
  new_user foreign
  mkdir -p "$HOME/real-control"
  cp "$MODULES/libQorEmulator.so" "$HOME/real-control/"
  QOR_REGISTRY="$STORE" "$PREFIX/bin/qor-regsvr" "$HOME/real-control/libQorEmulator.so" >/dev/null
  check same "$(setup_status)" 0
  check same "$(stored_module "$CONTROL_KEY")" "$HOME/real-control/libQorEmulator.so"
  check grep -qF "kept the registration" "$OUT"
  check ticket_root_is "$HOME/real-control/Tickets"
}

# --base with a relative path, blanks and a trailing slash; the store named by QOR_REGISTRY.
case_chosen_base_and_store() {
  new_user chosen
  export QOR_REGISTRY="$SCRATCH/chosen/registry file"
  STORE=$QOR_REGISTRY
  status=0
  (cd "$HOME" && "$SETUP" --base "./my base/" >"$OUT" 2>"$ERR") || status=$?
  check same "$status" 0
  check is_module_copy "$HOME/my base/libQorEmulator.so"
  check same "$(stored_module "$CONTROL_KEY")" "$HOME/my base/libQorEmulator.so"
  check file_holds "$HOME/my base/QorDriver.ini" "SingleClient=0"
  check ticket_root_is "$HOME/my base/Tickets"
  # The second run recognises its own registration under the path as the store keeps it.
  (cd "$HOME" && "$SETUP" --base "./my base/" >"$OUT" 2>"$ERR")
  check not_in_file "kept" "$OUT"
  check [ ! -e "$HOME/.local/share/qor" ]
  check [ ! -e "$HOME/.config/qor/registry" ]
  unset QOR_REGISTRY
}

case_xdg_folders() {
  new_user xdg
  export XDG_DATA_HOME="$HOME/data" XDG_CONFIG_HOME="$HOME/config"
  STORE="$XDG_CONFIG_HOME/qor/registry"
  check same "$(setup_status --quiet)" 0
  check same "$(stored_module "$CONTROL_KEY")" "$XDG_DATA_HOME/qor/libQorEmulator.so"
  unset XDG_DATA_HOME XDG_CONFIG_HOME
}

# Wrong command lines change nothing.
case_wrong_command_line() {
  new_user usage
  for arguments in "--bogus" "--base" "extra"; do
    # shellcheck disable=SC2086
    check same "$(setup_status $arguments)" 2
    check grep -q "^usage: qor-setup" "$ERR"
  done
  check [ ! -e "$BASE" ]
  check [ ! -e "$STORE" ]
  check same "$(setup_status --help)" 0
  check grep -q "^usage: qor-setup" "$OUT"
}

# A copy of the installation that lost its monitor module is refused before anything is made.
case_incomplete_installation() {
  new_user incomplete
  cp -a "$PREFIX" "$SCRATCH/incomplete/prefix"
  rm "$SCRATCH/incomplete/prefix/lib/qor/libQorMonitor.so"
  status=0
  "$SCRATCH/incomplete/prefix/bin/qor-setup" >"$OUT" 2>"$ERR" || status=$?
  check same "$status" 1
  check grep -qF "libQorMonitor.so is missing" "$ERR"
  check [ ! -e "$BASE" ]
}

case_fresh_user
case_second_run
case_stale_installation
case_foreign_control_kept
case_chosen_base_and_store
case_xdg_folders
case_wrong_command_line
case_incomplete_installation

if [ "$FAILURES" -ne 0 ]; then
  echo "qor_setup_test: $FAILURES check(s) failed" >&2
  exit 1
fi
echo "qor_setup_test: all cases passed"
