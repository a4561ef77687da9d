// The printed lists over a real database: what each command hands to the print (template, title
// and the rows the data sets hold at that moment), the selection's range and dates, the empty-list
// messages, and that every data set is closed again afterwards.
#include <QTest>

#include "common/format.h"
#include "common/messages.h"
#include "data/shareddata.h"
#include "documents/totals.h"
#include "masterdata/masterdata_rules.h"
#include "printing/printedlists.h"
#include "support/testfolder.h"

namespace {

// The selection window as a script: records the presets, gives back what the "user" typed.
class ScriptedSelezione : public SelezioneStampe {
public:
    bool confirm = true;
    int asked = 0;
    SelezioneClienti presetClienti;
    SelezioneMovimenti presetMovimenti;
    SelezioneFatture presetFatture;
    std::optional<SelezioneClienti> clienti;
    std::optional<SelezioneFatture> fatture;
    std::optional<SelezioneMovimenti> movimenti;

    bool selezionaClienti(SelezioneClienti& s) override {
        ++asked;
        presetClienti = s;
        if (clienti) s = *clienti;
        return confirm;
    }
    bool selezionaFatture(SelezioneFatture& s) override {
        ++asked;
        presetFatture = s;
        if (fatture) s = *fatture;
        return confirm;
    }
    bool selezionaMovimenti(SelezioneMovimenti& s) override {
        ++asked;
        presetMovimenti = s;
        if (movimenti) {
            const QString preset = s.prodotto;
            s = *movimenti;
            if (s.prodotto.isEmpty()) s.prodotto = preset;
        }
        return confirm;
    }
};

// The values of one field over the rows a data set shows, in its order.
QStringList column(DataSet& ds, const QString& field) {
    QStringList out;
    if (!ds.isOpen()) return out;
    const int f = ds.field(field).index();
    for (int row = 0; row < ds.recordCount(); ++row) out << ds.valueAt(row, f).toString();
    return out;
}

struct Printed {
    QString name;
    QString title;
    QStringList clienti;   // RagioneSociale as printed
    QStringList prodotti;  // Codice_prodotto as printed
    QString prodotto;      // the current product
    QStringList giornale;  // Appo1: ID
    QStringList righe;     // appo2: Docum_numero
    QStringList fatture;   // Fatture: Docum_numero
    QString tipo;          // Fatture: the current header's kind as printed
};

QDate d(const char* text) {
    return QDate::fromString(QString::fromLatin1(text), QStringLiteral("dd/MM/yyyy"));
}

}  // namespace

class TstPrintedLists : public QObject {
    Q_OBJECT

    std::unique_ptr<TestFolder> tf_;
    std::unique_ptr<SharedData> sd_;
    ScriptedSelezione sel_;
    std::unique_ptr<PrintedLists> lists_;
    QList<Printed> printed_;

    void reset(bool withRows) {
        printed_.clear();
        sel_ = ScriptedSelezione();
        lists_.reset();
        sd_.reset();
        tf_ = std::make_unique<TestFolder>(true);
        if (withRows) fill();
        sd_ = std::make_unique<SharedData>(tf_->db());
        attachMasterDataRules(*sd_);
        lists_ =
            std::make_unique<PrintedLists>(*sd_, [this](const QString& name, const QString& title) {
                Printed p;
                p.name = name;
                p.title = title;
                p.clienti = column(sd_->Clienti, QStringLiteral("RagioneSociale"));
                p.prodotti = column(sd_->prodotti, QStringLiteral("Codice_prodotto"));
                if (sd_->prodotti.isOpen() && !sd_->prodotti.isEmpty())
                    p.prodotto = sd_->prodotti.field(QStringLiteral("Codice_prodotto")).asString();
                p.giornale = column(sd_->Appo1, QStringLiteral("ID"));
                p.righe = column(sd_->appo2, QStringLiteral("Docum_numero"));
                p.fatture = column(sd_->Fatture, QStringLiteral("Docum_numero"));
                if (sd_->Fatture.isOpen() && !sd_->Fatture.isEmpty())
                    p.tipo = sd_->Fatture.field(QStringLiteral("Doc_descr")).asString();
                printed_ << p;
            });
        lists_->setSelezione(&sel_);
    }

