#include "panel/dialoghi.h"

#include <QBoxLayout>
#include <QDialog>
#include <QPushButton>

void preparaDialogo(QDialog* d, const char* nome, const QString& titolo, double corpo) {
    d->setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    d->setObjectName(QString::fromLatin1(nome));
    d->setWindowTitle(titolo);
    d->setModal(true);
    QFont grande = d->font();
    grande.setPointSizeF(corpo);
    d->setFont(grande);
}

BottoniDialogo bottoniAnnullaStampa(QDialog* d, QBoxLayout* layout, const char* annulla,
                                    const char* stampa) {
    BottoniDialogo b{new QPushButton(QStringLiteral("Annulla"), d),
                     new QPushButton(QStringLiteral("Stampa"), d)};
    b.annulla->setObjectName(QString::fromLatin1(annulla));
    b.stampa->setObjectName(QString::fromLatin1(stampa));
    auto* riga = new QHBoxLayout;
    riga->addStretch();
    for (QPushButton* p : {b.annulla, b.stampa}) {
        p->setMinimumSize(160, 56);
        p->setAutoDefault(false);
        riga->addWidget(p);
    }
    b.stampa->setDefault(true);
    layout->addSpacing(8);
    layout->addLayout(riga);
    return b;
}
