// The document rules without windows: numbering and creation, totals and VAT, due dates, line
// rules, printing with discharge, and the shared data sets' events, on a real database file.
#include <QTest>

#include "common/format.h"
#include "common/messages.h"
#include "data/dataset.h"
#include "data/shareddata.h"
#include "documents/documents_rules.h"
#include "documents/duedates.h"
#include "documents/kinds.h"
#include "documents/numbering.h"
#include "documents/service.h"
#include "documents/totals.h"
#include "stock/giornale.h"
#include "support/testfolder.h"

Q_DECLARE_METATYPE(QVector<RigaTotali>)

namespace {
// "code:quantity:price:discount[:volume]" lines of a totals case.
QVector<RigaTotali> lines(const QStringList& specs) {
    QVector<RigaTotali> out;
    for (const QString& s : specs) {
        const QStringList p = s.split(u':');
        out.append({p[0], importoRiga(p[1].toDouble(), p[2].toDouble(), p[3].toDouble()),
                    p.value(4).toDouble()});
    }
    return out;
}
}  // namespace

class TestDocumentsRules : public QObject {
    Q_OBJECT
    std::unique_ptr<TestFolder> tf;

    QVariant sql(const QString& s, const QVariantList& p = {}) { return tf->value(s, p); }
    void header(const QString& numero, const QString& tipo, const QString& ddtfatt, int anno,
                int num, const QString& cliente = QStringLiteral("C1")) {
        tf->insert(QStringLiteral("Fatture"),
                   {{"Docum_numero", numero},
                    {"Doc_tipo", tipo},
                    {"DDTFATT", ddtfatt},
                    {"Anno", QString::number(anno)},
                    {"Num_fattura", num},
                    {"Data", QStringLiteral("%1-03-10 00:00:00").arg(anno)},
                    {"Codice", cliente},
                    {"ALIVA1", tipo == u"N" ? "" : "22"},
                    {"I1", tipo == u"N" ? 0 : 22}});
    }
    void customer(const QString& code, const QString& kind, const QString& iva = {},
                  const QString& listino = QStringLiteral("1"), const QString& carrier = {}) {
        tf->insert(QStringLiteral("Anagrafica"), {{"Codice", code},
                                                  {"RagioneSociale", "Cliente " + code},
                                                  {"Giur_Pers", kind},
                                                  {"IVA", iva},
                                                  {"Listino", listino},
                                                  {"Riferimento", carrier}});
    }
    void product(const QString& code, const QString& stato, double litri,
                 const QString& bottiglia = {}, double prezzo1 = 5) {
        tf->insert(QStringLiteral("Prodotti"), {{"Codice_prodotto", code},
                                                {"Descrizione", "Vino " + code},
                                                {"Stato", stato},
                                                {"Litri", litri},
                                                {"Bottiglia", bottiglia},
                                                {"UM", stato == u"1" ? "li" : "nr"},
                                                {"Prezzo1", prezzo1},
                                                {"Prezzo2", prezzo1 + 1},
                                                {"Prezzo3", prezzo1 + 2},
                                                {"Prezzo4", prezzo1 + 3},
                                                {"Prezzo5", prezzo1 + 4},
                                                {"Prezzo_sinottico", prezzo1 + 5},
                                                {"IVA", "22"}});
    }
    qint64 line(const QString& doc, const QString& code, double q, double lpu,
                const QString& linked, bool scaricato = false, double prezzo = 1) {
        return tf->insert(QStringLiteral("Righe"), {{"Docum_numero", doc},
                                                    {"Codice", code},
                                                    {"Quantita", q},
                                                    {"Litri_per_unita", lpu},
                                                    {"Volume", q * lpu},
                                                    {"Prezzo", prezzo},
                                                    {"Cod_vino_collegato", linked},
                                                    {"Scaricato", scaricato ? 1 : 0}});
    }
    double stock(const QString& code) {
        return sql(QStringLiteral("SELECT Litri FROM Prodotti WHERE Codice_prodotto = ?"), {code})
            .toDouble();
    }

private Q_SLOTS:
    void initTestCase() { installItalianLocale(); }
    void init() {
        tf = std::make_unique<TestFolder>();
        tf->insert(QStringLiteral("Imballi"), {{"Bottiglia", "075"}, {"Volume", 0.75}});
    }
    void cleanup() { tf.reset(); }

    // ---- numbering

    void nextNumber_data() {
        QTest::addColumn<QStringList>("existing");  // "F-2025-000012:F:2025:12"
        QTest::addColumn<QString>("serie");
        QTest::addColumn<int>("anno");
        QTest::addColumn<int>("next");
        QTest::newRow("first of an empty table") << QStringList{} << "B" << 2025 << 1;
        QTest::newRow("first of a year after 250 the year before")
            << QStringList{"F-2024-000250:F:2024:250"} << "F" << 2025 << 1;
        QTest::newRow("immediate and summary invoices share the series")
            << QStringList{"F-2025-000011:F:2025:11", "F-2025-000012:F:2025:12"} << "F" << 2025
            << 13;
        QTest::newRow("delivery notes apart from receipts")
            << QStringList{"B-2025-000005:B:2025:5", "N-2025-000005:N:2025:5",
                           "N-2025-000006:N:2025:6"}
            << "B" << 2025 << 6;
        QTest::newRow("a gap is never refilled")
            << QStringList{"F-2025-000008:F:2025:8", "F-2025-000010:F:2025:10"} << "F" << 2025
            << 11;
        QTest::newRow("the date's year decides")
            << QStringList{"B-2024-000031:B:2024:31"} << "B" << 2024 << 32;
    }
    void nextNumber() {
        QFETCH(QStringList, existing);
        QFETCH(QString, serie);
        QFETCH(int, anno);
        QFETCH(int, next);
        for (const QString& e : existing) {
            const QStringList p = e.split(u':');
            header(p[0], p[1],
                   p[1] == u"F"   ? "I"
                   : p[1] == u"B" ? "D"
                                  : "N",
                   p[2].toInt(), p[3].toInt());
        }
        QCOMPARE(prossimo_numero(tf->db(), serie, anno), next);
        // The same answer as the stored query Unum.
        DataSet look(tf->db(), QStringLiteral("LookNum"));
        look.setStoredQuery(QStringLiteral("Unum"), {serie, QString::number(anno)});
        look.open();
        QCOMPARE(look.isEmpty() ? 1 : look["MaxDiNum_fattura"].asInteger() + 1, next);
        QCOMPARE(
            docum_numero(documentKind(serie == u"B"   ? 0
                                      : serie == u"N" ? 1
                                                      : 2),
                         anno, next),
            QStringLiteral("%1-%2-%3").arg(serie).arg(anno).arg(next, 6, 10, QLatin1Char('0')));
    }

