#include "report/templatefile.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QXmlStreamReader>
#include <QXmlStreamWriter>
#include <cmath>

namespace report {

namespace {

const char* const kAlignNames[] = {"left", "center", "right", "justify"};
const char* const kVAlignNames[] = {"top", "center", "bottom"};

QString num(double v) {
    return QString::number(v, 'g', 10);
}

QString colorText(const QColor& c) {
    return c.alpha() == 255 ? c.name(QColor::HexRgb) : c.name(QColor::HexArgb);
}

// Attributes written only when they differ from the model's defaults keep the files short and
// readable; reading applies the same defaults, so save -> load -> save is stable.
class Writer {
public:
    explicit Writer(QIODevice& dev) : xml_(&dev) {
        xml_.setAutoFormatting(true);
        xml_.setAutoFormattingIndent(2);
    }

    void write(const Report& r) {
        xml_.writeStartDocument();
        xml_.writeStartElement(QStringLiteral("report"));
        xml_.writeAttribute(QStringLiteral("version"), QString::number(Report::kFormatVersion));
        for (const auto& page : r.pages) writePage(page);
        xml_.writeEndElement();
        xml_.writeEndDocument();
    }

private:
    void attr(const char* name, const QString& v) { xml_.writeAttribute(QLatin1String(name), v); }
    void attr(const char* name, double v) { attr(name, num(v)); }
    void flag(const char* name, bool v, bool def = false) {
        if (v != def) attr(name, v ? QStringLiteral("1") : QStringLiteral("0"));
    }
    void text(const char* name, const QString& v, const QString& def = {}) {
        if (v != def) attr(name, v);
    }
    void number(const char* name, double v, double def) {
        if (v != def) attr(name, v);
    }
    void color(const char* name, const QColor& c, const QColor& def) {
        if (c != def) attr(name, c.isValid() ? colorText(c) : QString());
    }

    void writePage(const ReportPage& p) {
        const ReportPage def;
        xml_.writeStartElement(QStringLiteral("page"));
        attr("name", p.name);
        attr("width", p.paperWidth);
        attr("height", p.paperHeight);
        if (p.orientation == Orientation::Landscape)
            attr("orientation", QStringLiteral("landscape"));
        flag("endless", p.endless);
        number("margin-left", p.marginLeft, def.marginLeft);
        number("margin-top", p.marginTop, def.marginTop);
        number("margin-right", p.marginRight, def.marginRight);
        number("margin-bottom", p.marginBottom, def.marginBottom);
        for (const auto& b : p.bands) writeBand(b);
        xml_.writeEndElement();
    }

    void writeBand(const Band& b) {
        xml_.writeStartElement(QStringLiteral("band"));
        attr("type", bandTypeName(b.type));
        attr("name", b.name);
        attr("height", b.height);
        text("source", b.dataSource);
        text("condition", b.condition);
        flag("grow", b.growToFit);
        flag("keep-together", b.keepTogether);
        flag("new-page", b.startNewPage);
        flag("print-if-empty", b.printIfEmpty);
        flag("repeat", b.repeatOnNewPage);
        for (const auto& o : b.objects) writeObject(o);
        xml_.writeEndElement();
    }

