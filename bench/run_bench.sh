#!/usr/bin/env bash
# Benchmark of a whole run: ravo_driver --pair foo bar against GNU sed -i and
# perl -pi on fresh copies of the same corpus, side by side in one run, and
# the peak memory of a run over one 64 MiB line. Not part of the tests.
#
#   bench/run_bench.sh [REPETITIONS]      (default 5)
#
# Builds the driver in Release in build-bench/ (RAVO_BENCH_BUILD_DIR to change)
# and works in a temporary folder that is removed at the end. Prints the
# median seconds of each tool, the ratio driver/sed, and the peak RSS.
set -euo pipefail

root="$(cd "$(dirname "$0")/.." && pwd)"
build="${RAVO_BENCH_BUILD_DIR:-$root/build-bench}"
reps="${1:-5}"

if [[ ! -f "$build/build.ninja" ]]; then
  cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DRAVO_ENGINE_ONLY=ON >/dev/null
fi
cmake --build "$build" --target ravo_driver ravo_peak_rss >/dev/null
driver="$build/bench/ravo_driver"
timer="$build/bench/ravo_peak_rss"

work="$(mktemp -d "${TMPDIR:-/tmp}/ravo-bench-XXXXXX")"
trap 'rm -rf "$work"' EXIT

# shellcheck source=bench/corpus.sh
source "$root/bench/corpus.sh"

# Runs one tool over a fresh copy of CORPUS; prints "wall-seconds peak-KiB
# cpu-seconds".
time_tool() {
  local tool="$1" corpus="$2"
  local copy="$work/copy"
  rm -rf "$copy"
  cp -r "$corpus" "$copy"
  (
    cd "$copy"
    local -a files=(*)
    case "$tool" in
      driver) "$timer" "$driver" --pair foo bar -- "${files[@]}" >/dev/null 2>"$work/timing" ;;
      sed) "$timer" sed -i 's/foo/bar/' "${files[@]}" 2>"$work/timing" ;;
      perl) "$timer" perl -pi -e 's/foo/bar/' "${files[@]}" 2>"$work/timing" ;;
    esac
  )
  tail -n 1 "$work/timing"
}

median() { sort -g | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }

# Medians of wall-clock and of CPU time (user + system) per tool; the CPU
# figures are steadier on a machine that others are using.
bench_shape() {
  local label="$1" corpus="$2"
  local -A wall=() cpu=()
  local rep tool line
  for ((rep = 1; rep <= reps; rep++)); do
    for tool in driver sed perl; do
      line="$(time_tool "$tool" "$corpus")"
      wall[$tool]+="$(cut -d' ' -f1 <<<"$line")"$'\n'
      cpu[$tool]+="$(cut -d' ' -f3 <<<"$line")"$'\n'
    done
  done
  local kind d s p
  for kind in wall cpu; do
    local -n times="$kind"
    d="$(printf '%s' "${times[driver]}" | median)"
    s="$(printf '%s' "${times[sed]}" | median)"
    p="$(printf '%s' "${times[perl]}" | median)"
    printf '%-22s %-4s  driver %7.3f s   sed %7.3f s   perl %7.3f s   driver/sed %5.2f\n' \
      "$label" "$kind" "$d" "$s" "$p" "$(awk -v a="$d" -v b="$s" 'BEGIN { print a / b }')"
    unset -n times
  done
}

echo "== making corpora in $work"
make_corpus "$work/small" 4000 6144
make_corpus "$work/large" 4 $((24 * 1024 * 1024))
mkdir -p "$work/line"
perl -e 'my $piece = "lorem ipsum dolor sit amet "; my $n = int(64 * 1024 * 1024 / length $piece);
         binmode STDOUT; print $piece x int($n / 2), "foo ", $piece x ($n - int($n / 2))' >"$work/line/one.txt"

echo "== $reps repetitions, medians"
bench_shape "4000 files of 6 KiB" "$work/small"
bench_shape "4 files of 24 MiB" "$work/large"

read -r seconds peak _ < <(time_tool driver "$work/line")
size_kib=$(( $(stat -c %s "$work/line/one.txt") / 1024 ))
printf '%-22s       driver %7.3f s   peak RSS %d KiB (%.2f x the file; budget 4 x)\n' \
  "one line of 64 MiB" "$seconds" "$peak" "$(awk -v a="$peak" -v b="$size_kib" 'BEGIN { print a / b }')"
