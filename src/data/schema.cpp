#include "data/schema.h"

#include <limits>

namespace {

FieldDef T(const char* n, int size, const char* title = nullptr, bool req = false) {
    return FieldDef{QString::fromUtf8(n), FieldType::Text, size, req,
                    title ? QString::fromUtf8(title) : QString()};
}
FieldDef F(const char* n, FieldType t, const char* title = nullptr) {
    return FieldDef{QString::fromUtf8(n), t, 0, false,
                    title ? QString::fromUtf8(title) : QString()};
}
constexpr FieldType Int = FieldType::Integer;
constexpr FieldType Small = FieldType::SmallInt;
constexpr FieldType Flt = FieldType::Float;
constexpr FieldType Cur = FieldType::Currency;
constexpr FieldType Yes = FieldType::Bool;
constexpr FieldType DT = FieldType::DateTime;
constexpr FieldType Memo = FieldType::Memo;
constexpr FieldType Auto = FieldType::AutoInc;

QVector<TableDef> buildTables() {
    QVector<TableDef> t;
    t.push_back({QStringLiteral("Intesta"),
                 {T("RagioneSociale", 60, "RagioneSociale"), T("Indirizzo", 60, "Indirizzo"),
                  T("Citta", 60, "Citta"), T("Partita_IVA", 30, "Partita IVA"),
                  T("Aspetto", 255, "Aspetto"), T("Causale", 255, "Causale"),
                  T("CodiceAZ", 30, "Codice AZIENDA"), F("Griglia_X", Small, "Griglia sinottico X"),
                  F("Griglia_Y", Small, "Griglia sinottico Y"), T("Esportazioni", 255),
                  T("Stampante1", 255), T("Stampante2", 255)},
                 {}});
    t.push_back({QStringLiteral("Anagrafica"),
                 {T("Codice", 30, "Codice", true),
                  T("RagioneSociale", 150, "Ragione Sociale", true),
                  T("Indirizzo", 65, "Indirizzo"),
                  T("Ncivico", 11, "Num."),
                  T("CAP", 10, "CAP"),
                  T("Citta", 50, "Città"),
                  T("Prov", 2, "Prov."),
                  T("SiglaNaz", 10, "SiglaNaz"),
                  T("Giur_Pers", 1, "Giur_Pers"),
                  T("Nome", 50, "Nome"),
                  T("Cognome", 100, "Cognome"),
                  T("PartitaIVA", 35, "Partita IVA"),
                  T("CodiceFiscale", 16, "Codice Fiscale"),
                  T("Telefono1", 30, "Telefono1"),
                  T("Telefono2", 30, "Telefono2"),
                  T("Telefono3", 30, "Telefono3"),
                  T("FAX", 30, "FAX"),
                  T("Email", 100, "Email / Agente"),
                  T("Riferimento", 200, "Trasportatore"),
                  F("Note", Memo, "Annotazioni"),
                  T("IBAN", 50, "IBAN"),
                  T("Pagamento", 50, "Codice Pagam."),
                  T("IVA", 10, "Aliq. iva"),
                  T("Listino", 1, "Listino"),
                  F("Sconto", Flt, "Sconto")},
                 {}});
    t.push_back({QStringLiteral("Prodotti"),
                 {F("Auto_ID", Auto, "ID"),
                  T("Codice_prodotto", 30, "Codice"),
                  T("Descrizione", 255, "Descrizione"),
                  T("Categoria", 3, "Categoria"),
                  T("Stato", 1, "Sfuso / Imbottigliato"),
                  T("Bottiglia", 10, "Bottiglia"),
                  T("Zona", 5, "Zona"),
                  T("Classificazione", 1, "Classificazione"),
                  T("Atto_Certificato", 1, "Atto/Certificato"),
                  T("Annata", 4, "Annata"),
                  F("Litri", Flt, "Litri"),
                  T("Lotto", 30, "Lotto"),
                  T("UM", 5, "Unità di misura"),
                  F("Prezzo_sinottico", Flt, "Prezzo x griglia"),
                  F("Prezzo1", Flt, "Prezzo1"),
                  F("Prezzo2", Flt, "Prezzo2"),
                  F("Prezzo3", Flt, "Prezzo3"),
                  F("Prezzo4", Flt, "Prezzo4"),
                  F("Prezzo5", Flt, "Prezzo5"),
                  T("IVA", 10, "Aliquota IVA"),
                  F("Pos_Griglia", Int, "Posizione"),
                  T("Nome_breve", 30, "Nome breve"),
                  T("Colore", 10, "Colore")},
                 QStringLiteral("Auto_ID")});
    t.push_back({QStringLiteral("Imballi"),
                 {T("Bottiglia", 10, "Bottiglia", true), T("Descrizione", 30, "Descrizione"),
                  F("Volume", Flt, "Volume")},
                 {}});
    t.push_back(
        {QStringLiteral("IVA"),
         {F("Ordine", Small, "Ordine"), T("IVA", 6, "IVA"), T("Nota_fin", 60, "Nota finale")},
         {}});
    {
        TableDef f{QStringLiteral("Fatture"),
                   {T("Docum_numero", 13, "Documento"), T("Doc_tipo", 1), T("Anno", 4),
                    F("Num_fattura", Int, "Num. Documento"), F("Data", DT, "Data"),
                    T("Codice", 30, "Cliente"), T("Destinazione", 30, "Destinazione")},
                   {}};
        for (int i = 1; i <= 4; ++i)
            f.fields.push_back({QStringLiteral("ALIVA%1").arg(i), FieldType::Text, 6, false,
                                QStringLiteral("Aliquote")});
        for (int i = 1; i <= 4; ++i)
            f.fields.push_back({QStringLiteral("I%1").arg(i), Int, 0, false, {}});
        for (int i = 1; i <= 4; ++i)
            f.fields.push_back(
                {QStringLiteral("IMP%1").arg(i), Cur, 0, false, QStringLiteral("Imponibili €")});
        for (int i = 1; i <= 4; ++i)
            f.fields.push_back(
                {QStringLiteral("IVA%1").arg(i), Cur, 0, false, QStringLiteral("IVA €")});
        for (int i = 1; i <= 4; ++i)
            f.fields.push_back(
                {QStringLiteral("SC%1").arg(i), Int, 0, false, QStringLiteral("%sc.")});
        for (int i = 1; i <= 4; ++i)
            f.fields.push_back(
                {QStringLiteral("TOTSC%1").arg(i), Cur, 0, false, QStringLiteral("Sconto €")});
        f.fields += {F("Tot_sconto", Cur, "totale sconto"),
                     F("Tot_Litri", Flt, "Litri totali"),
                     F("Tot_Imponibile", Cur, "tot. imponibile"),
                     F("Tot_Iva", Cur, "totale IVA"),
                     F("Totale", Cur, "totale fattura"),
                     T("Scadenza", 60, "Scadenze"),
                     F("Riferimento", Memo, "Annotazioni"),
                     T("Trasporto", 1, "Inizio trasporto"),
                     T("Causale", 30, "Causale"),
                     T("Aspetto", 30, "Aspetto"),
                     T("Vettore", 60, "Vettore"),
                     T("Ritiro", 20, "Ritiro"),
                     T("Fatturato", 1),
                     T("DDTFATT", 1),
                     F("Pagato", Yes),
                     F("Pagato_il", DT),
                     T("Pagato_note", 60)};
        t.push_back(f);
    }
    t.push_back(
        {QStringLiteral("Righe"),
         {F("Ordine", Auto), T("Docum_numero", 13), T("CodiceCli", 30), T("Codice", 30, "Codice"),
          T("UM", 5, "Um."), F("Litri_per_unita", Flt), T("Stato", 1),
          F("Quantita", Flt, "Quantità"), T("Descrizione", 255, "Descrizione"),
          F("Prezzo", Cur, "Prezzo"), T("IVA", 6, "Aliq.Iva"), T("Cod_vino_collegato", 30),
          F("Sconto", Flt, "Sconto"), F("Volume", Flt, "Totale litri"), F("Scaricato", Yes)},
         QStringLiteral("Ordine")});
    t.push_back(
        {QStringLiteral("Giornale"),
         {F("ID", Auto), F("Data_Ora", DT, "Data"), T("Cod_vino", 30, "Codice"),
          F("Litri", Flt, "Litri"), T("Cliente", 30, "Cliente"), T("Docum_numero", 13, "Documento"),
          F("Riga_num", Int), F("Esportato", Yes), T("Tipo", 1)},
         QStringLiteral("ID")});
    t.push_back({QStringLiteral("Appoggio_R"),
                 {F("ID", Auto), T("Codice_Breve", 30), T("Descrizione", 255), T("UM", 5),
                  F("Quantita", Flt), F("PREZZO", Flt), T("Cod_vino_collegato", 30),
                  F("Litri_per_unita", Flt), T("Stato", 1), F("TOTALE", Flt), F("Volume", Flt)},
                 QStringLiteral("ID")});
    t.push_back({QStringLiteral("Appoggio_I"),
                 {T("Intesta1", 50), T("Intesta2", 50), T("Intesta3", 50), T("Intesta4", 50),
                  T("Docum_numero", 13), F("Data", DT)},
                 {}});
    return t;
}

QVector<StoredQueryDef> buildQueries() {
    QVector<StoredQueryDef> q;
    q.push_back(
        {QStringLiteral("Unum"),
         QStringLiteral("SELECT Fatture.Doc_tipo, Fatture.Anno, Max(Fatture.Docum_numero) AS "
                        "MaxDiDocum_numero, Max(Fatture.Num_fattura) AS MaxDiNum_fattura\n"
                        "FROM Fatture\n"
                        "GROUP BY Fatture.Doc_tipo, Fatture.Anno\n"
                        "HAVING ((Fatture.Doc_tipo)=?1) AND ((Fatture.Anno)=?2);"),
         {QStringLiteral("Tipo:"), QStringLiteral("Anno:")}});
    // Direct sales per product in a period. The movements are summed first and joined with
    // their product afterwards (product codes are unique): the same rows as grouping the
    // joined movements, several times faster on a long journal.
    q.push_back(
        {QStringLiteral("Esporta_N"),
         QStringLiteral("SELECT g.Cod_vino, Prodotti.Descrizione, Prodotti.Stato, "
                        "Prodotti.Bottiglia, Prodotti.Lotto, g.SommaDiLitri, g.Esportato, g.Tipo\n"
                        "FROM (SELECT Cod_vino, Sum(Litri) AS SommaDiLitri, Esportato, Tipo\n"
                        "      FROM Giornale\n"
                        "      WHERE Tipo='N' AND Esportato=0 AND Data_Ora>=?1 AND Data_Ora<=?2\n"
                        "      GROUP BY Cod_vino, Esportato, Tipo) AS g\n"
                        "INNER JOIN Prodotti ON g.Cod_vino = Prodotti.Codice_prodotto\n"
                        "ORDER BY g.Cod_vino;"),
         {QStringLiteral("Data1:"), QStringLiteral("Data2:")}});
    q.push_back({QStringLiteral("Esporta_BF"),
                 QStringLiteral(
                     "SELECT Giornale.ID, Giornale.Data_Ora, Giornale.Docum_numero, "
                     "Giornale.Riga_num, Giornale.Cod_vino, Prodotti.Descrizione, Prodotti.Stato, "
                     "Prodotti.Bottiglia, Prodotti.Lotto, Giornale.Litri, Giornale.Cliente, "
                     "Giornale.Esportato, Giornale.Tipo\n"
                     "FROM Giornale INNER JOIN Prodotti ON Giornale.Cod_vino = "
                     "Prodotti.Codice_prodotto\n"
                     "WHERE ((Giornale.Data_Ora)>=?1 And (Giornale.Data_Ora)<=?2) AND "
                     "((Giornale.Esportato)=0) AND ((Giornale.Tipo)='B' Or (Giornale.Tipo)='F')\n"
                     "ORDER BY Giornale.Data_Ora, Giornale.Docum_numero, Giornale.Riga_num;"),
                 {QStringLiteral("Data1:"), QStringLiteral("Data2:")}});
    q.push_back({QStringLiteral("Esporta_controllo"),
                 QStringLiteral("SELECT Min(Giornale.Data_Ora) AS MI, Max(Giornale.Data_Ora) AS "
                                "MA, Count(Giornale.ID) AS NUM, Giornale.Esportato\n"
                                "FROM Giornale\n"
                                "GROUP BY Giornale.Esportato;"),
                 {}});
    q.push_back(
        {QStringLiteral("BolleDaFatturare"),
         QStringLiteral("SELECT Fatture.Doc_tipo, Fatture.Docum_numero, Fatture.Num_fattura, "
                        "Fatture.Data, Fatture.Codice, Fatture.Tot_Litri, Fatture.Totale, "
                        "Fatture.Causale, Fatture.Fatturato\n"
                        "FROM Fatture\n"
                        "WHERE ((Fatture.Doc_tipo)='B') AND ((Fatture.Codice)=?1) AND "
                        "((Fatture.Fatturato)='N');"),
         {QStringLiteral("Cliente:")}});
    return q;
}

QString sqlType(FieldType t) {
    switch (t) {
        case FieldType::Text:
        case FieldType::Memo:
        case FieldType::DateTime:
            return QStringLiteral("TEXT");
        case FieldType::Float:
            return QStringLiteral("REAL");
        default:
            return QStringLiteral("INTEGER");
    }
}

}  // namespace

