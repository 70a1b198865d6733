#!/bin/sh
# Encoder benchmark: a 10- and a 60-minute MP3 (192 kbps, stereo, 44.1 kHz) encoded to WMA at
# 128 kbps by the encoder component (every core) and by the ffmpeg tool, alternating in one run;
# then the component's serial path and 1, 2 and all encoder threads. Before that, every built-in
# audio profile's packets, parallel against serial (and the ffmpeg tool's for CD quality).
# Then how soon a stop ends a run with every encoder thread busy, and how much of a core a Low
# run leaves a busy program pinned beside it.
# Goals: component <= 0.6 of the tool's time on both sources; peak memory of the 60-minute run
# within 5 MiB of the 10-minute run; a stop within 100 ms; the busy program at least 90 % of the
# core. Other work on the machine skews times: the load is printed.
# Usage: bench/encoder/run.sh [BUILD_DIR]   (default: build)
set -eu
repo=$(cd "$(dirname "$0")/../.." && pwd)
build=${1:-build}
case $build in /*) ;; *) build=$repo/$build ;; esac
cmake --build "$build" --target encoder_bench -j2 >/dev/null
bench=$build/bench/encoder_bench

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Two tones in pink noise; 61.3 s for the packet comparison (no whole number of frames).
make_source() {
    ffmpeg -nostdin -v error -y \
        -f lavfi -i "sine=frequency=440:sample_rate=44100:duration=$1" \
        -f lavfi -i "anoisesrc=color=pink:sample_rate=44100:amplitude=0.2:duration=$1" \
        -filter_complex "[0][1]amerge=inputs=2" -ac 2 -c:a libmp3lame -b:a 192k "$2"
}
make_source 61.3 "$work/compare.mp3"
make_source 600 "$work/in10.mp3"
make_source 3600 "$work/in60.mp3"
# Two tones with noise in them, as a WAVE file: the encoder's hardest input.
ffmpeg -nostdin -v error -y -f lavfi \
    -i "aevalsrc=0.4*sin(440*2*PI*t)+0.2*random(0)|0.3*sin(660*2*PI*t)+0.2*random(1):s=44100:d=300" \
    -c:a pcm_s16le "$work/noisy.wav"

echo "load before: $(uptime)"
"$bench" compare "$work/compare.mp3" "$work" || echo "PACKETS DIFFER"
echo
"$bench" time "$work/in10.mp3" "$work" 3 | tee "$work/r10.txt"
echo "load: $(uptime)"
echo
"$bench" time "$work/in60.mp3" "$work" 1 | tee "$work/r60.txt"
echo "load: $(uptime)"
echo
"$bench" stop "$work/noisy.wav" "$work" 5
echo "load: $(uptime)"
echo
"$bench" low "$work/noisy.wav" "$work"
echo "load: $(uptime)"
echo
rss10=$(awk '/peak RSS ours/ {print $4}' "$work/r10.txt")
rss60=$(awk '/peak RSS ours/ {print $4}' "$work/r60.txt")
echo "peak RSS growth 10 -> 60 minutes: $((rss60 - rss10)) KiB (goal: within 5120 KiB)"
