// The delivery-note picker, the product picker and the payments window driven by object name
// under the offscreen platform, over the shared data sets as the documents command opens them.
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include "common/format.h"
#include "common/inifile.h"
#include "common/messages.h"
#include "data/shareddata.h"
#include "documents/documents_rules.h"
#include "documents/frmfatture.h"
#include "documents/pagamentifrm.h"
#include "documents/seleddt.h"
#include "documents/selemaga.h"
#include "documents/service.h"
#include "support/controls.h"
#include "support/testfolder.h"
#include "widgets/datagrid.h"

namespace {
QStringList column(const DataSet& ds, const char* field) {
    QStringList out;
    const int fi = ds.field(QString::fromLatin1(field)).index();
    for (int r = 0; r < ds.recordCount(); ++r) out << ds.valueAt(r, fi).toString();
    return out;
}
}  // namespace

class TestFatturazioneFinestre : public QObject {
    Q_OBJECT
    std::unique_ptr<TestFolder> tf;
    std::unique_ptr<SharedData> sd;
    std::unique_ptr<IniFile> settings;
    IniFile layout;

    QVariant sql(const QString& s, const QVariantList& p = {}) { return tf->value(s, p); }
    void header(const char* numero, const char* tipo, const char* ddtfatt, int n, QDate data,
                const char* cliente, const char* fatturato = "", bool pagato = false) {
        tf->insert(QStringLiteral("Fatture"), {{"Docum_numero", numero},
                                               {"Doc_tipo", tipo},
                                               {"DDTFATT", ddtfatt},
                                               {"Anno", QString::number(data.year())},
                                               {"Num_fattura", n},
                                               {"Data", data},
                                               {"Codice", cliente},
                                               {"Fatturato", fatturato},
                                               {"ALIVA1", "22"},
                                               {"I1", 22},
                                               {"Pagato", pagato ? 1 : 0},
                                               {"Totale", 100.0 + n}});
    }
    void product(const char* code, const char* stato, double litri, const char* bottiglia) {
        tf->insert(QStringLiteral("Prodotti"),
                   {{"Codice_prodotto", code},
                    {"Descrizione", QStringLiteral("Vino %1").arg(code)},
                    {"Stato", stato},
                    {"Litri", litri},
                    {"Bottiglia", bottiglia},
                    {"UM", QLatin1String(stato) == u"2" ? "nr" : "li"},
                    {"Prezzo1", 5.0},
                    {"IVA", "22"}});
    }
    void ddtLine(const char* doc, const char* code, double q) {
        tf->insert(QStringLiteral("Righe"), {{"Docum_numero", doc},
                                             {"CodiceCli", "C1"},
                                             {"Codice", code},
                                             {"Descrizione", QStringLiteral("Vino %1").arg(code)},
                                             {"UM", "li"},
                                             {"Stato", "1"},
                                             {"Quantita", q},
                                             {"Litri_per_unita", 1.0},
                                             {"Prezzo", 2.0},
                                             {"IVA", "22"},
                                             {"Cod_vino_collegato", code}});
    }
    // The documents window on the summary invoice, modification on.
    std::unique_ptr<TfrmFatture> documents() {
        for (DataSet* ds :
             {&sd->Clienti, &sd->Fatture, &sd->righe, &sd->clifatt, &sd->destfatt, &sd->prodotti})
            ds->open();
        auto w = std::make_unique<TfrmFatture>(*sd, *settings, layout);
        w->show();
        click(w.get(), "btn_modifica");
        if (!sd->Fatture.locate(QStringLiteral("Docum_numero"), QStringLiteral("F-2025-000020")))
            qFatal("no summary invoice");
        return w;
    }

private Q_SLOTS:
    void initTestCase() { installItalianLocale(); }
    void init() {
        tf = std::make_unique<TestFolder>();
        tf->insert(QStringLiteral("Imballi"), {{"Bottiglia", "075"}, {"Volume", 0.75}});
        tf->insert(QStringLiteral("IVA"), {{"Ordine", 1}, {"IVA", "22"}});
        const char* customers[][2] = {
            {"C1", "Vini del Colle"}, {"C2", "ENOTECA COLLE ALTO"}, {"C3", "Cantina Rossi"}};
        for (const auto& c : customers)
            tf->insert(
                QStringLiteral("Anagrafica"),
                {{"Codice", c[0]}, {"RagioneSociale", c[1]}, {"Giur_Pers", "G"}, {"Listino", "1"}});
        product("SF", "1", 5, "");
        product("B9", "2", 6.75, "075");  // nine bottles
        product("ZERO", "1", 0, "");
        product("NS", "0", 0, "");
        header("F-2025-000020", "F", "R", 20, QDate(2025, 2, 28), "C1");
        header("F-2025-000021", "F", "I", 21, QDate(2025, 1, 15), "C2", "", true);
        header("F-2025-000022", "F", "I", 22, QDate(2025, 1, 31), "C3");
        header("F-2024-000090", "F", "I", 90, QDate(2024, 12, 31), "C1");
        header("B-2025-000007", "B", "D", 7, QDate(2025, 2, 3), "C1", "N");
        header("B-2025-000008", "B", "D", 8, QDate(2025, 2, 4), "C2", "N");
        header("N-2025-000003", "N", "N", 3, QDate(2025, 1, 20), "C3");
        ddtLine("B-2025-000007", "SF", 3);
        ddtLine("B-2025-000007", "SF", 2);
        settings = std::make_unique<IniFile>(tf->file("vinorda.ini"));
        layout = IniFile(tf->file("form.ini"));
        sd = std::make_unique<SharedData>(tf->db());
        attachDocumentRules(*sd);
    }
    void cleanup() {
        sd.reset();
        tf.reset();
    }

