#!/bin/sh
# The test double of the command-line archivers rar, gcac and ace32 (installed under
# those names). Steered by the VEXEL_FAKE_* variables described in FakeArchiver.h.
#   rar a -r ARCHIVE @LIST      gcac a -oLIST ARCHIVE      ace32 a -r ARCHIVE @LIST
program=$(basename "$0")

log_call() {
  [ -n "${VEXEL_FAKE_LOG:-}" ] || return 0
  {
    printf '%s\t%s' "$program" "$(pwd)"
    for argument in "$@"; do printf '\t%s' "$argument"; done
    printf '\n'
  } >> "$VEXEL_FAKE_LOG"
}

# value_for LIST EXT: the value of EXT (or of "*") in "ext=value,ext=value".
value_for() {
  found=""
  old_ifs=$IFS; IFS=,
  for pair in $1; do
    key=$(printf '%s' "${pair%%=*}" | tr 'A-Z' 'a-z')
    if [ "$key" = "$2" ]; then found=${pair#*=}; break; fi
    [ "$key" = "*" ] && found=${pair#*=}
  done
  IFS=$old_ifs
  printf '%s' "$found"
}

# listed LIST EXT: true when EXT (or "*") is an item of the comma list.
listed() {
  old_ifs=$IFS; IFS=,
  for item in $1; do
    item=$(printf '%s' "$item" | tr 'A-Z' 'a-z')
    if [ "$item" = "$2" ] || [ "$item" = "*" ]; then IFS=$old_ifs; return 0; fi
  done
  IFS=$old_ifs
  return 1
}

# Every member of the list must exist relative to the current directory.
members_exist() {
  [ -r "$1" ] || return 1
  while IFS= read -r member || [ -n "$member" ]; do
    case $member in *'*.*') member=${member%'*.*'} ;; esac
    [ -e "${member:-.}" ] || { echo "$program: missing member: $member" >&2; return 1; }
  done < "$1"
}

log_call "$@"
case $program in
  rar|ace32) [ "$1" = a ] && [ "$2" = -r ] && [ $# -eq 4 ] || { echo "usage: $program a -r ARCHIVE @LIST" >&2; exit 2; }
             archive=$3; list=${4#@} ;;
  gcac) [ "$1" = a ] && [ $# -eq 3 ] || { echo "usage: gcac a -oLIST ARCHIVE" >&2; exit 2; }
        list=${2#-o}; archive=$3 ;;
  *) echo "$program: unknown fake archiver" >&2; exit 2 ;;
esac
ext=$(printf '%s' "${archive##*.}" | tr 'A-Z' 'a-z')

: > "$archive" || exit 1
if listed "${VEXEL_FAKE_HANG:-}" "$ext"; then
  while :; do sleep 1; done
fi
work=$(value_for "${VEXEL_FAKE_WORK_MS:-}" "$ext")
[ -n "$work" ] && sleep "$(awk "BEGIN { print $work / 1000 }")"

if listed "${VEXEL_FAKE_FAIL:-}" "$ext"; then
  rm -f "$archive"
  echo "$program: working" # standard output: never part of a reason
  for n in 1 2 3 4 5 6; do echo "$program: warning $n" >&2; done
  echo "$program: failed on request" >&2
  exit 1
fi
if [ "${VEXEL_FAKE_CHECK_MEMBERS:-}" = 1 ] && ! members_exist "$list"; then rm -f "$archive"; exit 1; fi
if listed "${VEXEL_FAKE_NO_ARCHIVE:-}" "$ext"; then rm -f "$archive"; exit 0; fi
size=$(value_for "${VEXEL_FAKE_SIZES:-}" "$ext")
truncate -s "${size:-1000}" "$archive" || { rm -f "$archive"; exit 1; }
echo "$program: $archive done"
