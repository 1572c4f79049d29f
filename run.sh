#!/usr/bin/env bash
# Builds a release build into build/ and starts Kestrova, installing what is missing first.
set -euo pipefail
cd "$(dirname "$0")"
. scripts/deps.sh
kestrova_install "${KESTROVA_BUILD_PACKAGES[@]}" "${KESTROVA_RUN_PACKAGES[@]}"

kestrova_build build -DCMAKE_BUILD_TYPE=Release -DKESTROVA_TESTS=OFF

# Without a sound server there is no output device; start the user's own when none runs.
if [ "${KESTROVA_AUDIO:-}" = "" ] && command -v pulseaudio >/dev/null &&
   ! pactl info >/dev/null 2>&1; then
  pulseaudio --start --exit-idle-time=-1 >/dev/null 2>&1 || true
fi
exec ./build/kestrova "$@"
