// The registry file and the CSV files: exact bytes against the expected files under golden/,
// the record header and quantity formats, the file names and messages, and what a failed or
// stopped export leaves behind.
#include <sys/mount.h>
#include <unistd.h>

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include "common/format.h"
#include "common/messages.h"
#include "data/database.h"
#include "stock/ansi.h"
#include "stock/esportacsv.h"
#include "stock/giornale.h"
#include "stock/vireg.h"
#include "support/testfolder.h"

namespace {

QDateTime at(int y, int mo, int d, int h, int mi, int s) {
    return QDateTime(QDate(y, mo, d), QTime(h, mi, s));
}
Orologio fermo(const QDateTime& t) {
    return [t] { return t; };
}
// One second more at every reading: each record shows its own stamp.
Orologio cheScorre(const QDateTime& start) {
    return [t = start]() mutable {
        const QDateTime now = t;
        t = t.addSecs(1);
        return now;
    };
}
QByteArray golden(const QString& name) {
    QFile f(QStringLiteral(VINORDA_GOLDEN "/") + name);
    if (!f.open(QIODevice::ReadOnly)) qFatal("missing %s", qPrintable(name));
    return f.readAll();
}
QByteArray readFile(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}
// Compared line by line first, so that a difference names its record.
void compareBytes(const QByteArray& actual, const QByteArray& expected) {
    QCOMPARE(actual.split('\n'), expected.split('\n'));
    QCOMPARE(actual, expected);
}
PeriodoViste marzo() {
    return PeriodoViste::daTesti(QStringLiteral("01/03/2025"), QStringLiteral("31/03/2025"));
}

}  // namespace

class TestEsportazione : public QObject {
    Q_OBJECT
    std::unique_ptr<TestFolder> tf;

    void codiceAzienda(const QString& code) {
        tf->db().exec(QStringLiteral("DELETE FROM Intesta"));
        tf->insert(QStringLiteral("Intesta"), {{QStringLiteral("CodiceAZ"), code}});
    }
    void cliente(const QStringList& v) {
        static const QStringList cols{
            "Codice",   "RagioneSociale", "Giur_Pers", "PartitaIVA", "CodiceFiscale", "Nome",
            "Cognome",  "Indirizzo",      "Ncivico",   "Citta",      "CAP",           "Prov",
            "SiglaNaz", "Telefono1",      "Telefono2", "Telefono3",  "FAX",           "Email"};
        QVariantMap m;
        for (int i = 0; i < cols.size(); ++i)
            m.insert(cols[i], i < v.size() && !v[i].isEmpty() ? QVariant(v[i]) : QVariant());
        tf->insert(QStringLiteral("Anagrafica"), m);
    }
    void prodotto(const QStringList& v, double litri) {
        static const QStringList cols{
            "Codice_prodotto", "Descrizione",      "Categoria", "Stato", "Bottiglia", "Zona",
            "Classificazione", "Atto_Certificato", "Annata",    "Lotto"};
        QVariantMap m{{QStringLiteral("Litri"), litri}};
        for (int i = 0; i < cols.size(); ++i)
            m.insert(cols[i], i < v.size() && !v[i].isNull() ? QVariant(v[i]) : QVariant());
        tf->insert(QStringLiteral("Prodotti"), m);
    }
    void movimento(const QDate& d, const QString& tipo, const QString& cod, double litri,
                   const QString& cliente = {}, const QString& doc = {},
                   const QVariant& riga = {}) {
        tf->insert(QStringLiteral("Giornale"),
                   {{QStringLiteral("Data_Ora"), d},
                    {QStringLiteral("Tipo"), tipo},
                    {QStringLiteral("Cod_vino"), cod},
                    {QStringLiteral("Litri"), litri},
                    {QStringLiteral("Cliente"), cliente.isEmpty() ? QVariant() : cliente},
                    {QStringLiteral("Docum_numero"), doc.isEmpty() ? QVariant() : doc},
                    {QStringLiteral("Riga_num"), riga}});
    }