    // ---- delivery-note picker

    void ddtOffered_data() {
        QTest::addColumn<QString>("cliente");
        QTest::addColumn<QStringList>("offered");
        QTest::newRow("the customer's own") << "C1" << QStringList{"B-2025-000007"};
        QTest::newRow("another customer's") << "C2" << QStringList{"B-2025-000008"};
        QTest::newRow("no delivery note") << "C3" << QStringList{};
    }
    void ddtOffered() {
        QFETCH(QString, cliente);
        QFETCH(QStringList, offered);
        Tsele_ddt_frm picker(tf->db());
        picker.preparaElenco(QStringLiteral("F-2025-000020"), cliente);
        picker.show();
        QCOMPARE(picker.windowTitle(), QStringLiteral("Documenti di trasporto non fatturati"));
        QCOMPARE(column(picker.selebolle, "Docum_numero"), offered);
        QCOMPARE(child<DataGrid>(&picker, "DBGrid1")->model()->rowCount(), offered.size());
        QCOMPARE(child<QPushButton>(&picker, "BitBtn1")->isEnabled(), !offered.isEmpty());
    }

    // From the documents window's button to the invoice's lines, as a user does it.
    void importFromDocumentsWindow() {
        ScriptedMessages msgs;
        auto w = documents();
        Tsele_ddt_frm picker(tf->db());
        w->setDdtImport([&] {
            picker.apri(sd->Fatture["Docum_numero"].asString(), sd->Fatture["Codice"].asString());
        });
        int offeredBefore = -1, offeredAfter = -1;
        QTimer::singleShot(0, &picker, [&] {
            offeredBefore = picker.selebolle.recordCount();
            click(&picker, "BitBtn1");
            offeredAfter = picker.selebolle.recordCount();
            click(&picker, "BitBtn2");
        });
        click(w.get(), "Da_ddt");
        QCOMPARE(offeredBefore, 1);
        QCOMPARE(offeredAfter, 0);
        QVERIFY(msgs.texts.isEmpty());
        QVERIFY(!picker.selebolle.isOpen());
        QCOMPARE(column(sd->righe, "Descrizione"),
                 (QStringList{"Doc. Trasporto n. 7 del 03/02/2025", "Vino SF", "Vino SF"}));
        QCOMPARE(sql("SELECT Fatturato FROM Fatture WHERE Docum_numero = 'B-2025-000007'"),
                 QVariant(QStringLiteral("S")));
        // The window shows the invoice's new totals: (3 + 2) x 2 plus VAT.
        QCOMPARE(sd->Fatture["Totale"].asFloat(), 12.2);
    }

