#pragma once
// The template designer: a window over the engine's model. Every change goes through the undo
// stack as a before/after pair of the whole model (a plain value), so each edit, however made,
// can be undone.
#include <QHash>
#include <QMainWindow>
#include <QPointer>
#include <QSet>
#include <QUndoStack>
#include <QWidget>
#include <functional>

#include "common/nativewheel.h"
#include "report/datasource.h"
#include "report/model.h"

class QCheckBox;
class QComboBox;
class QDoubleSpinBox;
class QFontComboBox;
class QLineEdit;
class QScrollArea;
class QTabBar;
class QTreeWidget;
class QTreeWidgetItem;

namespace report {

// The dynamic property that lets a widget receive wheel events itself instead of the arrow keys
// the program's application-wide filter makes of them.
using ::kNativeWheelProperty;

// An object of the current page: band index and object index.
struct ObjRef {
    int band = -1;
    int object = -1;
    bool operator==(const ObjRef&) const = default;
};

class ReportDesigner;

// The page as drawn in the designer: bands stacked, each with a caption strip above it.
class DesignerCanvas : public QWidget {
    Q_OBJECT
public:
    explicit DesignerCanvas(ReportDesigner* designer);
    double zoom() const { return zoom_; }
    void setZoom(double zoom);
    double pixelsPerMm() const;
    // Canvas position of a band's top (its area, below the caption strip), in pixels.
    double bandTop(int band) const;
    QRectF objectRect(const ObjRef& ref) const;  // pixels
    QSize sizeHint() const override;
    void relayout();

Q_SIGNALS:
    void editTextRequested();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    enum class Drag { None, Move, Resize, BandHeight, Rubber };
    int handleAt(const QPointF& pos) const;  // 0..7 on the single selection, -1 none
    int bandEdgeAt(const QPointF& pos) const;
    int bandAt(const QPointF& pos) const;
    ObjRef objectAt(const QPointF& pos) const;
    QVector<QRectF> handles(const QRectF& r) const;

    ReportDesigner* d_;
    double zoom_ = 1.0;
    Drag drag_ = Drag::None;
    QPointF pressPos_;
    QPointF lastPos_;
    int dragHandle_ = -1;
    int dragBand_ = -1;
    QRectF rubber_;
    bool dragChanged_ = false;
};

class ReportDesigner : public QMainWindow {
    Q_OBJECT
public:
    // model: the template to edit; filePath: where Save writes (a folder, such as the data
    // folder's stampe/, or "" = ask for the name at the first save, starting in that folder);
    // sources: the data sources offered in the field list and used by the preview (not owned,
    // may be nullptr).
    ReportDesigner(Report model, QString filePath, DataSourceRegistry* sources,
                   QWidget* parent = nullptr);

    // Fills the data a preview reads, as the print of that template would, runs prepare and puts
    // the data back as it found it; returns what prepare returned. Unset: the sources as they are.
    using PreviewData =
        std::function<bool(const Report& report, const std::function<bool()>& prepare)>;

    // Shows the designer modally; returns when it is closed. model gets the edited template (as
    // last saved or not) and filePath the file it belongs to (another one after "Apri" or
    // "Salva con nome"); true when it was saved at least once. setup completes the window before
    // it shows (preview data, template titles).
    static bool openDesigner(Report& model, QString& filePath, DataSourceRegistry* sources,
                             QWidget* parent = nullptr,
                             const std::function<void(ReportDesigner&)>& setup = {});

    void setPreviewData(PreviewData previewData) { previewData_ = std::move(previewData); }
    // The folder whose templates "Apri" lists (the data folder's stampe/).
    QString templateFolder() const { return folder_; }
    // The template names (without ".frf") of templateFolder(), in alphabetical order.
    QStringList templateNames() const;
    // What the program prints with each template, shown beside its name in "Apri".
    void setTemplateTitles(QHash<QString, QString> titles) { titles_ = std::move(titles); }
    // Opens a template of the folder by name, after asking to save pending changes; false when
    // the user kept the current one or the file cannot be read (the error is shown).
    bool openTemplate(const QString& name);

    const Report& report() const { return model_; }
    QString filePath() const { return path_; }
    QUndoStack* undoStack() { return &undo_; }
    DesignerCanvas* canvas() const { return canvas_; }
    bool wasSaved() const { return saved_; }

    int currentPage() const { return page_; }
    void setCurrentPage(int page);
    ReportPage& page() { return model_.pages[size_t(page_)]; }
    const ReportPage& page() const { return model_.pages[size_t(page_)]; }
    int currentBand() const { return band_; }
    void setCurrentBand(int band);
    const QList<ObjRef>& selection() const { return selection_; }
    void setSelection(const QList<ObjRef>& selection);
    ReportObject* object(const ObjRef& ref);

