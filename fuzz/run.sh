#!/usr/bin/env bash
# Runs one fuzz target over its corpus for a number of seconds:
#   fuzz/run.sh BUILD_FOLDER TARGET SECONDS [libFuzzer options...]
# TARGET is bmp, gif, jpeg, tiff, pcx, psd, png, webp, avif, project, measure,
# calibration or settings. The seeds are the
# shared test pictures of the format, the small files in fuzz/seeds/TARGET and the
# regression inputs in tests/data/regress/TARGET; what the fuzzer finds new goes to
# BUILD_FOLDER/fuzz/corpus/TARGET, which later runs start from.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "$1" && pwd)
target=$2
seconds=$3
shift 3
testdata=${TESSARO_TESTDATA_DIR:-$(sed -n 's/^TESSARO_TESTDATA_DIR:PATH=//p' "$build/CMakeCache.txt")}

case "$target" in
  bmp) patterns="*.bmp *.dib" ;;
  gif) patterns="*.gif" ;;
  jpeg) patterns="*.jpg *.jpeg" ;;
  tiff) patterns="*.tif *.tiff" ;;
  pcx) patterns="*.pcx" ;;
  psd) patterns="*.psd" ;;
  project) patterns="*.tsr" ;;
  measure) patterns="*.sco" ;;
  png) patterns="*.png" ;;
  webp) patterns="*.webp" ;;
  avif) patterns="*.avif" ;;
  calibration) patterns="MicroCalib*.ini *.txt" ;;
  settings) patterns="Dravcon*.ini *.txt" ;;
  *) echo "unknown fuzz target: $target" >&2; exit 2 ;;
esac

corpus=$build/fuzz/corpus/$target
seeds=$build/fuzz/seeds/$target
rm -rf "$seeds"
mkdir -p "$corpus" "$seeds"
for folder in "$testdata" "$root/fuzz/seeds/$target" "$root/tests/data/regress/$target"; do
  [ -d "$folder" ] || continue
  for pattern in $patterns '*.bin'; do
    find "$folder" -maxdepth 1 -type f -name "$pattern" -exec cp {} "$seeds/" \;
  done
done
[ "$target" = settings ] && cp "$root/app/data/Dravcon_34.ini" "$seeds/"

options=(-max_total_time="$seconds" -rss_limit_mb=2048 -timeout=20 -print_final_stats=1)
[ -f "$root/fuzz/dict/$target.dict" ] && options+=(-dict="$root/fuzz/dict/$target.dict")
# Findings are written beside the corpus, not into the current folder.
options+=(-artifact_prefix="$build/fuzz/$target-")
exec "$build/fuzz/fuzz_$target" "${options[@]}" "$@" "$corpus" "$seeds"
