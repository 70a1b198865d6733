#!/bin/sh
# Encoder benchmark: a 10- and a 60-minute MP3 (192 kbps, stereo, 44.1 kHz) encoded to WMA at
# 128 kbps by the encoder component and by the ffmpeg tool. Prints time ratios and peak memory;
# the component's peak memory must not grow with the source's length.
# Usage: bench/encoder/run.sh [BUILD_DIR]   (default: build)
set -eu
repo=$(cd "$(dirname "$0")/../.." && pwd)
build=${1:-build}
case $build in /*) ;; *) build=$repo/$build ;; esac
cmake --build "$build" --target encoder_bench -j2 >/dev/null
bench=$build/bench/encoder_bench

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

for minutes in 10 60; do
    ffmpeg -nostdin -v error -y -f lavfi -i "sine=frequency=440:sample_rate=44100:duration=$((minutes * 60))" \
        -f lavfi -i "anoisesrc=color=pink:sample_rate=44100:amplitude=0.2:duration=$((minutes * 60))" \
        -filter_complex "[0][1]amerge=inputs=2" -ac 2 -c:a libmp3lame -b:a 192k "$work/in$minutes.mp3"
done

"$bench" "$work/in10.mp3" "$work" 3 | tee "$work/r10.txt"
echo
"$bench" "$work/in60.mp3" "$work" 1 | tee "$work/r60.txt"
echo
rss10=$(awk '/peak RSS ours/ {print $4}' "$work/r10.txt")
rss60=$(awk '/peak RSS ours/ {print $4}' "$work/r60.txt")
echo "peak RSS growth 10 -> 60 minutes: $((rss60 - rss10)) KiB (goal: within 5120 KiB)"
