// The quick registration, the product search and the journal window, driven through their
// controls by object name under the offscreen platform.
#include <QAbstractItemModelTester>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedWidget>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include "common/format.h"
#include "common/inifile.h"
#include "common/messages.h"
#include "data/shareddata.h"
#include "stock/ask.h"
#include "stock/giornalefrm.h"
#include "stock/sfuso1.h"
#include "support/controls.h"
#include "support/testfolder.h"
#include "widgets/datagrid.h"

class TestStockWindows : public QObject {
    Q_OBJECT
    std::unique_ptr<TestFolder> tf;
    std::unique_ptr<SharedData> sd;

    template <typename T>
    static T* child(QWidget& w, const char* name) {
        T* c = w.findChild<T*>(QString::fromLatin1(name));
        if (!c) qFatal("no control %s", name);
        return c;
    }
    qint64 product(const QString& code, const QString& stato, const QString& bottiglia,
                   double litri, double prezzo) {
        return tf->insert(
            QStringLiteral("Prodotti"),
            {{QStringLiteral("Codice_prodotto"), code},
             {QStringLiteral("Descrizione"), QStringLiteral("Vino ") + code},
             {QStringLiteral("Stato"), stato.isEmpty() ? QVariant() : stato},
             {QStringLiteral("Bottiglia"), bottiglia.isEmpty() ? QVariant() : bottiglia},
             {QStringLiteral("Litri"), litri},
             {QStringLiteral("Prezzo_sinottico"), prezzo}});
    }
    double stock(const QString& code) {
        return tf
            ->value(QStringLiteral("SELECT Litri FROM Prodotti WHERE Codice_prodotto = ?"), {code})
            .toDouble();
    }
    static void show(QWidget& w) {
        w.show();
        QApplication::setActiveWindow(&w);
        QVERIFY(QTest::qWaitForWindowActive(&w));
    }
    static QString focusName() {
        return QApplication::focusWidget() ? QApplication::focusWidget()->objectName() : QString();
    }
    // Code, Enter, quantity, Enter, Enter on "Conferma": what a barcode reader does.
    static void scan(TfrmSfuso1& w, const QString& code, const QString& qty) {
        auto* codice = child<QLineEdit>(w, "Codice");
        codice->setFocus();
        QTest::keyClicks(codice, code);
        QTest::keyClick(codice, Qt::Key_Return);
        if (focusName() != QLatin1String("scaricare")) return;
        auto* q = child<QLineEdit>(w, "scaricare");
        QTest::keyClicks(q, qty);
        QTest::keyClick(q, Qt::Key_Return);
        QCOMPARE(focusName(), QStringLiteral("btnconferma"));
        QTest::keyClick(child<QPushButton>(w, "btnconferma"), Qt::Key_Return);
    }

private Q_SLOTS:
    void initTestCase() { installItalianLocale(); }
    void init() {
        tf = std::make_unique<TestFolder>();
        sd = std::make_unique<SharedData>(tf->db());
        tf->insert(QStringLiteral("Imballi"),
                   {{QStringLiteral("Bottiglia"), "BT75"}, {QStringLiteral("Volume"), 0.75}});
    }
    void cleanup() {
        sd.reset();
        tf.reset();
    }

