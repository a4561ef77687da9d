#include "panel/videoscontrino.h"

#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include "panel/dialoghi.h"
#include "panel/vendita.h"
#include "widgets/dataerror.h"
#include "widgets/fieldlinks.h"

Tfrmvideoscontr::Tfrmvideoscontr(QWidget* parent) : QDialog(parent) {
    preparaDialogo(this, "Tfrmvideoscontr", QStringLiteral("Intestazione scontrino"), 15);

    auto* lay = new QVBoxLayout(this);
    lay->setSpacing(8);
    for (int i = 0; i < 4; ++i) {
        auto* e = new QLineEdit(this);
        e->setObjectName(QStringLiteral("Edit%1").arg(i + 1));
        e->setMaxLength(50);
        e->setMinimumHeight(misura(48));
        e->setMinimumWidth(misura(520));
        e->installEventFilter(this);
        lay->addWidget(e);
        edit_[i] = e;
    }
    auto* numRow = new QHBoxLayout;
    auto* label = new QLabel(QStringLiteral("Documento numero"), this);
    label->setObjectName(QStringLiteral("Label1"));
    numRow->addWidget(label);
    edit_[4] = new QLineEdit(this);
    edit_[4]->setObjectName(QStringLiteral("Edit5"));
    edit_[4]->setMaxLength(13);
    edit_[4]->setMinimumHeight(misura(48));
    edit_[4]->setMaximumWidth(misura(220));
    label->setBuddy(edit_[4]);
    numRow->addWidget(edit_[4]);
    numRow->addStretch();
    lay->addLayout(numRow);

    const BottoniDialogo b = bottoniAnnullaStampa(this, lay, "BitBtn2", "BitBtn3");
    connect(b.annulla, &QPushButton::clicked, this, &Tfrmvideoscontr::BitBtn2Click);
    connect(b.stampa, &QPushButton::clicked, this, &Tfrmvideoscontr::BitBtn3Click);
}

void Tfrmvideoscontr::scollega() {
    qDeleteAll(links_);
    links_.clear();
    vendita_ = nullptr;
}

void Tfrmvideoscontr::collega(VenditaInCorso& vendita) {
    scollega();
    vendita_ = &vendita;
    static const char* const campi[] = {"Intesta1", "Intesta2", "Intesta3", "Intesta4",
                                        "Docum_numero"};
    for (int i = 0; i < 5; ++i)
        links_ << new LineEditLink(vendita.appoggio_I, QString::fromLatin1(campi[i]), edit_[i]);
}

bool Tfrmvideoscontr::esegui(const QDate& datamov) {
    datamov_ = datamov;
    stampa_confermata = false;
    if (!vendita_) return false;
    try {
        FormShow();
    } catch (const DatabaseError& e) {
        showDataError(e);
        return false;
    }
    exec();
    return stampa_confermata;
}

void Tfrmvideoscontr::FormShow() {
    vendita_->prepara_intestazione(datamov_);
    for (LineEditLink* l : std::as_const(links_)) l->refresh();
    stampa_confermata = false;
    // The lines kept from last time are not selected: a stray key must not replace them. The
    // dialog selects its first field's text as it shows, so this waits until it is shown.
    edit_[0]->setFocus();
    QTimer::singleShot(0, edit_[0], [e = edit_[0]] { e->end(false); });
}

bool Tfrmvideoscontr::eventFilter(QObject* watched, QEvent* event) {
    // Enter in a heading line goes on to the next field; in the number it prints.
    if (event->type() == QEvent::KeyPress) {
        const int k = static_cast<QKeyEvent*>(event)->key();
        if (k == Qt::Key_Return || k == Qt::Key_Enter) {
            for (int i = 0; i < 4; ++i)
                if (watched == edit_[i]) {
                    edit_[i + 1]->setFocus(Qt::TabFocusReason);
                    return true;
                }
        }
    }
    return QDialog::eventFilter(watched, event);
}

void Tfrmvideoscontr::memorizza() {
    if (vendita_ && vendita_->appoggio_I.isEditing()) vendita_->appoggio_I.post();
}

void Tfrmvideoscontr::BitBtn2Click() {
    try {
        memorizza();
    } catch (const DatabaseError& e) {
        showDataError(e);
        if (vendita_) vendita_->appoggio_I.cancel();
    }
    stampa_confermata = false;
    QDialog::reject();
}

void Tfrmvideoscontr::BitBtn3Click() {
    try {
        memorizza();
    } catch (const DatabaseError& e) {
        // Nothing is printed on a header that could not be stored; the window stays.
        showDataError(e);
        return;
    }
    stampa_confermata = true;
    accept();
}

void Tfrmvideoscontr::reject() {
    BitBtn2Click();
}