    // Customers of every kind, products of every stock kind (one with no stock, one with a
    // packaging the table does not know), movements inside and outside March 2025.
    void dati() {
        codiceAzienda(QStringLiteral("AB12"));
        tf->insert(QStringLiteral("Imballi"),
                   {{QStringLiteral("Bottiglia"), "BT75"}, {QStringLiteral("Volume"), 0.75}});
        tf->insert(QStringLiteral("Imballi"),
                   {{QStringLiteral("Bottiglia"), "MAG"}, {QStringLiteral("Volume"), 1.5}});
        cliente({"C001", "Enoteca Rossi, Bianchi & C. s.r.l.", "G", "01234567890", "01234567890",
                 "Mario", "Rossi", "Via Roma", "12", "Conegliano", "31015", "TV", "IT",
                 "0438 123456", "", "", "0438 654321", "info@rossi.it"});
        cliente({"C002", "Bianchi Paolo", "P", "04877120261", "BNCPLA65M21M089Q", "Paolo",
                 "Bianchi", "Piazza Cavour", "3/A", "Vittorio Veneto", "31029", "TV", "IT",
                 "347 1122334", "", "", "", "paolo.bianchi@email.it"});
        cliente({"C003", "Cliente al banco", "X", "", "", "Anna", "Verdi"});
        cliente({"C004", "Senza tipo", ""});
        cliente({"C005", QString::fromUtf8("Bar \"Al Ponte\" \u2013 Caff\u00e8"), "G",
                 "01778990933", "", "", "", "Corso Italia", "1", "Cortina d'Ampezzo", "32043", "BL",
                 "IT", "0436 866800", QString::fromUtf8("\u260e 0436 866801"), "", "",
                 "bar@ponte.it"});
        prodotto({"VR01", "Rosso dei Colli", "21", "1", {}, "C1", "B", "2", "2023", "L23-01"},
                 12.5);
        prodotto({"BT01", "Prosecco Brut", "24", "2", "BT75", "C2", "A", "1", "", "L24-07"}, 9);
        prodotto({"GADG", "Cavatappi", "--", "0"}, 3);
        prodotto({"ZERO", "Bianco esaurito", "21", "1", {}, "A", "B", "2", "2024", "L24-02"}, 0);
        prodotto({"NOST", "Confezione regalo", "--", {}, "MAG"}, -2.5);
        prodotto({"MG01", "Magnum Riserva", "21", "2", "XXX", "C1", "A", "1", "2019", "L19-01"},
                 0.75);
        movimento(QDate(2025, 3, 9), "F", "VR01", 0.75, "C002", "F-2025-000004");
        movimento(QDate(2025, 3, 3), "B", "BT01", 4.5, "C001", "B-2025-000011", 42);
        movimento(QDate(2025, 3, 3), "B", "VR01", 20, "C001", "B-2025-000011", 41);
        movimento(QDate(2025, 3, 4), "N", "BT01", 4.5);
        movimento(QDate(2025, 3, 31), "N", "BT01", 4.5);
        movimento(QDate(2025, 3, 5), "N", "NOST", 1);
        movimento(QDate(2025, 3, 6), "N", "VR01", 1000);
        movimento(QDate(2025, 4, 1), "N", "VR01", 2);
        movimento(QDate(2025, 2, 28), "B", "VR01", 2, "C001", "B-2025-000010", 40);
        movimento(QDate(2025, 3, 7), "B", "NONE", 5, "C001", "B-2025-000012", 43);
    }

    QByteArray vireg(const SezioniVireg& s, const Orologio& clock, int* cambiati = nullptr) {
        QBuffer buf;
        buf.open(QIODevice::WriteOnly);
        ViregWriter w(tf->db(), marzo(), clock);
        const int c = w.scrivi(buf, s);
        if (cambiati) *cambiati = c;
        return buf.data();
    }

    static QStringList filesIn(const QString& dir) {
        return QDir(dir).entryList(QDir::Files | QDir::Hidden | QDir::System);
    }

private Q_SLOTS:
    void initTestCase() { installItalianLocale(); }
    void init() { tf = std::make_unique<TestFolder>(); }
    void cleanup() { tf.reset(); }

