# The benchmark scripts' arguments, sourced by each script before it does
# anything: -h or --help prints the script's opening comment and ends with
# status 0; an option or anything but a count ends it with status 2, before a
# build starts or a file is written.
#
#   bench_arguments SCRIPT MAX_COUNTS ARGUMENT...
bench_arguments() {
  local script="$1" max="$2" name
  name="$(basename "$script")"
  shift 2
  local arg
  for arg in "$@"; do
    case "$arg" in
      -h | --help)
        sed -n '2,/^[^#]/{/^#/s/^# \{0,1\}//p}' "$script"
        exit 0
        ;;
    esac
  done
  for arg in "$@"; do
    case "$arg" in
      -*) echo "$name: unknown option '$arg' (--help shows the usage)" >&2; exit 2 ;;
      '' | *[!0-9]* | 0) echo "$name: '$arg' is not a count of repetitions (--help shows the usage)" >&2; exit 2 ;;
    esac
  done
  if (($# > max)); then
    echo "$name: $# counts, at most $max (--help shows the usage)" >&2
    exit 2
  fi
}
