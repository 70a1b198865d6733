#!/bin/sh
# Engine benchmark: 20 one-minute tagged MP3 jobs (192 kbps, stereo, 44.1 kHz) worked to WMA at
# 128 kbps through the conversion driver, against the ffmpeg tool on the same files; then a
# 10-minute WMA decoded to WAVE.
# Usage: bench/engine/run.sh [BUILD_DIR]   (default: build)
set -eu
repo=$(cd "$(dirname "$0")/../.." && pwd)
build=${1:-build}
case $build in /*) ;; *) build=$repo/$build ;; esac
cmake --build "$build" --target engine_bench -j2 >/dev/null

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/in" "$work/out"
for n in $(seq 1 20); do
    i=$(printf %02d "$n")
    ffmpeg -nostdin -v error -y -f lavfi -i "sine=frequency=$((300 + n * 20)):sample_rate=44100:duration=60" \
        -f lavfi -i "anoisesrc=color=pink:sample_rate=44100:amplitude=0.2:duration=60" \
        -filter_complex "[0][1]amerge=inputs=2" -ac 2 -c:a libmp3lame -b:a 192k \
        -id3v2_version 0 -write_id3v1 1 -metadata title="Track $i" -metadata artist="Bench" \
        -metadata album="Queue" -metadata track="$i" "$work/in/track$i.mp3"
done
# A 10-minute WMA decoded to WAVE afterwards, for the UI thread's waits during a decode.
ffmpeg -nostdin -v error -y -f lavfi -i "sine=frequency=440:sample_rate=44100:duration=600" \
    -ac 2 -c:a wmav2 -b:a 128k "$work/in/long.wma"
"$build/bench/engine_bench" "$work/in" "$work/out" "$build/bin"
