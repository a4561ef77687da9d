// The sales panel without windows: the grid's arithmetic and placement, cell colours, the
// keypad, the selection of a product by its stock kind, the lines of the sale, the receipt
// number and the receipt run (discharge only after a real print, all or nothing).
#include <QSqlQuery>
#include <QTest>

#include "common/format.h"
#include "common/messages.h"
#include "panel/griglia.h"
#include "panel/vendita.h"
#include "support/testfolder.h"
#include "vendi.h"

namespace {
QVariant nullable(const QString& s) {
    return s.isEmpty() ? QVariant() : QVariant(s);
}
}  // namespace

class TestPanelRules : public QObject {
    Q_OBJECT
    std::unique_ptr<TestFolder> tf;

    void prodotto(const QString& codice, const QString& breve, const QString& stato,
                  const QString& bottiglia, double litri, double prezzo, int pos = 0) {
        tf->insert(QStringLiteral("Prodotti"),
                   {{QStringLiteral("Codice_prodotto"), codice},
                    {QStringLiteral("Nome_breve"), breve},
                    {QStringLiteral("Descrizione"), QStringLiteral("Vino ") + codice},
                    {QStringLiteral("UM"), QStringLiteral("nr")},
                    {QStringLiteral("Stato"), nullable(stato)},
                    {QStringLiteral("Bottiglia"), nullable(bottiglia)},
                    {QStringLiteral("Litri"), litri},
                    {QStringLiteral("Prezzo_sinottico"), prezzo},
                    {QStringLiteral("Pos_Griglia"), pos ? QVariant(pos) : QVariant()}});
    }
    double giacenza(const QString& codice) {
        return tf
            ->value(QStringLiteral("SELECT Litri FROM Prodotti WHERE Codice_prodotto = ?"),
                    {codice})
            .toDouble();
    }

private Q_SLOTS:
    void initTestCase() { installItalianLocale(); }
    void init() {
        tf = std::make_unique<TestFolder>();
        tf->insert(QStringLiteral("Imballi"),
                   {{QStringLiteral("Bottiglia"), "075"}, {QStringLiteral("Volume"), 0.75}});
    }
    void cleanup() { tf.reset(); }

    void misure_data() {
        QTest::addColumn<int>("a");
        QTest::addColumn<int>("b");
        QTest::addColumn<int>("x");
        QTest::addColumn<int>("y");
        QTest::addColumn<QList<int>>("expected");  // W, H, L0, T0
        QTest::newRow("1000x600 4x3, 4.5 to even")
            << 1000 << 600 << 4 << 3 << QList<int>{248, 197, 4, 4};
        QTest::newRow("5.5 to even") << 1003 << 600 << 4 << 3 << QList<int>{248, 197, 6, 4};
        QTest::newRow("1024x768 panel 10x8") << 732 << 650 << 10 << 8 << QList<int>{72, 80, 6, 5};
        QTest::newRow("0 columns is one") << 100 << 100 << 0 << 1 << QList<int>{92, 92, 4, 4};
        QTest::newRow("60 columns is fifty") << 508 << 100 << 60 << 1 << QList<int>{10, 92, 4, 4};
        QTest::newRow("area smaller than margins") << 5 << 5 << 2 << 2 << QList<int>{0, 0, 2, 2};
    }
    void misure() {
        QFETCH(int, a);
        QFETCH(int, b);
        QFETCH(int, x);
        QFETCH(int, y);
        QFETCH(QList<int>, expected);
        const MisureGriglia m = misure_griglia(a, b, x, y);
        QCOMPARE((QList<int>{m.larghezza, m.altezza, m.sinistra, m.alto}), expected);
    }

