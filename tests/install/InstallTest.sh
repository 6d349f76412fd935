#!/usr/bin/env bash
# cmake --install into an empty prefix, then the installed editor started with a fresh
# home folder: its files go to the XDG folders, a second start hands its picture to the
# running editor and ends, and nothing is written into the prefix.
# usage: InstallTest.sh BUILD-FOLDER PICTURE
set -uo pipefail
build=$1
picture=$2
[ -f "$picture" ] || { echo "no test picture: skipped"; exit 77; }
work=$(mktemp -d)
editor=
cleanup() {
  [ -n "$editor" ] && kill "$editor" 2>/dev/null && wait "$editor" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }
# Waits up to 30 s for a file matching the pattern.
wait_for() {
  for _ in $(seq 300); do
    compgen -G "$1" >/dev/null && return 0
    sleep 0.1
  done
  return 1
}

prefix=$work/prefix home=$work/home
mkdir -p "$home" "$work/run"
chmod 700 "$work/run"
cmake --install "$build" --prefix "$prefix" >/dev/null || fail "cmake --install"

for f in bin/tessaro bin/tessaro-cli share/tessaro/Dravcon_34.ini share/tessaro/KrStr2JpStr.txt \
         share/tessaro/Micro.xlsx share/applications/org.example.Tessaro.desktop \
         share/metainfo/org.example.Tessaro.metainfo.xml share/mime/packages/org.example.Tessaro.xml; do
  [ -f "$prefix/$f" ] || fail "$f is not installed"
done
for size in 16 22 24 32 48 64 128 256 512; do
  icon=$prefix/share/icons/hicolor/${size}x${size}/apps/org.example.Tessaro.png
  [ -f "$icon" ] || fail "no ${size}x${size} icon"
  # The PNG header's width and height.
  [ "$(od -An -tu1 -j16 -N8 "$icon" | tr -s ' ')" = " 0 0 $((size / 256)) $((size % 256)) 0 0 $((size / 256)) $((size % 256))" ] ||
    fail "the ${size}x${size} icon has another size"
done
desktop-file-validate "$prefix/share/applications/org.example.Tessaro.desktop" || fail "desktop-file-validate"
appstreamcli validate --no-net "$prefix/share/metainfo/org.example.Tessaro.metainfo.xml" >/dev/null ||
  fail "appstreamcli validate"

touch "$work/installed"
sleep 1
run() {
  env -i HOME="$home" PATH=/usr/bin:/bin XDG_RUNTIME_DIR="$work/run" QT_QPA_PLATFORM=offscreen "$@"
}
# The batch tool from the prefix.
[ "$(run "$prefix/bin/tessaro-cli" info "$picture" | head -1)" = "format 1" ] || fail "tessaro-cli info"

cd "$work"
# Started by env directly (not through a function's subshell), so that $! is the editor.
env -i HOME="$home" PATH=/usr/bin:/bin XDG_RUNTIME_DIR="$work/run" QT_QPA_PLATFORM=offscreen \
  "$prefix/bin/tessaro" >"$work/editor.log" 2>&1 &
editor=$!
wait_for "$home/.cache/tessaro/.tessaro-steps-*/lock" || fail "no step folder in the cache folder"
[ -f "$home/.config/tessaro/Dravcon_34.ini" ] || fail "the settings file was not seeded"
[ -f "$home/.config/tessaro/KrStr2JpStr.txt" ] || fail "the translation table was not seeded"
[ -f "$home/.local/share/tessaro/Micro.xlsx" ] || fail "the workbook was not seeded"
cmp -s "$home/.config/tessaro/Dravcon_34.ini" "$prefix/share/tessaro/Dravcon_34.ini" || fail "seeded settings differ"
kill -0 "$editor" 2>/dev/null || fail "the editor ended: $(cat "$work/editor.log")"

# A second start (as the file manager does) hands the picture over and ends at once.
timeout 20 env -i HOME="$home" PATH=/usr/bin:/bin XDG_RUNTIME_DIR="$work/run" QT_QPA_PLATFORM=offscreen \
  "$prefix/bin/tessaro" "$picture" || fail "the second start did not end by itself"
# The running editor opened it: the document's first step file is in its step folder.
wait_for "$home/.cache/tessaro/.tessaro-steps-*/WrIniLrList_Head_*.tmp" || fail "the running editor did not open the picture"
[ "$(compgen -G "$home/.cache/tessaro/.tessaro-steps-*/lock" | wc -l)" = 1 ] || fail "a second editor started"

# Nothing was written into the prefix or beside the program; no step files in the start folder.
[ -z "$(find "$prefix" -newer "$work/installed")" ] || fail "written into the prefix: $(find "$prefix" -newer "$work/installed")"
[ -z "$(compgen -G "$work/.tessaro-steps-*")" ] || fail "step files in the start folder"
echo "ok"
