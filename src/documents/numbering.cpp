#include "documents/numbering.h"

#include "data/database.h"
#include "documents/kinds.h"

QString docum_numero(const QString& prefisso, int anno, int numero) {
    return QStringLiteral("%1%2-%3")
        .arg(prefisso)
        .arg(anno, 4, 10, QLatin1Char('0'))
        .arg(numero, 6, 10, QLatin1Char('0'));
}

QString docum_numero(const DocumentKind& kind, int anno, int numero) {
    return docum_numero(kind.prefisso, anno, numero);
}

int prossimo_numero(Database& db, const QString& serie, int anno) {
    // The stored query Unum's answer (the highest Num_fattura of the series and year), asked so
    // that the index on series, year and number finds it without reading the series.
    const QVariant max = db.scalar(
        QStringLiteral("SELECT MAX(Num_fattura) FROM Fatture WHERE Doc_tipo = ? AND Anno = ?"),
        {serie, QStringLiteral("%1").arg(anno, 4, 10, QLatin1Char('0'))});
    return max.isValid() && !max.isNull() ? max.toInt() + 1 : 1;
}

bool numeroEsistente(Database& db, const QString& documNumero) {
    return db.scalar(QStringLiteral("SELECT 1 FROM Fatture WHERE Docum_numero = ?"), {documNumero})
        .isValid();
}
