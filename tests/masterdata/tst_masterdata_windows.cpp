// The header, customer and product windows driven by object name under the offscreen platform.
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStackedWidget>
#include <QTest>
#include <QToolButton>

#include "common/format.h"
#include "common/inifile.h"
#include "common/messages.h"
#include "data/shareddata.h"
#include "masterdata/frmclienti.h"
#include "masterdata/frmintesta.h"
#include "masterdata/frmlistino.h"
#include "masterdata/masterdata_rules.h"
#include "support/controls.h"
#include "support/testfolder.h"
#include "widgets/datagrid.h"

namespace {
void type(QLineEdit* e, const QString& text) {
    e->setFocus();
    QTest::keyClicks(e, text);
}
void choose(QComboBox* c, const QString& text) {
    const int i = c->findText(text);
    QVERIFY2(i >= 0, qPrintable(text));
    c->setCurrentIndex(i);
    Q_EMIT c->activated(i);
}
}  // namespace

class TestMasterDataWindows : public QObject {
    Q_OBJECT
    std::unique_ptr<TestFolder> tf;
    std::unique_ptr<SharedData> sd;
    IniFile ini;

    QVariant sql(const QString& s) { return tf->value(s); }

private Q_SLOTS:
    void initTestCase() { installItalianLocale(); }
    void init() {
        tf = std::make_unique<TestFolder>();
        sd = std::make_unique<SharedData>(tf->db());
        attachMasterDataRules(*sd);
        ini = IniFile();
        ini.load(tf->file(QStringLiteral("vinorda.ini")));
    }
    void cleanup() {
        sd.reset();
        tf.reset();
    }

    // ---- company header

    void headerNeedsModifica() {
        tf->insert("Intesta", {{"RagioneSociale", "Cantina"}, {"Griglia_X", 4}, {"Griglia_Y", 4}});
        sd->Intestazione.open();
        TfrmIntesta w(*sd, ini);
        w.show();
        auto* rs = child<QLineEdit>(&w, "RagioneSociale");
        type(rs, "XYZ");
        QCOMPARE(rs->text(), QStringLiteral("Cantina"));
        QVERIFY(!sd->Intestazione.isEditing());
        QTest::mouseClick(child<QPushButton>(&w, "btn_fine_intestazione"), Qt::LeftButton);
        QCOMPARE(sql("SELECT RagioneSociale FROM Intesta").toString(), QStringLiteral("Cantina"));
        // After the button the same typing goes in, and "Fine modifica" stores it.
        QTest::mouseClick(child<QPushButton>(&w, "btn_modifica_intestazione"), Qt::LeftButton);
        QVERIFY(sd->Intestazione.isEditing());
        QVERIFY(!rs->isReadOnly());
        type(rs, " Bella");
        QTest::mouseClick(child<QPushButton>(&w, "btn_fine_intestazione"), Qt::LeftButton);
        QVERIFY(!sd->Intestazione.isEditing());
        QVERIFY(rs->isReadOnly());
        QCOMPARE(sql("SELECT RagioneSociale FROM Intesta").toString(),
                 QStringLiteral("Cantina Bella"));
    }

