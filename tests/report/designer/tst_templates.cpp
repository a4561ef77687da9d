// Every template of the program renders on a small data folder, through the stampa command.
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include "common/format.h"
#include "report/templatefile.h"
#include "stampa.h"
#include "support/testfolder.h"
#ifdef VINORDA_WITH_DEMO
#include "datitool.h"
#endif

class TstTemplates : public QObject {
    Q_OBJECT
private:
    std::unique_ptr<TestFolder> folder_;
    std::unique_ptr<QTemporaryDir> demo_;

    int stampa(const QStringList& args, QString* errors = nullptr) {
        QString o, e;
        QTextStream out(&o), err(&e);
        const int rc = Stampa::run(args, out, err);
        err.flush();
        if (errors) *errors = e;
        return rc;
    }

    static QString pdfText(const QString& pdf) {
        QProcess p;
        p.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
        if (!p.waitForFinished(30000)) return {};
        return QString::fromUtf8(p.readAllStandardOutput());
    }

    void fill() {
        TestFolder& f = *folder_;
        f.insert(QStringLiteral("Intesta"), {{"RagioneSociale", "Cantina Collaudo"},
                                             {"Indirizzo", "Via delle Viti 1"},
                                             {"Citta", "Montevino"},
                                             {"Partita_IVA", "01234567890"}});
        f.insert(QStringLiteral("IVA"), {{"Ordine", 1}, {"IVA", "22"}, {"Nota_fin", ""}});
        f.insert(QStringLiteral("IVA"),
                 {{"Ordine", 2}, {"IVA", "E15"}, {"Nota_fin", "Esente art. 15"}});
        f.insert(QStringLiteral("Imballi"),
                 {{"Bottiglia", "075"}, {"Descrizione", "Bordolese 0,75"}, {"Volume", 0.75}});
        f.insert(QStringLiteral("Anagrafica"), {{"Codice", "C001"},
                                                {"RagioneSociale", "Enoteca Rossi"},
                                                {"Indirizzo", "Via Roma"},
                                                {"Ncivico", "3"},
                                                {"CAP", "10100"},
                                                {"Citta", "Torino"},
                                                {"Prov", "TO"},
                                                {"PartitaIVA", "09876543210"},
                                                {"Telefono1", "011 123456"},
                                                {"Giur_Pers", "G"},
                                                {"Pagamento", "Rimessa diretta"}});
        f.insert(QStringLiteral("Anagrafica"), {{"Codice", "C002"},
                                                {"RagioneSociale", "Bianchi Mario"},
                                                {"Citta", "Asti"},
                                                {"Giur_Pers", "X"}});
        f.insert(QStringLiteral("Prodotti"), {{"Codice_prodotto", "BAR23"},
                                              {"Descrizione", "Barbera d'Asti DOCG 2023"},
                                              {"Stato", "2"},
                                              {"Bottiglia", "075"},
                                              {"Litri", 150.0},
                                              {"UM", "nr"},
                                              {"Prezzo1", 6.5},
                                              {"Prezzo_sinottico", 8.0},
                                              {"IVA", "22"},
                                              {"Pos_Griglia", 1},
                                              {"Nome_breve", "Barbera"}});
        f.insert(QStringLiteral("Prodotti"), {{"Codice_prodotto", "SF01"},
                                              {"Descrizione", "Rosso sfuso"},
                                              {"Stato", "1"},
                                              {"Litri", 1200.5},
                                              {"UM", "li"},
                                              {"Prezzo1", 2.2},
                                              {"IVA", "22"}});
        const QDateTime when(QDate(2026, 3, 2), QTime(9, 30));
        f.insert(QStringLiteral("Fatture"), {{"Docum_numero", "F-2026-000001"},
                                             {"Doc_tipo", "F"},
                                             {"Anno", "2026"},
                                             {"Num_fattura", 1},
                                             {"Data", when},
                                             {"Codice", "C001"},
                                             {"Destinazione", "C001"},
                                             {"ALIVA1", "22"},
                                             {"IMP1", 39.0},
                                             {"IVA1", 8.58},
                                             {"Tot_Litri", 4.5},
                                             {"Tot_Imponibile", 39.0},
                                             {"Tot_Iva", 8.58},
                                             {"Totale", 47.58},
                                             {"Trasporto", "M"},
                                             {"Causale", "Vendita"},
                                             {"DDTFATT", "I"},
                                             {"Fatturato", "X"}});
        f.insert(QStringLiteral("Fatture"), {{"Docum_numero", "F-2026-000002"},
                                             {"Doc_tipo", "F"},
                                             {"Anno", "2026"},
                                             {"Num_fattura", 2},
                                             {"Data", when},
                                             {"Codice", "C001"},
                                             {"ALIVA1", "E15"},
                                             {"IMP1", -0.01},
                                             {"Tot_Imponibile", -0.01},
                                             {"Totale", -0.01},
                                             {"DDTFATT", "I"},
                                             {"Fatturato", "X"}});
        f.insert(QStringLiteral("Righe"), {{"Docum_numero", "F-2026-000001"},
                                           {"Codice", "BAR23"},
                                           {"UM", "nr"},
                                           {"Quantita", 6.0},
                                           {"Descrizione", "Barbera d'Asti DOCG 2023"},
                                           {"Prezzo", 6.5},
                                           {"IVA", "22"},
                                           {"Volume", 4.5},
                                           {"Cod_vino_collegato", "BAR23"}});
        f.insert(QStringLiteral("Giornale"), {{"Data_Ora", when},
                                              {"Cod_vino", "BAR23"},
                                              {"Litri", 4.5},
                                              {"Cliente", "C001"},
                                              {"Docum_numero", "F-2026-000001"},
                                              {"Riga_num", 1},
                                              {"Tipo", "F"}});
        f.insert(QStringLiteral("Giornale"),
                 {{"Data_Ora", when}, {"Cod_vino", "SF01"}, {"Litri", 5.0}, {"Tipo", "N"}});
        f.insert(QStringLiteral("Appoggio_I"), {{"Intesta1", "Cantina Collaudo"},
                                                {"Intesta2", "Via delle Viti 1"},
                                                {"Docum_numero", "S-1"},
                                                {"Data", when}});
        f.insert(QStringLiteral("Appoggio_R"), {{"Descrizione", "Rosso sfuso"},
                                                {"UM", "li"},
                                                {"Quantita", 5.0},
                                                {"PREZZO", 2.2},
                                                {"TOTALE", 11.0}});
        QDir().mkpath(f.file(QStringLiteral("stampe")));
        const QDir src(QStringLiteral(VINORDA_TEMPLATES_DIR));
        for (const QString& name : src.entryList({QStringLiteral("*.frf")}, QDir::Files))
            QVERIFY(QFile::copy(src.filePath(name), f.file(QStringLiteral("stampe/") + name)));
    }

private Q_SLOTS:
    void initTestCase() {
        installItalianLocale();
        folder_ = std::make_unique<TestFolder>(true);
        fill();
    }

