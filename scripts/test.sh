#!/usr/bin/env bash
# Builds Ambrelix and runs every test: the native tests, the Windows build's
# tests under Wine (in a throwaway prefix on a private X display) and a short
# run of each fuzzer. Installs what is missing first.
set -uo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh || exit 1

passed=0
failed=0
summary=()

# Runs ctest; its exit status says whether the step passed. The counts from
# its summary only go into the totals shown at the end.
run_ctest() {
  local name=$1
  shift
  local out status
  out=$(mktemp)
  ctest "$@" 2>&1 | tee "$out"
  status=${PIPESTATUS[0]}
  local line
  line=$(grep -E 'tests passed, [0-9]+ tests failed out of [0-9]+' "$out" | tail -n 1)
  rm -f "$out"
  local bad=0 total=0
  if [ -n "$line" ]; then
    bad=$(sed -E 's/.* ([0-9]+) tests failed out of ([0-9]+).*/\1/' <<<"$line")
    total=$(sed -E 's/.* ([0-9]+) tests failed out of ([0-9]+).*/\2/' <<<"$line")
  fi
  if [ "$status" -ne 0 ]; then
    # A failure ctest did not count (a crash of ctest, no tests found) still fails.
    [ "$bad" -eq 0 ] && bad=1
    failed=$((failed + bad))
    [ "$total" -ge "$bad" ] && passed=$((passed + total - bad))
    summary+=("$name: ctest failed with exit status $status")
    return
  fi
  passed=$((passed + total))
  summary+=("$name: $total of $total passed")
}

build() {
  cmake --preset "$1" >/dev/null && cmake --build --preset "$1"
}

echo "== native build and tests"
if build native; then
  run_ctest native --preset native -j "$(nproc)"
else
  failed=$((failed + 1)); summary+=("native: build failed")
fi

echo "== Windows build and tests under Wine"
if build win32; then
  # shellcheck source=scripts/wine-env.sh
  source scripts/wine-env.sh
  wine_env_start
  run_ctest win32 --preset win32
else
  failed=$((failed + 1)); summary+=("win32: build failed")
fi

echo "== fuzzing every parser of untrusted bytes, briefly"
# Each target runs from its seeds for AMBRELIX_FUZZ_SECONDS (default 15);
# bench/fuzz.sh runs them at length.
if build fuzz; then
  for source in tests/fuzz/*_fuzzer.cpp; do
    target=$(basename "$source" _fuzzer.cpp)
    corpus=$(mktemp -d)
    log=build/fuzz/$target-short.log
    if build/fuzz/tests/fuzz/${target}_fuzzer -max_total_time="${AMBRELIX_FUZZ_SECONDS:-15}" \
        -timeout=60 -artifact_prefix="build/fuzz/$target-" "$corpus" "tests/fuzz/corpus/$target" \
        >/dev/null 2>"$log"; then
      passed=$((passed + 1)); summary+=("fuzz $target: clean")
    else
      tail -40 "$log"
      failed=$((failed + 1)); summary+=("fuzz $target: crash or sanitizer report, see $log")
    fi
    rm -rf "$corpus"
  done
else
  failed=$((failed + 1)); summary+=("fuzz: build failed")
fi

echo
printf '%s\n' "${summary[@]}"
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
