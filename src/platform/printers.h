#pragma once
// The print queues of the system (CUPS), by name.
#include <QString>
#include <QStringList>

// Queue names in the spooler's order (sorted by name); empty without a spooler or printers.
QStringList installedPrinters();

// The user's default queue (lpoptions, $PRINTER/$LPDEST or the server default); empty when there
// is none.
QString defaultPrinter();