    // ---- creation of a header

    void create_data() {
        QTest::addColumn<int>("kind");
        QTest::addColumn<int>("numero");
        QTest::addColumn<QString>("cliente");
        QTest::addColumn<QString>("destinazione");
        QTest::addColumn<bool>("ivaTable");
        QTest::addColumn<QString>("refusal");
        QTest::addColumn<QString>(
            "expected");  // Docum_numero|ALIVA1|I1|Destinazione|Trasporto|Vettore|DDTFATT|Fatturato
        QTest::newRow("no customer") << 0 << 1 << ""
                                     << "D1" << true << msgSelezionareCliente() << "";
        QTest::newRow("delivery note without place of delivery")
            << 0 << 1 << "G1"
            << "" << true << msgSelezionareDestinazione() << "";
        QTest::newRow("immediate invoice without place of delivery")
            << 2 << 1 << "G1"
            << "" << true << msgSelezionareDestinazione() << "";
        QTest::newRow("summary invoice typed over an immediate one")
            << 3 << 12 << "G1"
            << "" << true << msgNumeroDuplicato() << "";
        QTest::newRow("seven digits") << 0 << 1000000 << "G1"
                                      << "D1" << true << msgNumeroFuoriLimiti() << "";
        QTest::newRow("negative number") << 0 << -3 << "G1"
                                         << "D1" << true << msgNumeroFuoriLimiti() << "";
        QTest::newRow("no base VAT anywhere") << 0 << 1 << "G1"
                                              << "D1" << false << msgMancaIvaBase() << "";
        QTest::newRow("delivery note numbered like a receipt") << 0 << 5 << "G1"
                                                               << "D1" << true << ""
                                                               << "B-2025-000005|22|22|D1|D||D|N";
        QTest::newRow("customer's own code and carrier")
            << 2 << 7 << "G2"
            << "D1" << true << ""
            << "F-2025-000007|ES|0|D1|V|Trasporti Rossi|I|X";
        QTest::newRow("receipt: no VAT, no place of delivery") << 1 << 9 << "X1"
                                                               << "D1" << false << ""
                                                               << "N-2025-000009||0||D||N|X";
        QTest::newRow("summary invoice drops the place of delivery")
            << 3 << 13 << "G1"
            << "D1" << true << ""
            << "F-2025-000013|22|22||D||R|X";
        QTest::newRow("number 0: the next free one") << 2 << 0 << "G1"
                                                     << "D1" << true << ""
                                                     << "F-2025-000013|22|22|D1|D||I|X";
    }
    void create() {
        QFETCH(int, kind);
        QFETCH(int, numero);
        QFETCH(QString, cliente);
        QFETCH(QString, destinazione);
        QFETCH(bool, ivaTable);
        QFETCH(QString, refusal);
        QFETCH(QString, expected);
        customer(QStringLiteral("G1"), QStringLiteral("G"));
        customer(QStringLiteral("G2"), QStringLiteral("P"), QStringLiteral("ES"), "1",
                 QStringLiteral("Trasporti Rossi"));
        customer(QStringLiteral("X1"), QStringLiteral("X"));
        customer(QStringLiteral("D1"), QStringLiteral("G"));
        if (ivaTable) {
            tf->insert(QStringLiteral("IVA"), {{"Ordine", 2}, {"IVA", "10"}});
            tf->insert(QStringLiteral("IVA"), {{"Ordine", 1}, {"IVA", "22"}});
        }
        header(QStringLiteral("F-2025-000012"), "F", "I", 2025, 12);
        header(QStringLiteral("N-2025-000005"), "N", "N", 2025, 5);
        const int before = tf->count(QStringLiteral("Fatture"));
        const EsitoDocumento e =
            creaTestata(tf->db(), {kind, QDate(2025, 6, 30), numero, cliente, destinazione, {}});
        QCOMPARE(e.rifiuto, refusal);
        if (!refusal.isEmpty()) {
            QCOMPARE(tf->count(QStringLiteral("Fatture")), before);
            return;
        }
        const QStringList x = expected.split(u'|');
        QCOMPARE(e.documNumero, x[0]);
        QSqlQuery q = tf->db().select(
            QStringLiteral("SELECT ALIVA1, I1, Destinazione, Trasporto, Vettore, DDTFATT, "
                           "Fatturato, Causale, Anno, Data, Num_fattura, Totale, Tot_Litri, "
                           "Codice FROM Fatture WHERE Docum_numero = ?"),
            {e.documNumero});
        QVERIFY(q.next());
        for (int i = 0; i < 7; ++i) QCOMPARE(q.value(i).toString(), x[i + 1]);
        QCOMPARE(q.value(7).toString(), QStringLiteral("Vendita"));
        QCOMPARE(q.value(8).toString(), QStringLiteral("2025"));
        QCOMPARE(q.value(9).toString(), QStringLiteral("2025-06-30 00:00:00"));
        QCOMPARE(q.value(10).toInt(), x[0].right(6).toInt());
        QCOMPARE(q.value(11).toLongLong(), 0);
        QCOMPARE(q.value(13).toString(), cliente);
    }

