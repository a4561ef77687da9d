#include "esporta.h"

#include <QDir>
#include <QFileInfo>

#include "app/appsettings.h"
#include "data/database.h"
#include "stock/esportacsv.h"
#include "stock/giornale.h"
#include "stock/vireg.h"

namespace {

const char kUso[] =
    "Uso: vinorda-dati esporta CARTELLA vireg|csv --dal GG/MM/AAAA --al GG/MM/AAAA\n"
    "         [--sezioni clienti,prodotti,movimenti,giacenze,carico]\n"
    "         [--data-carico GG/MM/AAAA] [--cartella DESTINAZIONE]\n"
    "  Scrive il file per VIREG (vireg) o i file CSV (csv) con i movimenti del periodo,\n"
    "  come la finestra dei movimenti. Senza --sezioni: clienti, prodotti, movimenti e\n"
    "  giacenze; \"carico\" (solo vireg) vuole --data-carico. Senza --cartella i file vanno\n"
    "  nella cartella di esportazione di vinorda.ini. Le righe del giornale restano.\n";

struct Richiesta {
    QString cartellaDati;
    bool vireg = false;
    QString dal, al, dataCarico, cartella;
    bool conDataCarico = false, conCartella = false;
    QStringList sezioni;
};

// The value after an option, or an error.
bool valore(const QStringList& args, int& i, QString* out, QString* errore) {
    if (i + 1 >= args.size() || args[i + 1].startsWith(QLatin1String("--"))) {
        *errore = QStringLiteral("manca il valore dopo %1").arg(args[i]);
        return false;
    }
    *out = args[++i];
    return true;
}

QString leggi(const QStringList& args, Richiesta* r) {
    QStringList positional;
    QString errore;
    bool conSezioni = false;
    for (int i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        QString v;
        if (a == QLatin1String("--dal")) {
            if (!valore(args, i, &r->dal, &errore)) return errore;
        } else if (a == QLatin1String("--al")) {
            if (!valore(args, i, &r->al, &errore)) return errore;
        } else if (a == QLatin1String("--sezioni")) {
            if (!valore(args, i, &v, &errore)) return errore;
            r->sezioni = v.split(QLatin1Char(','), Qt::SkipEmptyParts);
            for (QString& s : r->sezioni) s = s.trimmed().toLower();
            conSezioni = true;
        } else if (a == QLatin1String("--data-carico")) {
            if (!valore(args, i, &r->dataCarico, &errore)) return errore;
            r->conDataCarico = true;
        } else if (a == QLatin1String("--cartella")) {
            if (!valore(args, i, &r->cartella, &errore)) return errore;
            r->conCartella = true;
        } else if (a.startsWith(QLatin1String("--"))) {
            return QStringLiteral("opzione sconosciuta %1").arg(a);
        } else {
            positional << a;
        }
    }
    if (positional.size() != 2) return QStringLiteral("indicare la cartella dati e vireg o csv");
    r->cartellaDati = positional[0];
    const QString tipo = positional[1].toLower();
    if (tipo != QLatin1String("vireg") && tipo != QLatin1String("csv"))
        return QStringLiteral("tipo di esportazione sconosciuto %1 (vireg o csv)")
            .arg(positional[1]);
    r->vireg = tipo == QLatin1String("vireg");
    if (r->dal.isEmpty() || r->al.isEmpty())
        return QStringLiteral("indicare il periodo con --dal e --al (gg/mm/aaaa)");
    for (const QString* d : {&r->dal, &r->al})
        if (!GiornaleMovimenti::leggiData(*d).isValid())
            return QStringLiteral("\"%1\" non è una data valida (gg/mm/aaaa)").arg(*d);
    if (GiornaleMovimenti::leggiData(r->al) < GiornaleMovimenti::leggiData(r->dal))
        return QStringLiteral("la data --al %1 precede la data --dal %2").arg(r->al, r->dal);
    QStringList note{QStringLiteral("clienti"), QStringLiteral("prodotti"),
                     QStringLiteral("movimenti"), QStringLiteral("giacenze")};
    if (r->vireg) note << QStringLiteral("carico");
    if (!conSezioni) r->sezioni = note.mid(0, 4);
    if (r->sezioni.isEmpty()) return QStringLiteral("--sezioni non nomina alcuna sezione");
    for (const QString& s : r->sezioni)
        if (!note.contains(s))
            return QStringLiteral("sezione sconosciuta %1 (ammesse: %2)")
                .arg(s, note.join(QStringLiteral(", ")));
    if (r->conDataCarico && !r->sezioni.contains(QStringLiteral("carico")))
        return QStringLiteral("--data-carico vale solo con la sezione carico");
    return {};
}

}  // namespace

