#!/usr/bin/env bash
# Formats the project's C++ sources with its .clang-format (the files format_check checks).
set -euo pipefail
cd "$(dirname "$0")/.."
cmake -DSOURCE="$PWD" -DCLANG_FORMAT="$(command -v clang-format)" -DFIX=ON -P tests/format_check.cmake
