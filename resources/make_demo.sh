#!/usr/bin/env bash
# Makes the demo lesson a newcomer finds at the first start: a dozen spoken English
# sentences with pauses between them (espeak-ng, joined with sox) and their LRC file.
# Usage: make_demo.sh OUTDIR
set -euo pipefail
out=$1
mkdir -p "$out"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
sentences=(
  "Welcome to Kestrova."
  "Listen to each sentence, then say it aloud."
  "The sentence list on the left shows every sentence of the lesson."
  "Double-click a sentence to hear it again."
  "Press automatic repeat to hear each sentence twice."
  "The subtitles follow the speaker line by line."
  "You can slow the speech down without changing its pitch."
  "Record your own voice and compare it with the original."
  "In dictation, type what you hear and press Enter."
  "Wrong sentences are kept in the hard sentence library."
  "Your notes and sentences are saved beside the lesson."
  "Open your own lessons from the file menu. Good luck!"
)
lrc="$out/demo-lesson.lrc"
printf '[ti:Kestrova]\r\n' > "$lrc"
parts=()
t=0
i=0
for s in "${sentences[@]}"; do
  espeak-ng -v en-us -s 150 -w "$work/s$i.wav" "$s"
  sox "$work/s$i.wav" -r 22050 -c 1 "$work/t$i.wav"
  awk -v t="$t" 'BEGIN { m = int(t / 60); printf "[%02d:%05.2f]", m, t - m * 60 }' >> "$lrc"
  printf '%s\r\n' "$s" >> "$lrc"
  parts+=("$work/t$i.wav")
  t=$(awk -v a="$t" -v b="$(soxi -D "$work/t$i.wav")" 'BEGIN { print a + b }')
  sox -n -r 22050 -c 1 "$work/g$i.wav" trim 0 0.8
  parts+=("$work/g$i.wav")
  t=$(awk -v a="$t" 'BEGIN { print a + 0.8 }')
  i=$((i + 1))
done
sox "${parts[@]}" -r 22050 -c 1 "$out/demo-lesson.ogg"