    // Another workstation takes the number between the check and the write: the unique key
    // refuses it, and nothing of this document is left.
    void numberTakenMeanwhile() {
        customer(QStringLiteral("G1"), QStringLiteral("G"), QStringLiteral("22"));
        tf->db().exec(QStringLiteral(
            "CREATE TEMP TRIGGER rival BEFORE INSERT ON Fatture WHEN NEW.Doc_tipo IS NOT 'Z' "
            "BEGIN INSERT INTO Fatture (Docum_numero, Doc_tipo) VALUES (NEW.Docum_numero, 'Z'); "
            "END"));
        CampiRiga r;
        r.codice = QStringLiteral("testo");
        const EsitoDocumento e = creaDocumento(
            tf->db(), {0, QDate(2025, 2, 1), 3, QStringLiteral("G1"), QStringLiteral("G1"), {}},
            {r});
        QCOMPARE(e.rifiuto, msgNumeroDuplicato());
        QCOMPARE(tf->count(QStringLiteral("Fatture")), 0);
        QCOMPARE(tf->count(QStringLiteral("Righe")), 0);
    }

    // ---- totals

    void totals_data() {
        QTest::addColumn<QString>("base");
        QTest::addColumn<bool>("ricevuta");
        QTest::addColumn<int>("sc1");
        QTest::addColumn<QVector<RigaTotali>>("righe");
        QTest::addColumn<QString>("codes");  // ALIVA1..4 joined by "/"
        QTest::addColumn<QList<double>>("imp");
        QTest::addColumn<QList<double>>("iva");
        QTest::addColumn<QList<double>>("totals");  // Tot_sconto, Tot_Imponibile, Tot_Iva, Totale
        QTest::addColumn<int>("excluded");
        QTest::newRow("three rates, slot discount")
            << "22" << false << 5 << lines({":10:5:0:7.5", "10:3:10:10:2", "4:2:7.5:0"})
            << "22/10/4/" << QList<double>{50, 27, 15, 0} << QList<double>{10.45, 2.70, 0.60, 0}
            << QList<double>{2.5, 89.5, 13.75, 103.25} << 0;
        QTest::newRow("the base code stays in slot 1")
            << "22" << false << 0 << lines({"22:1:10:0", "10:1:10:0", ":1:10:0"}) << "22/10//"
            << QList<double>{20, 10, 0, 0} << QList<double>{4.4, 1, 0, 0}
            << QList<double>{0, 30, 5.4, 35.4} << 0;
        QTest::newRow("a fifth code is left out")
            << "22" << false << 0
            << lines({"10:1:10:0", "4:1:10:0", "5:1:10:0", "ES:1:10:0", "ES:1:1:0", ":1:10:0"})
            << "22/10/4/5" << QList<double>{10, 10, 10, 10} << QList<double>{2.2, 1, 0.4, 0.5}
            << QList<double>{0, 40, 4.1, 44.1} << 2;
        QTest::newRow("receipt: one slot, no VAT")
            << "22" << true << 0 << lines({"10:2:3.5:0", ":1:1:0", "4:1:0.25:0"}) << "///"
            << QList<double>{8.25, 0, 0, 0} << QList<double>{0, 0, 0, 0}
            << QList<double>{0, 8.25, 0, 8.25} << 0;
        QTest::newRow("exemption: rate 0")
            << "22" << false << 0 << lines({"ES:1:100:0"}) << "22/ES//"
            << QList<double>{0, 100, 0, 0} << QList<double>{0, 0, 0, 0}
            << QList<double>{0, 100, 0, 100} << 0;
        QTest::newRow("a return: negative total, half a cent away from zero")
            << "10" << false << 0 << lines({":-1:1.25:0"}) << "10///"
            << QList<double>{-1.25, 0, 0, 0} << QList<double>{-0.13, 0, 0, 0}
            << QList<double>{0, -1.25, -0.13, -1.38} << 0;
    }
    void totals() {
        QFETCH(QString, base);
        QFETCH(bool, ricevuta);
        QFETCH(int, sc1);
        QFETCH(QVector<RigaTotali>, righe);
        QFETCH(QString, codes);
        QFETCH(QList<double>, imp);
        QFETCH(QList<double>, iva);
        QFETCH(QList<double>, totals);
        QFETCH(int, excluded);
        const Castelletto c = calcolaTotali(base, aliquota(base), ricevuta, {sc1, 0, 0, 0}, righe);
        QCOMPARE(QStringList(c.aliva.begin(), c.aliva.end()).join(u'/'), codes);
        for (size_t n = 0; n < 4; ++n) {
            QCOMPARE(c.i[n], aliquota(c.aliva[n]));
            QVERIFY2(qAbs(c.imp[n] - imp[int(n)]) < 1e-9, qPrintable(QString::number(n)));
            QCOMPARE(c.iva[n], iva[int(n)]);
        }
        QVERIFY(qAbs(c.totSconto - totals[0]) < 1e-9);
        QVERIFY(qAbs(c.totImponibile - totals[1]) < 1e-9);
        QVERIFY(qAbs(c.totIva - totals[2]) < 1e-9);
        QVERIFY2(qAbs(c.totale - totals[3]) < 1e-9, qPrintable(QString::number(c.totale, 'f', 6)));
        QCOMPARE(int(c.righeEscluse.size()), excluded);
    }

    void rounding_data() {
        QTest::addColumn<double>("value");
        QTest::addColumn<double>("rounded");
        QTest::newRow("half up") << 0.125 << 0.13;
        QTest::newRow("half down, away from zero") << -0.125 << -0.13;
        QTest::newRow("whole cents unchanged") << 10.45 << 10.45;
        QTest::newRow("below half") << 2.7049 << 2.70;
        // 0.015 is a little less than a half cent in binary; formed in extended precision it
        // stays below (in double it would round up).
        QTest::newRow("extended precision") << 0.015 << 0.01;
        QTest::newRow("zero") << 0.0 << 0.0;
    }
    void rounding() {
        QFETCH(double, value);
        QFETCH(double, rounded);
        QCOMPARE(Ivaround(QLatin1Char('E'), value), rounded);
    }

