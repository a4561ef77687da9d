#!/usr/bin/env bash
# Installs what is missing, builds, prepares ./demo once and starts the program in it.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh"
cmake -S "$root" -B "$root/build" -G Ninja -DCMAKE_BUILD_TYPE=Release
cmake --build "$root/build" --target vinorda vinorda-dati
if [ ! -e "$root/demo/database.mdb" ]; then
  "$root/build/tools/vinorda-dati" demo "$root/demo"
fi
cd "$root/demo"
exec "$root/build/src/app/vinorda"