    // Enter in a header field stores the edit ("&Fine modifica intestazione" is the default
    // button); Esc abandons it.
    void headerEnterAndEsc_data() {
        QTest::addColumn<int>("key");
        QTest::addColumn<QString>("stored");
        QTest::newRow("Enter stores") << int(Qt::Key_Return) << "Cantina Nuova";
        QTest::newRow("Esc abandons") << int(Qt::Key_Escape) << "Cantina";
    }
    void headerEnterAndEsc() {
        QFETCH(int, key);
        QFETCH(QString, stored);
        ScriptedMessages msgs;
        tf->insert("Intesta", {{"RagioneSociale", "Cantina"}, {"Griglia_X", 4}, {"Griglia_Y", 4}});
        sd->Intestazione.open();
        TfrmIntesta w(*sd, ini);
        w.show();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        QTest::mouseClick(child<QPushButton>(&w, "btn_modifica_intestazione"), Qt::LeftButton);
        auto* rs = child<QLineEdit>(&w, "RagioneSociale");
        rs->setFocus();
        rs->selectAll();
        QTest::keyClicks(rs, "Cantina Nuova");
        QTest::keyClick(rs, Qt::Key(key));
        QVERIFY(!sd->Intestazione.isEditing());
        QVERIFY(w.isVisible());  // Esc abandoned the edit, it did not close the window
        QCOMPARE(sql("SELECT RagioneSociale FROM Intesta").toString(), stored);
        QCOMPARE(rs->text(), stored);
        QVERIFY(rs->isReadOnly());
        QVERIFY(msgs.texts.isEmpty());
        // With nothing pending, Esc closes the window as always.
        QTest::keyClick(rs, Qt::Key_Escape);
        QVERIFY(!w.isVisible());
    }

