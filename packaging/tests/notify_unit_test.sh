#!/bin/sh
# notify_unit_test.sh CMAKE UNIT_IN WORKDIR: the user unit, configured into a fresh prefix below WORKDIR
# with stand-ins for its programs, waits for the driver's READY=1, watches it, and passes systemd's own
# checks. Exit 77 (skipped) where systemd-analyze is not installed.
set -eu
CMAKE=${1:?usage: notify_unit_test.sh CMAKE UNIT_IN WORKDIR}
UNIT_IN=${2:?usage: notify_unit_test.sh CMAKE UNIT_IN WORKDIR}
WORKDIR=${3:?usage: notify_unit_test.sh CMAKE UNIT_IN WORKDIR}
if ! command -v systemd-analyze >/dev/null 2>&1; then
  echo "skipped: systemd-analyze is not installed (Debian's systemd package)"
  exit 77
fi
rm -rf "$WORKDIR"
PREFIX="$WORKDIR/prefix with space"
mkdir -p "$PREFIX/bin"
# verify checks that the programs the unit starts exist and are executable.
for program in qor-setup QorDriver; do
  printf '#!/bin/sh\nexit 0\n' >"$PREFIX/bin/$program"
  chmod +x "$PREFIX/bin/$program"
done
"$CMAKE" -DUNIT_IN="$UNIT_IN" -DPREFIX="$PREFIX" -P "$(dirname "$0")/configure_unit.cmake"
UNIT="$PREFIX/lib/systemd/user/qor-driver.service"
status=0
for line in "Type=notify" "NotifyAccess=main" "WatchdogSec=30" "ExecStart=\"$PREFIX/bin/QorDriver\" --headless" \
            "Restart=on-failure"; do
  grep -qxF "$line" "$UNIT" || { echo "FAIL: $UNIT lacks the line: $line" >&2; status=1; }
done
# A value systemd cannot parse is only a warning naming the unit's line; here it fails the test. Where
# no user manager can be reached, the system manager's checks of the same keys.
if ! systemd-analyze verify --user "$UNIT" >"$WORKDIR/verify" 2>&1; then
  systemd-analyze verify "$UNIT" >"$WORKDIR/verify" 2>&1 || { echo "FAIL: systemd-analyze verify $UNIT" >&2; status=1; }
fi
cat "$WORKDIR/verify"
if grep -qF "$UNIT:" "$WORKDIR/verify"; then
  echo "FAIL: systemd-analyze warns about $UNIT" >&2
  status=1
fi
exit "$status"