    void fill() {
        TestFolder& f = *tf_;
        for (const char* name : {"ZETA VINI", "enoteca bassi", "ACME SRL", "Bar Centrale"})
            f.insert(QStringLiteral("Anagrafica"),
                     {{"Codice", QString::fromLatin1(name).left(4).toUpper()},
                      {"RagioneSociale", QString::fromLatin1(name)}});
        const struct {
            const char* code;
            int pos;
        } products[] = {{"BAR", 3}, {"VINO'S", 1}, {"ZIBIBBO", 2}};
        for (const auto& p : products)
            f.insert(QStringLiteral("Prodotti"), {{"Codice_prodotto", QString::fromUtf8(p.code)},
                                                  {"Descrizione", QStringLiteral("Vino")},
                                                  {"Pos_griglia", p.pos}});
        // Journal of BAR: the morning of the 1st, the afternoon of the 5th, the 10th.
        const QDateTime when[] = {QDateTime(d("01/03/2026"), QTime(10, 0)),
                                  QDateTime(d("05/03/2026"), QTime(15, 30)),
                                  QDateTime(d("10/03/2026"), QTime(9, 0))};
        for (const QDateTime& t : when)
            f.insert(QStringLiteral("Giornale"),
                     {{"Data_Ora", t}, {"Cod_vino", "BAR"}, {"Litri", 1.5}, {"Tipo", "N"}});
        f.insert(QStringLiteral("Giornale"),
                 {{"Data_Ora", when[0]}, {"Cod_vino", "VINO'S"}, {"Litri", 2.0}, {"Tipo", "N"}});
        // Lines of BAR in a delivery note, a summary invoice (left out) and an invoice.
        const struct {
            const char* numero;
            const char* kind;
            const char* date;
            const char* cliente;
        } docs[] = {{"B-2026-000001", "D", "02/03/2026", "ZETA"},
                    {"F-2026-000001", "R", "06/03/2026", "ACME"},
                    {"F-2026-000002", "I", "12/03/2026", "ZETA"}};
        for (const auto& doc : docs) {
            f.insert(QStringLiteral("Fatture"),
                     {{"Docum_numero", doc.numero},
                      {"DDTFATT", doc.kind},
                      {"Doc_tipo", QString::fromLatin1(doc.numero).left(1)},
                      {"Codice", doc.cliente},
                      {"Data", d(doc.date).startOfDay()}});
            f.insert(QStringLiteral("Righe"),
                     {{"Docum_numero", doc.numero}, {"Codice", "BAR"}, {"Quantita", 1.0}});
        }
        // A receipt of the evening of the 12th, without lines.
        f.insert(QStringLiteral("Fatture"), {{"Docum_numero", "N-2026-000001"},
                                             {"DDTFATT", "N"},
                                             {"Doc_tipo", "N"},
                                             {"Codice", "ACME"},
                                             {"Data", QDateTime(d("12/03/2026"), QTime(19, 30))}});
    }

    void verifyAllClosed() {
        for (DataSet* ds : sd_->all()) {
            if (ds == &sd_->Intestazione) continue;
            QVERIFY2(!ds->isOpen(), qPrintable(ds->name()));
            QVERIFY2(!ds->isFiltered(), qPrintable(ds->name()));
        }
    }

private Q_SLOTS:
    void initTestCase() { installItalianLocale(); }

