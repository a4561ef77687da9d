// One receipt from the panel through the real print routine, the shipped template and a CUPS
// scheduler of the test's own: two printed copies, each followed by its own cut job of exactly ten
// bytes, and the stock discharged only after that.
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "common/format.h"
#include "common/messages.h"
#include "cups/capturequeue.h"
#include "panel/cella.h"
#include "panel/sinotticofrm.h"
#include "panel/videoscontrino.h"
#include "printing/engineoutput.h"
#include "report/datasetsource.h"
#include "support/testfolder.h"

class TestPanelPrint : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { installItalianLocale(); }

    void receiptCopiesAndCuts() {
        capture::Scheduler cups;
        CAPTURE_START_OR_SKIP(cups);
        capture::Folder jobs(cups.captureFolder());
        ScriptedMessages msgs;
        TestFolder tf;
        QVERIFY(QDir().mkpath(tf.file(QStringLiteral("stampe"))));
        QVERIFY(QFile::copy(QStringLiteral(VINORDA_TEMPLATES "/scontrinoint.frf"),
                            tf.file(QStringLiteral("stampe/scontrinoint.frf"))));
        tf.insert(QStringLiteral("Intesta"),
                  {{QStringLiteral("Griglia_X"), 2}, {QStringLiteral("Griglia_Y"), 2}});
        tf.insert(QStringLiteral("Prodotti"), {{QStringLiteral("Codice_prodotto"), "SF"},
                                               {QStringLiteral("Nome_breve"), "Sfuso"},
                                               {QStringLiteral("Descrizione"), "Rosso sfuso"},
                                               {QStringLiteral("Stato"), "1"},
                                               {QStringLiteral("Litri"), 100.0},
                                               {QStringLiteral("Prezzo_sinottico"), 2.0},
                                               {QStringLiteral("Pos_Griglia"), 1}});

        Tfrmsinottico w(tf.db(), QRect(0, 0, 1024, 768));
        Tfrmvideoscontr header;
        w.setIntestazione(&header);
        // The program's print routine over the real engine, reading the sale by name.
        report::ReportEngine engine;
        EnginePrintOutput output(engine);
        PrintRoutine routine(output);
        engine.setDataFolder(tf.path());
        routine.setDataFolder(tf.path());
        routine.setDataSources(&engine.dataSources());
        routine.setPrinterSettings({QStringLiteral("Ufficio"), QStringLiteral("vinorda-scon")});
        report::DataSetSources sources;
        VenditaInCorso& v = w.vendita();
        for (DataSet* ds : {&v.appoggio_R, &v.appoggio_I, &v.Somma})
            engine.dataSources().add(&sources.add(*ds));
        w.setStampa(Tfrmsinottico::stampaCon([&]() -> PrintRoutine& { return routine; }));

        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        QTest::mouseClick(w.cella(0, 0), Qt::LeftButton);
        QTest::keyClicks(&w, QStringLiteral("2,5"));
        QTest::keyClick(&w, Qt::Key_Return);
        QCOMPARE(v.appoggio_R.recordCount(), 1);

        const QStringList before = jobs.ids();
        QTimer::singleShot(0, &header, [&] {
            QTest::keyClicks(header.findChild<QLineEdit*>(QStringLiteral("Edit5")),
                             QStringLiteral("7"));
            header.findChild<QPushButton*>(QStringLiteral("BitBtn3"))->click();
        });
        QTest::mouseClick(w.findChild<QWidget*>(QStringLiteral("StampaIntest")), Qt::LeftButton);
        QCOMPARE(msgs.texts, QStringList());

        const QList<capture::Job> got = jobs.waitForNewJobs(before, 4);
        QStringList titles;
        for (const auto& j : got) titles << j.title;
        QCOMPARE(titles, (QStringList{QStringLiteral("Scontrino"), QStringLiteral("MyJob"),
                                      QStringLiteral("Scontrino"), QStringLiteral("MyJob")}));
        const QByteArray taglio = QByteArray::fromHex("0d0a0d0a0d0a0d0a1b6d");
        QVERIFY(got.at(0).data.startsWith("%PDF"));
        QCOMPARE(got.at(1).data, taglio);
        QVERIFY(got.at(2).data.startsWith("%PDF"));
        QCOMPARE(got.at(3).data, taglio);
        // Printed, so discharged and emptied.
        QCOMPARE(tf.value(QStringLiteral("SELECT Litri FROM Prodotti")).toDouble(), 97.5);
        QCOMPARE(tf.count(QStringLiteral("Giornale")), 1);
        QCOMPARE(tf.count(QStringLiteral("Appoggio_R")), 0);
        QCOMPARE(tf.value(QStringLiteral("SELECT Docum_numero FROM Appoggio_I")).toString(),
                 QStringLiteral("8"));
    }
};

QTEST_MAIN(TestPanelPrint)
#include "tst_panel_print.moc"
