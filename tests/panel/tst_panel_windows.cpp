// The sales panel driven by object name under the offscreen platform: the grid as built at
// start-up, taps, keypad, "SCARICA", removing a line, the receipt with its header window, and
// the sale kept over closing and restarting.
#include <QApplication>
#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QSqlQuery>
#include <QTest>
#include <QTimer>

#include "common/format.h"
#include "common/messages.h"
#include "documents/service.h"
#include "panel/cella.h"
#include "panel/dialoghi.h"
#include "panel/griglia.h"
#include "panel/sinotticofrm.h"
#include "panel/videocliente.h"
#include "panel/videoscontrino.h"
#include "support/controls.h"
#include "support/testfolder.h"

class TestPanelWindows : public QObject {
    Q_OBJECT
    std::unique_ptr<TestFolder> tf;
    const QRect area{0, 0, 1024, 768};

    static QString text(QWidget& w, const char* name) { return child<QLabel>(&w, name)->text(); }
    static void show(QWidget& w) {
        w.show();
        QApplication::setActiveWindow(&w);
        QVERIFY(QTest::qWaitForWindowExposed(&w));
    }
    // Keys of the keypad by caption.
    static void digita(Tfrmsinottico& w, const QString& tasti) {
        for (QChar c : tasti) {
            for (QPushButton* b : w.findChildren<QPushButton*>())
                if (b->objectName().startsWith(QLatin1String("BitBtn")) && b->text() == QString(c))
                    QTest::mouseClick(b, Qt::LeftButton);
        }
    }
    void prodotto(const QString& codice, const QString& stato, double litri, double prezzo, int pos,
                  const QString& colore) {
        tf->insert(QStringLiteral("Prodotti"),
                   {{QStringLiteral("Codice_prodotto"), codice},
                    {QStringLiteral("Nome_breve"), QStringLiteral("Vino ") + codice},
                    {QStringLiteral("Descrizione"), QStringLiteral("Descrizione ") + codice},
                    {QStringLiteral("UM"), QStringLiteral("li")},
                    {QStringLiteral("Stato"), stato},
                    {QStringLiteral("Litri"), litri},
                    {QStringLiteral("Prezzo_sinottico"), prezzo},
                    {QStringLiteral("Pos_Griglia"), pos},
                    {QStringLiteral("Colore"), colore}});
    }
    QStringList righe(Tfrmsinottico& w) {
        QStringList out;
        QAbstractItemModel* m = child<QListView>(&w, "Scontrino")->model();
        for (int i = 0; i < m->rowCount(); ++i) out << m->index(i, 0).data().toString();
        return out;
    }
    void dblClickRiga(Tfrmsinottico& w, int riga) {
        auto* list = child<QListView>(&w, "Scontrino");
        list->doItemsLayout();
        const QRect r = list->visualRect(list->model()->index(riga, 0));
        // As the system delivers a double tap: press, release, double click, release.
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, r.center());
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, r.center());
        QTest::mouseRelease(list->viewport(), Qt::LeftButton, {}, r.center());
    }

    // The panel shown on 8 March 2025; the end button pressed with no lines (which does
    // nothing at all), then a line of 3 of the second product, and 2 typed.
    void unaRiga(Tfrmsinottico& w, const char* fine) {
        w.setDatamov(QDate(2025, 3, 8));
        show(w);
        click(&w, fine);
        QTest::mouseClick(w.cella(0, 1), Qt::LeftButton);
        digita(w, QStringLiteral("3"));
        click(&w, "btnscarica");
        digita(w, QStringLiteral("2"));
    }

