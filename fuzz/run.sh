#!/usr/bin/env bash
# Runs the libFuzzer targets of the fuzz preset (see fuzz/README.md).
#
#   fuzz/run.sh check
#       Builds the targets, then runs each on its seed corpus for a fixed share of about a
#       minute. Fails when any target finds a crash, a leak, a timeout or too much memory.
#       The test command runs this.
#   fuzz/run.sh long TARGET SECONDS [libFuzzer options...]
#       Runs one target (command_line, ini, number, expand, link) for a long time on a working
#       corpus in build/fuzz/corpus/TARGET, seeded from fuzz/corpus/TARGET, as one job at
#       low priority. Its log is build/fuzz/long/TARGET/fuzz-0.log, ending with the final
#       statistics; findings go to build/fuzz/findings/.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$root/build/fuzz
# The presets are found from the source folder.
cd "$root"

# Each target fails an input that uses more than 10 s of processor time (cpu_budget.h).
# libFuzzer's -timeout counts wall-clock time, which a busy machine stretches twentyfold and
# more at nice 19, so it is set far higher: it only has to catch an input that never ends.
#
# Options every run of a target uses. The command line runs with a memory limit, so a line
# that grows without bound fails the run instead of taking the machine's memory.
target_options() {
  case "$1" in
    command_line) echo "-rss_limit_mb=512 -max_len=4096 -dict=$root/fuzz/dict/command_line.dict" ;;
    ini) echo "-rss_limit_mb=512 -max_len=8192" ;;
    number) echo "-rss_limit_mb=512 -max_len=256 -dict=$root/fuzz/dict/number.dict" ;;
    expand) echo "-rss_limit_mb=1024 -max_len=4096 -dict=$root/fuzz/dict/expand.dict" ;;
    link) echo "-rss_limit_mb=512 -max_len=2048 -dict=$root/fuzz/dict/link.dict" ;;
    *) echo "unknown target: $1" >&2; return 1 ;;
  esac
}

# Seconds of the check run: a little over a minute in all.
check_seconds() {
  case "$1" in
    command_line) echo 24 ;;
    ini) echo 14 ;;
    expand) echo 12 ;;
    number) echo 10 ;;
    link) echo 8 ;;
  esac
}

build_targets() {
  cmake --preset fuzz >/dev/null
  cmake --build --preset fuzz -j2
}

check() {
  build_targets
  local failed=0 target work log
  for target in command_line ini number expand link; do
    work=$(mktemp -d)
    log=$work/log
    # The seed corpus is only read: new inputs go to the working folder.
    if "$build/fuzz/${target}_fuzzer" "$work" "$root/fuzz/corpus/$target" \
        $(target_options "$target") -max_total_time="$(check_seconds "$target")" \
        -timeout=120 -artifact_prefix="$work/" -print_final_stats=1 >"$log" 2>&1; then
      echo "$target: $(grep -o 'stat::number_of_executed_units: *[0-9]*' "$log" | grep -o '[0-9]*$') runs, no findings"
      rm -rf "$work"
    else
      failed=1
      mkdir -p "$build/findings"
      cp "$work"/crash-* "$work"/leak-* "$work"/timeout-* "$work"/oom-* "$build/findings/" 2>/dev/null || true
      echo "$target: FAILED (findings in $build/findings); the end of its log:"
      tail -40 "$log"
      rm -rf "$work"
    fi
  done
  return $failed
}

long() {
  local target=$1 seconds=$2
  shift 2
  local options
  options=$(target_options "$target")
  build_targets >/dev/null
  mkdir -p "$build/corpus/$target" "$build/findings" "$build/long/$target"
  # libFuzzer writes the job's log to fuzz-0.log in the current folder.
  cd "$build/long/$target"
  # Shorter stack traces for allocations and a smaller quarantine: several times faster. To
  # see a finding with full detail, run the target on it without these options.
  ASAN_OPTIONS=${ASAN_OPTIONS:-malloc_context_size=5:max_malloc_fill_size=0:quarantine_size_mb=16} \
    nice -n 19 "$build/fuzz/${target}_fuzzer" "$build/corpus/$target" "$root/fuzz/corpus/$target" \
    $options -max_total_time="$seconds" -timeout=600 -jobs=1 -workers=1 \
    -artifact_prefix="$build/findings/" -print_final_stats=1 "$@" >/dev/null 2>&1 || true
  tail -8 fuzz-0.log
}

case "${1:-}" in
  check) check ;;
  long) [ $# -ge 3 ] || { echo "usage: $0 long TARGET SECONDS [options]" >&2; exit 2; }; shift; long "$@" ;;
  *) echo "usage: $0 check | long TARGET SECONDS [libFuzzer options...]" >&2; exit 2 ;;
esac
