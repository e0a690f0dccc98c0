#!/usr/bin/env bash
# Formats every C++ source file of the project with its .clang-format.
set -euo pipefail
cd "$(dirname "$0")/.."
git ls-files '*.cpp' '*.h' | xargs clang-format -i
