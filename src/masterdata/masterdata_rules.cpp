#include "masterdata/masterdata_rules.h"

#include <QSqlQuery>
#include <cmath>

#include "common/messages.h"
#include "data/database.h"
#include "data/shareddata.h"

namespace {

// Whether upper (already upper case) occurs in text once text is upper-cased. Plain ASCII text,
// nearly every name, is compared in place instead of building its upper-case copy.
bool containsUpper(const QString& text, const QString& upper) {
    const qsizetype n = text.size(), m = upper.size();
    const QChar* t = text.constData();
    for (qsizetype i = 0; i < n; ++i)
        if (t[i].unicode() >= 0x80) return text.toUpper().contains(upper);
    const QChar* u = upper.constData();
    for (qsizetype i = 0; i + m <= n; ++i) {
        qsizetype j = 0;
        for (; j < m; ++j) {
            char16_t c = t[i + j].unicode();
            if (c >= 'a' && c <= 'z') c = char16_t(c - 'a' + 'A');
            if (c != u[j].unicode()) break;
        }
        if (j == m) return true;
    }
    return false;
}
// The same over text as kept in a data set (UTF-8): a plain ASCII name is compared in place,
// anything else goes through the general upper-casing.
bool containsUpper(QByteArrayView utf8, const QByteArray& upperUtf8, const QString& upper) {
    const qsizetype n = utf8.size(), m = upperUtf8.size();
    const char* t = utf8.data();
    for (qsizetype i = 0; i < n; ++i)
        if (static_cast<unsigned char>(t[i]) >= 0x80)
            return QString::fromUtf8(utf8).toUpper().contains(upper);
    const char* u = upperUtf8.constData();
    for (qsizetype i = 0; i + m <= n; ++i) {
        qsizetype j = 0;
        for (; j < m; ++j) {
            char c = t[i + j];
            if (c >= 'a' && c <= 'z') c = char(c - 'a' + 'A');
            if (c != u[j]) break;
        }
        if (j == m) return true;
    }
    return false;
}
constexpr int grigliaMin = 1;
constexpr int grigliaMax = 50;

QString text(const DataSet& ds, const char* field) {
    return ds.field(QString::fromLatin1(field)).asString();
}

// Whether another row of table has value in field (rowid 0: the row is not stored yet).
bool existsElsewhere(Database& db, const QString& table, const QString& field, const QString& value,
                     qint64 rowid) {
    const QVariant n = db.scalar(
        QStringLiteral("SELECT COUNT(*) FROM %1 WHERE %2 = ? AND rowid <> ?").arg(table, field),
        {value, rowid});
    return n.toLongLong() > 0;
}

// The message is shown by the data set once its transaction is rolled back.
[[noreturn]] void refuse(const QString& message) {
    throw Abort{message};
}

// Refuses deleting the row whose code (field) something still refers to.
template <typename Uso>
void refuseWhileInUse(DataSet& ds, const char* field, Uso (*uso)(Database&, const QString&),
                      QString (*message)(const QString&, const Uso&)) {
    const QString codice = text(ds, field);
    const Uso u = uso(ds.database(), codice);
    if (u.inUso()) refuse(message(codice, u));
}

int count(Database& db, const QString& sql, const QString& codice) {
    return db.scalar(sql, {codice, codice}).toInt();
}

QString quanti(int n, const char* one, const char* many) {
    return QStringLiteral("%1 %2").arg(n).arg(QString::fromUtf8(n == 1 ? one : many));
}

// "in 3 documenti", "in 1 movimento del giornale"
QStringList inDocumentiEMovimenti(int documenti, int movimenti) {
    QStringList parts;
    if (documenti) parts << QStringLiteral("in ") + quanti(documenti, "documento", "documenti");
    if (movimenti)
        parts << QStringLiteral("in ") +
                     quanti(movimenti, "movimento del giornale", "movimenti del giornale");
    return parts;
}

// "in 3 documenti e in 1 movimento del giornale"
QString elenco(const QStringList& parts) {
    if (parts.size() <= 1) return parts.join(QString());
    return parts.mid(0, parts.size() - 1).join(QStringLiteral(", ")) + QStringLiteral(" e ") +
           parts.last();
}
}  // namespace