    void writeObject(const ReportObject& o) {
        const ReportObject def;
        xml_.writeStartElement(objectKindName(o.kind));
        attr("name", o.name);
        attr("x", o.geometry.x());
        attr("y", o.geometry.y());
        attr("width", o.geometry.width());
        attr("height", o.geometry.height());
        switch (o.kind) {
            case ObjectKind::Text:
                writeFont(o);
                if (o.hAlign != def.hAlign)
                    attr("align", QLatin1String(kAlignNames[int(o.hAlign)]));
                if (o.vAlign != def.vAlign)
                    attr("valign", QLatin1String(kVAlignNames[int(o.vAlign)]));
                flag("wrap", o.wordWrap);
                flag("grow", o.growToFit);
                text("format", o.displayFormat);
                color("color", o.textColor, def.textColor);
                color("fill", o.fillColor, def.fillColor);
                writeFrame(o.frame);
                xml_.writeCharacters(o.text);
                break;
            case ObjectKind::Line:
                number("line-width", o.lineWidth, def.lineWidth);
                color("line-color", o.lineColor, def.lineColor);
                break;
            case ObjectKind::Rectangle:
                number("line-width", o.lineWidth, def.lineWidth);
                color("line-color", o.lineColor, def.lineColor);
                color("fill", o.fillColor, def.fillColor);
                break;
            case ObjectKind::Picture:
                text("file", o.pictureFile);
                text("field", o.pictureField);
                flag("keep-aspect", o.keepAspect, def.keepAspect);
                writeFrame(o.frame);
                break;
            case ObjectKind::Barcode:
                attr("type", o.barcodeType == BarcodeType::Ean13 ? QStringLiteral("ean13")
                                                                 : QStringLiteral("code128"));
                flag("show-text", o.showText, def.showText);
                xml_.writeCharacters(o.text);
                break;
        }
        xml_.writeEndElement();
    }

    void writeFont(const ReportObject& o) {
        const ReportObject def;
        text("font", o.fontFamily, def.fontFamily);
        number("size", o.fontSize, def.fontSize);
        flag("bold", o.bold);
        flag("italic", o.italic);
        flag("underline", o.underline);
    }

    void writeFrame(const Frame& f) {
        const Frame def;
        QString sides;
        if (f.left) sides += QLatin1Char('l');
        if (f.top) sides += QLatin1Char('t');
        if (f.right) sides += QLatin1Char('r');
        if (f.bottom) sides += QLatin1Char('b');
        text("frame", sides);
        number("frame-width", f.width, def.width);
        color("frame-color", f.color, def.color);
    }

    QXmlStreamWriter xml_;
};

// Thrown inside the reader with a text for the user.
struct FormatError {
    QString text;
};

class Reader {
public:
    explicit Reader(QIODevice& dev) : xml_(&dev) {}

    void read(Report* r) {
        if (!xml_.readNextStartElement()) fail(QStringLiteral("non è un file XML"));
        if (xml_.name() != QLatin1String("report"))
            fail(QStringLiteral("non è un modello di stampa"));
        bool ok = false;
        const int version = xml_.attributes().value(QLatin1String("version")).toInt(&ok);
        if (!ok) fail(QStringLiteral("manca la versione del formato"));
        if (version < 1 || version > Report::kFormatVersion)
            fail(QStringLiteral("versione del formato %1 non supportata").arg(version));
        while (xml_.readNextStartElement()) {
            if (xml_.name() != QLatin1String("page")) unknown();
            r->pages.push_back(readPage());
        }
        check();
        // Anything after the root element other than comments is damage.
        while (!xml_.atEnd()) {
            xml_.readNext();
            if (xml_.isStartElement()) fail(QStringLiteral("contenuto dopo la fine del modello"));
        }
        check();
    }

private:
    [[noreturn]] void fail(const QString& what) {
        throw FormatError{QStringLiteral("%1 (riga %2)").arg(what).arg(xml_.lineNumber())};
    }
    void check() {
        if (xml_.hasError()) fail(xml_.errorString());
    }
    [[noreturn]] void unknown() {
        check();
        fail(QStringLiteral("elemento sconosciuto <%1>").arg(xml_.name().toString()));
    }

