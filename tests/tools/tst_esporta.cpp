// vinorda-dati esporta: the same bytes as the journal window's exports for the period given, the
// export folder of vinorda.ini, and the refusals of bad input with their codes.
#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include "common/format.h"
#include "common/inifile.h"
#include "esporta.h"
#include "stock/esportacsv.h"
#include "stock/vireg.h"
#include "support/testfolder.h"

namespace {
struct Result {
    int code;
    QString out;
    QString err;
};
const QDateTime kNow(QDate(2025, 3, 31), QTime(18, 5, 9));
Result runTool(const QStringList& args) {
    QString out, err;
    QTextStream o(&out), e(&err);
    const int rc = Esporta::run(args, o, e, [] { return kNow; });
    o.flush();
    e.flush();
    return {rc, out, err};
}
QByteArray readFile(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}
}  // namespace

class TstEsporta : public QObject {
    Q_OBJECT
    std::unique_ptr<TestFolder> tf;
    QTemporaryDir other;

    void setting(const QString& esportazione) {
        IniFile ini;
        ini.setValue(QStringLiteral("TfrmIntesta"), QStringLiteral("esportazione_Text"),
                     esportazione);
        QVERIFY(ini.saveAs(tf->file(QStringLiteral("vinorda.ini"))));
    }
    QStringList replaced(QStringList args) {
        for (QString& a : args) {
            a.replace(QLatin1String("DIR/"), tf->path());
            a.replace(QLatin1String("OTHER/"), other.path() + QLatin1Char('/'));
        }
        return args;
    }

private Q_SLOTS:
    void initTestCase() { installItalianLocale(); }
    void init() {
        tf = std::make_unique<TestFolder>();
        tf->insert(QStringLiteral("Intesta"), {{QStringLiteral("CodiceAZ"), "AB12"}});
        tf->insert(QStringLiteral("Anagrafica"), {{QStringLiteral("Codice"), "C1"},
                                                  {QStringLiteral("RagioneSociale"), "Uno"},
                                                  {QStringLiteral("Giur_Pers"), "G"}});
        tf->insert(QStringLiteral("Prodotti"), {{QStringLiteral("Codice_prodotto"), "VR01"},
                                                {QStringLiteral("Stato"), "1"},
                                                {QStringLiteral("Litri"), 12.5}});
        for (int day : {3, 5, 28})
            tf->insert(QStringLiteral("Giornale"),
                       {{QStringLiteral("Data_Ora"), QDate(2025, 3, day)},
                        {QStringLiteral("Cod_vino"), "VR01"},
                        {QStringLiteral("Litri"), 1.5},
                        {QStringLiteral("Tipo"), day == 3 ? "B" : "N"},
                        {QStringLiteral("Docum_numero"),
                         day == 3 ? QVariant("B-2025-000001") : QVariant()}});
        QDir().mkpath(tf->file(QStringLiteral("esportazione")));
        setting(QStringLiteral("esportazione"));
    }
    void cleanup() { tf.reset(); }

