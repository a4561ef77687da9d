#pragma once
// The preview window: pages stacked in a scrolling view, zoom, page navigation, copies, Print
// (to the engine's printer, no dialog) and Save as PDF. The wheel scrolls, Ctrl+wheel zooms.
#include <QAbstractScrollArea>
#include <QDialog>

#include "report/engine.h"

class QComboBox;
class QSpinBox;
class QLabel;

namespace report {

class PageView : public QAbstractScrollArea {
    Q_OBJECT
public:
    explicit PageView(QWidget* parent = nullptr);
    void setReport(const PageStore* pages);
    double zoom() const { return zoom_; }
    void setZoom(double zoom);  // 1.0 = real size on screen
    double fitWidthZoom() const;
    double fitPageZoom() const;
    int currentPage() const;  // 0-based: the page at the top of the view
    void showPage(int index);
    int pageCount() const { return pages_ ? pages_->count() : 0; }

Q_SIGNALS:
    void currentPageChanged(int index);
    void zoomChanged(double zoom);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;

private:
    double dotsPerMm() const;
    void relayout();
    QRectF pageRect(int index) const;  // in content coordinates

    const PageStore* pages_ = nullptr;
    double zoom_ = 1.0;
    QVector<double> tops_;  // content y of each page
    double contentWidth_ = 0;
    double contentHeight_ = 0;
    int lastPage_ = -1;
};

class ReportPreview : public QDialog {
    Q_OBJECT
public:
    // The engine must be prepared; it stays owned by the caller.
    explicit ReportPreview(ReportEngine& engine, QWidget* parent = nullptr);

    PageView* view() const { return view_; }
    const PageStore& prepared() const { return engine_.prepared(); }
    int copies() const;
    void setCopies(int copies);
    // The Print button: prints the copies chosen; true when the job was accepted.
    bool printNow();
    // Whether a job was accepted from this preview (or written to a PDF for want of a printer).
    // Saving a PDF copy with "Salva PDF" is not printing.
    bool printed() const { return printed_; }
    // Save as PDF without asking for the name.
    bool saveAsPdf(const QString& path);

private:
    void askPdf();
    void zoomChosen(int index);
    void pageShown(int index);

    ReportEngine& engine_;
    PageView* view_;
    QSpinBox* page_;
    QLabel* pageCount_;
    QComboBox* zoom_;
    QSpinBox* copies_;
    bool printed_ = false;
};

// Prepares the report and shows the preview modally. True only when paper was printed from it
// (a job accepted, or the PDF written on a machine without printers); false when it was closed
// without printing, when every print from it was refused, or when the report cannot be prepared
// (the engine's error shown through Mymsg).
bool showPreview(ReportEngine& engine, QWidget* parent = nullptr);

}  // namespace report