const QVector<TableDef>& Schema::tables() {
    static const QVector<TableDef> t = buildTables();
    return t;
}

const TableDef* Schema::table(const QString& name) {
    for (const auto& t : tables())
        if (t.name.compare(name, Qt::CaseInsensitive) == 0) return &t;
    return nullptr;
}

const FieldDef* Schema::field(const QString& table, const QString& field) {
    const TableDef* t = Schema::table(table);
    if (!t) return nullptr;
    for (const auto& f : t->fields)
        if (f.name.compare(field, Qt::CaseInsensitive) == 0) return &f;
    return nullptr;
}

const FieldDef* Schema::resultColumn(const QStringList& tables, const QString& column) {
    for (const auto& t : tables)
        if (const FieldDef* f = field(t, column)) return f;
    static const QVector<FieldDef> aggregates = {T("MaxDiDocum_numero", 255),
                                                 F("MaxDiNum_fattura", Int),
                                                 F("SommaDiLitri", Flt),
                                                 F("MI", DT),
                                                 F("MA", DT),
                                                 F("NUM", Int),
                                                 F("TOT", Flt)};
    for (const auto& f : aggregates)
        if (f.name.compare(column, Qt::CaseInsensitive) == 0) return &f;
    return nullptr;
}

const QVector<StoredQueryDef>& Schema::storedQueries() {
    static const QVector<StoredQueryDef> q = buildQueries();
    return q;
}

