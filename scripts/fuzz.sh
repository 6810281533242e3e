#!/usr/bin/env bash
# Fuzzes the dump-file reader, the decoders and the report with libFuzzer
# for a bounded time:  scripts/fuzz.sh [SECONDS]   (default 60)
# Needs clang and libclang-rt-14-dev (scripts/install-deps.sh --tools).
# Builds in build-fuzz/; the corpus grows in build-fuzz/corpus, seeded with
# the dump fixtures. A crash leaves build-fuzz/crash-* and exit status 1:
# turn it into a test in tests/app/ before fixing it.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-60}
out="$top/build-fuzz"
cxx=${CXX_FUZZ:-clang++}
if ! command -v "$cxx" >/dev/null; then
    echo "fuzz: $cxx not found; run scripts/install-deps.sh --tools" >&2
    exit 1
fi
mkdir -p "$out/corpus"
cp -n "$top"/tests/data/dumpfile/* "$out/corpus/" 2>/dev/null || true

sources=("$top/fuzz/spd_fuzz.cpp" "$top"/app/Udumpfile.cpp "$top"/app/Ureport.cpp
         "$top"/app/Uviews.cpp "$top"/app/Uutf8.cpp)
for dir in hw detect spd decode; do
    for f in "$top/$dir"/*.cpp; do
        case "$f" in */hw/ports_*.cpp) continue ;; esac
        sources+=("$f")
    done
done
"$cxx" -std=c++20 -O1 -g -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=all \
    -I"$top" "${sources[@]}" -o "$out/spd_fuzz"
cd "$out"
exec ./spd_fuzz -max_total_time="$seconds" -max_len=4096 -timeout=5 -print_final_stats=1 \
    corpus
