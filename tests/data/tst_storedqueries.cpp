#include <QtTest>

#include "data/cursor.h"
#include "data/dataset.h"
#include "data/schema.h"
#include "support/testfolder.h"

namespace {
void journal(TestFolder& tf, const QString& date, const QString& code, double litri,
             const QString& tipo, bool exported = false, const QString& doc = {}) {
    tf.insert("Giornale", {{"Data_Ora", date + " 00:00:00"},
                           {"Cod_vino", code},
                           {"Litri", litri},
                           {"Tipo", tipo},
                           {"Esportato", exported ? 1 : 0},
                           {"Docum_numero", doc}});
}
}  // namespace

class TestStoredQueries : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void theFiveAreInTheDatabase() {
        TestFolder tf;
        for (const char* n :
             {"Unum", "Esporta_N", "Esporta_BF", "Esporta_controllo", "BolleDaFatturare"})
            QVERIFY(!tf.db().storedQuerySql(QString::fromLatin1(n)).isEmpty());
        QVERIFY_THROWS_EXCEPTION(DatabaseError, tf.db().storedQuerySql("Nessuna"));
    }

    void unumGivesTheHighestNumberPerKindAndYear() {
        TestFolder tf;
        tf.insert("Fatture", {{"Docum_numero", "F-2025-000007"},
                              {"Doc_tipo", "F"},
                              {"Anno", "2025"},
                              {"Num_fattura", 7}});
        tf.insert("Fatture", {{"Docum_numero", "F-2025-000012"},
                              {"Doc_tipo", "F"},
                              {"Anno", "2025"},
                              {"Num_fattura", 12}});
        tf.insert("Fatture", {{"Docum_numero", "F-2024-000090"},
                              {"Doc_tipo", "F"},
                              {"Anno", "2024"},
                              {"Num_fattura", 90}});
        tf.insert("Fatture", {{"Docum_numero", "B-2025-000030"},
                              {"Doc_tipo", "B"},
                              {"Anno", "2025"},
                              {"Num_fattura", 30}});
        DataSet q(tf.db(), "LookNum");
        q.setStoredQuery("Unum", {"F", "2025"});
        q.open();
        QCOMPARE(q.recordCount(), 1);
        QCOMPARE(q["MaxDiNum_fattura"].asInteger(), 12);
        QCOMPARE(q["MaxDiDocum_numero"].asString(), QString("F-2025-000012"));
        q.close();
        q.setParams({"N", "2025"});
        q.open();
        QVERIFY(q.isEmpty());
    }

    void esportaNSumsDirectSalesInThePeriod() {
        TestFolder tf;
        tf.insert("Prodotti",
                  {{"Codice_prodotto", "BAR"}, {"Descrizione", "Barbera"}, {"Stato", "1"}});
        tf.insert("Prodotti",
                  {{"Codice_prodotto", "DOL"}, {"Descrizione", "Dolcetto"}, {"Stato", "2"}});
        journal(tf, "2025-03-01", "BAR", 2.5, "N");
        journal(tf, "2025-03-31", "BAR", 1.0, "N");         // last day of the period counts
        journal(tf, "2025-04-01", "BAR", 9.0, "N");         // outside
        journal(tf, "2025-03-10", "BAR", 5.0, "B");         // not a direct sale
        journal(tf, "2025-03-10", "DOL", 0.75, "N", true);  // exported
        journal(tf, "2025-03-10", "XXX", 3.0, "N");         // no product: inner join drops it
        DataSet q(tf.db(), "corrispettivi");
        q.setStoredQuery("Esporta_N", {QDate(2025, 3, 1), QDate(2025, 3, 31)});
        q.open();
        QCOMPARE(q.recordCount(), 1);
        QCOMPARE(q["Cod_vino"].asString(), QString("BAR"));
        QCOMPARE(q["Descrizione"].asString(), QString("Barbera"));
        QCOMPARE(q["SommaDiLitri"].asFloat(), 3.5);
        QCOMPARE(q["SommaDiLitri"].type(), FieldType::Float);
        QCOMPARE(q["Esportato"].asBool(), false);
    }

    void esportaBFListsDocumentMovementsInOrder() {
        TestFolder tf;
        tf.insert("Prodotti", {{"Codice_prodotto", "BAR"}, {"Descrizione", "Barbera"}});
        journal(tf, "2025-03-05", "BAR", 1, "F", false, "F-2025-000002");
        journal(tf, "2025-03-02", "BAR", 2, "B", false, "B-2025-000001");
        journal(tf, "2025-03-03", "BAR", 3, "N");
        journal(tf, "2025-03-04", "BAR", 4, "X");
        DataSet q(tf.db(), "documenti");
        q.setStoredQuery("Esporta_BF", {QDate(2025, 3, 1), QDate(2025, 3, 31)});
        q.open();
        QCOMPARE(q.recordCount(), 2);
        QCOMPARE(q["Docum_numero"].asString(), QString("B-2025-000001"));
        QCOMPARE(q["Data_Ora"].asDateTime().date(), QDate(2025, 3, 2));
        q.next();
        QCOMPARE(q["Tipo"].asString(), QString("F"));
    }

    // The journal's document movements come in index order, without a temporary sort, and the
    // direct sales are summed per product in index order, without a temporary tree to group
    // them; both give the rows the sort gave, in the same order: ties of date and document
    // broken by line, other kinds, exported rows, rows outside the period and movements of no
    // product left out (lines are unique, so the order is one).
    void journalViewsServedByTheirIndex_data() {
        QTest::addColumn<QString>("query");
        QTest::addColumn<QString>("index");
        QTest::addColumn<QString>("work");
        QTest::newRow("documents") << "Esporta_BF"
                                   << "Giornale_Esportato_Data"
                                   << "TEMP B-TREE";
        QTest::newRow("direct sales") << "Esporta_N"
                                      << "Giornale_Tipo_Cod_vino"
                                      << "TEMP B-TREE FOR GROUP BY";
    }
    void journalViewsServedByTheirIndex() {
        QFETCH(QString, query);
        QFETCH(QString, index);
        QFETCH(QString, work);
        TestFolder tf;
        Database& db = tf.db();
        for (const char* code : {"BAR", "NEB", "VER"})
            tf.insert("Prodotti", {{"Codice_prodotto", code}, {"Descrizione", code}});
        for (int i = 0; i < 240; ++i) {
            const QString day = QDate(2025, 3, 1 + (i * 7) % 31).toString(Qt::ISODate);
            tf.insert(
                "Giornale",
                {{"Data_Ora", day + (i % 3 ? " 00:00:00" : " 10:30:00")},
                 {"Cod_vino", QStringList{"BAR", "NEB", "VER", "ARN"}[i % 5 == 4 ? 3 : i % 3]},
                 {"Litri", i},
                 {"Tipo", QString("BFNX").at(i % 4)},
                 {"Esportato", i % 7 == 0 ? 1 : 0},
                 {"Docum_numero", QString("D-%1").arg(i % 9)},
                 {"Riga_num", (i * 37 + 11) % 241}});
        }
        const QString sql = db.storedQuerySql(query);
        const QVariantList period{QDateTime(QDate(2025, 3, 3), QTime(0, 0)),
                                  QDateTime(QDate(2025, 3, 28), QTime(23, 59, 59))};
        const auto rows = [&] {
            QStringList out;
            SqlCursor c(db, sql, period);
            while (c.step()) {
                QStringList cells;
                for (int i = 0; i < c.columns(); ++i) cells << c.text(i);
                out << cells.join('|');
            }
            return out;
        };
        const auto plan = [&] {
            QStringList out;
            SqlCursor c(db, "EXPLAIN QUERY PLAN " + sql, period);
            while (c.step()) out << c.text(3);
            return out.join('\n');
        };
        QVERIFY2(!plan().contains(work), qPrintable(plan()));
        const QStringList indexed = rows();
        db.exec("DROP INDEX " + index);
        QVERIFY2(plan().contains(work), qPrintable(plan()));
        const QStringList sorted = rows();
        QVERIFY(indexed.size() >= (query == u"Esporta_N" ? 3 : 50));
        QCOMPARE(indexed, sorted);
    }

    void esportaControlloGivesTheSpan() {
        TestFolder tf;
        DataSet q(tf.db(), "controllo");
        q.setStoredQuery("Esporta_controllo");
        q.open();
        QVERIFY(q.isEmpty());  // empty journal: no row, no error
        q.close();
        journal(tf, "2025-01-10", "A", 1, "N");
        journal(tf, "2025-02-20", "A", 1, "B");
        q.open();
        QCOMPARE(q["MI"].asDateTime().date(), QDate(2025, 1, 10));
        QCOMPARE(q["MA"].asDateTime().date(), QDate(2025, 2, 20));
        QCOMPARE(q["NUM"].asInteger(), 2);
    }

    void bolleDaFatturareOfOneCustomer() {
        TestFolder tf;
        tf.insert("Fatture", {{"Docum_numero", "B-2025-000001"},
                              {"Doc_tipo", "B"},
                              {"Codice", "C1"},
                              {"Fatturato", "N"},
                              {"Totale", 10.5}});
        tf.insert("Fatture", {{"Docum_numero", "B-2025-000002"},
                              {"Doc_tipo", "B"},
                              {"Codice", "C1"},
                              {"Fatturato", "S"}});
        tf.insert("Fatture", {{"Docum_numero", "B-2025-000003"},
                              {"Doc_tipo", "B"},
                              {"Codice", "C2"},
                              {"Fatturato", "N"}});
        tf.insert("Fatture", {{"Docum_numero", "F-2025-000001"},
                              {"Doc_tipo", "F"},
                              {"Codice", "C1"},
                              {"Fatturato", "N"}});
        DataSet q(tf.db(), "selebolle");
        q.setStoredQuery("BolleDaFatturare", {"C1"});
        q.open();
        QCOMPARE(q.recordCount(), 1);
        QCOMPARE(q["Docum_numero"].asString(), QString("B-2025-000001"));
        QCOMPARE(q["Totale"].asFloat(), 10.5);  // currency read back in euros
    }

    void schemaFileMatchesTheDefinitions() {
        QFile f(QStringLiteral(VINORDA_SCHEMA_SQL));
        QVERIFY(f.open(QIODevice::ReadOnly));
        QStringList lines = QString::fromUtf8(f.readAll()).split(QLatin1Char('\n'));
        lines.removeIf([](const QString& l) { return l.startsWith(QLatin1String("--")); });
        QCOMPARE(lines.join(QLatin1Char('\n')), Schema::schemaSql());
    }

    void schemaHasTheTenTablesInOrder() {
        QStringList names;
        for (const auto& t : Schema::tables()) names << t.name;
        QCOMPARE(names, QStringList({"Intesta", "Anagrafica", "Prodotti", "Imballi", "IVA",
                                     "Fatture", "Righe", "Giornale", "Appoggio_R", "Appoggio_I"}));
        TestFolder tf;
        QSqlQuery q = tf.db().select("PRAGMA table_info(Fatture)");
        QStringList cols;
        while (q.next()) cols << q.value(1).toString();
        QCOMPARE(cols.size(), 48);
        QCOMPARE(cols.first(), QString("Docum_numero"));
        QCOMPARE(cols.last(), QString("Pagato_note"));
    }
};

QTEST_GUILESS_MAIN(TestStoredQueries)
#include "tst_storedqueries.moc"
