// The documents window driven by object name under the offscreen platform, over the shared data
// sets opened as the menu command opens them.
#include <QComboBox>
#include <QDateEdit>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedWidget>
#include <QTabWidget>
#include <QTest>

#include "common/format.h"
#include "common/inifile.h"
#include "common/messages.h"
#include "data/shareddata.h"
#include "documents/documents_rules.h"
#include "documents/frmfatture.h"
#include "documents/service.h"
#include "support/controls.h"
#include "support/testfolder.h"
#include "widgets/datagrid.h"
#include "widgets/navigator.h"

namespace {
void type(QLineEdit* e, const QString& text) {
    e->setFocus();
    e->selectAll();
    QTest::keyClicks(e, text);
}
void choose(QComboBox* c, const QString& text) {
    const int i = c->findText(text);
    QVERIFY2(i >= 0, qPrintable(text));
    c->setCurrentIndex(i);
    Q_EMIT c->activated(i);
}
const int year = QDate::currentDate().year();
QString num(const char* prefix, int n, int y = year) {
    return QStringLiteral("%1-%2-%3")
        .arg(QLatin1String(prefix))
        .arg(y)
        .arg(n, 6, 10, QLatin1Char('0'));
}
}  // namespace

class TestFrmFatture : public QObject {
    Q_OBJECT
    std::unique_ptr<TestFolder> tf;
    std::unique_ptr<SharedData> sd;
    std::unique_ptr<IniFile> settings;
    IniFile layout;

    QVariant sql(const QString& s, const QVariantList& p = {}) { return tf->value(s, p); }

    void header(const QString& numero, const char* tipo, const char* ddtfatt, int anno, int n,
                double totale, const char* cliente = "G1") {
        tf->insert(QStringLiteral("Fatture"),
                   {{"Docum_numero", numero},
                    {"Doc_tipo", tipo},
                    {"DDTFATT", ddtfatt},
                    {"Anno", QString::number(anno)},
                    {"Num_fattura", n},
                    {"Data", QStringLiteral("%1-02-03 00:00:00").arg(anno)},
                    {"Codice", cliente},
                    {"Destinazione", "P1"},
                    {"ALIVA1", QLatin1String(tipo) == u"N" ? "" : "22"},
                    {"I1", QLatin1String(tipo) == u"N" ? 0 : 22},
                    {"Totale", totale}});
    }
    // The shared data sets as "&Fatture e Documenti di trasporto" opens them.
    void openAsTheMenu() {
        for (DataSet* ds : {&sd->Clienti, &sd->Fatture, &sd->righe, &sd->clifatt, &sd->destfatt})
            ds->open();
        sd->Fatture.last();
        sd->prodotti.open();
        sd->Fatture.setFiltered(true);
    }
    std::unique_ptr<TfrmFatture> window() {
        auto w = std::make_unique<TfrmFatture>(*sd, *settings, layout);
        w->show();
        return w;
    }

private Q_SLOTS:
    void initTestCase() { installItalianLocale(); }
    void init() {
        tf = std::make_unique<TestFolder>();
        tf->insert("IVA", {{"Ordine", 1}, {"IVA", "22"}});
        tf->insert("IVA", {{"Ordine", 2}, {"IVA", "10"}});
        tf->insert("Imballi", {{"Bottiglia", "075"}, {"Volume", 0.75}});
        tf->insert("Intesta", {{"RagioneSociale", "Cantina"},
                               {"Causale", "Vendita,Omaggio"},
                               {"Aspetto", "Cartoni,Sfuso"}});
        const char* customers[][4] = {{"G1", "Enoteca Uno", "G", "RB 30/60 FM"},
                                      {"P1", "Rossi Paolo", "P", ""},
                                      {"X1", "Bianchi Anna", "X", ""}};
        for (const auto& c : customers)
            tf->insert("Anagrafica", {{"Codice", c[0]},
                                      {"RagioneSociale", c[1]},
                                      {"Giur_Pers", c[2]},
                                      {"Pagamento", c[3]},
                                      {"Listino", "1"}});
        tf->insert("Prodotti", {{"Codice_prodotto", "SF"},
                                {"Descrizione", "Rosso sfuso"},
                                {"Stato", "1"},
                                {"Litri", 100.0},
                                {"UM", "li"},
                                {"Prezzo1", 2.0},
                                {"IVA", "22"}});
        header(num("B", 4), "B", "D", year, 4, 10);
        header(num("F", 7), "F", "I", year, 7, 30);
        header(num("N", 2), "N", "N", year, 2, 20, "X1");
        header(num("F", 9, year - 1), "F", "R", year - 1, 9, 40);
        tf->insert("Righe", {{"Docum_numero", num("F", 7)},
                             {"Codice", "SF"},
                             {"Descrizione", "Rosso sfuso"},
                             {"Quantita", 10.0},
                             {"Prezzo", 2.0},
                             {"Litri_per_unita", 1.0},
                             {"Cod_vino_collegato", "SF"}});
        settings = std::make_unique<IniFile>(tf->file("vinorda.ini"));
        layout = IniFile(tf->file("form.ini"));
        sd = std::make_unique<SharedData>(tf->db());
        attachDocumentRules(*sd);
        openAsTheMenu();
    }
    void cleanup() {
        sd.reset();
        tf.reset();
    }