    // Every section, each record stamped when written.
    void registroCompleto() {
        dati();
        SezioniVireg s{true, true, true, true, true, QDate(2025, 1, 1)};
        int cambiati = 0;
        compareBytes(vireg(s, cheScorre(at(2025, 3, 31, 18, 5, 9)), &cambiati),
                     golden(QStringLiteral("vireg_tutte.txt")));
        QCOMPARE(cambiati, 1);  // the telephone sign of C005
    }

    // The header and the stock quantity, on a stock check line.
    void rigaGiacenza_data() {
        QTest::addColumn<QString>("codice");
        QTest::addColumn<double>("litri");
        QTest::addColumn<QByteArray>("riga");
        QTest::newRow("AB12, 12.5 litres")
            << "AB12" << 12.5
            << QByteArray(
                   "AB12    2017013118050900002SRECORSG &#001I&#00220170131&#003VR01"
                   "&#00500000000001250000&#008li&#009I&#\r\n");
        QTest::newRow("3 characters, 0.75 litres")
            << "ABC" << 0.75
            << QByteArray(
                   "ABC     2017013118050900002SRECORSG &#001I&#00220170131&#003VR01"
                   "&#00500000000000075000&#008li&#009I&#\r\n");
        QTest::newRow("10 characters cut to 8, 1000 litres")
            << "ABCDEFGHIJ" << 1000.0
            << QByteArray(
                   "ABCDEFGH2017013118050900002SRECORSG &#001I&#00220170131&#003VR01"
                   "&#00500000000100000000&#008li&#009I&#\r\n");
        QTest::newRow("no code, negative stock")
            << "" << -2.5
            << QByteArray(
                   "        2017013118050900002SRECORSG &#001I&#00220170131&#003VR01"
                   "&#005-00000000000250000&#008li&#009I&#\r\n");
        QTest::newRow("code with a character the file cannot hold")
            << QString::fromUtf8("\u0141\u00f3d\u017a") << 1.0
            << QByteArray(
                   "?\xf3"
                   "d?    2017013118050900002SRECORSG &#001I&#00220170131&#003VR01"
                   "&#00500000000000100000&#008li&#009I&#\r\n");
    }
    void rigaGiacenza() {
        QFETCH(QString, codice);
        QFETCH(double, litri);
        QFETCH(QByteArray, riga);
        codiceAzienda(codice);
        prodotto({"VR01", "Rosso", "21", "1"}, litri);
        prodotto({"VR02", "Esaurito", "21", "1"}, 0);
        SezioniVireg s;
        s.giacenze = true;
        int cambiati = 0;
        QCOMPARE(vireg(s, fermo(at(2017, 1, 31, 18, 5, 9)), &cambiati), riga);
        QCOMPARE(cambiati, riga.startsWith('?') ? 1 : 0);
    }

    // The CSV files of the same data, and the stock written twice in a row.
    void csvCompleti() {
        dati();
        QTemporaryDir out;
        const QString base = out.path() + QStringLiteral("/esportato_2025_03_31_18_05");
        ScriptedMessages msgs;
        const EsitoEsportazione e =
            esportaCsv(tf->db(), out.path() + QLatin1Char('/'), marzo(), {true, true, true, true},
                       fermo(at(2025, 3, 31, 18, 5, 9)));
        mostraEsito(e);
        QCOMPARE(msgs.texts, QStringList{MsgEsportazione::effettuata(base) + QLatin1Char('\n') +
                                         MsgEsportazione::caratteriCambiati(1)});
        for (const char* suffix : {"_CLI.csv", "_PRO.csv", "_MOV.csv", "_GIA.csv"})
            compareBytes(readFile(base + QString::fromLatin1(suffix)),
                         golden(QStringLiteral("csv") + QString::fromLatin1(suffix)));
        QCOMPARE(filesIn(out.path()).size(), 4);

        const EsitoEsportazione again =
            esportaCsv(tf->db(), out.path() + QLatin1Char('/'), marzo(), {false, true, false, true},
                       fermo(at(2025, 3, 31, 18, 6, 0)));
        QVERIFY(again.riuscita());
        const QString base2 = out.path() + QStringLiteral("/esportato_2025_03_31_18_06");
        QCOMPARE(readFile(base2 + QStringLiteral("_GIA.csv")),
                 golden(QStringLiteral("csv_GIA.csv")));
        QCOMPARE(readFile(base2 + QStringLiteral("_PRO.csv")),
                 golden(QStringLiteral("csv_PRO.csv")));
    }

