#include "panel/sinotticofrm.h"

#include <QAbstractListModel>
#include <QDateEdit>
#include <QGridLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QListView>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QStyledItemDelegate>
#include <QToolButton>
#include <QVBoxLayout>

#include "common/format.h"
#include "common/messages.h"
#include "data/database.h"
#include "panel/cella.h"
#include "panel/dialoghi.h"
#include "panel/griglia.h"
#include "panel/videocliente.h"
#include "panel/videoscontrino.h"
#include "platform/desktop.h"
#include "printing/settastampante.h"
#include "widgets/buttons.h"
#include "widgets/dataerror.h"

namespace {

// The fixed regions at the design density of 96 dots per inch.
constexpr int altezzaBarraAlta = 77;
constexpr int altezzaBarraBassa = 41;
constexpr int larghezzaColonna = 292;
constexpr int toccoMinimo = 48;  // no touch target is lower than this

template <typename W>
W* named(W* w, const char* name) {
    w->setObjectName(QString::fromLatin1(name));
    return w;
}

// pt: the size drawn for 1024 x 768; adatta: adattamento() of the panel's area.
QFont corpo(const QFont& base, double adatta, double pt, bool bold = false) {
    QFont f = base;
    f.setPointSizeF(pt * adatta);
    f.setBold(bold);
    return f;
}

// The clear key's picture: a key pointing left with a cross, as on a keyboard's erase key.
QIcon iconaCancella(int lato) {
    QPixmap pm(lato, lato);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    const double s = lato / 24.0;
    QPainterPath tasto;
    tasto.moveTo(2 * s, 12 * s);
    tasto.lineTo(8 * s, 5 * s);
    tasto.lineTo(22 * s, 5 * s);
    tasto.lineTo(22 * s, 19 * s);
    tasto.lineTo(8 * s, 19 * s);
    tasto.closeSubpath();
    p.setPen(QPen(QColor(0x7b, 0x12, 0x2a), 1.6 * s));
    p.setBrush(QColor(0xfd, 0xec, 0xec));
    p.drawPath(tasto);
    p.setPen(QPen(QColor(0x7b, 0x12, 0x2a), 2.2 * s, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(11 * s, 8.5 * s), QPointF(18 * s, 15.5 * s));
    p.drawLine(QPointF(18 * s, 8.5 * s), QPointF(11 * s, 15.5 * s));
    return QIcon(pm);
}

// The sale list: one entry of two lines per line of the sale, from the sale's table.
class RigheModel : public QAbstractListModel {
public:
    enum Ruolo { Id = Qt::UserRole, Dettaglio, Prezzo, Totale };

    explicit RigheModel(DataSet& righe, QObject* parent) : QAbstractListModel(parent), ds_(righe) {
        connect(&ds_, &DataSet::reset, this, [this] {
            beginResetModel();
            endResetModel();
        });
        connect(&ds_, &DataSet::rowInserted, this, [this] {
            beginResetModel();
            endResetModel();
        });
        connect(&ds_, &DataSet::rowRemoved, this, [this] {
            beginResetModel();
            endResetModel();
        });
    }
    int rowCount(const QModelIndex& parent = {}) const override {
        return parent.isValid() || !ds_.isOpen() ? 0 : ds_.recordCount();
    }
    QVariant data(const QModelIndex& index, int role) const override {
        if (!index.isValid() || index.row() >= rowCount()) return {};
        const int r = index.row();
        auto valore = [&](const char* f) {
            const Field* field = ds_.findField(QString::fromLatin1(f));
            return field ? ds_.valueAt(r, field->index()) : QVariant();
        };
        auto testo = [&](const char* f) {
            const Field* field = ds_.findField(QString::fromLatin1(f));
            return field ? ds_.displayTextAt(r, field->index()) : QString();
        };
        switch (role) {
            case Qt::DisplayRole:
                return valore("Descrizione");
            case Id:
                return valore("ID");
            case Dettaglio:
                return QString(valore("UM").toString() + QStringLiteral("  ") +
                               formatGeneral(valore("Quantita").toDouble()));
            case Prezzo:
                return testo("PREZZO");
            case Totale:
                return testo("TOTALE");
            default:
                return {};
        }
    }

private:
    DataSet& ds_;
};

class RigheDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex&) const override {
        const QFontMetrics fm(option.font);
        return {option.rect.width(), std::max(toccoMinimo, 2 * fm.height() + 14)};
    }
    void paint(QPainter* p, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        p->save();
        const QRect r = option.rect;
        const bool pari = index.row() % 2 == 0;
        p->fillRect(r, option.state & QStyle::State_Selected ? QColor(0xe8, 0xd6, 0xdb)
                       : pari                                ? QColor(Qt::white)
                                                             : QColor(0xf6, 0xf1, 0xe9));
        p->setPen(QColor(0xcc, 0xc4, 0xb8));
        p->drawLine(r.bottomLeft(), r.bottomRight());
        const QFontMetrics fm(option.font);
        const int h = fm.height();
        const QRect riga1(r.left() + 6, r.top() + 5, r.width() - 12, h);
        const QRect riga2(r.left() + 6, r.top() + 7 + h, r.width() - 12, h);
        QFont bold = option.font;
        bold.setBold(true);
        p->setPen(Qt::black);
        p->setFont(bold);
        p->drawText(
            riga1, Qt::AlignLeft | Qt::AlignVCenter,
            QFontMetrics(bold).elidedText(index.data().toString(), Qt::ElideRight, riga1.width()));
        p->setFont(option.font);
        const int terzo = riga2.width() / 3;
        p->drawText(riga2.adjusted(0, 0, -2 * terzo, 0), Qt::AlignLeft | Qt::AlignVCenter,
                    index.data(RigheModel::Dettaglio).toString());
        p->drawText(riga2.adjusted(terzo, 0, -terzo, 0), Qt::AlignRight | Qt::AlignVCenter,
                    index.data(RigheModel::Prezzo).toString());
        p->setFont(bold);
        p->drawText(riga2.adjusted(2 * terzo, 0, 0, 0), Qt::AlignRight | Qt::AlignVCenter,
                    index.data(RigheModel::Totale).toString());
        p->restore();
    }
};