bool Schema::inRange(FieldType type, qint64 v) {
    switch (type) {
        case FieldType::SmallInt:
            return v >= -32768 && v <= 32767;
        case FieldType::Integer:
        case FieldType::AutoInc:
            return v >= std::numeric_limits<qint32>::min() &&
                   v <= std::numeric_limits<qint32>::max();
        default:
            return true;
    }
}

QString Schema::schemaSql() {
    QString s;
    for (const auto& t : tables()) {
        s += QStringLiteral("CREATE TABLE %1 (\n").arg(t.name);
        QStringList cols;
        for (const auto& f : t.fields) {
            QString c = QStringLiteral("  %1 %2").arg(f.name, sqlType(f.type));
            if (f.type == FieldType::AutoInc) c += QStringLiteral(" PRIMARY KEY AUTOINCREMENT");
            if (f.type == FieldType::Bool) c += QStringLiteral(" NOT NULL DEFAULT 0");
            if (f.required) c += QStringLiteral(" NOT NULL");
            cols << c;
        }
        s += cols.join(QStringLiteral(",\n")) + QStringLiteral("\n);\n");
    }
    s += QStringLiteral(
        "CREATE UNIQUE INDEX Fatture_Docum_numero ON Fatture(Docum_numero);\n"
        "CREATE UNIQUE INDEX Anagrafica_Codice ON Anagrafica(Codice);\n"
        "CREATE UNIQUE INDEX Prodotti_Codice_prodotto ON Prodotti(Codice_prodotto);\n"
        "CREATE INDEX Anagrafica_RagioneSociale ON Anagrafica(RagioneSociale);\n"
        "CREATE INDEX Righe_Docum_numero ON Righe(Docum_numero);\n"
        "CREATE INDEX Giornale_Data_Ora ON Giornale(Data_Ora);\n"
        // The movements of one product still to export, in date order, for the journal window.
        "CREATE INDEX Giornale_Cod_vino ON Giornale(Cod_vino, Tipo, Esportato, Data_Ora);\n"
        "CREATE INDEX Giornale_Tipo_Periodo ON Giornale(Tipo, Esportato, Data_Ora, Cod_vino, "
        "Litri);\n"
        "CREATE INDEX Fatture_Tipo_Anno ON Fatture(Doc_tipo, Anno, Num_fattura);\n"
        "CREATE TABLE _StoredQueries (Name TEXT PRIMARY KEY, Sql TEXT NOT NULL, Params TEXT);\n");
    return s;
}
