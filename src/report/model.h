#pragma once
// The template model: a report is a list of pages, a page a stack of bands, a band a list of
// objects. Every length is in millimetres, font sizes in points. The model is a plain value
// (copyable), so the designer can keep snapshots and the engine can work on a copy.
#include <QColor>
#include <QRectF>
#include <QString>
#include <QStringList>
#include <vector>

namespace report {

enum class BandType {
    ReportTitle,
    PageHeader,
    MasterHeader,
    MasterData,
    DetailHeader,
    DetailData,
    DetailFooter,
    MasterFooter,
    GroupHeader,
    GroupFooter,
    Summary,
    PageFooter,
};

enum class ObjectKind { Text, Line, Rectangle, Picture, Barcode };

enum class BarcodeType { Code128, Ean13 };

enum class HAlign { Left, Center, Right, Justify };
enum class VAlign { Top, Center, Bottom };

// Borders of a text, rectangle or picture.
struct Frame {
    bool left = false;
    bool top = false;
    bool right = false;
    bool bottom = false;
    double width = 0.2;  // mm
    QColor color = Qt::black;
    bool any() const { return left || top || right || bottom; }
    bool operator==(const Frame&) const = default;
};

struct ReportObject {
    ObjectKind kind = ObjectKind::Text;
    QString name;
    // Position relative to the band: x from the page's left margin, y from the band's top.
    // A line goes from the top-left corner to the bottom-right corner of this rectangle
    // (width 0 is vertical, height 0 horizontal).
    QRectF geometry;

    // Text: literal text with [expressions]; see README-format.md.
    QString text;
    QString fontFamily = QStringLiteral("DejaVu Sans");
    double fontSize = 10.0;  // points
    bool bold = false;
    bool italic = false;
    bool underline = false;
    HAlign hAlign = HAlign::Left;
    VAlign vAlign = VAlign::Top;
    bool wordWrap = false;
    bool growToFit = false;  // the object's height grows with its text
    QString displayFormat;   // "0.00", "#.###", "dd/mm/yyyy", ... applied to every expression
    QColor textColor = Qt::black;
    QColor fillColor;  // invalid = transparent
    Frame frame;

    // Line and rectangle.
    double lineWidth = 0.2;  // mm
    QColor lineColor = Qt::black;

    // Picture: a file (relative to the template's folder, or absolute) or an expression giving
    // image bytes or a file name.
    QString pictureFile;
    QString pictureField;
    bool keepAspect = true;

    // Barcode: the data is an expression like a text's ("[prodotti.Auto_ID]").
    BarcodeType barcodeType = BarcodeType::Code128;
    bool showText = true;

    bool operator==(const ReportObject&) const = default;
};

struct Band {
    BandType type = BandType::MasterData;
    QString name;
    double height = 10.0;          // mm
    QString dataSource;            // data bands: the data set that drives them
    QString condition;             // group header: the expression whose change starts a new group
    bool growToFit = false;        // band grows with its growing objects
    bool keepTogether = false;     // a data row with its details (or a whole group) on one page
    bool startNewPage = false;     // this band starts on a new page (data: every row but the first)
    bool printIfEmpty = false;     // a data band with no rows prints once, with empty fields
    bool repeatOnNewPage = false;  // headers: printed again at the top of each new page
    std::vector<ReportObject> objects;
    bool operator==(const Band&) const = default;
};

enum class Orientation { Portrait, Landscape };

struct ReportPage {
    QString name;
    double paperWidth = 210.0;  // mm, in portrait
    double paperHeight = 297.0;
    Orientation orientation = Orientation::Portrait;
    bool endless = false;  // roll paper: the page is as tall as its content
    double marginLeft = 10.0;
    double marginTop = 10.0;
    double marginRight = 10.0;
    double marginBottom = 10.0;
    std::vector<Band> bands;

    double width() const { return orientation == Orientation::Portrait ? paperWidth : paperHeight; }
    double height() const {
        return orientation == Orientation::Portrait ? paperHeight : paperWidth;
    }
    double contentWidth() const { return width() - marginLeft - marginRight; }
    bool operator==(const ReportPage&) const = default;
};

struct Report {
    static constexpr int kFormatVersion = 1;
    QString name;  // shown in error messages; the file's base name when loaded
    std::vector<ReportPage> pages;

    // The first object with that name on any page, or nullptr.
    ReportObject* findObject(const QString& name);
    const ReportObject* findObject(const QString& name) const;
    // Every data source named by a band.
    QStringList dataSourceNames() const;
    bool operator==(const Report& o) const { return pages == o.pages; }
};

// Names used in the file and in the designer.
QString bandTypeName(BandType type);
bool bandTypeFromName(const QString& name, BandType* type);
QString objectKindName(ObjectKind kind);
bool objectKindFromName(const QString& name, ObjectKind* kind);
bool isDataBand(BandType type);
bool isFooterBand(BandType type);

// A new report with one empty A4 page.
Report emptyReport();

}  // namespace report