    void refusedImportChangesNothing() {
        ScriptedMessages msgs;
        ddtLine("B-2025-000007", "SF", 4);   // 3 + 2 + 4 litres, each alone within the 5
        ddtLine("B-2025-000007", "B9", 12);  // the fourth: more than the nine bottles
        auto w = documents();
        Tsele_ddt_frm picker(tf->db());
        picker.preparaElenco(QStringLiteral("F-2025-000020"), QStringLiteral("C1"));
        picker.show();
        QVERIFY(!picker.BitBtn1Click());
        QCOMPARE(msgs.texts, QStringList{"Giacenza insufficiente: disponibile 9"});
        QCOMPARE(picker.selebolle.recordCount(), 1);
        QCOMPARE(sd->righe.recordCount(), 0);
        QCOMPARE(sql("SELECT COUNT(*) FROM Righe WHERE Docum_numero = 'F-2025-000020'").toInt(), 0);
    }

    // ---- product picker

    void productPicker_data() {
        QTest::addColumn<QString>("codice");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("message");  // empty: the line is added
        QTest::addColumn<QString>("status");
        QTest::addColumn<double>("quantita");
        QTest::newRow("nine bottles of nine") << "B9"
                                              << "9"
                                              << ""
                                              << "Ultimo inserimento : 9 nr Vino B9" << 9.0;
        QTest::newRow("ten bottles of nine") << "B9"
                                             << "10"
                                             << "Quantità insufficiente"
                                             << "" << 0.0;
        QTest::newRow("all the bulk wine, decimal comma")
            << "SF"
            << "4,5"
            << ""
            << "Ultimo inserimento : 4,5 li Vino SF" << 4.5;
        QTest::newRow("more than the bulk wine") << "SF"
                                                 << "5,5"
                                                 << "Quantità insufficiente"
                                                 << "" << 0.0;
        QTest::newRow("no stock kept") << "NS"
                                       << "50"
                                       << ""
                                       << "Ultimo inserimento : 50 li Vino NS" << 50.0;
        QTest::newRow("ambiguous thousands") << "SF"
                                             << "1.500" << msgNumeroAmbiguo("1.500") << "" << 0.0;
        QTest::newRow("nothing typed") << "SF"
                                       << "" << TSele_maga_frm::msgIndicareQuantita() << "" << 0.0;
        QTest::newRow("not a number") << "SF"
                                      << "due"
                                      << "   \"due\" non è una quantità valida   "
                                      << "" << 0.0;
    }
    void productPicker() {
        QFETCH(QString, codice);
        QFETCH(QString, typed);
        QFETCH(QString, message);
        QFETCH(QString, status);
        QFETCH(double, quantita);
        ScriptedMessages msgs;
        auto w = documents();
        TSele_maga_frm picker(*sd);
        picker.show();
        QCOMPARE(picker.windowTitle(), QStringLiteral("Articoli inseribili in fattura"));
        // Stock not zero, or no stock kept.
        QCOMPARE(column(sd->prodotti, "Codice_prodotto"), (QStringList{"B9", "NS", "SF"}));
        QVERIFY(sd->prodotti.locate(QStringLiteral("Codice_prodotto"), codice));
        typeInto(&picker, "quanti", typed);
        click(&picker, "SpeedButton3");
        const int stored =
            sql("SELECT COUNT(*) FROM Righe WHERE Docum_numero = 'F-2025-000020'").toInt();
        auto* quanti = child<QLineEdit>(&picker, "quanti");
        if (message.isEmpty()) {
            QVERIFY(msgs.texts.isEmpty());
            QCOMPARE(stored, 1);
            QCOMPARE(child<QLabel>(&picker, "StatusBar1")->text(), status);
            QVERIFY(quanti->text().isEmpty());
            QCOMPARE(sd->righe["Codice"].asString(), codice);
            QCOMPARE(sd->righe["Quantita"].asFloat(), quantita);
        } else {
            QCOMPARE(msgs.texts, QStringList{message});
            QCOMPARE(stored, 0);
            QVERIFY(!sd->righe.isEditing());
            QCOMPARE(quanti->text(), typed);  // left for correction
            QCOMPARE(child<QLabel>(&picker, "StatusBar1")->text(),
                     TSele_maga_frm::nessunInserimento());
        }
        QVERIFY(quanti->hasFocus() || !picker.isActiveWindow());
        picker.hide();
        QVERIFY(!sd->prodotti.isFiltered());
        QCOMPARE(sd->prodotti.recordCount(), 4);
    }

