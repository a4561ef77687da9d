// The report-printed flag through the program's own print routine and the real preview window,
// driven by object name: only paper counts, never a preview closed or a PDF copy saved.
#include <QApplication>
#include <QDir>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "app/appsettings.h"
#include "app/printservice.h"
#include "common/format.h"
#include "common/messages.h"
#include "data/shareddata.h"
#include "printfakes.h"
#include "report/preview.h"
#include "report/templatefile.h"
#include "support/testfolder.h"

class TestPrintFlag : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { installItalianLocale(); }

    void flag_data() {
        QTest::addColumn<int>("mode");         // PrintMode
        QTest::addColumn<QString>("actions");  // what the user does in the preview, in order
        QTest::addColumn<QString>("spooler");  // "accepts", "refuses", "none" (no printer)
        QTest::addColumn<bool>("printed");
        QTest::newRow("preview closed") << 0 << "btn_chiudi"
                                        << "accepts" << false;
        QTest::newRow("preview left with Esc") << 0 << "Esc"
                                               << "accepts" << false;
        QTest::newRow("printed from the preview") << 0 << "btn_stampa btn_chiudi"
                                                  << "accepts" << true;
        QTest::newRow("job refused from the preview") << 0 << "btn_stampa btn_chiudi"
                                                      << "refuses" << false;
        QTest::newRow("PDF copy saved, not printed") << 0 << "pdf btn_chiudi"
                                                     << "accepts" << false;
        QTest::newRow("no printer: PDF written") << 0 << "btn_stampa btn_chiudi"
                                                 << "none" << true;
        QTest::newRow("one copy accepted") << 1 << ""
                                           << "accepts" << true;
        QTest::newRow("one copy refused") << 1 << ""
                                          << "refuses" << false;
    }

    void flag() {
        QFETCH(int, mode);
        QFETCH(QString, actions);
        QFETCH(QString, spooler);
        QFETCH(bool, printed);
        TestFolder tf;
        QVERIFY(QDir().mkpath(tf.file(QStringLiteral("stampe"))));
        QString error;
        QVERIFY2(report::saveTemplate(tf.file(QStringLiteral("stampe/prodotti.frf")),
                                      simpleReport(1), &error),
                 qPrintable(error));
        AppSettings settings;
        settings.dataFolder = tf.path();
        settings.stampante1 = QStringLiteral("stampante1");  // no such queue: the default one
        App::setSettings(settings);
        ScriptedMessages msgs;
        Database& db = tf.db();
        SharedData shared(db);
        QWidget window;
        ProgramPrinting printing(shared, &window);
        FakeBackend fake;
        fake.queues = {QStringLiteral("Ufficio_A4")};
        fake.accept = spooler != u"refuses";
        if (spooler == u"none") fake.queues.clear();
        printing.setPrintBackend(&fake);

        QStringList steps = actions.split(QLatin1Char(' '), Qt::SkipEmptyParts);
        bool previewSeen = false;
        QString caption;
        std::function<void()> drive = [&] {
            auto* preview = qobject_cast<report::ReportPreview*>(QApplication::activeModalWidget());
            if (!preview) {
                QTimer::singleShot(10, drive);
                return;
            }
            previewSeen = true;
            caption = preview->windowTitle();
            while (!steps.isEmpty()) {
                const QString step = steps.takeFirst();
                if (step == u"Esc") {
                    QTest::keyClick(preview, Qt::Key_Escape);
                } else if (step == u"pdf") {
                    QVERIFY(preview->saveAsPdf(tf.file(QStringLiteral("copia.pdf"))));
                } else {
                    auto* b = preview->findChild<QPushButton*>(step);
                    QVERIFY2(b, qPrintable(step));
                    b->click();
                }
            }
        };
        if (mode == 0) QTimer::singleShot(0, drive);
        auto& routine = printing.routine();
        routine.setReportPrinted(false);
        QCOMPARE(routine.setta_stampante(QStringLiteral("prodotti"),
                                         QStringLiteral("Elenco prodotti"), false, mode, 1),
                 printed);
        QCOMPARE(routine.reportPrinted(), printed);
        if (mode == 0) {
            QVERIFY(previewSeen);
            QCOMPARE(caption, QStringLiteral("Anteprima - Elenco prodotti"));
        }
        QCOMPARE(fake.accepted, printed && spooler == u"accepts" ? 1 : 0);
        QCOMPARE(routine.lastPrinter(),
                 spooler == u"none" ? QString() : QStringLiteral("Ufficio_A4"));
        if (spooler == u"refuses") QVERIFY(msgs.kinds.contains(QStringLiteral("error")));
        if (spooler == u"none")
            QVERIFY(!QDir(tf.file(QStringLiteral("pdf"))).entryList({"*.pdf"}).isEmpty());
    }
};

QTEST_MAIN(TestPrintFlag)
#include "tst_printflag.moc"
