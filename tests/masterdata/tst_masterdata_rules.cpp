// Customer, product and header rules on the shared data sets, without windows.
#include <QTest>

#include "common/format.h"
#include "common/messages.h"
#include "data/shareddata.h"
#include "masterdata/codedvalues.h"
#include "masterdata/masterdata_rules.h"
#include "support/testfolder.h"

class TestMasterDataRules : public QObject {
    Q_OBJECT
    std::unique_ptr<TestFolder> tf;
    std::unique_ptr<SharedData> sd;
    MasterDataRules* rules = nullptr;

    void openClienti() {
        sd->Clienti.open();
        sd->Clienti.setReadOnly(false);
    }
    void customer(const QString& codice, const QString& rs, const QString& extra = {},
                  const QString& value = {}) {
        QVariantMap m{{QStringLiteral("Codice"), codice}, {QStringLiteral("RagioneSociale"), rs}};
        if (!extra.isEmpty()) m.insert(extra, value);
        tf->insert(QStringLiteral("Anagrafica"), m);
    }
    QStringList passingCodes() {
        QStringList out;
        for (bool ok = sd->Clienti.first(); ok && !sd->Clienti.isEmpty(); ok = sd->Clienti.next()) {
            out << sd->Clienti.field(QStringLiteral("Codice")).asString();
            if (sd->Clienti.recNo() == sd->Clienti.recordCount() - 1) break;
        }
        out.sort();
        return out;
    }

private Q_SLOTS:
    void initTestCase() { installItalianLocale(); }
    void init() {
        tf = std::make_unique<TestFolder>();
        sd = std::make_unique<SharedData>(tf->db());
        rules = &attachMasterDataRules(*sd);
    }
    void cleanup() {
        sd.reset();
        tf.reset();
    }

    void attachIsIdempotent() { QCOMPARE(&attachMasterDataRules(*sd), rules); }

    void requiredFields_data() {
        QTest::addColumn<QString>("codice");
        QTest::addColumn<QString>("rs");
        QTest::addColumn<QString>("message");
        QTest::newRow("no code") << ""
                                 << "Rossi" << MasterDataRules::msgCodiceObbligatorio();
        QTest::newRow("blank code") << "   "
                                    << "Rossi" << MasterDataRules::msgCodiceObbligatorio();
        QTest::newRow("no name") << "C1"
                                 << "" << MasterDataRules::msgRagioneSocialeObbligatoria();
        QTest::newRow("neither") << ""
                                 << "" << MasterDataRules::msgCodiceObbligatorio();
        QTest::newRow("both") << "C1"
                              << "Rossi" << QString();
    }
    void requiredFields() {
        QFETCH(QString, codice);
        QFETCH(QString, rs);
        QFETCH(QString, message);
        ScriptedMessages msgs;
        openClienti();
        sd->Clienti.append();
        sd->Clienti.field(QStringLiteral("Codice")).setValue(codice);
        sd->Clienti.field(QStringLiteral("RagioneSociale")).setValue(rs);
        const bool stored = sd->Clienti.post();
        QCOMPARE(stored, message.isEmpty());
        QCOMPARE(tf->count(QStringLiteral("Anagrafica")), stored ? 1 : 0);
        if (!stored) {
            QCOMPARE(msgs.texts, QStringList{message});
            QCOMPARE(msgs.kinds, QStringList{QStringLiteral("message")});
            // The card keeps what was typed.
            QVERIFY(sd->Clienti.state() == DataSet::State::Insert);
            QCOMPARE(sd->Clienti.field(QStringLiteral("RagioneSociale")).asString(), rs);
        }
    }

    void listinoOfPrivateCustomer_data() {
        QTest::addColumn<QString>("giur");
        QTest::addColumn<QString>("listino");
        QTest::addColumn<QString>("stored");
        QTest::newRow("private, list 2") << "X"
                                         << "2"
                                         << "6";
        QTest::newRow("private, no list") << "X"
                                          << ""
                                          << "6";
        QTest::newRow("company keeps 2") << "G"
                                         << "2"
                                         << "2";
        QTest::newRow("person keeps 5") << "P"
                                        << "5"
                                        << "5";
    }
    void listinoOfPrivateCustomer() {
        QFETCH(QString, giur);
        QFETCH(QString, listino);
        QFETCH(QString, stored);
        openClienti();
        sd->Clienti.append();
        sd->Clienti.field(QStringLiteral("Codice")).setValue(QStringLiteral("C1"));
        sd->Clienti.field(QStringLiteral("RagioneSociale")).setValue(QStringLiteral("Rossi"));
        sd->Clienti.field(QStringLiteral("Giur_Pers")).setValue(giur);
        sd->Clienti.field(QStringLiteral("Listino")).setValue(listino);
        QVERIFY(sd->Clienti.post());
        QCOMPARE(tf->value(QStringLiteral("SELECT Listino FROM Anagrafica")).toString(), stored);
    }