QPushButton* tasto(QWidget* parent, const char* name, const QString& caption, const QFont& font) {
    auto* b = named(new QPushButton(caption, parent), name);
    b->setFont(font);
    b->setFocusPolicy(Qt::NoFocus);
    b->setAutoDefault(false);
    return b;
}

}  // namespace

Tfrmsinottico::Tfrmsinottico(Database& db, const QRect& areaLavoro, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint), vendita_(db) {
    // FormCreate. The window was drawn for 96 dots per inch: denser screens scale it.
    setObjectName(QStringLiteral("Tfrmsinottico"));
    setWindowTitle(QStringLiteral("Sinottico scarico"));
    if (QScreen* s = QGuiApplication::primaryScreen()) {
        const double dpi = s->logicalDotsPerInch();
        if (dpi > 0 && std::abs(dpi - 96.0) > 0.5) scala_ = dpi / 96.0;
    }
    QRect area = areaLavoro.isValid() ? areaLavoro : availableWorkArea();
    if (!area.isValid()) area = QRect(0, 0, 1024, 768);
    // A work area smaller than the panel was drawn for gets all of it smaller alike.
    const double adatta = adattamento(area);
    scala_ *= adatta;
    adatta_ = adatta;
    auto px = [this](int v) { return int(v * scala_ + 0.5); };
    setGeometry(area);
    setFocusPolicy(Qt::StrongFocus);

    const QFont base = font();
    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setSpacing(0);

    // ---- top bar: movement date, keypad, entry, availability, "SCARICA"
    auto* alto = named(new QFrame(this), "Panel3");
    alto->setFrameShape(QFrame::StyledPanel);
    alto->setFixedHeight(px(altezzaBarraAlta));
    alto->setAutoFillBackground(true);
    grid->addWidget(alto, 0, 0, 1, 2);
    auto* barra = new QHBoxLayout(alto);
    barra->setContentsMargins(px(4), px(4), px(4), px(4));
    barra->setSpacing(px(4));
    const int altezzaTasto = px(altezzaBarraAlta) - px(8);

    auto* dataBox = new QVBoxLayout;
    dataBox->setSpacing(0);
    auto* dataLabel = named(new QLabel(QStringLiteral("Data movimenti"), alto), "Label1");
    dataLabel->setFont(corpo(base, adatta, 10));
    datamov_ = named(new QDateEdit(QDate::currentDate(), alto), "datamov");
    datamov_->setDisplayFormat(QStringLiteral("dd/MM/yyyy"));
    datamov_->setCalendarPopup(true);
    datamov_->setFont(corpo(base, adatta, 13, true));
    datamov_->setMinimumHeight(px(toccoMinimo));
    datamov_->setFixedWidth(px(156));
    dataBox->addWidget(dataLabel);
    dataBox->addWidget(datamov_);
    barra->addLayout(dataBox);

    auto* tasti = new QHBoxLayout;
    tasti->setSpacing(px(3));
    const QFont fontTasti = corpo(base, adatta, 20, true);
    auto aggiungi = [&](QPushButton* b) {
        b->setMinimumSize(px(40), altezzaTasto);
        b->setMaximumSize(px(96), altezzaTasto);
        b->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
        tasti->addWidget(b);
    };
    static const char* const nomiCifre[] = {"BitBtn2",  "BitBtn3", "BitBtn4", "BitBtn5",
                                            "BitBtn6",  "BitBtn7", "BitBtn8", "BitBtn9",
                                            "BitBtn10", "BitBtn11"};
    for (int i = 0; i < 10; ++i) {
        QPushButton* b = tasto(alto, nomiCifre[i], QString::number(i == 9 ? 0 : i + 1), fontTasti);
        connect(b, &QPushButton::clicked, this, [this, b] { Inserisce_numeri(b); });
        aggiungi(b);
    }
    QPushButton* virgola = tasto(alto, "BitBtn15", QStringLiteral(","), fontTasti);
    connect(virgola, &QPushButton::clicked, this, &Tfrmsinottico::Inserisce_virgola);
    aggiungi(virgola);
    QPushButton* cancella = tasto(alto, "BitBtn1", QString(), fontTasti);
    cancella->setIcon(iconaCancella(px(32)));
    cancella->setIconSize(QSize(px(32), px(32)));
    cancella->setToolTip(QStringLiteral("Cancella la quantità"));
    connect(cancella, &QPushButton::clicked, this, &Tfrmsinottico::BitBtn1Click);
    aggiungi(cancella);
    barra->addLayout(tasti, 1);
    barra->addStretch(0);

    auto* qBox = new QVBoxLayout;
    qBox->setSpacing(0);
    auto* qLabel = named(new QLabel(QStringLiteral("Quantità"), alto), "Label2");
    qLabel->setFont(corpo(base, adatta, 10));
    ingresso_ = named(new QLabel(alto), "ingresso");
    ingresso_->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    ingresso_->setLineWidth(2);
    ingresso_->setAutoFillBackground(true);
    QPalette bianco = ingresso_->palette();
    bianco.setColor(QPalette::Window, Qt::white);
    bianco.setColor(QPalette::WindowText, Qt::black);
    ingresso_->setPalette(bianco);
    ingresso_->setFont(corpo(base, adatta, 22, true));
    ingresso_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    ingresso_->setFixedSize(px(110), px(toccoMinimo));
    qBox->addWidget(qLabel);
    qBox->addWidget(ingresso_);
    barra->addLayout(qBox);

    auto* dispBox = new QVBoxLayout;
    dispBox->setSpacing(0);
    auto* label5 = named(new QLabel(QStringLiteral("disponibilità"), alto), "Label5");
    label5->setFont(corpo(base, adatta, 10));
    tipoSB_ = named(new QLabel(alto), "tipo_SB");
    tipoSB_->setFont(corpo(base, adatta, 11));
    disponibile_ = named(new QLabel(alto), "disponibile");
    disponibile_->setFont(corpo(base, adatta, 16, true));
    for (QLabel* l : {label5, tipoSB_, disponibile_}) {
        l->setFixedWidth(px(100));
        dispBox->addWidget(l);
    }
    barra->addLayout(dispBox);

    scarica_ = tasto(alto, "btnscarica", QStringLiteral("SCARICA"), corpo(base, adatta, 16, true));
    scarica_->setFixedSize(px(112), altezzaTasto);
    scarica_->setEnabled(false);
    connect(scarica_, &QPushButton::clicked, this, &Tfrmsinottico::btnscaricaClick);
    barra->addWidget(scarica_);

    // ---- product area
    pannello_ = named(new QWidget(this), "Pannello");
    grid->addWidget(pannello_, 1, 0);

    // ---- right column: the sale, its total, the receipt and the document
    auto* colonna = named(new QFrame(this), "Panel4");
    colonna->setFrameShape(QFrame::StyledPanel);
    colonna->setFixedWidth(px(larghezzaColonna));
    grid->addWidget(colonna, 1, 1, 2, 1);
    auto* col = new QVBoxLayout(colonna);
    col->setContentsMargins(px(4), px(4), px(4), px(4));
    col->setSpacing(px(4));
    scontrino_ = named(new QListView(colonna), "Scontrino");
    scontrino_->setFont(corpo(base, adatta, 12));
    scontrino_->setModel(new RigheModel(vendita_.appoggio_R, scontrino_));
    scontrino_->setItemDelegate(new RigheDelegate(scontrino_));
    scontrino_->setSelectionMode(QAbstractItemView::SingleSelection);
    scontrino_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    scontrino_->setFocusPolicy(Qt::NoFocus);
    scontrino_->setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    scontrino_->verticalScrollBar()->setStyleSheet(
        QStringLiteral("QScrollBar:vertical { width: %1px; }").arg(px(28)));
    connect(scontrino_, &QListView::doubleClicked, this,
            [this](const QModelIndex& i) { ScontrinoDblClick(i.row()); });
    col->addWidget(scontrino_, 1);

    auto* panel2 = named(new QFrame(colonna), "Panel2");
    auto* totRow = new QHBoxLayout(panel2);
    totRow->setContentsMargins(0, 0, 0, 0);
    auto* svuota = named(new QToolButton(panel2), "SpeedButton1");
    svuota->setIcon(buttonImage(ImgCancella));
    svuota->setIconSize(QSize(px(32), px(32)));
    svuota->setFixedSize(px(56), px(56));
    svuota->setToolTip(QStringLiteral("Annulla la vendita in corso"));
    svuota->setFocusPolicy(Qt::NoFocus);
    connect(svuota, &QToolButton::clicked, this, &Tfrmsinottico::SpeedButton1Click);
    totRow->addWidget(svuota);
    auto* label4 = named(new QLabel(QStringLiteral("Totale €"), panel2), "Label4");
    label4->setFont(corpo(base, adatta, 14, true));
    totRow->addWidget(label4);
    totale_ = named(new QLabel(panel2), "DBText5");
    totale_->setFont(corpo(base, adatta, 24, true));
    totale_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    totRow->addWidget(totale_, 1);
    col->addWidget(panel2);

    auto* fine = new QHBoxLayout;
    auto* stampaIntest =
        tasto(colonna, "StampaIntest", QStringLiteral("Scontrino"), corpo(base, adatta, 15, true));
    auto* fattura =
        tasto(colonna, "Fattura", QStringLiteral("Ricevuta"), corpo(base, adatta, 15, true));
    for (QPushButton* b : {stampaIntest, fattura}) {
        b->setMinimumHeight(px(64));
        fine->addWidget(b);
    }
    connect(stampaIntest, &QPushButton::clicked, this, &Tfrmsinottico::StampaIntestClick);
    connect(fattura, &QPushButton::clicked, this, &Tfrmsinottico::FatturaClick);
    col->addLayout(fine);
    auto* esci =
        tasto(colonna, "btnEsci", QStringLiteral("Fine lavoro"), corpo(base, adatta, 13, true));
    esci->setMinimumHeight(px(toccoMinimo));
    connect(esci, &QPushButton::clicked, this, &Tfrmsinottico::btnEsciClick);
    col->addWidget(esci);

    // ---- bottom bar under the products: the last line added
    auto* basso = named(new QFrame(this), "Panel1");
    basso->setFrameShape(QFrame::StyledPanel);
    basso->setFixedHeight(px(altezzaBarraBassa));
    grid->addWidget(basso, 2, 0);
    auto* bassoRow = new QHBoxLayout(basso);
    bassoRow->setContentsMargins(px(8), 0, px(8), 0);
    auto* label3 = named(new QLabel(QStringLiteral("Ultimo inserimento:"), basso), "Label3");
    label3->setFont(corpo(base, adatta, 12));
    ultimo_ = named(new QLabel(vendita_.ultimo, basso), "ultimo");
    ultimo_->setFont(corpo(base, adatta, 14, true));
    bassoRow->addWidget(label3);
    bassoRow->addWidget(ultimo_, 1);

    // The grid, built once from the settings and products as stored now.
    const QSize prodotti(area.width() - px(larghezzaColonna),
                         area.height() - px(altezzaBarraAlta) - px(altezzaBarraBassa));
    try {
        costruisciGriglia(db, prodotti);
    } catch (const DatabaseError&) {
        // Without a database the program has already said so; the panel stays empty.
        if (db.isOpen()) throw;
    }

    connect(&vendita_, &VenditaInCorso::cambiata, this, &Tfrmsinottico::mostra);
}

