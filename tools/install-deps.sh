# Sourced by run.sh and test.sh: installs the Debian 12 packages the build needs, when any is missing.
qor_packages=(build-essential cmake ninja-build qt6-base-dev libgtest-dev libgmock-dev libbenchmark-dev)
# Qt's own texts (standard buttons, the folder chooser) in the driver's languages, where Qt has them.
qor_packages+=(qt6-translations-l10n)
# An X server without a screen: the desktop pictures are made and checked on it (tools/screenshots).
qor_packages+=(xvfb xauth)
# clang and its fuzzer runtime build the parser fuzzers (tools/run-fuzzers.sh).
qor_packages+=(clang libclang-rt-14-dev)
# The reference parser of the metrics file's format (a test runs it with /usr/bin/python3), and
# systemd-analyze, which checks the user unit (minimal images come without systemd).
qor_packages+=(python3-prometheus-client systemd)
qor_missing=()
for qor_package in "${qor_packages[@]}"; do
  dpkg-query -W -f='${Status}' "$qor_package" 2>/dev/null | grep -q "ok installed" || qor_missing+=("$qor_package")
done
if ((${#qor_missing[@]})); then
  echo "Installing: ${qor_missing[*]}"
  qor_sudo=()
  [ "$(id -u)" -ne 0 ] && qor_sudo=(sudo)
  "${qor_sudo[@]}" apt-get update -q
  DEBIAN_FRONTEND=noninteractive "${qor_sudo[@]}" apt-get install -y -q --no-install-recommends "${qor_missing[@]}"
fi