    void browsingAndModification() {
        auto w = window();
        QCOMPARE(w->windowTitle(), QStringLiteral("Fatture e Documenti di Trasporto"));
        QVERIFY(!child<QPushButton>(w.get(), "btn_nuovo")->isEnabled());
        QVERIFY(!child<QPushButton>(w.get(), "btn_cancella")->isEnabled());
        QCOMPARE(child<QLabel>(w.get(), "lbl_modifica")->text(), QStringLiteral("Modifica : NO"));
        QCOMPARE(child<QPushButton>(w.get(), "btn_modifica")->text(), QStringLiteral("Modifica"));
        // The last document by number is shown; nothing can be typed.
        QCOMPARE(sd->Fatture["Docum_numero"].asString(), num("N", 2));
        QVERIFY(child<QLineEdit>(w.get(), "SC1")->isReadOnly());
        QVERIFY(child<QLineEdit>(w.get(), "EditQuantita")->isReadOnly());
        auto* grid = child<DataGrid>(w.get(), "dbgRighe");
        sd->Fatture.locate("Docum_numero", num("F", 7));
        QVERIFY(!(grid->model()->flags(grid->model()->index(0, 3)) & Qt::ItemIsEditable));

        click(w.get(), "btn_modifica");
        QCOMPARE(child<QLabel>(w.get(), "lbl_modifica")->text(), QStringLiteral("Modifica : SI"));
        QCOMPARE(child<QPushButton>(w.get(), "btn_modifica")->text(), QStringLiteral("Blocca"));
        QVERIFY(child<QPushButton>(w.get(), "btn_nuovo")->isEnabled());
        QVERIFY(!child<QLineEdit>(w.get(), "SC1")->isReadOnly());
        QVERIFY(grid->model()->flags(grid->model()->index(0, 3)) & Qt::ItemIsEditable);
        // The VAT codes and the company's lists were loaded on activation.
        auto* iva = child<QComboBox>(w.get(), "EditIVA");
        QCOMPARE(iva->count(), 3);
        QCOMPARE(iva->itemText(1), QStringLiteral("22"));
        auto* causale = child<QComboBox>(w.get(), "Causale");
        QCOMPARE(causale->itemText(1), QStringLiteral("Omaggio"));
        // "Importazione da DDT" only on a summary invoice.
        QVERIFY(!child<QPushButton>(w.get(), "Da_ddt")->isEnabled());
        sd->Fatture.locate("Docum_numero", num("F", 9, year - 1));
        QVERIFY(child<QPushButton>(w.get(), "Da_ddt")->isEnabled());
    }