    void rate_data() {
        QTest::addColumn<QString>("code");
        QTest::addColumn<int>("rate");
        QTest::newRow("22") << "22" << 22;
        QTest::newRow("leading blanks") << "  4" << 4;
        QTest::newRow("sign") << "+10" << 10;
        QTest::newRow("letters") << "ES" << 0;
        QTest::newRow("digits then letters") << "22A" << 0;
        QTest::newRow("empty") << "" << 0;
        QTest::newRow("trailing blank") << "10 " << 0;
    }
    void rate() {
        QFETCH(QString, code);
        QFETCH(int, rate);
        QCOMPARE(aliquota(code), rate);
    }

    // The display fields: VAT notes of slots with an amount and no tax, litres in words.
    void displayFields() {
        const QHash<QString, QString> notes{{"ES", "Esente art. 10"}, {"22", ""}};
        QCOMPARE(noteIva({"22", "ES", "NI", ""}, {10, 5, 3, 0}, {2.2, 0, 0, 0}, notes),
                 QStringLiteral(" (ES=Esente art. 10) "));
        QCOMPARE(noteIva({"ES", "", "", ""}, {5, 0, 0, 0}, {0, 0, 0, 0}, notes),
                 QStringLiteral("(ES=Esente art. 10)"));
        QCOMPARE(trasportoLettere("V"), QStringLiteral("Vettore"));
        QCOMPARE(descrizioneDocumento("N"), QStringLiteral("Ricevuta (per privati)"));
        SharedData sd(tf->db());
        attachDocumentRules(sd);
        tf->insert(QStringLiteral("IVA"), {{"Ordine", 1}, {"IVA", "ES"}, {"Nota_fin", "Esente"}});
        tf->insert(QStringLiteral("Fatture"), {{"Docum_numero", "B-2025-000001"},
                                               {"Doc_tipo", "B"},
                                               {"Tot_Litri", 4.5},
                                               {"Trasporto", "M"},
                                               {"ALIVA1", "ES"},
                                               {"IMP1", 10.0},
                                               {"IVA1", 0.0}});
        sd.Fatture.open();
        QVERIFY(sd.Fatture["LitriLettere"].asString().startsWith(QStringLiteral("4,5  ")));
        QCOMPARE(sd.Fatture["NOTEIVA"].asString(), QStringLiteral("(ES=Esente)"));
        QCOMPARE(sd.Fatture["Trasporto_l"].asString(), QStringLiteral("Mittente"));
        QCOMPARE(sd.Fatture["Doc_descr"].asString(), QStringLiteral("Docum.Trasporto"));
    }

    // ---- due dates

    void dueDates_data() {
        QTest::addColumn<QString>("terms");
        QTest::addColumn<QDate>("date");
        QTest::addColumn<QString>("result");
        QTest::newRow("RB 30/60 FM")
            << "RB 30/60 FM" << QDate(2025, 1, 15) << "28/02/2025 31/03/2025 ";
        QTest::newRow("30 GG") << "30 GG" << QDate(2025, 1, 15) << "15/02/2025 ";
        QTest::newRow("day 28 or more") << "30 GG" << QDate(2025, 1, 30) << "28/02/2025 ";
        QTest::newRow("leap year") << "30 GG" << QDate(2024, 1, 28) << "29/02/2024 ";
        QTest::newRow("90 FM +10 over the year")
            << "90 FM +10" << QDate(2024, 11, 10) << "10/03/2025 ";
        QTest::newRow("120") << "120" << QDate(2024, 9, 5) << "05/01/2025 ";
        QTest::newRow("no days") << "RIMESSA DIRETTA" << QDate(2024, 9, 5) << "05/09/2024";
        QTest::newRow("lower case") << "30 gg fm" << QDate(2025, 1, 15) << "28/02/2025 ";
        QTest::newRow("130 contains 30") << "130 GG" << QDate(2025, 1, 15) << "15/02/2025 ";
        QTest::newRow("F.M. and four terms") << "30-60-90-120 F.M." << QDate(2025, 10, 3)
                                             << "30/11/2025 31/12/2025 31/01/2026 28/02/2026 ";
        QTest::newRow("empty terms") << "" << QDate(2025, 1, 15) << "15/01/2025";
    }
    void dueDates() {
        QFETCH(QString, terms);
        QFETCH(QDate, date);
        QFETCH(QString, result);
        QCOMPARE(Scadenza(terms, date), result);
    }

    // ---- lines

    void fill_data() {
        QTest::addColumn<QString>("listino");
        QTest::addColumn<QString>("giur");
        QTest::addColumn<QString>("custIva");
        QTest::addColumn<QString>("prodIva");
        QTest::addColumn<QString>("stato");
        QTest::addColumn<double>("quantita");
        QTest::addColumn<QString>("expected");  // price|IVA|Cod_vino|Litri_per_unita|Quantita
        QTest::newRow("list 1") << "1"
                                << "G"
                                << ""
                                << "22"
                                << "1" << 12.0 << "5|22|P|1|12";
        QTest::newRow("list 5") << "5"
                                << "G"
                                << ""
                                << "22"
                                << "1" << 1.0 << "9|22|P|1|1";
        QTest::newRow("list 6 counter price") << "6"
                                              << "X"
                                              << ""
                                              << "22"
                                              << "2" << 6.0 << "10|22|P|0.75|6";
        QTest::newRow("empty list pays 0") << ""
                                           << "G"
                                           << ""
                                           << "22"
                                           << "1" << 1.0 << "0|22|P|1|1";
        QTest::newRow("customer's VAT first") << "2"
                                              << "G"
                                              << "ES"
                                              << "22"
                                              << "1" << 1.0 << "6|ES|P|1|1";
        QTest::newRow("no VAT keeps the line's") << "2"
                                                 << "G"
                                                 << ""
                                                 << ""
                                                 << "1" << 1.0 << "6|old|P|1|1";
        QTest::newRow("kind N pays 0") << "3"
                                       << "N"
                                       << ""
                                       << "22"
                                       << "1" << 1.0 << "0|22|P|1|1";
        QTest::newRow("no stock kept: no link") << "1"
                                                << "G"
                                                << ""
                                                << "22"
                                                << "0" << 2.0 << "5|22|old|9|2";
        QTest::newRow("quantity 0 keeps the line's") << "1"
                                                     << "G"
                                                     << ""
                                                     << "22"
                                                     << "1" << 0.0 << "5|22|P|1|3";
    }
    void fill() {
        QFETCH(QString, listino);
        QFETCH(QString, giur);
        QFETCH(QString, custIva);
        QFETCH(QString, prodIva);
        QFETCH(QString, stato);
        QFETCH(double, quantita);
        QFETCH(QString, expected);
        ProdottoRiga p;
        p.codice = QStringLiteral("P");
        p.descrizione = QStringLiteral("Vino");
        p.um = QStringLiteral("nr");
        p.iva = prodIva;
        p.stato = stato;
        p.prezzi = {5, 6, 7, 8, 9};
        p.prezzoSinottico = 10;
        p.volume = 0.75;
        CampiRiga r;
        r.iva = QStringLiteral("old");
        r.codVino = QStringLiteral("old");
        r.litriPerUnita = 9;
        r.quantita = 3;
        compilaRiga(r, p, {custIva, listino, giur, 0}, quantita);
        const QStringList x = expected.split(u'|');
        QCOMPARE(r.prezzo, x[0].toDouble());
        QCOMPARE(r.iva, x[1]);
        QCOMPARE(r.codVino, x[2]);
        QCOMPARE(r.litriPerUnita, x[3].toDouble());
        QCOMPARE(r.quantita, x[4].toDouble());
        QCOMPARE(r.codice, QStringLiteral("P"));
        QCOMPARE(r.stato, stato);
    }