    void registration_data() {
        QTest::addColumn<QString>("stato");
        QTest::addColumn<QString>("bottiglia");
        QTest::addColumn<double>("litri");
        QTest::addColumn<QString>("data");
        QTest::addColumn<QString>("radio");
        QTest::addColumn<QString>("qty");
        QTest::addColumn<QString>("giacenza");
        QTest::addColumn<QString>("message");
        QTest::addColumn<double>("stockAfter");
        QTest::addColumn<QVariant>("journal");  // litres of the row, invalid for none
        QTest::addColumn<QString>("totale");
        QTest::addColumn<QString>("memo");
        const QString today = QDate::currentDate().toString(QStringLiteral("dd/MM/yyyy"));
        const QString noMsg;
        QTest::newRow("bottled 4 of 10") << "2"
                                         << "BT75" << 7.5 << today << "r_normale"
                                         << "4"
                                         << "10" << noMsg << 4.5 << QVariant(3.0) << "20,00"
                                         << "4 Vino P";
        QTest::newRow("bottled 11 of 10")
            << "2"
            << "BT75" << 7.5 << today << "r_normale"
            << "11"
            << "10"
            << "!!! !!!   Quantità non valida   !!! !!!" << 7.5 << QVariant() << ""
            << "";
        QTest::newRow("bulk 2,5") << "1"
                                  << "" << 20.0 << today << "r_normale"
                                  << "2,5"
                                  << "20" << noMsg << 17.5 << QVariant(2.5) << "12,50"
                                  << "2,5 Vino P";
        QTest::newRow("no stock kind") << ""
                                       << "" << 3.0 << today << "r_normale"
                                       << "7"
                                       << "" << noMsg << 3.0 << QVariant(0.0) << "35,00"
                                       << "7 Vino P";
        QTest::newRow("nothing available") << "1"
                                           << "" << 0.0 << today << "r_normale"
                                           << "1"
                                           << ""
                                           << "Inserire codice prodotto" << 0.0 << QVariant() << ""
                                           << "";
        QTest::newRow("manual load") << "2"
                                     << "BT75" << 7.5 << today << "r_carico"
                                     << "10"
                                     << "10" << noMsg << 15.0 << QVariant() << "50,00"
                                     << "CARICO MANUALE 10 Vino P";
        QTest::newRow("manual discharge") << "1"
                                          << "" << 20.0 << today << "r_scarico"
                                          << "5"
                                          << "20" << noMsg << 15.0 << QVariant() << "25,00"
                                          << "SCARICO MANUALE 5 Vino P";
        QTest::newRow("manual discharge too much")
            << "1"
            << "" << 2.0 << today << "r_scarico"
            << "5"
            << "2"
            << "!!! !!!   Quantità non valida   !!! !!!" << 2.0 << QVariant() << ""
            << "";
        QTest::newRow("no date, normal")
            << "1"
            << "" << 20.0 << ""
            << "r_normale"
            << "1"
            << "20"
            << "Manca la data di registrazione" << 20.0 << QVariant() << ""
            << "";
        QTest::newRow("no date, manual load") << "1"
                                              << "" << 20.0 << ""
                                              << "r_carico"
                                              << "1"
                                              << "20" << noMsg << 21.0 << QVariant() << "5,00"
                                              << "CARICO MANUALE 1 Vino P";
    }
    void registration() {
        QFETCH(QString, stato);
        QFETCH(QString, bottiglia);
        QFETCH(double, litri);
        QFETCH(QString, data);
        QFETCH(QString, radio);
        QFETCH(QString, qty);
        QFETCH(QString, giacenza);
        QFETCH(QString, message);
        QFETCH(double, stockAfter);
        QFETCH(QVariant, journal);
        QFETCH(QString, totale);
        QFETCH(QString, memo);
        ScriptedMessages msgs;
        const qint64 id = product(QStringLiteral("P"), stato, bottiglia, litri, 5);
        TfrmSfuso1 w(*sd);
        show(w);
        child<QRadioButton>(w, radio.toLatin1().constData())->setChecked(true);
        auto* codice = child<QLineEdit>(w, "Codice");
        codice->setFocus();
        child<QLineEdit>(w, "Data")->setText(data);
        QTest::keyClicks(codice, QString::number(id));
        QTest::keyClick(codice, Qt::Key_Return);
        if (giacenza.isEmpty() && stato == QLatin1String("1")) {
            // Nothing available: the code is refused at once, "Conferma" then asks for one.
            QCOMPARE(codice->text(), QString());
            QCOMPARE(focusName(), QStringLiteral("Codice"));
        } else {
            QCOMPARE(child<QLabel>(w, "prodotto")->text(), QStringLiteral("Vino P"));
            QCOMPARE(child<QLabel>(w, "giacenza")->text(), giacenza);
            QCOMPARE(focusName(), QStringLiteral("scaricare"));
            QTest::keyClicks(child<QLineEdit>(w, "scaricare"), qty);
            QTest::keyClick(child<QLineEdit>(w, "scaricare"), Qt::Key_Return);
            QCOMPARE(focusName(), QStringLiteral("btnconferma"));
        }
        QTest::mouseClick(child<QPushButton>(w, "btnconferma"), Qt::LeftButton);
        QCOMPARE(msgs.texts, message.isEmpty() ? QStringList() : QStringList{message});
        if (!message.isEmpty()) QCOMPARE(msgs.kinds, QStringList{"plain"});
        QCOMPARE(stock(QStringLiteral("P")), stockAfter);
        QCOMPARE(tf->count(QStringLiteral("Giornale")), journal.isValid() ? 1 : 0);
        if (journal.isValid()) {
            QCOMPARE(tf->value(QStringLiteral("SELECT Litri FROM Giornale")).toDouble(),
                     journal.toDouble());
            QCOMPARE(tf->value(QStringLiteral("SELECT Tipo || '|' || Cod_vino || '|' || "
                                              "Data_Ora || '|' || ifnull(Riga_num, 'null') "
                                              "FROM Giornale"))
                         .toString(),
                     QStringLiteral("N|P|%1 00:00:00|null")
                         .arg(QDate::currentDate().toString(Qt::ISODate)));
        }
        QCOMPARE(child<QLabel>(w, "Totale")->text(), totale);
        QCOMPARE(child<QPlainTextEdit>(w, "Memo1")->toPlainText(), memo);
        if (!memo.isEmpty()) {
            // Ready for the next code.
            QCOMPARE(codice->text(), QString());
            QCOMPARE(child<QLabel>(w, "prodotto")->text(), QString());
            QCOMPARE(focusName(), QStringLiteral("Codice"));
        }
    }