    // Every list command: with rows it prints its template under its title; with none it shows
    // its message and prints nothing.
    void commands_data() {
        QTest::addColumn<QString>("command");
        QTest::addColumn<bool>("withRows");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("kind");
        const struct {
            const char* command;
            const char* name;
            const char* title;
            QString empty;
            const char* kind;
        } rows[] = {
            {"ElencoClienti", "clienti", "Lista clienti", PrintedLists::msgNoAnagrafiche(),
             "message"},
            {"RubricatelefonicaClienti1", "rubrica", "Rubrica", PrintedLists::msgNoAnagrafiche(),
             "message"},
            {"ElencoProdotti", "prodotti", "Elenco prodotti", PrintedLists::msgNoProdotti(),
             "message"},
            {"Listino11", "listino1", "Listino prezzi 1", PrintedLists::msgNoProdotti(), "message"},
            {"Listino51", "listino5", "Listino prezzi 5", PrintedLists::msgNoProdotti(), "message"},
            {"Listinicomparato1", "listinox", "Listino comparato", PrintedLists::msgNoProdotti(),
             "message"},
            {"Stampaperscaricobarcode1", "barcode", "Scarico con Barcode",
             PrintedLists::msgNoProdotti(), "message"},
            {"StampacontrolloGriglia1", "griglia", "Controllo Griglia",
             PrintedLists::msgNoGriglia(), "message"},
            {"Controllomovimentiprodotto1", "analisi", "Controllo Movimenti",
             PrintedLists::msgNoDatiMovimenti(), "plain"},
            {"ListaFattureEmesse1", "listafatture", "Lista fatture", PrintedLists::msgNoFatture(),
             "message"},
        };
        for (const auto& r : rows) {
            QTest::newRow(qPrintable(QStringLiteral("%1 with rows").arg(r.command)))
                << r.command << true << r.name << QString::fromUtf8(r.title) << QString()
                << QString();
            QTest::newRow(qPrintable(QStringLiteral("%1 empty").arg(r.command)))
                << r.command << false << QString() << QString() << r.empty << r.kind;
        }
    }
    void commands() {
        QFETCH(QString, command);
        QFETCH(bool, withRows);
        QFETCH(QString, name);
        QFETCH(QString, title);
        QFETCH(QString, message);
        QFETCH(QString, kind);
        reset(withRows);
        ScriptedMessages msgs;
        QVERIFY(lists_->run(command));
        QCOMPARE(printed_.size(), name.isEmpty() ? 0 : 1);
        if (!name.isEmpty()) {
            QCOMPARE(printed_[0].name, name);
            QCOMPARE(printed_[0].title, title);
        }
        QCOMPARE(msgs.texts, message.isEmpty() ? QStringList() : QStringList{message});
        QCOMPARE(msgs.kinds, kind.isEmpty() ? QStringList() : QStringList{kind});
        verifyAllClosed();
    }

    // The range of the customer lists: presets that cover every customer, bounds compared on
    // the character codes and both included.
    void customerRange_data() {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QStringList>("typed");  // da, a; empty = the presets
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("presets keep a lower-case name")
            << "ElencoClienti" << QStringList()
            << QStringList{"ACME SRL", "Bar Centrale", "enoteca bassi", "ZETA VINI"};
        QTest::newRow("da after a prints an empty list")
            << "ElencoClienti" << QStringList{"ZETA", "ACME"} << QStringList();
        QTest::newRow("typed range compares character codes")
            << "RubricatelefonicaClienti1" << QStringList{"A", "ZZ"}
            << QStringList{"ACME SRL", "Bar Centrale", "ZETA VINI"};
        QTest::newRow("both bounds included")
            << "ElencoClienti" << QStringList{"Bar Centrale", "ZETA VINI"}
            << QStringList{"Bar Centrale", "ZETA VINI"};
    }
    void customerRange() {
        QFETCH(QString, command);
        QFETCH(QStringList, typed);
        QFETCH(QStringList, expected);
        reset(true);
        ScriptedMessages msgs;
        if (!typed.isEmpty()) sel_.clienti = SelezioneClienti{typed[0], typed[1]};
        lists_->run(command);
        QCOMPARE(sel_.presetClienti.da, QStringLiteral("ACME SRL"));
        QCOMPARE(sel_.presetClienti.a, QStringLiteral("enoteca bassi"));
        QCOMPARE(printed_.size(), 1);
        QCOMPARE(printed_[0].clienti, expected);
        QCOMPARE(sd_->filtroClienti, QLatin1Char('S'));
        verifyAllClosed();
    }

    void cancelledSelectionPrintsNothing() {
        reset(true);
        ScriptedMessages msgs;
        sel_.confirm = false;
        for (const char* c :
             {"ElencoClienti", "Controllomovimentiprodotto1", "ListaFattureEmesse1"})
            lists_->run(QString::fromLatin1(c));
        QCOMPARE(sel_.asked, 3);
        QVERIFY(printed_.isEmpty());
        QVERIFY(msgs.texts.isEmpty());
        verifyAllClosed();
    }

