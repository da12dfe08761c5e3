#!/usr/bin/env bash
# Installs what the build and the tests need, on Debian 12, when it is missing.
# Runs as root (CI and the developers' machines are root); otherwise uses sudo.
set -euo pipefail

need=()
have() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q "install ok installed"; }

native=(cmake g++ make libgtest-dev libgmock-dev googletest libbenchmark-dev libgumbo-dev pkg-config valgrind python3)
windows=(mingw-w64 mingw-w64-tools wine32:i386 wine64 fonts-wine xvfb x11-apps imagemagick wixl msitools)
fuzz=(clang libclang-rt-14-dev)
# The audit's SARIF checks and its report page in a real browser.
audit=(python3-jsonschema chromium chromium-driver python3-selenium)
# Its manual page, rendered and linted.
audit+=(groff-base man-db mandoc)

for p in "${native[@]}" "${windows[@]}" "${fuzz[@]}" "${audit[@]}"; do have "$p" || need+=("$p"); done
[ ${#need[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
echo "installing: ${need[*]}"
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  $sudo dpkg --add-architecture i386
fi
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${need[@]}" >/dev/null
