#!/usr/bin/env bash
# Installs what the build and the tests need, on Debian 12, when it is missing.
# Runs as root (CI and the developers' machines are root); otherwise uses sudo.
#
#   tools/install-deps.sh [--print] [tool|deb|tests|windows|all]...
#
# What for: tool, the optimised mapnote-audit alone (make release, make
# install); deb, its Debian package (make deb); tests, the native suite, its
# fuzz replays and the benchmarks; windows, the cross-build and Wine; all
# (the default) all of them. --print lists the packages asked for, one a
# line, and installs nothing.
#
# A package mirror may be in the middle of a sync: one index fails to load,
# or the security suite's amd64 libraries are newer than the i386 twins its
# index offers. So a failed `apt-get update` is only a warning, and a failed
# install is tried again after a fresh update, then with the security suite
# pinned below the main one. Exit status: 0 when everything is installed,
# 3 when everything but the 32-bit Wine is (Wine then runs the 64-bit build),
# 1 otherwise, after saying which packages are missing, why, and what to run;
# 2 for an unknown purpose.
set -euo pipefail

need=()
have() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q "install ok installed"; }

# mapnote-audit: a compiler, CMake, and the libraries it links.
tool=(cmake g++ make libssl-dev nlohmann-json3-dev)
# CPack's DEB generator takes the package's dependencies from dpkg-shlibdeps,
# which it only runs where file(1) is.
deb=(dpkg-dev file)
tests=(libgtest-dev libgmock-dev googletest libbenchmark-dev libgumbo-dev pkg-config valgrind python3)
# The fuzz targets, built with clang.
tests+=(clang libclang-rt-14-dev)
# The audit's SARIF checks and its report page in a real browser.
tests+=(python3-jsonschema chromium chromium-driver python3-selenium)
# Its manual page, rendered and linted, and its Debian package read back.
tests+=(groff-base man-db mandoc "${deb[@]}")
# make bench's peak memory of each run and its count of the pages each opens.
tests+=(time strace)
windows=(mingw-w64 mingw-w64-tools wine32:i386 wine64 fonts-wine xvfb x11-apps imagemagick wixl msitools)

print=false
purposes=()
for arg; do
  case $arg in
    --print) print=true ;;
    tool | deb | tests | windows | all) purposes+=("$arg") ;;
    *) echo "usage: $0 [--print] [tool|deb|tests|windows|all]..." >&2; exit 2 ;;
  esac
done
[ ${#purposes[@]} -gt 0 ] || purposes=(all)
wanted=()
for purpose in "${purposes[@]}"; do
  case $purpose in
    tool) wanted+=("${tool[@]}") ;;
    deb) wanted+=("${tool[@]}" "${deb[@]}") ;;
    tests) wanted+=("${tool[@]}" "${tests[@]}") ;;
    windows) wanted+=("${windows[@]}") ;;
    all) wanted+=("${tool[@]}" "${tests[@]}" "${windows[@]}") ;;
  esac
done
# Each once, in the order first asked for.
declare -A seen=()
packages=()
for p in "${wanted[@]}"; do
  [ -n "${seen[$p]:-}" ] || packages+=("$p")
  seen[$p]=1
done
if $print; then
  printf '%s\n' "${packages[@]}"
  exit 0
fi

for p in "${packages[@]}"; do have "$p" || need+=("$p"); done
[ ${#need[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
echo "installing: ${need[*]}"
# The 32-bit Wine only, so asking for the tool alone leaves dpkg's
# architectures as they are.
if [[ " ${need[*]} " == *":i386 "* ]] && ! dpkg --print-foreign-architectures | grep -qx i386; then
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