    void codeLockedAfterSave() {
        ScriptedMessages msgs;
        openClienti();
        sd->Clienti.append();
        QVERIFY(MasterDataRules::customerCodeEditable(sd->Clienti));
        sd->Clienti.field(QStringLiteral("Codice")).setValue(QStringLiteral("C1"));
        sd->Clienti.field(QStringLiteral("RagioneSociale")).setValue(QStringLiteral("Rossi"));
        QVERIFY(sd->Clienti.post());
        QVERIFY(!MasterDataRules::customerCodeEditable(sd->Clienti));
        sd->Clienti.edit();
        QVERIFY(!MasterDataRules::customerCodeEditable(sd->Clienti));
        sd->Clienti.field(QStringLiteral("Codice")).setValue(QStringLiteral("C2"));
        QVERIFY(!sd->Clienti.post());
        QCOMPARE(msgs.last(), MasterDataRules::msgCodiceClienteBloccato());
        QCOMPARE(tf->value(QStringLiteral("SELECT Codice FROM Anagrafica")).toString(),
                 QStringLiteral("C1"));
        // Other fields of a stored customer are still editable.
        sd->Clienti.field(QStringLiteral("Codice")).setValue(QStringLiteral("C1"));
        sd->Clienti.field(QStringLiteral("Citta")).setValue(QStringLiteral("Asti"));
        QVERIFY(sd->Clienti.post());
        QCOMPARE(tf->value(QStringLiteral("SELECT Citta FROM Anagrafica")).toString(),
                 QStringLiteral("Asti"));
    }

