#!/usr/bin/env bash
# Installs the build into a scratch prefix and checks the layout a desktop
# needs: the editor beside its icon, the launcher link, the batch tool, a
# valid desktop entry, the theme icon and the manual page.
set -euo pipefail
build=$1
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
cmake --install "$build" --prefix "$prefix" >/dev/null

fail=0
need() { [ -e "$prefix/$1" ] || { echo "missing: $1"; fail=1; }; }
need lib/pixpad/pixpad
need lib/pixpad/point04.ico
need bin/pixpad-batch
need share/applications/pixpad.desktop
need share/icons/hicolor/scalable/apps/pixpad.svg
need share/man/man1/pixpad-batch.1
if [ -L "$prefix/bin/pixpad" ]; then
  [ "$(readlink -f "$prefix/bin/pixpad")" = "$(readlink -f "$prefix/lib/pixpad/pixpad")" ] ||
    { echo "bin/pixpad does not lead to lib/pixpad/pixpad"; fail=1; }
else
  echo "bin/pixpad is not a link"; fail=1
fi
grep -qx 'Exec=pixpad %f' "$prefix/share/applications/pixpad.desktop" || { echo "desktop entry: wrong Exec"; fail=1; }
if command -v desktop-file-validate >/dev/null; then
  desktop-file-validate "$prefix/share/applications/pixpad.desktop" || fail=1
fi
"$prefix/bin/pixpad-batch" --help >/dev/null || { echo "installed pixpad-batch --help failed"; fail=1; }
[ $fail -eq 0 ] && echo "install layout ok"
exit $fail
