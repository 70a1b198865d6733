#!/bin/sh
# sonawell-convert against the ffmpeg tool in one run: 200 MP3s of 20 s to WMA (128 kbps) with
# --jobs 2, against the tool one file after another and under xargs -P2; one 10-minute MP3
# alone; 200 WMAs of 20 s to WAVE with --jobs 2 against the tool one after another. Then the
# command's cost per file (200 half-second decodes against one 100-second decode, one at a
# time) and its peak memory for 50 and for 200 files.
# Usage: bench/cli/run.sh [BUILD_DIR]   (default: build)
set -eu
repo=$(cd "$(dirname "$0")/../.." && pwd)
build=${1:-build}
case $build in /*) ;; *) build=$repo/$build ;; esac
cmake --build "$build" --target sonawell-convert -j2 >/dev/null
convert=$build/bin/sonawell-convert
profile="Audio for CD quality (128 Kbps, 44 kHz, stereo)"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/mp3" "$work/wma" "$work/long" "$work/short" "$work/one"
tone() { # seconds frequency output [codec options...]
    seconds=$1 frequency=$2 output=$3
    shift 3
    ffmpeg -nostdin -v error -y -f lavfi -i "sine=frequency=$frequency:sample_rate=44100:duration=$seconds" \
        -f lavfi -i "anoisesrc=color=pink:sample_rate=44100:amplitude=0.1:duration=$seconds" \
        -filter_complex "[0][1]amerge=inputs=2" -ac 2 "$@" "$output"
}
echo "making the sources..." >&2
tone 20 440 "$work/mp3/t000.mp3" -c:a libmp3lame -b:a 192k
tone 20 440 "$work/wma/t000.wma" -c:a wmav2 -b:a 128k
tone 0.5 440 "$work/short/t000.wma" -c:a wmav2 -b:a 128k
for n in $(seq 1 199); do
    i=$(printf %03d "$n")
    cp "$work/mp3/t000.mp3" "$work/mp3/t$i.mp3"
    cp "$work/wma/t000.wma" "$work/wma/t$i.wma"
    cp "$work/short/t000.wma" "$work/short/t$i.wma"
done
tone 600 440 "$work/long/long.mp3" -c:a libmp3lame -b:a 192k
tone 100 440 "$work/one/one.wma" -c:a wmav2 -b:a 128k

# Wall seconds, peak kilobytes and CPU seconds (user and system) of a command, "1.23 45678 2.01".
# Wall time depends on what else the machine runs; CPU time much less so.
measure() {
    /usr/bin/time -f "%e %M %U %S" -o "$work/time" "$@" >/dev/null 2>&1
    read -r wall peak user system <"$work/time"
    echo "$wall $peak $(python3 -c "import sys; print(f'{float(sys.argv[1]) + float(sys.argv[2]):.2f}')" "$user" "$system")"
}
fresh() { rm -rf "$work/out" && mkdir "$work/out"; }
ratio() { python3 -c "import sys; print(f'{float(sys.argv[1]) / float(sys.argv[2]):.3f}')" "$1" "$2"; }

export convert profile work
fresh
set -- $(measure sh -c 'for f in "$work"/mp3/*.mp3; do b=${f##*/}; ffmpeg -nostdin -v error -y -i "$f" -c:a wmav2 -b:a 128k "$work/out/${b%.mp3}.wma" || exit 1; done')
tool_serial=$1 tool_serial_cpu=$3
fresh
set -- $(measure sh -c 'cd "$work/mp3" && printf "%s\0" *.mp3 | xargs -0 -P2 -I{} sh -c '\''ffmpeg -nostdin -v error -y -i "$1" -c:a wmav2 -b:a 128k "$work/out/${1%.mp3}.wma"'\'' sh {}')
tool_xargs=$1 tool_xargs_cpu=$3
fresh
set -- $(measure "$convert" -q --jobs 2 --profile "$profile" --output-dir "$work/out" "$work/mp3")
ours_mp3=$1 ours_mp3_kb=$2 ours_mp3_cpu=$3
echo "200 MP3 x 20 s to WMA: tool one by one ${tool_serial} s, tool xargs -P2 ${tool_xargs} s, sonawell-convert --jobs 2 ${ours_mp3} s"
echo "  ratio to one by one $(ratio "$ours_mp3" "$tool_serial") (goal <= 0.35), to xargs -P2 $(ratio "$ours_mp3" "$tool_xargs") (goal <= 0.6)"
echo "  CPU: tool one by one ${tool_serial_cpu} s, xargs -P2 ${tool_xargs_cpu} s, sonawell-convert ${ours_mp3_cpu} s, ratio $(ratio "$ours_mp3_cpu" "$tool_serial_cpu")"

fresh
set -- $(measure ffmpeg -nostdin -v error -y -i "$work/long/long.mp3" -c:a wmav2 -b:a 128k "$work/out/long.wma")
tool_long=$1 tool_long_cpu=$3
fresh
set -- $(measure "$convert" -q --profile "$profile" --output-dir "$work/out" "$work/long/long.mp3")
ours_long=$1 ours_long_cpu=$3
echo "one 600 s MP3 to WMA: tool ${tool_long} s, sonawell-convert ${ours_long} s, ratio $(ratio "$ours_long" "$tool_long") (goal <= 0.55); CPU ${tool_long_cpu} s against ${ours_long_cpu} s"

fresh
set -- $(measure sh -c 'for f in "$work"/wma/*.wma; do b=${f##*/}; ffmpeg -nostdin -v error -y -i "$f" -c:a pcm_s16le "$work/out/${b%.wma}.wav" || exit 1; done')
tool_wave=$1 tool_wave_cpu=$3
fresh
set -- $(measure "$convert" -q --jobs 2 --output-dir "$work/out" "$work/wma")
ours_wave=$1 ours_wave_cpu=$3
echo "200 WMA x 20 s to WAVE: tool one by one ${tool_wave} s, sonawell-convert --jobs 2 ${ours_wave} s, ratio $(ratio "$ours_wave" "$tool_wave") (goal <= 0.4); CPU ${tool_wave_cpu} s against ${ours_wave_cpu} s"

fresh
set -- $(measure "$convert" -q --jobs 1 --output-dir "$work/out" "$work/short")
ours_short=$1 ours_short_cpu=$3
fresh
set -- $(measure "$convert" -q --jobs 1 --output-dir "$work/out" "$work/one/one.wma")
ours_one=$1 ours_one_cpu=$3
python3 -c "import sys; a = [float(x) for x in sys.argv[1:]]; print(f'cost per file: {(a[0] - a[1]) / 200 * 1000:.2f} ms wall, {(a[2] - a[3]) / 200 * 1000:.2f} ms CPU (200 x 0.5 s against 1 x 100 s decoded one at a time; goal <= 2 ms)')" "$ours_short" "$ours_one" "$ours_short_cpu" "$ours_one_cpu"

fresh
mkdir "$work/fifty"
cp "$work"/mp3/t00*.mp3 "$work"/mp3/t01*.mp3 "$work"/mp3/t02*.mp3 "$work"/mp3/t03*.mp3 "$work"/mp3/t04*.mp3 "$work/fifty/"
set -- $(measure "$convert" -q --jobs 2 --profile "$profile" --output-dir "$work/out" "$work/fifty")
echo "load average at the end: $(cut -d' ' -f1-3 /proc/loadavg) (wall-clock ratios need an otherwise idle machine)"
echo "peak memory, --jobs 2: 50 files ${2} kB, 200 files ${ours_mp3_kb} kB, ratio $(ratio "$ours_mp3_kb" "$2") (goal: about 1)"