    // File names, an empty choice, and an initial load without its date.
    void fileEMessaggi_data() {
        QTest::addColumn<bool>("registro");
        QTest::addColumn<bool>("carico");
        QTest::addColumn<QString>("data1");
        QTest::addColumn<QStringList>("files");
        QTest::addColumn<QString>("messaggio");
        const QString base = QStringLiteral("{F}esportato_2017_01_31_18_05");
        QTest::newRow("registry, nothing ticked: empty file")
            << true << false << "" << QStringList{"esportato_2017_01_31_18_05.txt"}
            << MsgEsportazione::effettuata(base + QStringLiteral(".txt"));
        QTest::newRow("CSV, nothing ticked: no file")
            << false << false << "" << QStringList{} << MsgEsportazione::effettuata(base);
        QTest::newRow("initial load without date")
            << true << true << "" << QStringList{} << MsgEsportazione::dataCaricoMancante();
        QTest::newRow("initial load with a wrong date")
            << true << true << "31/02/2025" << QStringList{}
            << GiornaleMovimenti::msgDataNonValida(QStringLiteral("31/02/2025"));
    }
    void fileEMessaggi() {
        QFETCH(bool, registro);
        QFETCH(bool, carico);
        QFETCH(QString, data1);
        QFETCH(QStringList, files);
        QFETCH(QString, messaggio);
        dati();
        QTemporaryDir out;
        const QString folder = out.path() + QLatin1Char('/');
        ScriptedMessages msgs;
        const Orologio clock = fermo(at(2017, 1, 31, 18, 5, 9));
        SezioniVireg s;
        s.carico = carico;
        const QString refused = carico ? controllaDataCarico(data1, &s.dataCarico) : QString();
        if (!refused.isEmpty()) {
            Mymsg::message(refused);  // what the window and the command line do
        } else {
            mostraEsito(registro ? esportaVireg(tf->db(), folder, marzo(), s, clock)
                                 : esportaCsv(tf->db(), folder, marzo(), {}, clock));
        }
        QCOMPARE(filesIn(folder), files);
        for (const QString& f : files) QCOMPARE(QFileInfo(folder + f).size(), 0);
        QCOMPARE(msgs.texts, QStringList{messaggio.replace(QLatin1String("{F}"), folder)});
        // The registry writer refuses it too, whoever calls it.
        if (carico) QVERIFY(!esportaVireg(tf->db(), folder, marzo(), s, clock).riuscita());
        QCOMPARE(filesIn(folder), files);
    }