    void dimensioni_data() {
        QTest::addColumn<QVariant>("gx");
        QTest::addColumn<QVariant>("gy");
        QTest::addColumn<int>("x");
        QTest::addColumn<int>("y");
        QTest::newRow("stored 6x5") << QVariant(6) << QVariant(5) << 6 << 5;
        QTest::newRow("empty and zero") << QVariant() << QVariant(0) << 1 << 1;
        QTest::newRow("negative and too many") << QVariant(-3) << QVariant(51) << 1 << 50;
    }
    void dimensioni() {
        QFETCH(QVariant, gx);
        QFETCH(QVariant, gy);
        tf->insert(QStringLiteral("Intesta"),
                   {{QStringLiteral("Griglia_X"), gx}, {QStringLiteral("Griglia_Y"), gy}});
        const DimensioniGriglia d = dimensioni_griglia(tf->db());
        QTEST(d.x, "x");
        QTEST(d.y, "y");
    }

    // Captions of a 5 x 2 grid, cell by cell; "-" marks a blank, inert cell.
    void placement_data() {
        QTest::addColumn<QStringList>("prodotti");  // code:place, in table order
        QTest::addColumn<QString>("captions");
        QTest::newRow("places 1, 6, 12")
            << QStringList{"P1:1", "P6:6", "P12:12"} << "P1 - - - - P6 - - - -";
        QTest::newRow("two on one cell: smaller code, case ignored")
            << QStringList{"b2:3", "A1:3", "C3:3"} << "- - A1 - - - - - - -";
        QTest::newRow("no place, zero, negative")
            << QStringList{"N:0", "M:-1", "Q:10"} << "- - - - - - - - - Q";
    }
    void placement() {
        QFETCH(QStringList, prodotti);
        QVector<ProdottoGriglia> in;
        for (const QString& p : prodotti) {
            const QStringList kv = p.split(QLatin1Char(':'));
            prodotto(kv[0], kv[0], QStringLiteral("1"), {}, 10, 1, kv[1].toInt());
        }
        QStringList got;
        for (const CellaGriglia& c : celle_griglia(prodotti_griglia(tf->db(), 10), 5, 2)) {
            QCOMPARE(c.prodotto, !c.caption.isEmpty());
            got << (c.prodotto ? c.caption : QStringLiteral("-"));
        }
        QTEST(got.join(QLatin1Char(' ')), "captions");
    }

    void colori_data() {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<int>("rgb");  // -1: the window's own colour
        QTest::newRow("written by the products window") << "0x000000FF" << 0xFF0000;
        QTest::newRow("dollar hex") << "$0000FF00" << 0x00FF00;
        QTest::newRow("decimal") << "16711680" << 0x0000FF;
        QTest::newRow("a name offered") << "verde chiaro" << 0x90EE90;
        QTest::newRow("empty") << "" << -1;
        QTest::newRow("system colour") << "0x8000000F" << -1;
        QTest::newRow("not a colour") << "clAzzurrino" << -1;
        QTest::newRow("bad digits") << "0x00GG00" << -1;
    }
    void colori() {
        QFETCH(QString, stored);
        QFETCH(int, rgb);
        const std::optional<unsigned> c = colore_cella(stored);
        QCOMPARE(c ? int(*c) : -1, rgb);
    }

    // Keys pressed ("C" the clear key), with a product of 66 available selected.
    void tastiera_data() {
        QTest::addColumn<QString>("tasti");
        QTest::addColumn<QString>("ingresso");
        QTest::addColumn<double>("quantita");
        QTest::addColumn<bool>("scarica");
        QTest::newRow("1 , 5") << "1,5"
                               << "1,5" << 1.5 << true;
        QTest::newRow("second comma ignored") << "1,,5,"
                                              << "1,5" << 1.5 << true;
        QTest::newRow("0 0") << "00"
                             << "00" << 0.0 << false;
        QTest::newRow("comma first") << ",5"
                                     << ",5" << 0.5 << true;
        QTest::newRow("all available") << "66"
                                       << "66" << 66.0 << true;
        QTest::newRow("one too many") << "67"
                                      << "67" << 67.0 << false;
        QTest::newRow("cleared") << "12C3"
                                 << "3" << 3.0 << true;
    }
    void tastiera() {
        QFETCH(QString, tasti);
        prodotto(QStringLiteral("B"), QStringLiteral("Bott"), QStringLiteral("2"),
                 QStringLiteral("075"), 50, 8.5);
        VenditaInCorso v(tf->db());
        v.Seleziona(QStringLiteral("Bott"));
        for (QChar c : tasti) {
            if (c == QLatin1Char(','))
                v.Inserisce_virgola();
            else if (c == QLatin1Char('C'))
                v.azzera_ingresso();
            else
                v.Inserisce_numeri(QString(c));
        }
        QTEST(v.ingresso, "ingresso");
        QTEST(v.quantita_digitata, "quantita");
        QTEST(v.regola_scarica(), "scarica");
    }