    void productPickerSortsByTitle() {
        auto w = documents();
        TSele_maga_frm picker(*sd);
        picker.show();
        auto* grid = child<DataGrid>(&picker, "dbgProdotti");
        QVERIFY(!(grid->model()->flags(grid->model()->index(0, 0)) & Qt::ItemIsEditable));
        Q_EMIT grid->titleClicked(QStringLiteral("Pezzi"), 6);
        QCOMPARE(column(sd->prodotti, "Codice_prodotto"), (QStringList{"NS", "SF", "B9"}));
    }

    // ---- payments

    void payments_data() {
        QTest::addColumn<QString>("cliente");
        QTest::addColumn<QString>("da");
        QTest::addColumn<QString>("a");
        QTest::addColumn<bool>("nonPagate");
        QTest::addColumn<QStringList>("listed");
        QTest::newRow("unpaid only")
            << ""
            << ""
            << "" << true << QStringList{"F-2024-000090", "F-2025-000020", "F-2025-000022"};
        QTest::newRow("part of the name, any case")
            << "colle"
            << ""
            << "" << false << QStringList{"F-2024-000090", "F-2025-000020", "F-2025-000021"};
        QTest::newRow("January 2025")
            << ""
            << "01/01/2025"
            << "31/01/2025" << false << QStringList{"F-2025-000021", "F-2025-000022"};
        QTest::newRow("up to a day")
            << ""
            << ""
            << "15/01/2025" << false << QStringList{"F-2024-000090", "F-2025-000021"};
        QTest::newRow("every criterion") << "COLLE"
                                         << "1/1/25"
                                         << "" << true << QStringList{"F-2025-000020"};
    }
    void payments() {
        QFETCH(QString, cliente);
        QFETCH(QString, da);
        QFETCH(QString, a);
        QFETCH(bool, nonPagate);
        QFETCH(QStringList, listed);
        ScriptedMessages msgs;
        Tfrmpagamenti w(tf->db());
        w.pagamenti.open();
        w.show();
        QCOMPARE(w.windowTitle(), QStringLiteral("Gestione pagamenti"));
        const QStringList every{"F-2024-000090", "F-2025-000020", "F-2025-000021", "F-2025-000022"};
        // Both kinds of invoice, in number order; no delivery note, no receipt.
        QCOMPARE(column(w.pagamenti, "Docum_numero"), every);
        typeInto(&w, "solo_cliente", cliente);
        typeInto(&w, "da_data", da);
        typeInto(&w, "a_data", a);
        child<QCheckBox>(&w, "ck_paga")->setChecked(nonPagate);
        // Criteria take effect only with the filter down.
        QCOMPARE(column(w.pagamenti, "Docum_numero"), every);
        click(&w, "filtro");
        QCOMPARE(column(w.pagamenti, "Docum_numero"), listed);
        QCOMPARE(w.pagamenti.recNo(), 0);
        QVERIFY(msgs.texts.isEmpty());
        click(&w, "filtro");
        QCOMPARE(column(w.pagamenti, "Docum_numero"), every);
    }

