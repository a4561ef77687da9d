// The print selection window driven by object name: the page shown, the callers' presets and what
// it keeps between uses, the input it refuses; and every list of the menu printed to PDF from the
// demo folder through the window, as the user would.
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include "common/format.h"
#include "common/messages.h"
#include "data/shareddata.h"
#include "datitool.h"
#include "masterdata/masterdata_rules.h"
#include "printing/selezioneform.h"
#include "printing/templates.h"
#include "report/datasetsource.h"
#include "report/engine.h"
#include "stock/giornale.h"
#include "support/controls.h"
#include "support/testfolder.h"
#include "support/whenshown.h"

namespace {

// Runs act on the selection window once it is on screen (inside its modal loop).
[[nodiscard]] std::shared_ptr<bool> whenShown(TSelezioneForm* form, std::function<void()> act) {
    return ::whenShown(form->objectName(), [act](QWidget*) { act(); });
}

void type(QWidget* w, const char* field, const QString& text) {
    if (auto* combo = w->findChild<QComboBox*>(QString::fromLatin1(field))) {
        combo->setEditText(text);
        return;
    }
    auto* edit = child<QLineEdit>(w, field);
    edit->clear();
    QTest::keyClicks(edit, text);
}

QStringList visibleTabs(QWidget* w) {
    auto* tabs = child<QTabWidget>(w, "Notebook1");
    QStringList out;
    for (int i = 0; i < tabs->count(); ++i)
        if (tabs->isTabVisible(i)) out << tabs->tabText(i);
    return out;
}

QDate d(const char* text) {
    return GiornaleMovimenti::leggiData(QString::fromLatin1(text));
}

}  // namespace

class TstSelezioneForm : public QObject {
    Q_OBJECT

    std::unique_ptr<TestFolder> tf_;
    std::unique_ptr<SharedData> sd_;
    std::unique_ptr<TSelezioneForm> form_;

private Q_SLOTS:
    void initTestCase() {
        installItalianLocale();
        tf_ = std::make_unique<TestFolder>(true);
        tf_->insert(QStringLiteral("Anagrafica"),
                    {{"Codice", "ACME"}, {"RagioneSociale", "ACME SRL"}});
        tf_->insert(QStringLiteral("Anagrafica"),
                    {{"Codice", "ENO"}, {"RagioneSociale", "enoteca bassi"}});
        tf_->insert(QStringLiteral("Prodotti"),
                    {{"Codice_prodotto", "BAR"}, {"Descrizione", "Barbera d'Asti"}});
        tf_->insert(QStringLiteral("Prodotti"),
                    {{"Codice_prodotto", "VINO'S"}, {"Descrizione", "Vino della casa"}});
        sd_ = std::make_unique<SharedData>(tf_->db());
        sd_->Clienti.open();
        sd_->prodotti.open();
        form_ = std::make_unique<TSelezioneForm>(*sd_, 100);
    }

    // One page at a time, the caller's presets shown, what the user typed kept for next time:
    // the movements' dates, the documents' three kinds.
    void presetsAndKeptValues() {
        TSelezioneForm* f = form_.get();
        SelezioneMovimenti m{{}, {}, QStringLiteral("BAR")};
        QStringList tabs;
        QString descr;
        auto shown = whenShown(f, [&] {
            tabs = visibleTabs(f);
            descr = child<QLabel>(f, "mov_descrizione")->text();
            type(f, "mov_da", QStringLiteral("01/03/2026"));
            type(f, "mov_prod", QStringLiteral("vino's"));  // typed, any case
            click(f, "btn_conferma");
        });
        QVERIFY(f->selezionaMovimenti(m));
        QCOMPARE(tabs, QStringList{QStringLiteral("MOVIMENTI")});
        QCOMPARE(descr, QStringLiteral("Barbera d'Asti"));
        QCOMPARE(m.prodotto, QStringLiteral("VINO'S"));
        QCOMPARE(m.da, d("01/03/2026"));
        QVERIFY(!m.a.isValid());

        SelezioneFatture s;
        s.da = QDate(2017, 1, 1);
        shown = whenShown(f, [&] {
            tabs = visibleTabs(f);
            child<QCheckBox>(f, "Sel_Fatt")->setChecked(false);
            type(f, "clientefatt", QStringLiteral("acme srl"));
            click(f, "btn_conferma");
        });
        QVERIFY(f->selezionaFatture(s));
        QCOMPARE(tabs, QStringList{QStringLiteral("FATTURE")});
        QCOMPARE(s.cliente, QStringLiteral("ACME"));
        QVERIFY(s.ddt && !s.fatture && s.privati && !s.a.isValid());

        // Next uses: the presets again, the rest as left.
        m.prodotto = QStringLiteral("BAR");
        QString da, prod;
        shown = whenShown(f, [&] {
            da = child<QLineEdit>(f, "mov_da")->text();
            prod = child<QComboBox>(f, "mov_prod")->currentText();
            click(f, "btn_annulla");
        });
        QVERIFY(!f->selezionaMovimenti(m));
        QCOMPARE(da, QStringLiteral("01/03/2026"));
        QCOMPARE(prod, QStringLiteral("BAR"));
        s = SelezioneFatture();
        shown = whenShown(f, [&] { click(f, "btn_conferma"); });
        QVERIFY(f->selezionaFatture(s));
        QVERIFY(s.cliente.isEmpty() && !s.fatture && !s.da.isValid());
    }