    void duplicateCodeRefused_data() {
        QTest::addColumn<bool>("product");
        QTest::newRow("customer") << false;
        QTest::newRow("product") << true;
    }
    void duplicateCodeRefused() {
        try {
            duplicateCode();
        } catch (const DatabaseError& e) {
            QFAIL(qPrintable(e.text()));
        }
    }

private:
    void duplicateCode() {
        QFETCH(bool, product);
        ScriptedMessages msgs;
        DataSet& ds = product ? sd->prodotti : sd->Clienti;
        const QString key = product ? QStringLiteral("Codice_prodotto") : QStringLiteral("Codice");
        const QString table = product ? QStringLiteral("Prodotti") : QStringLiteral("Anagrafica");
        if (product)
            tf->insert(table, {{key, QStringLiteral("AB1")}});
        else
            customer(QStringLiteral("AB1"), QStringLiteral("Rossi"));
        ds.open();
        ds.setReadOnly(false);
        ds.append();
        ds.field(key).setValue(QStringLiteral("AB1"));
        if (!product)
            ds.field(QStringLiteral("RagioneSociale")).setValue(QStringLiteral("Bianchi"));
        QVERIFY(!ds.post());
        QCOMPARE(msgs.last(), product ? MasterDataRules::msgCodiceProdottoDuplicato("AB1")
                                      : MasterDataRules::msgCodiceClienteDuplicato("AB1"));
        QVERIFY(ds.state() == DataSet::State::Insert);
        QCOMPARE(ds.field(key).asString(), QStringLiteral("AB1"));
        QCOMPARE(tf->count(table), 1);
        // Another code goes through; editing the stored row does not collide with itself.
        ds.field(key).setValue(QStringLiteral("AB2"));
        QVERIFY(ds.post());
        QVERIFY(ds.locate(key, QStringLiteral("AB1")));
        ds.edit();
        ds.field(product ? QStringLiteral("Lotto") : QStringLiteral("Citta"))
            .setValue(QStringLiteral("X"));
        if (!product) ds.field(QStringLiteral("RagioneSociale")).setValue(QStringLiteral("Verdi"));
        QVERIFY(ds.post());
        QCOMPARE(tf->count(table), 2);
    }

private Q_SLOTS:
    // A customer or product still referred to is refused with the count, without a question;
    // otherwise the question (default No) decides.
    void deleteRules_data() {
        QTest::addColumn<bool>("product");
        QTest::addColumn<QString>("refs");  // rows referring to the code: "table:field" ...
        QTest::addColumn<bool>("yes");
        QTest::addColumn<QString>("refusal");
        QTest::newRow("customer, yes") << false << "" << true << "";
        QTest::newRow("customer, no") << false << "" << false << "";
        QTest::newRow("customer in documents and journal")
            << false << "Fatture:Codice Fatture:Destinazione Giornale:Cliente" << true
            << MasterDataRules::msgClienteInUso("C1", {2, 1});
        QTest::newRow("customer as delivery place only")
            << false << "Fatture:Destinazione" << true
            << MasterDataRules::msgClienteInUso("C1", {1, 0});
        QTest::newRow("product, yes") << true << "" << true << "";
        QTest::newRow("product, no") << true << "" << false << "";
        QTest::newRow("product in two lines of one document and the journal")
            << true << "Righe:Codice Righe:Cod_vino_collegato Giornale:Cod_vino" << true
            << MasterDataRules::msgProdottoInUso("C1", {1, 1, 0});
        QTest::newRow("product in the sale in progress")
            << true << "Appoggio_R:Cod_vino_collegato" << true
            << MasterDataRules::msgProdottoInUso("C1", {0, 0, 1});
    }
    void deleteRules() {
        QFETCH(bool, product);
        QFETCH(QString, refs);
        QFETCH(bool, yes);
        QFETCH(QString, refusal);
        ScriptedMessages msgs;
        msgs.answer(yes);
        int document = 0;
        for (const QString& ref : refs.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
            const QStringList tf2 = ref.split(QLatin1Char(':'));
            QVariantMap row{{tf2[1], QStringLiteral("C1")}};
            if (tf2[0] == u"Fatture")
                row.insert(QStringLiteral("Docum_numero"),
                           QStringLiteral("B-2025-%1").arg(++document));
            if (tf2[0] == u"Righe")
                row.insert(QStringLiteral("Docum_numero"), QStringLiteral("B-1"));
            tf->insert(tf2[0], row);
        }
        if (product)
            tf->insert(QStringLiteral("Prodotti"), {{QStringLiteral("Codice_prodotto"), "C1"}});
        else
            customer(QStringLiteral("C1"), QStringLiteral("Rossi"));
        DataSet& ds = product ? sd->prodotti : sd->Clienti;
        ds.open();
        ds.setReadOnly(false);
        QCOMPARE(ds.remove(), refusal.isEmpty() && yes);
        if (refusal.isEmpty()) {
            QCOMPARE(msgs.texts, QStringList{product ? MasterDataRules::msgCancelloProdotto()
                                                     : MasterDataRules::msgCancelloCliente()});
            QCOMPARE(msgs.kinds, QStringList{QStringLiteral("questionNo")});
        } else {
            QCOMPARE(msgs.texts, QStringList{refusal});
            QCOMPARE(msgs.kinds, QStringList{QStringLiteral("message")});
        }
        QCOMPARE(tf->count(product ? QStringLiteral("Prodotti") : QStringLiteral("Anagrafica")),
                 refusal.isEmpty() && yes ? 0 : 1);
        QCOMPARE(ds.recordCount(), refusal.isEmpty() && yes ? 0 : 1);
    }

    // A product without a code is never stored (blank counts as empty).
    void productCodeRequired_data() {
        QTest::addColumn<QString>("code");
        QTest::newRow("empty") << "";
        QTest::newRow("blanks") << "   ";
    }
    void productCodeRequired() {
        QFETCH(QString, code);
        ScriptedMessages msgs;
        tf->insert(QStringLiteral("Prodotti"), {{QStringLiteral("Codice_prodotto"), "P1"}});
        sd->prodotti.open();
        sd->prodotti.setReadOnly(false);
        // A new product, and a stored one whose code is cleared.
        sd->prodotti.append();
        sd->prodotti.field(QStringLiteral("Codice_prodotto")).setValue(code);
        sd->prodotti.field(QStringLiteral("Descrizione")).setValue(QStringLiteral("Senza codice"));
        QVERIFY(!sd->prodotti.post());
        QCOMPARE(msgs.texts, QStringList{MasterDataRules::msgCodiceProdottoObbligatorio()});
        sd->prodotti.cancel();
        QVERIFY(sd->prodotti.locate(QStringLiteral("Codice_prodotto"), QStringLiteral("P1")));
        sd->prodotti.edit();
        sd->prodotti.field(QStringLiteral("Codice_prodotto")).setValue(code);
        QVERIFY(!sd->prodotti.post());
        QCOMPARE(tf->value("SELECT count(*) FROM Prodotti WHERE Codice_prodotto = 'P1'").toInt(),
                 1);
        QCOMPARE(tf->count(QStringLiteral("Prodotti")), 1);
    }