    void paymentsWindow() {
        ScriptedMessages msgs;
        Tfrmpagamenti w(tf->db());
        QStringList printed;
        w.setPrint([&](const QString& m, const QString& t) { printed << m << t; });
        w.pagamenti.open();
        w.show();
        auto* grid = child<DataGrid>(&w, "ExDBGrid1");
        auto* model = grid->dataModel();
        QStringList titles;
        for (int c = 0; c < model->columnCount(); ++c)
            if (!grid->isColumnHidden(c)) titles << model->columnTitle(c);
        QCOMPARE(titles.value(1), QStringLiteral("Num."));
        QCOMPARE(titles.mid(5), (QStringList{"Data pagamento", "Pagato", "Annotazioni"}));
        QCOMPARE(model->data(model->index(1, model->columnOf("RagioneSociale")), Qt::DisplayRole)
                     .toString(),
                 QStringLiteral("Vini del Colle"));
        for (const char* f : {"Anno", "Num_fattura", "Data", "RagioneSociale"})
            QVERIFY2(!(model->flags(model->index(0, model->columnOf(f))) & Qt::ItemIsEditable), f);

        // A date that is not a date, and a total that is not a number: refused, the row stays
        // in edit with what was typed, nothing stored.
        const QModelIndex paidOn = model->index(1, model->columnOf("Pagato_il"));
        QVERIFY(!model->setData(paidOn, QStringLiteral("31/02/2025"), Qt::EditRole));
        QCOMPARE(msgs.last(), msgDataNonValida(QStringLiteral("31/02/2025")));
        QVERIFY(w.pagamenti.isEditing());
        QVERIFY(!w.pagamenti.next());
        QCOMPARE(w.pagamenti.recNo(), 1);
        QCOMPARE(model->rejected().text, QStringLiteral("31/02/2025"));
        msgs.clear();
        // Corrected, with the tick and a note: stored when the cursor leaves the row.
        QVERIFY(model->setData(paidOn, QStringLiteral("05/03/2025"), Qt::EditRole));
        QVERIFY(model->setData(model->index(1, model->columnOf("Pagato")), QStringLiteral("Sì"),
                               Qt::EditRole));
        QVERIFY(model->setData(model->index(1, model->columnOf("Pagato_note")),
                               QStringLiteral("bonifico"), Qt::EditRole));
        QVERIFY(!model->setData(model->index(1, model->columnOf("Totale")), QStringLiteral("tanti"),
                                Qt::EditRole));
        QCOMPARE(msgs.last(),
                 QStringLiteral("   Valore non valido per il campo totale fattura   "));
        QVERIFY(model->setData(model->index(1, model->columnOf("Totale")), QStringLiteral("99,5"),
                               Qt::EditRole));
        QVERIFY(w.pagamenti.next());
        QCOMPARE(sql("SELECT Pagato_il || '|' || Pagato || '|' || Pagato_note || '|' || Totale "
                     "FROM Fatture WHERE Docum_numero = 'F-2025-000020'")
                     .toString(),
                 QStringLiteral("2025-03-05 00:00:00|1|bonifico|995000"));
        // Past the last row the grid adds none.
        w.pagamenti.last();
        grid->setFocus();
        grid->setCurrentIndex(model->index(3, 1));
        QTest::keyClick(grid, Qt::Key_Down);
        QCOMPARE(w.pagamenti.recordCount(), 4);
        QVERIFY(!w.pagamenti.isEditing());

        // A filter date that is not a date: the message, the filter stays up.
        msgs.clear();
        typeInto(&w, "da_data", QStringLiteral("32/01/2025"));
        click(&w, "filtro");
        QVERIFY(msgs.texts.contains(msgDataNonValida(QStringLiteral("32/01/2025"))));
        QVERIFY(!child<QPushButton>(&w, "filtro")->isChecked());
        QCOMPARE(w.pagamenti.recordCount(), 4);

        // Printing: the list as it is; an empty one is refused.
        typeInto(&w, "da_data", QString());
        click(&w, "BitBtn4");
        QCOMPARE(printed, (QStringList{"pagamenti", "Elenco pagamenti"}));
        typeInto(&w, "solo_cliente", QStringLiteral("nessuno"));
        click(&w, "filtro");
        QCOMPARE(w.pagamenti.recordCount(), 0);
        msgs.clear();
        click(&w, "BitBtn4");
        QCOMPARE(msgs.texts, QStringList{Tfrmpagamenti::msgNienteDaStampare()});
        QCOMPARE(printed.size(), 2);

        // A payment recorded elsewhere shows at the refresh, through the filter in force.
        typeInto(&w, "solo_cliente", QStringLiteral("rossi"));
        tf->db().exec(
            QStringLiteral("UPDATE Fatture SET Pagato_note = 'assegno' WHERE "
                           "Docum_numero = 'F-2025-000022'"));
        click(&w, "SpeedButton1");
        QCOMPARE(column(w.pagamenti, "Docum_numero"), QStringList{"F-2025-000022"});
        QCOMPARE(w.pagamenti["Pagato_note"].asString(), QStringLiteral("assegno"));

        // Closing releases the filter: next time every invoice is listed.
        w.close();
        QVERIFY(!child<QPushButton>(&w, "filtro")->isChecked());
        QCOMPARE(w.pagamenti.recordCount(), 4);
    }
};

QTEST_MAIN(TestFatturazioneFinestre)
#include "tst_fatturazione_finestre.moc"
