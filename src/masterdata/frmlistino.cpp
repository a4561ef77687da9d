#include "masterdata/frmlistino.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShowEvent>
#include <QSplitter>
#include <QVBoxLayout>

#include "common/inifile.h"
#include "data/shareddata.h"
#include "masterdata/masterdata_rules.h"
#include "masterdata/uicommon.h"
#include "widgets/buttons.h"
#include "widgets/dataerror.h"
#include "widgets/datagrid.h"
#include "widgets/edittoggle.h"
#include "widgets/escape.h"
#include "widgets/fieldlinks.h"
#include "widgets/formgeometry.h"
#include "widgets/navigator.h"
#include "widgets/scrollbody.h"

namespace {
// Black or white text, whichever reads better on the cell's colour.
QColor textOn(const QColor& bg) {
    const int luma = (bg.red() * 299 + bg.green() * 587 + bg.blue() * 114) / 1000;
    return luma < 128 ? QColor(Qt::white) : QColor(Qt::black);
}
}  // namespace

TfrmListino::TfrmListino(SharedData& sd, IniFile& layout, int zoomPercent, QWidget* parent)
    : QDialog(parent), sd_(sd), layout_(layout) {
    setObjectName(QStringLiteral("TfrmListino"));
    setWindowTitle(QStringLiteral("Prodotti e prezzi"));
    setModal(true);
    attachMasterDataRules(sd_);
    // The zoom first: the grid measures its columns and rows with the zoomed font.
    applyZoomFont(this, zoomPercent);
    auto* main = new QVBoxLayout(scrollingBody(this));

    auto* bar = new QHBoxLayout;
    btnNuovo_ = barButton(this, bar, "btn_nuovo", ImgNuovo, QStringLiteral("Nuovo"));
    btnCancella_ = barButton(this, bar, "btn_cancella", ImgCancella, QStringLiteral("Cancella"));
    btnModifica_ = barButton(this, bar, "btn_modifica", ImgModifica, QStringLiteral("Modifica"));
    btnFine_ = barButton(this, bar, "btn_fine", ImgChiudi, QStringLiteral("Chiudi"));
    lblModifica_ = new QLabel(this);
    lblModifica_->setObjectName(QStringLiteral("lbl_modifica"));
    bar->addSpacing(12);
    bar->addWidget(lblModifica_);
    bar->addStretch();
    nav_ = new RecordNavigator(this);
    nav_->setObjectName(QStringLiteral("DBNavigator1"));
    nav_->setDataSet(&sd_.prodotti);
    bar->addWidget(nav_);
    main->addLayout(bar);

    auto* split = new QSplitter(Qt::Vertical, this);
    grid_ = new DataGrid(split);
    grid_->setObjectName(QStringLiteral("ListinoGrid"));
    grid_->setDataSet(sd_.prodotti, {{QStringLiteral("Codice_prodotto"), QStringLiteral("Codice")},
                                     {QStringLiteral("Descrizione"), QStringLiteral("Descrizione")},
                                     {QStringLiteral("Lotto"), QStringLiteral("Lotto")},
                                     {QStringLiteral("UM"), QStringLiteral("UM")},
                                     {QStringLiteral("Bottiglia"), QStringLiteral("Bottiglia")},
                                     {QStringLiteral("IVA"), QStringLiteral("IVA")},
                                     {QStringLiteral("Pos_Griglia"), QStringLiteral("Pos.Griglia")},
                                     {QStringLiteral("Nome_breve"), QStringLiteral("Nome Breve")},
                                     {QStringLiteral("Colore"), QStringLiteral("Colore")},
                                     {QStringLiteral("Litri"), QStringLiteral("Litri")}});
    {
        // Every column in view at the window's own size; the user's widths are restored later.
        const QFontMetrics fm = grid_->fontMetrics();
        const int digit = fm.horizontalAdvance(QLatin1Char('0'));
        const int chars[] = {10, 30, 9, 4, 8, 5, 9, 13, 11, 9};
        for (int c = 0; c < 10; ++c)
            grid_->setColumnWidth(
                c, qMax(fm.horizontalAdvance(grid_->dataModel()->columnTitle(c)) + 14,
                        digit * chars[c] + 12));
    }
    // ListinoGridGetCellParams: the Colore cell in the product's colour.
    grid_->dataModel()->setCellHook([](int row, const Field& f, int role) -> QVariant {
        if (f.name() != u"Colore" || (role != Qt::BackgroundRole && role != Qt::ForegroundRole))
            return {};
        const QString stored = f.dataSet()->valueAt(row, f.index()).toString();
        unsigned rgb = 0;
        if (!coloreRgb(stored, &rgb)) return {};
        const QColor bg = QColor::fromRgb(QRgb(0xFF000000u | rgb));
        return role == Qt::BackgroundRole ? QVariant(bg) : QVariant(textOn(bg));
    });
    connect(grid_, &DataGrid::titleClicked, this,
            [this](const QString& f) { ListinoGridTitleClick(f); });
    split->addWidget(grid_);
    split->addWidget(buildDetail());
    split->setStretchFactor(0, 3);
    split->setStretchFactor(1, 2);
    main->addWidget(split, 1);

    toggle_ =
        new EditToggle(btnModifica_, lblModifica_, sd_.prodotti, {btnNuovo_, btnCancella_}, this);
    connect(btnNuovo_, &QPushButton::clicked, this, [this] { btn_nuovoClick(); });
    connect(btnCancella_, &QPushButton::clicked, this, [this] { btn_cancellaClick(); });
    connect(btnFine_, &QPushButton::clicked, this, &QDialog::accept);

    resize(QSize(1000, 720) * zoomFactor(zoomPercent));
    FormGeometry::fitToScreen(this);
    grid_->restoreLayout(layout_, section());
    FormGeometry::restore(this, section(), layout_);
    // Esc while a product is in edit abandons it; otherwise it closes the window.
    new EscapeAbandonsEdit(this, {&sd_.prodotti});
}

