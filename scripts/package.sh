#!/usr/bin/env bash
# Builds the Debian package of a release build (build/kestrova_<version>_<arch>.deb).
# With --clean-root, also installs it into a fresh Debian 12 root and starts it there
# (root and network access to the Debian mirror needed; a few minutes).
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/deps.sh
kestrova_install "${KESTROVA_BUILD_PACKAGES[@]}" "${KESTROVA_RUN_PACKAGES[@]}" dpkg-dev
kestrova_build build -DCMAKE_BUILD_TYPE=Release -DKESTROVA_TESTS=OFF
rm -f build/kestrova_*.deb
(cd build && cpack -G DEB >/dev/null)
deb=$(ls build/kestrova_*.deb)
echo "$deb"
if [ "${1:-}" = "--clean-root" ]; then
  kestrova_install debootstrap xvfb imagemagick
  bash tests/install/check_clean_root.sh "$deb"
fi
