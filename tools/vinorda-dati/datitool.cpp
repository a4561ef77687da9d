#include "datitool.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryFile>
#include <QVariantList>
#include <cmath>
#include <memory>
#include <optional>

#include "common/inifile.h"
#include "common/paths.h"
#include "copie.h"
#include "data/database.h"
#include "data/schema.h"
#include "documents/duedates.h"
#include "documents/kinds.h"
#include "documents/lines.h"
#include "documents/service.h"
#include "documents/totals.h"
#include "masterdata/masterdata_rules.h"

#ifndef VINORDA_DATA_DIR
#define VINORDA_DATA_DIR ""
#endif

namespace DatiTool {

QString sourceDataDir() {
    const QString env = qEnvironmentVariable("VINORDA_DATA_DIR");
    return env.isEmpty() ? QStringLiteral(VINORDA_DATA_DIR) : env;
}

namespace {

// One prepared INSERT for many rows: values bound, text lengths checked against the schema,
// currency given as a double and stored in ten-thousandths.
class Inserter {
public:
    Inserter(Database& db, const QString& table, const QStringList& columns)
        : table_(table), columns_(columns), query_(db.connection()) {
        QStringList marks;
        for (const QString& c : columns) {
            marks << QStringLiteral("?");
            const FieldDef* f = Schema::field(table, c);
            if (!f) throw DatabaseError(QStringLiteral("Campo %1.%2 sconosciuto").arg(table, c));
            defs_ << f;
        }
        if (!query_.prepare(
                QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                    .arg(table, columns.join(QLatin1Char(',')), marks.join(QLatin1Char(',')))))
            throw DatabaseError(query_.lastError().text());
    }
    qint64 add(const QVariantList& values) {
        if (values.size() != columns_.size())
            throw DatabaseError(QStringLiteral("%1: numero di valori errato").arg(table_));
        for (int i = 0; i < values.size(); ++i) query_.bindValue(i, convert(i, values[i]));
        if (!query_.exec()) throw DatabaseError(query_.lastError().text());
        return query_.lastInsertId().toLongLong();
    }

private:
    QVariant convert(int i, const QVariant& v) const {
        const FieldDef* f = defs_[i];
        if (!v.isValid() || v.isNull()) return v;
        switch (f->type) {
            case FieldType::Text:
                if (f->size > 0 && v.toString().size() > f->size)
                    throw DatabaseError(QStringLiteral("Il campo %1 supera i %2 caratteri: %3")
                                            .arg(f->name)
                                            .arg(f->size)
                                            .arg(v.toString()));
                return v.toString();
            case FieldType::Currency:
                return qint64(std::llround(v.toDouble() * 10000.0));
            default:
                return Database::bindValue(v);
        }
    }
    QString table_;
    QStringList columns_;
    QVector<const FieldDef*> defs_;
    QSqlQuery query_;
};

QStringList cols(const char* list) {
    return QString::fromLatin1(list).split(QLatin1Char(' '), Qt::SkipEmptyParts);
}

// Half away from zero, to the cent.
double cents(double v) {
    return std::round(v * 100.0) / 100.0;
}

void fillFixedTables(Database& db, bool demo) {
    Inserter intesta(db, QStringLiteral("Intesta"),
                     cols("RagioneSociale Indirizzo Citta Partita_IVA Aspetto Causale CodiceAZ "
                          "Griglia_X Griglia_Y"));
    const QString aspetto = QStringLiteral("Sfuso,Bottiglie,Cartoni,Damigiane,Bag in box");
    const QString causale = QStringLiteral("Vendita,Conto visione,Omaggio,Reso,Campionatura");
    if (demo)
        intesta.add({QStringLiteral("Cantina Colle Aurelio s.s. agricola"),
                     QStringLiteral("Via delle Vigne 14"),
                     QStringLiteral("31020 San Pietro di Feletto (TV)"),
                     QStringLiteral("IT04512870263"), aspetto, causale, QStringLiteral("TV0412345"),
                     5, 4});
    else
        intesta.add(
            {QString(), QString(), QString(), QString(), aspetto, causale, QString(), 5, 4});

    Inserter iva(db, QStringLiteral("IVA"), cols("Ordine IVA Nota_fin"));
    iva.add({1, QStringLiteral("22"), QString()});
    iva.add({2, QStringLiteral("10"), QString()});
    iva.add({3, QStringLiteral("4"), QString()});
    iva.add({4, QStringLiteral("ES"), QStringLiteral("Operazione esente art. 10 D.P.R. 633/72")});
    iva.add({5, QStringLiteral("NI"),
             QStringLiteral("Non imponibile art. 8 c.1 lett. a) D.P.R. 633/72")});

    Inserter imballi(db, QStringLiteral("Imballi"), cols("Bottiglia Descrizione Volume"));
    imballi.add({QStringLiteral("075"), QStringLiteral("Bottiglia 0,75 l"), 0.75});
    imballi.add({QStringLiteral("150"), QStringLiteral("Magnum 1,5 l"), 1.5});
    imballi.add({QStringLiteral("0375"), QStringLiteral("Mezza bottiglia 0,375 l"), 0.375});
    imballi.add({QStringLiteral("BIB5"), QStringLiteral("Bag in box 5 l"), 5.0});
    imballi.add({QStringLiteral("BIB10"), QStringLiteral("Bag in box 10 l"), 10.0});
    imballi.add({QStringLiteral("DAM5"), QStringLiteral("Damigiana 5 l"), 5.0});
    imballi.add({QStringLiteral("DAM54"), QStringLiteral("Damigiana 54 l"), 54.0});
    imballi.add({QStringLiteral("100"), QStringLiteral("Bottiglia 1 l"), 1.0});
}

// Copies every file of source into target; an existing file is kept unless overwrite.
int copyFiles(const QString& source, const QString& target, const QStringList& filters,
              bool overwrite) {
    QDir src(source);
    if (!src.exists()) return 0;
    QDir().mkpath(target);
    int n = 0;
    for (const QFileInfo& fi : src.entryInfoList(filters, QDir::Files)) {
        const QString dest = target + fi.fileName();
        if (QFile::exists(dest)) {
            if (!overwrite) continue;
            QFile::remove(dest);
        }
        if (QFile::copy(fi.absoluteFilePath(), dest)) ++n;
    }
    return n;
}

void writeIni(const QString& folder) {
    IniFile ini;
    const QString path = folder + QStringLiteral("vinorda.ini");
    ini.load(path);  // other keys of an existing file are kept
    ini.setValue(QStringLiteral("TMainForm"), QStringLiteral("DIRECTORY"),
                 QFileInfo(folder).absoluteFilePath().endsWith(QLatin1Char('/'))
                     ? QFileInfo(folder).absoluteFilePath()
                     : QFileInfo(folder).absoluteFilePath() + QLatin1Char('/'));
    if (!ini.contains(QStringLiteral("TMainForm"), QStringLiteral("ZOOM")))
        ini.setValue(QStringLiteral("TMainForm"), QStringLiteral("ZOOM"), QStringLiteral("100"));
    if (!ini.saveAs(path))
        throw DatabaseError(
            QStringLiteral("Impossibile scrivere %1: %2").arg(path, ini.errorString()));
}

struct Customer {
    const char* codice;
    const char* ragione;
    const char* kind;
    const char* nome;
    const char* cognome;
    const char* indirizzo;
    const char* civico;
    const char* cap;
    const char* citta;
    const char* prov;
    const char* piva;
    const char* cf;
    const char* telefono;
    const char* email;
    const char* pagamento;
    const char* listino;
};

const Customer demoCustomers[] = {
    {"C0001", "Enoteca Al Portego s.n.c.", "G", "", "", "Calle dei Fabbri", "4612", "30124",
     "Venezia", "VE", "03312450271", "03312450271", "041 5210337", "info@alportego.it",
     "Bonifico 30 gg. d.f.", "1"},
    {"C0002", "Ristorante Da Gigetto s.r.l.", "G", "", "", "Via Mare 3", "3", "31020", "Miane",
     "TV", "01234560269", "01234560269", "0438 960020", "amministrazione@dagigetto.it",
     "Ri.Ba. 60 gg. f.m.", "2"},
    {"C0003", "Osteria La Pergola di Zanin M.", "G", "", "", "Piazza Cima", "11", "31015",
     "Conegliano", "TV", "04455660264", "ZNNMRC70A12C957K", "0438 412233", "pergola@email.it",
     "Rimessa diretta", "1"},
    {"C0004", "Hotel Belvedere Dolomiti s.p.a.", "G", "", "", "Via Roma", "27", "32043",
     "Cortina d'Ampezzo", "BL", "00998870255", "00998870255", "0436 866800",
     "acquisti@belvederedolomiti.it", "Bonifico 60 gg. d.f.", "3"},
    {"C0005", "Bar Centrale di Bortolin & C. s.a.s.", "G", "", "", "Corso Vittorio Emanuele", "58",
     "33170", "Pordenone", "PN", "01778990933", "01778990933", "0434 520011",
     "barcentrale@email.it", "Rimessa diretta", "2"},
    {"C0006", "Bianchi Paolo", "P", "Paolo", "Bianchi", "Via Garibaldi", "8/A", "31029",
     "Vittorio Veneto", "TV", "04877120261", "BNCPLA65M21M089Q", "347 1122334",
     "paolo.bianchi@email.it", "Rimessa diretta", "4"},
    {"C0007", "De Nardi Giulia", "P", "Giulia", "De Nardi", "Via San Rocco", "15", "31053",
     "Pieve di Soligo", "TV", "04700230264", "DNRGLI80D55G645B", "340 9988776",
     "giulia.denardi@email.it", "Bonifico 30 gg. d.f.", "4"},
    {"C0008", "Furlan Stefano", "P", "Stefano", "Furlan", "Via Manzoni", "2", "33077", "Sacile",
     "PN", "01955410938", "FRLSFN72B03H657X", "348 5566778", "s.furlan@email.it", "Rimessa diretta",
     "5"},
    {"C0009", "Rossi Mario", "X", "Mario", "Rossi", "Via Mazzini", "21", "31015", "Conegliano",
     "TV", "", "RSSMRA60A01C957Y", "333 1234567", "", "Contanti", "6"},
    {"C0010", "Zanette Anna", "X", "Anna", "Zanette", "Via Cadore", "44", "31020",
     "San Pietro di Feletto", "TV", "", "ZNTNNA75C41I103T", "339 7654321", "", "Contanti", "6"},
    {"C0011", "Dal Col Luigi", "X", "Luigi", "Dal Col", "Via Isonzo", "6", "31029",
     "Vittorio Veneto", "TV", "", "DLCLGU58H14M089E", "0438 551199", "", "Bancomat", "6"},
    {"C0012", "Cliente al banco", "X", "", "", "", "", "", "", "", "", "", "", "", "Contanti", "6"},
};

struct Product {
    const char* codice;
    const char* descrizione;
    const char* categoria;
    const char* stato;
    const char* bottiglia;
    const char* zona;
    const char* classificazione;
    const char* atto;
    const char* annata;
    double litri;
    const char* um;
    double prezzo;  // counter price; the price lists derive from it
    const char* breve;
    const char* colore;
};

const Product demoProducts[] = {
    {"PRO-BRUT", "Prosecco Superiore DOCG Brut", "24", "2", "075", "C1", "A", "2", "2025", 450,
     "nr", 9.50, "Prosecco Brut", "0x0000D7FF"},
    {"PRO-EXDRY", "Prosecco Superiore DOCG Extra Dry", "24", "2", "075", "C1", "A", "2", "2025",
     375, "nr", 9.00, "Extra Dry", "0x00B3DEF5"},
    {"PRO-MAG", "Prosecco Superiore DOCG Brut Magnum", "24", "2", "150", "C1", "A", "2", "2025", 90,
     "nr", 22.00, "Magnum", "0x0000FFFF"},
    {"CART-BRUT", "Cartizze DOCG Dry", "25", "2", "075", "C1", "A", "2", "2024", 120, "nr", 18.00,
     "Cartizze", "0x0000D7FF"},
    {"FRIZ-SFUSO", "Prosecco DOC Frizzante sfuso", "28", "1", "", "C1", "B", "2", "2025", 2400,
     "li", 3.20, "Frizzante", "0x00E0FFFF"},
    {"BIANCO-SF", "Vino Bianco da tavola sfuso", "21", "1", "", "C1", "I", "1", "", 3500, "li",
     1.90, "Bianco sfuso", "0x00F0FFFF"},
    {"ROSSO-SF", "Vino Rosso da tavola sfuso", "21", "1", "", "C1", "I", "1", "", 3200, "li", 2.00,
     "Rosso sfuso", "0x000000FF"},
    {"MERLOT-SF", "Merlot Piave DOC sfuso", "21", "1", "", "C2", "B", "2", "2024", 1800, "li", 2.60,
     "Merlot sfuso", "0x0000008B"},
    {"CABER-SF", "Cabernet Franc IGT sfuso", "21", "1", "", "C2", "C", "1", "2024", 1500, "li",
     2.80, "Cabernet sfuso", "0x003C14DC"},
    {"VERD-SF", "Verdiso IGT Colli Trevigiani sfuso", "21", "1", "", "C1", "C", "1", "2025", 900,
     "li", 2.70, "Verdiso sfuso", "0x0090EE90"},
    {"MERLOT-075", "Merlot Piave DOC", "21", "2", "075", "C2", "B", "2", "2023", 600, "nr", 7.50,
     "Merlot", "0x00000080"},
    {"RABOSO-075", "Raboso Piave DOC", "21", "2", "075", "C2", "B", "2", "2021", 300, "nr", 11.00,
     "Raboso", "0x002222B2"},
    {"MANZONI-075", "Manzoni Bianco IGT", "21", "2", "075", "C1", "C", "1", "2024", 270, "nr", 8.00,
     "Manzoni", "0x00DCF5F5"},
    {"TORCH-0375", "Torchiato di Fregona DOCG passito", "30", "2", "0375", "C1", "A", "2", "2020",
     45, "nr", 24.00, "Torchiato", "0x0087B8DE"},
    {"ROSATO-075", "Rosato frizzante IGT", "28", "2", "075", "C1", "C", "1", "2025", 225, "nr",
     6.50, "Rosato", "0x00C1B6FF"},
    {"BIB-ROSSO5", "Rosso da tavola in bag in box 5 l", "21", "2", "BIB5", "C1", "I", "1", "", 400,
     "nr", 10.00, "BIB Rosso", "0x005C5CCD"},
    {"BIB-BIANCO5", "Bianco da tavola in bag in box 5 l", "21", "2", "BIB5", "C1", "I", "1", "",
     350, "nr", 10.00, "BIB Bianco", "0x00FAFAFF"},
    {"DAM-ROSSO54", "Rosso da tavola in damigiana 54 l", "21", "2", "DAM54", "C1", "I", "1", "",
     540, "nr", 95.00, "Damigiana", "0x00578B2E"},
    {"GRAPPA-050", "Grappa di Prosecco", "--", "0", "", "", "", "", "", 0, "nr", 16.00, "Grappa",
     "0x00808080"},
    {"CONF-REGALO", "Confezione regalo 3 bottiglie", "--", "0", "", "", "", "", "", 0, "nr", 4.50,
     "Conf. regalo", "0x00EBCE87"},
};

void insertProduct(Inserter& ins, const Product& p, int position) {
    const double base = p.prezzo;
    ins.add({QString::fromUtf8(p.codice),
             QString::fromUtf8(p.descrizione),
             QString::fromUtf8(p.categoria),
             QString::fromUtf8(p.stato),
             QString::fromUtf8(p.bottiglia),
             QString::fromUtf8(p.zona),
             QString::fromUtf8(p.classificazione),
             QString::fromUtf8(p.atto),
             QString::fromUtf8(p.annata),
             p.litri,
             QStringLiteral("L%1-%2")
                 .arg(QString::fromUtf8(p.annata).isEmpty() ? QStringLiteral("25")
                                                            : QString::fromUtf8(p.annata).right(2))
                 .arg(position, 3, 10, QLatin1Char('0')),
             QString::fromUtf8(p.um),
             base,
             cents(base * 0.70),
             cents(base * 0.75),
             cents(base * 0.80),
             cents(base * 0.85),
             cents(base * 0.90),
             QStringLiteral("22"),
             position,
             QString::fromUtf8(p.breve),
             QString::fromUtf8(p.colore)});
}

const QStringList productColumns = cols(
    "Codice_prodotto Descrizione Categoria Stato Bottiglia Zona Classificazione Atto_Certificato "
    "Annata Litri Lotto UM Prezzo_sinottico Prezzo1 Prezzo2 Prezzo3 Prezzo4 Prezzo5 IVA "
    "Pos_Griglia Nome_breve Colore");

const QStringList customerColumns = cols(
    "Codice RagioneSociale Indirizzo Ncivico CAP Citta Prov SiglaNaz Giur_Pers Nome Cognome "
    "PartitaIVA CodiceFiscale Telefono1 Email Pagamento IVA Listino Sconto Note");

struct Line {
    const char* codice;
    double quantita;
};

// Demo documents through the document rules: lines filled from the products and the customer's
// price list, the stock check, totals and due dates computed, and, for a printed document, the
// discharge of its lines with their journal rows.
class DemoDocuments {
public:
    DemoDocuments(Database& db, const QDate& today) : db_(db), today_(today) {}

