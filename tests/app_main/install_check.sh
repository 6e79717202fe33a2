#!/usr/bin/env bash
# Installs the build into a scratch prefix and checks that the program finds its manual where it
# looks for it (share/VelmoraJPEG2000B beside its own folder) and that the desktop entry and the
# icon land where desktops look for them.
set -u
build=$1
prefix=$2
rm -rf "$prefix"
cmake --install "$build" --prefix "$prefix" >/dev/null || { echo "install failed"; exit 1; }
failed=0
for file in bin/VelmoraJPEG2000B share/VelmoraJPEG2000B/Help.html \
            share/applications/velmora-jpeg2000b.desktop \
            share/icons/hicolor/scalable/apps/velmora-jpeg2000b.svg; do
  [ -s "$prefix/$file" ] || { echo "missing $file"; failed=1; }
done
desktop-file-validate "$prefix/share/applications/velmora-jpeg2000b.desktop" || failed=1
exec_name=$(sed -n 's/^Exec=\([^ ]*\).*/\1/p' "$prefix/share/applications/velmora-jpeg2000b.desktop")
[ -x "$prefix/bin/$exec_name" ] || { echo "Exec=$exec_name is not the installed program"; failed=1; }
[ "$failed" -eq 0 ] && echo "1 passed, 0 failed"
exit "$failed"
