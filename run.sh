#!/usr/bin/env bash
# Installs what is missing on Debian 12, builds, and starts the driver on the register emulator in a
# ready-to-use base directory (./run/, or QOR_RUN_DIR). Arguments are passed to QorDriver
# (for example --headless). Ctrl+C or SIGTERM closes the driver cleanly.
set -euo pipefail
cd "$(dirname "$0")"
source tools/install-deps.sh
cmake --preset default >/dev/null
cmake --build --preset default --target QorDriver QorMonitor QorEmulator qor-regsvr TillJobIt TillDemo qor-ticket

root="$PWD"
bin="$root/build/default/bin"
base="${QOR_RUN_DIR:-$root/run}"
mkdir -p "$base"
# The base directory holds the settings and the catalogues, laid out as an installation's template
# (packaging/base): QorDriver.ini, QorEmulator.ini (registers 1 to 4 of types 1, 2, 0, 3) and Qor.cfg,
# where the folders chosen in the About dialog are kept. The catalogues are refreshed, the settings
# kept once written.
cp "$bin"/*Messages.txt "$base"/
for settings in QorDriver.ini QorEmulator.ini Qor.cfg; do
  [ -f "$base/$settings" ] || cp "packaging/base/$settings" "$base/$settings"
done
# A store of its own, so a trial run never changes the machine's registrations.
export QOR_REGISTRY="${QOR_REGISTRY:-$base/registry}"
# The folder monitor and the fiscal control are modules found through the store. The emulator module
# is registered from a copy inside the base directory: the control's folder is the driver's base
# directory, so the driver, TillJobIt and TillDemo all find the settings and ticket folders there.
"$bin/qor-regsvr" "$bin/libQorMonitor.so" >/dev/null
cp "$bin/libQorEmulator.so" "$base/libQorEmulator.so"
"$bin/qor-regsvr" "$base/libQorEmulator.so" >/dev/null
[ -f "$bin/brand.ico" ] && cp "$bin/brand.ico" "$base/"
log="$base/QorDriver.log"

cat <<INFO
QorDriver on the register emulator
  base directory   $base   (QorDriver.ini, Qor.cfg, QorEmulator.ini, catalogues)
  ticket folders   $base/Tickets/<register>/   (registers of QorEmulator.ini [Registers])
  journals         $base/Journal/ECR<register>.txt
  log              $log
  store            $QOR_REGISTRY
Send the sample sale to register 1 and see its reply (in another terminal):
  '$bin/TillJobIt' --base '$base' '1,$root/resources/samples/sale.txt'
INFO
cd "$base"
exec "$bin/QorDriver" "$@" 2> >(tee -i -a "$log" >&2)