    void filterModeA_data() {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("codes");
        QTest::newRow("start") << "RagioneSociale"
                               << "ROS" << QStringList{"C1", "C3"};
        // "Straße" upper-cased is "STRASSE".
        QTest::newRow("inside") << "RagioneSociale"
                                << "SS" << QStringList{"C1", "C3", "C4"};
        QTest::newRow("sharp s found as SS") << "RagioneSociale"
                                             << "STRASSE" << QStringList{"C4"};
        QTest::newRow("accented capitals") << "RagioneSociale"
                                           << "CAFFÈ" << QStringList{"C4"};
        QTest::newRow("accented lower case typed") << "RagioneSociale"
                                                   << "caffè" << QStringList{"C4"};
        QTest::newRow("accent never matches a plain letter") << "RagioneSociale"
                                                             << "RÒS" << QStringList{};
        QTest::newRow("longer than every name") << "RagioneSociale"
                                                << "ROSSI MARIO E FIGLI" << QStringList{};
        QTest::newRow("lower case typed") << "RagioneSociale"
                                          << "bian" << QStringList{"C2"};
        QTest::newRow("other column") << "Citta"
                                      << "ASTI" << QStringList{"C2", "C3"};
        QTest::newRow("number column") << "Sconto"
                                       << "2,5" << QStringList{"C1"};
        QTest::newRow("none") << "RagioneSociale"
                              << "ZZZ" << QStringList{};
        QTest::newRow("empty text lets nobody pass") << "RagioneSociale"
                                                     << "" << QStringList{};
        QTest::newRow("unknown field") << "Nessuno"
                                       << "ROS" << QStringList{};
    }
    void filterModeA() {
        QFETCH(QString, field);
        QFETCH(QString, text);
        QFETCH(QStringList, codes);
        customer("C1", "Rossi Mario", "Sconto", "2.5");
        customer("C2", "Bianchi srl", "Citta", "Asti");
        customer("C3", "Grossi", "Citta", "Castiglione");
        customer("C4", "Straße Caffè");
        sd->Clienti.open();
        sd->filtroClienti = QLatin1Char('A');
        rules->search = {field, text};
        sd->Clienti.setFiltered(true);
        QCOMPARE(sd->Clienti.recordCount(), int(codes.size()));
        QCOMPARE(passingCodes(), codes);
    }

    // The filter works its search out once: a new text or field must be seen at the next pass,
    // and so must a data set opened again.
    void filterFollowsANewSearch() {
        customer("C1", "Rossi Mario");
        customer("C2", "Bianchi srl", "Citta", "Asti");
        customer("C3", "Grossi", "Citta", "Castiglione");
        sd->Clienti.open();
        sd->filtroClienti = QLatin1Char('A');
        const auto pass = [&](const QString& field, const QString& text) {
            rules->search = {field, text};
            sd->Clienti.setFiltered(true);
            const QStringList codes = passingCodes();
            sd->Clienti.setFiltered(false);
            return codes;
        };
        QCOMPARE(pass("RagioneSociale", "ROSSI"), QStringList({"C1", "C3"}));
        QCOMPARE(pass("RagioneSociale", "GROSSI"), QStringList({"C3"}));
        QCOMPARE(pass("Citta", "GROSSI"), QStringList());
        QCOMPARE(pass("Citta", "ASTI"), QStringList({"C2", "C3"}));
        QCOMPARE(pass("Nessuno", "ASTI"), QStringList());
        sd->Clienti.close();
        customer("C4", "Asti vini");
        sd->Clienti.open();
        QCOMPARE(pass("RagioneSociale", "ASTI"), QStringList({"C4"}));
    }

