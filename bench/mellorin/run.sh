#!/usr/bin/env bash
# Decodes a 10-minute 128 kbps WMA with Help101 and with the ffmpeg tool, then a 60-minute
# one with Help101 only, and compares the peak memory of the two decodes.
# Usage: bench/mellorin/run.sh [build folder]   (default: build)
set -euo pipefail
cd "$(dirname "$0")/../.."
build=${1:-build}
cmake --build "$build" --target mellorin mellorin-bench -j2 >/dev/null
bin=$build/bin
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

make_wma() {  # minutes, output
    ffmpeg -nostdin -hide_banner -loglevel error -y -f lavfi \
        -i "sine=frequency=440:sample_rate=44100:duration=$(($1 * 60))" -ac 2 \
        -c:a wmav2 -b:a 128k -f asf "$2"
}
make_wma 10 "$work/ten.wma"
make_wma 60 "$work/sixty.wma"

echo "== 10-minute source"
ten=$("$bin/mellorin-bench" "$bin/libmellorin.so" "$work/ten.wma" "$work")
echo "$ten"
rm -f "$work"/*.wav
echo "== 60-minute source"
sixty=$("$bin/mellorin-bench" "$bin/libmellorin.so" "$work/sixty.wma" "$work" --no-reference)
echo "$sixty"

rss() { sed -n 's/^Help101:.*peak RSS \([0-9]*\) KiB$/\1/p' <<<"$1"; }
a=$(rss "$ten")
b=$(rss "$sixty")
echo "peak RSS growth 10 -> 60 minutes: $((b - a)) KiB (goal: within 5120 KiB)"