    // The files land where the window would put them, with the window's bytes.
    void files_data() {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("setting");
        QTest::addColumn<QString>("folder");  // where the files go
        QTest::addColumn<bool>("vireg");
        QTest::addColumn<QStringList>("sezioni");
        const QStringList period{"--dal", "1/3/2025", "--al", "27/03/2025"};
        QTest::newRow("registry, default sections, relative setting")
            << QStringList{"DIR/", "vireg"} + period << "esportazione"
            << "DIR/esportazione/" << true
            << QStringList{"clienti", "prodotti", "movimenti", "giacenze"};
        QTest::newRow("registry, initial load, empty setting: the data folder")
            << QStringList{"DIR/",          "vireg",     "--sezioni", "giacenze,carico",
                           "--data-carico", "01/01/2025"} +
                   period
            << ""
            << "DIR/" << true << QStringList{"giacenze", "carico"};
        QTest::newRow("CSV, two files, --cartella")
            << QStringList{"DIR/",       "csv",   "--sezioni", "movimenti,giacenze",
                           "--cartella", "OTHER/"} +
                   period
            << "esportazione"
            << "OTHER/" << false << QStringList{"movimenti", "giacenze"};
    }
    void files() {
        QFETCH(QStringList, args);
        QFETCH(QString, setting);
        QFETCH(QString, folder);
        QFETCH(bool, vireg);
        QFETCH(QStringList, sezioni);
        this->setting(setting);
        folder = replaced({folder}).first();
        const Result r = runTool(replaced(args));
        QCOMPARE(r.code, 0);
        QCOMPARE(r.err, QString());

        // What the window writes for the same period and boxes, into a folder of its own.
        QTemporaryDir window;
        const QString wf = window.path() + QLatin1Char('/');
        const PeriodoViste periodo =
            PeriodoViste::daTesti(QStringLiteral("01/03/2025"), QStringLiteral("27/03/2025"));
        auto ha = [&](const char* s) { return sezioni.contains(QString::fromLatin1(s)); };
        const auto clock = [] { return kNow; };
        const EsitoEsportazione e =
            vireg ? esportaVireg(tf->db(), wf, periodo,
                                 {ha("clienti"), ha("prodotti"), ha("movimenti"), ha("giacenze"),
                                  ha("carico"), QDate(2025, 1, 1)},
                                 clock)
                  : esportaCsv(tf->db(), wf, periodo,
                               {ha("clienti"), ha("prodotti"), ha("movimenti"), ha("giacenze")},
                               clock);
        QVERIFY(e.riuscita());
        QStringList printed;
        for (const QString& f : e.file) {
            const QString name = QFileInfo(f).fileName();
            printed << folder + name;
            QCOMPARE(readFile(folder + name), readFile(f));
        }
        QCOMPARE(r.out, printed.join(QLatin1Char('\n')) + QLatin1Char('\n'));
        QCOMPARE(tf->count(QStringLiteral("Giornale")), 3);  // nothing deleted
    }

    void refusals_data() {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("error");
        const QStringList period{"--dal", "01/03/2025", "--al", "31/03/2025"};
        QTest::newRow("no period") << QStringList{"DIR/", "vireg"} << 2 << "--dal e --al";
        QTest::newRow("not a date")
            << QStringList{"DIR/", "csv", "--dal", "32/01/2025", "--al", "31/03/2025"} << 2
            << "\"32/01/2025\" non è una data valida";
        QTest::newRow("end before start")
            << QStringList{"DIR/", "csv", "--dal", "31/03/2025", "--al", "01/03/2025"} << 2
            << "precede";
        QTest::newRow("unknown section")
            << QStringList{"DIR/", "vireg", "--sezioni", "clienti,vini"} + period << 2
            << "sezione sconosciuta vini";
        QTest::newRow("initial load in CSV")
            << QStringList{"DIR/", "csv", "--sezioni", "carico"} + period << 2
            << "sezione sconosciuta carico";
        QTest::newRow("initial load without its date")
            << QStringList{"DIR/", "vireg", "--sezioni", "carico"} + period << 2
            << "carico iniziale";
        QTest::newRow("no database")
            << QStringList{"OTHER/", "vireg"} + period << 5 << "non contiene database.mdb";
        QTest::newRow("missing destination")
            << QStringList{"DIR/", "vireg", "--cartella", "OTHER/manca"} + period << 4
            << "non esiste";
    }
    void refusals() {
        QFETCH(QStringList, args);
        QFETCH(int, code);
        QFETCH(QString, error);
        const Result r = runTool(replaced(args));
        QCOMPARE(r.code, code);
        QVERIFY2(r.err.contains(error), qPrintable(r.err));
        QCOMPARE(r.out, QString());
        QCOMPARE(QDir(tf->file(QStringLiteral("esportazione"))).entryList(QDir::Files),
                 QStringList{});
    }
};

QTEST_GUILESS_MAIN(TstEsporta)
#include "tst_esporta.moc"
