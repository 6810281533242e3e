#!/usr/bin/env bash
# Speed and memory figures: the Google Benchmark programs, then whole-process
# timings of ynvex-cli.   scripts/bench.sh [BUILD_DIR]   (default build/)
# Needs hyperfine and /usr/bin/time (scripts/install-deps.sh --tools).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
dir=${1:-"$top/build"}
for tool in hyperfine /usr/bin/time; do
    if ! command -v "$tool" >/dev/null; then
        echo "bench: $tool not found; run scripts/install-deps.sh --tools" >&2
        exit 1
    fi
done
"$top/scripts/build.sh" "$dir" >/dev/null
cli="$dir/app/cli/ynvex-cli"

echo "== machine"
grep -m1 'model name' /proc/cpuinfo || true
echo "cores: $(nproc)"

echo "== Google Benchmark"
"$dir/ynvex_bench" --benchmark_repetitions=3 --benchmark_report_aggregates_only=true

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$cli" --machine demo dump "$work/demo" --all >/dev/null
files=()
i=0
while [ ${#files[@]} -lt 100 ]; do
    for f in "$work"/demo/dimm*.bin; do
        cp "$f" "$work/dump$i.bin"
        files+=("$work/dump$i.bin")
        i=$((i + 1))
        [ ${#files[@]} -ge 100 ] && break
    done
done

echo "== whole process"
hyperfine -N --warmup 5 --runs 50 \
    -n "ynvex-cli decode (100 dump files)" "$cli decode ${files[*]}" \
    -n "ynvex-cli --machine demo --all" "$cli --machine demo --all"
/usr/bin/time -f "peak RSS %M KiB: ynvex-cli --machine demo --all" \
    "$cli" --machine demo --all >/dev/null
/usr/bin/time -f "peak RSS %M KiB: ynvex-cli decode (100 dump files)" \
    "$cli" decode "${files[@]}" >/dev/null