    // The files and the names the program prints are the same set.
    void everyNameHasItsFile() {
        QStringList files = QDir(QStringLiteral(VINORDA_TEMPLATES_DIR))
                                .entryList({QStringLiteral("*.frf")}, QDir::Files, QDir::Name);
        for (QString& f : files) f.chop(4);
        QStringList names = Stampa::templateNames();
        names.sort();
        QCOMPARE(files, names);
    }

    // The committed files are as the designer writes them, so a save changes only what changed.
    void filesAreCanonical_data() {
        QTest::addColumn<QString>("name");
        for (const QString& n : Stampa::templateNames()) QTest::newRow(qPrintable(n)) << n;
    }
    void filesAreCanonical() {
        QFETCH(QString, name);
        const QString path = QStringLiteral(VINORDA_TEMPLATES_DIR "/") + name + ".frf";
        report::Report r;
        QString error;
        QVERIFY2(report::loadTemplate(path, &r, &error), qPrintable(error));
        QFile f(path);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(QString::fromUtf8(report::templateBytes(r)), QString::fromUtf8(f.readAll()));
    }

    void rendersToPdf_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("expected");
        const QStringList names = Stampa::templateNames();
        for (const QString& n : names) {
            QString expected = QStringLiteral("Cantina Collaudo");
            if (n == QLatin1String("clienti") || n == QLatin1String("rubrica"))
                expected = QStringLiteral("Enoteca Rossi");
            else if (n.startsWith(QLatin1String("listino")) || n == QLatin1String("prodotti") ||
                     n == QLatin1String("barcode") || n == QLatin1String("griglia"))
                expected = QStringLiteral("Barbera d'Asti");
            else if (n == QLatin1String("scontrinoint"))
                expected = QStringLiteral("11,00");
            else if (n == QLatin1String("movimenti"))
                expected = QStringLiteral("Rosso sfuso");  // second page: direct sales
            else if (n == QLatin1String("pagamenti") || n == QLatin1String("listafatture"))
                expected = QStringLiteral("F-2026-000002");
            QTest::newRow(qPrintable(n)) << n << expected;
        }
    }
    void rendersToPdf() {
        QFETCH(QString, name);
        QFETCH(QString, expected);
        const QString pdf = folder_->file(name + QStringLiteral(".pdf"));
        QString errors;
        const int rc = stampa({folder_->path(), name, pdf, QStringLiteral("--documento"),
                               QStringLiteral("F-2026-000001")},
                              &errors);
        QVERIFY2(rc == Stampa::Ok, qPrintable(errors));
        QFile f(pdf);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QVERIFY(f.read(5) == "%PDF-");
        if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
            QSKIP("pdftotext is not installed: contents not checked");
        const QString text = pdfText(pdf);
        QVERIFY2(text.contains(expected), qPrintable(name + ": " + text.left(400)));
        QVERIFY2(!text.contains(QLatin1Char('[')), qPrintable(text.left(400)));
    }

    // A document with a negative total prints as a credit note; a missing one is refused.
    void documents_data() {
        QTest::addColumn<QString>("number");
        QTest::addColumn<int>("rc");
        QTest::addColumn<QString>("expected");
        QTest::newRow("invoice") << "F-2026-000001" << int(Stampa::Ok) << "FATTURA";
        QTest::newRow("credit note") << "F-2026-000002" << int(Stampa::Ok) << "Nota di accredito";
        QTest::newRow("missing") << "F-2026-000099" << int(Stampa::Failed) << "F-2026-000099";
    }
    void documents() {
        QFETCH(QString, number);
        QFETCH(int, rc);
        QFETCH(QString, expected);
        const QString pdf = folder_->file(QStringLiteral("doc.pdf"));
        QFile::remove(pdf);
        QString errors;
        QCOMPARE(stampa({folder_->path(), QStringLiteral("fattura_diff"), pdf,
                         QStringLiteral("--documento"), number},
                        &errors),
                 rc);
        if (rc != Stampa::Ok) {
            QVERIFY2(errors.contains(expected), qPrintable(errors));
            QVERIFY(!QFile::exists(pdf));
            return;
        }
        if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
            QSKIP("pdftotext is not installed");
        QVERIFY(pdfText(pdf).contains(expected));
    }

    void badCommandLines_data() {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("rc");
        QTest::newRow("too few") << QStringList{QStringLiteral("x")} << int(Stampa::Usage);
        QTest::newRow("documento without number")
            << QStringList{QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c"),
                           QStringLiteral("--documento")}
            << int(Stampa::Usage);
        QTest::newRow("no database")
            << QStringList{QDir::tempPath() + "/nessuna-cartella", QStringLiteral("clienti"),
                           QStringLiteral("x.pdf")}
            << int(Stampa::Failed);
    }
    void badCommandLines() {
        QFETCH(QStringList, args);
        QFETCH(int, rc);
        QString errors;
        QCOMPARE(stampa(args, &errors), rc);
        QVERIFY(!errors.isEmpty());
    }