Tfrmsinottico::~Tfrmsinottico() {
    // A header window made at start-up outlives the sale it was bound to.
    if (intestazione_ && intestazione_->parent() != this) intestazione_->scollega();
}

Tfrmsinottico::Stampa Tfrmsinottico::stampaCon(std::function<PrintRoutine&()> get) {
    return
        [get](const QString& name, const QString& title, bool document, int output, int printer) {
            // The flag too, for whoever reads it after the panel printed.
            PrintRoutine& routine = get();
            routine.setReportPrinted(false);
            return routine.setta_stampante(name, title, document, output, printer);
        };
}

void Tfrmsinottico::costruisciGriglia(Database& db, const QSize& area) {
    const DimensioniGriglia d = dimensioni_griglia(db);
    x_ = d.x;
    y_ = d.y;
    const MisureGriglia m = misure_griglia(area.width(), area.height(), x_, y_);
    const QVector<CellaGriglia> celle = celle_griglia(prodotti_griglia(db, x_ * y_), x_, y_);
    celle_.reserve(celle.size());
    const QFont fontCella = corpo(font(), adatta_, 18, true);
    for (int r = 0; r < y_; ++r) {
        for (int c = 0; c < x_; ++c) {
            const CellaGriglia& g = celle[r * x_ + c];
            auto* cella = new CellaSinottico(pannello_);
            cella->setObjectName(QStringLiteral("celle_%1_%2").arg(c).arg(r));
            cella->setFont(fontCella);
            cella->setGeometry(m.larghezza * c + m.sinistra, m.altezza * r + m.alto, m.larghezza,
                               m.altezza);
            cella->setCaption(g.caption);
            if (g.prodotto) {
                if (g.rgb) cella->setColore(QColor::fromRgb(*g.rgb));
                cella->setProdotto(true);
                connect(cella, &CellaSinottico::toccata, this, &Tfrmsinottico::Scelta_Vino_Click);
                connect(cella, &CellaSinottico::premuta, this, &Tfrmsinottico::scelta_MouseDown);
                connect(cella, &CellaSinottico::rilasciata, this, &Tfrmsinottico::Scelta_MouseUp);
            }
            celle_ << cella;
        }
    }
}

