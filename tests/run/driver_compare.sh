#!/usr/bin/env bash
# A run of the Windows driver (under wine) and one of the Linux driver over
# the same small corpus give the same bytes: the same rewritten files and
# backup copies, the same log and error text, the same exit status. The
# files are named relative to the current folder, so the logs name them
# alike; only the separator that joins a backup destination differs, and it
# is the one thing translated before the logs are compared.
#
#   driver_compare.sh LINUX_DRIVER WINDOWS_DRIVER WINE
set -euo pipefail

linux_driver=$1
windows_driver=$2
wine=$3

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

# Line ends of every kind, end marks at a line's start and inside a line,
# NUL and high bytes, a line longer than a piece and a block, an empty file,
# a line that is exactly a search text.
make_corpus() {
  local dir=$1
  mkdir -p "$dir/zaloha"
  printf 'foo bar\nabc foo\n' >"$dir/lf.txt"
  printf 'foo\r\nfoofoo\r\n' >"$dir/crlf.txt"
  printf 'a\rfoo\r\rb\n\rc' >"$dir/cr.txt"
  printf 'foo\n\032after the mark\n' >"$dir/mark.txt"
  printf 'fo\032o foo\n' >"$dir/mark_inside.txt"
  printf 'n\000ul foo \200\377\n' >"$dir/bytes.txt"
  : >"$dir/empty.txt"
  printf 'abc\n' >"$dir/exact.txt"
  { head -c 700 /dev/zero | tr '\0' 'x'; printf 'foo\r\n'; } >"$dir/long.txt"
}

# Runs one driver in `dir` with the given arguments; keeps its output, its
# errors and its status beside the folder.
run() {
  local name=$1 dir=$2
  shift 2
  local status=0
  (cd "$dir" && "$@" >"../$name.out" 2>"../$name.err") || status=$?
  echo "$status" >"$scratch/$name.status"
}

failed=0
compare() {
  if ! cmp -s "$1" "$2"; then
    echo "differs: $1 $2" >&2
    failed=1
  fi
}

files=(lf.txt crlf.txt cr.txt mark.txt mark_inside.txt bytes.txt empty.txt exact.txt long.txt)
pairs=(--pair foo bar --pair abc "" --pair bar foo)

for round in backup error; do
  rm -rf "$scratch/linux" "$scratch/windows"
  make_corpus "$scratch/linux"
  make_corpus "$scratch/windows"
  if [ "$round" = backup ]; then
    arguments=(--backup zaloha "${pairs[@]}" -- "${files[@]}")
  else
    # The run ends at the missing file, with the error on standard error.
    arguments=("${pairs[@]}" -- lf.txt missing.txt crlf.txt)
  fi
  run linux "$scratch/linux" "$linux_driver" "${arguments[@]}"
  run windows "$scratch/windows" "$wine" "$windows_driver" "${arguments[@]}"
  tr '\\' '/' <"$scratch/windows.out" >"$scratch/windows.out.slashes"
  compare "$scratch/linux.out" "$scratch/windows.out.slashes"
  compare "$scratch/linux.err" "$scratch/windows.err"
  compare "$scratch/linux.status" "$scratch/windows.status"
  for file in "${files[@]}"; do
    compare "$scratch/linux/$file" "$scratch/windows/$file"
    if [ -e "$scratch/linux/zaloha/$file" ] || [ -e "$scratch/windows/zaloha/$file" ]; then
      compare "$scratch/linux/zaloha/$file" "$scratch/windows/zaloha/$file"
    fi
  done
  if [ ! -s "$scratch/linux.out" ]; then
    echo "the Linux driver logged nothing in round $round" >&2
    failed=1
  fi
done
exit "$failed"
