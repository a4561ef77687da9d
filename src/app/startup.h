#pragma once
// What the main window does when it is created, without any window: settings, maintenance,
// connection, default VAT rate, the company header opened for the whole run.
#include <QString>

#include "app/appsettings.h"
#include "data/database.h"

class SharedData;

struct StartupReport {
    AppSettings settings;
    bool maintenanceRan = false;  // false when another program holds the database
    MaintenanceResult maintenance;
    bool opened = false;    // connection open and Intestazione open
    bool readOnly = false;  // opened, but nothing can be saved (Database::readOnlyReason)
    QString defaultVatRate;
    QString error;  // the text of the error that stopped the sequence, else empty
    // What the user must know although the program runs: vinorda.ini unreadable (defaults in
    // use, settings not saved), a backup not written, the database read-only, no lock marker.
    QStringList warnings;
};

// Options of the start-up maintenance from the settings.
MaintenanceOptions maintenanceOptions(const AppSettings& settings);

// Steps after the settings are read: close the connection, maintain the database when nobody
// else holds it, open it, read the default VAT rate, open Intestazione. Any error stops the
// sequence and is returned (not shown); the connection then stays closed.
StartupReport startDatabase(const AppSettings& settings, Database& db, SharedData& shared);

// The whole creation logic: vinorda.ini read from iniPath, then startDatabase. The process-wide
// values (App::settings, App::defaultVatRate) are set from the result.
StartupReport runStartup(const QString& iniPath, Database& db, SharedData& shared);

// Display text of field IVA of the first row of TAB_IVA (IVA by Ordine); empty when the table
// is empty. TAB_IVA is opened and closed again.
QString readDefaultVatRate(SharedData& shared);

// Copies sourceFolder + fileName to targetFolder + newName (empty newName: the same name),
// replacing an existing file. The folders are prefixes ending with "/". True when the copy
// succeeded; on failure an existing target is left as it was.
bool trasferisci(const QString& sourceFolder, const QString& fileName, const QString& targetFolder,
                 const QString& newName = QString());