    QString str(const char* name, const QString& def = {}) {
        const auto a = xml_.attributes();
        return a.hasAttribute(QLatin1String(name)) ? a.value(QLatin1String(name)).toString() : def;
    }
    double number(const char* name, double def, bool required = false) {
        const auto a = xml_.attributes();
        if (!a.hasAttribute(QLatin1String(name))) {
            if (required) fail(QStringLiteral("manca l'attributo \"%1\"").arg(QLatin1String(name)));
            return def;
        }
        bool ok = false;
        const double v = a.value(QLatin1String(name)).toDouble(&ok);
        if (!ok || !std::isfinite(v))
            fail(QStringLiteral("valore non valido per \"%1\"").arg(QLatin1String(name)));
        return v;
    }
    bool flag(const char* name, bool def) {
        const QString v = str(name);
        if (v.isEmpty()) return def;
        if (v == QLatin1String("1")) return true;
        if (v == QLatin1String("0")) return false;
        fail(QStringLiteral("valore non valido per \"%1\"").arg(QLatin1String(name)));
    }
    QColor color(const char* name, const QColor& def) {
        const auto a = xml_.attributes();
        if (!a.hasAttribute(QLatin1String(name))) return def;
        const QString v = a.value(QLatin1String(name)).toString();
        if (v.isEmpty()) return QColor();
        QColor c(v);
        if (!c.isValid()) fail(QStringLiteral("colore non valido \"%1\"").arg(v));
        return c;
    }
    template <size_t N>
    int choice(const char* name, const char* const (&names)[N], int def) {
        const QString v = str(name);
        if (v.isEmpty()) return def;
        for (size_t i = 0; i < N; ++i)
            if (v == QLatin1String(names[i])) return int(i);
        fail(QStringLiteral("valore non valido per \"%1\"").arg(QLatin1String(name)));
    }

    ReportPage readPage() {
        ReportPage p;
        p.name = str("name");
        p.paperWidth = number("width", 0, true);
        p.paperHeight = number("height", 0, true);
        if (p.paperWidth <= 0 || p.paperHeight <= 0)
            fail(QStringLiteral("dimensioni della pagina non valide"));
        static const char* const orientations[] = {"portrait", "landscape"};
        p.orientation = Orientation(choice("orientation", orientations, 0));
        p.endless = flag("endless", false);
        p.marginLeft = number("margin-left", p.marginLeft);
        p.marginTop = number("margin-top", p.marginTop);
        p.marginRight = number("margin-right", p.marginRight);
        p.marginBottom = number("margin-bottom", p.marginBottom);
        while (xml_.readNextStartElement()) {
            if (xml_.name() != QLatin1String("band")) unknown();
            p.bands.push_back(readBand());
        }
        check();
        return p;
    }

    Band readBand() {
        Band b;
        if (!bandTypeFromName(str("type"), &b.type))
            fail(QStringLiteral("tipo di banda sconosciuto \"%1\"").arg(str("type")));
        b.name = str("name");
        b.height = number("height", 0, true);
        if (b.height < 0) fail(QStringLiteral("altezza della banda non valida"));
        b.dataSource = str("source");
        b.condition = str("condition");
        b.growToFit = flag("grow", false);
        b.keepTogether = flag("keep-together", false);
        b.startNewPage = flag("new-page", false);
        b.printIfEmpty = flag("print-if-empty", false);
        b.repeatOnNewPage = flag("repeat", false);
        while (xml_.readNextStartElement()) {
            ObjectKind kind;
            if (!objectKindFromName(xml_.name().toString(), &kind)) unknown();
            b.objects.push_back(readObject(kind));
        }
        check();
        return b;
    }