    void stockCheck_data() {
        QTest::addColumn<QString>("stato");
        QTest::addColumn<double>("litri");
        QTest::addColumn<QString>("linked");
        QTest::addColumn<double>("quantita");
        QTest::addColumn<bool>("scaricato");
        QTest::addColumn<bool>("nuova");
        QTest::addColumn<int>("esito");
        QTest::addColumn<QString>("message");
        const int ok = int(EsitoRiga::Ok), warn = int(EsitoRiga::Avviso),
                  no = int(EsitoRiga::Rifiutata);
        QTest::newRow("bulk 12 of 10")
            << "1" << 10.0 << "P" << 12.0 << false << true << no << msgGiacenzaInsufficiente(10);
        QTest::newRow("bulk 10 of 10") << "1" << 10.0 << "P" << 10.0 << false << true << ok << "";
        QTest::newRow("bottled 9 of 7.4 l")
            << "2" << 7.4 << "P" << 9.0 << false << false << ok << "";
        QTest::newRow("bottled 10 of 7.4 l") << "2" << 7.4 << "P" << 10.0 << false << false << no
                                             << "Giacenza insufficiente: "
                                                "disponibile 9";
        QTest::newRow("half litres in the message")
            << "1" << 2.5 << "P" << 3.0 << false << true << no
            << "Giacenza insufficiente: "
               "disponibile 2,5";
        QTest::newRow("no stock kept") << "0" << 0.0 << "P" << 50.0 << false << true << ok << "";
        QTest::newRow("text line") << "1" << 0.0 << "" << 50.0 << false << true << ok << "";
        QTest::newRow("copied discharged line")
            << "1" << 0.0 << "P" << 50.0 << true << true << ok << "";
        QTest::newRow("changed discharged line")
            << "1" << 0.0 << "P" << 50.0 << true << false << warn << msgRigaScaricata();
        QTest::newRow("unknown product") << "1" << 0.0 << "Q" << 50.0 << false << true << ok << "";
    }
    void stockCheck() {
        QFETCH(QString, stato);
        QFETCH(double, litri);
        QFETCH(QString, linked);
        QFETCH(double, quantita);
        QFETCH(bool, scaricato);
        QFETCH(bool, nuova);
        QFETCH(int, esito);
        QFETCH(QString, message);
        product(QStringLiteral("P"), stato, litri, stato == u"2" ? "075" : "");
        CampiRiga r;
        r.codice = linked;
        r.codVino = linked;
        r.quantita = quantita;
        r.scaricato = scaricato;
        const ControlloRiga c = controllaRiga(tf->db(), r, nuova);
        QCOMPARE(int(c.esito), esito);
        QCOMPARE(c.messaggio, message);
    }

    // A code typed in another letter case finds the product; the line keeps the product's code.
    void productLookup() {
        product(QStringLiteral("Pro-Brut"), "2", 9, "075");
        product(QStringLiteral("PRO-BRUT"), "1", 3);
        QCOMPARE(trovaProdotto(tf->db(), QStringLiteral("PRO-BRUT"))->stato, QStringLiteral("1"));
        const auto p = trovaProdotto(tf->db(), QStringLiteral("pro-brut"));
        QVERIFY(p);
        QCOMPARE(p->codice, QStringLiteral("Pro-Brut"));
        QCOMPARE(p->volume, 0.75);
        QCOMPARE(disponibile(*p), 12.0);
        QVERIFY(!trovaProdotto(tf->db(), QStringLiteral("pro")));
    }

    // ---- the events of the shared data sets

