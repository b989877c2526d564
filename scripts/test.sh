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

# Runs ctest and adds its counts to the totals.
run_ctest() {
  local name=$1
  shift
  local out
  out=$(mktemp)
  ctest "$@" 2>&1 | tee "$out"
  local line
  line=$(grep -E 'tests passed, [0-9]+ tests failed out of [0-9]+' "$out" | tail -n 1)
  rm -f "$out"
  if [ -z "$line" ]; then
    failed=$((failed + 1))
    summary+=("$name: ctest did not finish")
    return
  fi
  local bad total
  bad=$(sed -E 's/.* ([0-9]+) tests failed out of ([0-9]+).*/\1/' <<<"$line")
  total=$(sed -E 's/.* ([0-9]+) tests failed out of ([0-9]+).*/\2/' <<<"$line")
  passed=$((passed + total - bad))
  failed=$((failed + bad))
  summary+=("$name: $((total - bad)) of $total passed")
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
