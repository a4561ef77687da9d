#include "report/model.h"

#include <array>
#include <utility>

namespace report {

namespace {
const std::array<std::pair<BandType, const char*>, 12> kBandNames{{
    {BandType::ReportTitle, "reportTitle"},
    {BandType::PageHeader, "pageHeader"},
    {BandType::MasterHeader, "masterHeader"},
    {BandType::MasterData, "masterData"},
    {BandType::DetailHeader, "detailHeader"},
    {BandType::DetailData, "detailData"},
    {BandType::DetailFooter, "detailFooter"},
    {BandType::MasterFooter, "masterFooter"},
    {BandType::GroupHeader, "groupHeader"},
    {BandType::GroupFooter, "groupFooter"},
    {BandType::Summary, "summary"},
    {BandType::PageFooter, "pageFooter"},
}};

const std::array<std::pair<ObjectKind, const char*>, 5> kKindNames{{
    {ObjectKind::Text, "text"},
    {ObjectKind::Line, "line"},
    {ObjectKind::Rectangle, "rectangle"},
    {ObjectKind::Picture, "picture"},
    {ObjectKind::Barcode, "barcode"},
}};
}  // namespace

QString bandTypeName(BandType type) {
    for (const auto& [t, n] : kBandNames)
        if (t == type) return QString::fromLatin1(n);
    return {};
}

bool bandTypeFromName(const QString& name, BandType* type) {
    for (const auto& [t, n] : kBandNames) {
        if (name == QLatin1String(n)) {
            *type = t;
            return true;
        }
    }
    return false;
}

QString objectKindName(ObjectKind kind) {
    for (const auto& [k, n] : kKindNames)
        if (k == kind) return QString::fromLatin1(n);
    return {};
}

bool objectKindFromName(const QString& name, ObjectKind* kind) {
    for (const auto& [k, n] : kKindNames) {
        if (name == QLatin1String(n)) {
            *kind = k;
            return true;
        }
    }
    return false;
}

bool isDataBand(BandType type) {
    return type == BandType::MasterData || type == BandType::DetailData;
}

bool isFooterBand(BandType type) {
    return type == BandType::MasterFooter || type == BandType::DetailFooter ||
           type == BandType::GroupFooter || type == BandType::Summary ||
           type == BandType::PageFooter;
}

ReportObject* Report::findObject(const QString& name) {
    return const_cast<ReportObject*>(std::as_const(*this).findObject(name));
}

const ReportObject* Report::findObject(const QString& name) const {
    for (const auto& page : pages)
        for (const auto& band : page.bands)
            for (const auto& obj : band.objects)
                if (obj.name.compare(name, Qt::CaseInsensitive) == 0) return &obj;
    return nullptr;
}

QStringList Report::dataSourceNames() const {
    QStringList names;
    for (const auto& page : pages)
        for (const auto& band : page.bands)
            if (!band.dataSource.isEmpty() && !names.contains(band.dataSource, Qt::CaseInsensitive))
                names << band.dataSource;
    return names;
}

Report emptyReport() {
    Report r;
    ReportPage page;
    page.name = QStringLiteral("Pagina1");
    r.pages.push_back(page);
    return r;
}

}  // namespace report