    // Selection by stock kind and the line "SCARICA" stores.
    void seleziona_data() {
        QTest::addColumn<QString>("stato");
        QTest::addColumn<QString>("bottiglia");
        QTest::addColumn<double>("litri");
        QTest::addColumn<double>("prezzo");
        QTest::addColumn<QString>("breve");  // tapped
        QTest::addColumn<QString>("tasti");
        QTest::addColumn<QString>("tipo");
        QTest::addColumn<QString>("disponibile");
        QTest::addColumn<bool>("scarica");
        QTest::addColumn<QList<double>>("riga");  // Quantita, Litri_per_unita, Volume, TOTALE
        QTest::newRow("bottled, 6 of 66") << "2"
                                          << "075" << 50.0 << 8.5 << "X"
                                          << "6"
                                          << "imbott. litri"
                                          << "66" << true << QList<double>{6, 0.75, 4.5, 51};
        QTest::newRow("bottled, 67 of 66") << "2"
                                           << "075" << 50.0 << 8.5 << "X"
                                           << "67"
                                           << "imbott. litri"
                                           << "66" << false << QList<double>{};
        QTest::newRow("bulk, 2,5") << "1"
                                   << "" << 120.5 << 3.2 << "X"
                                   << "2,5"
                                   << "sfuso litri"
                                   << "120,5" << true << QList<double>{2.5, 1, 2.5, 8};
        QTest::newRow("no stock kept") << "0"
                                       << "" << 0.0 << 4.5 << "X"
                                       << "999999"
                                       << ""
                                       << "" << true << QList<double>{999999, 0, 0, 4499995.5};
        QTest::newRow("no stock kind") << ""
                                       << "" << 12.0 << 1.0 << "X"
                                       << "3"
                                       << ""
                                       << "12" << true << QList<double>{3, 1, 3, 3};
        QTest::newRow("short name gone") << "1"
                                         << "" << 10.0 << 1.0 << "Y"
                                         << "1"
                                         << ""
                                         << "" << false << QList<double>{};
    }
    void seleziona() {
        QFETCH(QString, stato);
        QFETCH(QString, bottiglia);
        QFETCH(double, litri);
        QFETCH(double, prezzo);
        QFETCH(QString, breve);
        QFETCH(QString, tasti);
        QFETCH(QList<double>, riga);
        prodotto(QStringLiteral("VX"), QStringLiteral("X"), stato, bottiglia, litri, prezzo);
        VenditaInCorso v(tf->db());
        v.apri();
        QCOMPARE(vendi(v, breve, tasti), !riga.isEmpty());
        QTEST(v.tipo_SB, "tipo");
        QTEST(v.disponibile, "disponibile");
        QCOMPARE(v.righe().size(), riga.isEmpty() ? 0 : 1);
        if (riga.isEmpty()) {
            QTEST(v.regola_scarica(), "scarica");
            QCOMPARE(v.ingresso, tasti);  // a refused line keeps the entry
            return;
        }
        const RigaVendita r = v.righe().first();
        QCOMPARE((QList<double>{r.quantita, r.litriPerUnita, r.volume, r.totale}), riga);
        QCOMPARE(r.codVino, QStringLiteral("VX"));
        QCOMPARE(r.codiceBreve, QStringLiteral("X"));
        QCOMPARE(r.stato, stato);
        QCOMPARE(v.ultimo, tasti + QStringLiteral(" Vino VX"));
        QCOMPARE(v.ingresso, QString());
        QVERIFY(!v.regola_scarica());
        QCOMPARE(v.totaleTesto(), formatFloat(QStringLiteral("0.00"), r.totale));
    }

