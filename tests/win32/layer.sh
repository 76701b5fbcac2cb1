# shellcheck shell=bash
# Sourced by wine-session: every check of the Windows layer.
#   layer.sh CHECKS_PROGRAM ARCHIVE_FILE
# The program runs as 表示.exe from a folder whose name ends in 表: the
# second byte of 表 is 0x5C, so a byte-wise search for the last backslash
# would cut the path inside the program's own name.
checks=$1
archive=$2
run_dir=$(dirname "$checks")/layer-run
rm -rf "$run_dir"
mkdir -p "$run_dir/検査表" "$run_dir/scratch"
cp "$checks" "$run_dir/検査表/表示.exe"
wine_run "$run_dir/検査表/表示.exe" layer \
  "$(windows_path "$run_dir/scratch")" "$(windows_path "$archive")"
