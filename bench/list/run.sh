#!/bin/sh
# Large-list benchmark: the job list's view and model with COUNT queued jobs (100,000 by
# default) against a plain QStandardItemModel in the same view, on the offscreen platform.
# Usage: bench/list/run.sh [COUNT] [BUILD_DIR]   (defaults: 100000, build)
set -eu
repo=$(cd "$(dirname "$0")/../.." && pwd)
count=${1:-100000}
build=${2:-build}
case $build in /*) ;; *) build=$repo/$build ;; esac
cmake --build "$build" --target large_list_bench -j2 >/dev/null
QT_QPA_PLATFORM=offscreen "$build/bench/large_list_bench" "$count"
