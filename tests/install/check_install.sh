#!/usr/bin/env bash
# The installed layout: cmake --install of the build tree into a temporary prefix, the
# desktop files validated, the installed program finding its resources there and keeping
# its own files in the per-user data folder (a first start opens the installed demo lesson),
# and the Debian package of the tree with its dependencies.
# Usage: check_install.sh BUILD_DIR
set -euo pipefail
build=$1
prefix=$(mktemp -d)
home=$(mktemp -d)
packages=$(mktemp -d)
trap 'rm -rf "$prefix" "$home" "$packages"' EXIT
cmake --install "$build" --prefix "$prefix" >/dev/null
for f in bin/kestrova bin/kestrova-cli bin/kestrova-pack share/kestrova/sc.dat share/kestrova/help/index.html \
         share/applications/kestrova.desktop share/icons/hicolor/scalable/apps/kestrova.svg \
         share/metainfo/io.kestrova.Kestrova.metainfo.xml share/mime/packages/kestrova.xml; do
  [ -e "$prefix/$f" ] || { echo "missing: $f"; exit 1; }
done
desktop-file-validate "$prefix/share/applications/kestrova.desktop"
appstreamcli validate --no-net "$prefix/share/metainfo/io.kestrova.Kestrova.metainfo.xml" >/dev/null
if [ -e "$prefix/share/kestrova/demo/demo-lesson.ogg" ]; then
  # The prefix is writable here, as /usr is for root: the program still keeps out of it.
  touch "$packages/started"
  env -u KESTROVA_HOME -u XDG_DATA_HOME HOME="$home" QT_QPA_PLATFORM=offscreen KESTROVA_AUDIO=null \
    KESTROVA_QUIT_AFTER_START=1 "$prefix/bin/kestrova" >/dev/null 2>&1
  playlist=$(tr -d '\r' <"$home/.local/share/Kestrova/Kestrova.m3u" || true)
  grep -qx "$(realpath "$prefix")/share/kestrova/demo/demo-lesson.ogg" <<<"$playlist" ||
    { echo "the installed program did not find its demo lesson"; exit 1; }
  written=$(find "$prefix" -newer "$packages/started" -type f)
  [ -z "$written" ] || { echo "the installed program wrote into its prefix: $written"; exit 1; }
fi
# The package: what it installs and what it asks for.
(cd "$build" && cpack -G DEB -B "$packages" >"$packages/cpack.log" 2>&1) ||
  { cat "$packages/cpack.log"; exit 1; }
deb=$(ls "$packages"/kestrova_*.deb)
depends=$(dpkg-deb -f "$deb" Depends)
for d in libqt6widgets6 libqt6dbus6 libsdl2 libavcodec libsoundtouch libarchive13 qt6-qpa-plugins \
         fonts-wqy-microhei libqt6multimedia6 libqt6svg6 gstreamer1.0-plugins-good; do
  grep -q "$d" <<<"$depends" || { echo "the package does not depend on $d: $depends"; exit 1; }
done
contents=$(dpkg-deb -c "$deb")
grep -q "./usr/bin/kestrova$" <<<"$contents" || { echo "the package has no program"; exit 1; }
echo "install layout ok"
