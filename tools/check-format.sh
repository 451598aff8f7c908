#!/usr/bin/env bash
# Fails when a C++ file of ours is not formatted as .clang-format says.
# Format a file with: clang-format -i FILE
set -euo pipefail
cd "$(dirname "$0")/.."
git ls-files '*.cpp' '*.h' | xargs clang-format --dry-run --Werror