    void lineEventsOnSharedData() {
        ScriptedMessages msgs;
        customer(QStringLiteral("X1"), QStringLiteral("X"), {}, QStringLiteral("6"));
        product(QStringLiteral("BOT"), "2", 7.4, "075");
        header(QStringLiteral("N-2025-000001"), "N", "N", 2025, 1, QStringLiteral("X1"));
        SharedData sd(tf->db());
        DocumentRules& rules = attachDocumentRules(sd);
        for (DataSet* ds : {&sd.Fatture, &sd.righe, &sd.clifatt, &sd.prodotti}) ds->open();
        sd.Fatture.setReadOnly(false);
        sd.righe.setReadOnly(false);
        DataSet& r = sd.righe;
        // A new line on a receipt, filled from a product typed in lower case.
        r.append();
        QCOMPARE(r["Docum_numero"].asString(), QStringLiteral("N-2025-000001"));
        QCOMPARE(r["CodiceCli"].asString(), QStringLiteral("X1"));
        QVERIFY(rules.completa_riga(QStringLiteral("bot"), 6));
        QSqlQuery q = tf->db().select(QStringLiteral(
            "SELECT Codice, Quantita, Litri_per_unita, Volume, IVA, Prezzo, Cod_vino_collegato, "
            "Scaricato FROM Righe"));
        QVERIFY(q.next());
        QCOMPARE(q.value(0).toString(), QStringLiteral("BOT"));
        QCOMPARE(q.value(1).toDouble(), 6.0);
        QCOMPARE(q.value(2).toDouble(), 0.75);
        QCOMPARE(q.value(3).toDouble(), 4.5);
        QCOMPARE(q.value(4).toString(), QString());  // the product's 22 emptied on a receipt
        QCOMPARE(q.value(5).toLongLong(), 100000);   // counter price 10.00
        QCOMPARE(q.value(6).toString(), QStringLiteral("BOT"));
        QCOMPARE(q.value(7).toInt(), 0);
        // The header follows the line and stores it at its next save.
        QVERIFY(sd.Fatture.isEditing());
        QCOMPARE(sd.Fatture["Totale"].asFloat(), 60.0);
        QVERIFY(sd.Fatture.post());
        QCOMPARE(sql("SELECT Totale FROM Fatture").toLongLong(), 600000);
        QCOMPARE(sql("SELECT Tot_Litri FROM Fatture").toDouble(), 4.5);
        QVERIFY(msgs.texts.isEmpty());

        // Ten bottles of nine: refused, the line stays in edit with what was typed.
        r.append();
        QVERIFY(!rules.completa_riga(QStringLiteral("BOT"), 10));
        QCOMPARE(msgs.texts, QStringList{QStringLiteral("Giacenza insufficiente: disponibile 9")});
        QVERIFY(r.isEditing());
        QCOMPARE(r["Quantita"].asFloat(), 10.0);
        QCOMPARE(tf->count(QStringLiteral("Righe")), 1);
        r.cancel();

        // A discharged line changed: the warning once, the change stored, no stock test.
        tf->db().exec(QStringLiteral("UPDATE Righe SET Scaricato = 1"));
        r.refresh();
        msgs.clear();
        r.edit();
        r["Quantita"].setValue(40);
        QVERIFY(r.post());
        QCOMPARE(msgs.texts, QStringList{msgRigaScaricata()});
        QCOMPARE(sql("SELECT Quantita FROM Righe").toDouble(), 40.0);
        QCOMPARE(stock(QStringLiteral("BOT")), 7.4);

        // Deleting asks once; No keeps the line; Yes removes it and the totals follow.
        msgs.clear();
        QVERIFY(!r.remove());
        QCOMPARE(msgs.texts, QStringList{msgCancellaRiga()});
        msgs.answer(true);
        QVERIFY(r.remove());
        QCOMPARE(tf->count(QStringLiteral("Righe")), 0);
        QVERIFY(sd.Fatture.post());
        QCOMPARE(sql("SELECT Totale FROM Fatture").toLongLong(), 0);
    }

    // A header saved through the data set: totals from the stored lines, one message for each
    // line of a fifth code; the delete rule asks once for the header and its lines.
    void headerEventsOnSharedData() {
        ScriptedMessages msgs;
        header(QStringLiteral("F-2025-000001"), "F", "I", 2025, 1);
        const QString doc = QStringLiteral("F-2025-000001");
        for (const char* code : {"22", "10", "4", "5", "ES", "NI", "ES"})
            tf->insert(QStringLiteral("Righe"),
                       {{"Docum_numero", doc}, {"IVA", code}, {"Quantita", 1}, {"Prezzo", 10.0}});
        SharedData sd(tf->db());
        attachDocumentRules(sd);
        sd.Fatture.open();
        sd.Fatture.setReadOnly(false);
        sd.Fatture.edit();
        sd.Fatture["SC1"].setValue(5);
        QVERIFY(sd.Fatture.post());
        QCOMPARE(msgs.texts, QStringList(3, msgTroppeAliquote()));
        QSqlQuery q = tf->db().select(
            QStringLiteral("SELECT ALIVA2, ALIVA4, IMP1, TOTSC1, IVA1, Totale FROM Fatture"));
        QVERIFY(q.next());
        QCOMPARE(q.value(0).toString(), QStringLiteral("10"));
        QCOMPARE(q.value(1).toString(), QStringLiteral("5"));
        QCOMPARE(q.value(2).toLongLong(), 100000);
        QCOMPARE(q.value(3).toLongLong(), 5000);
        QCOMPARE(q.value(4).toLongLong(), 20900);  // 22% of 9.50
        QCOMPARE(q.value(5).toLongLong(), 400000 - 5000 + 20900 + 10000 + 4000 + 5000);
        // The same totals through the service, without a data set.
        tf->db().exec(QStringLiteral("UPDATE Fatture SET Totale = 0"));
        QCOMPARE(ricalcolaTotali(tf->db(), doc).righeEscluse.size(), 3);
        QCOMPARE(sql("SELECT Totale FROM Fatture").toLongLong(), 434900);

        msgs.clear();
        msgs.answer(true);
        QVERIFY(sd.Fatture.remove());
        QCOMPARE(msgs.texts, QStringList{DocumentRules::msgCancellaDocumento()});
        QCOMPARE(tf->count(QStringLiteral("Righe")), 0);
        QCOMPARE(tf->count(QStringLiteral("Fatture")), 0);
    }

    // Deleting a document is one transaction: a failure keeps the lines with their header.
    void deleteIsWhole() {
        header(QStringLiteral("B-2025-000001"), "B", "D", 2025, 1);
        line(QStringLiteral("B-2025-000001"), QStringLiteral("x"), 1, 1, {});
        tf->db().failNextStatementContaining(QStringLiteral("DELETE FROM Fatture"));
        QVERIFY_THROWS_EXCEPTION(DatabaseError,
                                 cancellaDocumento(tf->db(), QStringLiteral("B-2025-000001")));
        QCOMPARE(tf->count(QStringLiteral("Righe")), 1);
        QVERIFY(cancellaDocumento(tf->db(), QStringLiteral("B-2025-000001")));
        QCOMPARE(tf->count(QStringLiteral("Righe")), 0);
        QVERIFY(!cancellaDocumento(tf->db(), QStringLiteral("B-2025-000001")));
    }