    void filterModeS_data() {
        QTest::addColumn<QString>("from");
        QTest::addColumn<QString>("to");
        QTest::addColumn<QStringList>("codes");
        QTest::newRow("both ends included") << "Bianchi"
                                            << "Rossi" << QStringList{"C2", "C3", "C4"};
        QTest::newRow("prefix below the name") << "B"
                                               << "C" << QStringList{"C2"};
        QTest::newRow("case counts") << "a"
                                     << "z" << QStringList{"C5"};
        QTest::newRow("empty range") << "Z"
                                     << "A" << QStringList{};
    }
    void filterModeS() {
        QFETCH(QString, from);
        QFETCH(QString, to);
        QFETCH(QStringList, codes);
        customer("C1", "Alfa");
        customer("C2", "Bianchi");
        customer("C3", "Neri");
        customer("C4", "Rossi");
        customer("C5", "bassi");
        sd->Clienti.open();
        sd->filtroClienti = QLatin1Char('S');
        rules->range = {from, to};
        sd->Clienti.setFiltered(true);
        QCOMPARE(passingCodes(), codes);
        // Any other mode lets everybody pass.
        sd->filtroClienti = QLatin1Char('Z');
        sd->Clienti.setFiltered(true);
        QCOMPARE(sd->Clienti.recordCount(), 5);
    }

    void pezziRule_data() {
        QTest::addColumn<QString>("stato");
        QTest::addColumn<double>("litri");
        QTest::addColumn<double>("volume");
        QTest::addColumn<double>("expected");
        QTest::newRow("10 l in 0.75") << "2" << 10.0 << 0.75 << 13.0;
        QTest::newRow("9 l in 0.75") << "2" << 9.0 << 0.75 << 12.0;
        QTest::newRow("0.3 l in 0.1 is 3, not 2") << "2" << 0.3 << 0.1 << 3.0;
        QTest::newRow("negative toward zero") << "2" << -10.0 << 0.75 << -13.0;
        QTest::newRow("bottled, no packaging") << "2" << 10.0 << 0.0 << 10.0;
        QTest::newRow("bulk") << "1" << 120.5 << 0.75 << 120.5;
        QTest::newRow("not tracked") << "0" << 3.25 << 0.75 << 3.25;
    }
    void pezziRule() {
        QFETCH(QString, stato);
        QFETCH(double, litri);
        QFETCH(double, volume);
        QFETCH(double, expected);
        QCOMPARE(pezzi(stato, litri, volume), expected);
    }

    void pezziOnTheDataSet() {
        tf->insert("Imballi",
                   {{"Bottiglia", "B75"}, {"Descrizione", "Bordolese"}, {"Volume", 0.75}});
        tf->insert(
            "Prodotti",
            {{"Codice_prodotto", "A"}, {"Stato", "2"}, {"Bottiglia", "B75"}, {"Litri", 10.0}});
        tf->insert("Prodotti",
                   {{"Codice_prodotto", "B"}, {"Stato", "2"}, {"Bottiglia", "XX"}, {"Litri", 7.5}});
        tf->insert("Prodotti", {{"Codice_prodotto", "C"}, {"Stato", "1"}, {"Litri", 120.5}});
        sd->prodotti.open();
        QVERIFY(sd->prodotti.locate("Codice_prodotto", "A"));
        QCOMPARE(sd->prodotti.field("Pezzi").asFloat(), 13.0);
        QCOMPARE(sd->prodotti.field("Pezzi").displayText(), QStringLiteral("13"));
        QVERIFY(sd->prodotti.locate("Codice_prodotto", "B"));  // packaging missing from Imballi
        QCOMPARE(sd->prodotti.field("Pezzi").asFloat(), 7.5);
        QVERIFY(sd->prodotti.locate("Codice_prodotto", "C"));
        QCOMPARE(sd->prodotti.field("Pezzi").asFloat(), 120.5);
        // Recomputed while the litres are typed.
        sd->prodotti.setReadOnly(false);
        QVERIFY(sd->prodotti.locate("Codice_prodotto", "A"));
        sd->prodotti.edit();
        sd->prodotti.field("Litri").setValue(9.0);
        QCOMPARE(sd->prodotti.field("Pezzi").asFloat(), 12.0);
    }

    void productFilter() {
        tf->insert("Prodotti", {{"Codice_prodotto", "ZERO1"}, {"Stato", "1"}, {"Litri", 0.0}});
        tf->insert("Prodotti", {{"Codice_prodotto", "NULL1"}, {"Stato", "1"}});
        tf->insert("Prodotti", {{"Codice_prodotto", "ZERO0"}, {"Stato", "0"}, {"Litri", 0.0}});
        tf->insert("Prodotti", {{"Codice_prodotto", "NEG"}, {"Stato", "2"}, {"Litri", -3.0}});
        tf->insert("Prodotti", {{"Codice_prodotto", "POS"}, {"Stato", "1"}, {"Litri", 0.5}});
        sd->prodotti.open();
        sd->prodotti.setFiltered(true);
        QStringList shown;
        for (int r = 0; r < sd->prodotti.recordCount(); ++r)
            shown << sd->prodotti.valueAt(r, sd->prodotti.field("Codice_prodotto").index())
                         .toString();
        QCOMPARE(shown, (QStringList{"NEG", "POS", "ZERO0"}));
        sd->prodotti.setFiltered(false);
        QCOMPARE(sd->prodotti.recordCount(), 5);
    }

