#!/bin/sh
# Hand-in benchmark: a burst of AddJobs calls (100,000 by default), one path each, to the built
# program on a private session bus, at most IN_FLIGHT of them awaiting their answer, against a
# bare GIO responder on the same bus. The program runs with QT_QPA_PLATFORM=offscreen and a
# temporary HOME and XDG folders, from a program folder of its own whose settings start
# converting at once (AutoStart) into a separate output folder; every source is a hard link to
# a 0.1 s MP3 made with the ffmpeg tool, so conversions run while the burst is still being
# taken in.
# Usage: bench/handin/run.sh [COUNT] [BUILD_DIR] [IN_FLIGHT]   (defaults: 100000, build, 1000)
set -eu
repo=$(cd "$(dirname "$0")/../.." && pwd)
count=${1:-100000}
build=${2:-build}
in_flight=${3:-1000}
case $build in /*) ;; *) build=$repo/$build ;; esac
cmake --build "$build" --target sonawell mellorin id3prop handin_bench -j2 >/dev/null

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/program" "$work/home" "$work/config" "$work/data" "$work/state" "$work/cache"
for name in sonawell libmellorin.so libid3prop.so; do
    cp "$build/bin/$name" "$work/program/"
done
profile="Audio for CD quality (128 Kbps, 44 kHz, stereo)"
printf '[General]\r\nProfile=%s\r\nAutoStart=1\r\nCPUPriority=1\r\nDeleteSource=0\r\nOverwriteExist=1\r\n[Quick Convert]\r\nProfile=%s\r\nSameTargetDir=0\r\nTargetDir=%s\r\n' \
    "$profile" "$profile" "$work/out" >"$work/program/Sonawell.ini"
ffmpeg -nostdin -v error -y -f lavfi -i "sine=frequency=440:sample_rate=44100:duration=0.1" \
    -ac 2 -c:a libmp3lame -b:a 128k "$work/master.mp3"

HOME=$work/home XDG_CONFIG_HOME=$work/config XDG_DATA_HOME=$work/data \
    XDG_STATE_HOME=$work/state XDG_CACHE_HOME=$work/cache QT_QPA_PLATFORM=offscreen \
    dbus-run-session -- "$build/bench/handin_bench" "$count" "$work/master.mp3" "$work" \
    "$work/program/sonawell" "$in_flight" || status=$?
if [ "${status:-0}" -ne 0 ] && [ -s "$work/sonawell.log" ]; then
    echo "== the program's output"
    tail -n 20 "$work/sonawell.log"
fi
exit "${status:-0}"
