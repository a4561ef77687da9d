// A sale turned into a document: numbers by kind and the movement date's year, the header's VAT,
// transport and Ritiro, the customer's price list and discount on the lines, and the run that
// writes, prints and only then discharges, taking back what did not print.
#include <QSqlQuery>
#include <QTest>

#include "common/format.h"
#include "common/messages.h"
#include "documents/kinds.h"
#include "documents/service.h"
#include "panel/documento.h"
#include "panel/vendita.h"
#include "support/testfolder.h"
#include "vendi.h"

namespace {
QVariant nullable(const QString& s) {
    return s.isEmpty() ? QVariant() : QVariant(s);
}
const QDateTime adesso(QDate(2026, 1, 2), QTime(9, 41));
}  // namespace

class TestPanelDocumento : public QObject {
    Q_OBJECT
    std::unique_ptr<TestFolder> tf;

    void prodotto(const QString& codice, const QString& breve, const QString& stato,
                  const QString& bottiglia, double litri, double sinottico, QList<double> prezzi) {
        QVariantMap m{{QStringLiteral("Codice_prodotto"), codice},
                      {QStringLiteral("Nome_breve"), breve},
                      {QStringLiteral("Descrizione"), QStringLiteral("Vino ") + codice},
                      {QStringLiteral("UM"), QStringLiteral("nr")},
                      {QStringLiteral("Stato"), stato},
                      {QStringLiteral("Bottiglia"), nullable(bottiglia)},
                      {QStringLiteral("Litri"), litri},
                      {QStringLiteral("Prezzo_sinottico"), sinottico},
                      {QStringLiteral("IVA"), QStringLiteral("22")}};
        for (int i = 0; i < prezzi.size(); ++i)
            m.insert(QStringLiteral("Prezzo%1").arg(i + 1), prezzi[i]);
        tf->insert(QStringLiteral("Prodotti"), m);
    }
    void cliente(const QString& codice, const QString& giur, const QString& iva,
                 const QString& listino, double sconto, const QString& riferimento) {
        tf->insert(QStringLiteral("Anagrafica"),
                   {{QStringLiteral("Codice"), codice},
                    {QStringLiteral("RagioneSociale"), codice},
                    {QStringLiteral("Giur_Pers"), giur},
                    {QStringLiteral("IVA"), nullable(iva)},
                    {QStringLiteral("Listino"), nullable(listino)},
                    {QStringLiteral("Sconto"), sconto},
                    {QStringLiteral("Riferimento"), nullable(riferimento)}});
    }
    // An existing header "F-2025-000041".
    void esistente(const QString& numero) {
        tf->insert(QStringLiteral("Fatture"),
                   {{QStringLiteral("Docum_numero"), numero},
                    {QStringLiteral("Doc_tipo"), numero.left(1)},
                    {QStringLiteral("Anno"), numero.mid(2, 4)},
                    {QStringLiteral("Num_fattura"), numero.mid(7).toInt()}});
    }
    QStringList righe(const QString& numero) {
        QSqlQuery q = tf->db().select(
            QStringLiteral("SELECT Codice, Prezzo, Sconto, COALESCE(IVA, ''), Quantita, Volume, "
                           "Cod_vino_collegato, CodiceCli FROM Righe WHERE Docum_numero = ? "
                           "ORDER BY Ordine"),
            {numero});
        QStringList out;
        while (q.next())
            out << QStringLiteral("%1 %2 %3 %4 %5 %6 %7 %8")
                       .arg(q.value(0).toString())
                       .arg(q.value(1).toLongLong() / 10000.0)
                       .arg(q.value(2).toDouble())
                       .arg(q.value(3).toString())
                       .arg(q.value(4).toDouble())
                       .arg(q.value(5).toDouble())
                       .arg(q.value(6).toString(), q.value(7).toString());
        return out;
    }

private Q_SLOTS:
    void initTestCase() { installItalianLocale(); }
    void init() {
        tf = std::make_unique<TestFolder>();
        tf->insert(QStringLiteral("Imballi"),
                   {{QStringLiteral("Bottiglia"), "075"}, {QStringLiteral("Volume"), 0.75}});
        tf->insert(QStringLiteral("IVA"), {{QStringLiteral("Ordine"), 2}, {"IVA", "10"}});
        tf->insert(QStringLiteral("IVA"), {{QStringLiteral("Ordine"), 1}, {"IVA", "22"}});
        prodotto(QStringLiteral("BOT"), QStringLiteral("Bott"), QStringLiteral("2"),
                 QStringLiteral("075"), 50, 8.5, {7, 6.5, 6});
        prodotto(QStringLiteral("GRA"), QStringLiteral("Grappa"), QStringLiteral("0"), {}, 0, 16,
                 {15, 15, 14});
        cliente(QStringLiteral("PRIV"), QStringLiteral("X"), {}, {}, 0, {});
        cliente(QStringLiteral("AZ"), QStringLiteral("G"), QStringLiteral("10"),
                QStringLiteral("3"), 10, QStringLiteral("Trasporti Bortolin"));
        cliente(QStringLiteral("AZ2"), QStringLiteral("P"), {}, QStringLiteral("9"), 0, {});
        tf->insert(QStringLiteral("Appoggio_I"), {{QStringLiteral("Intesta1"), "Sig. Rossi"},
                                                  {QStringLiteral("Docum_numero"), "41"}});
    }
    void cleanup() { tf.reset(); }

