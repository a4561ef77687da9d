#include "documents/numbering.h"

#include <QSqlQuery>

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
    QString sql = db.storedQuerySql(QStringLiteral("Unum")).trimmed();
    if (sql.endsWith(QLatin1Char(';'))) sql.chop(1);
    QSqlQuery q = db.select(sql, {serie, QStringLiteral("%1").arg(anno, 4, 10, QLatin1Char('0'))});
    if (!q.next()) return 1;
    const QVariant max = q.value(QStringLiteral("MaxDiNum_fattura"));
    return max.isNull() ? 1 : max.toInt() + 1;
}

bool numeroEsistente(Database& db, const QString& documNumero) {
    return db.scalar(QStringLiteral("SELECT 1 FROM Fatture WHERE Docum_numero = ?"), {documNumero})
        .isValid();
}
