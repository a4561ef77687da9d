#include "stock/sfuso1.h"

#include <QFocusEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>

#include "common/format.h"
#include "common/messages.h"
#include "data/shareddata.h"
#include "stock/ask.h"
#include "stock/giornale.h"
#include "widgets/dataerror.h"
#include "widgets/formgeometry.h"
#include "widgets/scrollbody.h"
#include "widgets/zoom.h"

namespace {

template <typename W>
W* named(W* w, const char* name) {
    w->setObjectName(QString::fromLatin1(name));
    return w;
}

bool isEnter(QEvent* e) {
    if (e->type() != QEvent::KeyPress) return false;
    const int k = static_cast<QKeyEvent*>(e)->key();
    return k == Qt::Key_Return || k == Qt::Key_Enter;
}

// Leaving a field by the user's own move, not because a message box took the focus.
bool userLeft(QEvent* e) {
    if (e->type() != QEvent::FocusOut) return false;
    const Qt::FocusReason r = static_cast<QFocusEvent*>(e)->reason();
    return r != Qt::ActiveWindowFocusReason && r != Qt::PopupFocusReason;
}

}  // namespace

TfrmSfuso1::TfrmSfuso1(SharedData& sd, int zoom, QWidget* parent)
    : QDialog(parent), sd_(sd), rules_(sd.db) {
    setObjectName(QStringLiteral("TfrmSfuso1"));
    setWindowTitle(QStringLiteral("Registrazione rapida"));
    applyZoomFont(this, zoom);
    auto* lay = new QVBoxLayout(scrollingBody(this));
    auto* top = new QGridLayout;
    lay->addLayout(top);

    top->addWidget(new QLabel(QStringLiteral("Data registrazione"), this), 0, 0);
    data_ = named(new QLineEdit(this), "Data");
    data_->setText(GiornaleMovimenti::testoData(QDate::currentDate()));
    data_->setPlaceholderText(QStringLiteral("gg/mm/aaaa"));
    data_->setMaximumWidth(120);
    top->addWidget(data_, 0, 1);

    top->addWidget(new QLabel(QStringLiteral("Barcode prodotto"), this), 1, 0);
    auto* codeRow = new QHBoxLayout;
    codice_ = named(new QLineEdit(this), "Codice");
    codice_->setMaximumWidth(160);
    cerca_ = named(new QToolButton(this), "CodiceButton");
    cerca_->setText(QStringLiteral("..."));
    cerca_->setToolTip(QStringLiteral("Ricerca prodotti"));
    // Reachable with Tab (after the code), never taking the focus on a click.
    cerca_->setFocusPolicy(Qt::TabFocus);
    codeRow->addWidget(codice_);
    codeRow->addWidget(cerca_);
    prodotto_ = named(new QLabel(this), "prodotto");
    QFont bold = prodotto_->font();
    bold.setBold(true);
    prodotto_->setFont(bold);
    codeRow->addWidget(prodotto_, 1);
    top->addLayout(codeRow, 1, 1);

    top->addWidget(new QLabel(QStringLiteral("Quantità"), this), 2, 0);
    auto* qRow = new QHBoxLayout;
    scaricare_ = named(new QLineEdit(this), "scaricare");
    scaricare_->setMaximumWidth(120);
    scaricare_->setAlignment(Qt::AlignRight);
    scaricare_->setValidator(new QRegularExpressionValidator(
        QRegularExpression(QStringLiteral("^[0-9]{0,9}([.,][0-9]{0,3})?$")), scaricare_));
    qRow->addWidget(scaricare_);
    qRow->addWidget(new QLabel(QStringLiteral("disponibilità :"), this));
    auto* av = new QVBoxLayout;
    giacenza_ = named(new QLabel(this), "giacenza");
    giacenza_->setFont(bold);
    tipoSB_ = named(new QLabel(this), "tipo_SB");
    av->addWidget(giacenza_);
    av->addWidget(tipoSB_);
    qRow->addLayout(av);
    qRow->addStretch();
    top->addLayout(qRow, 2, 1);

    auto* box = named(new QGroupBox(QStringLiteral(" operatività "), this), "gruppo_operativita");
    auto* boxLay = new QVBoxLayout(box);
    normale_ = named(new QRadioButton(QStringLiteral("normale"), box), "r_normale");
    scarico_ = named(new QRadioButton(QStringLiteral("scarico manuale"), box), "r_scarico");
    carico_ = named(new QRadioButton(QStringLiteral("carico manuale"), box), "r_carico");
    normale_->setChecked(true);
    boxLay->addWidget(normale_);
    boxLay->addWidget(scarico_);
    boxLay->addWidget(carico_);
    boxLay->addWidget(
        new QLabel(QStringLiteral("(l'operazione verrà registrata manualmente sul portale)"), box));
    auto* midRow = new QHBoxLayout;
    midRow->addWidget(box);
    conferma_ = named(new QPushButton(QStringLiteral("Conferma"), this), "btnconferma");
    conferma_->setAutoDefault(true);
    conferma_->setMinimumHeight(48);
    midRow->addWidget(conferma_, 0, Qt::AlignBottom);
    lay->addLayout(midRow);

    lay->addWidget(new QLabel(QStringLiteral("Ultime operazioni registrate"), this));
    memo_ = named(new QPlainTextEdit(this), "Memo1");
    memo_->setReadOnly(true);
    memo_->setFocusPolicy(Qt::NoFocus);
    lay->addWidget(memo_, 1);
    auto* totRow = new QHBoxLayout;
    auto* clear = named(new QToolButton(this), "SpeedButton1");
    clear->setIcon(style()->standardIcon(QStyle::SP_DialogResetButton));
    clear->setToolTip(QStringLiteral("Azzera l'elenco e il totale"));
    clear->setFocusPolicy(Qt::TabFocus);
    totRow->addWidget(clear);
    totRow->addStretch();
    auto* totCol = new QVBoxLayout;
    totCol->addWidget(new QLabel(QStringLiteral("Totale €"), this), 0, Qt::AlignRight);
    totale_ = named(new QLabel(this), "Totale");
    totale_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    totale_->setFont(bold);
    totale_->setMinimumWidth(120);
    totCol->addWidget(totale_);
    totRow->addLayout(totCol);
    lay->addLayout(totRow);

    // Tab from the quantity leads to "Conferma", as Enter does for the barcode reader.
    setTabOrder(data_, codice_);
    setTabOrder(codice_, cerca_);
    setTabOrder(cerca_, scaricare_);
    setTabOrder(scaricare_, conferma_);
    setTabOrder(conferma_, normale_);
    setTabOrder(normale_, scarico_);
    setTabOrder(scarico_, carico_);
    setTabOrder(carico_, clear);

    for (QWidget* w : {static_cast<QWidget*>(data_), static_cast<QWidget*>(codice_),
                       static_cast<QWidget*>(scaricare_)})
        w->installEventFilter(this);
    connect(codice_, &QLineEdit::textEdited, this, [this](const QString& t) {
        // Input is forced to upper case.
        if (t != t.toUpper()) {
            const int pos = codice_->cursorPosition();
            codice_->setText(t.toUpper());
            codice_->setCursorPosition(pos);
        }
    });
    connect(codice_, &QLineEdit::textChanged, this, &TfrmSfuso1::CodiceChange);
    connect(cerca_, &QToolButton::clicked, this, &TfrmSfuso1::CodiceButtonClick);
    connect(conferma_, &QPushButton::clicked, this, &TfrmSfuso1::btnconfermaClick);
    connect(clear, &QToolButton::clicked, this, &TfrmSfuso1::SpeedButton1Click);
    resize(QSize(620, 520) * zoomFactor(zoom));
    FormGeometry::fitToScreen(this);
}