    // A document with its lines in one go (the sales panel): a line the stock no longer covers
    // refuses the whole document.
    void documentWithLines() {
        customer(QStringLiteral("G1"), QStringLiteral("G"), QStringLiteral("22"));
        product(QStringLiteral("SF"), "1", 10);
        CampiRiga a;
        a.codice = a.codVino = QStringLiteral("SF");
        a.quantita = 4;
        a.litriPerUnita = 1;
        a.prezzo = 2.5;
        CampiRiga b = a;
        b.quantita = 11;
        const NuovaTestata t{2,
                             QDate(2025, 5, 2),
                             0,
                             QStringLiteral("G1"),
                             QStringLiteral("G1"),
                             QStringLiteral("02/05/2025 10:15")};
        EsitoDocumento e = creaDocumento(tf->db(), t, {a, b});
        QCOMPARE(e.rifiuto, msgGiacenzaInsufficiente(10));
        QCOMPARE(tf->count(QStringLiteral("Fatture")), 0);
        QCOMPARE(tf->count(QStringLiteral("Righe")), 0);
        e = creaDocumento(tf->db(), t, {a, a});
        QVERIFY(e.ok());
        QCOMPARE(e.documNumero, QStringLiteral("F-2025-000001"));
        QCOMPARE(sql("SELECT Totale FROM Fatture").toLongLong(), 244000);
        QCOMPARE(sql("SELECT Ritiro FROM Fatture").toString(), QStringLiteral("02/05/2025 10:15"));
        QCOMPARE(sql("SELECT COUNT(*) FROM Righe WHERE CodiceCli = 'G1' AND Volume = 4").toInt(),
                 2);
    }

    // ---- printing with discharge

    void print_data() {
        QTest::addColumn<QString>("ddtfatt");
        QTest::addColumn<bool>("printed");
        QTest::addColumn<QString>("modello");
        QTest::addColumn<double>("bottled");  // stock after, litres
        QTest::addColumn<double>("bulk");
        QTest::addColumn<int>("journal");
        QTest::addColumn<int>("marked");
        QTest::newRow("delivery note printed")
            << "D" << true << "doctrasp" << 5.5 << 40.0 << 2 << 4;
        QTest::newRow("preview closed without printing")
            << "D" << false << "doctrasp" << 10.0 << 50.0 << 0 << 1;
        QTest::newRow("receipt") << "N" << true << "ricevuta" << 5.5 << 40.0 << 2 << 4;
        QTest::newRow("immediate invoice") << "I" << true << "fattura_imm" << 5.5 << 40.0 << 2 << 4;
        QTest::newRow("summary invoice") << "R" << true << "fattura_diff" << 5.5 << 40.0 << 2 << 4;
    }
    // Lines: 6 bottles of 0.75, 10 litres bulk, a text line, a return of 5 litres bulk that was
    // already discharged (copied), a return of 0 more... The journal rows carry the header.
    void print() {
        QFETCH(QString, ddtfatt);
        QFETCH(bool, printed);
        QFETCH(QString, modello);
        QFETCH(double, bottled);
        QFETCH(double, bulk);
        QFETCH(int, journal);
        QFETCH(int, marked);
        ScriptedMessages msgs;
        const DocumentKind& kind = *documentKindByDdtfatt(ddtfatt);
        const QString doc = docum_numero(kind, 2025, 4);
        header(doc, kind.docTipo, ddtfatt, 2025, 4, QStringLiteral("G7"));
        product(QStringLiteral("BOT"), "2", 10, "075");
        product(QStringLiteral("SF"), "1", 50);
        const int bot = int(line(doc, QStringLiteral("BOT"), 6, 0.75, QStringLiteral("BOT")));
        line(doc, QStringLiteral("SF"), 10, 1, QStringLiteral("SF"));
        line(doc, QStringLiteral("Nota di consegna"), 0, 0, {});
        line(doc, QStringLiteral("SF"), 3, 1, QStringLiteral("SF"), true);
        QStringList calls;
        auto fn = [&](const QString& m, const QString& t) {
            calls << m + QLatin1Char('|') + t;
            return printed;
        };
        const RisultatoStampa r = stampaDocumento(tf->db(), doc, fn);
        QCOMPARE(calls, QStringList{modello + QLatin1Char('|') + kind.titolo});
        QCOMPARE(int(r.esito), int(printed ? EsitoStampa::Stampato : EsitoStampa::NonStampato));
        QCOMPARE(stock(QStringLiteral("BOT")), bottled);
        QCOMPARE(stock(QStringLiteral("SF")), bulk);
        QCOMPARE(tf->count(QStringLiteral("Giornale")), journal);
        QCOMPARE(sql("SELECT COUNT(*) FROM Righe WHERE Scaricato = 1").toInt(), marked);
        QVERIFY(msgs.texts.isEmpty());
        if (!printed) return;
        QSqlQuery q = tf->db().select(QStringLiteral(
            "SELECT Data_Ora, Cod_vino, Litri, Cliente, Docum_numero, Riga_num, Tipo FROM "
            "Giornale ORDER BY ID"));
        QVERIFY(q.next());
        QCOMPARE(q.value(0).toString(), QStringLiteral("2025-03-10 00:00:00"));
        QCOMPARE(q.value(1).toString(), QStringLiteral("BOT"));
        QCOMPARE(q.value(2).toDouble(), 4.5);
        QCOMPARE(q.value(3).toString(), QStringLiteral("G7"));
        QCOMPARE(q.value(4).toString(), doc);
        QCOMPARE(q.value(5).toInt(), bot);
        QCOMPARE(q.value(6).toString(), kind.docTipo);

        // A second print discharges only what was added since: here a return of 5 litres.
        line(doc, QStringLiteral("SF"), -5, 1, QStringLiteral("SF"));
        const RisultatoStampa again = stampaDocumento(tf->db(), doc, fn);
        QCOMPARE(again.scarico.scaricate, 1);
        QCOMPARE(stock(QStringLiteral("BOT")), bottled);
        QCOMPARE(stock(QStringLiteral("SF")), bulk + 5);
        QCOMPARE(tf->count(QStringLiteral("Giornale")), journal + 1);

        // Cancelling the bottles' movement in the journal, with the hook the program wires:
        // the stock comes back, the line goes, and the header's totals follow what is left.
        tf->db().exec(QStringLiteral("UPDATE Fatture SET Totale = -1"));
        const qint64 id =
            sql(QStringLiteral("SELECT ID FROM Giornale WHERE Riga_num = ?"), {bot}).toLongLong();
        const MovimentoDaAnnullare m{id, QStringLiteral("BOT"), 4.5, bot, doc};
        QCOMPARE(
            annulla_movimento(tf->db(), m, [&](const QString& d) { ricalcolaTotali(tf->db(), d); }),
            1);
        QCOMPARE(stock(QStringLiteral("BOT")), 10.0);
        QCOMPARE(sql(QStringLiteral("SELECT COUNT(*) FROM Righe WHERE Ordine = ?"), {bot}).toInt(),
                 0);
        const qint64 after = sql(QStringLiteral("SELECT Totale FROM Fatture")).toLongLong();
        QCOMPARE(after, ddtfatt == u"N" ? 80000 : 97600);  // 8 units at 1.00, 22% but receipts
    }