QWidget* TfrmListino::buildDetail() {
    auto* panel = new QWidget;
    panel->setObjectName(QStringLiteral("Pannello_dettaglio"));
    auto* g = new QGridLayout(panel);
    DataSet& ds = sd_.prodotti;
    auto line = [&](const char* field, int chars = 0) {
        auto* e = new QLineEdit(panel);
        e->setObjectName(QString::fromLatin1(field));
        new LineEditLink(ds, e->objectName(), e);
        if (chars) e->setMaximumWidth(e->fontMetrics().averageCharWidth() * chars + 16);
        return e;
    };
    auto number = [&](const char* field) {
        auto* e = new QLineEdit(panel);
        e->setObjectName(QString::fromLatin1(field));
        e->setMaximumWidth(110);
        e->setAlignment(Qt::AlignRight);
        new NumberEditLink(ds, e->objectName(), e);
        return e;
    };
    auto combo = [&](const char* field, const CodedValues& choices) {
        auto* c = new QComboBox(panel);
        c->setObjectName(QString::fromLatin1(field));
        return new ComboLink(ds, c->objectName(), c, choices);
    };
    auto suggest = [&](const char* field, const QStringList& items) {
        auto* c = new QComboBox(panel);
        c->setObjectName(QString::fromLatin1(field));
        new SuggestComboLink(ds, c->objectName(), c, items);
        return c;
    };
    auto add = [&](int row, int col, const QString& label, QWidget* w, int span = 1) {
        g->addWidget(fieldLabel(label, w, panel), row, col);
        g->addWidget(w, row, col + 1, 1, span);
    };
    add(0, 0, QStringLiteral("Codice"), line("Codice_prodotto", 32));
    add(0, 2, QStringLiteral("Descrizione"), line("Descrizione"), 3);
    for (int i = 1; i <= 5; ++i) {
        const QByteArray f = "Prezzo" + QByteArray::number(i);
        add(1 + (i - 1) / 3, ((i - 1) % 3) * 2, QString::fromLatin1(f), number(f.constData()));
    }
    bottigliaLink_ = combo("Bottiglia", {});
    add(3, 0, QStringLiteral("Bottiglia"), bottigliaLink_->widget());
    ivaLink_ = combo("IVA", {});
    add(3, 2, QStringLiteral("Aliquota IVA"), ivaLink_->widget());
    add(3, 4, QStringLiteral("Unità di misura"), suggest("UM", umChoices()));
    add(4, 0, QStringLiteral("Categoria"), combo("Categoria", categoriaChoices())->widget());
    add(4, 2, QStringLiteral("Zona"), suggest("Zona", zonaChoices()));
    add(4, 4, QStringLiteral("Sfuso / Imbottigliato"), combo("Stato", statoChoices())->widget());
    add(5, 0, QStringLiteral("Lotto"), line("Lotto"));
    add(5, 2, QStringLiteral("Litri"), number("Litri"));
    add(5, 4, QStringLiteral("Annata"), line("Annata", 5));
    auto* cls = combo("Classificazione", classificazioneChoices())->widget();
    static_cast<QComboBox*>(cls)->setMinimumContentsLength(30);
    static_cast<QComboBox*>(cls)->setSizeAdjustPolicy(
        QComboBox::AdjustToMinimumContentsLengthWithIcon);
    add(6, 0, QStringLiteral("Classificazione"), cls, 5);
    auto* atto = combo("Atto_Certificato", attoCertificatoChoices())->widget();
    static_cast<QComboBox*>(atto)->setMinimumContentsLength(30);
    static_cast<QComboBox*>(atto)->setSizeAdjustPolicy(
        QComboBox::AdjustToMinimumContentsLengthWithIcon);
    add(7, 0, QStringLiteral("Atto/Certificato"), atto, 5);

    auto* box = new QGroupBox(QStringLiteral(" Impostazioni per pannello sinottico "), panel);
    box->setObjectName(QStringLiteral("GroupSinottico"));
    auto* bg = new QGridLayout(box);
    auto boxAdd = [&](int col, const QString& label, QWidget* w) {
        w->setParent(box);
        bg->addWidget(fieldLabel(label, w, box), 0, col);
        bg->addWidget(w, 0, col + 1);
    };
    boxAdd(0, QStringLiteral("Posizione"), number("Pos_Griglia"));
    boxAdd(2, QStringLiteral("Nome breve"), line("Nome_breve", 20));
    auto* colore = combo("Colore", coloreChoices())->widget();
    boxAdd(4, QStringLiteral("Colore"), colore);
    boxAdd(6, QStringLiteral("Prezzo x griglia"), number("Prezzo_sinottico"));
    bg->setColumnStretch(8, 1);
    g->addWidget(box, 8, 0, 1, 6);
    g->setColumnStretch(1, 1);
    g->setColumnStretch(3, 1);
    g->setColumnStretch(5, 1);
    g->setRowStretch(9, 1);
    return panel;
}

