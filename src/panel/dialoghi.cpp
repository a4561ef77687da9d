#include "panel/dialoghi.h"

#include <QBoxLayout>
#include <QDialog>
#include <QPushButton>
#include <algorithm>

#include "platform/desktop.h"

double adattamento(const QRect& area) {
    if (!area.isValid()) return 1.0;
    return std::min({1.0, area.width() / 1024.0, area.height() / 768.0});
}

double adattamento() {
    return adattamento(availableWorkArea());
}

int misura(int pixel) {
    return int(pixel * adattamento() + 0.5);
}

void preparaDialogo(QDialog* d, const char* nome, const QString& titolo, double corpo) {
    d->setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    d->setObjectName(QString::fromLatin1(nome));
    d->setWindowTitle(titolo);
    d->setModal(true);
    QFont grande = d->font();
    grande.setPointSizeF(corpo * adattamento());
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
        p->setMinimumSize(misura(160), misura(56));
        p->setAutoDefault(false);
        riga->addWidget(p);
    }
    b.stampa->setDefault(true);
    layout->addSpacing(8);
    layout->addLayout(riga);
    return b;
}