    void newDocument() {
        ScriptedMessages msgs;
        auto w = window();
        auto* notebook = child<QStackedWidget>(w.get(), "Notebook1");
        click(w.get(), "btn_modifica");
        click(w.get(), "btn_nuovo");
        QCOMPARE(notebook->currentWidget()->objectName(), QStringLiteral("NUOVO"));
        auto* numero = child<QLineEdit>(w.get(), "NumEdit1");
        auto* cliente = child<QComboBox>(w.get(), "Intestazione_documento");
        auto* dest = child<QComboBox>(w.get(), "Destinazione_venduto");
        QCOMPARE(numero->text(), QStringLiteral("5"));
        QCOMPARE(cliente->count(), 2);  // companies and persons for a delivery note

        click(w.get(), "btninsert");
        QCOMPARE(msgs.last(), QStringLiteral("   Selezionare cliente !   "));
        choose(cliente, QStringLiteral("Enoteca Uno"));
        click(w.get(), "btninsert");
        QCOMPARE(msgs.last(), QStringLiteral("   Selezionare destinazione !   "));
        choose(dest, QStringLiteral("Rossi Paolo"));
        type(numero, QStringLiteral("4"));
        click(w.get(), "btninsert");
        QCOMPARE(msgs.last(), QStringLiteral("   Numero fattura DUPLICATO!   "));
        type(numero, QStringLiteral("0"));
        click(w.get(), "btninsert");
        QCOMPARE(msgs.last(), msgNumeroFuoriLimiti());
        QCOMPARE(notebook->currentWidget()->objectName(), QStringLiteral("NUOVO"));
        QCOMPARE(tf->count("Fatture"), 4);

        // The kind and the date choose the series and its year.
        child<QRadioButton>(w.get(), "RadioGroup1_2")->click();
        QCOMPARE(numero->text(), QStringLiteral("8"));
        auto* date = child<QDateEdit>(w.get(), "DateEdit1");
        date->setDate(QDate(year - 1, 12, 31));
        QCOMPARE(numero->text(), QStringLiteral("10"));
        date->setDate(QDate(year, 1, 1));
        QCOMPARE(numero->text(), QStringLiteral("8"));
        child<QRadioButton>(w.get(), "RadioGroup1_1")->click();
        QVERIFY(!dest->isEnabled());
        QCOMPARE(dest->currentIndex(), -1);
        QCOMPARE(cliente->count(), 1);  // private customers only
        QCOMPARE(numero->text(), QStringLiteral("3"));
        choose(cliente, QStringLiteral("Bianchi Anna"));
        msgs.clear();
        click(w.get(), "btninsert");
        QVERIFY(msgs.texts.isEmpty());
        QCOMPARE(notebook->currentWidget()->objectName(), QStringLiteral("SINGOLO"));
        QCOMPARE(sd->Fatture["Docum_numero"].asString(), num("N", 3));
        QVERIFY(sd->Fatture.isEditing());
        QCOMPARE(sql("SELECT Destinazione FROM Fatture WHERE Docum_numero = ?", {num("N", 3)})
                     .toString(),
                 QString());
        // Due dates from the terms, then saved with the header when modification ends.
        sd->Fatture.post();
        sd->Fatture.locate("Docum_numero", num("B", 4));
        click(w.get(), "BitBtn1");
        QCOMPARE(sd->Fatture["Scadenza"].asString(),
                 QStringLiteral("31/03/%1 30/04/%1 ").arg(year));
        click(w.get(), "btn_modifica");
        QCOMPARE(
            sql("SELECT Scadenza FROM Fatture WHERE Docum_numero = ?", {num("B", 4)}).toString(),
            QStringLiteral("31/03/%1 30/04/%1 ").arg(year));
    }

    void filterSurvivesRestart() {
        {
            auto w = window();
            QCOMPARE(sd->Fatture.recordCount(), 4);
            choose(child<QComboBox>(w.get(), "sel_tipo"), QStringLiteral("Ricevute"));
            QCOMPARE(sd->Fatture.recordCount(), 1);
            QCOMPARE(sd->Fatture["Doc_tipo"].asString(), QStringLiteral("N"));
            choose(child<QComboBox>(w.get(), "sel_tipo"), QStringLiteral("Tutti"));
            QCOMPARE(sd->Fatture.recordCount(), 4);
            choose(child<QComboBox>(w.get(), "sel_anno"), QStringLiteral("Solo anno in corso"));
            QCOMPARE(sd->Fatture.recordCount(), 3);
            choose(child<QComboBox>(w.get(), "sel_tipo"), QStringLiteral("Fatture"));
            QCOMPARE(sd->Fatture.recordCount(), 1);
            w->close();
        }
        // The next start of the program reads vinorda.ini again.
        settings = std::make_unique<IniFile>(tf->file("vinorda.ini"));
        QCOMPARE(settings->value("TfrmFatture", "sel_tipo_Text"), QStringLiteral("Fatture"));
        auto w = window();
        QCOMPARE(child<QComboBox>(w.get(), "sel_tipo")->currentText(), QStringLiteral("Fatture"));
        QCOMPARE(child<QComboBox>(w.get(), "sel_anno")->currentText(),
                 QStringLiteral("Solo anno in corso"));
        QCOMPARE(sd->Fatture.recordCount(), 1);
        QCOMPARE(sd->Fatture["Docum_numero"].asString(), num("F", 7));
    }

