#!/usr/bin/env bash
# The companion's what-if table from the outside: generates tables of 100,000
# and 1,000,000 rows, runs the real ambrelix-cli --csv on each under
# /usr/bin/time -v, and reports rows per second and the peak resident memory,
# which should be the same for both sizes. Each size runs twice: the plain
# table, and the same rows with a material column under --extras, so the
# surfaces, metal and mass are computed for every row.
#
#   bench/csv_batch.sh [path/to/ambrelix-cli]   (default: build/native/app/ambrelix-cli)
set -euo pipefail

cli=${1:-build/native/app/ambrelix-cli}
if [[ ! -x $cli ]]; then
  echo "no executable at $cli; build it first or pass its path" >&2
  exit 1
fi
if [[ ! -x /usr/bin/time ]]; then
  echo "/usr/bin/time is missing (Debian package: time)" >&2
  exit 1
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Both modes, tails on and off, two-decimal inputs; a fixed seed for
# repeatable tables. With a third argument, a material column as well.
generate() {
  awk -v rows="$1" -v material="${3:-}" 'BEGIN {
    srand(20240611)
    split("copper,brass,aluminium,carbon steel,stainless steel,titanium", metals, ",")
    printf "mode,D,P,A,n,OD,ID,t1,t2,tail1,tail2%s\n", material ? ",material" : ""
    for (i = 0; i < rows; i++) {
      d = 20 + rand() * 380; p = 3 + rand() * 6; od = 1 + rand() * 2; t1 = rand() * 300; t2 = rand() * 300
      if (i % 2 == 0)
        printf "height,%.2f,%.2f,%.2f,,%.2f,1.20,%.2f,%.2f,%d,%d", d, p, 50 + rand() * 850, od, t1, t2, i % 3 == 0, i % 5 == 0
      else
        printf "turns,%.2f,%.2f,,%.2f,%.2f,1.20,%.2f,%.2f,%d,%d", d, p, 1 + rand() * 79, od, t1, t2, i % 3 == 0, i % 5 == 0
      printf "%s\n", material ? "," metals[i % 6 + 1] : ""
    }
  }' > "$2"
}

printf '%10s %-9s %10s %12s %12s %14s\n' rows options seconds rows/s "CPU seconds" "max RSS (KiB)"
echo "$(nproc) cores; load average $(cut -d' ' -f1-3 /proc/loadavg)"
for rows in 100000 1000000; do
  for extras in "" --extras; do
    generate "$rows" "$work/table.csv" "$extras"
    start=$(date +%s%N)
    /usr/bin/time -v "$cli" --csv "$work/table.csv" ${extras:+"$extras"} > "$work/out.csv" \
      2> "$work/time.txt"
    end=$(date +%s%N)
    written=$(($(wc -l < "$work/out.csv") - 1))
    if [[ $written -ne $rows ]]; then
      echo "expected $rows rows out, got $written" >&2
      exit 1
    fi
    seconds=$(awk -v ns=$((end - start)) 'BEGIN { print ns / 1e9 }')
    rss=$(awk -F': ' '/Maximum resident set size/ { print $2 }' "$work/time.txt")
    # User plus system time: on a busy machine it shows the work apart from the waiting.
    cpu=$(awk -F': ' '/(User|System) time \(seconds\)/ { s += $2 } END { print s }' "$work/time.txt")
    awk -v r="$rows" -v o="${extras:-plain}" -v s="$seconds" -v c="$cpu" -v m="$rss" \
      'BEGIN { printf "%10d %-9s %10.3f %12.0f %12.2f %14d\n", r, o, s, (s > 0 ? r / s : 0), c, m }'
    rm -f "$work/out.csv"
  done
done
