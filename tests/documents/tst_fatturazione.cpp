// Summary invoices from delivery notes and the payments filter, without windows, on a real
// database file.
#include <QTest>

#include "common/format.h"
#include "common/messages.h"
#include "data/dataset.h"
#include "documents/pagamenti.h"
#include "documents/service.h"
#include "support/testfolder.h"

class TestFatturazione : public QObject {
    Q_OBJECT
    std::unique_ptr<TestFolder> tf;

    QVariant sql(const QString& s, const QVariantList& p = {}) { return tf->value(s, p); }
    void header(const char* numero, const char* tipo, const char* ddtfatt, int n,
                const char* cliente, const char* fatturato) {
        tf->insert(QStringLiteral("Fatture"), {{"Docum_numero", numero},
                                               {"Doc_tipo", tipo},
                                               {"DDTFATT", ddtfatt},
                                               {"Anno", "2025"},
                                               {"Num_fattura", n},
                                               {"Data", QDate(2025, 2, 3)},
                                               {"Codice", cliente},
                                               {"Fatturato", fatturato},
                                               {"ALIVA1", "22"},
                                               {"I1", 22}});
    }
    void product(const char* code, const char* stato, double litri, const char* bottiglia) {
        tf->insert(QStringLiteral("Prodotti"),
                   {{"Codice_prodotto", code},
                    {"Descrizione", QStringLiteral("Vino %1").arg(code)},
                    {"Stato", stato},
                    {"Litri", litri},
                    {"Bottiglia", bottiglia},
                    {"Prezzo1", 5.0},
                    {"IVA", "22"}});
    }
    // "code:quantity:discharged" (a line without code is a text line).
    void ddtLine(const QString& doc, const QString& descr) {
        const QStringList p = descr.split(u':');
        const bool bottled = p[0] == u"B9";
        const double lpu = p[0].isEmpty() ? 0 : bottled ? 0.75 : 1;
        tf->insert(QStringLiteral("Righe"),
                   {{"Docum_numero", doc},
                    {"CodiceCli", "C1"},
                    {"Codice", p[0]},
                    {"Descrizione", p[0].isEmpty() ? QStringLiteral("Consegna al mattino")
                                                   : QStringLiteral("Vino %1").arg(p[0])},
                    {"UM", bottled ? "nr" : "li"},
                    {"Stato", p[0].isEmpty() ? ""
                              : bottled      ? "2"
                                             : "1"},
                    {"Quantita", p[1].toDouble()},
                    {"Litri_per_unita", lpu},
                    {"Volume", p[1].toDouble() * lpu},
                    {"Prezzo", bottled ? 5.0 : 2.0},
                    {"IVA", "22"},
                    {"Cod_vino_collegato", p[0]},
                    {"Scaricato", p[2] == u"1" ? 1 : 0}});
    }
    QStringList descriptions(const QString& doc) {
        QStringList out;
        for (const CampiRiga& r : righeDocumento(tf->db(), doc)) out << r.descrizione;
        return out;
    }

private Q_SLOTS:
    void initTestCase() { installItalianLocale(); }
    void init() {
        tf = std::make_unique<TestFolder>();
        tf->insert(QStringLiteral("Imballi"), {{"Bottiglia", "075"}, {"Volume", 0.75}});
        tf->insert(QStringLiteral("IVA"), {{"Ordine", 1}, {"IVA", "22"}});
        product("SF", "1", 5, "");
        product("B9", "2", 6.75, "075");  // nine bottles
        header("F-2025-000020", "F", "R", 20, "C1", "");
        header("F-2025-000021", "F", "I", 21, "C1", "");
        header("B-2025-000007", "B", "D", 7, "C1", "N");
        header("B-2025-000008", "B", "D", 8, "C2", "N");
        header("B-2025-000009", "B", "D", 9, "C1", "S");
    }
    void cleanup() { tf.reset(); }

    void heading() {
        QCOMPARE(intestazioneDdt(7, QDate(2025, 2, 3)), u"Doc. Trasporto n. 7 del 03/02/2025");
    }