CellaSinottico* Tfrmsinottico::cella(int colonna, int riga) const {
    if (colonna < 0 || colonna >= x_ || riga < 0 || riga >= y_) return nullptr;
    return celle_.value(riga * x_ + colonna);
}

QDate Tfrmsinottico::datamov() const {
    return datamov_->date();
}

void Tfrmsinottico::setDatamov(const QDate& d) {
    datamov_->setDate(d);
}

void Tfrmsinottico::setIntestazione(Tfrmvideoscontr* finestra) {
    intestazione_ = finestra;
    if (intestazione_) intestazione_->collega(vendita_);
}

Tfrmvideoscontr* Tfrmsinottico::intestazione() {
    if (!intestazione_) setIntestazione(new Tfrmvideoscontr(this));
    return intestazione_;
}

void Tfrmsinottico::setClienti(Tfrmvideocli* finestra) {
    clienti_ = finestra;
}

Tfrmvideocli* Tfrmsinottico::clienti() {
    if (!clienti_) clienti_ = new Tfrmvideocli(vendita_.db(), this);
    return clienti_;
}

// ---- opening and closing

void Tfrmsinottico::showEvent(QShowEvent* e) {
    QDialog::showEvent(e);
    if (!aperto_) FormShow();
}

void Tfrmsinottico::FormShow() {
    aperto_ = true;
    try {
        vendita_.apri();
        evidenzia(cella(0, 0));
        Seleziona(scelta_ ? scelta_->caption() : QString());
        // The entry kept from the last time counts as typed.
        vendita_.rileggi_ingresso();
        scontrino_->scrollToBottom();
    } catch (const DatabaseError& err) {
        showDataError(err);
    }
    setFocus();
    mostra();
}

