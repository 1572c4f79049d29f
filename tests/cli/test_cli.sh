#!/usr/bin/env bash
# kestrova-cli split: the sentence lines of a lesson, an LRC skeleton, and the error path;
# kestrova-cli lrc: offsets within bounds, word-timed lines and their words, and a file too
# large to be subtitles refused.
set -u
cli=$1
media=$2
fail=0
check() { if [ "$2" != "$3" ]; then echo "FAIL: $1: got [$2] want [$3]"; fail=1; fi; }

out=$("$cli" split "$media/speech_gaps.wav"); rc=$?
check "exit code" "$rc" 0
check "sentence count" "$(printf '%s\n' "$out" | wc -l)" 3
check "first sentence starts at 1" "$(printf '%s\n' "$out" | head -1 | cut -d'!' -f1)" 1
check "lines join" "$(printf '%s\n' "$out" | awk -F'!' 'NR>1 && $1!=prev {bad=1} {prev=$2} END {print bad+0}')" 0

out=$("$cli" split --format lrc "$media/speech_gaps.wav")
check "lrc first line" "$(printf '%s\n' "$out" | head -1)" "[00:00.01]"

out=$("$cli" split --auto "$media/speech_gaps.wav")
check "the measured threshold finds both gaps" "$(printf '%s\n' "$out" | wc -l)" 3

out=$("$cli" split --gap 200 "$media/speech_gaps.wav")
check "a large gap leaves one sentence" "$(printf '%s\n' "$out" | wc -l)" 1

"$cli" split "$media/text.mp3" >/dev/null 2>&1; rc=$?
check "not audio exits 1" "$rc" 1
err=$("$cli" split "$media/text.mp3" 2>&1 >/dev/null)
check "one error line" "$(printf '%s\n' "$err" | wc -l)" 1

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
printf '[offset:-999999999]\n[00:01.00]a\n' > "$tmp/far.lrc"
check "an offset of hours is ignored" "$("$cli" lrc "$tmp/far.lrc")" "$(printf '100\t100\ta')"
printf '[offset:-600000]\n[00:01.00]a\n' > "$tmp/late.lrc"
check "an offset stays within the media" "$("$cli" lrc --length 3000 "$tmp/late.lrc")" \
  "$(printf '3000\t3000\ta')"
printf '[00:01.02] <00:02.50> Line 1\n[01:02.00] <01:03.40> Line 2 <01:10.00> line 2\n' > "$tmp/words.lrc"
check "word tags leave the lines clean" "$("$cli" lrc --length 8000 "$tmp/words.lrc")" \
  "$(printf '102\t6200\tLine 1\n6200\t8000\tLine 2 line 2')"
check "and a row per word" "$("$cli" lrc --length 8000 --words "$tmp/words.lrc")" \
  "$(printf '250\t6200\tLine 1\n6340\t7000\tLine 2\n7000\t8000\tline 2')"
head -c $((16 * 1024 * 1024 + 1)) /dev/zero | tr '\0' '[' > "$tmp/huge.lrc"
err=$("$cli" lrc "$tmp/huge.lrc" 2>&1 >/dev/null); rc=$?
check "a file over 16 MB exits 1" "$rc" 1
check "and says why" "$(printf '%s\n' "$err" | grep -c 'larger than 16 MB')" 1

[ $fail -eq 0 ] && echo "cli: all checks passed"
exit $fail
