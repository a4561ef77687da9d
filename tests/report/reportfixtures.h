#pragma once
// Small templates and in-memory data for the engine tests.
#include <vector>

#include "report/datasource.h"
#include "report/model.h"
#include "report/pagestore.h"

namespace fixtures {

inline report::ReportObject text(const QString& name, const QString& text, QRectF geometry,
                                 const QString& format = {}) {
    report::ReportObject o;
    o.kind = report::ObjectKind::Text;
    o.name = name;
    o.text = text;
    o.geometry = geometry;
    o.displayFormat = format;
    return o;
}

inline report::Band band(report::BandType type, const QString& name, double height,
                         const QString& source = {}) {
    report::Band b;
    b.type = type;
    b.name = name;
    b.height = height;
    b.dataSource = source;
    return b;
}

// The footer that numbers the pages: "Pagina [PAGE#] di [TOTALPAGES]" in an object named
// objectName.
inline report::Band pageNumberFooter(const QString& objectName, double height = 10) {
    report::Band b = band(report::BandType::PageFooter, QStringLiteral("Piede"), height);
    b.objects.push_back(
        text(objectName, QStringLiteral("Pagina [PAGE#] di [TOTALPAGES]"), {0, 2, 80, 6}));
    return b;
}

// A4 list: page header 10 mm, repeated column header 5 mm, 5 mm rows, page footer 10 mm with
// "Pagina [PAGE#] di [TOTALPAGES]". Usable height 277 mm.
inline report::Report customerList() {
    using namespace report;
    Report r;
    r.name = QStringLiteral("clienti");
    ReportPage p;
    p.name = QStringLiteral("Pagina1");
    Band ph = band(BandType::PageHeader, QStringLiteral("Intestazione"), 10);
    ph.objects.push_back(text(QStringLiteral("Titolo"), QStringLiteral("[TITLE]"), {0, 0, 100, 8}));
    p.bands.push_back(ph);
    Band mh = band(BandType::MasterHeader, QStringLiteral("Colonne"), 5);
    mh.repeatOnNewPage = true;
    mh.objects.push_back(
        text(QStringLiteral("ColNome"), QStringLiteral("Ragione sociale"), {0, 0, 80, 5}));
    p.bands.push_back(mh);
    Band md = band(BandType::MasterData, QStringLiteral("Righe"), 5, QStringLiteral("Clienti"));
    md.objects.push_back(
        text(QStringLiteral("Nome"), QStringLiteral("[Clienti.\"Nome\"]"), {0, 0, 80, 5}));
    md.objects.push_back(
        text(QStringLiteral("Saldo"), QStringLiteral("[Clienti.Saldo]"), {100, 0, 30, 5}));
    p.bands.push_back(md);
    p.bands.push_back(pageNumberFooter(QStringLiteral("NumPag")));
    r.pages.push_back(p);
    return r;
}

inline void fillCustomers(report::MemoryDataSource& ds, int n) {
    for (int i = 1; i <= n; ++i) ds.addRow({QStringLiteral("Cliente %1").arg(i), i * 1.5});
}

// Every prepared page read back, to check what a preparation laid out.
inline std::vector<report::PreparedPage> pagesOf(const report::PageStore& store) {
    std::vector<report::PreparedPage> pages;
    for (int i = 0; i < store.count(); ++i)
        if (const auto page = store.at(i)) pages.push_back(*page);
    return pages;
}

}  // namespace fixtures
