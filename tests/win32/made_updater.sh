# shellcheck shell=bash
# Sourced by wine-session: scripts/make-updater embeds an archive in an
# updater made from this build folder. The archive given here is not a valid
# archive, so the updater finds its resource, cannot read its directory,
# says "RESOURCE READ ERROR" and ends with 0.
#   made_updater.sh PROBE CHECKS MAKE_UPDATER BUILD_DIR WORK
probe=$1
checks=$2
make_updater=$3
build_dir=$4
work=$5
rm -rf "$work"
mkdir -p "$work"
# 100 bytes that are no archive (their header names no directory inside).
head -c 100 /dev/zero | tr '\0' 'Z' >"$work/not an archive.bin"
bash "$make_updater" "$work/not an archive.bin" "$work/made updater.exe" \
  --arch x86_64 --build-dir "$build_dir"
wine_run "$checks" resources "$(windows_path "$work/made updater.exe")" \
  "$(windows_path "$work/not an archive.bin")"
wine_run "$probe" "$(windows_path "$work/made updater.exe")" 0 \
  "RESOURCE READ ERROR"
# The architecture of the build folder is checked.
if bash "$make_updater" "$work/not an archive.bin" "$work/wrong.exe" \
  --arch i686 --build-dir "$build_dir" 2>/dev/null; then
  echo "make-updater accepted the wrong architecture"
  exit 1
fi
[[ ! -e $work/wrong.exe ]]
