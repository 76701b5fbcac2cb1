# shellcheck shell=bash
# Sourced by wine-session: an updater without an archive (or with an empty
# one) shows no window and ends with 0; its layouts, manifest and version
# record are the shipped ones.
#   stub.sh PROBE CHECKS UPDATER EMPTY_FILE
probe=$1
checks=$2
updater=$3
empty=$4
wine_run "$checks" resources "$(windows_path "$updater")" \
  "$(windows_path "$empty")"
wine_run "$probe" "$(windows_path "$updater")" 0
