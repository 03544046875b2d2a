#!/usr/bin/env bash
# The cheap commands README.md shows, tried as it shows them: every
# `scripts/test` filter and every `--gtest_filter` of a test binary runs at
# least one test, and each benchmark script's --help (and -h) prints its
# usage and ends with status 0, and an unknown option ends it with status 2,
# without building or writing anything.
# Usage: readme_commands.sh SOURCE_DIR BUILD_DIR
set -uo pipefail
source_dir="$1"
build="$2"
readme="$source_dir/README.md"

failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }

scratch="$(mktemp -d)"
said="$(mktemp)"
trap 'rm -rf "$scratch" "$said"' EXIT

mapfile -t filters < <(sed -n 's/^ *scripts\/test \(-[^#]*[^ #]\) *\(#.*\)\{0,1\}$/\1/p' "$readme")
[ ${#filters[@]} -gt 0 ] || fail "README shows no scripts/test filter"
for filter in "${filters[@]}"; do
  read -ra words <<<"$filter"
  count="$(cd "$build" && ctest -N "${words[@]}" | sed -n 's/^Total Tests: //p')"
  [ "${count:-0}" -gt 0 ] || fail "scripts/test $filter runs no test"
  echo "scripts/test $filter: ${count:-0} tests"
done

mapfile -t binaries < <(sed -n "s/^ *build\/\(tests\/[^ ]*\) --gtest_filter='\([^']*\)'.*/\1 \2/p" "$readme")
for line in "${binaries[@]}"; do
  read -r binary pattern <<<"$line"
  count="$("$build/$binary" --gtest_filter="$pattern" 2>&1 | sed -n 's/^\[  PASSED  \] \([0-9]*\) tests\{0,1\}\.$/\1/p')"
  [ "${count:-0}" -gt 0 ] || fail "build/$binary --gtest_filter='$pattern' passes no test"
  echo "build/$binary --gtest_filter='$pattern': ${count:-0} tests"
done

# The scripts are tried as copies in a scratch tree, which must stay as it
# was: a build or a corpus would leave a folder there.
mkdir "$scratch/bench"
cp "$source_dir"/bench/*.sh "$scratch/bench/"
tree() { (cd "$scratch" && find . | sort); }
before="$(tree)"
for script in run_bench.sh run_windowed_bench.sh; do
  for help in --help -h; do
    usage="$(cd "$scratch" && timeout 20 "bench/$script" "$help" 2>"$said")"
    status=$?
    [ "$status" -eq 0 ] || fail "bench/$script $help ends with status $status"
    [[ "$usage" == *"bench/$script"* ]] || fail "bench/$script $help shows no usage"
    [ ! -s "$said" ] || fail "bench/$script $help complains: $(cat "$said")"
  done
  usage="$(cd "$scratch" && timeout 20 "bench/$script" --no-such-option 2>"$said")"
  status=$?
  [ "$status" -eq 2 ] || fail "bench/$script --no-such-option ends with status $status, not 2"
  [ "$(wc -l <"$said")" -eq 1 ] || fail "bench/$script --no-such-option says not one line: $(cat "$said")"
  [ "$(tree)" = "$before" ] || fail "bench/$script wrote files: $(diff <(echo "$before") <(tree))"
done

if [ "$failures" -ne 0 ]; then
  echo "$failures README command(s) do not work as shown" >&2
  exit 1
fi
echo "README's test filters and benchmark usages work as shown"
