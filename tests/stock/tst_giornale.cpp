// The journal window's data and operations, without the window.
#include <QTest>

#include "common/format.h"
#include "common/messages.h"
#include "data/database.h"
#include "data/shareddata.h"
#include "stock/giornale.h"
#include "support/testfolder.h"

class TestGiornale : public QObject {
    Q_OBJECT
    std::unique_ptr<TestFolder> tf;
    std::unique_ptr<SharedData> sd;
    std::unique_ptr<GiornaleMovimenti> g;

    void product(const QString& code, double litri, const QString& stato = QStringLiteral("1"),
                 const QString& bottiglia = {}) {
        tf->insert(QStringLiteral("Prodotti"), {{QStringLiteral("Codice_prodotto"), code},
                                                {QStringLiteral("Descrizione"), "Vino " + code},
                                                {QStringLiteral("Litri"), litri},
                                                {QStringLiteral("Stato"), stato},
                                                {QStringLiteral("Bottiglia"), bottiglia}});
    }
    qint64 move(const QDate& d, const QString& code, double litri, const QString& tipo,
                const QVariant& riga = {}, const QString& doc = {}) {
        return tf->insert(QStringLiteral("Giornale"),
                          {{QStringLiteral("Data_Ora"), d},
                           {QStringLiteral("Cod_vino"), code},
                           {QStringLiteral("Litri"), litri},
                           {QStringLiteral("Tipo"), tipo},
                           {QStringLiteral("Riga_num"), riga},
                           {QStringLiteral("Docum_numero"), doc.isEmpty() ? QVariant() : doc}});
    }
    double stock(const QString& code) {
        return tf
            ->value(QStringLiteral("SELECT Litri FROM Prodotti WHERE Codice_prodotto = ?"), {code})
            .toDouble();
    }
    QStringList column(DataSet& ds, const QString& field) {
        QStringList out;
        if (!ds.isOpen() || ds.isEmpty()) return out;
        for (int i = 0; i < ds.recordCount(); ++i)
            out << ds.displayTextAt(i, ds.field(field).index());
        return out;
    }

private Q_SLOTS:
    void initTestCase() { installItalianLocale(); }
    void init() {
        tf = std::make_unique<TestFolder>();
        sd = std::make_unique<SharedData>(tf->db());
        g = std::make_unique<GiornaleMovimenti>(*sd);
    }
    void cleanup() {
        g.reset();
        sd.reset();
        tf.reset();
    }

    void emptyJournal() {
        ScriptedMessages msgs;
        product(QStringLiteral("V1"), 10);
        g->FormShow();
        QCOMPARE(g->esportaDa, QString());
        QCOMPARE(g->esportaA, QString());
        QVERIFY(g->documenti.isOpen() && g->documenti.isEmpty());
        QVERIFY(g->corrispettivi.isOpen() && g->corrispettivi.isEmpty());
        QVERIFY(g->dettaglio.isEmpty());
        QVERIFY(!g->annullaDocumento());
        QVERIFY(!g->annullaCorrispettivo());
        QVERIFY(!g->stampa());
        QCOMPARE(msgs.texts, QStringList{GiornaleMovimenti::msgNienteDaStampare()});
    }

    // The period runs from the journal's first day to its last, both whole.
    void lastDayOfPeriod_data() {
        QTest::addColumn<QString>("tipo");
        QTest::newRow("delivery note") << "B";
        QTest::newRow("invoice") << "F";
        QTest::newRow("direct sale") << "N";
    }
    void lastDayOfPeriod() {
        QFETCH(QString, tipo);
        ScriptedMessages msgs;
        product(QStringLiteral("V1"), 10);
        move(QDate(2025, 1, 1), QStringLiteral("V1"), 1, tipo);
        move(QDate(2025, 1, 31), QStringLiteral("V1"), 2, tipo);
        move(QDate(2025, 2, 1), QStringLiteral("V1"), 4, tipo);
        g->FormShow();
        QCOMPARE(g->esportaDa, QStringLiteral("01/01/2025"));
        QCOMPARE(g->esportaA, QStringLiteral("01/02/2025"));
        QCOMPARE(g->numeroRighe(), 3);
        g->esportaA = QStringLiteral("31/01/2025");
        QVERIFY(g->apre_db());
        if (tipo == QLatin1String("N")) {
            QCOMPARE(column(g->corrispettivi, QStringLiteral("SommaDiLitri")), QStringList{"3"});
        } else {
            QCOMPARE(column(g->documenti, QStringLiteral("Data_Ora")),
                     (QStringList{"01/01/2025", "31/01/2025"}));
            QVERIFY(g->corrispettivi.isEmpty());
        }
        // "Esportazione OK": a No keeps everything, a Yes deletes the period, end days included.
        QVERIFY(!g->esportazioneOk());
        QCOMPARE(msgs.last(), GiornaleMovimenti::msgConfermaPeriodo(QStringLiteral("01/01/2025"),
                                                                    QStringLiteral("31/01/2025")));
        QCOMPARE(tf->count(QStringLiteral("Giornale")), 3);
        msgs.answer(true);
        QVERIFY(g->esportazioneOk());
        QCOMPARE(tf->value(QStringLiteral("SELECT group_concat(Litri) FROM Giornale")).toString(),
                 QStringLiteral("4.0"));
        QVERIFY(g->documenti.isEmpty());
        QVERIFY(g->corrispettivi.isEmpty());
        QCOMPARE(g->numeroRighe(), 1);
        QCOMPARE(stock(QStringLiteral("V1")), 10.0);
    }