    QString write(int kind, int numero, int daysAgo, const QString& cliente,
                  const QVector<Line>& lines, bool printed, QVector<CampiRiga> righe = {}) {
        const ClienteRiga c = clienteRiga(db_, cliente);
        for (const Line& l : lines) {
            const QString code = QString::fromUtf8(l.codice);
            const std::optional<ProdottoRiga> p = trovaProdotto(db_, code);
            if (!p) throw DatabaseError(QStringLiteral("Prodotto %1 assente").arg(code));
            CampiRiga r;
            compilaRiga(r, *p, c, l.quantita);
            righe << r;
        }
        const QDate date = today_.addDays(-daysAgo);
        const EsitoDocumento e =
            creaDocumento(db_, {kind, date, numero, cliente, cliente, {}}, righe);
        if (!e.ok()) throw DatabaseError(e.rifiuto.trimmed());
        const QString pagamento =
            db_.scalar(QStringLiteral("SELECT Pagamento FROM Anagrafica WHERE Codice = ?"),
                       {cliente})
                .toString();
        const DocumentKind& k = documentKind(kind);
        db_.exec(
            QStringLiteral("UPDATE Fatture SET Scadenza = ?, Aspetto = ? WHERE Docum_numero = ?"),
            {k.docTipo == QLatin1String("F") ? QVariant(Scadenza(pagamento, date)) : QVariant(),
             k.index == KindDdt ? QStringLiteral("Cartoni") : QStringLiteral("Bottiglie"),
             e.documNumero});
        if (printed) scaricaDocumento(db_, e.documNumero);
        return e.documNumero;
    }