    // Typing 5, then a product with only 3, then back to one with 10.
    void limiteSegueLaScelta() {
        prodotto(QStringLiteral("A"), QStringLiteral("Tre"), QStringLiteral("1"), {}, 3, 1);
        prodotto(QStringLiteral("B"), QStringLiteral("Dieci"), QStringLiteral("1"), {}, 10, 1);
        VenditaInCorso v(tf->db());
        v.Inserisce_numeri(QStringLiteral("5"));
        v.Seleziona(QStringLiteral("Tre"));
        QVERIFY(!v.regola_scarica());
        v.Seleziona(QStringLiteral("Dieci"));
        QVERIFY(v.regola_scarica());
        QCOMPARE(v.quantita_digitata, 5.0);
    }

    // Lines removed one by one, the sale cleared, and the sale kept across a restart.
    void righeTotaleESvuota() {
        prodotto(QStringLiteral("A"), QStringLiteral("A"), QStringLiteral("1"), {}, 100, 2.5);
        tf->insert(QStringLiteral("Appoggio_I"),
                   {{QStringLiteral("Intesta1"), "Rossi"}, {QStringLiteral("Docum_numero"), "41"}});
        {
            VenditaInCorso v(tf->db());
            v.apri();
            QVERIFY(vendi(v, QStringLiteral("A"), QStringLiteral("2")));
            QVERIFY(vendi(v, QStringLiteral("A"), QStringLiteral("4")));
            QCOMPARE(v.totaleTesto(), QStringLiteral("15,00"));
            v.chiudi();
        }
        VenditaInCorso v(tf->db());  // the program started again
        v.apri();
        QCOMPARE(v.appoggio_R.recordCount(), 2);
        QCOMPARE(v.totaleTesto(), QStringLiteral("15,00"));
        QVERIFY(!v.elimina_riga(-1));
        QVERIFY(v.elimina_riga(v.righe().first().id));
        QCOMPARE(v.totaleTesto(), QStringLiteral("10,00"));
        QVERIFY(v.elimina_riga(v.righe().first().id));
        QCOMPARE(v.totaleTesto(), QString());
        QVERIFY(vendi(v, QStringLiteral("A"), QStringLiteral("1")));
        v.svuota_vendita();
        QVERIFY(v.vuota());
        QCOMPARE(v.totaleTesto(), QString());
        QCOMPARE(tf->value(QStringLiteral("SELECT Intesta1 || '|' || Docum_numero FROM "
                                          "Appoggio_I")),
                 QVariant(QStringLiteral("|41")));
    }

    void numero_data() {
        QTest::addColumn<QString>("prima");
        QTest::addColumn<QString>("dopo");
        QTest::newRow("41") << "41"
                            << "42";
        QTest::newRow("leading zeros") << "0041"
                                       << "42";
        QTest::newRow("letters") << "A41"
                                 << "A41";
        QTest::newRow("empty") << ""
                               << "";
        QTest::newRow("fraction") << "4,5"
                                  << "4,5";
        QTest::newRow("blanks") << " 41 "
                                << "42";
        QTest::newRow("next too long") << "9999999999999"
                                       << "9999999999999";
    }
    void numero() {
        QFETCH(QString, prima);
        QTEST(VenditaInCorso::numero_successivo(prima), "dopo");
    }

