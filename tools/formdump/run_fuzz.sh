#!/bin/sh
# Builds the form definition fuzz target with clang and runs it for a
# bounded time over a seed corpus of streams written by the writer. The
# random seed is fixed (SKR_FUZZ_SEED, default 1) so a run can be repeated.
#   tools/formdump/run_fuzz.sh [seconds] [build dir]
set -eu
seconds=${1:-60}
root=$(cd "$(dirname "$0")/../.." && pwd)
build=${2:-$root/build-fuzz}
CC=clang CXX=clang++ cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DSKR_FUZZ=ON -DSKR_SANITIZE=ON -DSKR_BENCH=OFF >/dev/null
cmake --build "$build" -j2 --target fuzz_formdef formdef_seeds
corpus=$build/fuzz-corpus
mkdir -p "$corpus"
"$build/tools/formdump/formdef_seeds" "$corpus"
cd "$build"
exec "$build/tools/formdump/fuzz_formdef" "$corpus" -max_total_time="$seconds" -timeout=5 \
    -rss_limit_mb=2048 -malloc_limit_mb=512 -print_final_stats=1 -seed="${SKR_FUZZ_SEED:-1}"
