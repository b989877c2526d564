#!/usr/bin/env bash
# Runs the libFuzzer targets (tests/fuzz) at length, one after another, and
# prints for each the executions done, the time taken, the coverage reached
# (edges and features, as libFuzzer counts them), the corpus and the
# findings. Builds the fuzz preset first.
#
#   bench/fuzz.sh [-n RUNS] [-t SECONDS] [TARGET...]
#
# RUNS defaults to 10,000,000 executions per target; -t SECONDS stops a
# target after that time instead, whichever comes first (0, the default:
# no time limit). TARGET is a name such as csv_batch; all of them by
# default. Each target starts from its seeds in tests/fuzz/corpus/TARGET
# and keeps what it learns in build/fuzz/corpus/TARGET, so a later run goes
# on from there. A finding (crash-, leak-, timeout- or oom- file) is written
# to build/fuzz/findings/ and stops that target; the exit status is 1 when
# there was one.
set -uo pipefail
cd "$(dirname "$0")/.."

runs=10000000
seconds=0
while getopts "n:t:" option; do
  case $option in
    n) runs=$OPTARG ;;
    t) seconds=$OPTARG ;;
    *) sed -n '2,/^set /p' "$0" | sed '$d' | sed 's/^# \{0,1\}//' >&2; exit 2 ;;
  esac
done
shift $((OPTIND - 1))

if [ $# -gt 0 ]; then
  targets=("$@")
else
  targets=()
  for source in tests/fuzz/*_fuzzer.cpp; do
    name=$(basename "$source" _fuzzer.cpp)
    targets+=("$name")
  done
fi

cmake --preset fuzz >/dev/null && cmake --build --preset fuzz >/dev/null || {
  echo "the fuzz build failed (cmake --build --preset fuzz)" >&2
  exit 1
}

findings_dir=build/fuzz/findings
mkdir -p "$findings_dir"
printf '%-14s %12s %9s %7s %7s %14s %s\n' target executions seconds cov ft corpus findings
echo "$(nproc) cores; load average $(cut -d' ' -f1-3 /proc/loadavg)"
status=0
for target in "${targets[@]}"; do
  binary=build/fuzz/tests/fuzz/${target}_fuzzer
  if [ ! -x "$binary" ]; then
    echo "$target: no fuzzer at $binary" >&2
    status=1
    continue
  fi
  corpus=build/fuzz/corpus/$target
  mkdir -p "$corpus"
  log=build/fuzz/$target.log
  before=$(find "$findings_dir" -name "$target-*" | wc -l)
  start=$(date +%s)
  "$binary" -runs="$runs" -max_total_time="$seconds" -timeout=60 -print_final_stats=1 \
    -artifact_prefix="$findings_dir/$target-" "$corpus" "tests/fuzz/corpus/$target" >"$log" 2>&1
  code=$?
  end=$(date +%s)
  after=$(find "$findings_dir" -name "$target-*" | wc -l)
  executed=$(awk '/stat::number_of_executed_units/ { n = $NF } END { print n + 0 }' "$log")
  read -r cov ft corp < <(awk '/ cov: / {
      for (i = 1; i <= NF; i++) {
        if ($i == "cov:") c = $(i + 1); if ($i == "ft:") f = $(i + 1); if ($i == "corp:") p = $(i + 1)
      } }
      END { print (c == "" ? "-" : c), (f == "" ? "-" : f), (p == "" ? "-" : p) }' "$log")
  found=$((after - before))
  verdict=none
  if [ "$code" -ne 0 ] || [ "$found" -gt 0 ]; then
    verdict="$found (exit $code, see $log)"
    status=1
  fi
  printf '%-14s %12d %9d %7s %7s %14s %s\n' "$target" "$executed" $((end - start)) "$cov" "$ft" \
    "$corp" "$verdict"
done
exit $status
