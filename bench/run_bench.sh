#!/usr/bin/env bash
# Benchmark of a whole run: ravo_driver --pair foo bar against the least work
# a safe rewrite can do (least_work.c beside this script), GNU sed -i and
# perl -pi, on fresh copies of the same corpus, side by side in one run, on
# /dev/shm and on disk; then the peak memory of a run over one 64 MiB line;
# last the flush round. Not part of the tests.
#
#   bench/run_bench.sh [REPETITIONS [DISK_REPETITIONS]]      (default 3 and 1)
#   bench/run_bench.sh --help                                (this text)
#
# Builds the driver in Release in build-bench/ (RAVO_BENCH_BUILD_DIR to
# change), and least_work and the flush_cost library with cc -O2 there. The
# corpora go into a temporary folder on /dev/shm and one on disk
# (RAVO_BENCH_DISK_DIR, default /var/tmp), both removed at the end. Prints the
# median wall-clock and CPU seconds of each tool and the ratios ravo/least and
# ravo/sed. On disk every file costs least_work (and a run that flushes its
# files) a wait for the disk, so fewer repetitions are made there.
#
# The flush round prices the flushes: on the 4,000 small files on disk, with
# one pair and with four, ravo with each flush costing 2 ms more than the
# disk's own (flush_cost.c, preloaded), ravo with each flush costing 2 ms
# alone, ravo with its flushes skipped, and sed -i; DISK_REPETITIONS times.
# It prints the median wall seconds, the flushes per file and the ratios
# cost/skipped, alone/skipped and cost/sed.
#
# RAVO_BENCH_ROUNDS picks the rounds, names separated by spaces or commas:
# shm, disk, line (the 64 MiB line), flush; all of them when unset.
set -euo pipefail

root="$(cd "$(dirname "$0")/.." && pwd)"
# shellcheck source=bench/arguments.sh
source "$root/bench/arguments.sh"
bench_arguments "$0" 2 "$@"
build="${RAVO_BENCH_BUILD_DIR:-$root/build-bench}"
reps="${1:-3}"
disk_reps="${2:-1}"
rounds="${RAVO_BENCH_ROUNDS:-shm disk line flush}"
flush_ms=2

for round in ${rounds//,/ }; do
  case "$round" in
    shm | disk | line | flush) ;;
    *) echo "run_bench.sh: unknown round '$round' (shm, disk, line, flush)" >&2; exit 2 ;;
  esac
done

# True when the round NAME is among those asked for.
round_wanted() {
  [[ " ${rounds//,/ } " == *" $1 "* ]]
}

if [[ ! -f "$build/build.ninja" ]]; then
  cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DRAVO_ENGINE_ONLY=ON >/dev/null
fi
cmake --build "$build" --target ravo_driver ravo_peak_rss >/dev/null
driver="$build/bench/ravo_driver"
timer="$build/bench/ravo_peak_rss"
least="$build/bench/least_work"
cc -O2 -o "$least" "$root/bench/least_work.c"
cc -O2 -shared -fPIC -o "$build/bench/flush_cost.so" "$root/bench/flush_cost.c" -ldl

shm="$(mktemp -d /dev/shm/ravo-bench-XXXXXX)"
disk="$(mktemp -d "${RAVO_BENCH_DISK_DIR:-/var/tmp}/ravo-bench-XXXXXX")"
trap 'rm -rf "$shm" "$disk"' EXIT
# LD_PRELOAD splits its value at spaces and colons, so the library is named
# through a link whose path has neither, wherever the build folder is.
flush_cost="$shm/flush_cost.so"
ln -s "$build/bench/flush_cost.so" "$flush_cost"

# shellcheck source=bench/corpus.sh
source "$root/bench/corpus.sh"

