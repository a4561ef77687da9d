#include "documents/duedates.h"

QString data_scadenza(int mesi, bool piuDieci, bool fineMese, const QDate& data) {
    if (!data.isValid()) return {};
    int anno = data.year();
    int mese = data.month() + mesi;
    if (mese > 12) {
        mese -= 12;
        ++anno;
    }
    int giorno = data.day();
    if (giorno >= 28 || fineMese) giorno = QDate(anno, mese, 1).daysInMonth();
    QDate d(anno, mese, giorno);
    if (piuDieci) d = d.addDays(10);
    return d.toString(QStringLiteral("dd/MM/yyyy "));
}

QString Scadenza(const QString& termini, const QDate& data) {
    if (!data.isValid()) return {};
    const QString t = termini.toUpper();
    const bool piuDieci = t.contains(QLatin1String("+10"));
    const bool fineMese = t.contains(QLatin1String("FM")) || t.contains(QLatin1String("F.M."));
    static const struct {
        const char* giorni;
        int mesi;
    } termine[] = {{"30", 1}, {"60", 2}, {"90", 3}, {"120", 4}};
    QString out;
    bool trovato = false;
    for (const auto& s : termine) {
        if (!t.contains(QLatin1String(s.giorni))) continue;
        trovato = true;
        out += data_scadenza(s.mesi, piuDieci, fineMese, data);
    }
    return trovato ? out : data.toString(QStringLiteral("dd/MM/yyyy"));
}
