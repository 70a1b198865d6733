#!/bin/sh
# Long-decode benchmark: a 60-minute WMA (64 kbps, mono, made with the ffmpeg tool) handed in
# over a private session bus and decoded to WAVE by the same objects the window uses, while a
# second connection makes an AddJobs call every 50 ms and times its answer; the decode is
# compared with the ffmpeg tool decoding the same file. Then the file is handed in again and Stop
# is pressed a quarter through: the time until the run has ended is taken.
# Usage: bench/longdecode/run.sh [MINUTES] [BUILD_DIR]   (defaults: 60, build)
set -eu
repo=$(cd "$(dirname "$0")/../.." && pwd)
minutes=${1:-60}
build=${2:-build}
case $build in /*) ;; *) build=$repo/$build ;; esac
cmake --build "$build" --target longdecode_bench -j2 >/dev/null

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/program" "$work/home" "$work/out"
ffmpeg -nostdin -v error -y -f lavfi \
    -i "sine=frequency=440:sample_rate=44100:duration=$((minutes * 60))" \
    -ac 1 -c:a wmav2 -b:a 64k "$work/long.wma"
ffmpeg -nostdin -v error -y -f lavfi -i "sine=frequency=440:sample_rate=44100:duration=1" \
    -ac 2 -c:a libmp3lame -b:a 128k "$work/short.mp3"
HOME=$work/home QT_QPA_PLATFORM=offscreen dbus-run-session -- \
    "$build/bench/longdecode_bench" "$work/long.wma" "$work/short.mp3" "$work/out" "$work/program"