    void importa_data() {
        QTest::addColumn<QString>("fattura");
        QTest::addColumn<QString>("ddt");
        QTest::addColumn<QStringList>("righe");
        QTest::addColumn<QString>("rifiuto");  // empty: imported
        QTest::addColumn<QStringList>("attese");
        QTest::addColumn<qint64>("totale");  // the invoice's Totale, ten-thousandths
        const QString h = QStringLiteral("Doc. Trasporto n. 7 del 03/02/2025");
        QTest::newRow("heading, then the product lines; text lines stay behind")
            << "F-2025-000020"
            << "B-2025-000007" << QStringList{"::0", "SF:3:0", "B9:6:0"} << QString()
            << QStringList{h, "Vino SF", "Vino B9"} << qint64(439200);
        QTest::newRow("nine bottles of nine")
            << "F-2025-000020"
            << "B-2025-000007" << QStringList{"B9:9:0"} << QString() << QStringList{h, "Vino B9"}
            << qint64(549000);
        QTest::newRow("third line refused by the stock: nothing at all")
            << "F-2025-000020"
            << "B-2025-000007" << QStringList{"SF:3:0", "B9:6:0", "B9:10:0"}
            << "Giacenza insufficiente: disponibile 9" << QStringList{} << qint64(0);
        QTest::newRow("a discharged line goes in without the stock check")
            << "F-2025-000020"
            << "B-2025-000007" << QStringList{"SF:8:1"} << QString() << QStringList{h, "Vino SF"}
            << qint64(195200);
        QTest::newRow("another customer's delivery note")
            << "F-2025-000020"
            << "B-2025-000008" << QStringList{"SF:1:0"} << msgDdtNonDisponibile() << QStringList{}
            << qint64(0);
        QTest::newRow("a delivery note already invoiced")
            << "F-2025-000020"
            << "B-2025-000009" << QStringList{"SF:1:0"} << msgDdtNonDisponibile() << QStringList{}
            << qint64(0);
        QTest::newRow("into an immediate invoice")
            << "F-2025-000021"
            << "B-2025-000007" << QStringList{"SF:1:0"} << msgNonRiepilogativa() << QStringList{}
            << qint64(0);
    }
    void importa() {
        QFETCH(QString, fattura);
        QFETCH(QString, ddt);
        QFETCH(QStringList, righe);
        QFETCH(QString, rifiuto);
        QFETCH(QStringList, attese);
        QFETCH(qint64, totale);
        for (const QString& r : righe) ddtLine(ddt, r);
        const QString before =
            sql("SELECT Fatturato FROM Fatture WHERE Docum_numero = ?", {ddt}).toString();
        const int linesBefore = tf->count(QStringLiteral("Righe"));
        const EsitoImportazione e = importaDdt(tf->db(), fattura, ddt);
        QCOMPARE(e.rifiuto, rifiuto);
        QCOMPARE(descriptions(fattura), attese);
        QCOMPARE(sql("SELECT COALESCE(Totale, 0) FROM Fatture WHERE Docum_numero = ?", {fattura})
                     .toLongLong(),
                 totale);
        const QString after =
            sql("SELECT Fatturato FROM Fatture WHERE Docum_numero = ?", {ddt}).toString();
        QCOMPARE(after, e.ok() ? QStringLiteral("S") : before);
        if (!e.ok()) {
            QCOMPARE(tf->count(QStringLiteral("Righe")), linesBefore);
            return;
        }
        QCOMPARE(e.righe, attese.size() - 1);
        // The delivery note keeps its lines; the copies carry its values and its discharge.
        QCOMPARE(descriptions(ddt).size(), righe.size());
        const QVector<CampiRiga> copied = righeDocumento(tf->db(), fattura);
        QVERIFY(copied[0].codice.isEmpty());
        for (int i = 1; i < copied.size(); ++i) {
            QCOMPARE(copied[i].documNumero, fattura);
            QCOMPARE(copied[i].codVino, copied[i].codice);
            QVERIFY(copied[i].volume > 0);
        }
        // Imported once: a second try is refused and copies nothing twice.
        QCOMPARE(importaDdt(tf->db(), fattura, ddt).rifiuto, msgDdtNonDisponibile());
        QCOMPARE(descriptions(fattura), attese);
        // Deleting the invoice later leaves the delivery note invoiced.
        QVERIFY(cancellaDocumento(tf->db(), fattura));
        QCOMPARE(sql("SELECT Fatturato FROM Fatture WHERE Docum_numero = ?", {ddt}).toString(),
                 QStringLiteral("S"));
    }

    void filtroPagamenti_data() {
        QTest::addColumn<QString>("cliente");
        QTest::addColumn<QDate>("da");
        QTest::addColumn<QDate>("a");
        QTest::addColumn<bool>("nonPagate");
        QTest::addColumn<QString>("ragione");
        QTest::addColumn<QDateTime>("data");
        QTest::addColumn<bool>("pagato");
        QTest::addColumn<bool>("listed");
        const QDateTime jan15(QDate(2025, 1, 15), QTime(0, 0));
        const QDate d1(2025, 1, 1), d31(2025, 1, 31);
        QTest::newRow("no criteria")
            << "" << QDate() << QDate() << false << "X" << QDateTime() << true << true;
        QTest::newRow("part of the name, other case")
            << "colle" << QDate() << QDate() << false << "ENOTECA COLLE ALTO" << jan15 << false
            << true;
        QTest::newRow("name not matching")
            << "colle" << QDate() << QDate() << false << "Cantina Rossi" << jan15 << false << false;
        QTest::newRow("unpaid only: a paid one is out")
            << "" << QDate() << QDate() << true << "X" << jan15 << true << false;
        QTest::newRow("unpaid only: an unpaid one stays")
            << "" << QDate() << QDate() << true << "X" << jan15 << false << true;
        QTest::newRow("first day of the range")
            << "" << d1 << d31 << false << "X" << QDateTime(d1, QTime(0, 0)) << false << true;
        QTest::newRow("last day, in the afternoon")
            << "" << d1 << d31 << false << "X" << QDateTime(d31, QTime(16, 30)) << false << true;
        QTest::newRow("the day before")
            << "" << d1 << d31 << false << "X" << QDateTime(QDate(2024, 12, 31), QTime(0, 0))
            << false << false;
        QTest::newRow("the day after")
            << "" << d1 << d31 << false << "X" << QDateTime(QDate(2025, 2, 1), QTime(0, 0)) << false
            << false;
        QTest::newRow("only the to date: everything up to it")
            << "" << QDate() << d31 << false << "X" << QDateTime(QDate(2019, 6, 1), QTime(0, 0))
            << false << true;
        QTest::newRow("no date with a date bound")
            << "" << d1 << QDate() << false << "X" << QDateTime() << false << false;
    }
    void filtroPagamenti() {
        QFETCH(QString, cliente);
        QFETCH(QDate, da);
        QFETCH(QDate, a);
        QFETCH(bool, nonPagate);
        QFETCH(QString, ragione);
        QFETCH(QDateTime, data);
        QFETCH(bool, pagato);
        QFETCH(bool, listed);
        QCOMPARE(accettaPagamento({cliente, da, a, nonPagate}, ragione, data, pagato), listed);
    }
};

QTEST_GUILESS_MAIN(TestFatturazione)
#include "tst_fatturazione.moc"
