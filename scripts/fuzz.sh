#!/bin/sh
# Builds every fuzz target with clang (libFuzzer, AddressSanitizer,
# UndefinedBehaviorSanitizer) and runs them two at a time (one a core), each
# for the given number of seconds, over its seed corpus (written at build time from
# the assets and the assembled form definition) and its committed
# regression inputs. The random seed is fixed (SKR_FUZZ_SEED, default 1).
# Exits non-zero when any target fails; its log and the failing input stay
# in <build dir>/fuzz/<target>/.
#   scripts/fuzz.sh [seconds] [build dir]
set -eu
seconds=${1:-60}
root=$(cd "$(dirname "$0")/.." && pwd)
build=${2:-$root/build-fuzz}
seed=${SKR_FUZZ_SEED:-1}
targets="fuzz_formdef fuzz_form fuzz_bmp fuzz_icon fuzz_jpeg fuzz_wave"

CC=clang CXX=clang++ cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DSKR_FUZZ=ON -DSKR_SANITIZE=ON -DSKR_BENCH=OFF >/dev/null
# shellcheck disable=SC2086
cmake --build "$build" -j2 --target $targets skr_fuzz_seed_corpus

# Runs one target; its summary (or its failure and the end of its log) goes
# to <work>/summary, and <work>/failed marks a failure.
run() {
    target=$1
    program=$build/tests/fuzz/$target
    # Time per input: a JPEG picture decodes at up to 2048 x 2048 pixels,
    # twice (32 bits per pixel, then quantised for an 8-bit display).
    case $target in
        fuzz_jpeg | fuzz_form) timeout=10 ;;
        *) timeout=5 ;;
    esac
    work=$build/fuzz/$target
    rm -rf "$work"
    mkdir -p "$work/corpus" "$work/artifacts"
    set -- "$work/corpus" "$build/tests/fuzz/seeds/$target"
    [ -d "$root/tests/fuzz/regressions/$target" ] && set -- "$@" "$root/tests/fuzz/regressions/$target"
    [ -f "$root/tests/fuzz/$target.dict" ] && set -- "$@" -dict="$root/tests/fuzz/$target.dict"
    {
        echo "== $target: $seconds s, seed $seed"
        if "$program" "$@" -max_total_time="$seconds" -seed="$seed" -timeout="$timeout" \
            -rss_limit_mb=2048 -malloc_limit_mb=512 -print_final_stats=1 \
            -artifact_prefix="$work/artifacts/" >"$work/log" 2>&1; then
            grep -E '^#[0-9]+[[:space:]]+DONE' "$work/log" | tail -1 || true
            grep -E '^stat::number_of_executed_units' "$work/log" || true
        else
            echo "!! $target failed; log: $work/log, inputs: $work/artifacts/"
            tail -n 40 "$work/log"
            touch "$work/failed"
        fi
    } >"$build/fuzz/$target.summary"
}

mkdir -p "$build/fuzz"
set -- $targets
while [ $# -gt 0 ]; do
    run "$1" &
    if [ $# -gt 1 ]; then run "$2"; shift; fi
    wait
    shift
done
failed=""
for target in $targets; do
    cat "$build/fuzz/$target.summary"
    [ -e "$build/fuzz/$target/failed" ] && failed="$failed $target"
done
if [ -n "$failed" ]; then
    echo "fuzz targets failed:$failed"
    exit 1
fi
echo "all fuzz targets passed"
