#!/usr/bin/env bash
# Installs what is missing, builds with warnings as errors, runs every test and the style check.
# The tests leave the machine's printers as they found them: the spooler tests run a scheduler of
# their own, and `lpstat -v` is compared before and after.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh"
unset CUPS_SERVER

sudo=""
[ "$(id -u)" -ne 0 ] && command -v sudo >/dev/null 2>&1 && sudo="sudo"
# Earlier versions of the spooler tests installed a queue and a backend in the machine's printing
# system, where real programs could print into them: they go.
if command -v lpstat >/dev/null 2>&1 &&
  lpstat -v vinorda-scontrino 2>/dev/null | grep -q 'capture:'; then
  echo "Tolgo la coda di prova vinorda-scontrino lasciata da test precedenti"
  $sudo lpadmin -x vinorda-scontrino || echo "Avviso: impossibile togliere la coda vinorda-scontrino" >&2
fi
old_backend=/usr/lib/cups/backend/capture
if [ -f "$old_backend" ] && grep -q 'Vinorda capture folder' "$old_backend"; then
  echo "Tolgo $old_backend lasciato da test precedenti"
  $sudo rm -f "$old_backend" || echo "Avviso: impossibile togliere $old_backend" >&2
fi
[ -d /var/tmp/vinorda-cups-capture ] && $sudo rm -rf /var/tmp/vinorda-cups-capture

printers() { lpstat -v 2>&1 || true; }
printers_before=$(printers)

cmake -S "$root" -B "$root/build" -G Ninja -DVINORDA_WERROR=ON
cmake --build "$root/build"
rc=0
(cd "$root/build" && ctest --output-on-failure) || rc=$?

printers_after=$(printers)
if [ "$printers_before" != "$printers_after" ]; then
  echo "Errore: i test hanno cambiato le stampanti della macchina (lpstat -v):" >&2
  diff <(echo "$printers_before") <(echo "$printers_after") >&2 || true
  rc=1
fi
[ "$rc" -eq 0 ] || exit "$rc"

cd "$root"
find src tests tools bench -type f \( -name '*.cpp' -o -name '*.h' \) -print0 |
  xargs -0 -r clang-format --dry-run --Werror
echo "Tutti i test superati."