UsoCliente usoCliente(Database& db, const QString& codice) {
    UsoCliente u;
    if (codice.isEmpty()) return u;
    u.documenti = count(
        db, QStringLiteral("SELECT count(*) FROM Fatture WHERE Codice = ? OR Destinazione = ?"),
        codice);
    u.movimenti =
        db.scalar(QStringLiteral("SELECT count(*) FROM Giornale WHERE Cliente = ?"), {codice})
            .toInt();
    return u;
}

UsoProdotto usoProdotto(Database& db, const QString& codice) {
    UsoProdotto u;
    if (codice.isEmpty()) return u;
    u.documenti = count(db,
                        QStringLiteral("SELECT count(DISTINCT Docum_numero) FROM Righe "
                                       "WHERE Codice = ? OR Cod_vino_collegato = ?"),
                        codice);
    u.movimenti =
        db.scalar(QStringLiteral("SELECT count(*) FROM Giornale WHERE Cod_vino = ?"), {codice})
            .toInt();
    u.venditaInCorso =
        db.scalar(QStringLiteral("SELECT count(*) FROM Appoggio_R WHERE Cod_vino_collegato = ?"),
                  {codice})
            .toInt();
    return u;
}

double pezzi(const QString& stato, double litri, double volume) {
    if (stato != QLatin1String("2") || volume == 0) return litri;
    const double q = litri / volume;
    // 0.3 / 0.1 is 2.9999999999999996 in binary: a quotient that is a whole number up to
    // rounding noise counts as that number, not one bottle less.
    const double nearest = std::round(q);
    if (std::fabs(q - nearest) <= 1e-9 * std::fmax(1.0, std::fabs(q))) return nearest;
    return std::trunc(q);
}

MasterDataRules::MasterDataRules(SharedData& sd) : QObject(&sd), sd_(sd) {
    setObjectName(QStringLiteral("MasterDataRules"));
}

MasterDataRules* MasterDataRules::of(SharedData& sd) {
    return sd.findChild<MasterDataRules*>(QStringLiteral("MasterDataRules"),
                                          Qt::FindDirectChildrenOnly);
}

bool MasterDataRules::customerCodeEditable(const DataSet& clienti) {
    return clienti.state() == DataSet::State::Insert;
}

QString MasterDataRules::msgCodiceObbligatorio() {
    return QStringLiteral("   Obbligatorio inserire il codice del Cliente   ");
}
QString MasterDataRules::msgRagioneSocialeObbligatoria() {
    return QStringLiteral("   Obbligatorio inserire la Ragione Sociale del Cliente   ");
}
QString MasterDataRules::msgCodiceClienteDuplicato(const QString& codice) {
    return QStringLiteral("   Esiste già un cliente con il codice %1: scegliere un altro codice   ")
        .arg(codice);
}
QString MasterDataRules::msgCodiceClienteBloccato() {
    return QStringLiteral("   Il codice di un cliente già registrato non si può cambiare   ");
}
QString MasterDataRules::msgCodiceProdottoDuplicato(const QString& codice) {
    return QStringLiteral(
               "   Esiste già un prodotto con il codice %1: scegliere un altro codice   ")
        .arg(codice);
}
QString MasterDataRules::msgGriglia(const QString& label) {
    return QStringLiteral("   Il valore di %1 deve essere compreso tra %2 e %3   ")
        .arg(label)
        .arg(grigliaMin)
        .arg(grigliaMax);
}
QString MasterDataRules::msgCancelloCliente() {
    return QStringLiteral("   Cancello questa scheda cliente ?   ");
}
QString MasterDataRules::msgCancelloProdotto() {
    return QStringLiteral("   Cancello questo prodotto ?   ");
}
QString MasterDataRules::msgCodiceProdottoObbligatorio() {
    return QStringLiteral("   Obbligatorio inserire il codice del prodotto   ");
}
QString MasterDataRules::msgClienteInUso(const QString& codice, const UsoCliente& uso) {
    const QStringList parts = inDocumentiEMovimenti(uso.documenti, uso.movimenti);
    return QStringLiteral("   Impossibile cancellare il cliente %1: compare %2   ")
        .arg(codice, elenco(parts));
}
QString MasterDataRules::msgProdottoInUso(const QString& codice, const UsoProdotto& uso) {
    QStringList parts = inDocumentiEMovimenti(uso.documenti, uso.movimenti);
    if (uso.venditaInCorso) parts << QStringLiteral("nella vendita in corso al pannello");
    return QStringLiteral("   Impossibile cancellare il prodotto %1: compare %2   ")
        .arg(codice, elenco(parts));
}

