#pragma once
// The settings of vinorda.ini that start-up and the other windows read, and the process-wide
// values set at start-up (data folder, zoom, default VAT rate).
#include <QString>

class IniFile;

struct AppSettings {
    // [TMainForm]
    QString directory = QStringLiteral("./");  // DIRECTORY as written in the file
    QString dataFolder;                        // the same, normalised: ends with "/"
    int zoom = 100;
    // Dated copies of the database: the folder as written (empty: "backup/" of the data
    // folder; a relative folder is taken inside the data folder) and how long they are kept.
    QString backup;
    int backupDays = 14;
    int backupMonths = 12;
    // [TfrmIntesta]
    QString stampante1 = QStringLiteral("stampante1");
    QString stampante2 = QStringLiteral("stampante2");
    QString esportazione = QStringLiteral("esportazione");
    QString exportFolder;  // esportazione, normalised like the data folder
    QString intestaDirectory = QStringLiteral("./");
    // [TfrmFatture]
    QString selAnno = QStringLiteral("Tutti");
    QString selTipo = QStringLiteral("Tutti");
    QString fattureDirectory = QStringLiteral("./");
};

// Section and key names of vinorda.ini.
namespace IniKeys {
inline const QString mainSection = QStringLiteral("TMainForm");
inline const QString intestaSection = QStringLiteral("TfrmIntesta");
inline const QString fattureSection = QStringLiteral("TfrmFatture");
inline const QString directory = QStringLiteral("DIRECTORY");
inline const QString zoom = QStringLiteral("ZOOM");
inline const QString backup = QStringLiteral("BACKUP");
inline const QString backupDays = QStringLiteral("BACKUP_GIORNI");
inline const QString backupMonths = QStringLiteral("BACKUP_MESI");
inline const QString stampante1 = QStringLiteral("stampante1_Text");
inline const QString stampante2 = QStringLiteral("stampante2_Text");
inline const QString esportazione = QStringLiteral("esportazione_Text");
inline const QString selAnno = QStringLiteral("sel_anno_Text");
inline const QString selTipo = QStringLiteral("sel_tipo_Text");
}  // namespace IniKeys

// The file name, in the current directory at start-up.
inline QString iniFileName() {
    return QStringLiteral("vinorda.ini");
}
inline QString formIniFileName() {
    return QStringLiteral("form.ini");
}

// Reads the keys with their defaults. A ZOOM that is not a whole number from 10 to 1000 counts
// as 100, so a typing slip in the file cannot make the windows unusable; likewise the backup
// days (1 to 3650) and months (0 to 600).
AppSettings readSettings(const IniFile& ini);
// Reads path (a missing file gives the defaults).
AppSettings readSettingsFile(const QString& path);

// The process-wide values other windows read after start-up.
namespace App {
const AppSettings& settings();
void setSettings(const AppSettings& s);
QString dataFolder();
int zoom();
QString defaultVatRate();
void setDefaultVatRate(const QString& rate);
}  // namespace App
