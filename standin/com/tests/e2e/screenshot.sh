#!/usr/bin/env bash
# Takes a picture of the area dialog on the tests' virtual screen and checks
# that it is not blank: the driver opens the dialog and holds it, the screen
# is saved as a PNG, then the driver closes everything.
#   screenshot.sh WINE_RUN DRIVER BUILD_DIR OUTPUT.png
set -euo pipefail
wine_run=$1 driver=$2 build=$3 png=$4
ready=$(mktemp -u "$build/e2e-shot-ready.XXXX")
done_file=$(mktemp -u "$build/e2e-shot-done.XXXX")
rm -f "$png"

"$wine_run" "$driver" --hold-dialog "$ready" "$done_file" &
driver_pid=$!
for _ in $(seq 600); do
  [ -f "$ready" ] && break
  kill -0 $driver_pid 2>/dev/null || break
  sleep 0.1
done
status=0
if [ -f "$ready" ]; then
  read -r display _ <"$build/xvfb-display"
  DISPLAY=$display import -window root "$png" || status=$?
else
  echo "the dialog did not open"
  status=1
fi
touch "$done_file"
wait $driver_pid || status=$?
rm -f "$ready" "$done_file"
[ $status -eq 0 ] || exit $status

# A blank screen has one colour; the dialog, the host and their text give many.
colours=$(convert "$png" -format '%k' info:)
deviation=$(convert "$png" -format '%[fx:standard_deviation]' info:)
echo "screenshot of the dialog: $png ($colours colours, deviation $deviation)"
[ "$colours" -gt 8 ] && awk -v d="$deviation" 'BEGIN { exit !(d > 0.02) }'
