#include "app/startup.h"

#include <QFile>
#include <QFileInfo>

#include "common/inifile.h"
#include "data/migrations.h"
#include "data/shareddata.h"

QString readDefaultVatRate(SharedData& shared) {
    DataSet& iva = shared.TAB_IVA;
    const bool wasOpen = iva.isOpen();
    if (!wasOpen) iva.open();
    QString rate;
    if (!iva.isEmpty()) {
        iva.first();
        rate = iva.field(QStringLiteral("IVA")).displayText();
    }
    if (!wasOpen) iva.close();
    return rate;
}

MaintenanceOptions maintenanceOptions(const AppSettings& settings) {
    MaintenanceOptions o;
    o.backups.folder = settings.backup;
    o.backups.days = settings.backupDays;
    o.backups.months = settings.backupMonths;
    o.datedCopyLater = true;  // taken by the main window while the program starts
    return o;
}

StartupReport startDatabase(const AppSettings& settings, Database& db, SharedData& shared) {
    StartupReport r;
    r.settings = settings;
    const QString folder = settings.dataFolder;
    try {
        for (DataSet* ds : shared.all()) ds->close();
        db.close();
        // A database written by a newer program is refused before anything touches it.
        Migrations::refuseNewer(folder + Database::fileName());
        if (!Database::inUseElsewhere(folder)) {
            r.maintenance = Database::maintain(folder, maintenanceOptions(settings));
            r.maintenanceRan = r.maintenance.ran;
            if (!r.maintenance.error.isEmpty()) {
                r.error = r.maintenance.error;
                return r;
            }
        }
        db.open(folder);
        // The schema brought to this program's version, once the backup above is written (a
        // database opened read-only is used as it is).
        if (!db.isReadOnly()) Migrations::upgrade(db);
        if (db.isReadOnly()) {
            r.readOnly = true;
            r.warnings << QStringLiteral(
                              "Il database è aperto in SOLA LETTURA: %1.\nSi possono "
                              "consultare i dati, ma nessuna modifica verrà salvata.")
                              .arg(db.readOnlyReason());
        }
        if (!db.lockMarkerProblem().isEmpty()) r.warnings << db.lockMarkerProblem();
        // The copies that could not be written come after what concerns the whole run.
        r.warnings << r.maintenance.warnings;
        r.defaultVatRate = readDefaultVatRate(shared);
        shared.Intestazione.open();
        r.opened = true;
    } catch (const DatabaseError& e) {
        r.error = e.text();
        for (DataSet* ds : shared.all()) ds->close();
    }
    return r;
}

StartupReport runStartup(const QString& iniPath, Database& db, SharedData& shared) {
    IniFile ini;
    // An unreadable file counts as absent (the defaults), but the user hears about it.
    const bool readable = ini.load(iniPath);
    const AppSettings settings = readSettings(readable ? ini : IniFile());
    App::setSettings(settings);
    StartupReport r = startDatabase(settings, db, shared);
    if (!readable)
        r.warnings.prepend(ini.errorString() +
                           QStringLiteral(".\nSono in uso le impostazioni predefinite, e le "
                                          "impostazioni non verranno salvate finché il file non "
                                          "sarà riparato."));
    App::setDefaultVatRate(r.defaultVatRate);
    return r;
}

bool trasferisci(const QString& sourceFolder, const QString& fileName, const QString& targetFolder,
                 const QString& newName) {
    const QString source = sourceFolder + fileName;
    const QString target = targetFolder + (newName.isEmpty() ? fileName : newName);
    if (QFileInfo(source).absoluteFilePath() == QFileInfo(target).absoluteFilePath())
        return QFile::exists(source);
    if (!QFile::exists(source)) return false;
    // Copy under a temporary name first: a failed copy must not cost the old target.
    const QString temp = target + QStringLiteral(".tmp");
    QFile::remove(temp);
    if (!QFile::copy(source, temp)) {
        QFile::remove(temp);
        return false;
    }
    if (QFile::exists(target) && !QFile::remove(target)) {
        QFile::remove(temp);
        return false;
    }
    return QFile::rename(temp, target);
}