void TfrmListino::showEvent(QShowEvent* e) {
    if (!e->spontaneous()) FormActivate();
    QDialog::showEvent(e);
}

void TfrmListino::FormActivate() {
    Choices iva{{QString(), QString()}};
    Choices imballi{{QString(), QString()}};
    try {
        for (const QString& code : ivaCodes(sd_.db)) iva << qMakePair(code, code);
        imballi << imballiChoices(sd_.db);
    } catch (const DatabaseError& err) {
        showDataError(err);
    }
    ivaLink_->setChoices(iva);
    bottigliaLink_->setChoices(imballi);
    toggle_->showOff();
    sd_.prodotti.setReadOnly(true);
}

void TfrmListino::btn_nuovoClick() {
    try {
        if (sd_.prodotti.checkBrowseMode()) sd_.prodotti.append();
    } catch (const DatabaseError& err) {
        showDataError(err);
    }
}

void TfrmListino::btn_cancellaClick() {
    try {
        if (sd_.prodotti.isOpen() && (sd_.prodotti.isEditing() || !sd_.prodotti.isEmpty()))
            sd_.prodotti.remove();
    } catch (const DatabaseError& err) {
        showDataError(err);
    }
}

void TfrmListino::ListinoGridTitleClick(const QString& field) {
    try {
        if (sd_.prodotti.checkBrowseMode()) sd_.prodotti.sortBy(field);
    } catch (const DatabaseError& err) {
        showDataError(err);
    }
}

bool TfrmListino::FormClose() {
    if (!toggle_->setOn(false)) return false;
    try {
        if (sd_.prodotti.sortField() != u"Codice_prodotto")
            sd_.prodotti.sortBy(QStringLiteral("Codice_prodotto"));
    } catch (const DatabaseError& err) {
        showDataError(err);
    }
    grid_->saveLayout(layout_, section());
    FormGeometry::save(this, section(), layout_);
    return true;
}

void TfrmListino::done(int r) {
    if (!FormClose()) return;
    QDialog::done(r);
}
