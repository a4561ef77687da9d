// Stock discharge and its reverse on a real database file.
#include <QTest>

#include "common/format.h"
#include "data/database.h"
#include "stock/scarico.h"
#include "support/testfolder.h"

class TestScarico : public QObject {
    Q_OBJECT
    std::unique_ptr<TestFolder> tf;

    void product(const QString& code, double litri) {
        tf->insert(QStringLiteral("Prodotti"),
                   {{QStringLiteral("Codice_prodotto"), code}, {QStringLiteral("Litri"), litri}});
    }
    double stock(const QString& code) {
        return tf
            ->value(QStringLiteral("SELECT Litri FROM Prodotti WHERE Codice_prodotto = ?"), {code})
            .toDouble();
    }
    static MovimentoGiornale mov(const QString& code, double litri) {
        MovimentoGiornale m;
        m.data = QDate(2025, 3, 31);
        m.codVino = code;
        m.litri = litri;
        m.tipo = QStringLiteral("N");
        return m;
    }

private Q_SLOTS:
    void initTestCase() { installItalianLocale(); }
    void init() { tf = std::make_unique<TestFolder>(); }
    void cleanup() {
        tf.reset();
        installItalianLocale();
    }

    void storedValue_data() {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("text");
        for (const char* loc : {"it_IT", "en_US", "de_DE"}) {
            const QByteArray l(loc);
            QTest::newRow(l + " 1234.5678") << QString::fromLatin1(loc) << 1234.5678 << "1234.568";
            QTest::newRow(l + " zero") << QString::fromLatin1(loc) << 0.0 << "0";
            QTest::newRow(l + " 12.5") << QString::fromLatin1(loc) << 12.5 << "12.5";
            QTest::newRow(l + " -0.25") << QString::fromLatin1(loc) << -0.25 << "-0.25";
            QTest::newRow(l + " tiny negative") << QString::fromLatin1(loc) << -0.0001 << "0";
            QTest::newRow(l + " thousands") << QString::fromLatin1(loc) << 1234567.0 << "1234567";
        }
    }
    // The new stock is written rounded to three decimals whatever the user's locale.
    void storedValue() {
        QFETCH(QString, locale);
        QFETCH(double, value);
        QFETCH(QString, text);
        QLocale::setDefault(QLocale(locale));
        QCOMPARE(valoreGiacenza(value), text);
        product(QStringLiteral("V1"), value + 10);
        registra_scarico(tf->db(), QStringLiteral("V1"), 10, mov(QStringLiteral("V1"), 10),
                         OrdineScarico::GiacenzaPoiGiornale);
        QCOMPARE(stock(QStringLiteral("V1")), text.toDouble());
        QCOMPARE(tf->value(QStringLiteral("SELECT typeof(Litri) FROM Prodotti")).toString(),
                 QStringLiteral("real"));
    }

    void codes_data() {
        QTest::addColumn<QString>("code");
        QTest::newRow("plain") << "ROSSO1";
        QTest::newRow("double quote") << "BAR\"RIQUE";
        QTest::newRow("apostrophe") << "NERO D'AVOLA";
        QTest::newRow("sql text") << "X\" or 1=1 --";
    }
    // Odd characters in a code are data, never part of the statement.
    void codes() {
        QFETCH(QString, code);
        product(code, 20);
        product(QStringLiteral("OTHER"), 20);
        for (auto order : {OrdineScarico::GiacenzaPoiGiornale, OrdineScarico::GiornalePoiGiacenza})
            registra_scarico(tf->db(), code, 2.5, mov(code, 2.5), order);
        QCOMPARE(stock(code), 15.0);
        QCOMPARE(stock(QStringLiteral("OTHER")), 20.0);
        QCOMPARE(
            tf->value(QStringLiteral("SELECT count(*) FROM Giornale WHERE Cod_vino = ?"), {code})
                .toInt(),
            2);
        QCOMPARE(ricarica_giacenza(tf->db(), code, 0.75), 1);
        QCOMPARE(stock(code), 15.75);
        QCOMPARE(stock(QStringLiteral("OTHER")), 20.0);
    }

    // No product of that code: the journal row is written, no stock changes.
    void unknownCode() {
        product(QStringLiteral("V1"), 20);
        registra_scarico(tf->db(), QStringLiteral("NONE"), 3, mov(QStringLiteral("NONE"), 3),
                         OrdineScarico::GiacenzaPoiGiornale);
        QCOMPARE(tf->count(QStringLiteral("Giornale")), 1);
        QCOMPARE(stock(QStringLiteral("V1")), 20.0);
        QCOMPARE(tf->value(QStringLiteral("SELECT count(*) FROM Prodotti")).toInt(), 1);
    }

