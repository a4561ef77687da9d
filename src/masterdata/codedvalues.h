#pragma once
// The coded values of customers and products: the value stored in the table and the text the
// windows show for it, in the order the choice lists offer them.
#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>

// Stored value, text shown.
using CodedValues = QList<QPair<QString, QString>>;

CodedValues giurPersChoices();         // Anagrafica.Giur_Pers
CodedValues listinoChoices();          // Anagrafica.Listino: "1".."5", "6" "Ut.Finale"
QStringList pagamentoChoices();        // Anagrafica.Pagamento suggestions
CodedValues statoChoices();            // Prodotti.Stato
CodedValues categoriaChoices();        // Prodotti.Categoria
CodedValues classificazioneChoices();  // Prodotti.Classificazione
CodedValues attoCertificatoChoices();  // Prodotti.Atto_Certificato
QStringList zonaChoices();             // Prodotti.Zona suggestions
QStringList umChoices();               // Prodotti.UM suggestions
CodedValues coloreChoices();           // Prodotti.Colore: the 54 named colours

// The text shown for a stored value, or the value itself when it has no text.
QString codedText(const CodedValues& values, const QString& value);

// Prodotti.Colore "0x00BBGGRR" read as a colour: *rgb = 0xRRGGBB. False for an empty or
// malformed text.
bool coloreRgb(const QString& stored, unsigned* rgb);
