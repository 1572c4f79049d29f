#!/usr/bin/env bash
# Builds the benchmarks into build-bench/, makes their media once, and runs them.
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/deps.sh
kestrova_install "${KESTROVA_BUILD_PACKAGES[@]}" "${KESTROVA_TEST_PACKAGES[@]}"
cmake -S . -B build-bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DKESTROVA_BENCH=ON \
  -DKESTROVA_TESTS=OFF >/dev/null
cmake --build build-bench -- --quiet
media=build-bench/bench-media
mkdir -p "$media"
if [ ! -f "$media/hour.mp3" ]; then
  ffmpeg -nostdin -loglevel error -y -f lavfi -i "sine=frequency=220:sample_rate=44100:duration=3600" \
    -f lavfi -i "anoisesrc=color=pink:sample_rate=44100:amplitude=0.05:duration=3600" \
    -filter_complex "[0][1]amix=inputs=2,aformat=channel_layouts=stereo" \
    -c:a libmp3lame -b:a 128k "$media/hour.mp3"
fi
if [ ! -f "$media/minute.wav" ]; then
  sox -n -r 44100 -c 2 -b 16 "$media/minute.wav" synth 60 pinknoise vol 0.2
fi
./build-bench/bench/bench_audio "$media/hour.mp3" "$media/minute.wav"

# Start-up to the main window shown (offscreen, empty profile), median of 11 starts.
times=()
for i in $(seq 11); do
  home=$(mktemp -d)
  start=$(date +%s%N)
  KESTROVA_HOME=$home QT_QPA_PLATFORM=offscreen KESTROVA_AUDIO=null KESTROVA_QUIT_AFTER_START=1 \
    ./build-bench/kestrova >/dev/null 2>&1
  end=$(date +%s%N)
  times+=($(( (end - start) / 1000000 )))
  rm -rf "$home"
done
median=$(printf '%s\n' "${times[@]}" | sort -n | sed -n 6p)
echo "start-up to main window shown and closed again: median ${median} ms (target < 400)"
