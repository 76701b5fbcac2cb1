# shellcheck shell=bash
# Sourced by wine-session: the entry point makes the start-up sequence's
# result the process exit status.
#   exit_status.sh PROGRAM
program=$1
for status in 0 1 37; do
  set +e
  UPDATER_CHECK_STATUS=$status wine_run "$program"
  seen=$?
  set -e
  echo "start-up result $status: exit status $seen"
  [[ $seen -eq $status ]]
done
