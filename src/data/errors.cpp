#include "data/errors.h"

namespace {
struct Explanation {
    const char* engine;  // as SQLite words it
    const char* italian;
};

// The failures a shop meets: another workstation writing, a full or read-only disk, a damaged
// file. The order matters only where one text contains another.
const Explanation explanations[] = {
    {"database is locked",
     "Il database è occupato da un'altra postazione: riprovare tra qualche istante."},
    {"database table is locked",
     "Il database è occupato da un'altra postazione: riprovare tra qualche istante."},
    {"database or disk is full",
     "Il disco è pieno: i dati non sono stati salvati. Liberare spazio e riprovare."},
    {"attempt to write a readonly database",
     "Il database è aperto in sola lettura: le modifiche non possono essere salvate."},
    {"database disk image is malformed",
     "Il file del database è danneggiato. Rimettere l'ultima copia di sicurezza buona."},
    {"file is not a database", "Il file non è un database del programma, o è danneggiato."},
    {"unable to open database file", "Impossibile aprire il file del database."},
    {"disk I/O error", "Errore di lettura o scrittura sul disco."},
};
}  // namespace

QString explainEngineText(const QString& text) {
    for (const Explanation& e : explanations) {
        const QString engine = QString::fromLatin1(e.engine);
        if (!text.contains(engine, Qt::CaseInsensitive)) continue;
        const QString italian = QString::fromUtf8(e.italian);
        if (text.contains(italian)) return text;  // explained once already
        return italian + QStringLiteral("\n(") + text.trimmed() + QLatin1Char(')');
    }
    return text;
}
