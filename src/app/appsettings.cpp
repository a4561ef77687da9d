#include "app/appsettings.h"

#include "common/inifile.h"
#include "common/paths.h"

AppSettings readSettings(const IniFile& ini) {
    using namespace IniKeys;
    AppSettings s;
    s.directory = ini.value(mainSection, directory, s.directory);
    s.dataFolder = normalizeFolder(s.directory);
    bool ok = false;
    const int z = ini.value(mainSection, zoom, QStringLiteral("100")).trimmed().toInt(&ok);
    s.zoom = ok && z >= 10 && z <= 1000 ? z : 100;
    s.backup = ini.value(mainSection, backup).trimmed();
    const auto whole = [&](const QString& key, int def, int lo, int hi) {
        bool good = false;
        const int v = ini.value(mainSection, key).trimmed().toInt(&good);
        return good && v >= lo && v <= hi ? v : def;
    };
    s.backupDays = whole(backupDays, s.backupDays, 1, 3650);
    s.backupMonths = whole(backupMonths, s.backupMonths, 0, 600);

    s.stampante1 = ini.value(intestaSection, stampante1, s.stampante1);
    s.stampante2 = ini.value(intestaSection, stampante2, s.stampante2);
    s.esportazione = ini.value(intestaSection, esportazione, s.esportazione);
    s.exportFolder = normalizeFolder(s.esportazione);
    s.intestaDirectory = ini.value(intestaSection, directory, s.intestaDirectory);

    s.selAnno = ini.value(fattureSection, selAnno, s.selAnno);
    s.selTipo = ini.value(fattureSection, selTipo, s.selTipo);
    s.fattureDirectory = ini.value(fattureSection, directory, s.fattureDirectory);
    return s;
}

AppSettings readSettingsFile(const QString& path) {
    IniFile ini;
    ini.load(path);
    return readSettings(ini);
}

namespace {
struct Globals {
    AppSettings settings = [] {
        AppSettings s;
        s.dataFolder = normalizeFolder(s.directory);
        s.exportFolder = normalizeFolder(s.esportazione);
        return s;
    }();
    QString defaultVat;
};
Globals& globals() {
    static Globals g;
    return g;
}
}  // namespace

namespace App {
const AppSettings& settings() {
    return globals().settings;
}
void setSettings(const AppSettings& s) {
    globals().settings = s;
}
QString dataFolder() {
    return globals().settings.dataFolder;
}
int zoom() {
    return globals().settings.zoom;
}
QString defaultVatRate() {
    return globals().defaultVat;
}
void setDefaultVatRate(const QString& rate) {
    globals().defaultVat = rate;
}
}  // namespace App
