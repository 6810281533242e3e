#!/usr/bin/env bash
# The main job: install what is missing, build, and print the all-slots report
# of the built-in demo mainboard. Arguments, when given, go to ynvex-cli
# instead (scripts/run.sh --machine demo detect).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
"$top/scripts/install-deps.sh"
"$top/scripts/build.sh" "$top/build" >/dev/null
[ $# -eq 0 ] && set -- --machine demo --all
exec "$top/build/app/cli/ynvex-cli" "$@"