    // ---- edits (each one undoable)
    // Replaces the model with changed, as one undo step named text.
    void change(const Report& changed, const QString& text);
    // Adds an object of that kind to the current band and selects it.
    void addObject(ObjectKind kind);
    void deleteSelection();
    // Copy keeps the selected objects inside the designer; paste puts them into the current band,
    // with new names.
    void copySelection();
    void paste();
    void moveSelection(double dxMm, double dyMm);
    void resizeSelection(double dwMm, double dhMm);
    void addBand(BandType type);
    void deleteBand();
    // Puts "[source.Field]" into the selected text, or into a new text of the current band.
    void insertField(const QString& source, const QString& field);
    // A new text holding text at (x, y) mm of a band (a field dropped from the field list).
    void addTextAt(int band, QPointF posMm, const QString& text);

    // Writing over an existing file asks first (once per file while the designer is open) and
    // keeps the file as it was as <name>.frf.bak.
    bool save();
    bool saveAs(const QString& path);
    void preview();
    // The "Apri" list: a choice of templateNames(); opens the one chosen.
    void askOpen();
    // The question before a save replaces an existing file.
    static QString msgSovrascrivo(const QString& fileName);

    // The model shown while a drag is under way, committed by the canvas at the end of it.
    Report& liveModel() { return model_; }
    const Report& liveStart() const { return liveStart_; }
    void liveChanged();  // the live model changed: redraw
    void beginLiveEdit();
    void endLiveEdit(const QString& text);

Q_SIGNALS:
    void closed();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    friend class SnapshotCommand;
    void setModel(const Report& model);  // from the undo stack
    void buildUi();
    QWidget* buildPanel();
    void refreshPanel();
    void refreshFields();
    void refreshTitle();
    void applyObjectProperty(const std::function<void(ReportObject&)>& edit, const QString& text);
    void applyBandProperty(const std::function<void(Band&)>& edit, const QString& text);
    void applyPageProperty(const std::function<void(ReportPage&)>& edit, const QString& text);
    void clampSelection();
    bool askSaveAs();
    bool keepChanges();  // pending edits saved or dropped as the user says; false = stay

    Report model_;
    Report liveStart_;
    QString path_;
    QString folder_;                  // where "Save as" starts and what "Apri" lists
    QSet<QString> overwriteAllowed_;  // files the user agreed to replace in this session
    PreviewData previewData_;
    QHash<QString, QString> titles_;
    DataSourceRegistry* sources_;
    QUndoStack undo_;
    int page_ = 0;
    int band_ = 0;
    QList<ObjRef> selection_;
    std::vector<ReportObject> clipboard_;
    bool refreshing_ = false;
    bool saved_ = false;

    DesignerCanvas* canvas_ = nullptr;
    QScrollArea* scroll_ = nullptr;
    QTabBar* pages_ = nullptr;
    QTreeWidget* fields_ = nullptr;
    // property panel
    QLineEdit* name_ = nullptr;
    QLineEdit* text_ = nullptr;
    QFontComboBox* font_ = nullptr;
    QDoubleSpinBox* size_ = nullptr;
    QCheckBox* bold_ = nullptr;
    QCheckBox* italic_ = nullptr;
    QComboBox* align_ = nullptr;
    QLineEdit* format_ = nullptr;
    QDoubleSpinBox* x_ = nullptr;
    QDoubleSpinBox* y_ = nullptr;
    QDoubleSpinBox* w_ = nullptr;
    QDoubleSpinBox* h_ = nullptr;
    QComboBox* bandSource_ = nullptr;
    QDoubleSpinBox* bandHeight_ = nullptr;
    QLineEdit* bandName_ = nullptr;
    QLineEdit* bandCondition_ = nullptr;
    QCheckBox* bandFlags_[5] = {};  // grow, keep together, new page, print if empty, repeat
    QCheckBox* wrap_ = nullptr;
    QCheckBox* grow_ = nullptr;
    QComboBox* barcodeType_ = nullptr;
    QDoubleSpinBox* pageW_ = nullptr;
    QDoubleSpinBox* pageH_ = nullptr;
    QCheckBox* landscape_ = nullptr;
    QCheckBox* endless_ = nullptr;
    QDoubleSpinBox* margin_[4] = {};
    QWidget* objectBox_ = nullptr;
};

// Text shown for a band type in the designer ("Dati master", ...).
QString bandTypeLabel(BandType type);

}  // namespace report
