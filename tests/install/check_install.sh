#!/usr/bin/env bash
# The installed layout: cmake --install of the build tree into a temporary prefix, the
# desktop files validated, and the installed program finding its resources there (a first
# start opens the installed demo lesson).
# Usage: check_install.sh BUILD_DIR
set -euo pipefail
build=$1
prefix=$(mktemp -d)
home=$(mktemp -d)
trap 'rm -rf "$prefix" "$home"' EXIT
cmake --install "$build" --prefix "$prefix" >/dev/null
for f in bin/kestrova bin/kestrova-cli bin/kestrova-pack share/kestrova/sc.dat \
         share/applications/kestrova.desktop share/icons/hicolor/scalable/apps/kestrova.svg \
         share/metainfo/io.kestrova.Kestrova.metainfo.xml share/mime/packages/kestrova.xml; do
  [ -e "$prefix/$f" ] || { echo "missing: $f"; exit 1; }
done
desktop-file-validate "$prefix/share/applications/kestrova.desktop"
appstreamcli validate --no-net "$prefix/share/metainfo/io.kestrova.Kestrova.metainfo.xml" >/dev/null
if [ -e "$prefix/share/kestrova/demo/demo-lesson.ogg" ]; then
  KESTROVA_HOME=$home QT_QPA_PLATFORM=offscreen KESTROVA_AUDIO=null KESTROVA_QUIT_AFTER_START=1 \
    "$prefix/bin/kestrova" >/dev/null 2>&1
  grep -q "share/kestrova/demo/demo-lesson.ogg" "$home/Kestrova.m3u" ||
    { echo "the installed program did not find its demo lesson"; exit 1; }
fi
echo "install layout ok"