// ---- customers

void MasterDataRules::ClientiBeforeEdit(DataSet& ds) {
    editedCode_ = text(ds, "Codice");
}

void MasterDataRules::ClientiBeforePost(DataSet& ds) {
    const QString codice = text(ds, "Codice");
    if (codice.trimmed().isEmpty()) refuse(msgCodiceObbligatorio());
    if (text(ds, "RagioneSociale").trimmed().isEmpty()) refuse(msgRagioneSocialeObbligatoria());
    if (text(ds, "Giur_Pers") == QLatin1String("X") && text(ds, "Listino") != QLatin1String("6"))
        ds.field(QStringLiteral("Listino")).setValue(QStringLiteral("6"));
    // Documents, lines and the journal refer to a customer by its code.
    if (ds.state() == DataSet::State::Edit && codice != editedCode_)
        refuse(msgCodiceClienteBloccato());
    const qint64 rowid = ds.state() == DataSet::State::Insert ? 0 : ds.bookmark();
    if (existsElsewhere(ds.database(), ds.tableName(), QStringLiteral("Codice"), codice, rowid))
        refuse(msgCodiceClienteDuplicato(codice));
}

void MasterDataRules::ClientiBeforeDelete(DataSet& ds) {
    ClientiDeleteCheck(ds);
    if (!Mymsg::confirmDelete(msgCancelloCliente())) throw Abort{};
}

void MasterDataRules::ClientiDeleteCheck(DataSet& ds) {
    // Documents and movements would point at nobody.
    refuseWhileInUse(ds, "Codice", &usoCliente, &MasterDataRules::msgClienteInUso);
}

bool MasterDataRules::ClientiFilterRecord(DataSet& ds) const {
    switch (sd_.filtroClienti.unicode()) {
        case 'A': {
            // An empty search text lets nobody pass.
            if (search.text.isEmpty()) return false;
            PreparedSearch& p = prepared_;
            if (p.ds != &ds || p.field != search.field || p.text != search.text ||
                (p.index >= 0 &&
                 (p.index >= ds.fieldCount() || ds.fieldAt(p.index).name() != p.name))) {
                const Field* f = ds.findField(search.field);
                const QString upper = search.text.toUpper();
                p = {&ds,
                     search.field,
                     search.text,
                     f ? f->index() : -1,
                     upper,
                     upper.toUtf8(),
                     f ? f->name() : QString(),
                     f && (f->type() == FieldType::Text || f->type() == FieldType::Memo)};
            }
            if (p.index < 0) return false;
            QByteArrayView kept;
            if (p.isText && ds.currentUtf8(p.index, &kept))
                return containsUpper(kept, p.upperUtf8, p.upper);
            return containsUpper(ds.fieldAt(p.index).asString(), p.upper);
        }
        case 'S': {
            const QString rs = text(ds, "RagioneSociale");
            return rs.compare(range.from) >= 0 && rs.compare(range.to) <= 0;
        }
        default:
            return true;
    }
}

// ---- products

void MasterDataRules::prodottiCalcFields(DataSet& ds) const {
    ds.field(QStringLiteral("Pezzi"))
        .setValue(pezzi(text(ds, "Stato"), ds.field(QStringLiteral("Litri")).asFloat(),
                        ds.field(QStringLiteral("Volume")).asFloat()));
}

bool MasterDataRules::prodottiFilterRecord(DataSet& ds) const {
    return ds.field(QStringLiteral("Litri")).asFloat() != 0 ||
           text(ds, "Stato") == QLatin1String("0");
}