void Tfrmsinottico::done(int r) {
    FormClose();
    QDialog::done(r);
}

void Tfrmsinottico::FormClose() {
    if (!aperto_) return;
    aperto_ = false;
    try {
        vendita_.chiudi();
    } catch (const DatabaseError& err) {
        showDataError(err);
    }
    ripristina();
    scelta_ = nullptr;
}

void Tfrmsinottico::btnEsciClick() {
    accept();
}

void Tfrmsinottico::keyPressEvent(QKeyEvent* e) {
    // A keyboard or a numeric keypad works as the keys on the screen.
    const QString t = e->text();
    if (t.size() == 1 && t.at(0).isDigit()) {
        vendita_.Inserisce_numeri(t);
        return;
    }
    switch (e->key()) {
        case Qt::Key_Comma:
            Inserisce_virgola();
            return;
        case Qt::Key_Period:
            // The numeric keypad's decimal key; a point typed on the letters is how people write
            // thousands ("1.500"), so it adds nothing.
            if (e->modifiers() & Qt::KeypadModifier) Inserisce_virgola();
            return;
        case Qt::Key_Backspace:
        case Qt::Key_Delete:
            BitBtn1Click();
            return;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            if (scarica_->isEnabled()) btnscaricaClick();
            return;
        case Qt::Key_Escape:
            return;  // the panel is left with "Fine lavoro" only
        default:
            QDialog::keyPressEvent(e);
    }
}