# Runs one tool over a fresh copy of CORPUS in WORK, with each --env
# NAME=VALUE in its environment, replacing each ORIGINAL by its REPLACEMENT
# (foo by bar when no pair is given; least_work takes the first pair only);
# prints "wall-seconds peak-KiB cpu-seconds".
#
#   time_tool TOOL CORPUS WORK [--env NAME=VALUE]... [ORIGINAL REPLACEMENT]...
time_tool() {
  local tool="$1" corpus="$2" work="$3"
  shift 3
  local -a launch=("$timer")
  while [[ "${1:-}" == --env ]]; do
    ((${#launch[@]} > 1)) || launch+=(env)
    launch+=("$2")
    shift 2
  done
  (($#)) || set -- foo bar
  local -a pairs=() sed_script=() perl_script=()
  while (($# >= 2)); do
    pairs+=(--pair "$1" "$2")
    sed_script+=(-e "s/$1/$2/")
    perl_script+=(-e "s/$1/$2/;")
    shift 2
  done
  local copy="$work/copy"
  rm -rf "$copy"
  cp -r "$corpus" "$copy"
  sync
  (
    cd "$copy"
    local -a files=(*)
    case "$tool" in
      ravo) "${launch[@]}" "$driver" "${pairs[@]}" -- "${files[@]}" >/dev/null 2>"$work/timing" ;;
      least) "${launch[@]}" "$least" "${pairs[1]}" "${pairs[2]}" "${files[@]}" 2>"$work/timing" ;;
      sed) "${launch[@]}" sed -i "${sed_script[@]}" "${files[@]}" 2>"$work/timing" ;;
      perl) "${launch[@]}" perl -pi "${perl_script[@]}" "${files[@]}" 2>"$work/timing" ;;
    esac
  )
  tail -n 1 "$work/timing"
}

median() { sort -g | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; }

# Medians of wall-clock and of CPU time (user + system) per tool; the CPU
# figures are steadier on a machine that others are using.
bench_shape() {
  local label="$1" corpus="$2" work="$3" count="$4"
  local -A wall=() cpu=()
  local rep tool line
  for ((rep = 1; rep <= count; rep++)); do
    for tool in ravo least sed perl; do
      line="$(time_tool "$tool" "$corpus" "$work")"
      wall[$tool]+="$(cut -d' ' -f1 <<<"$line")"$'\n'
      cpu[$tool]+="$(cut -d' ' -f3 <<<"$line")"$'\n'
    done
  done
  local kind r l s p
  for kind in wall cpu; do
    local -n times="$kind"
    r="$(printf '%s' "${times[ravo]}" | median)"
    l="$(printf '%s' "${times[least]}" | median)"
    s="$(printf '%s' "${times[sed]}" | median)"
    p="$(printf '%s' "${times[perl]}" | median)"
    printf '%-30s %-4s  ravo %7.3f  least %7.3f  sed %7.3f  perl %7.3f   ravo/least %s  ravo/sed %s\n' \
      "$label" "$kind" "$r" "$l" "$s" "$p" "$(ratio "$r" "$l")" "$(ratio "$r" "$s")"
    unset -n times
  done
}

# The flush round for the pairs ORIGINAL REPLACEMENT...: ravo with each
# flush costing flush_ms on top of the real one, ravo with each flush
# costing flush_ms alone (the real one skipped: a device whose flush takes
# that long, without this disk's own write-out), ravo with its flushes
# skipped, and sed -i; the median wall seconds of COUNT repetitions, the
# flushes per file of the costly run and the ratios.
flush_shape() {
  local label="$1" corpus="$2" work="$3" count="$4"
  shift 4
  local counted="$work/flushes" files rep
  files="$(find "$corpus" -mindepth 1 -maxdepth 1 -printf . | wc -c)"
  local -a preload=(--env "LD_PRELOAD=$flush_cost")
  local -A runs=() mid=()
  for ((rep = 1; rep <= count; rep++)); do
    rm -f "$counted"
    runs[cost]+="$(time_tool ravo "$corpus" "$work" "${preload[@]}" --env "RAVO_FLUSH_COST_MS=$flush_ms" \
      --env "RAVO_FLUSH_COUNT_FILE=$counted" "$@" | cut -d' ' -f1)"$'\n'
    runs[flushes]+="$(cat "$counted")"$'\n'
    runs[free]+="$(time_tool ravo "$corpus" "$work" "${preload[@]}" --env RAVO_FLUSH_SKIP=1 "$@" | cut -d' ' -f1)"$'\n'
    runs[model]+="$(time_tool ravo "$corpus" "$work" "${preload[@]}" --env RAVO_FLUSH_SKIP=1 \
      --env "RAVO_FLUSH_COST_MS=$flush_ms" "$@" | cut -d' ' -f1)"$'\n'
    runs[sed]+="$(time_tool sed "$corpus" "$work" "$@" | cut -d' ' -f1)"$'\n'
  done
  local key
  for key in "${!runs[@]}"; do
    mid[$key]="$(printf '%s' "${runs[$key]}" | median)"
  done
  printf '%-30s wall  ravo +%s ms %7.3f  ravo %s ms alone %7.3f  ravo no flush %7.3f  sed %7.3f   flushes/file %s  cost/skipped %s  alone/skipped %s  cost/sed %s\n' \
    "$label" "$flush_ms" "${mid[cost]}" "$flush_ms" "${mid[model]}" "${mid[free]}" "${mid[sed]}" \
    "$(ratio "${mid[flushes]}" "$files")" "$(ratio "${mid[cost]}" "${mid[free]}")" \
    "$(ratio "${mid[model]}" "${mid[free]}")" "$(ratio "${mid[cost]}" "${mid[sed]}")"
}

echo "== making corpora in $shm and $disk"
if round_wanted shm; then
  make_corpus "$shm/small" 4000 6144
  make_corpus "$shm/large" 4 $((24 * 1024 * 1024))
fi
if round_wanted disk || round_wanted flush; then
  make_corpus "$disk/small" 4000 6144
fi
if round_wanted disk; then
  make_corpus "$disk/large" 4 $((24 * 1024 * 1024))
fi

if round_wanted shm || round_wanted disk; then
  echo "== medians of $reps repetitions on /dev/shm, $disk_reps on disk (seconds)"
fi
if round_wanted shm; then
  bench_shape "4000 files of 6 KiB, /dev/shm" "$shm/small" "$shm" "$reps"
  bench_shape "4 files of 24 MiB, /dev/shm" "$shm/large" "$shm" "$reps"
fi
if round_wanted disk; then
  bench_shape "4000 files of 6 KiB, disk" "$disk/small" "$disk" "$disk_reps"
  bench_shape "4 files of 24 MiB, disk" "$disk/large" "$disk" "$disk_reps"
fi

if round_wanted line; then
  mkdir -p "$shm/line"
  perl -e 'my $piece = "lorem ipsum dolor sit amet "; my $n = int(64 * 1024 * 1024 / length $piece);
           binmode STDOUT; print $piece x int($n / 2), "foo ", $piece x ($n - int($n / 2))' >"$shm/line/one.txt"
  read -r seconds peak _ < <(time_tool ravo "$shm/line" "$shm")
  size_kib=$(( $(stat -c %s "$shm/line/one.txt") / 1024 ))
  printf '%-30s       ravo %7.3f s   peak RSS %d KiB (%.2f x the file; target below 2 x)\n' \
    "one line of 64 MiB" "$seconds" "$peak" "$(awk -v a="$peak" -v b="$size_kib" 'BEGIN { print a / b }')"
fi

if round_wanted flush; then
  echo "== flushes costing $flush_ms ms each, or skipped: medians of $disk_reps repetitions on disk (seconds)"
  flush_shape "4000 files of 6 KiB, 1 pair" "$disk/small" "$disk" "$disk_reps" foo bar
  flush_shape "4000 files of 6 KiB, 4 pairs" "$disk/small" "$disk" "$disk_reps" \
    foo bar bar baz baz qux lorem LOREM
fi