    // The journal row carries exactly the caller's values; the others stay null.
    void journalRow_data() {
        QTest::addColumn<bool>("document");
        QTest::newRow("quick registration") << false;
        QTest::newRow("document line") << true;
    }
    void journalRow() {
        QFETCH(bool, document);
        product(QStringLiteral("V1"), 20);
        const qint64 ordine = tf->insert(QStringLiteral("Righe"),
                                         {{QStringLiteral("Docum_numero"), "B-2025-000001"}});
        MovimentoGiornale m = mov(QStringLiteral("V1"), 1.5);
        std::optional<int> flag;
        if (document) {
            m.cliente = QStringLiteral("C01");
            m.documNumero = QStringLiteral("B-2025-000001");
            m.rigaNum = int(ordine);
            m.tipo = QStringLiteral("B");
            flag = int(ordine);
        }
        registra_scarico(tf->db(), QStringLiteral("V1"), 1.5, m, OrdineScarico::GiacenzaPoiGiornale,
                         flag);
        QSqlQuery q = tf->db().select(
            QStringLiteral("SELECT Data_Ora, Cod_vino, Litri, Cliente, Docum_numero, Riga_num, "
                           "Esportato, Tipo FROM Giornale"));
        QVERIFY(q.next());
        QCOMPARE(q.value(0).toString(), QStringLiteral("2025-03-31 00:00:00"));
        QCOMPARE(q.value(1).toString(), QStringLiteral("V1"));
        QCOMPARE(q.value(2).toDouble(), 1.5);
        QCOMPARE(q.value(3).isNull(), !document);
        QCOMPARE(q.value(4).isNull(), !document);
        QCOMPARE(q.value(5).isNull(), !document);
        QCOMPARE(q.value(6).toInt(), 0);
        QCOMPARE(q.value(7).toString(), document ? QStringLiteral("B") : QStringLiteral("N"));
        QCOMPARE(tf->value(QStringLiteral("SELECT Scaricato FROM Righe")).toInt(),
                 document ? 1 : 0);
    }

    // Each line reads the stock as the previous line left it.
    void twoLinesOfOneProduct() {
        product(QStringLiteral("V1"), 10);
        registra_scarico(tf->db(), QStringLiteral("V1"), 2.25, mov(QStringLiteral("V1"), 2.25),
                         OrdineScarico::GiacenzaPoiGiornale);
        registra_scarico(tf->db(), QStringLiteral("V1"), 7.75, mov(QStringLiteral("V1"), 7.75),
                         OrdineScarico::GiornalePoiGiacenza);
        QCOMPARE(stock(QStringLiteral("V1")), 0.0);
        QCOMPARE(tf->count(QStringLiteral("Giornale")), 2);
    }

    // Giving back adds to the stock as it is, also to a product whose stock was never set.
    void reverse_data() {
        QTest::addColumn<QVariant>("start");
        QTest::addColumn<double>("expected");
        QTest::newRow("from 4") << QVariant(4.0) << 4.75;
        QTest::newRow("from negative") << QVariant(-0.75) << 0.0;
        QTest::newRow("from null") << QVariant() << 0.75;
    }
    void reverse() {
        QFETCH(QVariant, start);
        QFETCH(double, expected);
        tf->insert(QStringLiteral("Prodotti"),
                   {{QStringLiteral("Codice_prodotto"), "V1"}, {QStringLiteral("Litri"), start}});
        ricarica_giacenza(tf->db(), QStringLiteral("V1"), 0.75);
        QCOMPARE(stock(QStringLiteral("V1")), expected);
    }

    // An engine error anywhere in one discharge leaves neither the stock change nor the row.
    void atomic_data() {
        QTest::addColumn<int>("order");
        QTest::addColumn<QString>("failing");
        QTest::addColumn<bool>("document");
        QTest::newRow("stock first, journal fails") << 0 << "INSERT INTO Giornale" << false;
        QTest::newRow("journal first, stock fails") << 1 << "update prodotti" << false;
        QTest::newRow("document flag fails") << 0 << "update righe" << true;
    }
    void atomic() {
        QFETCH(int, order);
        QFETCH(QString, failing);
        QFETCH(bool, document);
        product(QStringLiteral("V1"), 10);
        const qint64 ordine = tf->insert(QStringLiteral("Righe"),
                                         {{QStringLiteral("Docum_numero"), "F-2025-000001"}});
        tf->db().failNextStatementContaining(failing);
        QVERIFY_THROWS_EXCEPTION(
            DatabaseError,
            registra_scarico(tf->db(), QStringLiteral("V1"), 4, mov(QStringLiteral("V1"), 4),
                             OrdineScarico(order),
                             document ? std::optional<int>(int(ordine)) : std::nullopt));
        QCOMPARE(stock(QStringLiteral("V1")), 10.0);
        QCOMPARE(tf->count(QStringLiteral("Giornale")), 0);
        QCOMPARE(tf->value(QStringLiteral("SELECT Scaricato FROM Righe")).toInt(), 0);
        // The next run does the line.
        registra_scarico(tf->db(), QStringLiteral("V1"), 4, mov(QStringLiteral("V1"), 4),
                         OrdineScarico(order));
        QCOMPARE(stock(QStringLiteral("V1")), 6.0);
    }

    // A value that does not fit the journal is refused before anything is written.
    void tooLongCode() {
        const QString code(31, QLatin1Char('X'));
        product(QStringLiteral("V1"), 10);
        QVERIFY_THROWS_EXCEPTION(DatabaseError,
                                 registra_scarico(tf->db(), QStringLiteral("V1"), 1, mov(code, 1),
                                                  OrdineScarico::GiacenzaPoiGiornale));
        QCOMPARE(stock(QStringLiteral("V1")), 10.0);
    }

    // A product without a code (written by another tool) is never discharged: the journal row
    // would name no product while its stock went down.
    void productWithoutCode() {
        tf->insert(QStringLiteral("Prodotti"),
                   {{QStringLiteral("Codice_prodotto"), ""}, {QStringLiteral("Litri"), 10.0}});
        try {
            registra_scarico(tf->db(), QString(), 1, mov(QString(), 1),
                             OrdineScarico::GiornalePoiGiacenza);
            QFAIL("discharged");
        } catch (const DatabaseError& e) {
            QCOMPARE(e.text(), msgProdottoSenzaCodice());
        }
        QCOMPARE(tf->value(QStringLiteral("SELECT Litri FROM Prodotti")).toDouble(), 10.0);
        QCOMPARE(tf->count(QStringLiteral("Giornale")), 0);
    }
};

QTEST_GUILESS_MAIN(TestScarico)
#include "tst_scarico.moc"
