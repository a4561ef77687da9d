// A document printed through the real print routine with the shipped templates: the template
// and title of its kind, the credit note on a negative total, and the discharge only when the
// user really printed from the preview.
#include <QDir>
#include <QFile>
#include <QTest>

#include "common/format.h"
#include "common/messages.h"
#include "data/shareddata.h"
#include "documents/documents_rules.h"
#include "documents/service.h"
#include "printing/settastampante.h"
#include "report/datasetsource.h"
#include "support/testfolder.h"

namespace {
// The spooler side: the preview returns whether the user printed from it.
class PreviewOutput : public PrintOutput {
public:
    bool userPrints = false;
    QList<report::Report> shown;
    QStringList titles;
    QStringList installedPrinters() override { return {QStringLiteral("Ufficio")}; }
    QString defaultPrinter() override { return QStringLiteral("Ufficio"); }
    bool preview(const report::Report& r, const QString&, const QString& title,
                 const QString&) override {
        shown << r;
        titles << title;
        return userPrints;
    }
    bool print(const report::Report&, const QString&, const QString&, const QString&) override {
        return true;
    }
    void cut(const QString&) override {}
    void openDesigner(report::Report&, QString&) override {}
};
}  // namespace

class TestDocumentsPrint : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { installItalianLocale(); }

    void print_data() {
        QTest::addColumn<double>("quantita");  // of the one line, at 2.00 a litre
        QTest::addColumn<bool>("userPrints");
        QTest::addColumn<QString>("fatt");
        QTest::addColumn<double>("stock");
        QTest::newRow("a credit note previewed") << -5.0 << false << "Nota di accredito" << 50.0;
        QTest::newRow("a credit note printed") << -5.0 << true << "Nota di accredito" << 55.0;
        QTest::newRow("an invoice printed") << 5.0 << true << "FATTURA IMMEDIATA" << 45.0;
    }
    void print() {
        QFETCH(double, quantita);
        QFETCH(bool, userPrints);
        QFETCH(QString, fatt);
        QFETCH(double, stock);
        ScriptedMessages msgs;
        TestFolder tf;
        QDir().mkpath(tf.file("stampe"));
        QVERIFY(QFile::copy(QStringLiteral(VINORDA_TEMPLATES "/fattura_imm.frf"),
                            tf.file("stampe/fattura_imm.frf")));
        tf.insert("IVA", {{"Ordine", 1}, {"IVA", "22"}});
        tf.insert("Anagrafica",
                  {{"Codice", "G1"}, {"RagioneSociale", "Enoteca"}, {"Giur_Pers", "G"}});
        tf.insert("Prodotti", {{"Codice_prodotto", "SF"}, {"Stato", "1"}, {"Litri", 50.0}});
        const EsitoDocumento e = creaDocumento(
            tf.db(), {2, QDate(2025, 4, 1), 0, QStringLiteral("G1"), QStringLiteral("G1"), {}},
            {CampiRiga{0,
                       {},
                       {},
                       QStringLiteral("SF"),
                       QStringLiteral("li"),
                       1,
                       QStringLiteral("1"),
                       quantita,
                       QStringLiteral("Rosso"),
                       2,
                       {},
                       QStringLiteral("SF"),
                       0,
                       0,
                       false}});
        QVERIFY(e.ok());

        SharedData sd(tf.db());
        attachDocumentRules(sd);
        report::DataSourceRegistry registry;
        report::DataSetSources sources;
        for (DataSet* ds : {&sd.Fatture, &sd.clifatt, &sd.destfatt, &sd.righe, &sd.Intestazione}) {
            ds->open();
            registry.add(&sources.add(*ds));
        }
        QVERIFY(sd.Fatture.locate("Docum_numero", e.documNumero));
        PreviewOutput output;
        output.userPrints = userPrints;
        PrintRoutine routine(output);
        routine.setDataFolder(tf.path());
        routine.setDataSources(&registry);
        // As the program wires the documents window to the print routine.
        auto printFn = [&routine](const QString& name, const QString& title) {
            return routine.setta_stampante(name, title, true, PrintMode::Preview, 1);
        };
        const RisultatoStampa r = stampaDocumento(tf.db(), e.documNumero, printFn);
        QVERIFY2(msgs.texts.isEmpty(), qPrintable(msgs.texts.join(u'\n')));
        QCOMPARE(int(r.esito), int(userPrints ? EsitoStampa::Stampato : EsitoStampa::NonStampato));
        QCOMPARE(output.titles, QStringList{QStringLiteral("Fattura immediata")});
        QCOMPARE(output.shown.size(), 1);
        const report::ReportObject* o = output.shown[0].findObject(QStringLiteral("Fatt"));
        QVERIFY(o);
        QCOMPARE(o->text, fatt);
        QCOMPARE(tf.value("SELECT Litri FROM Prodotti").toDouble(), stock);
        QCOMPARE(tf.count("Giornale"), userPrints ? 1 : 0);
    }
};

QTEST_GUILESS_MAIN(TestDocumentsPrint)
#include "tst_documents_print.moc"