    void gridSizeRange_data() {
        QTest::addColumn<QVariant>("x");
        QTest::addColumn<QVariant>("y");
        QTest::addColumn<QString>("message");
        const QString mx = MasterDataRules::msgGriglia("Griglia sinottico X");
        const QString my = MasterDataRules::msgGriglia("Griglia sinottico Y");
        QTest::newRow("1 and 50") << QVariant(1) << QVariant(50) << QString();
        QTest::newRow("empty values") << QVariant() << QVariant() << QString();
        QTest::newRow("x zero") << QVariant(0) << QVariant(5) << mx;
        QTest::newRow("x 51") << QVariant(51) << QVariant(5) << mx;
        QTest::newRow("y negative") << QVariant(5) << QVariant(-1) << my;
        QTest::newRow("y 1000") << QVariant(8) << QVariant(1000) << my;
    }
    void gridSizeRange() {
        QFETCH(QVariant, x);
        QFETCH(QVariant, y);
        QFETCH(QString, message);
        ScriptedMessages msgs;
        tf->insert("Intesta", {{"RagioneSociale", "Cantina"}, {"Griglia_X", 4}, {"Griglia_Y", 4}});
        DataSet& h = sd->Intestazione;
        h.open();
        h.edit();
        h.field("Griglia_X").setValue(x);
        h.field("Griglia_Y").setValue(y);
        QCOMPARE(h.post(), message.isEmpty());
        QCOMPARE(msgs.texts, message.isEmpty() ? QStringList{} : QStringList{message});
        if (!message.isEmpty()) {
            QVERIFY(h.isEditing());
            QCOMPARE(tf->value("SELECT Griglia_X FROM Intesta").toInt(), 4);
        }
    }

    void choicesFromTables() {
        tf->insert("IVA", {{"Ordine", 2}, {"IVA", "10"}});
        tf->insert("IVA", {{"Ordine", 1}, {"IVA", "22"}});
        tf->insert("IVA", {{"Ordine", 3}, {"IVA", "E15"}});
        QCOMPARE(ivaCodes(tf->db()), (QStringList{"22", "10", "E15"}));
        tf->insert("Imballi", {{"Bottiglia", "M150"}, {"Descrizione", "Magnum"}, {"Volume", 1.5}});
        tf->insert("Imballi",
                   {{"Bottiglia", "B75"}, {"Descrizione", "Bordolese"}, {"Volume", 0.75}});
        tf->insert("Imballi", {{"Bottiglia", "X"}, {"Volume", 2.0}});
        const CodedValues imb = imballiChoices(tf->db());
        QCOMPARE(imb.size(), 3);
        QCOMPARE(codedText(imb, "B75"), QStringLiteral("Bordolese"));
        QCOMPARE(codedText(imb, "X"), QStringLiteral("X"));
    }

    void codedTables() {
        QCOMPARE(coloreChoices().size(), 54);
        QCOMPARE(codedText(coloreChoices(), "0x000000FF"), QStringLiteral("Rosso"));
        for (const auto& c : coloreChoices()) {
            QCOMPARE(c.first.size(), 10);
            unsigned rgb = 0;
            QVERIFY2(coloreRgb(c.first, &rgb), qPrintable(c.second));
        }
        unsigned rgb = 0;
        QVERIFY(coloreRgb("0x000000FF", &rgb));
        QCOMPARE(rgb, 0xFF0000u);  // red
        QVERIFY(coloreRgb("0x00FF0000", &rgb));
        QCOMPARE(rgb, 0x0000FFu);  // "Blu"
        QVERIFY(!coloreRgb("", &rgb));
        QVERIFY(!coloreRgb("rosso", &rgb));
        QCOMPARE(pagamentoChoices().size(), 15);
        QCOMPARE(classificazioneChoices().size(), 14);
        QCOMPARE(attoCertificatoChoices().size(), 9);
        QCOMPARE(categoriaChoices().size(), 12);
        QCOMPARE(codedText(listinoChoices(), "6"), QStringLiteral("Ut.Finale"));
    }
};

QTEST_GUILESS_MAIN(TestMasterDataRules)
#include "tst_masterdata_rules.moc"
