#!/usr/bin/env bash
# Builds the benchmarks into build-bench/, makes their media once, and runs them.
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/deps.sh
kestrova_install "${KESTROVA_BUILD_PACKAGES[@]}" "${KESTROVA_TEST_PACKAGES[@]}"
kestrova_build build-bench -DCMAKE_BUILD_TYPE=Release -DKESTROVA_BENCH=ON -DKESTROVA_TESTS=OFF
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
# The same engine through a private sound server: latencies heard on its monitor, pass
# restarts against FFmpeg's seek, and the processor time of playing through the device.
./build-bench/bench/bench_device "$media/hour.mp3" "$media/minute.wav"

# Splitting: the hour in four formats, speech with twenty known gaps, and the list views.
for ext in ogg m4a wav; do
  [ -f "$media/hour.$ext" ] || ffmpeg -nostdin -loglevel error -y -i "$media/hour.mp3" "$media/hour.$ext"
done
if [ ! -f "$media/speech.wav" ]; then
  (
    cd "$media"
    parts=(); t=0; : > speech_gaps.txt
    for i in $(seq 0 20); do
      espeak-ng -w "p_s$i.wav" "Sentence number $i is spoken here, and then the speaker pauses." 2>/dev/null
      sox "p_s$i.wav" -r 22050 -c 1 "p_t$i.wav"
      parts+=("p_t$i.wav")
      t=$(awk -v a="$t" -v b="$(soxi -D "p_t$i.wav")" 'BEGIN{print a+b}')
      if [ "$i" -lt 20 ]; then
        gap=$(awk -v i="$i" 'BEGIN{printf "%.2f", 0.7 + (i * 37 % 9) * 0.1}')
        sox -n -r 22050 -c 1 "p_g$i.wav" trim 0 "$gap"
        parts+=("p_g$i.wav")
        awk -v a="$t" -v g="$gap" 'BEGIN{printf "%.3f %.3f\n", a, a+g}' >> speech_gaps.txt
        t=$(awk -v a="$t" -v g="$gap" 'BEGIN{print a+g}')
      fi
    done
    sox "${parts[@]}" p_raw.wav
    total=$(soxi -D p_raw.wav)
    sox -m p_raw.wav "|sox -n -r 22050 -c 1 -p synth $total whitenoise vol 0.005" -r 44100 -c 2 speech.wav
    rm -f p_*.wav
  )
fi
# The same speech at a peak of 0.35 under pink noise peaking at 0.015, 0.03 and 0.06 of full
# scale (at the last the default scheme hears no gap at all).
for noise in 0.015 0.03 0.06; do
  [ -f "$media/speech_noise_$noise.wav" ] && continue
  total=$(soxi -D "$media/speech.wav")
  sox "$media/speech.wav" -c 1 "$media/p_clean.wav" gain -n "$(awk 'BEGIN{print 20*log(0.35)/log(10)}')"
  sox -n -r 44100 -c 1 "$media/p_noise.wav" synth "$total" pinknoise gain -n \
    "$(awk -v n="$noise" 'BEGIN{print 20*log(n)/log(10)}')"
  sox -m -v 1 "$media/p_clean.wav" -v 1 "$media/p_noise.wav" -c 2 "$media/speech_noise_$noise.wav"
  rm -f "$media/p_clean.wav" "$media/p_noise.wav"
done
accuracy=()
for f in speech speech_noise_0.015 speech_noise_0.03 speech_noise_0.06; do
  accuracy+=(--accuracy "$media/$f.wav" "$media/speech_gaps.txt")
done
./build-bench/bench/bench_split --lists "${accuracy[@]}" \
  "$media/hour.mp3" "$media/hour.ogg" "$media/hour.m4a" "$media/hour.wav"

# The waveform strip of a three-hour lesson (the hour three times, stream-copied).
if [ ! -f "$media/three_hours.mp3" ]; then
  printf "file '%s'\n" "$PWD/$media/hour.mp3" "$PWD/$media/hour.mp3" "$PWD/$media/hour.mp3" \
    > "$media/three.txt"
  ffmpeg -nostdin -loglevel error -y -f concat -safe 0 -i "$media/three.txt" -c copy \
    "$media/three_hours.mp3"
fi
./build-bench/bench/bench_waveform "$media/three_hours.mp3"

./build-bench/bench/bench_subtitle
KESTROVA_PACK=$PWD/build-bench/kestrova-pack ./build-bench/bench/bench_userdata "$media/hour.mp3"

# The follow-reading comparison picture: 10 s of speech against 10 s of recording.
./build-bench/bench/bench_voice "$media/speech.wav"

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
