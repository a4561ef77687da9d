#pragma once
// The four kinds of document and the three one-letter codes each writes into its header. Every
// caller (documents window, sales panel, data tool, printing) reads them from this one table.
#include <QString>
#include <array>

struct DocumentKind {
    int index;          // position in the kind choice of the creation page
    QString caption;    // text of that choice
    QString docTipo;    // numbering series and broad kind: "B", "N", "F"
    QString prefisso;   // first two characters of Docum_numero: "B-", "N-", "F-"
    QString ddtfatt;    // exact kind: "D", "N", "I", "R"
    QString fatturato;  // Fatturato at creation: "N" for delivery notes, "X" otherwise
    QString modello;    // report template that prints it
    QString titolo;     // title given to the print
    bool privati;       // customers offered: Giur_Pers "X" (true) or "G"/"P" (false)
    bool destinazione;  // a place of delivery is required (otherwise none is kept)
};

enum DocumentKindIndex {
    KindDdt = 0,        // delivery note, invoiced later
    KindRicevuta = 1,   // receipt for a private customer
    KindFattura = 2,    // immediate invoice with transport
    KindRiassunto = 3,  // summary invoice of delivery notes
};

const std::array<DocumentKind, 4>& documentKinds();
// The kind at index (0..3); an index out of range gives the delivery note.
const DocumentKind& documentKind(int index);
// The kind of a stored header by its DDTFATT; nullptr for a code of no kind.
const DocumentKind* documentKindByDdtfatt(const QString& ddtfatt);
