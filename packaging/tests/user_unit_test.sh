#!/bin/sh
# user_unit_test.sh PREFIX: the systemd user unit installed under PREFIX starts the programs
# installed beside it, and systemd accepts it (its verify checks every key and that the programs
# named exist and are executable).
set -eu
PREFIX=$(cd "${1:?usage: user_unit_test.sh PREFIX}" && pwd)
UNIT="$PREFIX/lib/systemd/user/qor-driver.service"
status=0
for line in "ExecStartPre=\"$PREFIX/bin/qor-setup\" --quiet" "ExecStart=\"$PREFIX/bin/QorDriver\" --headless" \
            "Restart=on-failure" "WantedBy=default.target"; do
  grep -qxF "$line" "$UNIT" || { echo "FAIL: $UNIT lacks the line: $line" >&2; status=1; }
done
systemd-analyze verify "$UNIT" || { echo "FAIL: systemd-analyze verify $UNIT" >&2; status=1; }
exit "$status"