    // What cannot be used is named in a message and the window stays open on it; once put
    // right, the same confirmation goes through.
    void refusals_data() {
        QTest::addColumn<int>("page");
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("message");
        QTest::addColumn<bool>("enter");  // Enter in the field instead of the button
        QTest::newRow("a date that does not exist")
            << int(TSelezioneForm::FATTURE) << "Fatturea"
            << "31/02/2026" << GiornaleMovimenti::msgDataNonValida(QStringLiteral("31/02/2026"))
            << false;
        QTest::newRow("Enter on a date that does not exist")
            << int(TSelezioneForm::MOVIMENTI) << "mov_da"
            << "30/02/2026" << GiornaleMovimenti::msgDataNonValida(QStringLiteral("30/02/2026"))
            << true;
        QTest::newRow("not a date")
            << int(TSelezioneForm::MOVIMENTI) << "mov_a"
            << "marzo" << GiornaleMovimenti::msgDataNonValida(QStringLiteral("marzo")) << false;
        QTest::newRow("unknown customer")
            << int(TSelezioneForm::FATTURE) << "clientefatt"
            << "Nessuno" << TSelezioneForm::msgClienteSconosciuto(QStringLiteral("Nessuno"))
            << false;
        QTest::newRow("unknown product")
            << int(TSelezioneForm::MOVIMENTI) << "mov_prod"
            << "XYZ" << TSelezioneForm::msgProdottoSconosciuto(QStringLiteral("XYZ")) << false;
    }
    void refusals() {
        QFETCH(int, page);
        QFETCH(QString, field);
        QFETCH(QString, text);
        QFETCH(QString, message);
        QFETCH(bool, enter);
        TSelezioneForm* f = form_.get();
        ScriptedMessages msgs;
        bool stayed = false;
        const auto shown = whenShown(f, [&] {
            type(f, field.toLatin1().constData(), text);
            if (enter)
                QTest::keyClick(child<QLineEdit>(f, field.toLatin1().constData()), Qt::Key_Return);
            else
                click(f, "btn_conferma");
            stayed = f->isVisible();
            const QString fix = field == QLatin1String("mov_prod") ? QStringLiteral("BAR") : "";
            type(f, field.toLatin1().constData(), fix);
            click(f, "btn_conferma");
        });
        SelezioneFatture sf;
        SelezioneMovimenti sm{{}, {}, QStringLiteral("BAR")};
        const bool ok =
            page == TSelezioneForm::FATTURE ? f->selezionaFatture(sf) : f->selezionaMovimenti(sm);
        QVERIFY(stayed);
        QVERIFY(ok);
        QCOMPARE(msgs.texts, QStringList{message});
    }

    // Every list of the menu, printed to PDF from the demo folder through the real window. Set
    // VINORDA_LISTE_PDF to a folder to keep the files and look at them.
    void everyListToPdf_data() {
        QTest::addColumn<QString>("command");
        for (const PrintedLists::Command& c : PrintedLists::commands())
            QTest::newRow(qPrintable(c.objectName)) << c.objectName;
    }
    void everyListToPdf() {
        QFETCH(QString, command);
        static QTemporaryDir demo;
        static bool filled = false;
        const QString folder = demo.path() + QLatin1Char('/');
        if (!filled) {
            DatiTool::createBase(folder);
            DatiTool::fillDemo(folder);
            filled = true;
        }
        QString out = qEnvironmentVariable("VINORDA_LISTE_PDF");
        if (out.isEmpty()) out = folder + QStringLiteral("pdf");
        QDir().mkpath(out);

        ScriptedMessages msgs;
        Database db;
        db.open(folder);
        SharedData sd(db);
        attachMasterDataRules(sd);
        sd.Intestazione.open();
        TSelezioneForm form(sd, 100);
        report::ReportEngine engine;
        report::DataSetSources sources;
        for (DataSet* ds : sd.all()) engine.dataSources().add(&sources.add(*ds));
        QString pdf;
        PrintedLists lists(sd, [&](const QString& name, const QString& title) {
            QVERIFY2(engine.loadFromFile(folder + QStringLiteral("stampe/") + name + ".frf"),
                     qPrintable(engine.errorString()));
            engine.setTitle(title);
            pdf = out + QLatin1Char('/') + name + QStringLiteral(".pdf");
            QVERIFY2(engine.exportPdf(pdf), qPrintable(engine.errorString()));
        });
        lists.setSelezione(&form);
        const auto shown = whenShown(&form, [&] { click(&form, "btn_conferma"); });
        QVERIFY(lists.run(command));
        QCOMPARE(msgs.texts, QStringList());
        QVERIFY(!pdf.isEmpty());
        QVERIFY(engine.pageCount() >= 1);
        if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
            QSKIP("pdftotext is not installed: contents not checked");
        QProcess p;
        p.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
        QVERIFY(p.waitForFinished(30000));
        const QString text = QString::fromUtf8(p.readAllStandardOutput());
        QVERIFY2(text.contains(QStringLiteral("Cantina Colle Aurelio")), qPrintable(text));
        QVERIFY2(text.contains(findPrintTemplate(QFileInfo(pdf).completeBaseName())->title),
                 qPrintable(text.left(300)));
        QVERIFY2(!text.contains(QLatin1Char('[')), qPrintable(text.left(400)));
    }
};

QTEST_MAIN(TstSelezioneForm)
#include "tst_selezioneform.moc"
