#!/usr/bin/env bash
# Installs what is missing, builds and runs every test:
#   scripts/test.sh            normal build in build/
#   scripts/test.sh --asan     AddressSanitizer + UBSan build in build-asan/
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
"$top/scripts/install-deps.sh"
if [ "${1:-}" = "--asan" ]; then
    dir="$top/build-asan"
    "$top/scripts/build.sh" "$dir" -DYNVEX_SANITIZE=ON
else
    dir="$top/build"
    "$top/scripts/build.sh" "$dir"
fi
cd "$dir"
ctest --output-on-failure -j2 --timeout 600