    // Several scans in a row: the total runs on, each operation sees the stock the last left.
    void barcodeFlow() {
        ScriptedMessages msgs;
        const qint64 b =
            product(QStringLiteral("B"), QStringLiteral("2"), QStringLiteral("BT75"), 7.5, 4);
        const qint64 s = product(QStringLiteral("S"), QStringLiteral("1"), {}, 20, 2);
        TfrmSfuso1 w(*sd);
        show(w);
        scan(w, QString::number(b), QStringLiteral("4"));
        scan(w, QString::number(s), QStringLiteral("1,5"));
        scan(w, QString::number(b), QStringLiteral("6"));
        QCOMPARE(msgs.texts, QStringList());
        QCOMPARE(stock(QStringLiteral("B")), 0.0);
        QCOMPARE(stock(QStringLiteral("S")), 18.5);
        QCOMPARE(child<QLabel>(w, "Totale")->text(), QStringLiteral("43,00"));
        QCOMPARE(child<QPlainTextEdit>(w, "Memo1")->toPlainText(),
                 QStringLiteral("4 Vino B\n1,5 Vino S\n6 Vino B"));
        // Nothing left of B: its code is refused at once.
        scan(w, QString::number(b), QStringLiteral("1"));
        QCOMPARE(child<QLineEdit>(w, "Codice")->text(), QString());
        QCOMPARE(tf->count(QStringLiteral("Giornale")), 3);
        QTest::mouseClick(child<QToolButton>(w, "SpeedButton1"), Qt::LeftButton);
        QCOMPARE(child<QLabel>(w, "Totale")->text(), QString());
        QCOMPARE(child<QPlainTextEdit>(w, "Memo1")->toPlainText(), QString());
        QCOMPARE(w.rules().totale, 0.0);
    }