    // The grid check prints by grid position and leaves the products in code order.
    void gridOrder() {
        reset(true);
        lists_->StampacontrolloGriglia1Click();
        QCOMPARE(printed_.size(), 1);
        QCOMPARE(printed_[0].prodotti, (QStringList{"VINO'S", "ZIBIBBO", "BAR"}));
        QCOMPARE(sd_->prodotti.sortField(), QStringLiteral("Codice_prodotto"));
    }

    // The movements of one product: journal rows and document lines within the dates, whole
    // days, summary invoices left out, any code read through bound values.
    void movements_data() {
        QTest::addColumn<QString>("code");
        QTest::addColumn<QDate>("da");
        QTest::addColumn<QDate>("a");
        QTest::addColumn<QStringList>("giornale");
        QTest::addColumn<QStringList>("righe");
        QTest::newRow("no dates") << "BAR" << QDate() << QDate() << QStringList{"1", "2", "3"}
                                  << QStringList{"B-2026-000001", "F-2026-000002"};
        QTest::newRow("only a data: that afternoon included")
            << "BAR" << QDate() << d("05/03/2026") << QStringList{"1", "2"}
            << QStringList{"B-2026-000001"};
        QTest::newRow("only da data") << "BAR" << d("05/03/2026") << QDate()
                                      << QStringList{"2", "3"} << QStringList{"F-2026-000002"};
        QTest::newRow("both dates")
            << "BAR" << d("02/03/2026") << d("12/03/2026") << QStringList{"2", "3"}
            << QStringList{"B-2026-000001", "F-2026-000002"};
        QTest::newRow("code with an apostrophe")
            << "VINO'S" << QDate() << QDate() << QStringList{"4"} << QStringList();
        QTest::newRow("nothing in the period")
            << "BAR" << d("01/01/2027") << QDate() << QStringList() << QStringList();
    }
    void movements() {
        QFETCH(QString, code);
        QFETCH(QDate, da);
        QFETCH(QDate, a);
        QFETCH(QStringList, giornale);
        QFETCH(QStringList, righe);
        reset(true);
        ScriptedMessages msgs;
        sel_.movimenti = SelezioneMovimenti{da, a, code};
        lists_->Controllomovimentiprodotto1Click();
        QCOMPARE(sel_.presetMovimenti.prodotto, QStringLiteral("BAR"));  // the first product
        if (giornale.isEmpty() && righe.isEmpty()) {
            QVERIFY(printed_.isEmpty());
            QCOMPARE(msgs.kinds, QStringList{QStringLiteral("plain")});
        } else {
            QCOMPARE(msgs.texts, QStringList());
            QCOMPARE(printed_.size(), 1);
            QCOMPARE(printed_[0].giornale, giornale);
            QCOMPARE(printed_[0].righe, righe);
            QCOMPARE(printed_[0].prodotto, code);  // the heading names the product printed
        }
        verifyAllClosed();
    }

