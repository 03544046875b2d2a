#!/usr/bin/env bash
# Benchmark of a whole run through the windows: ravo_windowed_run (offscreen,
# from pressing continue to the end of the run) against ravo_driver --pair foo
# bar, each on a fresh copy of the same corpus, side by side in one run. Not
# part of the tests.
#
#   bench/run_windowed_bench.sh [ROUNDS]      (default 5)
#
# Builds both in Release in build-windowed-bench/ (RAVO_WINDOWED_BUILD_DIR to
# change), makes 4,000 files of 6 KiB with the corpus maker of run_bench.sh in
# a temporary folder that is removed at the end, and prints each round, the
# median seconds of each and the ratio windowed/driver (target: at most 1.25).
set -euo pipefail

root="$(cd "$(dirname "$0")/.." && pwd)"
build="${RAVO_WINDOWED_BUILD_DIR:-$root/build-windowed-bench}"
rounds="${1:-5}"

if [[ ! -f "$build/build.ninja" ]]; then
  cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
fi
cmake --build "$build" --target ravo_driver ravo_windowed_run ravo_peak_rss >/dev/null
driver="$build/bench/ravo_driver"
windowed="$build/bench/ravo_windowed_run"
timer="$build/bench/ravo_peak_rss"

# Both benchmarks time the same kind of files.
# shellcheck source=bench/corpus.sh
source "$root/bench/corpus.sh"

work="$(mktemp -d "${TMPDIR:-/tmp}/ravo-windowed-bench-XXXXXX")"
trap 'rm -rf "$work"' EXIT

# A fresh copy of the corpus, written out before the clock starts.
fresh_copy() {
  rm -rf "$work/copy"
  cp -r "$work/corpus" "$work/copy"
  sync
}

# Each prints the seconds of one run over a fresh copy.
time_driver() {
  fresh_copy
  local -a files=("$work/copy"/*)
  "$timer" "$driver" --pair foo bar -- "${files[@]}" >/dev/null 2>"$work/timing"
  tail -n 1 "$work/timing" | cut -d' ' -f1
}
time_windowed() {
  fresh_copy
  local -a files=("$work/copy"/*)
  "$windowed" "${files[@]}" 2>"$work/windowed.err" || { cat "$work/windowed.err" >&2; return 1; }
}

median() { sort -g | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }

echo "== making the corpus in $work"
make_corpus "$work/corpus" 4000 6144

echo "== 4000 files of 6 KiB, $rounds rounds (seconds)"
w_times=""
d_times=""
for ((round = 1; round <= rounds; round++)); do
  # Alternate which goes first, so neither always finds the disk busier.
  if ((round % 2)); then
    d="$(time_driver)"
    w="$(time_windowed)"
  else
    w="$(time_windowed)"
    d="$(time_driver)"
  fi
  printf 'round %2d   windowed %8.3f   driver %8.3f\n' "$round" "$w" "$d"
  w_times+="$w"$'\n'
  d_times+="$d"$'\n'
done

w="$(printf '%s' "$w_times" | median)"
d="$(printf '%s' "$d_times" | median)"
printf 'median     windowed %8.3f   driver %8.3f   windowed/driver %5.2f (target at most 1.25)\n' \
  "$w" "$d" "$(awk -v a="$w" -v b="$d" 'BEGIN { print a / b }')"
