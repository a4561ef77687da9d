#include "masterdata/codedvalues.h"

#include <initializer_list>
#include <utility>

namespace {
CodedValues pairs(std::initializer_list<std::pair<const char*, const char*>> list) {
    CodedValues out;
    for (const auto& p : list)
        out << qMakePair(QString::fromUtf8(p.first), QString::fromUtf8(p.second));
    return out;
}
QStringList texts(std::initializer_list<const char*> list) {
    QStringList out;
    for (const char* t : list) out << QString::fromUtf8(t);
    return out;
}
}  // namespace

CodedValues giurPersChoices() {
    return pairs({{"G", "Persona GIURIDICA"}, {"P", "Persona FISICA"}, {"X", "Cliente PRIVATO"}});
}

CodedValues listinoChoices() {
    return pairs({{"1", "1"}, {"2", "2"}, {"3", "3"}, {"4", "4"}, {"5", "5"}, {"6", "Ut.Finale"}});
}

QStringList pagamentoChoices() {
    return texts({"Contanti", "Bonifico bancario vista fattura", "Bonifico bancario 30 gg.",
                  "Rimessa diretta", "Rimessa diretta 30 gg.", "Rimessa diretta 60 gg.",
                  "Rimessa diretta 90 gg.", "RIBA 30 gg.", "RIBA 60 gg.", "RIBA 90 gg.",
                  "RIBA 30 gg. f.m.", "RIBA 60 gg. f.m.", "RIBA 90 gg. f.m.", "RIBA 30/60 gg. f.m.",
                  "RIBA 60/90 gg. f.m."});
}

CodedValues statoChoices() {
    return pairs({{"1", "Sfuso"}, {"2", "Imbottigliato"}, {"0", "Non applicabile"}});
}

CodedValues categoriaChoices() {
    return pairs({{"21", "21 VINO"},
                  {"20", "20 VINO ALCOLIZZATO"},
                  {"31", "31 VINO DI UVE STRAMATURE"},
                  {"28", "28 VINO FRIZZANTE"},
                  {"29", "29 VINO FRIZZANTE GASSIFICATO"},
                  {"22", "22 VINO LIQUOROSO"},
                  {"30", "30 VINO OTTENUTO DA UVE APPASSITE"},
                  {"24", "24 VINO SPUMANTE"},
                  {"25", "25 VINO SPUMANTE DI QUALITÀ"},
                  {"26", "26 VINO SPUMANTE DI QUALITÀ DEL TIPO AROMATICO"},
                  {"27", "27 VINO SPUMANTE GASSIFICATO"},
                  {"--", "-- NON VINICOLO"}});
}

CodedValues classificazioneChoices() {
    return pairs({{"A", "A - DOCG"},
                  {"B", "B - DOC"},
                  {"C", "C - IGT"},
                  {"D", "D - DOP IGP non italiane"},
                  {"E", "E - Varietali di cui allegato 4 del DM 13.08.2012"},
                  {"F", "F - Varietali spumanti"},
                  {"G", "G - Varietale con annata"},
                  {"H", "H - Varietale spumante con annata"},
                  {"I", "I - Non a DOP/IGP/Varietale/Annata"},
                  {"L", "L - Non a DOP/IGP/Varietale con annata"},
                  {"M",
                   "M - Destinati alla trasformazione di prodotti diversi dall'allegato VII parte "
                   "seconda del Reg n. 1308/2013"},
                  {"N",
                   "N - Da uve da tavola destinati alla trasformazione di prodotti diversi "
                   "dall'allegato VII parte seconda del Reg n. 1308/2013"},
                  {"O", "O - Non adatto al consumo umano"},
                  {"P", "P - Prodotti Vitivinicoli Aromatizzati -  Reg UE 251/14"}});
}

CodedValues attoCertificatoChoices() {
    return pairs({{"0", "0 - Non atto - Non certificato"},
                  {"1", "1 - Atto"},
                  {"2", "2 - Certificato"},
                  {"3", "3 - Atto in stoccaggio"},
                  {"4", "4 - Atto a riserva vendemmiale"},
                  {"5", "5 - Atto ad Aceto Balsamico di Modena Igp"},
                  {"6", "6 - Atto ad Aceto Balsamico di Tradizionale di Modena Dop"},
                  {"7", "7 - Atto ad Aceto Balsamico Tradizionale di Reggio Emilia Dop"},
                  {"8", "8 - Atto con complementari in ambito aziendale"}});
}