    // A delivery note's lines as a summary invoice takes them: a heading line, then its product
    // lines with their own discharge mark; the note is marked invoiced.
    QVector<CampiRiga> gather(const QString& ddt) {
        QVector<CampiRiga> out;
        CampiRiga heading;
        QSqlQuery h = db_.select(
            QStringLiteral("SELECT Num_fattura, Data FROM Fatture WHERE Docum_numero = ?"), {ddt});
        if (!h.next()) throw DatabaseError(QStringLiteral("Documento %1 assente").arg(ddt));
        heading.descrizione = QStringLiteral("Doc. Trasporto n. %1 del %2")
                                  .arg(h.value(0).toInt())
                                  .arg(Database::parseDateTime(h.value(1).toString())
                                           .date()
                                           .toString(QStringLiteral("dd/MM/yyyy")));
        out << heading;
        for (CampiRiga r : righeDocumento(db_, ddt)) {
            if (r.codice.isEmpty()) continue;  // its own heading and text lines stay behind
            r.ordine = 0;
            r.documNumero.clear();
            out << r;
        }
        db_.exec(QStringLiteral("UPDATE Fatture SET Fatturato = 'S' WHERE Docum_numero = ?"),
                 {ddt});
        return out;
    }

private:
    Database& db_;
    QDate today_;
};

// Many documents at once for measurements: the same line filling, line rules and totals as the
// service, written with prepared statements (a test checks the totals against the service's).
void generateDocuments(Database& db, int count, int righe, QRandomGenerator& rng) {
    struct Cliente {
        QString codice;
        ClienteRiga righe;
        QString riferimento;
    };
    QVector<Cliente> clienti;
    {
        QSqlQuery q = db.select(QStringLiteral(
            "SELECT Codice, IVA, Listino, Giur_Pers, Sconto, Riferimento FROM Anagrafica"));
        while (q.next())
            clienti.append({q.value(0).toString(),
                            {q.value(1).toString(), q.value(2).toString(), q.value(3).toString(),
                             q.value(4).toDouble()},
                            q.value(5).toString()});
    }
    QVector<ProdottoRiga> prodotti;
    {
        QSqlQuery q = db.select(QStringLiteral("SELECT Codice_prodotto FROM Prodotti"));
        QStringList codes;
        while (q.next()) codes << q.value(0).toString();
        for (const QString& c : codes)
            if (auto p = trovaProdotto(db, c)) prodotti.append(*p);
    }
    if (clienti.isEmpty() || prodotti.isEmpty() || count <= 0) return;
    const QString base = ivaCodes(db).value(0);
    std::unique_ptr<Inserter> headers, lines;
    // Rows given as field/value pairs, always the same fields: one prepared statement each.
    auto add = [&db](std::unique_ptr<Inserter>& ins, const QString& table,
                     const QVector<QPair<QString, QVariant>>& campi) {
        QStringList names;
        QVariantList values;
        for (const auto& [name, value] : campi) {
            names << name;
            values << value;
        }
        if (!ins) ins = std::make_unique<Inserter>(db, table, names);
        ins->add(values);
    };
    QHash<QString, int> numbers;  // series and year -> last number
    const QDate first(QDate::currentDate().year() - 1, 1, 1);
    for (int i = 0; i < count; ++i) {
        const Cliente& c = clienti[i % clienti.size()];
        const int kind = c.righe.giurPers == QLatin1String("X") ? KindRicevuta
                         : i % 2                                ? KindFattura
                                                                : KindDdt;
        const DocumentKind& k = documentKind(kind);
        const QDate date = first.addDays(qint64(i) * 700 / count);
        int& numero = numbers[k.docTipo + QString::number(date.year())];
        ++numero;
        const NuovaTestata t{kind, date, numero, c.codice, c.codice, {}};
        const bool ricevuta = kind == KindRicevuta;
        const QString aliva1 = ricevuta ? QString() : (c.righe.iva.isEmpty() ? base : c.righe.iva);
        auto campi = campiNuovaTestata(t, numero, aliva1, c.riferimento);
        const QString doc = campi[1].second.toString();
        QVector<RigaTotali> totali;
        const int n = righe > 0 ? righe : 1 + int(rng.bounded(10u));
        for (int l = 0; l < n; ++l) {
            CampiRiga r;
            r.documNumero = doc;
            r.codiceCli = c.codice;
            compilaRiga(r, prodotti[int(rng.bounded(quint32(prodotti.size())))], c.righe,
                        double(1 + rng.bounded(12)));
            preparaRiga(r, ricevuta);
            add(lines, QStringLiteral("Righe"), campiRiga(r));
            totali.append({r.iva, importoRiga(r.quantita, r.prezzo, r.sconto), r.volume});
        }
        // The header with the totals of its lines, as a save computes them.
        const auto tot =
            campiTotali(calcolaTotali(aliva1, aliquota(aliva1), ricevuta, {0, 0, 0, 0}, totali));
        for (const auto& [name, value] : tot)
            for (auto& f : campi)
                if (f.first == name) f.second = value;
        add(headers, QStringLiteral("Fatture"), campi);
    }
}

bool isWritableFolder(const QString& folder) {
    QTemporaryFile probe(folder + QStringLiteral(".vinorda-dati-XXXXXX"));
    return probe.open();
}

}  // namespace

void createBase(const QString& folder) {
    Database::create(folder + Database::fileName());
    {
        Database db;
        db.open(folder);
        Database::Transaction tx(db);
        fillFixedTables(db, false);
        tx.commit();
        db.close();
    }
    const QString src = sourceDataDir();
    if (!src.isEmpty()) {
        copyFiles(src + QStringLiteral("/stampe/"), folder + QStringLiteral("stampe/"),
                  {QStringLiteral("*.frf")}, true);
        copyFiles(src + QStringLiteral("/manuale/"), folder, {QStringLiteral("manuale.pdf")}, true);
    }
    QDir().mkpath(folder + QStringLiteral("stampe"));
    QDir().mkpath(folder + QStringLiteral("esportazione"));
    writeIni(folder);
}

void fillDemo(const QString& folder) {
    Database db;
    db.open(folder);
    Database::Transaction tx(db);
    db.exec(
        QStringLiteral("UPDATE Intesta SET RagioneSociale = ?, Indirizzo = ?, Citta = ?, "
                       "Partita_IVA = ?, CodiceAZ = ?"),
        {QStringLiteral("Cantina Colle Aurelio s.s. agricola"),
         QStringLiteral("Via delle Vigne 14"), QStringLiteral("31020 San Pietro di Feletto (TV)"),
         QStringLiteral("IT04512870263"), QStringLiteral("TV0412345")});
    Inserter customers(db, QStringLiteral("Anagrafica"), customerColumns);
    for (const Customer& c : demoCustomers) {
        const bool privato = QLatin1String(c.kind) == QLatin1String("X");
        customers.add({QString::fromUtf8(c.codice),
                       QString::fromUtf8(c.ragione),
                       QString::fromUtf8(c.indirizzo),
                       QString::fromUtf8(c.civico),
                       QString::fromUtf8(c.cap),
                       QString::fromUtf8(c.citta),
                       QString::fromUtf8(c.prov),
                       QStringLiteral("IT"),
                       QString::fromUtf8(c.kind),
                       QString::fromUtf8(c.nome),
                       QString::fromUtf8(c.cognome),
                       QString::fromUtf8(c.piva),
                       QString::fromUtf8(c.cf),
                       QString::fromUtf8(c.telefono),
                       QString::fromUtf8(c.email),
                       QString::fromUtf8(c.pagamento),
                       QString(),
                       QString::fromUtf8(c.listino),
                       privato ? 0.0 : 5.0,
                       QString()});
    }
    Inserter products(db, QStringLiteral("Prodotti"), productColumns);
    int position = 1;
    for (const Product& p : demoProducts) insertProduct(products, p, position++);

    // Documents of the four kinds at midnight of their day, some printed (discharged, with
    // journal rows) and some not.
    DemoDocuments docs(db, QDate::currentDate());
    const QString ddt1 =
        docs.write(KindDdt, 1, 20, QStringLiteral("C0002"),
                   {{"PRO-BRUT", 24}, {"MERLOT-075", 12}, {"FRIZ-SFUSO", 50}}, true);
    docs.write(KindDdt, 2, 12, QStringLiteral("C0002"), {{"PRO-EXDRY", 18}, {"RABOSO-075", 6}},
               true);
    docs.write(KindFattura, 1, 15, QStringLiteral("C0001"),
               {{"PRO-BRUT", 36}, {"CART-BRUT", 12}, {"TORCH-0375", 6}, {"CONF-REGALO", 4}}, true);
    docs.write(KindFattura, 2, 6, QStringLiteral("C0004"),
               {{"PRO-MAG", 6}, {"MANZONI-075", 24}, {"ROSATO-075", 12}}, true);
    docs.write(KindRiassunto, 3, 5, QStringLiteral("C0002"), {}, false, docs.gather(ddt1));
    // A return: negative quantities, a negative total (a credit note when printed).
    docs.write(KindFattura, 4, 4, QStringLiteral("C0005"), {{"ROSSO-SF", -20}}, false);
    docs.write(KindDdt, 3, 2, QStringLiteral("C0006"), {{"MERLOT-SF", 20}, {"VERD-SF", 10}}, false);
    docs.write(KindRicevuta, 1, 3, QStringLiteral("C0009"), {{"ROSSO-SF", 10}, {"BIB-ROSSO5", 1}},
               true);
    docs.write(KindRicevuta, 2, 1, QStringLiteral("C0010"), {{"BIANCO-SF", 5}, {"GRAPPA-050", 1}},
               false);
    tx.commit();
    db.close();
}

void fillGenerated(const QString& folder, const GenerateSizes& sizes) {
    static const char* const nomi[] = {"Marco", "Giulia", "Luca",   "Francesca", "Andrea", "Chiara",
                                       "Paolo", "Elena",  "Davide", "Sara",      "Matteo", "Anna"};
    static const char* const cognomi[] = {"Rossi",  "Bianchi", "Zanin",      "De Nardi",
                                          "Furlan", "Dal Col", "Bortolin",   "Tonon",
                                          "Sartor", "Da Ros",  "Casagrande", "Bet"};
    static const char* const citta[] = {"Conegliano",      "Vittorio Veneto", "Treviso", "Oderzo",
                                        "Pieve di Soligo", "Valdobbiadene",   "Sacile",  "Belluno"};
    static const char* const vini[] = {"Prosecco",   "Merlot",       "Cabernet",
                                       "Raboso",     "Verdiso",      "Manzoni",
                                       "Chardonnay", "Pinot grigio", "Refosco"};
    static const char* const colori[] = {"0x0000D7FF", "0x000000FF", "0x0090EE90", "0x00FFFFF0",
                                         "0x0087B8DE", "0x00C1B6FF", "0x00808080", "0x00EBCE87"};
    QRandomGenerator rng(20170221);
    Database db;
    db.open(folder);
    Database::Transaction tx(db);
    Inserter customers(db, QStringLiteral("Anagrafica"), customerColumns);
    const char* const kinds[] = {"G", "P", "X"};
    for (int i = 1; i <= sizes.clienti; ++i) {
        const QString kind = QString::fromLatin1(kinds[i % 3]);
        const QString nome = QString::fromLatin1(nomi[rng.bounded(12)]);
        const QString cognome = QString::fromLatin1(cognomi[rng.bounded(12)]);
        const QString ragione = kind == QLatin1String("G")
                                    ? QStringLiteral("%1 %2 s.r.l.").arg(cognome).arg(i)
                                    : QStringLiteral("%1 %2 %3").arg(cognome, nome).arg(i);
        customers.add(
            {QStringLiteral("G%1").arg(i, 6, 10, QLatin1Char('0')),
             ragione,
             QStringLiteral("Via Roma"),
             QString::number(1 + rng.bounded(200)),
             QStringLiteral("31015"),
             QString::fromLatin1(citta[rng.bounded(8)]),
             QStringLiteral("TV"),
             QStringLiteral("IT"),
             kind,
             nome,
             cognome,
             kind == QLatin1String("X") ? QString()
                                        : QStringLiteral("%1").arg(i, 11, 10, QLatin1Char('0')),
             QString(),
             QStringLiteral("0438 %1").arg(100000 + i),
             QString(),
             QStringLiteral("Rimessa diretta"),
             QString(),
             kind == QLatin1String("X") ? QStringLiteral("6") : QString::number(1 + i % 5),
             0.0,
             QString()});
    }
    Inserter products(db, QStringLiteral("Prodotti"), productColumns);
    for (int i = 1; i <= sizes.prodotti; ++i) {
        const bool sfuso = i % 2 == 0;
        const double prezzo = 2.0 + rng.bounded(2000) / 100.0;
        const QString vino = QString::fromLatin1(vini[rng.bounded(9)]);
        products.add(
            {QStringLiteral("P%1").arg(i, 6, 10, QLatin1Char('0')),
             QStringLiteral("%1 %2 %3")
                 .arg(vino, sfuso ? QStringLiteral("sfuso") : QStringLiteral("in bottiglia"))
                 .arg(i),
             QStringLiteral("21"),
             sfuso ? QStringLiteral("1") : QStringLiteral("2"),
             sfuso ? QString() : QStringLiteral("075"),
             QStringLiteral("C1"),
             QStringLiteral("B"),
             QStringLiteral("2"),
             QStringLiteral("2024"),
             double(rng.bounded(5000)),
             QStringLiteral("L%1").arg(i),
             sfuso ? QStringLiteral("li") : QStringLiteral("nr"),
             prezzo,
             cents(prezzo * 0.7),
             cents(prezzo * 0.75),
             cents(prezzo * 0.8),
             cents(prezzo * 0.85),
             cents(prezzo * 0.9),
             QStringLiteral("22"),
             i <= 20 ? i : 0,
             QStringLiteral("%1 %2").arg(vino).arg(i).left(30),
             QString::fromLatin1(colori[i % 8])});
    }
    Inserter journal(db, QStringLiteral("Giornale"),
                     cols("Data_Ora Cod_vino Litri Cliente Docum_numero Riga_num Esportato Tipo"));
    const QDateTime start(QDate::currentDate().addYears(-1), QTime(8, 0));
    const int prodotti = qMax(1, sizes.prodotti);
    const int clienti = qMax(1, sizes.clienti);
    for (int i = 0; i < sizes.movimenti; ++i) {
        const int kind = rng.bounded(3);
        const QString tipo = kind == 0   ? QStringLiteral("N")
                             : kind == 1 ? QStringLiteral("B")
                                         : QStringLiteral("F");
        const QString cliente = kind == 0 ? QString()
                                          : QStringLiteral("G%1").arg(1 + rng.bounded(clienti), 6,
                                                                      10, QLatin1Char('0'));
        journal.add({start.addSecs(qint64(i) * 150).date().startOfDay(),
                     QStringLiteral("P%1").arg(1 + rng.bounded(prodotti), 6, 10, QLatin1Char('0')),
                     0.75 * (1 + rng.bounded(24)), cliente,
                     kind == 0 ? QString()
                               : QStringLiteral("%1-%2-%3")
                                     .arg(tipo)
                                     .arg(start.date().year())
                                     .arg(1 + i / 4, 6, 10, QLatin1Char('0')),
                     i, false, tipo});
    }
    generateDocuments(db, sizes.documenti, sizes.righe, rng);
    tx.commit();
    db.close();
}

QStringList verify(const QString& folder, QTextStream& out) {
    QStringList problems;
    const QString path = folder + Database::fileName();
    if (!QFile::exists(path)) {
        problems << QStringLiteral("Il database %1 non esiste").arg(path);
        return problems;
    }
    Database db;
    try {
        db.open(folder);
        QSqlQuery ic = db.select(QStringLiteral("PRAGMA integrity_check"));
        QStringList integrity;
        while (ic.next()) integrity << ic.value(0).toString();
        if (integrity != QStringList{QStringLiteral("ok")})
            problems << QStringLiteral("Controllo di integrità fallito: %1")
                            .arg(integrity.join(QStringLiteral("; ")));
        else
            out << "Integrità del database: ok\n";

        for (const TableDef& t : Schema::tables()) {
            QSqlQuery info = db.select(QStringLiteral("PRAGMA table_info(%1)").arg(t.name));
            QStringList have;
            while (info.next()) have << info.value(1).toString();
            QStringList want;
            for (const FieldDef& f : t.fields) want << f.name;
            if (have.isEmpty()) {
                problems << QStringLiteral("Tabella %1 mancante").arg(t.name);
                continue;
            }
            if (have != want)
                problems << QStringLiteral("Tabella %1: campi diversi dallo schema (%2)")
                                .arg(t.name, have.join(QLatin1Char(',')));
            const qint64 n =
                db.scalar(QStringLiteral("SELECT count(*) FROM %1").arg(t.name)).toLongLong();
            out << QStringLiteral("  %1: %2 righe\n").arg(t.name, -12).arg(n);
        }
        for (const StoredQueryDef& q : Schema::storedQueries()) {
            try {
                if (db.storedQuerySql(q.name).trimmed().isEmpty())
                    problems << QStringLiteral("Query %1 vuota").arg(q.name);
            } catch (const DatabaseError&) {
                problems << QStringLiteral("Query %1 mancante").arg(q.name);
            }
        }
        if (problems.isEmpty() || !problems.last().startsWith(QStringLiteral("Tabella"))) {
            const int intesta = db.scalar(QStringLiteral("SELECT count(*) FROM Intesta")).toInt();
            if (intesta != 1)
                problems << QStringLiteral("La tabella Intesta deve avere una riga, ne ha %1")
                                .arg(intesta);
            struct Check {
                const char* sql;
                const char* text;
            };
            const Check checks[] = {
                {"SELECT count(*) FROM IVA", nullptr},
                {"SELECT count(*) FROM Righe r WHERE NOT EXISTS (SELECT 1 FROM Fatture f WHERE "
                 "f.Docum_numero = r.Docum_numero)",
                 "righe senza documento"},
                {"SELECT count(*) FROM Fatture f WHERE COALESCE(f.Codice,'') <> '' AND NOT EXISTS "
                 "(SELECT 1 FROM Anagrafica a WHERE a.Codice = f.Codice)",
                 "documenti con un cliente inesistente"},
                {"SELECT count(*) FROM Giornale g WHERE NOT EXISTS (SELECT 1 FROM Prodotti p WHERE "
                 "p.Codice_prodotto = g.Cod_vino)",
                 "movimenti di un prodotto inesistente"},
                {"SELECT count(*) FROM Prodotti p WHERE p.Stato = '2' AND NOT EXISTS (SELECT 1 "
                 "FROM "
                 "Imballi i WHERE i.Bottiglia = p.Bottiglia)",
                 "prodotti imbottigliati senza imballo valido"},
            };
            for (const Check& c : checks) {
                const int n = db.scalar(QString::fromLatin1(c.sql)).toInt();
                if (!c.text) {
                    if (n == 0) problems << QStringLiteral("Nessuna aliquota nella tabella IVA");
                } else if (n > 0) {
                    problems << QStringLiteral("%1 %2").arg(n).arg(QString::fromUtf8(c.text));
                }
            }
        }
        db.close();
    } catch (const DatabaseError& e) {
        problems << e.text();
    }
    const int templates = QDir(folder + QStringLiteral("stampe"))
                              .entryList({QStringLiteral("*.frf")}, QDir::Files)
                              .size();
    out << QStringLiteral("Modelli di stampa in stampe/: %1\n").arg(templates);
    if (!QFile::exists(folder + QStringLiteral("vinorda.ini")))
        out << "Avviso: manca vinorda.ini (il programma userà la cartella corrente)\n";
    return problems;
}

namespace {

void usage(QTextStream& s) {
    s << "Uso: vinorda-dati COMANDO CARTELLA [opzioni]\n"
         "  crea CARTELLA       nuova cartella dati: database, aliquote IVA, imballi, modelli\n"
         "                      di stampa, vinorda.ini\n"
         "  demo CARTELLA       come crea, con clienti, prodotti e documenti di esempio\n"
         "  verifica CARTELLA   controlla il database e scrive un breve rapporto\n"
         "  genera CARTELLA [--clienti N] [--prodotti N] [--movimenti N] [--documenti N]\n"
         "                [--righe N]  (righe per documento; senza: da 1 a 10)\n"
         "                      cartella con molti dati, per le misure di velocità\n"
         "  stampa CARTELLA MODELLO FILE.pdf [--documento NUMERO]\n"
         "                      scrive in PDF un modello di stampe/ con i dati della cartella\n"
         "  esporta CARTELLA vireg|csv --dal GG/MM/AAAA --al GG/MM/AAAA [--sezioni ...]\n"
         "                      file per VIREG o file CSV del periodo (esporta --help)\n";
    CopieTool::usage(s);
    s << "Opzioni: --forza      sostituisce un database già presente (i dati vanno persi)\n";
}

}  // namespace

int run(const QStringList& args, QTextStream& out, QTextStream& err) {
    QStringList positional;
    bool forza = false;
    GenerateSizes sizes;
    for (int i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        if (a == QLatin1String("--forza")) {
            forza = true;
        } else if (a == QLatin1String("--help") || a == QLatin1String("-h")) {
            usage(out);
            return Ok;
        } else if (a == QLatin1String("--clienti") || a == QLatin1String("--prodotti") ||
                   a == QLatin1String("--movimenti") || a == QLatin1String("--documenti") ||
                   a == QLatin1String("--righe")) {
            bool ok = false;
            const int n = i + 1 < args.size() ? args[i + 1].toInt(&ok) : 0;
            if (!ok || n < 0) {
                err << "Errore: " << a << " vuole un numero intero non negativo\n";
                return Usage;
            }
            ++i;
            if (a == QLatin1String("--clienti")) sizes.clienti = n;
            if (a == QLatin1String("--prodotti")) sizes.prodotti = n;
            if (a == QLatin1String("--movimenti")) sizes.movimenti = n;
            if (a == QLatin1String("--documenti")) sizes.documenti = n;
            if (a == QLatin1String("--righe")) sizes.righe = n;
        } else if (a.startsWith(QLatin1String("--"))) {
            err << "Errore: opzione sconosciuta " << a << "\n";
            usage(err);
            return Usage;
        } else {
            positional << a;
        }
    }
    if (positional.size() != 2) {
        usage(err);
        return Usage;
    }
    const QString command = positional[0];
    const QStringList known{QStringLiteral("crea"), QStringLiteral("demo"),
                            QStringLiteral("verifica"), QStringLiteral("genera")};
    if (!known.contains(command)) {
        err << "Errore: comando sconosciuto " << command << "\n";
        usage(err);
        return Usage;
    }
    const QString folder = normalizeFolder(QFileInfo(positional[1]).absoluteFilePath());

    if (command == QLatin1String("verifica")) {
        out << "Verifica di " << folder << "\n";
        const QStringList problems = verify(folder, out);
        for (const QString& p : problems) err << "Problema: " << p << "\n";
        out << (problems.isEmpty() ? "Nessun problema trovato.\n" : "Trovati problemi.\n");
        return problems.isEmpty() ? Ok : Failed;
    }

    const QFileInfo fi(positional[1]);
    if (fi.exists() && !fi.isDir()) {
        err << "Errore: " << positional[1] << " esiste e non è una cartella\n";
        return NotWritable;
    }
    if (!QDir().mkpath(folder) || !isWritableFolder(folder)) {
        err << "Errore: impossibile creare o scrivere nella cartella " << folder << "\n";
        return NotWritable;
    }
    const QString dbPath = folder + Database::fileName();
    if (QFile::exists(dbPath)) {
        if (!forza) {
            err << "Errore: il database " << dbPath
                << " esiste già; nulla è stato modificato (usare --forza per sostituirlo)\n";
            return AlreadyPresent;
        }
        if (Database::inUseElsewhere(folder)) {
            err << "Errore: il database " << dbPath << " è aperto da un altro programma\n";
            return InUse;
        }
        if (!QFile::remove(dbPath)) {
            err << "Errore: impossibile sostituire " << dbPath << "\n";
            return NotWritable;
        }
        QFile::remove(dbPath + QStringLiteral("-journal"));
    }
    try {
        createBase(folder);
        if (command == QLatin1String("demo")) fillDemo(folder);
        if (command == QLatin1String("genera")) fillGenerated(folder, sizes);
    } catch (const DatabaseError& e) {
        err << "Errore del database: " << e.text() << "\n";
        // A half-made database would pass for a good one next time.
        QFile::remove(dbPath);
        QFile::remove(dbPath + QStringLiteral("-journal"));
        return Failed;
    }
    out << "Cartella dati pronta: " << folder << "\n";
    if (command == QLatin1String("genera"))
        out << QStringLiteral("  %1 clienti, %2 prodotti, %3 movimenti, %4 documenti\n")
                   .arg(sizes.clienti)
                   .arg(sizes.prodotti)
                   .arg(sizes.movimenti)
                   .arg(sizes.documenti);
    out << "Per avviare il programma: cd " << folder << " && vinorda\n";
    return Ok;
}

}  // namespace DatiTool