    // The documents list: the rows the print reads are those of the dates (whole days), the
    // customer and the kinds confirmed; afterwards every header is back.
    void documents_data() {
        QTest::addColumn<QDate>("da");
        QTest::addColumn<QDate>("a");
        QTest::addColumn<QString>("cliente");
        QTest::addColumn<QString>("kinds");  // B, F, N checked
        QTest::addColumn<QStringList>("expected");
        const QStringList all{"B-2026-000001", "F-2026-000001", "F-2026-000002", "N-2026-000001"};
        QTest::newRow("presets: everything") << QDate() << QDate() << ""
                                             << "BFN" << all;
        QTest::newRow("a data keeps that evening")
            << d("06/03/2026") << d("12/03/2026") << ""
            << "BFN" << QStringList{"F-2026-000001", "F-2026-000002", "N-2026-000001"};
        QTest::newRow("da data after the last") << d("13/03/2026") << QDate() << ""
                                                << "BFN" << QStringList();
        QTest::newRow("one customer") << QDate() << QDate() << "ZETA"
                                      << "BFN" << QStringList{"B-2026-000001", "F-2026-000002"};
        QTest::newRow("delivery notes only") << QDate() << QDate() << ""
                                             << "B" << QStringList{"B-2026-000001"};
        QTest::newRow("invoices only") << QDate() << QDate() << ""
                                       << "F" << QStringList{"F-2026-000001", "F-2026-000002"};
        QTest::newRow("receipts only") << QDate() << QDate() << ""
                                       << "N" << QStringList{"N-2026-000001"};
        QTest::newRow("no kind") << QDate() << QDate() << ""
                                 << "" << QStringList();
        QTest::newRow("customer, kind and dates") << d("01/03/2026") << d("10/03/2026") << "ACME"
                                                  << "FN" << QStringList{"F-2026-000001"};
    }
    void documents() {
        QFETCH(QDate, da);
        QFETCH(QDate, a);
        QFETCH(QString, cliente);
        QFETCH(QString, kinds);
        QFETCH(QStringList, expected);
        reset(true);
        ScriptedMessages msgs;
        if (da.isValid() || a.isValid() || !cliente.isEmpty() || kinds != u"BFN") {
            SelezioneFatture s;
            s.da = da;
            s.a = a;
            s.cliente = cliente;
            s.ddt = kinds.contains(u'B');
            s.fatture = kinds.contains(u'F');
            s.privati = kinds.contains(u'N');
            sel_.fatture = s;
        }
        lists_->ListaFattureEmesse1Click();
        QCOMPARE(sel_.presetFatture.da, QDate(2017, 1, 1));
        QCOMPARE(sel_.presetFatture.a, QDate::currentDate());
        QCOMPARE(sel_.presetFatture.cliente, QString());
        QCOMPARE(msgs.texts, QStringList());
        QCOMPARE(printed_.size(), 1);
        QCOMPARE(printed_[0].fatture, expected);
        if (!expected.isEmpty())  // the first row printed has its calculated fields
            QCOMPARE(printed_[0].tipo, descrizioneDocumento(expected[0].left(1)));
        verifyAllClosed();
        // The criteria end with the print: the documents window sees every header again.
        sd_->Fatture.open();
        sd_->Fatture.setFiltered(true);
        QCOMPARE(sd_->Fatture.recordCount(), 4);
        sd_->Fatture.setFiltered(false);
        sd_->Fatture.close();
    }

    // The designer's preview: a list template gets its data when nobody prepared it, and data
    // sets already open (a print under way) are used as they stand.
    void previewData_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("dataSet");
        QTest::addColumn<int>("rows");
        QTest::newRow("clienti") << "clienti"
                                 << "Clienti" << 4;
        QTest::newRow("listino3") << "listino3"
                                  << "prodotti" << 3;
        QTest::newRow("analisi: the first product") << "analisi"
                                                    << "Appo1" << 3;
        QTest::newRow("listafatture") << "listafatture"
                                      << "Fatture" << 4;
    }
    void previewData() {
        QFETCH(QString, name);
        QFETCH(QString, dataSet);
        QFETCH(int, rows);
        reset(true);
        DataSet* ds = nullptr;
        for (DataSet* s : sd_->all())
            if (s->name() == dataSet) ds = s;
        QVERIFY(ds);
        int seen = -1;
        QVERIFY(lists_->withListData(name, [&] { seen = ds->isOpen() ? ds->recordCount() : -1; }));
        QCOMPARE(seen, rows);
        verifyAllClosed();
        QVERIFY(!lists_->withListData(QStringLiteral("fattura_imm"), [] {}));

        // Already open and filtered by a print: left as it is.
        sd_->Clienti.open();
        sd_->filtroClienti = QLatin1Char('S');
        MasterDataRules::of(*sd_)->range = {QStringLiteral("B"), QStringLiteral("C")};
        sd_->Clienti.setFiltered(true);
        QVERIFY(lists_->withListData(QStringLiteral("rubrica"),
                                     [&] { seen = sd_->Clienti.recordCount(); }));
        QCOMPARE(seen, 1);
        QVERIFY(sd_->Clienti.isOpen() && sd_->Clienti.isFiltered());
    }
};

QTEST_MAIN(TstPrintedLists)
#include "tst_printedlists.moc"