    // Direct sales outside the period are not summed but stay in the detail list.
    void directSaleOutsidePeriod() {
        product(QStringLiteral("V1"), 10);
        move(QDate(2025, 3, 10), QStringLiteral("V1"), 1.5, QStringLiteral("N"));
        move(QDate(2025, 1, 5), QStringLiteral("V1"), 2, QStringLiteral("N"));
        move(QDate(2025, 3, 20), QStringLiteral("V1"), 0.5, QStringLiteral("N"));
        move(QDate(2025, 3, 15), QStringLiteral("V1"), 9, QStringLiteral("B"));
        g->FormShow();
        g->esportaDa = QStringLiteral("01/03/2025");
        QVERIFY(g->apre_db());
        QCOMPARE(column(g->corrispettivi, QStringLiteral("SommaDiLitri")), QStringList{"2"});
        QCOMPARE(column(g->dettaglio, QStringLiteral("Data_Ora")),
                 (QStringList{"05/01/2025", "10/03/2025", "20/03/2025"}));
        QCOMPARE(column(g->documenti, QStringLiteral("Litri")), QStringList{"9"});
    }

    // The detail list follows the product chosen in the direct-sales list.
    void detailFollowsProduct() {
        product(QStringLiteral("A"), 10);
        product(QStringLiteral("B"), 10);
        move(QDate(2025, 3, 1), QStringLiteral("A"), 1, QStringLiteral("N"));
        move(QDate(2025, 3, 2), QStringLiteral("B"), 2, QStringLiteral("N"));
        move(QDate(2025, 3, 3), QStringLiteral("B"), 3, QStringLiteral("N"));
        g->FormShow();
        QCOMPARE(column(g->dettaglio, QStringLiteral("Litri")), QStringList{"1"});
        g->corrispettivi.next();
        QCOMPARE(column(g->dettaglio, QStringLiteral("Litri")), (QStringList{"2", "3"}));
    }

    void pezzi_data() {
        QTest::addColumn<QString>("tipo");
        QTest::addColumn<QString>("stato");
        QTest::addColumn<double>("litri");
        QTest::addColumn<double>("expected");
        for (const char* t : {"N", "B"}) {
            const QByteArray k(t);
            QTest::newRow(k + " 7.5 l of 0.75") << QString::fromLatin1(t) << "2" << 7.5 << 10.0;
            QTest::newRow(k + " 7.4 l of 0.75") << QString::fromLatin1(t) << "2" << 7.4 << 9.0;
            QTest::newRow(k + " bulk") << QString::fromLatin1(t) << "1" << 7.4 << 7.4;
        }
    }
    void pezzi() {
        QFETCH(QString, tipo);
        QFETCH(QString, stato);
        QFETCH(double, litri);
        QFETCH(double, expected);
        tf->insert(QStringLiteral("Imballi"),
                   {{QStringLiteral("Bottiglia"), "BT75"}, {QStringLiteral("Volume"), 0.75}});
        product(QStringLiteral("V1"), 100, stato, QStringLiteral("BT75"));
        // Direct sales of one product add up before the pieces are counted.
        if (tipo == QLatin1String("N")) {
            move(QDate(2025, 5, 1), QStringLiteral("V1"), litri - 3, tipo);
            move(QDate(2025, 5, 2), QStringLiteral("V1"), 3, tipo);
        } else {
            move(QDate(2025, 5, 1), QStringLiteral("V1"), litri, tipo);
        }
        g->FormShow();
        DataSet& ds = tipo == QLatin1String("N") ? g->corrispettivi : g->documenti;
        QCOMPARE(ds.recordCount(), 1);
        QCOMPARE(ds.field(QStringLiteral("Volume")).asFloat(), 0.75);
        QCOMPARE(ds.field(QStringLiteral("Pezzi")).asFloat(), expected);
    }

