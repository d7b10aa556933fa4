#!/usr/bin/env bash
# The main job: generates the example report from examples/ with the program's batch mode, then says
# where the report is and how many sheets it has. Run from anywhere; the build folder is the first
# argument (default build).
set -eu
cd "$(dirname "$0")/.."
BUILD=${1:-build}
OUT="$BUILD/example-report.zorrep"

# The command line the README shows.
"$BUILD/bin/quillmark" -gen examples/sales.zordot -path=examples/sales -outfile="$OUT"

SHEETS=$("$BUILD/bin/quillmark_example" sheets "$OUT")
echo "Отчёт: $(realpath "$OUT")"
echo "Листов: $SHEETS"
