#!/usr/bin/env bash
# The main job: install what is missing, build, and print the all-slots report
# of the built-in demo mainboard.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
"$top/scripts/install-deps.sh"
"$top/scripts/build.sh" "$top/build" >/dev/null
exec "$top/build/ynvex-pciscan" "$@"
