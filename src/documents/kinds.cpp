#include "documents/kinds.h"

const std::array<DocumentKind, 4>& documentKinds() {
    static const std::array<DocumentKind, 4> kinds{{
        {KindDdt, QStringLiteral("Documento di trasporto (segue fattura)"), QStringLiteral("B"),
         QStringLiteral("B-"), QStringLiteral("D"), QStringLiteral("N"), QStringLiteral("doctrasp"),
         QStringLiteral("Documento di trasporto"), false, true},
        {KindRicevuta, QStringLiteral("Ricevuta (per privati)"), QStringLiteral("N"),
         QStringLiteral("N-"), QStringLiteral("N"), QStringLiteral("X"), QStringLiteral("ricevuta"),
         QStringLiteral("Nota trasporto per privati"), true, false},
        {KindFattura, QStringLiteral("Trasporto con Fatturazione immediata"), QStringLiteral("F"),
         QStringLiteral("F-"), QStringLiteral("I"), QStringLiteral("X"),
         QStringLiteral("fattura_imm"), QStringLiteral("Fattura immediata"), false, true},
        {KindRiassunto, QStringLiteral("Fatturazione riassuntiva di DDT"), QStringLiteral("F"),
         QStringLiteral("F-"), QStringLiteral("R"), QStringLiteral("X"),
         QStringLiteral("fattura_diff"), QStringLiteral("Fattura"), false, false},
    }};
    return kinds;
}

const DocumentKind& documentKind(int index) {
    const auto& k = documentKinds();
    return index >= 0 && index < int(k.size()) ? k[size_t(index)] : k[0];
}

const DocumentKind* documentKindByDdtfatt(const QString& ddtfatt) {
    for (const DocumentKind& k : documentKinds())
        if (k.ddtfatt == ddtfatt) return &k;
    return nullptr;
}