bool TfrmSfuso1::eventFilter(QObject* watched, QEvent* event) {
    if (watched == codice_) {
        if (isEnter(event)) {
            CodiceExit();
            return true;
        }
        if (userLeft(event) && !busy_) CodiceExit();
    } else if (watched == scaricare_) {
        if (isEnter(event)) {
            if (quantitaLeggibile()) conferma_->setFocus(Qt::TabFocusReason);
            return true;
        }
        // Tab leads on to "Conferma" by the tab order; the value is shown as formatted.
        if (userLeft(event) && !busy_ && quantitaLeggibile()) mostraQuantita(quantita());
    } else if (watched == data_) {
        if (isEnter(event)) {
            DataExit();
            return true;
        }
        if (userLeft(event) && !busy_) DataExit();
    }
    return QDialog::eventFilter(watched, event);
}

bool TfrmSfuso1::quantitaLeggibile() {
    // "1.500" is fifteen hundred to a person and 1,5 to a keypad: the user says which.
    double v = 0;
    const QString text = scaricare_->text().trimmed();
    if (parseTypedNumber(text, &v) != TypedNumber::Ambiguous) return true;
    busy_ = true;
    Mymsg::message(msgNumeroAmbiguo(text));
    busy_ = false;
    vaiA(FocusRapido::Quantita);
    return false;
}

