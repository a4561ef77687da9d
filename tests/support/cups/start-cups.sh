#!/bin/sh
# Starts the CUPS scheduler when it is not running, installs the capture backend and creates the
# raw receipt queue whose jobs land as files in the capture folder.
#   VINORDA_CUPS_QUEUE   queue name      (default vinorda-scontrino)
#   VINORDA_CUPS_CAPTURE capture folder  (default /var/tmp/vinorda-cups-capture)
# Prints the capture folder on the last line. Needs root unless everything is already in place.
# Exit status 0: ready; 77: no scheduler can be started here; other: set-up fault.
# Debian packages: cups-daemon cups-client
set -u
QUEUE=${VINORDA_CUPS_QUEUE:-vinorda-scontrino}
CAPTURE=${VINORDA_CUPS_CAPTURE:-/var/tmp/vinorda-cups-capture}
HERE=$(cd "$(dirname "$0")" && pwd)
BACKEND=/usr/lib/cups/backend/capture

fail() { echo "start-cups: $*" >&2; exit 1; }
# Exit status 77: no scheduler can be had on this machine (tests skip); anything else is a fault.
cannot() { echo "start-cups: $*" >&2; exit 77; }
running() { lpstat -r 2>/dev/null | grep -q "is running"; }

command -v lpstat >/dev/null 2>&1 || cannot "lpstat not found (package cups-client)"

if ! running; then
    command -v cupsd >/dev/null 2>&1 || [ -x /usr/sbin/cupsd ] || cannot "cupsd not found (package cups-daemon)"
    [ "$(id -u)" -eq 0 ] || cannot "cupsd is not running and only root can start it"
    mkdir -p /run/cups /var/spool/cups/tmp /var/log/cups /var/cache/cups
    PATH="$PATH:/usr/sbin" cupsd || cannot "cupsd did not start"
    i=0
    while ! running; do
        i=$((i + 1))
        [ $i -le 100 ] || cannot "cupsd did not answer within 10 s"
        sleep 0.1
    done
fi

# The backend runs as root (mode 0700) so it can write wherever the folder is.
if ! cmp -s "$HERE/capture" "$BACKEND"; then
    [ "$(id -u)" -eq 0 ] || fail "cannot install $BACKEND without root"
    install -m 0700 -o root -g root "$HERE/capture" "$BACKEND" || fail "cannot install $BACKEND"
fi

mkdir -p "$CAPTURE" 2>/dev/null
chmod 1777 "$CAPTURE" 2>/dev/null

if ! lpstat -p "$QUEUE" >/dev/null 2>&1 || \
   ! lpstat -v "$QUEUE" 2>/dev/null | grep -q "capture:$CAPTURE\$"; then
    # A queue without a driver passes the bytes unfiltered (raw).
    lpadmin -p "$QUEUE" -E -v "capture:$CAPTURE" -m raw 2>/dev/null ||
        lpadmin -p "$QUEUE" -E -v "capture:$CAPTURE" || fail "lpadmin could not create $QUEUE"
fi
cupsenable "$QUEUE" 2>/dev/null || true
cupsaccept "$QUEUE" 2>/dev/null || true
lpstat -p "$QUEUE" >/dev/null 2>&1 || fail "queue $QUEUE is missing"
echo "$CAPTURE"
