#!/bin/sh
# Renders every template of a data folder to PDF (vinorda-dati stampa) and to PNG (pdftoppm),
# so a person can look at each one.
#   scripts/render-templates.sh DIR OUTDIR [--documento NUMERO]
# VINORDA_DATI names the tool (default: build/tools/vinorda-dati).
set -eu
if [ $# -lt 2 ]; then
  echo "Uso: $0 CARTELLA_DATI CARTELLA_USCITA [--documento NUMERO]" >&2
  exit 2
fi
dir=$1
outdir=$2
shift 2
here=$(cd "$(dirname "$0")/.." && pwd)
tool=${VINORDA_DATI:-$here/build/tools/vinorda-dati}
command -v pdftoppm >/dev/null || { echo "pdftoppm non trovato (pacchetto poppler-utils)" >&2; exit 1; }
mkdir -p "$outdir"
failed=0
for frf in "$dir"/stampe/*.frf; do
  name=$(basename "$frf" .frf)
  pdf="$outdir/$name.pdf"
  if QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen} "$tool" stampa "$dir" "$name" "$pdf" "$@"; then
    rm -f "$outdir/$name"-*.png
    pdftoppm -r 80 -png "$pdf" "$outdir/$name"
  else
    echo "ERRORE: $name" >&2
    failed=1
  fi
done
exit $failed