    // A printer name that no installed queue begins with is marked, naming the queue used.
    void printerNotFoundIsMarked_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QStringList>("installed");
        QTest::addColumn<QString>("note");
        const QStringList queues{QStringLiteral("HP_Ufficio"), QStringLiteral("Citizen_CT")};
        QTest::newRow("prefix of a queue") << "Citizen" << queues << "";
        QTest::newRow("default text")
            << "stampante1" << queues << "Stampante non trovata: verrà usata Citizen_CT";
        QTest::newRow("empty") << "" << queues << "Stampante non trovata: verrà usata Citizen_CT";
        QTest::newRow("no printers") << "HP" << QStringList()
                                     << "Nessuna stampante installata: le stampe vanno in un "
                                        "file PDF";
    }
    void printerNotFoundIsMarked() {
        QFETCH(QString, name);
        QFETCH(QStringList, installed);
        QFETCH(QString, note);
        TfrmIntesta w(*sd, ini);
        w.setPrinterSource([installed] { return installed; },
                           [installed] { return installed.value(1); });
        w.show();
        auto* printer = child<QComboBox>(&w, "stampante1");
        printer->setEditText(name);
        auto* label = child<QLabel>(&w, "lbl_stampante1_nota");
        QCOMPARE(label->text(), note);
        QCOMPARE(label->isHidden(), note.isEmpty());
    }

    void closeDiscardsHeaderKeepsVat() {
        ScriptedMessages msgs;
        tf->insert("Intesta", {{"RagioneSociale", "Cantina"}});
        tf->insert("IVA", {{"Ordine", 1}, {"IVA", "22"}, {"Nota_fin", ""}});
        sd->Intestazione.open();
        TfrmIntesta w(*sd, ini);
        w.show();
        QVERIFY(sd->TAB_IVA.isOpen());
        QTest::mouseClick(child<QPushButton>(&w, "btn_modifica_intestazione"), Qt::LeftButton);
        type(child<QLineEdit>(&w, "RagioneSociale"), "!!");
        auto* grid = child<DataGrid>(&w, "dbgIVA");
        QVERIFY(grid->model()->setData(grid->model()->index(0, 2), QStringLiteral("Esente art. 10"),
                                       Qt::EditRole));
        QVERIFY(sd->TAB_IVA.isEditing());
        QTest::mouseClick(child<QPushButton>(&w, "btn_chiudi"), Qt::LeftButton);
        QVERIFY(!w.isVisible());
        QCOMPARE(sql("SELECT RagioneSociale FROM Intesta").toString(), QStringLiteral("Cantina"));
        QCOMPARE(sql("SELECT Nota_fin FROM IVA").toString(), QStringLiteral("Esente art. 10"));
        QVERIFY(!sd->Intestazione.isEditing());
        QVERIFY(!sd->TAB_IVA.isOpen());
        QVERIFY(msgs.texts.isEmpty());
    }

    void gridSizeRefusedInWindow() {
        ScriptedMessages msgs;
        tf->insert("Intesta", {{"RagioneSociale", "Cantina"}, {"Griglia_X", 4}, {"Griglia_Y", 4}});
        sd->Intestazione.open();
        TfrmIntesta w(*sd, ini);
        w.show();
        QTest::mouseClick(child<QPushButton>(&w, "btn_modifica_intestazione"), Qt::LeftButton);
        auto* gx = child<QLineEdit>(&w, "Griglia_X");
        gx->selectAll();
        type(gx, "60");
        QTest::mouseClick(child<QPushButton>(&w, "btn_fine_intestazione"), Qt::LeftButton);
        QCOMPARE(msgs.last(), MasterDataRules::msgGriglia("Griglia sinottico X"));
        QVERIFY(sd->Intestazione.isEditing());
        QCOMPARE(gx->text(), QStringLiteral("60"));
        QCOMPARE(sql("SELECT Griglia_X FROM Intesta").toInt(), 4);
    }

    void settingsSurviveRestart() {
        const QString path = tf->file("vinorda.ini");
        {
            IniFile first(path);
            first.setValue("TfrmIntesta", "DIRECTORY", "/srv/cantina/");
            TfrmIntesta w(*sd, first);
            w.show();
            QCOMPARE(w.esportazioneText(), QStringLiteral("esportazione"));
            QCOMPARE(w.stampante1Text(), QStringLiteral("stampante1"));
            auto* exp = child<QLineEdit>(&w, "esportazione");
            exp->selectAll();
            type(exp, "/home/u/export/");
            child<QComboBox>(&w, "stampante1")->setEditText("HP");
            child<QComboBox>(&w, "stampante2")->setEditText("Epson TM");
            QTest::mouseClick(child<QPushButton>(&w, "btn_chiudi"), Qt::LeftButton);
        }
        IniFile again(path);
        QCOMPARE(again.value("TfrmIntesta", "esportazione_Text"),
                 QStringLiteral("/home/u/export/"));
        QCOMPARE(again.value("TfrmIntesta", "DIRECTORY"), QStringLiteral("/srv/cantina/"));
        TfrmIntesta w(*sd, again);
        w.show();
        QCOMPARE(w.esportazioneText(), QStringLiteral("/home/u/export/"));
        QCOMPARE(w.stampante1Text(), QStringLiteral("HP"));
        QCOMPARE(w.stampante2Text(), QStringLiteral("Epson TM"));
    }

    // ---- customers and products: the "Modifica" switch

    void modificaGatesEditing_data() {
        QTest::addColumn<bool>("products");
        QTest::newRow("customers") << false;
        QTest::newRow("products") << true;
    }
    void modificaGatesEditing() {
        QFETCH(bool, products);
        tf->insert("Anagrafica", {{"Codice", "C1"}, {"RagioneSociale", "Rossi"}});
        tf->insert("Prodotti", {{"Codice_prodotto", "P1"}, {"Descrizione", "Barbera"}});
        DataSet& ds = products ? sd->prodotti : sd->Clienti;
        ds.open();
        std::unique_ptr<QDialog> w;
        if (products)
            w = std::make_unique<TfrmListino>(*sd, ini);
        else
            w = std::make_unique<TfrmClienti>(*sd, ini);
        w->show();
        auto* grid = child<DataGrid>(w.get(), products ? "ListinoGrid" : "ClientiGrid");
        const QModelIndex cell = grid->model()->index(0, 1);
        auto* nuovo = child<QPushButton>(w.get(), "btn_nuovo");
        auto* canc = child<QPushButton>(w.get(), "btn_cancella");
        auto* mod = child<QPushButton>(w.get(), "btn_modifica");
        auto* lbl = child<QLabel>(w.get(), "lbl_modifica");
        QVERIFY(!nuovo->isEnabled());
        QVERIFY(!canc->isEnabled());
        QCOMPARE(lbl->text(), QStringLiteral("Modifica : NO"));
        QVERIFY(!(grid->model()->flags(cell) & Qt::ItemIsEditable));
        QVERIFY(!grid->model()->setData(cell, "Nuovo nome", Qt::EditRole));
        QTest::mouseClick(mod, Qt::LeftButton);
        QCOMPARE(mod->text(), QStringLiteral("Blocca"));
        QCOMPARE(lbl->text(), QStringLiteral("Modifica : SI"));
        QVERIFY(nuovo->isEnabled());
        QVERIFY(canc->isEnabled());
        QVERIFY(grid->model()->flags(cell) & Qt::ItemIsEditable);
        // The code of a stored customer stays read-only in the grid.
        if (!products)
            QVERIFY(!(grid->model()->flags(grid->model()->index(0, 0)) & Qt::ItemIsEditable));
        QVERIFY(grid->model()->setData(cell, "Nuovo nome", Qt::EditRole));
        // Closing with the pending change stores it and locks the table again.
        QTest::mouseClick(child<QPushButton>(w.get(), "btn_fine"), Qt::LeftButton);
        QVERIFY(!w->isVisible());
        QCOMPARE(sql(products ? "SELECT Descrizione FROM Prodotti"
                              : "SELECT RagioneSociale FROM Anagrafica")
                     .toString(),
                 QStringLiteral("Nuovo nome"));
        QVERIFY(ds.isReadOnly());
        QCOMPARE(mod->text(), QStringLiteral("Modifica"));
    }

    void newCustomerOnTheCard() {
        ScriptedMessages msgs;
        tf->insert("Anagrafica", {{"Codice", "C1"}, {"RagioneSociale", "Rossi"}});
        sd->Clienti.open();
        TfrmClienti w(*sd, ini);
        w.show();
        QTest::mouseClick(child<QPushButton>(&w, "btn_modifica"), Qt::LeftButton);
        QTest::mouseClick(child<QPushButton>(&w, "btn_nuovo"), Qt::LeftButton);
        auto* codice = child<QLineEdit>(&w, "Codice");
        QVERIFY(!codice->isReadOnly());
        QCOMPARE(sd->Clienti.field("Listino").asString(), QStringLiteral("1"));
        type(codice, "c1");  // forced to upper case: a duplicate
        QCOMPARE(codice->text(), QStringLiteral("C1"));
        type(child<QLineEdit>(&w, "RagioneSociale"), "Verdi");
        choose(child<QComboBox>(&w, "Giur_Pers"), "Cliente PRIVATO");
        QTest::mouseClick(child<QPushButton>(&w, "btn_modifica"), Qt::LeftButton);
        QCOMPARE(msgs.last(), MasterDataRules::msgCodiceClienteDuplicato("C1"));
        // Refused: still editing, with what was typed.
        QCOMPARE(child<QPushButton>(&w, "btn_modifica")->text(), QStringLiteral("Blocca"));
        QVERIFY(sd->Clienti.state() == DataSet::State::Insert);
        QCOMPARE(child<QLineEdit>(&w, "RagioneSociale")->text(), QStringLiteral("Verdi"));
        type(codice, "2");
        QTest::mouseClick(child<QPushButton>(&w, "btn_modifica"), Qt::LeftButton);
        QCOMPARE(tf->count("Anagrafica"), 2);
        QCOMPARE(sql("SELECT Listino FROM Anagrafica WHERE Codice='C12'").toString(),
                 QStringLiteral("6"));
        QCOMPARE(sql("SELECT Giur_Pers FROM Anagrafica WHERE Codice='C12'").toString(),
                 QStringLiteral("X"));
        // Stored: the code is locked even with editing switched on.
        QTest::mouseClick(child<QPushButton>(&w, "btn_modifica"), Qt::LeftButton);
        QVERIFY(codice->isReadOnly());
    }

    void searchFilter() {
        ScriptedMessages msgs;
        tf->insert("Anagrafica",
                   {{"Codice", "C1"}, {"RagioneSociale", "Rossi Mario"}, {"Citta", "Asti"}});
        tf->insert("Anagrafica",
                   {{"Codice", "C2"}, {"RagioneSociale", "Bianchi"}, {"Citta", "Alba"}});
        tf->insert("Anagrafica",
                   {{"Codice", "C3"}, {"RagioneSociale", "Grossi"}, {"Citta", "Asti"}});
        sd->Clienti.open();
        TfrmClienti w(*sd, ini);
        w.show();
        auto* lista = child<QPushButton>(&w, "btn_lista");
        QTest::mouseClick(lista, Qt::LeftButton);
        QCOMPARE(lista->text(), QStringLiteral("Scheda"));
        QCOMPARE(child<QStackedWidget>(&w, "Notebook1")->currentWidget()->objectName(),
                 QStringLiteral("LISTA"));
        QCOMPARE(child<QLabel>(&w, "lblCampoRicerca1")->text(), QStringLiteral("RagioneSociale"));
        QCOMPARE(child<QLabel>(&w, "lblCampoRicerca")->text(), QStringLiteral("Ragione Sociale"));
        auto* search = child<QLineEdit>(&w, "ediRicerca");
        auto* filtro = child<QToolButton>(&w, "SpeedButton1");
        type(search, "ross");
        QCOMPARE(search->text(), QStringLiteral("ROSS"));
        QTest::mouseClick(filtro, Qt::LeftButton);
        QVERIFY(filtro->isChecked());
        QCOMPARE(sd->Clienti.recordCount(), 2);
        // Typing again shows everybody until "&Filtro" is pressed again.
        type(search, "X");
        QVERIFY(!filtro->isChecked());
        QCOMPARE(sd->Clienti.recordCount(), 3);
        QTest::mouseClick(filtro, Qt::LeftButton);
        QCOMPARE(msgs.last(), QStringLiteral("  Nessuna scheda trovata !  "));
        QVERIFY(!filtro->isChecked());
        QCOMPARE(sd->Clienti.recordCount(), 3);
        // Another search column by clicking a cell of it.
        auto* grid = child<DataGrid>(&w, "ClientiGrid");
        const int citta = grid->dataModel()->columnOf("Citta");
        Q_EMIT grid->cellClicked("Citta", citta);
        QCOMPARE(child<QLabel>(&w, "lblCampoRicerca")->text(), QStringLiteral("Città"));
        search->clear();
        type(search, "asti");
        QTest::mouseClick(filtro, Qt::LeftButton);
        QCOMPARE(sd->Clienti.recordCount(), 2);
        // Title click sorts; closing brings back the order by name and drops the filter.
        Q_EMIT grid->titleClicked("Codice", 0);
        QCOMPARE(sd->Clienti.sortField(), QStringLiteral("Codice"));
        QTest::mouseClick(child<QPushButton>(&w, "btn_fine"), Qt::LeftButton);
        QCOMPARE(sd->Clienti.sortField(), QStringLiteral("RagioneSociale"));
        QVERIFY(!sd->Clienti.isFiltered());
        QCOMPARE(sd->Clienti.recordCount(), 3);
    }

    void colourChosenAndPainted() {
        tf->insert("Prodotti", {{"Codice_prodotto", "P1"}, {"Descrizione", "Barbera"}});
        sd->prodotti.open();
        TfrmListino w(*sd, ini);
        w.show();
        QTest::mouseClick(child<QPushButton>(&w, "btn_modifica"), Qt::LeftButton);
        choose(child<QComboBox>(&w, "Colore"), "Rosso");
        QTest::mouseClick(child<QPushButton>(&w, "btn_modifica"), Qt::LeftButton);
        QCOMPARE(sql("SELECT Colore FROM Prodotti").toString(), QStringLiteral("0x000000FF"));
        auto* grid = child<DataGrid>(&w, "ListinoGrid");
        const QModelIndex cell = grid->model()->index(0, grid->dataModel()->columnOf("Colore"));
        QCOMPARE(grid->model()->data(cell, Qt::BackgroundRole).value<QColor>(), QColor(255, 0, 0));
        QVERIFY(!grid->model()->data(grid->model()->index(0, 0), Qt::BackgroundRole).isValid());
        // And on screen: the cell's pixels are red.
        w.resize(1600, 800);
        grid->scrollTo(cell);
        QCoreApplication::processEvents();
        const QRect r = grid->visualRect(cell);
        QVERIFY(grid->viewport()->rect().contains(r.center()));
        const QImage img = grid->viewport()->grab().toImage();
        QCOMPARE(QColor(img.pixel(r.center() + QPoint(r.width() / 3, 0))), QColor(255, 0, 0));
    }

    void productDeleteAsksAndSortResets() {
        ScriptedMessages msgs;
        tf->insert("Prodotti", {{"Codice_prodotto", "B"}, {"Descrizione", "Alfa"}});
        tf->insert("Prodotti", {{"Codice_prodotto", "A"}, {"Descrizione", "Zeta"}});
        sd->prodotti.open();
        TfrmListino w(*sd, ini);
        w.show();
        auto* grid = child<DataGrid>(&w, "ListinoGrid");
        Q_EMIT grid->titleClicked("Descrizione", 1);
        QCOMPARE(sd->prodotti.valueAt(0, sd->prodotti.field("Codice_prodotto").index()).toString(),
                 QStringLiteral("B"));
        QTest::mouseClick(child<QPushButton>(&w, "btn_modifica"), Qt::LeftButton);
        msgs.answer(false);
        QTest::mouseClick(child<QPushButton>(&w, "btn_cancella"), Qt::LeftButton);
        QCOMPARE(tf->count("Prodotti"), 2);
        msgs.answer(true);
        QTest::mouseClick(child<QPushButton>(&w, "btn_cancella"), Qt::LeftButton);
        QCOMPARE(tf->count("Prodotti"), 1);
        QCOMPARE(msgs.texts, QStringList(2, MasterDataRules::msgCancelloProdotto()));
        QTest::mouseClick(child<QPushButton>(&w, "btn_fine"), Qt::LeftButton);
        QCOMPARE(sd->prodotti.sortField(), QStringLiteral("Codice_prodotto"));
    }

    // A number typed in the products window is read when left; a wrong one keeps the product
    // unsaved (also through "Blocca") until corrected, or abandoned with Esc.
    void productNumberInput_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("then");  // "blocca", "esc"
        QTest::addColumn<double>("stored");
        QTest::newRow("keypad point") << "1.5"
                                      << "blocca" << 1.5;
        QTest::newRow("grouped thousands, Blocca") << "1.234,5"
                                                   << "blocca" << 10.5;
        QTest::newRow("ambiguous, Blocca") << "1.500"
                                           << "blocca" << 10.5;
        QTest::newRow("wrong, Esc") << "1.234,5"
                                    << "esc" << 10.5;
    }
    void productNumberInput() {
        QFETCH(QString, typed);
        QFETCH(QString, then);
        QFETCH(double, stored);
        ScriptedMessages msgs;
        tf->insert("Prodotti", {{"Codice_prodotto", "P1"}, {"Litri", 10.5}});
        sd->prodotti.open();
        TfrmListino w(*sd, ini);
        w.show();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        auto* modifica = child<QPushButton>(&w, "btn_modifica");
        QTest::mouseClick(modifica, Qt::LeftButton);
        auto* litri = child<QLineEdit>(&w, "Litri");
        litri->setFocus();
        litri->selectAll();
        QTest::keyClicks(litri, typed);
        const bool wrong = stored == 10.5;
        if (then == u"esc") {
            QTest::keyClick(litri, Qt::Key_Escape);
            QVERIFY(!sd->prodotti.isEditing());
            QCOMPARE(litri->text(), QStringLiteral("10,5"));
            QVERIFY(w.isVisible());
        } else {
            modifica->setFocus();  // leaving the field, as the click does
            QTest::mouseClick(modifica, Qt::LeftButton);
            QCOMPARE(sd->prodotti.isEditing(), wrong);
            QCOMPARE(modifica->text(),
                     wrong ? QStringLiteral("Blocca") : QStringLiteral("Modifica"));
            QCOMPARE(litri->text(), wrong ? typed : QStringLiteral("1,5"));
            QCOMPARE(msgs.texts.isEmpty(), !wrong);
        }
        QCOMPARE(sql("SELECT Litri FROM Prodotti").toDouble(), stored);
    }

    // A wrong number typed in a grid cell comes back to the cell and keeps the product unsaved.
    void gridNumberInput() {
        ScriptedMessages msgs;
        tf->insert("Prodotti", {{"Codice_prodotto", "P1"}, {"Litri", 10.5}});
        sd->prodotti.open();
        TfrmListino w(*sd, ini);
        w.show();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        QTest::mouseClick(child<QPushButton>(&w, "btn_modifica"), Qt::LeftButton);
        auto* grid = child<DataGrid>(&w, "ListinoGrid");
        auto* descr = child<QLineEdit>(&w, "Descrizione");
        QTest::keyClicks(descr, "Rosso");
        const QModelIndex cell = grid->model()->index(0, grid->dataModel()->columnOf("Litri"));
        grid->setFocus();
        grid->setCurrentIndex(cell);
        grid->edit(cell);
        auto editor = [grid] {
            for (QLineEdit* e : grid->viewport()->findChildren<QLineEdit*>())
                if (e->isVisible()) return e;
            return static_cast<QLineEdit*>(nullptr);
        };
        QVERIFY(editor());
        editor()->setText(QStringLiteral("1.500"));
        QTest::keyClick(editor(), Qt::Key_Return);
        QTRY_COMPARE(msgs.texts.size(), 1);
        QTRY_VERIFY(editor() && editor()->text() == QStringLiteral("1.500"));
        QVERIFY(msgs.last().contains(QStringLiteral("ambiguo")));
        QVERIFY(!sd->prodotti.post());
        QCOMPARE(sql("SELECT Descrizione IS NULL FROM Prodotti").toInt(), 1);
        // Esc in the cell abandons the whole edit of the product.
        QTest::keyClick(editor(), Qt::Key_Escape);
        QVERIFY(!sd->prodotti.isEditing());
        QCOMPARE(descr->text(), QString());
        QCOMPARE(sql("SELECT Litri FROM Prodotti").toDouble(), 10.5);
    }

    void gridLayoutRemembered() {
        tf->insert("Prodotti", {{"Codice_prodotto", "P1"}});
        sd->prodotti.open();
        {
            TfrmListino w(*sd, ini);
            w.show();
            auto* grid = child<DataGrid>(&w, "ListinoGrid");
            grid->setColumnWidth(1, 123);
            grid->horizontalHeader()->moveSection(9, 0);  // Litri first
            QTest::mouseClick(child<QPushButton>(&w, "btn_fine"), Qt::LeftButton);
        }
        IniFile again(tf->file("vinorda.ini"));
        TfrmListino w(*sd, again);
        auto* grid = child<DataGrid>(&w, "ListinoGrid");
        QCOMPARE(grid->columnWidth(1), 123);
        QCOMPARE(grid->horizontalHeader()->logicalIndex(0), 9);
    }
};

QTEST_MAIN(TestMasterDataWindows)
#include "tst_masterdata_windows.moc"
