#include "data/migrations.h"

#include <QAtomicInt>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlQuery>

#include "data/database.h"

namespace Migrations {

const QVector<Migration>& all() {
    static const QVector<Migration> steps = {
        {1,
         // The journal, by far the largest table, gets none: every index costs its time in the
         // start-up check and backup, and a customer is seldom deleted.
         QStringLiteral("Indexes for the questions whether a customer or a product is still in "
                        "use before it is deleted"),
         {QStringLiteral("CREATE INDEX IF NOT EXISTS Fatture_Codice ON Fatture(Codice)"),
          QStringLiteral(
              "CREATE INDEX IF NOT EXISTS Fatture_Destinazione ON Fatture(Destinazione)"),
          QStringLiteral("CREATE INDEX IF NOT EXISTS Righe_Codice ON Righe(Codice)"),
          QStringLiteral(
              "CREATE INDEX IF NOT EXISTS Righe_Cod_vino_collegato ON Righe(Cod_vino_collegato)")}},
        {2,
         // Unexported movements in date order come straight from the index, instead of being
         // sorted in a temporary tree every time the journal window selects a period.
         QStringLiteral("Index in the order the journal's document movements are listed"),
         {QStringLiteral("CREATE INDEX IF NOT EXISTS Giornale_Esportato_Data ON "
                         "Giornale(Esportato, Data_Ora, Docum_numero, Riga_num)")}},
        {3,
         // The direct sales summed per product straight in product order, covering the litres:
         // no temporary tree to group hundreds of thousands of movements.
         QStringLiteral("Index in the order the journal's direct sales are summed per product"),
         {QStringLiteral("CREATE INDEX IF NOT EXISTS Giornale_Tipo_Cod_vino ON "
                         "Giornale(Tipo, Esportato, Cod_vino, Data_Ora, Litri)")}},
    };
    return steps;
}

int currentVersion() {
    return all().isEmpty() ? 0 : all().last().version;
}

int versionOf(Database& db) {
    return db.scalar(QStringLiteral("PRAGMA user_version")).toInt();
}

int versionOfFile(const QString& path) {
    if (!QFile::exists(path)) return -1;
    static QAtomicInt counter;
    const QString name = QStringLiteral("vl_version_%1").arg(counter.fetchAndAddRelaxed(1));
    int version = -1;
    {
        QSqlDatabase c = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        c.setDatabaseName(path);
        c.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY;QSQLITE_BUSY_TIMEOUT=60000"));
        if (c.open()) {
            QSqlQuery q(c);
            if (q.exec(QStringLiteral("PRAGMA user_version")) && q.next())
                version = q.value(0).toInt();
        }
        c.close();
    }
    QSqlDatabase::removeDatabase(name);
    return version;
}

QString msgNewerDatabase(const QString& path, int version) {
    return QStringLiteral(
               "   Il database %1 è stato scritto da una versione più recente del programma "
               "(versione dei dati %2, questo programma arriva alla %3).\n"
               "   Il file non è stato modificato: aggiornare il programma per usarlo.   ")
        .arg(path)
        .arg(version)
        .arg(currentVersion());
}

void refuseNewer(const QString& path) {
    const int v = versionOfFile(path);
    if (v > currentVersion()) throw DatabaseError(msgNewerDatabase(path, v));
}

int upgrade(Database& db) {
    const int from = versionOf(db);
    if (from > currentVersion()) throw DatabaseError(msgNewerDatabase(db.path(), from));
    int ran = 0;
    for (const Migration& m : all()) {
        if (m.version <= from) continue;
        Database::Transaction tx(db);
        for (const QString& st : m.statements) db.exec(st);
        db.exec(QStringLiteral("PRAGMA user_version = %1").arg(m.version));
        tx.commit();
        ++ran;
    }
    return ran;
}

}  // namespace Migrations