QStringList zonaChoices() {
    return texts({"A", "B", "C1", "C2", "C3A", "C3B"});
}

QStringList umChoices() {
    return texts({"li", "nr"});
}

CodedValues coloreChoices() {
    // Value first, as stored; the windows show the name.
    return pairs({{"0x00FAFAFF", "Neve"},
                  {"0x00F0FFFF", "Avorio"},
                  {"0x00DCF5F5", "Beige"},
                  {"0x00B3DEF5", "Grano"},
                  {"0x00FAE6E6", "Lavanda"},
                  {"0x00E0FFFF", "Giallo Chiaro"},
                  {"0x0087B8DE", "Caffelatte"},
                  {"0x00FFFFF0", "Azzurro"},
                  {"0x00CDFAFF", "Celeste"},
                  {"0x00C4E4FF", "Biscotto"},
                  {"0x0000FFFF", "Giallo"},
                  {"0x00008CFF", "Arancio"},
                  {"0x000000FF", "Rosso"},
                  {"0x0000008B", "Rosso scuro"},
                  {"0x00000080", "Marrone"},
                  {"0x005C5CCD", "Rosso indiano"},
                  {"0x007280FA", "Salmone"},
                  {"0x00507FFF", "Corallo"},
                  {"0x0000D7FF", "Oro"},
                  {"0x004763FF", "Pomodoro"},
                  {"0x003C14DC", "Cremisi"},
                  {"0x000045FF", "Rosso Arancio"},
                  {"0x002222B2", "Mattone"},
                  {"0x002D52A0", "Terra bruciata"},
                  {"0x00008080", "Oliva"},
                  {"0x00228B22", "Foresta"},
                  {"0x0000FF7F", "Verde Chartreuse"},
                  {"0x0090EE90", "Verde chiaro"},
                  {"0x00D4FF7F", "Acquamarina"},
                  {"0x00578B2E", "Verde mare"},
                  {"0x00008000", "Verde"},
                  {"0x0000FF00", "Lime"},
                  {"0x00D0E040", "Turchese"},
                  {"0x00FFFF00", "Ciano"},
                  {"0x00FFFF00", "Acqua"},
                  {"0x00EBCE87", "Cielo"},
                  {"0x00FF0000", "Blu"},
                  {"0x00800000", "Navy"},
                  {"0x00FF00FF", "Magenta"},
                  {"0x00FF00FF", "Fucsia"},
                  {"0x00800080", "Porpora"},
                  {"0x009314FF", "Rosa intenso"},
                  {"0x00C1B6FF", "Rosa chiaro"},
                  {"0x00EE82EE", "Viola"},
                  {"0x00D670DA", "Orchidea"},
                  {"0x00DDA0DD", "Fiori di pesco"},
                  {"0x00CBC0FF", "Rosa"},
                  {"0x00FFFFFF", "Bianco"},
                  {"0x00D3D3D3", "Grigio chiaro"},
                  {"0x00808080", "Grigio"},
                  {"0x00C0C0C0", "Argento"},
                  {"0x00696969", "Canna di fucile"},
                  {"0x00A9A9A9", "Grigio scuro"},
                  {"0x00000000", "Nero"}});
}

QString codedText(const CodedValues& values, const QString& value) {
    for (const auto& v : values)
        if (v.first == value) return v.second;
    return value;
}

bool coloreRgb(const QString& stored, unsigned* rgb) {
    const QString t = stored.trimmed();
    if (t.size() < 3 || !t.startsWith(QLatin1String("0x"), Qt::CaseInsensitive)) return false;
    bool ok = false;
    const qulonglong n = t.mid(2).toULongLong(&ok, 16);
    if (!ok || n > 0xFFFFFFFFull) return false;
    // Blue-green-red byte order: 0x00BBGGRR.
    const unsigned bgr = unsigned(n) & 0xFFFFFFu;
    *rgb = ((bgr & 0xFFu) << 16) | (bgr & 0xFF00u) | ((bgr >> 16) & 0xFFu);
    return true;
}