namespace Esporta {

int run(const QStringList& args, QTextStream& out, QTextStream& err, const Orologio& orologio) {
    if (args.contains(QStringLiteral("--help")) || args.contains(QStringLiteral("-h"))) {
        out << kUso;
        return Ok;
    }
    Richiesta r;
    const QString errore = leggi(args, &r);
    if (!errore.isEmpty()) {
        err << "Errore: " << errore << "\n" << kUso;
        return Usage;
    }
    QDate dataCarico;
    if (r.sezioni.contains(QStringLiteral("carico"))) {
        const QString msg = controllaDataCarico(r.dataCarico, &dataCarico);
        if (!msg.isEmpty()) {
            err << "Errore: " << msg.trimmed() << " (--data-carico)\n";
            return Usage;
        }
    }
    QString folder = QDir(r.cartellaDati).absolutePath();
    if (!folder.endsWith(QLatin1Char('/'))) folder += QLatin1Char('/');
    if (!QFileInfo::exists(folder + Database::fileName())) {
        err << "Errore: la cartella " << folder << " non contiene " << Database::fileName() << "\n";
        return Failed;
    }
    // The program runs in its data folder: a relative setting is taken from there.
    const QString cartella =
        r.conCartella ? cartellaEsportazione(QDir(r.cartella).absolutePath(), folder)
                      : cartellaEsportazione(readSettingsFile(folder + iniFileName()).esportazione,
                                             folder, folder);
    if (!QFileInfo(cartella).isDir()) {
        err << "Errore: la cartella di destinazione " << cartella << " non esiste\n";
        return NotWritable;
    }

    EsitoEsportazione esito;
    try {
        Database db;
        db.open(folder);
        const PeriodoViste periodo = PeriodoViste::daTesti(r.dal, r.al);
        auto ha = [&r](const char* s) { return r.sezioni.contains(QString::fromLatin1(s)); };
        if (r.vireg) {
            SezioniVireg s;
            s.clienti = ha("clienti");
            s.prodotti = ha("prodotti");
            s.movimenti = ha("movimenti");
            s.giacenze = ha("giacenze");
            s.carico = ha("carico");
            s.dataCarico = dataCarico;
            esito = esportaVireg(db, cartella, periodo, s, orologio);
        } else {
            SezioniCsv s;
            s.clienti = ha("clienti");
            s.prodotti = ha("prodotti");
            s.movimenti = ha("movimenti");
            s.giacenze = ha("giacenze");
            esito = esportaCsv(db, cartella, periodo, s, orologio);
        }
    } catch (const DatabaseError& e) {
        err << "Errore del database: " << e.text() << "\n";
        return Failed;
    }
    for (const QString& f : esito.file) out << f << "\n";
    if (!esito.riuscita()) {
        err << "Errore: " << esito.errore.trimmed() << "\n";
        return esito.erroreDatabase ? Failed : NotWritable;
    }
    if (esito.cambiati > 0) err << MsgEsportazione::caratteriCambiati(esito.cambiati) << "\n";
    return Ok;
}

}  // namespace Esporta

int runEsporta(const QStringList& args) {
    QTextStream out(stdout);
    QTextStream err(stderr);
    const int rc = Esporta::run(args, out, err);
    out.flush();
    err.flush();
    return rc;
}
