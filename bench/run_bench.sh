#!/usr/bin/env bash
# Benchmark of a whole run: ravo_driver --pair foo bar against the least work
# a safe rewrite can do (least_work.c beside this script), GNU sed -i and
# perl -pi, on fresh copies of the same corpus, side by side in one run, on
# /dev/shm and on disk; then the peak memory of a run over one 64 MiB line.
# Not part of the tests.
#
#   bench/run_bench.sh [REPETITIONS [DISK_REPETITIONS]]      (default 3 and 1)
#
# Builds the driver in Release in build-bench/ (RAVO_BENCH_BUILD_DIR to
# change) and least_work with cc -O2 there. The corpora go into a temporary
# folder on /dev/shm and one on disk (RAVO_BENCH_DISK_DIR, default /var/tmp),
# both removed at the end. Prints the median wall-clock and CPU seconds of
# each tool and the ratios ravo/least and ravo/sed. On disk every file costs
# least_work (and a run that flushes its files) a wait for the disk, so fewer
# repetitions are made there.
set -euo pipefail

root="$(cd "$(dirname "$0")/.." && pwd)"
build="${RAVO_BENCH_BUILD_DIR:-$root/build-bench}"
reps="${1:-3}"
disk_reps="${2:-1}"

if [[ ! -f "$build/build.ninja" ]]; then
  cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DRAVO_ENGINE_ONLY=ON >/dev/null
fi
cmake --build "$build" --target ravo_driver ravo_peak_rss >/dev/null
driver="$build/bench/ravo_driver"
timer="$build/bench/ravo_peak_rss"
least="$build/bench/least_work"
cc -O2 -o "$least" "$root/bench/least_work.c"

shm="$(mktemp -d /dev/shm/ravo-bench-XXXXXX)"
disk="$(mktemp -d "${RAVO_BENCH_DISK_DIR:-/var/tmp}/ravo-bench-XXXXXX")"
trap 'rm -rf "$shm" "$disk"' EXIT

# shellcheck source=bench/corpus.sh
source "$root/bench/corpus.sh"

# Runs one tool over a fresh copy of CORPUS in WORK; prints "wall-seconds
# peak-KiB cpu-seconds".
time_tool() {
  local tool="$1" corpus="$2" work="$3"
  local copy="$work/copy"
  rm -rf "$copy"
  cp -r "$corpus" "$copy"
  sync
  (
    cd "$copy"
    local -a files=(*)
    case "$tool" in
      ravo) "$timer" "$driver" --pair foo bar -- "${files[@]}" >/dev/null 2>"$work/timing" ;;
      least) "$timer" "$least" foo bar "${files[@]}" 2>"$work/timing" ;;
      sed) "$timer" sed -i 's/foo/bar/' "${files[@]}" 2>"$work/timing" ;;
      perl) "$timer" perl -pi -e 's/foo/bar/' "${files[@]}" 2>"$work/timing" ;;
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

echo "== making corpora in $shm and $disk"
for place in "$shm" "$disk"; do
  make_corpus "$place/small" 4000 6144
  make_corpus "$place/large" 4 $((24 * 1024 * 1024))
done

echo "== medians of $reps repetitions on /dev/shm, $disk_reps on disk (seconds)"
bench_shape "4000 files of 6 KiB, /dev/shm" "$shm/small" "$shm" "$reps"
bench_shape "4 files of 24 MiB, /dev/shm" "$shm/large" "$shm" "$reps"
bench_shape "4000 files of 6 KiB, disk" "$disk/small" "$disk" "$disk_reps"
bench_shape "4 files of 24 MiB, disk" "$disk/large" "$disk" "$disk_reps"

mkdir -p "$shm/line"
perl -e 'my $piece = "lorem ipsum dolor sit amet "; my $n = int(64 * 1024 * 1024 / length $piece);
         binmode STDOUT; print $piece x int($n / 2), "foo ", $piece x ($n - int($n / 2))' >"$shm/line/one.txt"
read -r seconds peak _ < <(time_tool ravo "$shm/line" "$shm")
size_kib=$(( $(stat -c %s "$shm/line/one.txt") / 1024 ))
printf '%-30s       ravo %7.3f s   peak RSS %d KiB (%.2f x the file; target below 2 x)\n' \
  "one line of 64 MiB" "$seconds" "$peak" "$(awk -v a="$peak" -v b="$size_kib" 'BEGIN { print a / b }')"