    // Bott 6 at 8,50 and Grappa 1 at 16,00 turned into each kind.
    void documento_data() {
        QTest::addColumn<int>("tipo");
        QTest::addColumn<QString>("codice");
        QTest::addColumn<QDate>("datamov");
        QTest::addColumn<QStringList>("esistenti");
        QTest::addColumn<QString>("numero");
        QTest::addColumn<QString>("testata");  // ALIVA1 I1 Trasporto Vettore Tot_Imponibile Totale
        QTest::addColumn<QStringList>("righe");
        QTest::newRow("first delivery note, list not a list keeps the sale's price")
            << int(KindDdt) << "AZ2" << QDate(2025, 3, 8) << QStringList{"F-2025-000007"}
            << "B-2025-000001"
            << "22 22 D  67 81,74"
            << QStringList{"BOT 8.5 0 22 6 4.5 BOT AZ2", "GRA 16 0 22 1 0  AZ2"};
        QTest::newRow("invoice after F-41, list 3 and 10% off, carrier")
            << int(KindFattura) << "AZ" << QDate(2025, 3, 8)
            << QStringList{"F-2025-000041", "N-2025-000090", "B-2025-000050", "F-2024-000099"}
            << "F-2025-000042"
            << "10 10 V Trasporti Bortolin 45 54,9"
            << QStringList{"BOT 6 10 22 6 4.5 BOT AZ", "GRA 14 10 22 1 0  AZ"};
        QTest::newRow("receipt, empty list is Prezzo1, no VAT")
            << int(KindRicevuta) << "PRIV" << QDate(2025, 3, 8) << QStringList{} << "N-2025-000001"
            << " 0 D  57 57" << QStringList{"BOT 7 0  6 4.5 BOT PRIV", "GRA 15 0  1 0  PRIV"};
        QTest::newRow("movement date back in the previous year")
            << int(KindRicevuta) << "PRIV" << QDate(2024, 12, 31)
            << QStringList{"N-2024-000005", "N-2025-000009"} << "N-2024-000006"
            << " 0 D  57 57" << QStringList{"BOT 7 0  6 4.5 BOT PRIV", "GRA 15 0  1 0  PRIV"};
    }
    void documento() {
        QFETCH(int, tipo);
        QFETCH(QString, codice);
        QFETCH(QDate, datamov);
        QFETCH(QStringList, esistenti);
        QFETCH(QString, numero);
        for (const QString& e : esistenti) esistente(e);
        VenditaInCorso v(tf->db());
        v.apri();
        QVERIFY(vendi(v, QStringLiteral("Bott"), QStringLiteral("6")));
        QVERIFY(vendi(v, QStringLiteral("Grappa"), QStringLiteral("1")));
        const DocumentoCreato d =
            crea_documento(tf->db(), {tipo, codice, datamov, adesso}, v.righe());
        QVERIFY2(d.ok(), qPrintable(d.rifiuto));
        QCOMPARE(d.documNumero, numero);
        QSqlQuery q = tf->db().select(
            QStringLiteral("SELECT Doc_tipo, DDTFATT, Fatturato, Num_fattura, Anno, Data, Codice, "
                           "Destinazione, Causale, Ritiro, COALESCE(ALIVA1, ''), I1, Trasporto, "
                           "COALESCE(Vettore, ''), Tot_Imponibile, Totale "
                           "FROM Fatture WHERE Docum_numero = ?"),
            {numero});
        QVERIFY(q.next());
        const DocumentKind& kind = documentKind(tipo);
        QCOMPARE(q.value(0).toString(), kind.docTipo);
        QCOMPARE(q.value(1).toString(), kind.ddtfatt);
        QCOMPARE(q.value(2).toString(), kind.fatturato);
        QCOMPARE(q.value(3).toInt(), numero.mid(7).toInt());
        QCOMPARE(q.value(4).toString(), QString::number(datamov.year()));
        QCOMPARE(q.value(5).toString(),
                 datamov.toString(Qt::ISODate) + QStringLiteral(" 00:00:00"));
        QCOMPARE(q.value(6).toString(), codice);
        QCOMPARE(q.value(7).toString(), codice);
        QCOMPARE(q.value(8).toString(), QStringLiteral("Vendita"));
        QCOMPARE(q.value(9).toString(), QStringLiteral("02/01/2026 09:41"));
        const QString testata = QStringList{q.value(10).toString(),
                                            q.value(11).toString(),
                                            q.value(12).toString(),
                                            q.value(13).toString(),
                                            formatGeneral(q.value(14).toLongLong() / 10000.0),
                                            formatGeneral(q.value(15).toLongLong() / 10000.0)}
                                    .join(QLatin1Char(' '));
        QTEST(testata, "testata");
        QTEST(righe(numero), "righe");
        // Nothing is discharged or emptied by writing alone.
        QCOMPARE(tf->count(QStringLiteral("Giornale")), 0);
        QCOMPARE(v.righe().size(), 2);
    }