#ifdef VINORDA_WITH_DEMO
    // The demo folder vinorda-dati makes: every template, and every document in each document
    // template.
    void rendersOnDemo_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("documento");
        demo_ = std::make_unique<QTemporaryDir>();
        QVERIFY(demo_->isValid());
        const QString folder = demo_->path() + QLatin1Char('/');
        DatiTool::createBase(folder);
        DatiTool::fillDemo(folder);
        QStringList documents;
        {
            Database db;
            db.open(folder);
            QSqlQuery q = db.select(QStringLiteral("SELECT Docum_numero FROM Fatture"));
            while (q.next()) documents << q.value(0).toString();
        }
        QVERIFY(!documents.isEmpty());
        for (const QString& n : Stampa::templateNames()) {
            const bool document = n == QLatin1String("doctrasp") ||
                                  n == QLatin1String("ricevuta") ||
                                  n.startsWith(QLatin1String("fattura"));
            if (!document) {
                QTest::newRow(qPrintable(n)) << n << QString();
                continue;
            }
            for (const QString& d : documents)
                QTest::newRow(qPrintable(n + QLatin1Char(' ') + d)) << n << d;
        }
    }
    void rendersOnDemo() {
        QFETCH(QString, name);
        QFETCH(QString, documento);
        const QString folder = demo_->path() + QLatin1Char('/');
        const QString pdf = folder + name + QStringLiteral(".pdf");
        QStringList args{folder, name, pdf};
        if (!documento.isEmpty()) args << QStringLiteral("--documento") << documento;
        QString errors;
        QVERIFY2(stampa(args, &errors) == Stampa::Ok, qPrintable(errors));
        QVERIFY(QFileInfo(pdf).size() > 0);
    }
#endif

    void unknownTemplateNamesTheFile() {
        QString errors;
        QCOMPARE(stampa({folder_->path(), QStringLiteral("nonesiste"),
                         folder_->file(QStringLiteral("n.pdf"))},
                        &errors),
                 int(Stampa::Failed));
        QVERIFY2(errors.contains(QStringLiteral("nonesiste.frf")), qPrintable(errors));
    }
};

QTEST_MAIN(TstTemplates)
#include "tst_templates.moc"