    ReportObject readObject(ObjectKind kind) {
        ReportObject o;
        o.kind = kind;
        o.name = str("name");
        o.geometry = QRectF(number("x", 0, true), number("y", 0, true), number("width", 0, true),
                            number("height", 0, true));
        if (o.geometry.width() < 0 || o.geometry.height() < 0)
            fail(QStringLiteral("dimensioni non valide per l'oggetto \"%1\"").arg(o.name));
        bool hasText = false;
        switch (kind) {
            case ObjectKind::Text:
                readFont(o);
                o.hAlign = HAlign(choice("align", kAlignNames, 0));
                o.vAlign = VAlign(choice("valign", kVAlignNames, 0));
                o.wordWrap = flag("wrap", false);
                o.growToFit = flag("grow", false);
                o.displayFormat = str("format");
                o.textColor = color("color", o.textColor);
                o.fillColor = color("fill", o.fillColor);
                readFrame(o.frame);
                hasText = true;
                break;
            case ObjectKind::Line:
                o.lineWidth = number("line-width", o.lineWidth);
                o.lineColor = color("line-color", o.lineColor);
                break;
            case ObjectKind::Rectangle:
                o.lineWidth = number("line-width", o.lineWidth);
                o.lineColor = color("line-color", o.lineColor);
                o.fillColor = color("fill", o.fillColor);
                break;
            case ObjectKind::Picture:
                o.pictureFile = str("file");
                o.pictureField = str("field");
                o.keepAspect = flag("keep-aspect", true);
                readFrame(o.frame);
                break;
            case ObjectKind::Barcode: {
                static const char* const types[] = {"code128", "ean13"};
                o.barcodeType = BarcodeType(choice("type", types, 0));
                o.showText = flag("show-text", true);
                hasText = true;
                break;
            }
        }
        if (hasText) {
            o.text = xml_.readElementText(QXmlStreamReader::ErrorOnUnexpectedElement);
            check();
        } else if (xml_.readNextStartElement()) {
            unknown();
        }
        check();
        return o;
    }

    void readFont(ReportObject& o) {
        o.fontFamily = str("font", o.fontFamily);
        o.fontSize = number("size", o.fontSize);
        if (o.fontSize <= 0 || o.fontSize > 500)
            fail(QStringLiteral("dimensione del carattere non valida"));
        o.bold = flag("bold", false);
        o.italic = flag("italic", false);
        o.underline = flag("underline", false);
    }

    void readFrame(Frame& f) {
        const QString sides = str("frame");
        for (QChar c : sides) {
            if (c == QLatin1Char('l'))
                f.left = true;
            else if (c == QLatin1Char('t'))
                f.top = true;
            else if (c == QLatin1Char('r'))
                f.right = true;
            else if (c == QLatin1Char('b'))
                f.bottom = true;
            else
                fail(QStringLiteral("valore non valido per \"frame\""));
        }
        f.width = number("frame-width", f.width);
        f.color = color("frame-color", f.color);
    }

    QXmlStreamReader xml_;
};

}  // namespace

bool readTemplate(QIODevice& device, Report* report, QString* error) {
    Report r;
    try {
        Reader(device).read(&r);
    } catch (const FormatError& e) {
        if (error) *error = e.text;
        return false;
    }
    r.name = report->name;
    *report = std::move(r);
    return true;
}

bool loadTemplate(const QString& path, Report* report, QString* error) {
    const QString name = QFileInfo(path).completeBaseName();
    QFile file(path);
    if (!file.exists()) {
        if (error)
            *error = QStringLiteral("Report \"%1\": il file \"%2\" non esiste.").arg(name, path);
        return false;
    }
    if (!file.open(QIODevice::ReadOnly)) {
        if (error)
            *error = QStringLiteral("Report \"%1\": impossibile aprire il file \"%2\": %3")
                         .arg(name, path, file.errorString());
        return false;
    }
    Report r;
    QString why;
    if (!readTemplate(file, &r, &why)) {
        if (error)
            *error = QStringLiteral(
                         "Report \"%1\": il file \"%2\" non è un modello di stampa "
                         "valido: %3.")
                         .arg(name, path, why);
        return false;
    }
    r.name = name;
    *report = std::move(r);
    return true;
}

void writeTemplate(QIODevice& device, const Report& report) {
    Writer(device).write(report);
}

QByteArray templateBytes(const Report& report) {
    QByteArray bytes;
    QBuffer buf(&bytes);
    buf.open(QIODevice::WriteOnly);
    writeTemplate(buf, report);
    return bytes;
}

bool saveTemplate(const QString& path, const Report& report, QString* error) {
    QSaveFile file(path);
    if (file.open(QIODevice::WriteOnly)) {
        writeTemplate(file, report);
        if (file.commit()) return true;
    }
    if (error)
        *error = QStringLiteral("Impossibile salvare il modello \"%1\": %2")
                     .arg(path, file.errorString());
    return false;
}

}  // namespace report