    // The whole run of "Ricevuta" for a delivery note to AZ2, printed or not, or stopped.
    void esecuzione_data() {
        QTest::addColumn<QString>("caso");
        QTest::addColumn<bool>("stampato");  // the printer's answer
        QTest::addColumn<QString>("messaggio");
        QTest::addColumn<int>("esito");
        QTest::addColumn<bool>("documento");  // a document is left
        QTest::addColumn<bool>("svuotata");   // the sale emptied
        QTest::addColumn<bool>("scaricato");  // stock, journal and marks
        using E = EsitoVenditaDocumento;
        QTest::newRow("printed") << "" << true << "" << int(E::Stampato) << true << true << true;
        QTest::newRow("short name changed: found by its code")
            << "rinominato" << true << "" << int(E::Stampato) << true << true << true;
        QTest::newRow("printer refused") << "" << false << msgDocumentoNonStampato()
                                         << int(E::NonStampato) << false << false << false;
        QTest::newRow("no customer") << "nessun cliente" << true << msgSelezionareCliente()
                                     << int(E::Rifiutato) << false << false << false;
        QTest::newRow("stock sold meanwhile")
            << "giacenza" << true << QStringLiteral("Giacenza insufficiente: disponibile 5")
            << int(E::Rifiutato) << false << false << false;
        QTest::newRow("product gone")
            << "eliminato" << true << msgRigaSenzaProdotto(QStringLiteral("Vino BOT"))
            << int(E::Rifiutato) << false << false << false;
        QTest::newRow("database error while discharging")
            << "errore" << true << msgDocumentoNonScaricato(QStringLiteral("B-2025-000001"))
            << int(E::NonScaricato) << true << true << false;
    }
    void esecuzione() {
        QFETCH(QString, caso);
        QFETCH(bool, stampato);
        QFETCH(bool, documento);
        QFETCH(bool, svuotata);
        QFETCH(bool, scaricato);
        ScriptedMessages msgs;
        VenditaInCorso v(tf->db());
        v.apri();
        QVERIFY(vendi(v, QStringLiteral("Bott"), QStringLiteral("6")));
        QVERIFY(vendi(v, QStringLiteral("Grappa"), QStringLiteral("1")));
        if (caso == u"giacenza")
            tf->db().exec(QStringLiteral("UPDATE Prodotti SET Litri = 3.75 WHERE Nome_breve = ?"),
                          {QStringLiteral("Bott")});
        if (caso == u"rinominato" || caso == u"eliminato")
            tf->db().exec(
                QStringLiteral("UPDATE Prodotti SET Nome_breve = 'Bottiglia' WHERE "
                               "Codice_prodotto = 'BOT'"));
        if (caso == u"eliminato")
            tf->db().exec(QStringLiteral("DELETE FROM Prodotti WHERE Codice_prodotto = 'BOT'"));
        if (caso == u"errore")
            tf->db().failNextStatementContaining(QStringLiteral("INSERT INTO Giornale"));
        const QString cli = caso == u"nessun cliente" ? QString() : QStringLiteral("AZ2");
        QStringList stampe;
        bool eraScritto = false;
        auto stampa = [&](const QString& numero, const QString& modello, const QString& titolo) {
            stampe << numero + u' ' + modello + u' ' + titolo;
            eraScritto = righe(numero).size() == 2;
            return stampato;
        };
        const EsitoVenditaDocumento e =
            documento_da_vendita(v, {KindDdt, cli, QDate(2025, 3, 8), adesso}, stampa);
        QTEST(e.messaggio, "messaggio");
        QTEST(int(e.esito), "esito");
        const bool provato = e.esito != EsitoVenditaDocumento::Rifiutato;
        QCOMPARE(stampe, provato ? QStringList{"B-2025-000001 doctrasp Documento di trasporto"}
                                 : QStringList{});
        QCOMPARE(eraScritto, provato);  // the template reads the document written
        QCOMPARE(tf->count(QStringLiteral("Fatture")), documento ? 1 : 0);
        QCOMPARE(tf->count(QStringLiteral("Righe")), documento ? 2 : 0);
        QCOMPARE(v.righe().size(), svuotata ? 0 : 2);
        QCOMPARE(v.totaleTesto(), svuotata ? QString() : QStringLiteral("67,00"));
        // The receipt number is not counted for a document.
        QCOMPARE(tf->value(QStringLiteral("SELECT COALESCE(Intesta1, '') || '/' || Docum_numero "
                                          "FROM Appoggio_I"))
                     .toString(),
                 svuotata ? QStringLiteral("/41") : QStringLiteral("Sig. Rossi/41"));
        if (caso == u"eliminato") return;
        QCOMPARE(tf->value(QStringLiteral("SELECT Litri FROM Prodotti WHERE Codice_prodotto = "
                                          "'BOT'"))
                     .toDouble(),
                 scaricato             ? 45.5
                 : caso == u"giacenza" ? 3.75
                                       : 50.0);
        QSqlQuery q = tf->db().select(QStringLiteral(
            "SELECT Cod_vino, Litri, Cliente, Docum_numero, Riga_num = (SELECT MIN(Ordine) FROM "
            "Righe), Tipo FROM Giornale"));
        QStringList giornale;
        while (q.next())
            giornale << QStringLiteral("%1 %2 %3 %4 %5 %6")
                            .arg(q.value(0).toString())
                            .arg(q.value(1).toDouble())
                            .arg(q.value(2).toString(), q.value(3).toString())
                            .arg(q.value(4).toInt())
                            .arg(q.value(5).toString());
        // The line without stock is not discharged, but every line is marked.
        QCOMPARE(giornale,
                 scaricato ? QStringList{"BOT 4.5 AZ2 B-2025-000001 1 B"} : QStringList{});
        QCOMPARE(
            tf->value(QStringLiteral("SELECT COUNT(*) FROM Righe WHERE Scaricato = 1")).toInt(),
            scaricato ? 2 : 0);
    }
};

QTEST_GUILESS_MAIN(TestPanelDocumento)
#include "tst_panel_documento.moc"
