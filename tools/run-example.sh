#!/usr/bin/env bash
# The main job: until generation exists, the program shows how it is called.
set -eu
BUILD=${1:-build}
exec "$BUILD/bin/quillmark" -help