    void printRefused() {
        ScriptedMessages msgs;
        int calls = 0;
        auto fn = [&](const QString&, const QString&) { return ++calls > 0; };
        QCOMPARE(int(stampaDocumento(tf->db(), {}, fn).esito), int(EsitoStampa::NessunDocumento));
        header(QStringLiteral("B-2025-000001"), "B", "D", 2025, 1);
        QCOMPARE(int(stampaDocumento(tf->db(), QStringLiteral("B-2025-000001"), fn).esito),
                 int(EsitoStampa::SenzaRighe));
        QCOMPARE(msgs.texts, (QStringList{msgNessunDocumento(), msgDocumentoSenzaRighe()}));
        QCOMPARE(calls, 0);
        // A failure in the middle of the discharge leaves every line as it was.
        product(QStringLiteral("SF"), "1", 50);
        line(QStringLiteral("B-2025-000001"), QStringLiteral("x"), 1, 0, {});
        line(QStringLiteral("B-2025-000001"), QStringLiteral("SF"), 10, 1, QStringLiteral("SF"));
        tf->db().failNextStatementContaining(QStringLiteral("INSERT INTO Giornale"));
        QVERIFY_THROWS_EXCEPTION(DatabaseError,
                                 stampaDocumento(tf->db(), QStringLiteral("B-2025-000001"), fn));
        QCOMPARE(stock(QStringLiteral("SF")), 50.0);
        QCOMPARE(sql("SELECT COUNT(*) FROM Righe WHERE Scaricato = 1").toInt(), 0);
        QCOMPARE(tf->count(QStringLiteral("Giornale")), 0);
    }

    // ---- the header filter

    void filter_data() {
        QTest::addColumn<QString>("criteria");  // window:anno:tipo | print:da:a:cliente:BFN
        QTest::addColumn<QString>("docTipo");
        QTest::addColumn<QString>("anno");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("no criteria") << ""
                                     << "N"
                                     << "2017" << true;
        QTest::newRow("window: this year") << "window:2025:"
                                           << "B"
                                           << "2025" << true;
        QTest::newRow("window: last year") << "window:2025:"
                                           << "B"
                                           << "2024" << false;
        QTest::newRow("window: receipts only") << "window:0:N"
                                               << "N"
                                               << "2020" << true;
        QTest::newRow("window: receipts, an invoice") << "window:0:N"
                                                      << "F"
                                                      << "2020" << false;
        QTest::newRow("window: the one just created") << "window:2025:N:F-2024-000003"
                                                      << "F"
                                                      << "2024" << true;
        QTest::newRow("print: in the period") << "print:2024-01-01:2024-12-31::BFN"
                                              << "F"
                                              << "2024" << true;
        QTest::newRow("print: after the period") << "print:2024-01-01:2024-02-01::BFN"
                                                 << "F"
                                                 << "2024" << false;
        QTest::newRow("print: other customer") << "print:2024-01-01:2024-12-31:C9:BFN"
                                               << "F"
                                               << "2024" << false;
        QTest::newRow("print: receipts left out") << "print:2024-01-01:2024-12-31::BF"
                                                  << "N"
                                                  << "2024" << false;
    }
    void filter() {
        QFETCH(QString, criteria);
        QFETCH(QString, docTipo);
        QFETCH(QString, anno);
        QFETCH(bool, accepted);
        FiltroDocumenti f;
        const QStringList c = criteria.split(u':');
        if (c[0] == u"window") {
            f.finestra = true;
            f.anno = c[1].toInt();
            f.docTipo = c[2];
            f.sempreVisibile = c.value(3);
        } else if (c[0] == u"print") {
            SelezioneStampaDocumenti s;
            s.da = QDate::fromString(c[1], Qt::ISODate).startOfDay();
            s.a = QDate::fromString(c[2], Qt::ISODate).startOfDay();
            s.cliente = c[3];
            s.ddt = c[4].contains(u'B');
            s.fatture = c[4].contains(u'F');
            s.privati = c[4].contains(u'N');
            f.stampa = s;
        }
        const QDateTime data(QDate(anno.toInt(), 3, 10), QTime(0, 0));
        QCOMPARE(accettaDocumento(f, docTipo, anno, data, QStringLiteral("C1"),
                                  QStringLiteral("F-2024-000003")),
                 accepted);
    }
};

QTEST_GUILESS_MAIN(TestDocumentsRules)
#include "tst_documents_rules.moc"