    void titleClickSortsUntilClosed() {
        auto w = window();
        click(w.get(), "btn_lista");
        auto* grid = child<DataGrid>(w.get(), "dbgFatture");
        QCOMPARE(child<QStackedWidget>(w.get(), "Notebook1")->currentWidget()->objectName(),
                 QStringLiteral("LISTA"));
        const int totale = grid->dataModel()->columnOf("Totale");
        Q_EMIT grid->horizontalHeader()->sectionClicked(totale);
        QStringList order;
        for (int r = 0; r < grid->model()->rowCount(); ++r)
            order << grid->model()->index(r, 0).data().toString();
        QCOMPARE(order,
                 (QStringList{num("B", 4), num("N", 2), num("F", 7), num("F", 9, year - 1)}));
        // A double click shows that document's card.
        grid->setCurrentIndex(grid->model()->index(2, 0));
        Q_EMIT grid->doubleClicked(grid->model()->index(2, 0));
        QCOMPARE(child<QStackedWidget>(w.get(), "Notebook1")->currentWidget()->objectName(),
                 QStringLiteral("SINGOLO"));
        QCOMPARE(sd->Fatture["Docum_numero"].asString(), num("F", 7));
        click(w.get(), "btn_fine");
        QVERIFY(!w->isVisible());
        QCOMPARE(sd->Fatture.sortField(), QStringLiteral("Docum_numero"));
        w->show();
        QCOMPARE(grid->model()->index(0, 0).data().toString(), num("B", 4));
    }

    // "%sc." typed, then another tab: the header is saved with its VAT recomputed.
    void discountSavedOnTabChange() {
        auto w = window();
        sd->Fatture.locate("Docum_numero", num("F", 7));
        click(w.get(), "btn_modifica");
        type(child<QLineEdit>(w.get(), "SC1"), QStringLiteral("10"));
        QVERIFY(sd->Fatture.isEditing());
        child<QTabWidget>(w.get(), "PageControl1")->setCurrentIndex(1);
        QVERIFY(!sd->Fatture.isEditing());
        QSqlQuery q = tf->db().select(
            QStringLiteral("SELECT SC1, TOTSC1, IVA1, Totale FROM Fatture WHERE Docum_numero = ?"),
            {num("F", 7)});
        QVERIFY(q.next());
        QCOMPARE(q.value(0).toInt(), 10);
        QCOMPARE(q.value(1).toLongLong(), 20000);  // 10% of 20.00
        QCOMPARE(q.value(2).toLongLong(), 39600);  // 22% of 18.00
        QCOMPARE(q.value(3).toLongLong(), 219600);
        QCOMPARE(child<QLineEdit>(w.get(), "Totale")->text(), QStringLiteral("21,96"));
    }

    // Closing while a line is being edited stores the line, then the header with its totals.
    void closeStoresLineThenHeader() {
        auto w = window();
        sd->Fatture.locate("Docum_numero", num("F", 7));
        click(w.get(), "btn_modifica");
        child<QTabWidget>(w.get(), "PageControl1")->setCurrentIndex(1);
        type(child<QLineEdit>(w.get(), "EditQuantita"), QStringLiteral("15"));
        QVERIFY(sd->righe.isEditing());
        QVERIFY(sd->Fatture.isEditing());
        click(w.get(), "btn_fine");
        QVERIFY(!w->isVisible());
        QCOMPARE(sql("SELECT Quantita FROM Righe").toDouble(), 15.0);
        QCOMPARE(sql("SELECT Volume FROM Righe").toDouble(), 15.0);
        QCOMPARE(
            sql("SELECT Totale FROM Fatture WHERE Docum_numero = ?", {num("F", 7)}).toLongLong(),
            366000);
        QVERIFY(sd->Fatture.isReadOnly());
    }

