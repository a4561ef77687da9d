#!/bin/sh
# A CUPS scheduler of the tests' own, as the scheduler's own test suite runs one: configuration,
# spool, logs and socket under FOLDER, the capture backend next to this script, and one raw
# queue whose jobs land as files in FOLDER/capture. Nothing of the machine's printing system is
# used or changed, and no root is needed. The scheduler runs in the foreground (exec): whoever
# starts this script owns it and stops it. Clients reach it with CUPS_SERVER=FOLDER/cups.sock.
#   private-cups.sh FOLDER [QUEUE]
# Exit status 77: no scheduler can be run here (tests skip); other: set-up fault.
# Debian packages: cups-daemon cups-client
set -u
[ $# -ge 1 ] || { echo "usage: private-cups.sh FOLDER [QUEUE]" >&2; exit 2; }
DIR=$1
QUEUE=${2:-vinorda-scontrino}
HERE=$(cd "$(dirname "$0")" && pwd)

cannot() { echo "private-cups: $*" >&2; exit 77; }
fail() { echo "private-cups: $*" >&2; exit 1; }

CUPSD=$(command -v cupsd 2>/dev/null || echo /usr/sbin/cupsd)
[ -x "$CUPSD" ] || cannot "cupsd not found (package cups-daemon)"
EXEC=/usr/lib/cups/daemon/cups-exec
[ -x "$EXEC" ] || cannot "$EXEC not found (package cups-daemon)"
case "$DIR" in /*) ;; *) fail "FOLDER must be an absolute path" ;; esac

mkdir -p "$DIR/bin/backend" "$DIR/bin/daemon" "$DIR/bin/filter" "$DIR/spool/temp" \
    "$DIR/log" "$DIR/cache" "$DIR/state" "$DIR/capture" || fail "cannot create $DIR"
# The scheduler's user (lp when it runs as root) must reach the spool and the backend.
chmod 0755 "$DIR" "$DIR/bin" "$DIR/bin/backend" "$DIR/bin/daemon" "$DIR/bin/filter"
chmod 1777 "$DIR/capture"
# As root a backend runs as root only when no one else may read it; otherwise as the caller.
if [ "$(id -u)" -eq 0 ]; then mode=0700; else mode=0755; fi
install -m "$mode" "$HERE/capture" "$DIR/bin/backend/capture" || fail "cannot install the backend"
ln -sf "$EXEC" "$DIR/bin/daemon/cups-exec"

if [ "$(id -u)" -eq 0 ]; then
    owner="User lp
Group lp
SystemGroup root"
else
    owner="SystemGroup $(id -gn)"
fi

cat >"$DIR/cups-files.conf" <<CONF
$owner
ServerRoot $DIR
StateDir $DIR/state
CacheDir $DIR/cache
DataDir /usr/share/cups
ServerBin $DIR/bin
RequestRoot $DIR/spool
TempDir $DIR/spool/temp
AccessLog $DIR/log/access_log
ErrorLog $DIR/log/error_log
PageLog $DIR/log/page_log
Printcap $DIR/printcap
FileDevice No
CONF

cat >"$DIR/cupsd.conf" <<CONF
Listen $DIR/cups.sock
Browsing No
BrowseLocalProtocols none
WebInterface No
LogLevel warn
MaxLogSize 0
DefaultAuthType None
<Location />
Order allow,deny
Allow all
</Location>
<Policy default>
<Limit All>
Order deny,allow
</Limit>
</Policy>
CONF

# The queue is there from the start: a raw queue (no driver) passes the bytes unfiltered.
cat >"$DIR/printers.conf" <<CONF
<Printer $QUEUE>
Info Coda di prova (i lavori finiscono in $DIR/capture)
DeviceURI capture:$DIR/capture
State Idle
StateTime 0
Type 4
Accepting Yes
Shared No
JobSheets none none
QuotaPeriod 0
PageLimit 0
KLimit 0
OpPolicy default
ErrorPolicy stop-printer
</Printer>
CONF

exec "$CUPSD" -f -c "$DIR/cupsd.conf" -s "$DIR/cups-files.conf"
