#!/usr/bin/env bash
# Runs one fuzz target with libFuzzer for a while.
#   scripts/fuzz.sh TARGET SECONDS      TARGET: grid, ini, settings, date, restore
# Builds the targets with clang (-fsanitize=fuzzer,address,undefined) into
# build-fuzz/. The fuzzer starts from the seeds in tests/fuzz/corpus/TARGET
# and keeps what it finds in build-fuzz/corpus/TARGET; a crashing input is
# written to tests/fuzz/crashes/TARGET/, where ctest replays it from then on:
# commit it with the fix.
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
target="${1:?usage: scripts/fuzz.sh TARGET SECONDS}"
seconds="${2:-60}"
build="${QUILLON_FUZZ_BUILD:-$ROOT/build-fuzz}"

source "$ROOT/scripts/setup.sh"
quillon_install_missing
quillon_install_missing "${QUILLON_FUZZ_PACKAGES[@]}"

if [ ! -f "$build/CMakeCache.txt" ]; then
  CC=clang CXX=clang++ cmake -S "$ROOT" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DQUILLON_FUZZ=ON -DQUILLON_BENCH=OFF >/dev/null
fi
cmake --build "$build" -j"${QUILLON_JOBS:-4}" --target "fuzz_$target" >/dev/null

seeds="$ROOT/tests/fuzz/corpus/$target"
corpus="$build/corpus/$target"
crashes="$ROOT/tests/fuzz/crashes/$target"
mkdir -p "$corpus" "$crashes"
cd "$build"
ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=0}" \
  "$build/tests/fuzz/fuzz_$target" "$corpus" "$seeds" -max_total_time="$seconds" -max_len=65536 \
  -artifact_prefix="$crashes/" -print_final_stats=1 2>&1 | grep -E "^(Done|stat::|==|SUMMARY|.*check failed)" || true
echo "corpus: $(ls "$corpus" | wc -l) inputs; crashes: $(ls "$crashes" | wc -l)"
