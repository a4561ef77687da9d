#!/usr/bin/env bash
# Installs what is missing, builds with warnings as errors, runs every test and the style check.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh"
cmake -S "$root" -B "$root/build" -G Ninja -DVINORDA_WERROR=ON
cmake --build "$root/build"
(cd "$root/build" && ctest --output-on-failure)
cd "$root"
find src tests tools bench -type f \( -name '*.cpp' -o -name '*.h' \) -print0 |
  xargs -0 -r clang-format --dry-run --Werror
echo "Tutti i test superati."