    // A document movement cancelled: stock back, line and journal row gone, the document
    // recomputed through the hook inside the same transaction; the question defaults to No.
    void cancelDocumentMovement_data() {
        QTest::addColumn<bool>("yes");
        QTest::newRow("confirmed") << true;
        QTest::newRow("refused") << false;
    }
    void cancelDocumentMovement() {
        QFETCH(bool, yes);
        ScriptedMessages msgs;
        product(QStringLiteral("V1"), 5);
        tf->insert(QStringLiteral("Fatture"), {{QStringLiteral("Docum_numero"), "B-2025-000007"},
                                               {QStringLiteral("Doc_tipo"), "B"}});
        const qint64 keep = tf->insert(QStringLiteral("Righe"),
                                       {{QStringLiteral("Docum_numero"), "B-2025-000007"}});
        const qint64 line = tf->insert(QStringLiteral("Righe"),
                                       {{QStringLiteral("Docum_numero"), "B-2025-000007"}});
        move(QDate(2025, 4, 2), QStringLiteral("V1"), 0.75, QStringLiteral("B"), line,
             QStringLiteral("B-2025-000007"));
        QStringList recomputed;
        g->setRicalcolaDocumento([&](const QString& numero) {
            QVERIFY(tf->db().inTransaction());
            // The line is already gone when the document is recomputed.
            QCOMPARE(tf->count(QStringLiteral("Righe")), 1);
            recomputed << numero;
        });
        g->FormShow();
        msgs.answer(yes);
        QCOMPARE(g->annullaDocumento(), yes);
        QCOMPARE(msgs.texts, QStringList{GiornaleMovimenti::msgConfermaRiga() + "\n\r" +
                                         GiornaleMovimenti::msgRicaricoDocumento()});
        QCOMPARE(stock(QStringLiteral("V1")), yes ? 5.75 : 5.0);
        QCOMPARE(tf->count(QStringLiteral("Giornale")), yes ? 0 : 1);
        QCOMPARE(tf->value(QStringLiteral("SELECT group_concat(Ordine) FROM Righe")).toString(),
                 yes ? QString::number(keep) : QStringLiteral("%1,%2").arg(keep).arg(line));
        QCOMPARE(msgs.kinds, QStringList{QStringLiteral("questionNo")});
        QCOMPARE(recomputed, yes ? QStringList{QStringLiteral("B-2025-000007")} : QStringList());
        QCOMPARE(g->documenti.isEmpty(), yes);
        QVERIFY(!sd->Fatture.isOpen());
    }

    // A failure half-way gives nothing back and deletes nothing.
    void cancelIsAtomic_data() {
        QTest::addColumn<QString>("failing");
        QTest::newRow("journal delete") << "delete from giornale";
        QTest::newRow("line delete") << "delete from righe";
        QTest::newRow("document recompute") << "recompute";
    }
    void cancelIsAtomic() {
        QFETCH(QString, failing);
        ScriptedMessages msgs;
        product(QStringLiteral("V1"), 5);
        const qint64 line = tf->insert(QStringLiteral("Righe"),
                                       {{QStringLiteral("Docum_numero"), "F-2025-000001"}});
        move(QDate(2025, 4, 2), QStringLiteral("V1"), 1, QStringLiteral("F"), line,
             QStringLiteral("F-2025-000001"));
        g->setRicalcolaDocumento([&](const QString&) {
            if (failing == u"recompute") throw DatabaseError(QStringLiteral("totali"));
        });
        g->FormShow();
        msgs.answer(true);
        tf->db().failNextStatementContaining(failing);
        QVERIFY_THROWS_EXCEPTION(DatabaseError, g->annullaDocumento());
        QCOMPARE(g->documenti.recordCount(), 1);
        QCOMPARE(stock(QStringLiteral("V1")), 5.0);
        QCOMPARE(tf->count(QStringLiteral("Giornale")), 1);
        QCOMPARE(tf->count(QStringLiteral("Righe")), 1);
    }

