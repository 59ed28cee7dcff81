#!/bin/sh
# wineprefix.sh PREFIX ARCH: creates a Wine prefix for programs of ARCH (i686 or x86_64) on
# first use and makes it look like a Windows desktop: a virtual desktop of 1024x768, Wine's
# own fonts and a stand-in for Verdana. Later runs find it ready at once. Used by the tests,
# scripts/run and scripts/bench; every Wine call goes through the project's launcher.
set -e
prefix="$1"
arch="${2:?wineprefix.sh: PREFIX ARCH}"
here="$(cd "$(dirname "$0")" && pwd)"
winerun="$here/../../tools/wine/winerun"
export WINEPREFIX="$prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" NIMBELLE_WINE_ARCH="$arch"
if [ ! -f "$prefix/system.reg" ]; then
  echo "creating Wine prefix $prefix ($arch)"
  "$winerun" wineboot -i >/dev/null 2>&1
  "$winerun" --server -w
fi
marker="$prefix/nimbelle-desktop.reg"
if ! cmp -s "$here/desktop.reg" "$marker"; then
  # This Wine looks for its own fonts (Tahoma for dialogs, Marlett for the caption
  # buttons) below a data folder path it cannot open, so they go where Windows keeps fonts.
  for font in /usr/share/wine/fonts/*.ttf; do
    [ -e "$font" ] && ln -sf "$font" "$prefix/drive_c/windows/Fonts/"
  done
  "$winerun" regedit /S "Z:$(printf '%s' "$here/desktop.reg" | tr / '\\')"
  "$winerun" --server -w
  cp "$here/desktop.reg" "$marker"
fi
echo "Wine prefix ready: $prefix ($arch)"
