#!/bin/sh
# Creates the tests' Wine prefix on first use; later runs find it ready at once.
set -e
prefix="$1"
export WINEPREFIX="$prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
if [ ! -f "$prefix/system.reg" ]; then
  echo "creating Wine prefix $prefix"
  wineboot -i >/dev/null 2>&1
  wineserver -w
fi
echo "Wine prefix ready: $prefix"