// ---- the grid

void Tfrmsinottico::evidenzia(CellaSinottico* c) {
    scelta_ = c;
    if (!c) return;
    colore_salvato = c->colore();
    c->setBevelInterno(CellaSinottico::Bevel::Abbassato);
    c->setColore(QColor(0, 255, 0));
}

void Tfrmsinottico::ripristina() {
    if (!scelta_) return;
    scelta_->setBevelInterno(CellaSinottico::Bevel::Nessuno);
    scelta_->setColore(colore_salvato);
}

void Tfrmsinottico::Scelta_Vino_Click(CellaSinottico* c) {
    ripristina();
    evidenzia(c);
    Seleziona(c->caption());
}

void Tfrmsinottico::scelta_MouseDown(CellaSinottico* c) {
    c->setBevelEsterno(CellaSinottico::Bevel::Abbassato);
}

void Tfrmsinottico::Scelta_MouseUp(CellaSinottico* c) {
    c->setBevelEsterno(CellaSinottico::Bevel::Rialzato);
}

void Tfrmsinottico::Seleziona(const QString& nome) {
    try {
        vendita_.Seleziona(nome);
    } catch (const DatabaseError& err) {
        showDataError(err);
    }
}

void Tfrmsinottico::rileggiScelta() {
    if (vendita_.prodotto_scelto) Seleziona(vendita_.prodotto_scelto->nomeBreve);
}