void MasterDataRules::ProdottiBeforePost(DataSet& ds) {
    const QString codice = text(ds, "Codice_prodotto");
    // Lines and journal rows know a product only by its code: without one, a discharge would
    // lower the stock while its journal row named no product.
    if (codice.trimmed().isEmpty()) refuse(msgCodiceProdottoObbligatorio());
    const qint64 rowid = ds.state() == DataSet::State::Insert ? 0 : ds.bookmark();
    if (existsElsewhere(ds.database(), ds.tableName(), QStringLiteral("Codice_prodotto"), codice,
                        rowid))
        refuse(msgCodiceProdottoDuplicato(codice));
}

void MasterDataRules::ProdottiBeforeDelete(DataSet& ds) {
    ProdottiDeleteCheck(ds);
    if (!Mymsg::confirmDelete(msgCancelloProdotto())) throw Abort{};
}

void MasterDataRules::ProdottiDeleteCheck(DataSet& ds) {
    refuseWhileInUse(ds, "Codice_prodotto", &usoProdotto, &MasterDataRules::msgProdottoInUso);
}

// ---- company header

void MasterDataRules::IntestazioneBeforePost(DataSet& ds) {
    // The sales panel lays out Griglia_X x Griglia_Y cells: keep it to a size it can show.
    static const struct {
        const char* field;
        const char* label;
    } grids[] = {{"Griglia_X", "Griglia sinottico X"}, {"Griglia_Y", "Griglia sinottico Y"}};
    for (const auto& g : grids) {
        const Field& f = ds.field(QString::fromLatin1(g.field));
        if (f.isNull()) continue;
        const int v = f.asInteger();
        if (v < grigliaMin || v > grigliaMax) refuse(msgGriglia(QString::fromLatin1(g.label)));
    }
}

QStringList ivaCodes(Database& db) {
    QStringList out;
    QSqlQuery q = db.select(QStringLiteral("SELECT IVA FROM IVA ORDER BY Ordine, rowid"));
    while (q.next()) {
        const QString code = q.value(0).toString();
        if (!code.isEmpty() && !out.contains(code)) out << code;
    }
    return out;
}

CodedValues imballiChoices(Database& db) {
    CodedValues out;
    QSqlQuery q = db.select(QStringLiteral(
        "SELECT Bottiglia, Descrizione FROM Imballi ORDER BY Descrizione, Bottiglia"));
    while (q.next()) {
        const QString code = q.value(0).toString();
        const QString descr = q.value(1).toString();
        out << qMakePair(code, descr.isEmpty() ? code : descr);
    }
    return out;
}

MasterDataRules& attachMasterDataRules(SharedData& sd) {
    if (MasterDataRules* existing = MasterDataRules::of(sd)) return *existing;
    auto* r = new MasterDataRules(sd);
    sd.Clienti.beforeEdit += [r](DataSet& ds) { r->ClientiBeforeEdit(ds); };
    sd.Clienti.beforePost += [r](DataSet& ds) { r->ClientiBeforePost(ds); };
    sd.Clienti.askBeforeDelete += [r](DataSet& ds) { r->ClientiBeforeDelete(ds); };
    sd.Clienti.beforeDelete += [r](DataSet& ds) { r->ClientiDeleteCheck(ds); };
    sd.Clienti.onFilterRecord = [r](DataSet& ds) { return r->ClientiFilterRecord(ds); };
    sd.prodotti.onCalcFields = [r](DataSet& ds) { r->prodottiCalcFields(ds); };
    sd.prodotti.onFilterRecord = [r](DataSet& ds) { return r->prodottiFilterRecord(ds); };
    sd.prodotti.beforePost += [r](DataSet& ds) { r->ProdottiBeforePost(ds); };
    sd.prodotti.askBeforeDelete += [r](DataSet& ds) { r->ProdottiBeforeDelete(ds); };
    sd.prodotti.beforeDelete += [r](DataSet& ds) { r->ProdottiDeleteCheck(ds); };
    sd.Intestazione.beforePost += [r](DataSet& ds) { r->IntestazioneBeforePost(ds); };
    return *r;
}