double TfrmSfuso1::quantita() const {
    double v = 0;
    if (!parseNumber(scaricare_->text().trimmed(), &v)) return 0;
    return v;
}

void TfrmSfuso1::mostraQuantita(double q) {
    scaricare_->setText(formatFloat(QStringLiteral("#.###"), q));
}

void TfrmSfuso1::vaiA(FocusRapido f) {
    busy_ = true;
    switch (f) {
        case FocusRapido::Codice:
            codice_->setFocus(Qt::OtherFocusReason);
            break;
        case FocusRapido::Quantita:
            scaricare_->setFocus(Qt::OtherFocusReason);
            break;
        case FocusRapido::Data:
            data_->setFocus(Qt::OtherFocusReason);
            break;
        case FocusRapido::Nessuno:
            break;
    }
    busy_ = false;
}

void TfrmSfuso1::CodiceExit() {
    if (codice_->text().isEmpty()) return;
    prepara_prodotto();
}

void TfrmSfuso1::prepara_prodotto() {
    RegistrazioneRapida::Preparazione p;
    try {
        p = rules_.prepara_prodotto(codice_->text());
    } catch (const DatabaseError& e) {
        showDataError(e);
        return;
    }
    if (!p.messaggio.isEmpty()) Mymsg::plain(p.messaggio);
    if (p.trovato) {
        tipoSB_->setText(p.tipoSB);
        prodotto_->setText(p.prodotto);
        giacenza_->setText(p.giacenza);
    }
    if (p.disponibile) {
        scaricare_->clear();
        vaiA(FocusRapido::Quantita);
    } else {
        codice_->clear();  // clears the labels too
        vaiA(FocusRapido::Codice);
    }
}

void TfrmSfuso1::CodiceButtonClick() {
    if (!ask_) ask_ = new Tfrm_ask(sd_.db, 100, this);
    ask_->setCodiceTarget(codice_);
    ask_->exec();
    prepara_prodotto();
}

void TfrmSfuso1::CodiceChange(const QString& text) {
    if (text.isEmpty()) localclear();
}

void TfrmSfuso1::localclear() {
    mostraQuantita(0);
    tipoSB_->clear();
    giacenza_->clear();
    prodotto_->clear();
}

void TfrmSfuso1::DataExit() {
    const QString text = data_->text().trimmed();
    if (!text.isEmpty()) {
        const QDate d = parseTypedDate(text);
        if (d.isValid()) {
            data_->setText(GiornaleMovimenti::testoData(d));
            return;
        }
        // A day that does not exist is refused here, not at the first registration.
        busy_ = true;
        Mymsg::message(msgDataNonValida(text));
        busy_ = false;
        vaiA(FocusRapido::Data);
        return;
    }
    busy_ = true;
    Mymsg::plain(RegistrazioneRapida::msgPrimaLaData());
    busy_ = false;
    vaiA(FocusRapido::Data);
}

void TfrmSfuso1::btnconfermaClick() {
    if (!quantitaLeggibile()) return;
    const QString dataText = data_->text().trimmed();
    if (!dataText.isEmpty() && !parseTypedDate(dataText).isValid()) {
        Mymsg::message(msgDataNonValida(dataText));
        vaiA(FocusRapido::Data);
        return;
    }
    const double q = quantita();
    mostraQuantita(q);
    const OperazioneRapida op = scarico_->isChecked()  ? OperazioneRapida::ScaricoManuale
                                : carico_->isChecked() ? OperazioneRapida::CaricoManuale
                                                       : OperazioneRapida::Normale;
    RegistrazioneRapida::Esito e;
    try {
        e = rules_.conferma(op, q, scaricare_->text(), prodotto_->text(),
                            GiornaleMovimenti::leggiData(data_->text()));
    } catch (const DatabaseError& err) {
        showDataError(err);
        return;
    }
    if (!e.messaggio.isEmpty()) Mymsg::plain(e.messaggio);
    if (e.fatto) {
        memo_->appendPlainText(rules_.operazioni.constLast());
        totale_->setText(formatFloat(QStringLiteral("0.00"), rules_.totale));
    }
    if (e.svuotaQuantita) scaricare_->clear();
    if (e.svuotaCodice) codice_->clear();
    vaiA(e.focus);
}

void TfrmSfuso1::SpeedButton1Click() {
    rules_.azzera();
    memo_->clear();
    totale_->clear();
}

void TfrmSfuso1::setRicerca(Tfrm_ask* ask) {
    ask_ = ask;
}

void TfrmSfuso1::showEvent(QShowEvent* e) {
    QDialog::showEvent(e);
    // Ready for the reader's first code.
    vaiA(FocusRapido::Codice);
}