// ---- keypad

void Tfrmsinottico::Inserisce_numeri(QAbstractButton* tasto) {
    vendita_.Inserisce_numeri(tasto->text());
}

void Tfrmsinottico::Inserisce_virgola() {
    vendita_.Inserisce_virgola();
}

void Tfrmsinottico::BitBtn1Click() {
    vendita_.azzera_ingresso();
}

void Tfrmsinottico::mostra() {
    ingresso_->setText(vendita_.ingresso);
    tipoSB_->setText(vendita_.tipo_SB);
    disponibile_->setText(vendita_.disponibile);
    scarica_->setEnabled(vendita_.regola_scarica());
    totale_->setText(vendita_.totaleTesto());
    ultimo_->setText(vendita_.ultimo);
}

// ---- the sale

void Tfrmsinottico::btnscaricaClick() {
    try {
        if (vendita_.btnscaricaClick()) scontrino_->scrollToBottom();
    } catch (const DatabaseError& err) {
        showDataError(err);
    }
}

void Tfrmsinottico::ScontrinoDblClick(int riga) {
    const QModelIndex i = scontrino_->model()->index(riga, 0);
    if (!i.isValid()) return;
    if (!Mymsg::confirmDelete(msgEliminaRiga(i.data().toString()))) return;
    try {
        vendita_.elimina_riga(i.data(RigheModel::Id).toLongLong());
    } catch (const DatabaseError& err) {
        showDataError(err);
    }
}

void Tfrmsinottico::SpeedButton1Click() {
    try {
        // A sale of several lines is not thrown away by a stray touch.
        if (!vendita_.vuota() && !Mymsg::confirmDelete(msgSvuotaVendita())) return;
        vendita_.svuota_vendita();
        vendita_.aggiorna_totale();
        vendita_.azzera_ingresso();
    } catch (const DatabaseError& err) {
        showDataError(err);
    }
}

void Tfrmsinottico::StampaIntestClick() {
    try {
        if (vendita_.vuota()) return;
    } catch (const DatabaseError& err) {
        showDataError(err);
        return;
    }
    if (intestazione()->esegui(datamov())) {
        try {
            const auto esito = vendita_.stampa_scontrino(datamov(), [this] {
                return stampa_ && stampa_(QStringLiteral("scontrinoint"),
                                          QStringLiteral("Scontrino"), false, 2, 2);
            });
            if (esito == VenditaInCorso::Scontrino::NonStampato)
                Mymsg::message(VenditaInCorso::msgScontrinoNonStampato());
            else if (esito == VenditaInCorso::Scontrino::Stampato)
                rileggiScelta();
        } catch (const DatabaseError& err) {
            showDataError(err);
        }
    }
    vendita_.azzera_ingresso();
}

void Tfrmsinottico::FatturaClick() {
    try {
        if (vendita_.vuota()) return;
    } catch (const DatabaseError& err) {
        showDataError(err);
        return;
    }
    Tfrmvideocli* scelta = clienti();
    if (scelta->esegui()) {
        try {
            VenditaDocumento v;
            v.tipo = scelta->tipoDocumento();
            v.cliente = scelta->cliente();
            v.datamov = datamov();
            v.adesso = QDateTime::currentDateTime();
            const EsitoVenditaDocumento e = documento_da_vendita(vendita_, v, stampaDoc_);
            if (!e.messaggio.isEmpty()) Mymsg::message(e.messaggio);
            if (e.esito == EsitoVenditaDocumento::Stampato) rileggiScelta();
        } catch (const DatabaseError& err) {
            showDataError(err);
        }
    }
    vendita_.azzera_ingresso();
}