    // Three lines, one not tracked, two of the same bottled product; then the receipt printed,
    // refused by the spooler, or failing in the database halfway.
    void scontrino_data() {
        QTest::addColumn<bool>("stampato");
        QTest::addColumn<bool>("erroreGiornale");
        QTest::newRow("printed") << true << false;
        QTest::newRow("not printed") << false << false;
        QTest::newRow("database error while discharging") << true << true;
    }
    void scontrino() {
        QFETCH(bool, stampato);
        QFETCH(bool, erroreGiornale);
        prodotto(QStringLiteral("BOT"), QStringLiteral("Bott"), QStringLiteral("2"),
                 QStringLiteral("075"), 50, 8.5);
        prodotto(QStringLiteral("GRA"), QStringLiteral("Grappa"), QStringLiteral("0"), {}, 0, 16);
        tf->insert(QStringLiteral("Appoggio_I"), {{QStringLiteral("Docum_numero"), "0041"}});
        VenditaInCorso v(tf->db());
        v.apri();
        QVERIFY(vendi(v, QStringLiteral("Bott"), QStringLiteral("6")));
        QVERIFY(vendi(v, QStringLiteral("Grappa"), QStringLiteral("1")));
        QVERIFY(vendi(v, QStringLiteral("Bott"), QStringLiteral("2")));
        const QDate datamov(2025, 12, 31);
        v.prepara_intestazione(datamov);
        v.appoggio_I.field(QStringLiteral("Intesta1")).setValue(QStringLiteral("Sig. Rossi"));
        v.appoggio_I.post();
        if (erroreGiornale)
            tf->db().failNextStatementContaining(QStringLiteral("INSERT INTO Giornale"));
        int stampe = 0;
        auto stampa = [&] {
            // The template reads the whole sale while it is still in the tables.
            ++stampe;
            [&] {
                QCOMPARE(v.appoggio_R.recordCount(), 3);
                QCOMPARE(v.appoggio_I.field(QStringLiteral("Intesta1")).asString(),
                         QStringLiteral("Sig. Rossi"));
                QCOMPARE(v.appoggio_I.field(QStringLiteral("Data")).asDateTime(),
                         QDateTime(datamov, QTime(0, 0)));
                QCOMPARE(v.Somma.field(QStringLiteral("TOT")).displayText(),
                         QStringLiteral("84,00"));
            }();
            return stampato;
        };
        bool errore = false;
        VenditaInCorso::Scontrino esito = VenditaInCorso::Scontrino::NienteDaStampare;
        try {
            esito = v.stampa_scontrino(datamov, stampa);
        } catch (const DatabaseError&) {
            errore = true;
        }
        QCOMPARE(stampe, 1);
        QCOMPARE(errore, erroreGiornale);
        const bool fatto = stampato && !erroreGiornale;
        if (!erroreGiornale)
            QCOMPARE(esito, stampato ? VenditaInCorso::Scontrino::Stampato
                                     : VenditaInCorso::Scontrino::NonStampato);
        // All or nothing: stock, journal, lines and receipt number.
        QCOMPARE(giacenza(QStringLiteral("BOT")), fatto ? 44.0 : 50.0);
        QCOMPARE(v.appoggio_R.recordCount(), fatto ? 0 : 3);
        QCOMPARE(v.totaleTesto(), fatto ? QString() : QStringLiteral("84,00"));
        QCOMPARE(tf->value(QStringLiteral("SELECT Docum_numero FROM Appoggio_I")).toString(),
                 fatto ? QStringLiteral("42") : QStringLiteral("0041"));
        QCOMPARE(tf->value(QStringLiteral("SELECT Intesta1 FROM Appoggio_I")).toString(),
                 fatto ? QString() : QStringLiteral("Sig. Rossi"));
        QSqlQuery q = tf->db().select(QStringLiteral(
            "SELECT Data_Ora, Cod_vino, Litri, Cliente IS NULL AND Docum_numero IS NULL AND "
            "Riga_num IS NULL, Tipo FROM Giornale ORDER BY ID"));
        QStringList giornale;
        while (q.next())
            giornale << QStringLiteral("%1 %2 %3 %4 %5")
                            .arg(q.value(0).toString(), q.value(1).toString())
                            .arg(q.value(2).toDouble())
                            .arg(q.value(3).toInt())
                            .arg(q.value(4).toString());
        const QStringList righeGiornale{"2025-12-31 00:00:00 BOT 4.5 1 N",
                                        "2025-12-31 00:00:00 BOT 1.5 1 N"};
        QCOMPARE(giornale, fatto ? righeGiornale : QStringList());
    }
};

QTEST_GUILESS_MAIN(TestPanelRules)
#include "tst_panel_rules.moc"