    void codeWithoutProduct_data() {
        QTest::addColumn<QString>("code");
        QTest::newRow("letters") << "abc";
        QTest::newRow("unknown number") << "999";
    }
    void codeWithoutProduct() {
        QFETCH(QString, code);
        ScriptedMessages msgs;
        TfrmSfuso1 w(*sd);
        show(w);
        auto* codice = child<QLineEdit>(w, "Codice");
        codice->setFocus();
        QTest::keyClicks(codice, code);
        if (code == QLatin1String("abc")) QCOMPARE(codice->text(), QStringLiteral("ABC"));
        QTest::keyClick(codice, Qt::Key_Tab);
        QCOMPARE(codice->text(), QString());
        QVERIFY(msgs.texts.isEmpty());
        QTest::mouseClick(child<QPushButton>(w, "btnconferma"), Qt::LeftButton);
        QCOMPARE(msgs.texts, QStringList{"Inserire codice prodotto"});
    }

    // The registration date is checked as it is left or confirmed with Enter: an empty one and
    // a day that does not exist are refused at once, the text kept and the focus back on it.
    void dateCheckedAtOnce_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("key");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("shown");
        QTest::newRow("empty, Tab") << "" << int(Qt::Key_Tab) << "Inserire prima la data !"
                                    << "";
        QTest::newRow("no such day, Tab")
            << "32/13/2026" << int(Qt::Key_Tab) << msgDataNonValida("32/13/2026") << "32/13/2026";
        QTest::newRow("no such day, Enter") << "29/02/2025" << int(Qt::Key_Return)
                                            << msgDataNonValida("29/02/2025") << "29/02/2025";
        QTest::newRow("short form") << "3/4/26" << int(Qt::Key_Tab) << ""
                                    << "03/04/2026";
    }
    void dateCheckedAtOnce() {
        QFETCH(QString, typed);
        QFETCH(int, key);
        QFETCH(QString, message);
        QFETCH(QString, shown);
        ScriptedMessages msgs;
        TfrmSfuso1 w(*sd);
        show(w);
        auto* data = child<QLineEdit>(w, "Data");
        data->setFocus();
        data->clear();
        QTest::keyClicks(data, typed);
        QTest::keyClick(data, Qt::Key(key));
        QCOMPARE(msgs.texts, message.isEmpty() ? QStringList() : QStringList{message});
        QCOMPARE(data->text(), shown);
        if (!message.isEmpty()) QCOMPARE(focusName(), QStringLiteral("Data"));
    }

    // "1.500" as a quantity is refused as ambiguous before anything is registered.
    void ambiguousQuantity() {
        ScriptedMessages msgs;
        const qint64 id = product(QStringLiteral("SF"), QStringLiteral("1"), {}, 5000, 2);
        TfrmSfuso1 w(*sd);
        show(w);
        auto* codice = child<QLineEdit>(w, "Codice");
        codice->setFocus();
        QTest::keyClicks(codice, QString::number(id));
        QTest::keyClick(codice, Qt::Key_Return);
        auto* q = child<QLineEdit>(w, "scaricare");
        QTest::keyClicks(q, "1.500");
        QTest::keyClick(q, Qt::Key_Return);
        QCOMPARE(msgs.texts, QStringList{msgNumeroAmbiguo("1.500")});
        QCOMPARE(focusName(), QStringLiteral("scaricare"));
        QTest::mouseClick(child<QPushButton>(w, "btnconferma"), Qt::LeftButton);
        QCOMPARE(q->text(), QStringLiteral("1.500"));
        QCOMPARE(stock(QStringLiteral("SF")), 5000.0);
        QCOMPARE(tf->count(QStringLiteral("Giornale")), 0);
        q->selectAll();
        QTest::keyClicks(q, "1500");
        QTest::keyClick(q, Qt::Key_Return);
        QTest::keyClick(child<QPushButton>(w, "btnconferma"), Qt::Key_Return);
        QCOMPARE(stock(QStringLiteral("SF")), 3500.0);
    }

    // The search button: the filter is case-sensitive and covers ID, code and description.
    void search_data() {
        QTest::addColumn<QString>("filter");
        QTest::addColumn<QStringList>("codes");
        QTest::newRow("empty") << "" << QStringList{"A12", "BIANCO", "ROSSO", "X"};
        QTest::newRow("12") << "12" << QStringList{"A12", "X"};
        QTest::newRow("upper case") << "ROSS" << QStringList{"ROSSO"};
        QTest::newRow("lower case") << "rosso" << QStringList{"BIANCO"};
    }
    void search() {
        QFETCH(QString, filter);
        QFETCH(QStringList, codes);
        tf->db().exec(
            QStringLiteral("INSERT INTO sqlite_sequence (name, seq) VALUES "
                           "('Prodotti', 110)"));
        product(QStringLiteral("ROSSO"), QStringLiteral("1"), {}, 10, 1);  // 111
        product(QStringLiteral("X"), QStringLiteral("1"), {}, 10, 1);      // 112
        product(QStringLiteral("A12"), QStringLiteral("1"), {}, 10, 1);    // 113
        tf->insert(QStringLiteral("Prodotti"), {{QStringLiteral("Codice_prodotto"), "BIANCO"},
                                                {QStringLiteral("Descrizione"), "Rosso rosso"},
                                                {QStringLiteral("Stato"), "1"},
                                                {QStringLiteral("Litri"), 5}});
        TfrmSfuso1 w(*sd);
        Tfrm_ask ask(sd->db);
        w.setRicerca(&ask);
        show(w);
        QStringList seen;
        QString chosen;
        QTimer::singleShot(0, &ask, [&] {
            auto* f = child<QLineEdit>(ask, "filtro");
            QCOMPARE(f->text(), QString());
            QTest::keyClicks(f, filter);
            DataSet& ds = ask.ricerca().listaprodotti;
            for (int i = 0; i < ds.recordCount(); ++i)
                seen << ds.displayTextAt(i, ds.field(QStringLiteral("Codice_prodotto")).index());
            chosen = ds.field(QStringLiteral("Auto_ID")).asString();
            QTest::mouseClick(child<QPushButton>(ask, "btn_seleziona"), Qt::LeftButton);
        });
        QTest::mouseClick(child<QToolButton>(w, "CodiceButton"), Qt::LeftButton);
        QCOMPARE(seen, codes);
        QCOMPARE(child<QLineEdit>(w, "Codice")->text(), chosen);
        QCOMPARE(child<QLabel>(w, "prodotto")->text().isEmpty(), false);
        QCOMPARE(w.focusWidget()->objectName(), QStringLiteral("scaricare"));
        QVERIFY(!ask.ricerca().listaprodotti.isOpen());
    }

    void searchCancelled() {
        product(QStringLiteral("ROSSO"), QStringLiteral("1"), {}, 10, 1);
        TfrmSfuso1 w(*sd);
        Tfrm_ask ask(sd->db);
        w.setRicerca(&ask);
        show(w);
        QTimer::singleShot(0, &ask, [&] {
            QTest::mouseClick(child<QPushButton>(ask, "btn_annulla"), Qt::LeftButton);
        });
        QTest::mouseClick(child<QToolButton>(w, "CodiceButton"), Qt::LeftButton);
        QCOMPARE(child<QLineEdit>(w, "Codice")->text(), QString());
    }

    // The journal window: period from the journal, both tabs, the export pages.
    void journalWindow() {
        ScriptedMessages msgs;
        product(QStringLiteral("V1"), QStringLiteral("1"), {}, 10, 0);
        product(QStringLiteral("V2"), QStringLiteral("1"), {}, 10, 0);
        auto mv = [this](const QDate& d, const QString& c, double l, const QString& t) {
            tf->insert(QStringLiteral("Giornale"), {{QStringLiteral("Data_Ora"), d},
                                                    {QStringLiteral("Cod_vino"), c},
                                                    {QStringLiteral("Litri"), l},
                                                    {QStringLiteral("Tipo"), t}});
        };
        mv(QDate(2025, 2, 3), QStringLiteral("V2"), 1, QStringLiteral("B"));
        mv(QDate(2025, 2, 4), QStringLiteral("V2"), 0.5, QStringLiteral("N"));
        mv(QDate(2025, 2, 28), QStringLiteral("V2"), 2, QStringLiteral("N"));
        IniFile ini;
        ini.saveAs(tf->file(QStringLiteral("vinorda.ini")));
        TfrmGiornale w(*sd, ini);
        show(w);
        QCOMPARE(child<QLineEdit>(w, "esporta_da")->text(), QStringLiteral("03/02/2025"));
        QCOMPARE(child<QLineEdit>(w, "esporta_a")->text(), QStringLiteral("28/02/2025"));
        QCOMPARE(w.giornale().documenti.recordCount(), 1);
        QCOMPARE(child<QLabel>(w, "lbl_dettaglio_litri")->text(), QStringLiteral("2,5"));
        QCOMPARE(child<QLabel>(w, "lbl_dettaglio_descrizione")->text(), QStringLiteral("Vino V2"));
        // A shorter period through "&Seleziona".
        child<QLineEdit>(w, "esporta_a")->setText(QStringLiteral("27/02/2025"));
        QTest::mouseClick(child<QPushButton>(w, "btn_apre"), Qt::LeftButton);
        QCOMPARE(child<QLabel>(w, "lbl_dettaglio_litri")->text(), QStringLiteral("0,5"));
        // Cancelling on the direct-sales tab takes the selected detail row.
        child<QTabWidget>(w, "PageControl2")->setCurrentIndex(1);
        w.giornale().dettaglio.last();
        msgs.answer(true);
        QTest::mouseClick(child<QPushButton>(w, "btn_annulla"), Qt::LeftButton);
        QCOMPARE(msgs.last(), GiornaleMovimenti::msgConfermaRiga());
        QCOMPARE(stock(QStringLiteral("V2")), 12.0);
        // The export pages.
        auto* pages = child<QStackedWidget>(w, "PageControl1");
        QTest::mouseClick(child<QPushButton>(w, "btn_esporta1"), Qt::LeftButton);
        QCOMPARE(pages->currentWidget()->objectName(), QStringLiteral("tab_esporta_csv"));
        QVERIFY(child<QPushButton>(w, "btn_esporta_csv")->isEnabled());
        QTest::mouseClick(child<QToolButton>(w, "SpeedButton1"), Qt::LeftButton);
        QCOMPARE(pages->currentWidget()->objectName(), QStringLiteral("tab_nuovi"));
        QTest::mouseClick(child<QPushButton>(w, "btn_esporta"), Qt::LeftButton);
        QCOMPARE(pages->currentWidget()->objectName(), QStringLiteral("tab_esporta_vireg"));
        QVERIFY(child<QPushButton>(w, "btn_esporta_vireg")->isEnabled());
        msgs.answer(true);
        QTest::mouseClick(child<QPushButton>(w, "btn_ok_vireg"), Qt::LeftButton);
        QCOMPARE(msgs.last(), QStringLiteral("   Confermi che vuoi cancellare i movimenti dal "
                                             "03/02/2025 al 27/02/2025 ?   "));
        QCOMPARE(pages->currentWidget()->objectName(), QStringLiteral("tab_nuovi"));
        mv(QDate(2025, 3, 1), QStringLiteral("V2"), 1, QStringLiteral("B"));
        QCOMPARE(tf->count(QStringLiteral("Giornale")), 1);
        w.reject();
        QVERIFY(!w.giornale().documenti.isOpen());
        QVERIFY(
            ini.contains(QStringLiteral("TfrmGiornale"), QStringLiteral("dbgDocumenti_Colonne")));
    }

    // A period date that does not exist is refused as soon as it is left, and Enter on it
    // selects nothing.
    void journalDateCheckedAtOnce() {
        ScriptedMessages msgs;
        IniFile ini;
        TfrmGiornale w(*sd, ini);
        show(w);
        auto* da = child<QLineEdit>(w, "esporta_da");
        da->setFocus();
        QTest::keyClicks(da, "32/13/2026");
        QTest::keyClick(da, Qt::Key_Return);
        QCOMPARE(msgs.texts, QStringList{msgDataNonValida("32/13/2026")});
        QCOMPARE(da->text(), QStringLiteral("32/13/2026"));
        child<QLineEdit>(w, "esporta_a")->setFocus();
        QCOMPARE(msgs.texts.size(), 2);
        da->setText(QStringLiteral("1/2/25"));
        da->setFocus();
        child<QLineEdit>(w, "esporta_a")->setFocus();
        QCOMPARE(da->text(), QStringLiteral("01/02/2025"));
        QCOMPARE(msgs.texts.size(), 2);
    }

    // The two "Crea file di esportazione" buttons write over the views as last selected: a
    // date typed but not applied with "&Seleziona" does not count.
    void journalExports() {
        ScriptedMessages msgs;
        tf->insert(QStringLiteral("Intesta"), {{QStringLiteral("CodiceAZ"), "AB12"}});
        product(QStringLiteral("V1"), QStringLiteral("1"), {}, 10, 0);
        product(QStringLiteral("B2"), QStringLiteral("2"), QStringLiteral("BT75"), 9, 0);
        for (int day : {10, 28})
            tf->insert(QStringLiteral("Giornale"),
                       {{QStringLiteral("Data_Ora"), QDate(2025, 2, day)},
                        {QStringLiteral("Cod_vino"), "B2"},
                        {QStringLiteral("Litri"), 4.5},
                        {QStringLiteral("Tipo"), "N"}});
        QTemporaryDir out;
        const QString folder = out.path() + QLatin1Char('/');
        const QString base = folder + QStringLiteral("esportato_2025_03_01_10_00");
        IniFile ini;
        TfrmGiornale w(*sd, ini);
        w.setCartellaEsportazione([folder] { return folder; });
        w.setOrologio([] { return QDateTime(QDate(2025, 3, 1), QTime(10, 0)); });
        show(w);
        child<QLineEdit>(w, "esporta_a")->setText(QStringLiteral("27/02/2025"));
        QTest::mouseClick(child<QPushButton>(w, "btn_apre"), Qt::LeftButton);
        child<QLineEdit>(w, "esporta_a")->setText(QStringLiteral("28/02/2025"));

        QTest::mouseClick(child<QPushButton>(w, "btn_esporta"), Qt::LeftButton);
        child<QCheckBox>(w, "ck_mov")->setChecked(true);
        child<QCheckBox>(w, "ck_carico")->setChecked(true);
        QTest::mouseClick(child<QPushButton>(w, "btn_esporta_vireg"), Qt::LeftButton);
        QCOMPARE(msgs.last(), MsgEsportazione::dataCaricoMancante());
        QCOMPARE(QDir(folder).entryList(QDir::Files), QStringList{});
        child<QCheckBox>(w, "ck_carico")->setChecked(false);
        QTest::mouseClick(child<QPushButton>(w, "btn_esporta_vireg"), Qt::LeftButton);
        QCOMPARE(msgs.last(), MsgEsportazione::effettuata(base + QStringLiteral(".txt")));
        QFile f(base + QStringLiteral(".txt"));
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(
            f.readAll(),
            QByteArray("AB12    2025030110000000002SRECORSV &#001I&#00220250227&#008VENDITA"
                       "&#004CO20250227&#005000000001&#006CORRISPETTIVI&#007I&#032B2&#033T"
                       "&#035S&#08200000000000450000&#0830000000006&#086&#087BT75&#088I&#\r\n"));

        QTest::mouseClick(child<QPushButton>(w, "btn_esporta1"), Qt::LeftButton);
        QTest::mouseClick(child<QPushButton>(w, "btn_esporta_csv"), Qt::LeftButton);
        QCOMPARE(msgs.last(), MsgEsportazione::effettuata(base));
        QCOMPARE(QDir(folder).entryList(QDir::Files).size(), 1);
        child<QCheckBox>(w, "ck_gia1")->setChecked(true);
        QTest::mouseClick(child<QPushButton>(w, "btn_esporta_csv"), Qt::LeftButton);
        QCOMPARE(msgs.last(), MsgEsportazione::effettuata(base));
        QVERIFY(QFile::exists(base + QStringLiteral("_GIA.csv")));
    }

    // Column widths come back in a new window.
    void journalColumnsRemembered() {
        IniFile ini;
        {
            TfrmGiornale w(*sd, ini);
            show(w);
            child<DataGrid>(w, "dbgDocumenti")->setColumnWidth(1, 211);
            w.reject();
        }
        TfrmGiornale w(*sd, ini);
        show(w);
        QCOMPARE(child<DataGrid>(w, "dbgDocumenti")->columnWidth(1), 211);
    }

    // The documents grid reads its rows as it scrolls down, not all at once; the keys reach
    // every row, and "&Annulla riga" on any of them leaves the grid on the same row.
    void journalGridReadsAsItScrolls_data() {
        QTest::addColumn<int>("downs");  // -1: Ctrl+End until the last row
        QTest::newRow("first row") << 0;
        QTest::newRow("second page") << 6;
        QTest::newRow("last row") << -1;
    }
    void journalGridReadsAsItScrolls() {
        QFETCH(int, downs);
        ScriptedMessages msgs;
        product(QStringLiteral("V1"), QStringLiteral("1"), {}, 10, 0);
        const int total = 60;
        QList<qint64> ids;
        for (int i = 0; i < total; ++i)
            ids << tf->insert(QStringLiteral("Giornale"),
                              {{QStringLiteral("Data_Ora"), QDate(2025, 1, 1).addDays(i)},
                               {QStringLiteral("Cod_vino"), "V1"},
                               {QStringLiteral("Litri"), 1},
                               {QStringLiteral("Tipo"), "B"}});
        IniFile ini;
        TfrmGiornale w(*sd, ini);
        w.giornale().documenti.setFetchOnDemand(5);
        show(w);
        auto* grid = child<DataGrid>(w, "dbgDocumenti");
        QAbstractItemModelTester tester(grid->model(),
                                        QAbstractItemModelTester::FailureReportingMode::QtTest);
        QTRY_VERIFY(grid->model()->rowCount() >= 5);
        QVERIFY(grid->model()->rowCount() < total);
        grid->setFocus();
        QTest::keyClick(grid, Qt::Key_Home, Qt::ControlModifier);
        int row = downs;
        if (downs < 0) {
            for (int i = 0; i < 50 && grid->currentIndex().row() < total - 1; ++i) {
                QTest::keyClick(grid, Qt::Key_End, Qt::ControlModifier);
                QCoreApplication::processEvents();
            }
            row = total - 1;
        } else {
            for (int i = 0; i < downs; ++i) QTest::keyClick(grid, Qt::Key_Down);
        }
        QCOMPARE(grid->currentIndex().row(), row);
        QCOMPARE(w.giornale().documenti.recNo(), row);
        QCOMPARE(w.giornale().documenti.field(QStringLiteral("ID")).value().toLongLong(), ids[row]);
        msgs.answer(true);
        click(&w, "btn_annulla");
        QCOMPARE(tf->count(QStringLiteral("Giornale")), total - 1);
        QCOMPARE(stock(QStringLiteral("V1")), 11.0);
        ids.removeAt(row);
        const int at = qMin(row, total - 2);
        QCOMPARE(w.giornale().documenti.recNo(), at);
        QCOMPARE(grid->currentIndex().row(), at);
        QCOMPARE(w.giornale().documenti.field(QStringLiteral("ID")).value().toLongLong(), ids[at]);
        QVERIFY(grid->model()->rowCount() > at);
    }
};

QTEST_MAIN(TestStockWindows)
#include "tst_stock_windows.moc"