    // A direct sale cancelled from the detail list: its litres back, the product's total shrinks.
    void cancelDirectSale() {
        ScriptedMessages msgs;
        product(QStringLiteral("A"), 1);
        product(QStringLiteral("B"), 1);
        move(QDate(2025, 3, 1), QStringLiteral("A"), 1, QStringLiteral("N"));
        move(QDate(2025, 3, 2), QStringLiteral("B"), 2, QStringLiteral("N"));
        move(QDate(2025, 3, 3), QStringLiteral("B"), 0.25, QStringLiteral("N"));
        g->FormShow();
        g->corrispettivi.next();
        g->dettaglio.next();
        msgs.answer(true);
        QVERIFY(g->annullaCorrispettivo());
        QCOMPARE(msgs.texts, QStringList{GiornaleMovimenti::msgConfermaRiga()});
        QCOMPARE(stock(QStringLiteral("B")), 1.25);
        QCOMPARE(stock(QStringLiteral("A")), 1.0);
        QCOMPARE(g->corrispettivi.field(QStringLiteral("Cod_vino")).asString(),
                 QStringLiteral("B"));
        QCOMPARE(g->corrispettivi.field(QStringLiteral("SommaDiLitri")).asFloat(), 2.0);
        QCOMPARE(column(g->dettaglio, QStringLiteral("Litri")), QStringList{"2"});
        QCOMPARE(tf->value(QStringLiteral("SELECT count(*) FROM Righe")).toInt(), 0);
    }

    // Dates typed in the period fields.
    void period_data() {
        QTest::addColumn<QString>("da");
        QTest::addColumn<QString>("a");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<int>("rows");
        QTest::newRow("whole") << "01/01/2025"
                               << "31/12/2025" << true << 2;
        QTest::newRow("short forms") << "1/1/25"
                                     << "2/1/25" << true << 1;
        QTest::newRow("reversed") << "31/12/2025"
                                  << "01/01/2025" << true << 0;
        QTest::newRow("not a date") << "31/02/2025"
                                    << "31/12/2025" << false << 0;
        QTest::newRow("empty") << ""
                               << "" << true << 0;
    }
    void period() {
        QFETCH(QString, da);
        QFETCH(QString, a);
        QFETCH(bool, ok);
        QFETCH(int, rows);
        ScriptedMessages msgs;
        product(QStringLiteral("V1"), 10);
        move(QDate(2025, 1, 2), QStringLiteral("V1"), 1, QStringLiteral("B"));
        move(QDate(2025, 6, 2), QStringLiteral("V1"), 1, QStringLiteral("B"));
        g->FormShow();
        g->esportaDa = da;
        g->esportaA = a;
        QCOMPARE(g->apre_db(), ok);
        QCOMPARE(msgs.texts.isEmpty(), ok);
        if (ok) QCOMPARE(g->documenti.recordCount(), rows);
        msgs.answer(true);
        g->esportazioneOk();
        QCOMPARE(tf->count(QStringLiteral("Giornale")), 2 - (ok ? rows : 0));
    }

    // The documents view read in pages: a cancelled row reopens the view on the same row (the
    // next one takes its place, the last is followed by the new last), pages beyond the first
    // read again as needed.
    void cancelOverPagedView_data() {
        QTest::addColumn<int>("row");
        const int page = 3;
        QTest::newRow("first") << 0;
        QTest::newRow("end of the first page") << page - 1;
        QTest::newRow("start of the second page") << page;
        QTest::newRow("last") << 7;
    }
    void cancelOverPagedView() {
        QFETCH(int, row);
        ScriptedMessages msgs;
        product(QStringLiteral("V1"), 5);
        QList<qint64> ids;
        for (int i = 0; i < 8; ++i)
            ids << move(QDate(2025, 4, 1 + i), QStringLiteral("V1"), 1 + i, QStringLiteral("F"));
        g->documenti.setFetchOnDemand(3);
        g->FormShow();
        QCOMPARE(g->documenti.recordCount(), 3);
        QVERIFY(g->documenti.setRecNo(row));
        msgs.answer(true);
        QVERIFY(g->annullaDocumento());
        QCOMPARE(stock(QStringLiteral("V1")), 5.0 + 1 + row);
        ids.removeAt(row);
        const int at = qMin(row, 6);
        QCOMPARE(g->documenti.recNo(), at);
        QCOMPARE(g->documenti.field(QStringLiteral("ID")).value().toLongLong(), ids[at]);
        QCOMPARE(g->numeroRighe(), 7);
        g->documenti.last();
        QCOMPARE(g->documenti.recordCount(), 7);
    }

    void print() {
        ScriptedMessages msgs;
        QStringList calls;
        g->setPrint([&calls](const QString& t, const QString& title) { calls << t << title; });
        product(QStringLiteral("V1"), 10);
        move(QDate(2025, 1, 2), QStringLiteral("V1"), 1, QStringLiteral("N"));
        g->FormShow();
        QVERIFY(g->stampa());
        QCOMPARE(calls, (QStringList{"movimenti", "Giornale movimenti"}));
        QVERIFY(msgs.texts.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestGiornale)
#include "tst_giornale.moc"
