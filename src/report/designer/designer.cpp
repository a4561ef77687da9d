#include "report/designer/designer.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QDockWidget>
#include <QDoubleSpinBox>
#include <QEventLoop>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QTabBar>
#include <QToolBar>
#include <QToolButton>
#include <QTreeWidget>
#include <QUndoCommand>
#include <QVBoxLayout>
#include <QWheelEvent>
#include <cmath>

#include "common/messages.h"
#include "report/engine.h"
#include "report/prepareprogress.h"
#include "report/preview.h"
#include "report/templatefile.h"

namespace report {

namespace {
constexpr double kStripMm = 5.0;  // caption strip above each band
constexpr int kPad = 12;          // pixels around the page
constexpr double kHandle = 3.5;   // half size of a handle, pixels

double snap(double mm) {
    return std::round(mm);
}

QString objectLabel(ObjectKind kind) {
    switch (kind) {
        case ObjectKind::Text:
            return QStringLiteral("Testo");
        case ObjectKind::Line:
            return QStringLiteral("Linea");
        case ObjectKind::Rectangle:
            return QStringLiteral("Rettangolo");
        case ObjectKind::Picture:
            return QStringLiteral("Immagine");
        case ObjectKind::Barcode:
            return QStringLiteral("Codice a barre");
    }
    return {};
}

// A name not used by any object of the report: prefix + the first free number.
QString freeName(const Report& r, const QString& prefix) {
    for (int i = 1;; ++i) {
        const QString name = prefix + QString::number(i);
        if (!r.findObject(name)) return name;
    }
}
}  // namespace

QString bandTypeLabel(BandType type) {
    switch (type) {
        case BandType::ReportTitle:
            return QStringLiteral("Titolo del report");
        case BandType::PageHeader:
            return QStringLiteral("Intestazione di pagina");
        case BandType::MasterHeader:
            return QStringLiteral("Intestazione master");
        case BandType::MasterData:
            return QStringLiteral("Dati master");
        case BandType::DetailHeader:
            return QStringLiteral("Intestazione dettaglio");
        case BandType::DetailData:
            return QStringLiteral("Dati dettaglio");
        case BandType::DetailFooter:
            return QStringLiteral("Piè di dettaglio");
        case BandType::MasterFooter:
            return QStringLiteral("Piè master");
        case BandType::GroupHeader:
            return QStringLiteral("Intestazione di gruppo");
        case BandType::GroupFooter:
            return QStringLiteral("Piè di gruppo");
        case BandType::Summary:
            return QStringLiteral("Riepilogo");
        case BandType::PageFooter:
            return QStringLiteral("Piè di pagina");
    }
    return {};
}

// The field list: dragging a field gives "[source.Field]" as text.
class FieldTree : public QTreeWidget {
public:
    explicit FieldTree(QWidget* parent) : QTreeWidget(parent) {
        setDragEnabled(true);
        setDragDropMode(QAbstractItemView::DragOnly);
    }

protected:
    QMimeData* mimeData(const QList<QTreeWidgetItem*>& items) const override {
        QStringList texts;
        for (const QTreeWidgetItem* it : items)
            if (it->parent())
                texts << QStringLiteral("[%1.%2]").arg(it->parent()->text(0), it->text(0));
        if (texts.isEmpty()) return nullptr;
        auto* data = new QMimeData;
        data->setText(texts.join(QLatin1Char(' ')));
        return data;
    }
};

// One undo step: the whole model before and after.
class SnapshotCommand : public QUndoCommand {
public:
    SnapshotCommand(ReportDesigner* d, Report before, Report after, const QString& text)
        : QUndoCommand(text), d_(d), before_(std::move(before)), after_(std::move(after)) {}
    void undo() override { d_->setModel(before_); }
    void redo() override { d_->setModel(after_); }

private:
    ReportDesigner* d_;
    Report before_;
    Report after_;
};

// ---------------------------------------------------------------- canvas

DesignerCanvas::DesignerCanvas(ReportDesigner* designer) : QWidget(designer), d_(designer) {
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(true);
    setProperty(kNativeWheelProperty, true);
    setObjectName(QStringLiteral("canvas"));
    setAcceptDrops(true);
}

double DesignerCanvas::pixelsPerMm() const {
    return zoom_ * 96.0 / 25.4;
}

void DesignerCanvas::setZoom(double zoom) {
    zoom_ = std::clamp(zoom, 0.25, 6.0);
    relayout();
}

void DesignerCanvas::relayout() {
    resize(sizeHint());
    updateGeometry();
    update();
}

double DesignerCanvas::bandTop(int band) const {
    const ReportPage& p = d_->page();
    double mm = p.marginTop;
    for (int i = 0; i < band && i < int(p.bands.size()); ++i)
        mm += kStripMm + p.bands[size_t(i)].height;
    return kPad + (mm + kStripMm) * pixelsPerMm();
}

QSize DesignerCanvas::sizeHint() const {
    const ReportPage& p = d_->page();
    double mm = p.marginTop + p.marginBottom;
    for (const Band& b : p.bands) mm += kStripMm + b.height;
    if (!p.endless) mm = std::max(mm, p.height());
    return QSize(int(2 * kPad + p.width() * pixelsPerMm()), int(2 * kPad + mm * pixelsPerMm()));
}

QRectF DesignerCanvas::objectRect(const ObjRef& ref) const {
    const ReportPage& p = d_->page();
    if (ref.band < 0 || ref.band >= int(p.bands.size())) return {};
    const Band& b = p.bands[size_t(ref.band)];
    if (ref.object < 0 || ref.object >= int(b.objects.size())) return {};
    const QRectF g = b.objects[size_t(ref.object)].geometry;
    const double s = pixelsPerMm();
    return QRectF(kPad + (p.marginLeft + g.x()) * s, bandTop(ref.band) + g.y() * s, g.width() * s,
                  g.height() * s);
}

QVector<QRectF> DesignerCanvas::handles(const QRectF& r) const {
    const QPointF pts[8] = {r.topLeft(),     QPointF(r.center().x(), r.top()),
                            r.topRight(),    QPointF(r.right(), r.center().y()),
                            r.bottomRight(), QPointF(r.center().x(), r.bottom()),
                            r.bottomLeft(),  QPointF(r.left(), r.center().y())};
    QVector<QRectF> out;
    for (const QPointF& pt : pts)
        out << QRectF(pt.x() - kHandle, pt.y() - kHandle, 2 * kHandle, 2 * kHandle);
    return out;
}

int DesignerCanvas::handleAt(const QPointF& pos) const {
    if (d_->selection().size() != 1) return -1;
    const QVector<QRectF> hs = handles(objectRect(d_->selection().first()));
    for (int i = 0; i < hs.size(); ++i)
        if (hs[i].adjusted(-1, -1, 1, 1).contains(pos)) return i;
    return -1;
}

int DesignerCanvas::bandEdgeAt(const QPointF& pos) const {
    const ReportPage& p = d_->page();
    for (int i = 0; i < int(p.bands.size()); ++i) {
        const double bottom = bandTop(i) + p.bands[size_t(i)].height * pixelsPerMm();
        if (std::abs(pos.y() - bottom) <= 3) return i;
    }
    return -1;
}

int DesignerCanvas::bandAt(const QPointF& pos) const {
    const ReportPage& p = d_->page();
    for (int i = 0; i < int(p.bands.size()); ++i) {
        const double top = bandTop(i) - kStripMm * pixelsPerMm();
        const double bottom = bandTop(i) + p.bands[size_t(i)].height * pixelsPerMm();
        if (pos.y() >= top && pos.y() < bottom) return i;
    }
    return -1;
}

ObjRef DesignerCanvas::objectAt(const QPointF& pos) const {
    const ReportPage& p = d_->page();
    for (int b = int(p.bands.size()) - 1; b >= 0; --b) {
        const auto& objs = p.bands[size_t(b)].objects;
        for (int o = int(objs.size()) - 1; o >= 0; --o)
            if (objectRect({b, o}).adjusted(-2, -2, 2, 2).contains(pos)) return {b, o};
    }
    return {};
}

void DesignerCanvas::paintEvent(QPaintEvent*) {
    QPainter g(this);
    g.fillRect(rect(), QColor(0x9a, 0x9a, 0x9a));
    const ReportPage& p = d_->page();
    const double s = pixelsPerMm();
    const QSize sz = sizeHint();
    const QRectF paper(kPad, kPad, p.width() * s, sz.height() - 2 * kPad);
    g.fillRect(paper, Qt::white);
    g.setPen(QPen(QColor(0xc0, 0xc0, 0xff), 1, Qt::DotLine));
    const double left = kPad + p.marginLeft * s;
    const double right = kPad + (p.width() - p.marginRight) * s;
    g.drawLine(QPointF(left, paper.top()), QPointF(left, paper.bottom()));
    g.drawLine(QPointF(right, paper.top()), QPointF(right, paper.bottom()));

    for (int b = 0; b < int(p.bands.size()); ++b) {
        const Band& band = p.bands[size_t(b)];
        const double top = bandTop(b);
        const QRectF strip(left, top - kStripMm * s, right - left, kStripMm * s);
        g.fillRect(strip,
                   b == d_->currentBand() ? QColor(0xb8, 0xd0, 0xf0) : QColor(0xe4, 0xea, 0xf4));
        g.setPen(Qt::darkGray);
        QFont f = font();
        f.setPixelSize(std::max(8, int(kStripMm * s * 0.6)));
        g.setFont(f);
        QString caption = bandTypeLabel(band.type);
        if (!band.name.isEmpty()) caption += QStringLiteral(" - ") + band.name;
        if (!band.dataSource.isEmpty()) caption += QStringLiteral("  [%1]").arg(band.dataSource);
        g.drawText(strip.adjusted(4, 0, -4, 0), Qt::AlignVCenter | Qt::AlignLeft, caption);
        g.setPen(QPen(QColor(0x80, 0x80, 0xc0), 1, Qt::DashLine));
        const double bottom = top + band.height * s;
        g.drawLine(QPointF(left, bottom), QPointF(right, bottom));

        for (int o = 0; o < int(band.objects.size()); ++o) {
            const ReportObject& obj = band.objects[size_t(o)];
            const QRectF r = objectRect({b, o});
            switch (obj.kind) {
                case ObjectKind::Text: {
                    if (obj.fillColor.isValid()) g.fillRect(r, obj.fillColor);
                    g.setPen(QPen(QColor(0xb0, 0xb0, 0xb0), 1, Qt::DotLine));
                    g.drawRect(r);
                    QFont tf(obj.fontFamily);
                    tf.setPixelSize(std::max(1, int(obj.fontSize * 25.4 / 72.0 * s)));
                    tf.setBold(obj.bold);
                    tf.setItalic(obj.italic);
                    tf.setUnderline(obj.underline);
                    g.setFont(tf);
                    g.setPen(obj.textColor);
                    int flags = obj.hAlign == HAlign::Center  ? Qt::AlignHCenter
                                : obj.hAlign == HAlign::Right ? Qt::AlignRight
                                                              : Qt::AlignLeft;
                    flags |= obj.vAlign == VAlign::Center   ? Qt::AlignVCenter
                             : obj.vAlign == VAlign::Bottom ? Qt::AlignBottom
                                                            : Qt::AlignTop;
                    if (obj.wordWrap) flags |= Qt::TextWordWrap;
                    g.save();
                    g.setClipRect(r.adjusted(-1, -1, 1, 1));
                    g.drawText(r.adjusted(2, 0, -2, 0), flags, obj.text);
                    g.restore();
                    break;
                }
                case ObjectKind::Line:
                    g.setPen(QPen(obj.lineColor, std::max(1.0, obj.lineWidth * s)));
                    g.drawLine(r.topLeft(), r.bottomRight());
                    break;
                case ObjectKind::Rectangle:
                    if (obj.fillColor.isValid()) g.fillRect(r, obj.fillColor);
                    g.setPen(QPen(obj.lineColor, std::max(1.0, obj.lineWidth * s)));
                    g.drawRect(r);
                    break;
                case ObjectKind::Picture:
                    g.setPen(QPen(Qt::darkGray, 1, Qt::DashLine));
                    g.drawRect(r);
                    g.drawLine(r.topLeft(), r.bottomRight());
                    g.drawLine(r.topRight(), r.bottomLeft());
                    g.drawText(r, Qt::AlignCenter,
                               obj.pictureField.isEmpty() ? QFileInfo(obj.pictureFile).fileName()
                                                          : obj.pictureField);
                    break;
                case ObjectKind::Barcode: {
                    g.setPen(Qt::NoPen);
                    for (double x = r.left() + 2; x < r.right() - 2; x += 4)
                        g.fillRect(QRectF(x, r.top() + 1, (int(x) % 3) + 1, r.height() * 0.75),
                                   Qt::black);
                    g.setPen(Qt::black);
                    g.drawText(r, Qt::AlignBottom | Qt::AlignHCenter, obj.text);
                    break;
                }
            }
        }
    }
    // Selection on top of everything.
    for (const ObjRef& ref : d_->selection()) {
        const QRectF r = objectRect(ref);
        g.setPen(QPen(QColor(0x20, 0x60, 0xd0), 1));
        g.setBrush(Qt::NoBrush);
        g.drawRect(r);
        if (d_->selection().size() == 1) {
            g.setBrush(QColor(0x20, 0x60, 0xd0));
            for (const QRectF& h : handles(r)) g.drawRect(h);
        }
    }
    if (drag_ == Drag::Rubber) {
        g.setPen(QPen(Qt::blue, 1, Qt::DashLine));
        g.setBrush(QColor(0x40, 0x80, 0xff, 40));
        g.drawRect(rubber_.normalized());
    }
}

void DesignerCanvas::mousePressEvent(QMouseEvent* e) {
    setFocus();
    if (e->button() != Qt::LeftButton) return;
    const QPointF pos = e->position();
    pressPos_ = lastPos_ = pos;
    dragChanged_ = false;
    if ((dragHandle_ = handleAt(pos)) >= 0) {
        drag_ = Drag::Resize;
        d_->beginLiveEdit();
        return;
    }
    const ObjRef hit = objectAt(pos);
    if (hit.band >= 0) {
        QList<ObjRef> sel = d_->selection();
        if (e->modifiers() & Qt::ShiftModifier) {
            if (sel.contains(hit))
                sel.removeAll(hit);
            else
                sel << hit;
            d_->setSelection(sel);
            drag_ = Drag::None;
            return;
        }
        if (!sel.contains(hit)) d_->setSelection({hit});
        d_->setCurrentBand(hit.band);
        drag_ = Drag::Move;
        d_->beginLiveEdit();
        return;
    }
    if ((dragBand_ = bandEdgeAt(pos)) >= 0) {
        drag_ = Drag::BandHeight;
        d_->setCurrentBand(dragBand_);
        d_->beginLiveEdit();
        return;
    }
    const int band = bandAt(pos);
    if (band >= 0) d_->setCurrentBand(band);
    if (!(e->modifiers() & Qt::ShiftModifier)) d_->setSelection({});
    drag_ = Drag::Rubber;
    rubber_ = QRectF(pos, pos);
}

void DesignerCanvas::mouseMoveEvent(QMouseEvent* e) {
    const QPointF pos = e->position();
    const double s = pixelsPerMm();
    if (drag_ == Drag::None) {
        const int h = handleAt(pos);
        if (h == 0 || h == 4)
            setCursor(Qt::SizeFDiagCursor);
        else if (h == 2 || h == 6)
            setCursor(Qt::SizeBDiagCursor);
        else if (h == 1 || h == 5 || (h < 0 && bandEdgeAt(pos) >= 0))
            setCursor(Qt::SizeVerCursor);
        else if (h == 3 || h == 7)
            setCursor(Qt::SizeHorCursor);
        else
            unsetCursor();
        return;
    }
    if (drag_ == Drag::Rubber) {
        rubber_.setBottomRight(pos);
        update();
        return;
    }
    // From the model at the press, so the snap is to whole millimetres of movement.
    const double dx = snap((pos.x() - pressPos_.x()) / s);
    const double dy = snap((pos.y() - pressPos_.y()) / s);
    const Report& start = d_->liveStart();
    Report& live = d_->liveModel();
    const size_t pg = size_t(d_->currentPage());
    if (drag_ == Drag::BandHeight) {
        const double h = start.pages[pg].bands[size_t(dragBand_)].height;
        live.pages[pg].bands[size_t(dragBand_)].height = std::max(0.0, h + dy);
    } else {
        for (const ObjRef& ref : d_->selection()) {
            const QRectF g0 =
                start.pages[pg].bands[size_t(ref.band)].objects[size_t(ref.object)].geometry;
            QRectF g = g0;
            if (drag_ == Drag::Move) {
                g.moveTo(std::max(0.0, g0.x() + dx), std::max(0.0, g0.y() + dy));
            } else {
                const int hnd = dragHandle_;
                if (hnd == 0 || hnd == 6 || hnd == 7)
                    g.setLeft(std::min(std::max(0.0, g0.left() + dx), g0.right()));
                if (hnd == 2 || hnd == 3 || hnd == 4)
                    g.setRight(std::max(g0.left(), g0.right() + dx));
                if (hnd == 0 || hnd == 1 || hnd == 2)
                    g.setTop(std::min(std::max(0.0, g0.top() + dy), g0.bottom()));
                if (hnd == 4 || hnd == 5 || hnd == 6)
                    g.setBottom(std::max(g0.top(), g0.bottom() + dy));
            }
            live.pages[pg].bands[size_t(ref.band)].objects[size_t(ref.object)].geometry = g;
        }
    }
    dragChanged_ = true;
    d_->liveChanged();
}

void DesignerCanvas::mouseReleaseEvent(QMouseEvent* e) {
    const Drag drag = drag_;
    drag_ = Drag::None;
    switch (drag) {
        case Drag::Move:
            d_->endLiveEdit(QStringLiteral("Sposta"));
            break;
        case Drag::Resize:
            d_->endLiveEdit(QStringLiteral("Ridimensiona"));
            break;
        case Drag::BandHeight:
            d_->endLiveEdit(QStringLiteral("Altezza della banda"));
            break;
        case Drag::Rubber: {
            const QRectF area = rubber_.normalized();
            QList<ObjRef> sel =
                (e->modifiers() & Qt::ShiftModifier) ? d_->selection() : QList<ObjRef>();
            const ReportPage& p = d_->page();
            for (int b = 0; b < int(p.bands.size()); ++b)
                for (int o = 0; o < int(p.bands[size_t(b)].objects.size()); ++o)
                    if (area.intersects(objectRect({b, o}).adjusted(-1, -1, 1, 1)) &&
                        !sel.contains(ObjRef{b, o}))
                        sel << ObjRef{b, o};
            d_->setSelection(sel);
            update();
            break;
        }
        case Drag::None:
            break;
    }
}

void DesignerCanvas::mouseDoubleClickEvent(QMouseEvent* e) {
    // A double click on a text goes to its text in the property panel.
    if (objectAt(e->position()).band >= 0) Q_EMIT editTextRequested();
}

void DesignerCanvas::keyPressEvent(QKeyEvent* e) {
    const bool resize = e->modifiers() & Qt::ShiftModifier;
    double dx = 0, dy = 0;
    switch (e->key()) {
        case Qt::Key_Left:
            dx = -1;
            break;
        case Qt::Key_Right:
            dx = 1;
            break;
        case Qt::Key_Up:
            dy = -1;
            break;
        case Qt::Key_Down:
            dy = 1;
            break;
        case Qt::Key_Delete:
            d_->deleteSelection();
            return;
        default:
            QWidget::keyPressEvent(e);
            return;
    }
    if (d_->selection().isEmpty()) {
        QWidget::keyPressEvent(e);
        return;
    }
    if (resize)
        d_->resizeSelection(dx, dy);
    else
        d_->moveSelection(dx, dy);
}

void DesignerCanvas::dragEnterEvent(QDragEnterEvent* e) {
    if (e->mimeData()->hasText() && e->mimeData()->text().startsWith(QLatin1Char('[')))
        e->acceptProposedAction();
}

void DesignerCanvas::dropEvent(QDropEvent* e) {
    const QPointF pos = e->position();
    const int band = bandAt(pos);
    if (band < 0) return;
    const double s = pixelsPerMm();
    const QPointF mm((pos.x() - kPad) / s - d_->page().marginLeft, (pos.y() - bandTop(band)) / s);
    d_->addTextAt(band, QPointF(std::max(0.0, snap(mm.x())), std::max(0.0, snap(mm.y()))),
                  e->mimeData()->text());
    e->acceptProposedAction();
}

void DesignerCanvas::wheelEvent(QWheelEvent* e) {
    if (e->modifiers() & Qt::ControlModifier) {
        const int steps = e->angleDelta().y() / 120;
        if (steps != 0) setZoom(zoom_ * std::pow(1.15, steps));
        e->accept();
        return;
    }
    e->ignore();  // the scroll area scrolls
}

// ---------------------------------------------------------------- designer window

ReportDesigner::ReportDesigner(Report model, QString filePath, DataSourceRegistry* sources,
                               QWidget* parent)
    : QMainWindow(parent), model_(std::move(model)), path_(std::move(filePath)), sources_(sources) {
    setObjectName(QStringLiteral("ReportDesigner"));
    if (!path_.isEmpty() && (path_.endsWith(QLatin1Char('/')) || QFileInfo(path_).isDir())) {
        folder_ = path_;
        path_.clear();
    } else if (!path_.isEmpty()) {
        folder_ = QFileInfo(path_).absolutePath();
    }
    if (model_.pages.empty()) model_.pages = emptyReport().pages;
    if (model_.name.isEmpty() && !path_.isEmpty())
        model_.name = QFileInfo(path_).completeBaseName();
    buildUi();
    refreshFields();
    setModel(model_);
    connect(&undo_, &QUndoStack::cleanChanged, this, [this] { refreshTitle(); });
    resize(1100, 760);
}

bool ReportDesigner::openDesigner(Report& model, QString& filePath, DataSourceRegistry* sources,
                                  QWidget* parent,
                                  const std::function<void(ReportDesigner&)>& setup) {
    ReportDesigner designer(model, filePath, sources, parent);
    if (setup) setup(designer);
    designer.setWindowModality(Qt::ApplicationModal);
    // A designer wants room: the whole work area, also where no window manager maximises.
    if (QScreen* screen = QGuiApplication::primaryScreen())
        designer.setGeometry(screen->availableGeometry());
    QEventLoop loop;
    connect(&designer, &ReportDesigner::closed, &loop, &QEventLoop::quit);
    designer.show();
    loop.exec();
    model = designer.report();
    if (!designer.filePath().isEmpty()) filePath = designer.filePath();
    return designer.wasSaved();
}

void ReportDesigner::buildUi() {
    auto* central = new QWidget(this);
    auto* lay = new QVBoxLayout(central);
    lay->setContentsMargins(0, 0, 0, 0);
    pages_ = new QTabBar(central);
    pages_->setObjectName(QStringLiteral("pagine"));
    lay->addWidget(pages_);
    scroll_ = new QScrollArea(central);
    scroll_->setObjectName(QStringLiteral("scroll"));
    scroll_->setBackgroundRole(QPalette::Dark);
    canvas_ = new DesignerCanvas(this);
    scroll_->setWidget(canvas_);
    // The wheel scrolls and zooms here, instead of becoming arrow keys that move objects.
    scroll_->setProperty(kNativeWheelProperty, true);
    scroll_->viewport()->setProperty(kNativeWheelProperty, true);
    lay->addWidget(scroll_, 1);
    setCentralWidget(central);
    connect(pages_, &QTabBar::currentChanged, this, [this](int i) {
        if (!refreshing_ && i >= 0) setCurrentPage(i);
    });
    connect(canvas_, &DesignerCanvas::editTextRequested, this, [this] {
        text_->setFocus();
        text_->selectAll();
    });

    auto act = [this](const QString& name, const QString& text, const QKeySequence& key,
                      auto slot) {
        auto* a = new QAction(text, this);
        a->setObjectName(name);
        if (!key.isEmpty()) a->setShortcut(key);
        connect(a, &QAction::triggered, this, slot);
        return a;
    };
    QMenu* file = menuBar()->addMenu(QStringLiteral("&File"));
    QAction* openAct = act(QStringLiteral("act_open"), QStringLiteral("&Apri..."),
                           QKeySequence::Open, [this] { askOpen(); });
    file->addAction(openAct);
    QAction* saveAct = act(QStringLiteral("act_save"), QStringLiteral("&Salva"), QKeySequence::Save,
                           [this] { save(); });
    QAction* saveAsAct = act(QStringLiteral("act_saveas"), QStringLiteral("Salva &con nome..."),
                             QKeySequence::SaveAs, [this] { askSaveAs(); });
    QAction* prevAct = act(QStringLiteral("act_preview"), QStringLiteral("&Anteprima"),
                           QKeySequence(Qt::CTRL | Qt::Key_P), [this] { preview(); });
    file->addAction(saveAct);
    file->addAction(saveAsAct);
    file->addAction(prevAct);
    file->addSeparator();
    file->addAction(act(QStringLiteral("act_close"), QStringLiteral("&Chiudi"), QKeySequence::Close,
                        [this] { close(); }));

    QMenu* edit = menuBar()->addMenu(QStringLiteral("&Modifica"));
    QAction* undo = undo_.createUndoAction(this, QStringLiteral("Annulla"));
    undo->setObjectName(QStringLiteral("act_undo"));
    undo->setShortcut(QKeySequence::Undo);
    QAction* redo = undo_.createRedoAction(this, QStringLiteral("Ripeti"));
    redo->setObjectName(QStringLiteral("act_redo"));
    redo->setShortcut(QKeySequence::Redo);
    edit->addAction(undo);
    edit->addAction(redo);
    edit->addSeparator();
    QAction* del = act(QStringLiteral("act_delete"), QStringLiteral("&Elimina oggetti"),
                       QKeySequence(), [this] { deleteSelection(); });
    edit->addAction(del);
    edit->addAction(act(QStringLiteral("act_copy"), QStringLiteral("&Copia"), QKeySequence::Copy,
                        [this] { copySelection(); }));
    edit->addAction(act(QStringLiteral("act_paste"), QStringLiteral("&Incolla"),
                        QKeySequence::Paste, [this] { paste(); }));

    QMenu* insert = menuBar()->addMenu(QStringLiteral("&Inserisci"));
    QList<QAction*> objectActions;
    const std::pair<ObjectKind, const char*> kinds[] = {{ObjectKind::Text, "act_text"},
                                                        {ObjectKind::Line, "act_line"},
                                                        {ObjectKind::Rectangle, "act_rect"},
                                                        {ObjectKind::Picture, "act_picture"},
                                                        {ObjectKind::Barcode, "act_barcode"}};
    for (const auto& [kind, name] : kinds) {
        const ObjectKind k = kind;
        QAction* a = act(QString::fromLatin1(name), objectLabel(k), QKeySequence(),
                         [this, k] { addObject(k); });
        insert->addAction(a);
        objectActions << a;
    }
    insert->addSeparator();
    QMenu* bands = insert->addMenu(QStringLiteral("&Banda"));
    for (int t = int(BandType::ReportTitle); t <= int(BandType::PageFooter); ++t) {
        const BandType type = BandType(t);
        QAction* a = act(QStringLiteral("act_band_") + bandTypeName(type), bandTypeLabel(type),
                         QKeySequence(), [this, type] { addBand(type); });
        bands->addAction(a);
    }
    QAction* delBand = act(QStringLiteral("act_delband"), QStringLiteral("Elimina banda"),
                           QKeySequence(), [this] { deleteBand(); });
    insert->addAction(delBand);
    insert->addAction(
        act(QStringLiteral("act_addpage"), QStringLiteral("Nuova pagina"), QKeySequence(), [this] {
            Report r = model_;
            ReportPage p = page();
            p.bands.clear();
            p.name = QStringLiteral("Pagina%1").arg(r.pages.size() + 1);
            r.pages.push_back(p);
            change(r, QStringLiteral("Nuova pagina"));
            setCurrentPage(int(model_.pages.size()) - 1);
        }));

    QMenu* view = menuBar()->addMenu(QStringLiteral("&Vista"));
    view->addAction(act(QStringLiteral("act_zoomin"), QStringLiteral("Ingrandisci"),
                        QKeySequence::ZoomIn,
                        [this] { canvas_->setZoom(canvas_->zoom() * 1.25); }));
    view->addAction(act(QStringLiteral("act_zoomout"), QStringLiteral("Riduci"),
                        QKeySequence::ZoomOut,
                        [this] { canvas_->setZoom(canvas_->zoom() / 1.25); }));

    QToolBar* tb = addToolBar(QStringLiteral("Strumenti"));
    tb->setObjectName(QStringLiteral("strumenti"));
    tb->addAction(openAct);
    tb->addAction(saveAct);
    tb->addAction(prevAct);
    tb->addSeparator();
    tb->addAction(undo);
    tb->addAction(redo);
    tb->addSeparator();
    for (QAction* a : objectActions) tb->addAction(a);
    auto* bandButton = new QToolButton(tb);
    bandButton->setText(QStringLiteral("Banda"));
    bandButton->setMenu(bands);
    bandButton->setPopupMode(QToolButton::InstantPopup);
    tb->addWidget(bandButton);
    tb->addAction(delBand);
    tb->addAction(del);

    auto* panelDock = new QDockWidget(QStringLiteral("Proprietà"), this);
    panelDock->setObjectName(QStringLiteral("proprieta"));
    panelDock->setFeatures(QDockWidget::DockWidgetMovable);
    auto* panelScroll = new QScrollArea(panelDock);
    panelScroll->setWidgetResizable(true);
    panelScroll->setWidget(buildPanel());
    panelDock->setWidget(panelScroll);
    addDockWidget(Qt::RightDockWidgetArea, panelDock);

    auto* fieldDock = new QDockWidget(QStringLiteral("Campi"), this);
    fieldDock->setObjectName(QStringLiteral("campi"));
    fieldDock->setFeatures(QDockWidget::DockWidgetMovable);
    fields_ = new FieldTree(fieldDock);
    fields_->setObjectName(QStringLiteral("elencoCampi"));
    fields_->setHeaderHidden(true);
    fieldDock->setWidget(fields_);
    addDockWidget(Qt::LeftDockWidgetArea, fieldDock);
    connect(fields_, &QTreeWidget::itemDoubleClicked, this, [this](QTreeWidgetItem* item) {
        if (item->parent()) insertField(item->parent()->text(0), item->text(0));
    });
    // The page is what the user works on: narrow side panels leave it room on a small screen.
    resizeDocks({fieldDock, panelDock}, {170, 360}, Qt::Horizontal);
}

QWidget* ReportDesigner::buildPanel() {
    auto* panel = new QWidget;
    auto* lay = new QVBoxLayout(panel);
    auto spin = [](const char* name, double min, double max, double step, int decimals) {
        auto* s = new QDoubleSpinBox;
        s->setObjectName(QString::fromLatin1(name));
        s->setRange(min, max);
        s->setSingleStep(step);
        s->setDecimals(decimals);
        s->setKeyboardTracking(false);
        return s;
    };
    auto line = [](const char* name) {
        auto* e = new QLineEdit;
        e->setObjectName(QString::fromLatin1(name));
        return e;
    };

    // Object
    auto* objBox = new QGroupBox(QStringLiteral("Oggetto"));
    objectBox_ = objBox;
    auto* of = new QFormLayout(objBox);
    name_ = line("prop_name");
    text_ = line("prop_text");
    font_ = new QFontComboBox;
    font_->setObjectName(QStringLiteral("prop_font"));
    size_ = spin("prop_size", 1, 200, 0.5, 1);
    bold_ = new QCheckBox(QStringLiteral("Grassetto"));
    bold_->setObjectName(QStringLiteral("prop_bold"));
    italic_ = new QCheckBox(QStringLiteral("Corsivo"));
    italic_->setObjectName(QStringLiteral("prop_italic"));
    align_ = new QComboBox;
    align_->setObjectName(QStringLiteral("prop_align"));
    align_->addItems({QStringLiteral("Sinistra"), QStringLiteral("Centro"),
                      QStringLiteral("Destra"), QStringLiteral("Giustificato")});
    format_ = line("prop_format");
    format_->setPlaceholderText(QStringLiteral("0.00  #,##0.00  dd/mm/yyyy"));
    x_ = spin("prop_x", 0, 2000, 1, 1);
    y_ = spin("prop_y", 0, 2000, 1, 1);
    w_ = spin("prop_w", 0, 2000, 1, 1);
    h_ = spin("prop_h", 0, 2000, 1, 1);
    of->addRow(QStringLiteral("Nome"), name_);
    of->addRow(QStringLiteral("Testo"), text_);
    of->addRow(QStringLiteral("Carattere"), font_);
    of->addRow(QStringLiteral("Dimensione"), size_);
    auto* styles = new QWidget;
    auto* sl = new QHBoxLayout(styles);
    sl->setContentsMargins(0, 0, 0, 0);
    sl->addWidget(bold_);
    sl->addWidget(italic_);
    of->addRow(QString(), styles);
    wrap_ = new QCheckBox(QStringLiteral("A capo automatico"));
    wrap_->setObjectName(QStringLiteral("prop_wrap"));
    grow_ = new QCheckBox(QStringLiteral("Si allunga col testo"));
    grow_->setObjectName(QStringLiteral("prop_grow"));
    barcodeType_ = new QComboBox;
    barcodeType_->setObjectName(QStringLiteral("prop_barcode"));
    barcodeType_->addItems({QStringLiteral("Code 128"), QStringLiteral("EAN-13")});
    of->addRow(QString(), wrap_);
    of->addRow(QString(), grow_);
    of->addRow(QStringLiteral("Allineamento"), align_);
    of->addRow(QStringLiteral("Codice a barre"), barcodeType_);
    of->addRow(QStringLiteral("Formato"), format_);
    of->addRow(QStringLiteral("X (mm)"), x_);
    of->addRow(QStringLiteral("Y (mm)"), y_);
    of->addRow(QStringLiteral("Larghezza"), w_);
    of->addRow(QStringLiteral("Altezza"), h_);
    lay->addWidget(objBox);

    connect(name_, &QLineEdit::editingFinished, this, [this] {
        // Leaving an untouched field changes nothing (and keeps texts it cannot show).
        if (!name_->isModified()) return;
        name_->setModified(false);
        const QString v = name_->text().trimmed();
        if (selection_.size() == 1 && !v.isEmpty())
            applyObjectProperty([v](ReportObject& o) { o.name = v; }, QStringLiteral("Nome"));
    });
    connect(text_, &QLineEdit::editingFinished, this, [this] {
        if (!text_->isModified()) return;
        text_->setModified(false);
        const QString v = text_->text();
        applyObjectProperty(
            [v](ReportObject& o) {
                if (o.kind == ObjectKind::Picture)
                    o.pictureFile = v;
                else
                    o.text = v;
            },
            QStringLiteral("Testo"));
    });
    connect(font_, &QFontComboBox::currentFontChanged, this, [this](const QFont& f) {
        const QString fam = f.family();
        applyObjectProperty([fam](ReportObject& o) { o.fontFamily = fam; },
                            QStringLiteral("Carattere"));
    });
    connect(size_, &QDoubleSpinBox::valueChanged, this, [this](double v) {
        applyObjectProperty([v](ReportObject& o) { o.fontSize = v; },
                            QStringLiteral("Dimensione del carattere"));
    });
    connect(bold_, &QCheckBox::toggled, this, [this](bool v) {
        applyObjectProperty([v](ReportObject& o) { o.bold = v; }, QStringLiteral("Grassetto"));
    });
    connect(italic_, &QCheckBox::toggled, this, [this](bool v) {
        applyObjectProperty([v](ReportObject& o) { o.italic = v; }, QStringLiteral("Corsivo"));
    });
    connect(align_, &QComboBox::currentIndexChanged, this, [this](int i) {
        if (i < 0) return;
        applyObjectProperty([i](ReportObject& o) { o.hAlign = HAlign(i); },
                            QStringLiteral("Allineamento"));
    });
    connect(wrap_, &QCheckBox::toggled, this, [this](bool v) {
        applyObjectProperty([v](ReportObject& o) { o.wordWrap = v; }, QStringLiteral("A capo"));
    });
    connect(grow_, &QCheckBox::toggled, this, [this](bool v) {
        applyObjectProperty([v](ReportObject& o) { o.growToFit = v; }, QStringLiteral("Allunga"));
    });
    connect(barcodeType_, &QComboBox::currentIndexChanged, this, [this](int i) {
        if (i < 0) return;
        applyObjectProperty([i](ReportObject& o) { o.barcodeType = BarcodeType(i); },
                            QStringLiteral("Tipo di codice a barre"));
    });
    connect(format_, &QLineEdit::editingFinished, this, [this] {
        if (!format_->isModified()) return;
        format_->setModified(false);
        const QString v = format_->text().trimmed();
        applyObjectProperty([v](ReportObject& o) { o.displayFormat = v; },
                            QStringLiteral("Formato"));
    });
    auto geo = [this](QDoubleSpinBox* box, int which) {
        connect(box, &QDoubleSpinBox::valueChanged, this, [this, which](double v) {
            if (selection_.size() != 1) return;
            applyObjectProperty(
                [which, v](ReportObject& o) {
                    QRectF& g = o.geometry;
                    if (which == 0)
                        g.moveLeft(v);
                    else if (which == 1)
                        g.moveTop(v);
                    else if (which == 2)
                        g.setWidth(v);
                    else
                        g.setHeight(v);
                },
                QStringLiteral("Posizione e dimensioni"));
        });
    };
    geo(x_, 0);
    geo(y_, 1);
    geo(w_, 2);
    geo(h_, 3);

    // Band
    auto* bandBox = new QGroupBox(QStringLiteral("Banda"));
    auto* bf = new QFormLayout(bandBox);
    bandName_ = line("band_name");
    bandHeight_ = spin("band_height", 0, 1000, 1, 1);
    bandSource_ = new QComboBox;
    bandSource_->setObjectName(QStringLiteral("band_source"));
    bandSource_->setEditable(true);
    bf->addRow(QStringLiteral("Nome"), bandName_);
    bf->addRow(QStringLiteral("Altezza (mm)"), bandHeight_);
    bf->addRow(QStringLiteral("Sorgente dati"), bandSource_);
    bandCondition_ = line("band_condition");
    bandCondition_->setPlaceholderText(QStringLiteral("[Fatture.Codice]"));
    bf->addRow(QStringLiteral("Condizione gruppo"), bandCondition_);
    const char* flagNames[5] = {"band_grow", "band_keep", "band_newpage", "band_ifempty",
                                "band_repeat"};
    const QString flagLabels[5] = {
        QStringLiteral("Si allunga col contenuto"), QStringLiteral("Tieni insieme"),
        QStringLiteral("Inizia una nuova pagina"), QStringLiteral("Stampa anche se vuota"),
        QStringLiteral("Ripeti su ogni pagina")};
    for (int i = 0; i < 5; ++i) {
        bandFlags_[i] = new QCheckBox(flagLabels[i]);
        bandFlags_[i]->setObjectName(QString::fromLatin1(flagNames[i]));
        bf->addRow(QString(), bandFlags_[i]);
        connect(bandFlags_[i], &QCheckBox::toggled, this, [this, i](bool v) {
            applyBandProperty(
                [i, v](Band& b) {
                    bool* f[5] = {&b.growToFit, &b.keepTogether, &b.startNewPage, &b.printIfEmpty,
                                  &b.repeatOnNewPage};
                    *f[i] = v;
                },
                QStringLiteral("Opzioni della banda"));
        });
    }
    connect(bandCondition_, &QLineEdit::editingFinished, this, [this] {
        if (!bandCondition_->isModified()) return;
        bandCondition_->setModified(false);
        const QString v = bandCondition_->text().trimmed();
        applyBandProperty([v](Band& b) { b.condition = v; }, QStringLiteral("Condizione gruppo"));
    });
    lay->addWidget(bandBox);
    connect(bandName_, &QLineEdit::editingFinished, this, [this] {
        if (!bandName_->isModified()) return;
        bandName_->setModified(false);
        const QString v = bandName_->text().trimmed();
        applyBandProperty([v](Band& b) { b.name = v; }, QStringLiteral("Nome della banda"));
    });
    connect(bandHeight_, &QDoubleSpinBox::valueChanged, this, [this](double v) {
        applyBandProperty([v](Band& b) { b.height = v; }, QStringLiteral("Altezza della banda"));
    });
    connect(bandSource_, &QComboBox::currentTextChanged, this, [this](const QString& t) {
        const QString v = t.trimmed();
        applyBandProperty([v](Band& b) { b.dataSource = v; }, QStringLiteral("Sorgente dati"));
    });

    // Page
    auto* pageBox = new QGroupBox(QStringLiteral("Pagina"));
    auto* pf = new QFormLayout(pageBox);
    pageW_ = spin("page_width", 10, 2000, 1, 1);
    pageH_ = spin("page_height", 10, 5000, 1, 1);
    landscape_ = new QCheckBox(QStringLiteral("Orizzontale"));
    landscape_->setObjectName(QStringLiteral("page_landscape"));
    endless_ = new QCheckBox(QStringLiteral("Carta a rotolo (altezza libera)"));
    endless_->setObjectName(QStringLiteral("page_endless"));
    const char* marginNames[4] = {"page_margin_left", "page_margin_top", "page_margin_right",
                                  "page_margin_bottom"};
    const QString marginLabels[4] = {
        QStringLiteral("Margine sinistro"), QStringLiteral("Margine superiore"),
        QStringLiteral("Margine destro"), QStringLiteral("Margine inferiore")};
    pf->addRow(QStringLiteral("Larghezza (mm)"), pageW_);
    pf->addRow(QStringLiteral("Altezza (mm)"), pageH_);
    pf->addRow(QString(), landscape_);
    pf->addRow(QString(), endless_);
    for (int i = 0; i < 4; ++i) {
        margin_[i] = spin(marginNames[i], 0, 200, 1, 1);
        pf->addRow(marginLabels[i], margin_[i]);
        connect(margin_[i], &QDoubleSpinBox::valueChanged, this, [this, i](double v) {
            applyPageProperty(
                [i, v](ReportPage& p) {
                    double* m[4] = {&p.marginLeft, &p.marginTop, &p.marginRight, &p.marginBottom};
                    *m[i] = v;
                },
                QStringLiteral("Margini"));
        });
    }
    lay->addWidget(pageBox);
    lay->addStretch(1);
    connect(pageW_, &QDoubleSpinBox::valueChanged, this, [this](double v) {
        applyPageProperty([v](ReportPage& p) { p.paperWidth = v; },
                          QStringLiteral("Formato pagina"));
    });
    connect(pageH_, &QDoubleSpinBox::valueChanged, this, [this](double v) {
        applyPageProperty([v](ReportPage& p) { p.paperHeight = v; },
                          QStringLiteral("Formato pagina"));
    });
    connect(landscape_, &QCheckBox::toggled, this, [this](bool v) {
        applyPageProperty(
            [v](ReportPage& p) {
                p.orientation = v ? Orientation::Landscape : Orientation::Portrait;
            },
            QStringLiteral("Orientamento"));
    });
    connect(endless_, &QCheckBox::toggled, this, [this](bool v) {
        applyPageProperty([v](ReportPage& p) { p.endless = v; }, QStringLiteral("Carta a rotolo"));
    });
    return panel;
}

void ReportDesigner::refreshFields() {
    fields_->clear();
    if (!sources_) return;
    QList<ReportDataSource*> all = sources_->all();
    std::sort(all.begin(), all.end(), [](ReportDataSource* a, ReportDataSource* b) {
        return a->name().compare(b->name(), Qt::CaseInsensitive) < 0;
    });
    for (ReportDataSource* src : all) {
        auto* top = new QTreeWidgetItem(fields_, {src->name()});
        for (const QString& f : src->fieldNames()) new QTreeWidgetItem(top, {f});
    }
    refreshing_ = true;
    bandSource_->clear();
    bandSource_->addItem(QString());
    for (ReportDataSource* src : all) bandSource_->addItem(src->name());
    refreshing_ = false;
}

void ReportDesigner::refreshTitle() {
    const QString name =
        path_.isEmpty() ? QStringLiteral("nuovo modello") : QFileInfo(path_).fileName();
    setWindowTitle(QStringLiteral("Modello di stampa - %1%2")
                       .arg(name, undo_.isClean() ? QString() : QStringLiteral(" *")));
}

void ReportDesigner::refreshPanel() {
    refreshing_ = true;
    const ReportObject* o = selection_.isEmpty() ? nullptr : object(selection_.first());
    objectBox_->setEnabled(o != nullptr);
    if (o) {
        name_->setText(o->name);
        name_->setEnabled(selection_.size() == 1);
        text_->setText(o->kind == ObjectKind::Picture ? o->pictureFile : o->text);
        font_->setCurrentFont(QFont(o->fontFamily));
        size_->setValue(o->fontSize);
        bold_->setChecked(o->bold);
        italic_->setChecked(o->italic);
        align_->setCurrentIndex(int(o->hAlign));
        format_->setText(o->displayFormat);
        wrap_->setChecked(o->wordWrap);
        grow_->setChecked(o->growToFit);
        barcodeType_->setCurrentIndex(int(o->barcodeType));
        barcodeType_->setEnabled(o->kind == ObjectKind::Barcode);
        x_->setValue(o->geometry.x());
        y_->setValue(o->geometry.y());
        w_->setValue(o->geometry.width());
        h_->setValue(o->geometry.height());
    } else {
        for (QLineEdit* e : {name_, text_, format_}) e->clear();
    }
    const ReportPage& p = page();
    const bool hasBand = band_ >= 0 && band_ < int(p.bands.size());
    bandName_->setEnabled(hasBand);
    bandHeight_->setEnabled(hasBand);
    bandSource_->setEnabled(hasBand);
    bandCondition_->setEnabled(hasBand);
    for (QCheckBox* c : bandFlags_) c->setEnabled(hasBand);
    if (hasBand) {
        const Band& b = p.bands[size_t(band_)];
        bandCondition_->setText(b.condition);
        const bool flags[5] = {b.growToFit, b.keepTogether, b.startNewPage, b.printIfEmpty,
                               b.repeatOnNewPage};
        for (int i = 0; i < 5; ++i) bandFlags_[i]->setChecked(flags[i]);
        bandName_->setText(b.name);
        bandHeight_->setValue(b.height);
        bandSource_->setEditText(b.dataSource);
    }
    pageW_->setValue(p.paperWidth);
    pageH_->setValue(p.paperHeight);
    landscape_->setChecked(p.orientation == Orientation::Landscape);
    endless_->setChecked(p.endless);
    const double m[4] = {p.marginLeft, p.marginTop, p.marginRight, p.marginBottom};
    for (int i = 0; i < 4; ++i) margin_[i]->setValue(m[i]);
    while (pages_->count() > int(model_.pages.size())) pages_->removeTab(pages_->count() - 1);
    for (int i = 0; i < int(model_.pages.size()); ++i) {
        const QString n = model_.pages[size_t(i)].name.isEmpty()
                              ? QStringLiteral("Pagina %1").arg(i + 1)
                              : model_.pages[size_t(i)].name;
        if (i < pages_->count())
            pages_->setTabText(i, n);
        else
            pages_->addTab(n);
    }
    pages_->setCurrentIndex(page_);
    refreshing_ = false;
}

void ReportDesigner::setModel(const Report& model) {
    model_ = model;
    if (model_.pages.empty()) model_.pages = emptyReport().pages;
    clampSelection();
    canvas_->relayout();
    refreshPanel();
    refreshTitle();
}

void ReportDesigner::clampSelection() {
    page_ = std::clamp(page_, 0, int(model_.pages.size()) - 1);
    const auto& bands = page().bands;
    band_ = bands.empty() ? -1 : std::clamp(band_, 0, int(bands.size()) - 1);
    QList<ObjRef> kept;
    for (const ObjRef& r : selection_)
        if (r.band >= 0 && r.band < int(bands.size()) && r.object >= 0 &&
            r.object < int(bands[size_t(r.band)].objects.size()))
            kept << r;
    selection_ = kept;
}

void ReportDesigner::setCurrentPage(int p) {
    if (p < 0 || p >= int(model_.pages.size()) || p == page_) return;
    page_ = p;
    selection_.clear();
    band_ = 0;
    clampSelection();
    canvas_->relayout();
    refreshPanel();
}

void ReportDesigner::setCurrentBand(int band) {
    band_ = band;
    clampSelection();
    canvas_->update();
    refreshPanel();
}

void ReportDesigner::setSelection(const QList<ObjRef>& selection) {
    selection_ = selection;
    clampSelection();
    if (!selection_.isEmpty()) band_ = selection_.first().band;
    canvas_->update();
    refreshPanel();
}

ReportObject* ReportDesigner::object(const ObjRef& ref) {
    auto& bands = page().bands;
    if (ref.band < 0 || ref.band >= int(bands.size())) return nullptr;
    auto& objs = bands[size_t(ref.band)].objects;
    if (ref.object < 0 || ref.object >= int(objs.size())) return nullptr;
    return &objs[size_t(ref.object)];
}

void ReportDesigner::change(const Report& changed, const QString& text) {
    if (changed == model_ && changed.name == model_.name) return;
    undo_.push(new SnapshotCommand(this, model_, changed, text));
}

void ReportDesigner::beginLiveEdit() {
    liveStart_ = model_;
}

void ReportDesigner::liveChanged() {
    canvas_->relayout();
    refreshPanel();
}

void ReportDesigner::endLiveEdit(const QString& text) {
    if (model_ == liveStart_) return;
    const Report after = model_;
    model_ = liveStart_;
    change(after, text);
}

void ReportDesigner::applyObjectProperty(const std::function<void(ReportObject&)>& edit,
                                         const QString& text) {
    if (refreshing_ || selection_.isEmpty()) return;
    Report r = model_;
    for (const ObjRef& ref : selection_)
        edit(r.pages[size_t(page_)].bands[size_t(ref.band)].objects[size_t(ref.object)]);
    change(r, text);
}

void ReportDesigner::applyBandProperty(const std::function<void(Band&)>& edit,
                                       const QString& text) {
    if (refreshing_ || band_ < 0 || band_ >= int(page().bands.size())) return;
    Report r = model_;
    edit(r.pages[size_t(page_)].bands[size_t(band_)]);
    change(r, text);
}

void ReportDesigner::applyPageProperty(const std::function<void(ReportPage&)>& edit,
                                       const QString& text) {
    if (refreshing_) return;
    Report r = model_;
    edit(r.pages[size_t(page_)]);
    change(r, text);
}

void ReportDesigner::addObject(ObjectKind kind) {
    if (page().bands.empty()) addBand(BandType::MasterData);
    const int band = std::clamp(band_, 0, int(page().bands.size()) - 1);
    Report r = model_;
    ReportObject o;
    o.kind = kind;
    const QString prefixes[] = {QStringLiteral("Testo"), QStringLiteral("Linea"),
                                QStringLiteral("Rettangolo"), QStringLiteral("Immagine"),
                                QStringLiteral("Barcode")};
    o.name = freeName(r, prefixes[int(kind)]);
    switch (kind) {
        case ObjectKind::Text:
            o.geometry = QRectF(0, 0, 40, 5);
            o.text = QStringLiteral("Testo");
            break;
        case ObjectKind::Line:
            o.geometry = QRectF(0, 0, 40, 0);
            break;
        case ObjectKind::Rectangle:
            o.geometry = QRectF(0, 0, 40, 10);
            break;
        case ObjectKind::Picture:
            o.geometry = QRectF(0, 0, 30, 20);
            break;
        case ObjectKind::Barcode:
            o.geometry = QRectF(0, 0, 40, 15);
            o.text = QStringLiteral("[prodotti.Auto_ID]");
            break;
    }
    auto& objs = r.pages[size_t(page_)].bands[size_t(band)].objects;
    objs.push_back(o);
    const ObjRef ref{band, int(objs.size()) - 1};
    change(r, QStringLiteral("Nuovo oggetto: %1").arg(objectLabel(kind)));
    setSelection({ref});
    canvas_->setFocus();
}

void ReportDesigner::deleteSelection() {
    if (selection_.isEmpty()) return;
    Report r = model_;
    QList<ObjRef> sel = selection_;
    // Highest indices first, so the others stay valid.
    std::sort(sel.begin(), sel.end(), [](const ObjRef& a, const ObjRef& b) {
        return a.band != b.band ? a.band > b.band : a.object > b.object;
    });
    for (const ObjRef& ref : sel) {
        auto& objs = r.pages[size_t(page_)].bands[size_t(ref.band)].objects;
        objs.erase(objs.begin() + ref.object);
    }
    selection_.clear();
    change(r, QStringLiteral("Elimina oggetti"));
}

void ReportDesigner::copySelection() {
    if (selection_.isEmpty()) return;
    clipboard_.clear();
    for (const ObjRef& ref : selection_)
        if (const ReportObject* o = object(ref)) clipboard_.push_back(*o);
}

void ReportDesigner::paste() {
    if (clipboard_.empty()) return;
    if (page().bands.empty()) addBand(BandType::MasterData);
    const int band = std::clamp(band_, 0, int(page().bands.size()) - 1);
    Report r = model_;
    auto& objs = r.pages[size_t(page_)].bands[size_t(band)].objects;
    QList<ObjRef> pasted;
    for (ReportObject o : clipboard_) {
        QString prefix = o.name;
        while (!prefix.isEmpty() && prefix.back().isDigit()) prefix.chop(1);
        o.name = freeName(r, prefix.isEmpty() ? QStringLiteral("Oggetto") : prefix);
        // Beside the original rather than on top of it.
        o.geometry.translate(2, 2);
        objs.push_back(o);
        pasted << ObjRef{band, int(objs.size()) - 1};
    }
    change(r, QStringLiteral("Incolla"));
    setSelection(pasted);
}

void ReportDesigner::moveSelection(double dx, double dy) {
    if (selection_.isEmpty()) return;
    Report r = model_;
    for (const ObjRef& ref : selection_) {
        QRectF& g =
            r.pages[size_t(page_)].bands[size_t(ref.band)].objects[size_t(ref.object)].geometry;
        g.moveTo(std::max(0.0, snap(g.x() + dx)), std::max(0.0, snap(g.y() + dy)));
    }
    change(r, QStringLiteral("Sposta"));
}

void ReportDesigner::resizeSelection(double dw, double dh) {
    if (selection_.isEmpty()) return;
    Report r = model_;
    for (const ObjRef& ref : selection_) {
        QRectF& g =
            r.pages[size_t(page_)].bands[size_t(ref.band)].objects[size_t(ref.object)].geometry;
        g.setWidth(std::max(0.0, snap(g.width() + dw)));
        g.setHeight(std::max(0.0, snap(g.height() + dh)));
    }
    change(r, QStringLiteral("Ridimensiona"));
}

void ReportDesigner::addBand(BandType type) {
    Report r = model_;
    auto& bands = r.pages[size_t(page_)].bands;
    Band b;
    b.type = type;
    b.name = bandTypeName(type) + QString::number(bands.size() + 1);
    b.height = isDataBand(type) ? 6 : 10;
    // After the current band; a page footer always goes last.
    int at = bands.empty() ? 0 : std::clamp(band_ + 1, 0, int(bands.size()));
    if (type == BandType::PageFooter)
        at = int(bands.size());
    else if (at == int(bands.size()) && at > 0 && bands.back().type == BandType::PageFooter)
        --at;
    bands.insert(bands.begin() + at, b);
    selection_.clear();
    change(r, QStringLiteral("Nuova banda: %1").arg(bandTypeLabel(type)));
    setCurrentBand(at);
}

void ReportDesigner::deleteBand() {
    if (band_ < 0 || band_ >= int(page().bands.size())) return;
    Report r = model_;
    auto& bands = r.pages[size_t(page_)].bands;
    bands.erase(bands.begin() + band_);
    selection_.clear();
    change(r, QStringLiteral("Elimina banda"));
}

void ReportDesigner::insertField(const QString& source, const QString& field) {
    const QString expr = QStringLiteral("[%1.%2]").arg(source, field);
    ReportObject* o = selection_.size() == 1 ? object(selection_.first()) : nullptr;
    if (o && (o->kind == ObjectKind::Text || o->kind == ObjectKind::Barcode)) {
        applyObjectProperty([expr](ReportObject& obj) { obj.text += expr; },
                            QStringLiteral("Inserisci campo"));
        return;
    }
    addObject(ObjectKind::Text);
    applyObjectProperty([expr](ReportObject& obj) { obj.text = expr; },
                        QStringLiteral("Inserisci campo"));
}

void ReportDesigner::addTextAt(int band, QPointF posMm, const QString& text) {
    if (band < 0 || band >= int(page().bands.size())) return;
    Report r = model_;
    ReportObject o;
    o.name = freeName(r, QStringLiteral("Testo"));
    o.text = text;
    o.geometry = QRectF(posMm, QSizeF(40, 5));
    auto& objs = r.pages[size_t(page_)].bands[size_t(band)].objects;
    objs.push_back(o);
    const ObjRef ref{band, int(objs.size()) - 1};
    change(r, QStringLiteral("Inserisci campo"));
    setSelection({ref});
}

bool ReportDesigner::save() {
    if (path_.isEmpty()) return askSaveAs();
    return saveAs(path_);
}

QString ReportDesigner::msgSovrascrivo(const QString& fileName) {
    return QStringLiteral(
               "   Il modello di stampa \"%1\" esiste già: sostituirlo?   \n"
               "   Il modello attuale resterà nel file \"%1.bak\".   ")
        .arg(fileName);
}

bool ReportDesigner::saveAs(const QString& path) {
    const QString file = QFileInfo(path).absoluteFilePath();
    if (QFileInfo::exists(file) && !overwriteAllowed_.contains(file)) {
        // One undo for a layout broken by mistake: the file as it was before this session.
        if (!Mymsg::question(msgSovrascrivo(QFileInfo(file).fileName()))) return false;
        const QString bak = file + QStringLiteral(".bak");
        QFile::remove(bak);
        if (!QFile::copy(file, bak)) {
            Mymsg::error(QStringLiteral("Impossibile conservare la copia \"%1\": il modello non è "
                                        "stato salvato.")
                             .arg(QDir::toNativeSeparators(bak)));
            return false;
        }
    }
    QString error;
    if (!saveTemplate(file, model_, &error)) {
        Mymsg::error(error);
        return false;
    }
    overwriteAllowed_.insert(file);
    path_ = file;
    model_.name = QFileInfo(path).completeBaseName();
    saved_ = true;
    undo_.setClean();
    refreshTitle();
    return true;
}

bool ReportDesigner::askSaveAs() {
    const QString dir = path_.isEmpty() ? folder_ : QFileInfo(path_).absolutePath();
    // The question about an existing file is ours: it also tells where the old one is kept.
    QString path = QFileDialog::getSaveFileName(this, QStringLiteral("Salva modello di stampa"),
                                                dir, QStringLiteral("Modelli di stampa (*.frf)"),
                                                nullptr, QFileDialog::DontConfirmOverwrite);
    if (path.isEmpty()) return false;
    if (!path.endsWith(QLatin1String(".frf"), Qt::CaseInsensitive)) path += QStringLiteral(".frf");
    return saveAs(path);
}

void ReportDesigner::preview() {
    ReportEngine engine;
    engine.setReport(model_, path_);
    // The title the program prints the template under, where it is one of the program's.
    engine.setTitle(titles_.value(model_.name,
                                  model_.name.isEmpty() ? QStringLiteral("Modello") : model_.name));
    if (sources_)
        for (ReportDataSource* s : sources_->all()) engine.dataSources().add(s);
    PrepareProgress progress(this, engine.title());
    engine.setProgress(&progress);
    const auto prepare = [&engine] { return engine.prepare(); };
    const bool prepared = previewData_ ? previewData_(model_, prepare) : prepare();
    engine.setProgress(nullptr);
    if (!prepared) {
        if (!engine.wasCancelled()) Mymsg::error(engine.errorString());
        return;
    }
    ReportPreview dialog(engine, this);
    dialog.exec();
}

QStringList ReportDesigner::templateNames() const {
    if (folder_.isEmpty()) return {};
    QStringList names = QDir(folder_).entryList({QStringLiteral("*.frf")}, QDir::Files, QDir::Name);
    for (QString& n : names) n.chop(4);
    return names;
}

void ReportDesigner::askOpen() {
    const QStringList names = templateNames();
    if (names.isEmpty()) {
        Mymsg::message(QStringLiteral("   Nessun modello di stampa nella cartella \"%1\"   ")
                           .arg(QDir::toNativeSeparators(folder_)));
        return;
    }
    QDialog dialog(this);
    dialog.setObjectName(QStringLiteral("apriModello"));
    dialog.setWindowTitle(QStringLiteral("Apri modello di stampa"));
    auto* lay = new QVBoxLayout(&dialog);
    lay->addWidget(new QLabel(
        QStringLiteral("Modelli di stampa in %1").arg(QDir::toNativeSeparators(folder_)), &dialog));
    auto* list = new QListWidget(&dialog);
    list->setObjectName(QStringLiteral("elencoModelli"));
    for (const QString& name : names) {
        // The name of the file, and what the program prints with it.
        const QString title = titles_.value(name);
        auto* item = new QListWidgetItem(
            title.isEmpty() ? name : QStringLiteral("%1  -  %2").arg(name, title), list);
        item->setData(Qt::UserRole, name);
    }
    const int current = names.indexOf(QFileInfo(path_).completeBaseName());
    list->setCurrentRow(std::max(current, 0));
    lay->addWidget(list);
    auto* buttons = new QDialogButtonBox(&dialog);
    buttons->addButton(QStringLiteral("&Apri"), QDialogButtonBox::AcceptRole)
        ->setObjectName(QStringLiteral("btn_apri"));
    buttons->addButton(QStringLiteral("Annulla"), QDialogButtonBox::RejectRole)
        ->setObjectName(QStringLiteral("btn_annulla"));
    lay->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    connect(list, &QListWidget::itemActivated, &dialog, &QDialog::accept);
    dialog.resize(360, 420);
    if (dialog.exec() != QDialog::Accepted || !list->currentItem()) return;
    openTemplate(list->currentItem()->data(Qt::UserRole).toString());
}

bool ReportDesigner::keepChanges() {
    if (undo_.isClean()) return true;
    if (!Mymsg::question(QStringLiteral("   Salvare le modifiche al modello di stampa?   ")))
        return true;
    return save();
}

bool ReportDesigner::openTemplate(const QString& name) {
    if (!keepChanges()) return false;
    const QString file = QDir(folder_).absoluteFilePath(name + QStringLiteral(".frf"));
    Report loaded;
    QString error;
    if (!loadTemplate(file, &loaded, &error)) {
        Mymsg::error(error);
        return false;
    }
    loaded.name = name;
    path_ = file;
    selection_.clear();
    page_ = 0;
    band_ = 0;
    undo_.clear();
    setModel(loaded);
    return true;
}

void ReportDesigner::closeEvent(QCloseEvent* event) {
    if (!keepChanges()) {
        event->ignore();
        return;
    }
    event->accept();
    Q_EMIT closed();
}

}  // namespace report
