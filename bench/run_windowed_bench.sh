#!/usr/bin/env bash
# Benchmark of a whole run through the windows: ravo_windowed_run (offscreen,
# from pressing continue to the end of the run) against ravo_driver --pair foo
# bar, each on a fresh copy of the same corpus, side by side in one run. Not
# part of the tests.
#
#   bench/run_windowed_bench.sh [ROUNDS]      (default 5; 3 for 40,000 files)
#   bench/run_windowed_bench.sh --help        (this text)
#
# Builds in Release in build-windowed-bench/ (RAVO_WINDOWED_BUILD_DIR to
# change), makes 4,000 and 40,000 files of 6 KiB with the corpus maker of
# run_bench.sh on /dev/shm (RAVO_BENCH_DIR to change) in a folder that is
# removed at the end, and prints each round, the medians of wall-clock and CPU
# seconds and the ratios windowed/driver (targets: at most 1.1 at 4,000 files,
# 1.15 at 40,000). Then the peak memory of a run over the 40,000 files with
# four pairs (160,001 log lines), and the log alone at that length.
set -euo pipefail

root="$(cd "$(dirname "$0")/.." && pwd)"
# shellcheck source=bench/arguments.sh
source "$root/bench/arguments.sh"
bench_arguments "$0" 1 "$@"
build="${RAVO_WINDOWED_BUILD_DIR:-$root/build-windowed-bench}"
rounds="${1:-5}"
large_rounds="${1:-3}"

if [[ ! -f "$build/build.ninja" ]]; then
  cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
fi
cmake --build "$build" --target ravo_driver ravo_windowed_run ravo_peak_rss ravo_log_at_scale >/dev/null
driver="$build/bench/ravo_driver"
windowed="$build/bench/ravo_windowed_run"
timer="$build/bench/ravo_peak_rss"
log_alone="$build/bench/ravo_log_at_scale"

# Both benchmarks time the same kind of files.
# shellcheck source=bench/corpus.sh
source "$root/bench/corpus.sh"

base="${RAVO_BENCH_DIR:-/dev/shm}"
[[ -d "$base" && -w "$base" ]] || base="${TMPDIR:-/tmp}"
work="$(mktemp -d "$base/ravo-windowed-bench-XXXXXX")"
trap 'rm -rf "$work"' EXIT

# A fresh copy of the corpus, written out before the clock starts.
fresh_copy() {
  rm -rf "$work/copy"
  cp -r "$1" "$work/copy"
  sync
}

# Each prints "wall-seconds cpu-seconds" of one run over a fresh copy. The
# files are named relative to the copy: 40,000 full paths would not fit on a
# command line.
time_driver() {
  fresh_copy "$1"
  (
    cd "$work/copy"
    local -a files=(*)
    "$timer" "$driver" --pair foo bar -- "${files[@]}" >/dev/null 2>"$work/timing"
  )
  tail -n 1 "$work/timing" | cut -d' ' -f1,3
}
time_windowed() {
  fresh_copy "$1"
  (
    cd "$work/copy"
    local -a files=(*)
    "$windowed" "${files[@]}" 2>"$work/windowed.err"
  ) || { cat "$work/windowed.err" >&2; return 1; }
}

median() { sort -g | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; }

# Rounds over one corpus: each round's figures, then the medians and ratios.
bench_corpus() {
  local label="$1" corpus="$2" count="$3" target="$4"
  echo "== $label, $count rounds (seconds: wall cpu)"
  local ww="" wc="" dw="" dc="" w d round
  for ((round = 1; round <= count; round++)); do
    # Alternate which goes first, so neither always finds the machine busier.
    if ((round % 2)); then
      d="$(time_driver "$corpus")"
      w="$(time_windowed "$corpus")"
    else
      w="$(time_windowed "$corpus")"
      d="$(time_driver "$corpus")"
    fi
    printf 'round %2d   windowed %8.3f %8.3f   driver %8.3f %8.3f\n' "$round" $w $d
    ww+="${w% *}"$'\n'
    wc+="${w#* }"$'\n'
    dw+="${d% *}"$'\n'
    dc+="${d#* }"$'\n'
  done
  local mww mwc mdw mdc
  mww="$(printf '%s' "$ww" | median)"
  mwc="$(printf '%s' "$wc" | median)"
  mdw="$(printf '%s' "$dw" | median)"
  mdc="$(printf '%s' "$dc" | median)"
  printf 'median     windowed %8.3f %8.3f   driver %8.3f %8.3f   windowed/driver wall %s cpu %s (target at most %s)\n' \
    "$mww" "$mwc" "$mdw" "$mdc" "$(ratio "$mww" "$mdw")" "$(ratio "$mwc" "$mdc")" "$target"
}

echo "== making the corpora in $work"
make_corpus "$work/small" 4000 6144
make_corpus "$work/large" 40000 6144

bench_corpus "4000 files of 6 KiB" "$work/small" "$rounds" 1.1
bench_corpus "40000 files of 6 KiB" "$work/large" "$large_rounds" 1.15

echo "== memory: 40000 files, four pairs (160001 log lines)"
fresh_copy "$work/large"
(
  cd "$work/copy"
  files=(*)
  "$timer" "$windowed" --every-pair "${files[@]}" >"$work/four.out" 2>"$work/timing"
) || { cat "$work/timing" >&2; exit 1; }
read -r run_wall run_cpu <"$work/four.out"
read -r _ peak _ < <(tail -n 1 "$work/timing")
printf 'windowed run   %8.3f s wall %8.3f s cpu   peak RSS %d KiB\n' "$run_wall" "$run_cpu" "$peak"
"$log_alone" 160001 2>/dev/null | sed 's/^/log alone      /'
