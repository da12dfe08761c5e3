#!/usr/bin/env bash
# Installs what the build and the tests need, on Debian 12, when it is missing.
# Runs as root (CI and the developers' machines are root); otherwise uses sudo.
#
# A package mirror may be in the middle of a sync: one index fails to load,
# or the security suite's amd64 libraries are newer than the i386 twins its
# index offers. So a failed `apt-get update` is only a warning, and a failed
# install is tried again after a fresh update, then with the security suite
# pinned below the main one. Exit status: 0 when everything is installed,
# 3 when everything but the 32-bit Wine is (Wine then runs the 64-bit build),
# 1 otherwise, after saying which packages are missing, why, and what to run.
set -euo pipefail

need=()
have() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q "install ok installed"; }

native=(cmake g++ make libgtest-dev libgmock-dev googletest libbenchmark-dev libgumbo-dev libssl-dev nlohmann-json3-dev pkg-config valgrind python3)
windows=(mingw-w64 mingw-w64-tools wine32:i386 wine64 fonts-wine xvfb x11-apps imagemagick wixl msitools)
fuzz=(clang libclang-rt-14-dev)
# The audit's SARIF checks and its report page in a real browser.
audit=(python3-jsonschema chromium chromium-driver python3-selenium)
# Its manual page, rendered and linted.
audit+=(groff-base man-db mandoc)
# make bench's peak memory of each run and its count of the pages each opens.
bench=(time strace)

for p in "${native[@]}" "${windows[@]}" "${fuzz[@]}" "${audit[@]}" "${bench[@]}"; do have "$p" || need+=("$p"); done
[ ${#need[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
echo "installing: ${need[*]}"
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  $sudo dpkg --add-architecture i386
fi
export DEBIAN_FRONTEND=noninteractive

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

update() {
  if ! $sudo apt-get update -qq >"$work/update.log" 2>&1; then
    grep '^E:' "$work/update.log" >&2 || true
    echo "warning: apt-get update failed in part; installing from the indexes there are" >&2
  fi
}

# The security suite below the main one, for one command; the machine's own
# preference parts still apply.
pins=$work/preferences.d
mkdir -p "$pins"
cp /etc/apt/preferences.d/* "$pins/" 2>/dev/null || true
printf 'Package: *\nPin: release l=Debian-Security\nPin-Priority: 100\n' >"$pins/zz-security-below-main.pref"

# install [--pinned] PACKAGES...: apt's output goes to install.log.
install() {
  local options=()
  if [ "$1" = --pinned ]; then
    options=(-o "Dir::Etc::PreferencesParts=$pins")
    shift
  fi
  $sudo apt-get install -y -qq --no-install-recommends "${options[@]}" "$@" >"$work/install.log" 2>&1
}

# Plain, after a fresh update, then pinned.
install_retrying() {
  install "$@" && return
  echo "warning: apt-get install failed; trying again after a fresh apt-get update" >&2
  update
  install "$@" && return
  echo "warning: apt-get install failed again; trying with the security suite pinned below the main suite" >&2
  install --pinned "$@"
}

update
install_retrying "${need[@]}" && exit 0
cp "$work/install.log" "$work/why.log"

missing=() wine32=() rest=()
for p in "${need[@]}"; do have "$p" || missing+=("$p"); done
[ ${#missing[@]} -eq 0 ] && exit 0
for p in "${missing[@]}"; do
  case $p in *:i386) wine32+=("$p") ;; *) rest+=("$p") ;; esac
done
# Without the 32-bit Wine everything else may still go in.
if [ ${#wine32[@]} -gt 0 ] && [ ${#rest[@]} -gt 0 ]; then
  echo "warning: trying without ${wine32[*]}" >&2
  if install "${rest[@]}" || install --pinned "${rest[@]}"; then
    missing=("${wine32[@]}") rest=()
  else
    cp "$work/install.log" "$work/why.log"
  fi
fi

level=error
[ ${#rest[@]} -gt 0 ] || level=warning
{
  echo "$level: could not install: ${missing[*]}"
  echo "apt-get said:"
  tail -n 12 "$work/why.log" | sed 's/^/  /'
  echo "try by hand: ${sudo:+$sudo }apt-get update && ${sudo:+$sudo }apt-get install --no-install-recommends ${missing[*]}"
} >&2
if [ ${#rest[@]} -eq 0 ]; then
  echo "Without the 32-bit Wine, make test and make demo run Wine on the 64-bit build, as on a kernel without 32-bit programs."
  exit 3
fi
exit 1