private Q_SLOTS:
    void initTestCase() { installItalianLocale(); }
    void init() {
        tf = std::make_unique<TestFolder>();
        tf->insert(QStringLiteral("Intesta"),
                   {{QStringLiteral("Griglia_X"), 5}, {QStringLiteral("Griglia_Y"), 2}});
        prodotto(QStringLiteral("P1"), QStringLiteral("1"), 20, 2.5, 1,
                 QStringLiteral("0x000000FF"));
        prodotto(QStringLiteral("P6"), QStringLiteral("1"), 100, 3, 6, QStringLiteral("zzz"));
        prodotto(QStringLiteral("P12"), QStringLiteral("1"), 100, 3, 12, {});
    }
    void cleanup() { tf.reset(); }

    // Built once by the arithmetic on the work area; the selection look comes and goes.
    void griglia() {
        Tfrmsinottico w(tf->db(), area);
        QCOMPARE(w.windowTitle(), QStringLiteral("Sinottico scarico"));
        QCOMPARE(child<QWidget>(&w, "Pannello")->parentWidget(), &w);
        // Product area 732 x 650, 5 x 2: cells 144 x 321, margins 6 and 4.
        QCOMPARE(w.cella(0, 0)->geometry(), QRect(6, 4, 144, 321));
        QCOMPARE(w.cella(4, 1)->geometry(), QRect(6 + 4 * 144, 4 + 321, 144, 321));
        QStringList captions;
        for (int r = 0; r < 2; ++r)
            for (int c = 0; c < 5; ++c) captions << w.cella(c, r)->caption();
        QCOMPARE(captions.join(QLatin1Char('|')), QStringLiteral("Vino P1|||||Vino P6||||"));
        QCOMPARE(w.cella(0, 0)->colore(), QColor(255, 0, 0));
        QVERIFY(!w.cella(0, 1)->colore().isValid());  // a colour that does not parse
        QVERIFY(!w.cella(1, 0)->prodotto());

        show(w);
        // Worked by touch: nothing to press is lower than 48 pixels.
        for (QWidget* t : w.findChildren<QWidget*>())
            if (qobject_cast<QAbstractButton*>(t) || qobject_cast<QDateEdit*>(t))
                QVERIFY2(t->height() >= 48, qPrintable(t->objectName()));
        CellaSinottico* primo = w.cella(0, 0);
        CellaSinottico* sesto = w.cella(0, 1);
        QCOMPARE(w.cella_scelta(), primo);
        QCOMPARE(primo->colore(), QColor(0, 255, 0));
        QCOMPARE(primo->bevelInterno(), CellaSinottico::Bevel::Abbassato);
        QCOMPARE(text(w, "tipo_SB"), QStringLiteral("sfuso litri"));
        QCOMPARE(text(w, "disponibile"), QStringLiteral("20"));
        // A blank cell does nothing; a product cell takes the selection.
        QTest::mouseClick(w.cella(2, 0), Qt::LeftButton);
        QCOMPARE(w.cella_scelta(), primo);
        QTest::mouseClick(sesto, Qt::LeftButton);
        QCOMPARE(w.cella_scelta(), sesto);
        QCOMPARE(primo->colore(), QColor(255, 0, 0));
        QCOMPARE(primo->bevelInterno(), CellaSinottico::Bevel::Nessuno);
        QCOMPARE(sesto->colore(), QColor(0, 255, 0));
        QCOMPARE(text(w, "disponibile"), QStringLiteral("100"));
        QTest::mouseClick(sesto, Qt::LeftButton);  // again: the same result
        QCOMPARE(sesto->colore(), QColor(0, 255, 0));
        // Closed and opened again: the top-left cell is selected, the other has its colour back.
        click(&w, "btnEsci");
        QVERIFY(!w.isVisible());
        QVERIFY(!sesto->colore().isValid());
        show(w);
        QCOMPARE(w.cella_scelta(), primo);
        QVERIFY(!sesto->colore().isValid());
        QCOMPARE(sesto->bevelInterno(), CellaSinottico::Bevel::Nessuno);
    }

    // Work areas smaller than the panel was drawn for get all of it smaller alike; larger ones
    // keep the drawn sizes. Every control stays inside the window and the keys do not overlap.
    void adatta_data() {
        QTest::addColumn<QRect>("lavoro");
        QTest::addColumn<double>("fattore");
        QTest::newRow("800x600") << QRect(0, 0, 800, 600) << 600 / 768.0;
        QTest::newRow("1024x768") << QRect(0, 0, 1024, 768) << 1.0;
        QTest::newRow("1366x728 with a task bar") << QRect(0, 40, 1366, 728) << 728 / 768.0;
        QTest::newRow("1920x1080") << QRect(0, 0, 1920, 1080) << 1.0;
        QTest::newRow("no area") << QRect() << 1.0;
    }
    void adatta() {
        QFETCH(QRect, lavoro);
        QFETCH(double, fattore);
        QCOMPARE(adattamento(lavoro), fattore);
        if (!lavoro.isValid()) return;
        Tfrmsinottico w(tf->db(), lavoro);
        show(w);
        QCOMPARE(w.geometry(), lavoro);
        auto* colonna = child<QWidget>(&w, "Panel4");
        QCOMPARE(colonna->width(), int(292 * fattore + 0.5));
        const QRect finestra(QPoint(0, 0), lavoro.size());
        QList<QRect> tasti;
        for (QWidget* t : w.findChildren<QWidget*>()) {
            if (!t->isVisible()) continue;
            const QRect r(t->mapTo(&w, QPoint(0, 0)), t->size());
            QVERIFY2(finestra.contains(r), qPrintable(t->objectName()));
            if (qobject_cast<QAbstractButton*>(t) && t->parentWidget()->objectName() == u"Panel3")
                tasti << r;
        }
        QCOMPARE(tasti.size(), 13);  // ten digits, the comma, the clear key, "SCARICA"
        for (int i = 0; i < tasti.size(); ++i)
            for (int j = i + 1; j < tasti.size(); ++j) QVERIFY(!tasti[i].intersects(tasti[j]));
        // The product area keeps the cell arithmetic whatever the size.
        auto* pannello = child<QWidget>(&w, "Pannello");
        const MisureGriglia m = misure_griglia(pannello->width(), pannello->height(), 5, 2);
        QCOMPARE(w.cella(0, 0)->geometry(), QRect(m.sinistra, m.alto, m.larghezza, m.altezza));
    }

    // Tap, keypad, "SCARICA", a line removed only when the user says so; the sale and the
    // entry are kept over closing the panel and starting the program again.
    void venditaAlBanco() {
        ScriptedMessages msgs;
        {
            Tfrmsinottico w(tf->db(), area);
            show(w);
            auto* scarica = child<QPushButton>(&w, "btnscarica");
            QVERIFY(!scarica->isEnabled());
            QTest::mouseClick(w.cella(0, 1), Qt::LeftButton);
            digita(w, QStringLiteral("1,5"));
            QCOMPARE(text(w, "ingresso"), QStringLiteral("1,5"));
            QVERIFY(scarica->isEnabled());
            QTest::mouseClick(scarica, Qt::LeftButton);
            QCOMPARE(righe(w), QStringList{QStringLiteral("Descrizione P6")});
            QCOMPARE(text(w, "ultimo"), QStringLiteral("1,5 Descrizione P6"));
            QCOMPARE(text(w, "ingresso"), QString());
            QVERIFY(!scarica->isEnabled());
            QTest::mouseClick(w.cella(0, 0), Qt::LeftButton);
            digita(w, QStringLiteral("21"));  // 20 available
            QVERIFY(!scarica->isEnabled());
            click(&w, "BitBtn1");
            // From a keyboard: a point among the letters is a thousands mark, the keypad's is
            // the decimal comma.
            QTest::keyClicks(&w, QStringLiteral("1.500"));
            QCOMPARE(text(w, "ingresso"), QStringLiteral("1500"));
            click(&w, "BitBtn1");
            QTest::keyClick(&w, Qt::Key_1);
            QTest::keyClick(&w, Qt::Key_Period, Qt::KeypadModifier);
            QTest::keyClick(&w, Qt::Key_5);
            QCOMPARE(text(w, "ingresso"), QStringLiteral("1,5"));
            click(&w, "BitBtn1");
            digita(w, QStringLiteral("4"));
            QTest::keyClick(&w, Qt::Key_Return);  // Enter works as "SCARICA"
            QCOMPARE(righe(w).size(), 2);
            QCOMPARE(text(w, "DBText5"), QStringLiteral("14,50"));

            msgs.answer(false);
            dblClickRiga(w, 0);
            QCOMPARE(msgs.last(), Tfrmsinottico::msgEliminaRiga(QStringLiteral("Descrizione P6")));
            QCOMPARE(msgs.kinds.last(), QStringLiteral("questionNo"));  // Enter never deletes
            QCOMPARE(righe(w).size(), 2);
            msgs.answer(true);
            dblClickRiga(w, 0);
            QCOMPARE(righe(w), QStringList{QStringLiteral("Descrizione P1")});
            QCOMPARE(text(w, "DBText5"), QStringLiteral("10,00"));
            digita(w, QStringLiteral("7"));
            click(&w, "btnEsci");
        }
        Tfrmsinottico w(tf->db(), area);  // the program started again
        show(w);
        QCOMPARE(righe(w), QStringList{QStringLiteral("Descrizione P1")});
        QCOMPARE(text(w, "DBText5"), QStringLiteral("10,00"));
        msgs.answer(false);
        click(&w, "SpeedButton1");
        QCOMPARE(msgs.last(), Tfrmsinottico::msgSvuotaVendita());
        QCOMPARE(msgs.kinds.last(), QStringLiteral("questionNo"));
        QCOMPARE(righe(w).size(), 1);
        msgs.answer(true);
        click(&w, "SpeedButton1");
        QCOMPARE(righe(w), QStringList());
        QCOMPARE(text(w, "DBText5"), QString());
    }

    // "Scontrino": the header window, then the receipt printed (or not) on the receipt printer.
    void scontrino_data() {
        QTest::addColumn<QString>("bottone");
        QTest::addColumn<bool>("stampato");
        QTest::newRow("printed") << "BitBtn3" << true;
        QTest::newRow("printer refused") << "BitBtn3" << false;
        QTest::newRow("Annulla") << "BitBtn2" << false;
    }
    void scontrino() {
        QFETCH(QString, bottone);
        QFETCH(bool, stampato);
        ScriptedMessages msgs;
        // A heading line kept from the last receipt is added to, never replaced by a key.
        tf->insert(QStringLiteral("Appoggio_I"),
                   {{QStringLiteral("Intesta1"), "Sig."}, {QStringLiteral("Docum_numero"), "41"}});
        Tfrmvideoscontr header;
        Tfrmsinottico w(tf->db(), area);
        w.setIntestazione(&header);
        QStringList stampe;
        w.setStampa(
            [&](const QString& name, const QString& title, bool document, int output, int printer) {
                stampe << QStringLiteral("%1 %2 %3 %4 %5")
                              .arg(name, title)
                              .arg(document)
                              .arg(output)
                              .arg(printer);
                return stampato;
            });
        unaRiga(w, "StampaIntest");
        QVERIFY(stampe.isEmpty());

        bool vista = false;
        QTimer::singleShot(0, &header, [&] {
            QVERIFY(QTest::qWaitForWindowExposed(&header));
            vista = header.isVisible() && header.windowTitle() == u"Intestazione scontrino";
            QTest::keyClicks(child<QLineEdit>(&header, "Edit1"), QStringLiteral(" Rossi"));
            child<QPushButton>(&header, qPrintable(bottone))->click();
        });
        click(&w, "StampaIntest");
        QVERIFY(vista);
        const bool fatto = stampato && bottone == u"BitBtn3";
        QCOMPARE(stampe, bottone == u"BitBtn3" ? QStringList{"scontrinoint Scontrino 0 2 2"}
                                               : QStringList{});
        QCOMPARE(msgs.texts, fatto || bottone == u"BitBtn2"
                                 ? QStringList()
                                 : QStringList{VenditaInCorso::msgScontrinoNonStampato()});
        QCOMPARE(text(w, "ingresso"), QString());  // the entry is cleared in every case
        QCOMPARE(righe(w).size(), fatto ? 0 : 1);
        QCOMPARE(tf->count(QStringLiteral("Giornale")), fatto ? 1 : 0);
        QCOMPARE(tf->value(QStringLiteral("SELECT Data FROM Appoggio_I")).toString(),
                 QStringLiteral("2025-03-08 00:00:00"));
        QCOMPARE(tf->value(QStringLiteral("SELECT Intesta1 || '/' || Docum_numero FROM "
                                          "Appoggio_I")),
                 QVariant(fatto ? QStringLiteral("/42") : QStringLiteral("Sig. Rossi/41")));
        QCOMPARE(text(w, "disponibile"), fatto ? QStringLiteral("97") : QStringLiteral("100"));
    }

    // "Ricevuta": the customer window's kind and customer, then the document printed (or not)
    // on the main printer; the kind chosen stays chosen for the next sale.
    void ricevuta_data() {
        QTest::addColumn<QString>("tipo");
        QTest::addColumn<QString>("bottone");
        QTest::addColumn<bool>("stampato");
        QTest::addColumn<QString>("messaggio");
        QTest::addColumn<QString>("documento");  // written and kept; empty: none
        QTest::newRow("invoice to the last customer") << "doc_fattura"
                                                      << "BitBtn5" << true << ""
                                                      << "F-2025-000001 Z";
        QTest::newRow("printer refused") << "doc_trasporto"
                                         << "BitBtn5" << false << msgDocumentoNonStampato() << "";
        QTest::newRow("no private customer") << "doc_ricevuta"
                                             << "BitBtn5" << true << msgSelezionareCliente() << "";
        QTest::newRow("Annulla") << "doc_fattura"
                                 << "BitBtn2" << true << ""
                                 << "";
    }
    void ricevuta() {
        QFETCH(QString, tipo);
        QFETCH(QString, bottone);
        QFETCH(bool, stampato);
        QFETCH(QString, messaggio);
        QFETCH(QString, documento);
        ScriptedMessages msgs;
        tf->insert(QStringLiteral("IVA"), {{QStringLiteral("Ordine"), 1}, {"IVA", "22"}});
        for (const char* c : {"Z", "A"})
            tf->insert(QStringLiteral("Anagrafica"),
                       {{QStringLiteral("Codice"), c},
                        {QStringLiteral("RagioneSociale"), QStringLiteral("Cliente ") + c},
                        {QStringLiteral("Giur_Pers"), "G"}});
        tf->insert(QStringLiteral("Appoggio_I"), {{QStringLiteral("Docum_numero"), "41"}});
        Tfrmvideocli scelta(tf->db());
        Tfrmsinottico w(tf->db(), area);
        w.setClienti(&scelta);
        QStringList stampe;
        w.setStampaDocumento([&](const QString& numero, const QString& modello, const QString&) {
            stampe << numero + u' ' + modello;
            return stampato;
        });
        unaRiga(w, "Fattura");
        QVERIFY(stampe.isEmpty());

        bool vista = false;
        QTimer::singleShot(0, &scelta, [&] {
            vista = scelta.isVisible() &&
                    scelta.windowTitle() == u"Stampa Ricevute, Fatture e Documenti di trasporto";
            click(&scelta, qPrintable(tipo));
            click(&scelta, "SpeedButton4");
            child<QPushButton>(&scelta, qPrintable(bottone))->click();
        });
        click(&w, "Fattura");
        QVERIFY(vista);
        QCOMPARE(msgs.texts, messaggio.isEmpty() ? QStringList() : QStringList{messaggio});
        QCOMPARE(text(w, "ingresso"), QString());  // the entry is cleared in every case
        const bool stampa = bottone == u"BitBtn5" && tipo != u"doc_ricevuta";
        const QString numero = tipo == u"doc_fattura" ? QStringLiteral("F-2025-000001 fattura_imm")
                                                      : QStringLiteral("B-2025-000001 doctrasp");
        QCOMPARE(stampe, stampa ? QStringList{numero} : QStringList{});
        QCOMPARE(tf->value(QStringLiteral("SELECT Docum_numero || ' ' || Codice FROM Fatture"))
                     .toString(),
                 documento);
        QCOMPARE(righe(w).size(), documento.isEmpty() ? 1 : 0);
        QCOMPARE(text(w, "disponibile"),
                 documento.isEmpty() ? QStringLiteral("100") : QStringLiteral("97"));
        // The window lives on with the kind chosen.
        QVERIFY(child<QPushButton>(&scelta, qPrintable(tipo))->isChecked());
    }
};

QTEST_MAIN(TestPanelWindows)
#include "tst_panel_windows.moc"
