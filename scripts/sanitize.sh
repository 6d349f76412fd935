#!/usr/bin/env bash
# Builds the core libraries, their tests and the fuzz targets with clang,
# AddressSanitizer and UndefinedBehaviorSanitizer into ./build-sanitize (the editor's
# Qt windows are left out), runs the tests, then runs every fuzz target for
# FUZZ_SECONDS (default 20) over its corpus. Any sanitizer report fails the run.
# --unit-only builds just the core libraries' unit tests and the fuzz targets (one set
# of objects) and runs the tests labelled unit: the batch tool's process tests are left out.
#   scripts/sanitize.sh [--unit-only] [--no-fuzz]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${FUZZ_SECONDS:-20}
jobs=$(nproc)

# -O1 with line tables: reports with file and line at a fraction of a debug build's cost.
CC=clang CXX=clang++ cmake -S . -B build-sanitize -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_C_FLAGS_RELEASE="-O1 -gline-tables-only" -DCMAKE_CXX_FLAGS_RELEASE="-O1 -gline-tables-only" \
  -DTESSARO_FUZZ=ON -DTESSARO_BUILD_GUI=OFF >/dev/null
targets=(bmp gif jpeg tiff pcx psd png webp avif project measure calibration settings)
build=() select=()
if [[ " $* " == *" --unit-only "* ]]; then
  build=(--target image_tests document_tests edit_tests view_tests processing_tests measure_tests "${targets[@]/#/fuzz_}")
  select=(-L unit)
fi
cmake --build build-sanitize -j "$jobs" "${build[@]}"
echo "sanitize: built in ${SECONDS} s"

export ASAN_OPTIONS=detect_leaks=0:abort_on_error=0:allocator_may_return_null=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
(cd build-sanitize && QT_QPA_PLATFORM=offscreen ctest "${select[@]}" --output-on-failure -j "$jobs")
echo "sanitize: tests passed at ${SECONDS} s"

[[ " $* " == *" --no-fuzz "* ]] && exit 0
for target in "${targets[@]}"; do
  echo "fuzz $target: ${seconds} s"
  fuzz/run.sh build-sanitize "$target" "$seconds" 2>build-sanitize/fuzz/$target.log ||
    { tail -n 60 build-sanitize/fuzz/$target.log; exit 1; }
  grep -E '^(stat::number_of_executed_units|#[0-9]+ +DONE)' build-sanitize/fuzz/$target.log | tail -n 2 || true
done
echo "sanitize: fuzz runs ended at ${SECONDS} s"