    // A code typed in a new line of the grid fills it when the cell is left; moving to another
    // document with a line in edit stores the line first.
    void lineFromGridCode() {
        ScriptedMessages msgs;
        auto w = window();
        sd->Fatture.locate("Docum_numero", num("B", 4));
        click(w.get(), "btn_modifica");
        child<QTabWidget>(w.get(), "PageControl1")->setCurrentIndex(1);
        auto* grid = child<DataGrid>(w.get(), "dbgRighe");
        QTest::keyClick(grid, Qt::Key_Down);  // the document has no line yet: a new one
        QCOMPARE(sd->righe.state(), DataSet::State::Insert);
        const QModelIndex code = grid->model()->index(0, 0);
        grid->setCurrentIndex(code);
        QVERIFY(grid->model()->setData(code, QStringLiteral("sf"), Qt::EditRole));
        grid->setCurrentIndex(grid->model()->index(0, 1));
        QCOMPARE(
            sql("SELECT Descrizione FROM Righe WHERE Docum_numero = ?", {num("B", 4)}).toString(),
            QStringLiteral("Rosso sfuso"));
        QVERIFY(msgs.texts.isEmpty());
        // Another quantity typed, then the next document: the line is stored on the way.
        grid->setCurrentIndex(grid->model()->index(0, 3));
        QVERIFY(
            grid->model()->setData(grid->model()->index(0, 3), QStringLiteral("3"), Qt::EditRole));
        child<RecordNavigator>(w.get(), "DBNav")->doAction(RecordNavigator::Next);
        QCOMPARE(sql("SELECT Quantita FROM Righe WHERE Docum_numero = ?", {num("B", 4)}).toDouble(),
                 3.0);
        QCOMPARE(
            sql("SELECT Totale FROM Fatture WHERE Docum_numero = ?", {num("B", 4)}).toLongLong(),
            73200);
    }

    // "Stampa": nothing discharged when the preview is closed unprinted, the lines once printed.
    void printDischarges() {
        ScriptedMessages msgs;
        auto w = window();
        bool printed = false;
        QStringList asked;
        w->setPrint([&](const QString& m, const QString& t) {
            asked << m + QLatin1Char('/') + t;
            return printed;
        });
        sd->Fatture.locate("Docum_numero", num("B", 4));
        click(w.get(), "btn_stampa");
        QCOMPARE(msgs.last(), QStringLiteral("   Documento ancora senza righe !   "));
        sd->Fatture.locate("Docum_numero", num("F", 7));
        click(w.get(), "btn_stampa");
        QCOMPARE(asked, QStringList{QStringLiteral("fattura_imm/Fattura immediata")});
        QCOMPARE(sql("SELECT Litri FROM Prodotti").toDouble(), 100.0);
        printed = true;
        click(w.get(), "btn_stampa");
        click(w.get(), "btn_stampa");
        QCOMPARE(sql("SELECT Litri FROM Prodotti").toDouble(), 90.0);
        QCOMPARE(tf->count("Giornale"), 1);
        QVERIFY(sd->righe["Scaricato"].asBool());
        QCOMPARE(sd->prodotti["Litri"].asFloat(), 90.0);
    }

    void deleteAsksOnce() {
        ScriptedMessages msgs;
        auto w = window();
        sd->Fatture.locate("Docum_numero", num("F", 7));
        click(w.get(), "btn_modifica");
        click(w.get(), "btn_cancella");
        QCOMPARE(tf->count("Fatture"), 4);
        msgs.answer(true);
        click(w.get(), "btn_cancella");
        QCOMPARE(msgs.texts, QStringList(2, DocumentRules::msgCancellaDocumento()));
        QCOMPARE(tf->count("Fatture"), 3);
        QCOMPARE(tf->count("Righe"), 0);
        QCOMPARE(sd->Fatture.recordCount(), 3);
    }
};

QTEST_MAIN(TestFrmFatture)
#include "tst_frmfatture.moc"
