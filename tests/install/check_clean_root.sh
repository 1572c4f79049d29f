#!/usr/bin/env bash
# The Debian package on a fresh Debian 12: a minimal root made with debootstrap (with this
# machine's package sources), `apt install ./kestrova_*.deb` in it, then the installed
# program started there on a private X display, as root and without a data folder of its
# own, until its window shows the demo lesson. Needs root and the Debian mirror; takes a few
# minutes. Leaves a screenshot of the window beside the package.
# Usage: check_clean_root.sh PACKAGE.deb
set -euo pipefail
deb=$(realpath "$1")
shot="${deb%.deb}-clean-root.png"
root=$(mktemp -d /var/tmp/kestrova-root.XXXXXX)
display=:$((90 + RANDOM % 50))
xvfb=""
cleanup() {
  [ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null || true
  for m in tmp/.X11-unix dev proc; do umount -l "$root/$m" 2>/dev/null || true; done
  rm -rf --one-file-system "$root"
}
trap cleanup EXIT

echo "Making a Debian 12 root in $root"
debootstrap --variant=minbase bookworm "$root" http://deb.debian.org/debian >"$root.log" 2>&1 ||
  { tail -20 "$root.log"; exit 1; }
rm -f "$root.log"
# The same sources as this machine (updates and security), so the package's versioned
# dependencies resolve as they did when it was built.
if [ -e /etc/apt/sources.list.d/debian.sources ]; then
  rm -f "$root/etc/apt/sources.list"
  cp /etc/apt/sources.list.d/debian.sources "$root/etc/apt/sources.list.d/"
fi
mount -t proc proc "$root/proc"
mount --bind /dev "$root/dev"
cp "$deb" "$root/tmp/"
{ chroot "$root" apt-get update -qq &&
  DEBIAN_FRONTEND=noninteractive chroot "$root" apt-get install -y -qq "/tmp/$(basename "$deb")"; } \
  >"$root/tmp/apt.log" 2>&1 || { cat "$root/tmp/apt.log"; exit 1; }
echo "Installed: $(chroot "$root" dpkg-query -W -f='${Package} ${Version}' kestrova)"

# Started on a private display, as a learner would start it from the menu.
Xvfb "$display" -screen 0 1280x800x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
mkdir -p "$root/tmp/.X11-unix"
for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X${display#:}" ] && break; sleep 0.1; done
mount --bind /tmp/.X11-unix "$root/tmp/.X11-unix"
chroot "$root" env -i HOME=/root PATH=/usr/bin:/bin DISPLAY="$display" KESTROVA_AUDIO=null \
  LANG=C.UTF-8 timeout 60 /usr/bin/kestrova >"$root/tmp/kestrova.log" 2>&1 &
app=$!
for _ in $(seq 300); do
  [ -s "$root/root/.local/share/Kestrova/Kestrova.m3u" ] && break
  kill -0 "$app" 2>/dev/null || break
  sleep 0.1
done
sleep 3
DISPLAY=$display import -window root "$shot" 2>/dev/null || true
kill "$app" 2>/dev/null || true
wait "$app" 2>/dev/null || true
playlist=$(tr -d '\r' <"$root/root/.local/share/Kestrova/Kestrova.m3u" 2>/dev/null || true)
grep -qx "/usr/share/kestrova/demo/demo-lesson.ogg" <<<"$playlist" ||
  { echo "the installed program did not open its demo lesson:"; cat "$root/tmp/kestrova.log"; exit 1; }
chroot "$root" kestrova-cli --help >/dev/null 2>&1 || chroot "$root" test -x /usr/bin/kestrova-cli
echo "clean root ok (window: $shot)"
