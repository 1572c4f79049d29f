#!/usr/bin/env bash
# Builds with AddressSanitizer and UndefinedBehaviorSanitizer into build-test/ and runs every
# test headless (offscreen GUI, null audio output). The exit code is CTest's.
set -euo pipefail
cd "$(dirname "$0")"
. scripts/deps.sh
kestrova_install "${KESTROVA_BUILD_PACKAGES[@]}" "${KESTROVA_TEST_PACKAGES[@]}"

kestrova_build build-test -DCMAKE_BUILD_TYPE=Debug -DKESTROVA_SANITIZE=ON -DKESTROVA_WERROR=ON \
  -DKESTROVA_TESTS=ON

export QT_QPA_PLATFORM=offscreen KESTROVA_AUDIO=null
# Qt and the media libraries keep a few allocations until exit on purpose.
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=0}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1}
cd build-test
exec ctest --output-on-failure -j2 "$@"
