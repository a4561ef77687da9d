// "Vendite a pannello sinottico" in the main window: the panel is built at start-up with its
// header window, the receipt template finds the sale's data sets, and the command opens the
// products and the journal around the panel's modal display.
#include <QAction>
#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "app/mainform.h"
#include "app/printservice.h"
#include "common/format.h"
#include "common/messages.h"
#include "data/shareddata.h"
#include "panel/sinotticofrm.h"
#include "panel/videocliente.h"
#include "panel/videoscontrino.h"
#include "report/spooler.h"
#include "support/testfolder.h"

class TstPanelCommand : public QObject {
    Q_OBJECT
    // The main window started on the folder, with every window created.
    static void avvia(TestFolder& tf, TMainForm& form) {
        QFile ini(tf.file(QStringLiteral("vinorda.ini")));
        QVERIFY(ini.open(QIODevice::WriteOnly));
        ini.write(QStringLiteral("[TMainForm]\nDIRECTORY=%1\n").arg(tf.path()).toUtf8());
        ini.close();
        form.setFormIniPath(tf.file(QStringLiteral("form.ini")));
        form.FormCreate(ini.fileName());
        form.createWindows();
    }

private Q_SLOTS:
    void initTestCase() { installItalianLocale(); }

    void openedAroundThePanel() {
        TestFolder tf(false);
        SharedData shared(tf.db());
        TMainForm form(tf.db(), shared);
        avvia(tf, form);
        auto* panel =
            qobject_cast<Tfrmsinottico*>(form.programWindow(QStringLiteral("Tfrmsinottico")));
        QVERIFY(panel);
        QCOMPARE(static_cast<QWidget*>(panel->intestazione()),
                 form.programWindow(QStringLiteral("Tfrmvideoscontr")));
        QVERIFY(form.programWindow(QStringLiteral("Tfrmvideocli")));
        QCOMPARE(static_cast<QWidget*>(panel->clienti()),
                 form.programWindow(QStringLiteral("Tfrmvideocli")));
        for (const char* n : {"appoggio_R", "appoggio_I", "Somma"})
            QVERIFY(form.printing().engine().dataSources().find(QString::fromLatin1(n)));

        QAction* command = form.action(QStringLiteral("Venditeapannellosinottico1"));
        QVERIFY(command->isEnabled());
        QWidget* shown = nullptr;
        bool open = false;
        form.setShowModalHook([&](QWidget* w) {
            shown = w;
            open = shared.prodotti.isOpen() && shared.Giornale.isOpen();
        });
        command->trigger();
        QCOMPARE(shown, panel);
        QVERIFY(open);
        QVERIFY(!shared.prodotti.isOpen());
        QVERIFY(!shared.Giornale.isOpen());
        form.close();
    }

    // "Ricevuta" through the program's own print routine: the document just written is the one
    // the template reads (the shared header positioned on it), printed twice on the main
    // printer, and only then is the stock discharged; the shared tables are closed again.
    void documentoStampato_data() {
        QTest::addColumn<bool>("accetta");  // the spooler's answer
        QTest::newRow("printed") << true;
        QTest::newRow("spooler refused") << false;
    }
    void documentoStampato() {
        QFETCH(bool, accetta);
        struct Spooler : report::PrintBackend {
            SharedData* sd = nullptr;
            bool accetta = true;
            QStringList lavori;
            QStringList printers() override { return {QStringLiteral("Ufficio")}; }
            QString defaultPrinter() override { return QStringLiteral("Ufficio"); }
            bool submitPdf(const QString& printer, const QString&, const QByteArray& pdf,
                           int copies, QSizeF, QString* error) override {
                const DataSet& f = sd->Fatture;
                lavori << QStringLiteral("%1 %2 %3 %4")
                              .arg(printer, f.isOpen()
                                                ? f.field(QStringLiteral("Docum_numero")).asString()
                                                : QStringLiteral("-"))
                              .arg(copies)
                              .arg(sd->righe.isOpen() ? sd->righe.recordCount() : -1);
                if (!accetta) *error = QStringLiteral("coda ferma");
                return accetta && pdf.startsWith("%PDF");
            }
        } spooler;
        ScriptedMessages msgs;
        TestFolder tf(false);
        QVERIFY(QDir().mkpath(tf.file(QStringLiteral("stampe"))));
        QVERIFY(QFile::copy(QStringLiteral(VINORDA_TEMPLATES "/doctrasp.frf"),
                            tf.file(QStringLiteral("stampe/doctrasp.frf"))));
        SharedData shared(tf.db());
        TMainForm form(tf.db(), shared);
        avvia(tf, form);
        spooler.sd = &shared;
        spooler.accetta = accetta;
        form.printing().setPrintBackend(&spooler);
        tf.insert(QStringLiteral("IVA"), {{QStringLiteral("Ordine"), 1}, {"IVA", "22"}});
        tf.insert(QStringLiteral("Anagrafica"), {{QStringLiteral("Codice"), "ENO"},
                                                 {QStringLiteral("RagioneSociale"), "Enoteca"},
                                                 {QStringLiteral("Giur_Pers"), "G"}});
        tf.insert(QStringLiteral("Prodotti"), {{QStringLiteral("Codice_prodotto"), "SF"},
                                               {QStringLiteral("Nome_breve"), "Sfuso"},
                                               {QStringLiteral("Descrizione"), "Rosso sfuso"},
                                               {QStringLiteral("Stato"), "1"},
                                               {QStringLiteral("Litri"), 100.0},
                                               {QStringLiteral("Prezzo_sinottico"), 2.0}});
        auto* panel =
            qobject_cast<Tfrmsinottico*>(form.programWindow(QStringLiteral("Tfrmsinottico")));
        panel->setDatamov(QDate(2025, 3, 8));
        VenditaInCorso& v = panel->vendita();
        v.apri();
        v.Seleziona(QStringLiteral("Sfuso"));
        v.Inserisce_numeri(QStringLiteral("4"));
        QVERIFY(v.btnscaricaClick());

        auto* scelta =
            qobject_cast<Tfrmvideocli*>(form.programWindow(QStringLiteral("Tfrmvideocli")));
        QTimer::singleShot(0, scelta, [scelta] {
            scelta->findChild<QPushButton*>(QStringLiteral("doc_trasporto"))->click();
            scelta->findChild<QPushButton*>(QStringLiteral("BitBtn5"))->click();
        });
        panel->FatturaClick();
        // One job per copy; a refused first copy stops the print.
        const QString copia = QStringLiteral("Ufficio B-2025-000001 1 1");
        QCOMPARE(spooler.lavori, (accetta ? QStringList{copia, copia} : QStringList{copia}));
        QCOMPARE(tf.count(QStringLiteral("Fatture")), accetta ? 1 : 0);
        QCOMPARE(tf.value(QStringLiteral("SELECT Litri FROM Prodotti")).toDouble(),
                 accetta ? 96.0 : 100.0);
        QCOMPARE(tf.count(QStringLiteral("Appoggio_R")), accetta ? 0 : 1);
        for (const DataSet* ds :
             {&shared.Fatture, &shared.righe, &shared.clifatt, &shared.destfatt})
            QVERIFY2(!ds->isOpen(), qPrintable(ds->name()));
        form.close();
    }
};

QTEST_MAIN(TstPanelCommand)
#include "tst_panelcommand.moc"