    // A file that cannot be written leaves nothing under its name, says why, and no success.
    void scritturaFallita_data() {
        QTest::addColumn<QString>("caso");
        QTest::addColumn<bool>("registro");
        for (const char* caso : {"missing folder", "read-only folder", "full disk", "stopped"}) {
            QTest::newRow(qPrintable(QStringLiteral("%1, registry").arg(caso))) << caso << true;
            QTest::newRow(qPrintable(QStringLiteral("%1, CSV").arg(caso))) << caso << false;
        }
    }
    void scritturaFallita() {
        QFETCH(QString, caso);
        QFETCH(bool, registro);
        dati();
        QTemporaryDir dir;
        QString folder = dir.path() + QStringLiteral("/out/");
        QDir().mkpath(folder);
        bool mounted = false;
        auto unmount = qScopeGuard([&] {
            if (mounted) umount2(qPrintable(folder), MNT_DETACH);
        });
        if (caso == QLatin1String("missing folder")) {
            folder = dir.path() + QStringLiteral("/manca/");
        } else if (caso == QLatin1String("read-only folder")) {
            if (geteuid() == 0)
                mounted = mount("tmpfs", qPrintable(folder), "tmpfs", MS_RDONLY, "size=64k") == 0;
            else
                QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner);
            if (geteuid() == 0 && !mounted) QSKIP("no read-only mount here");
        } else if (caso == QLatin1String("full disk")) {
            if (geteuid() != 0) QSKIP("a small disk needs a mount, which needs root");
            mounted = mount("tmpfs", qPrintable(folder), "tmpfs", 0, "size=16k") == 0;
            if (!mounted) QSKIP("no tmpfs mount here");
            // Customers enough to fill the small disk.
            Database::Transaction tx(tf->db());
            for (int i = 0; i < 1500; ++i)
                cliente({QStringLiteral("F%1").arg(i), QStringLiteral("Cliente %1").arg(i), "G",
                         "01234567890", "", "", "", "Via Lunga della Collina", "100"});
            tx.commit();
        }
        const Avanzamento stop = [](qint64 fatte, qint64) { return fatte == 0; };
        const Avanzamento avanzamento = caso == QLatin1String("stopped") ? stop : Avanzamento();
        ScriptedMessages msgs;
        const Orologio clock = fermo(at(2017, 1, 31, 18, 5, 9));
        const EsitoEsportazione e =
            registro ? esportaVireg(tf->db(), folder, marzo(), {true, true, true, true, false, {}},
                                    clock, avanzamento)
                     : esportaCsv(tf->db(), folder, marzo(), {true, true, true, true}, clock,
                                  avanzamento);
        mostraEsito(e);
        QVERIFY(!e.riuscita());
        QCOMPARE(e.file, QStringList{});
        QCOMPARE(filesIn(folder), QStringList{});
        QCOMPARE(msgs.texts.size(), 1);
        QVERIFY(!msgs.last().contains(QStringLiteral("effettuata")));
        if (caso == QLatin1String("stopped")) {
            QCOMPARE(msgs.last(), MsgEsportazione::annullata());
        } else {
            const QString first = registro ? e.nome : e.nome + QStringLiteral("_CLI.csv");
            QVERIFY2(msgs.last().startsWith(QStringLiteral("   Impossibile scrivere il file ") +
                                            first + QStringLiteral(": ")),
                     qPrintable(msgs.last()));
        }
    }

    // Windows-1252 bytes: the code page's own characters kept, the others become "?", counted
    // once per value; CSV values get their quotes doubled.
    void ansi_data() {
        QTest::addColumn<QString>("testo");
        QTest::addColumn<bool>("csv");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("cambiati");
        QTest::newRow("0x80..0x9F") << QString::fromUtf8("€ – — ‘’ “” … Œœ Šš Žž Ÿ ƒ ™ •") << false
                                    << QByteArray(
                                           "\x80 \x96 \x97 \x91\x92 \x93\x94 \x85 \x8c\x9c "
                                           "\x8a\x9a \x8e\x9e \x9f \x83 \x99 \x95")
                                    << 0;
        QTest::newRow("outside the code page") << QString::fromUtf8("Łódź ☎ 😀") << false
                                               << QByteArray(
                                                      "?\xf3"
                                                      "d? ? ?")
                                               << 1;
        QTest::newRow("C1 control") << QString(QChar(0x81)) << false << QByteArray("?") << 1;
        QTest::newRow("quotes doubled")
            << "Bar \"Ai Pini\"" << true << QByteArray("Bar \"\"Ai Pini\"\"") << 0;
    }
    void ansi() {
        QFETCH(QString, testo);
        QFETCH(bool, csv);
        QFETCH(QByteArray, bytes);
        QFETCH(int, cambiati);
        // Stored values come as UTF-8, the company code as text: both the same.
        for (bool utf8 : {true, false}) {
            QBuffer buf;
            buf.open(QIODevice::WriteOnly);
            AnsiWriter w(buf);
            if (utf8)
                w.value(testo.toUtf8(), csv);
            else
                w.value(QStringView(testo), csv);
            w.value(QByteArrayView("ok"));
            w.finish();
            QCOMPARE(buf.data(), bytes + "ok");
            QCOMPARE(w.changedValues(), cambiati);
        }
    }
};

QTEST_GUILESS_MAIN(TestEsportazione)
#include "tst_esportazione.moc"
