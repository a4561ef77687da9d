#pragma once
// The benchmarks' 1,000-page customer list: 50,000 customers, 50 rows of 5 mm a page,
// header and footer with the page count. Templates are built in code with the tests' helpers.
#include "report/datasource.h"
#include "report/model.h"
#include "reportfixtures.h"

namespace benchlist {

inline QStringList customerFields() {
    return {QStringLiteral("Ragione_sociale"), QStringLiteral("Indirizzo"), QStringLiteral("Citta"),
            QStringLiteral("Telefono"), QStringLiteral("Saldo")};
}

constexpr int kCustomers = 50000;

inline QVariantList customer(int i) {
    return {QStringLiteral("Cliente numero %1 S.r.l.").arg(i),
            QStringLiteral("Via dei Vigneti %1").arg(i % 300), QStringLiteral("Montalcino"),
            QStringLiteral("0577 %1").arg(100000 + i), i * 3.25};
}

inline void fillCustomers(report::MemoryDataSource& clienti) {
    for (int i = 0; i < kCustomers; ++i) clienti.addRow(customer(i));
}

// The same customers made as the walk reaches them, as a source reading its rows forward from
// the database would give them: what a side holds then is what writing the pages costs.
class Customers : public report::ReportDataSource {
public:
    QString name() const override { return QStringLiteral("Clienti"); }
    bool isOpen() const override { return true; }
    bool first() override { return go(0); }
    bool next() override { return go(row_ + 1); }
    bool eof() const override { return row_ >= kCustomers; }
    bool isEmpty() const override { return false; }
    int recordCount() const override { return kCustomers; }
    QStringList fieldNames() const override { return customerFields(); }
    bool hasField(const QString& field) const override { return column(field) >= 0; }
    QVariant value(const QString& field) const override {
        const int c = column(field);
        return c < 0 || eof() ? QVariant() : values_.value(c);
    }
    QString displayText(const QString& field) const override {
        return report::displayValue(value(field));
    }
    QVariant position() const override { return row_; }
    void restorePosition(const QVariant& position) override { go(position.toInt()); }

private:
    bool go(int row) {
        row_ = row;
        values_ = eof() ? QVariantList() : customer(row_);
        return !eof();
    }
    static int column(const QString& field) {
        static const QStringList fields = customerFields();
        for (int i = 0; i < fields.size(); ++i)
            if (fields[i].compare(field, Qt::CaseInsensitive) == 0) return i;
        return -1;
    }
    int row_ = 0;
    QVariantList values_ = customer(0);
};

inline report::Report customerList() {
    using namespace report;
    using fixtures::band;
    using fixtures::pageNumberFooter;
    using fixtures::text;
    Report list;
    list.name = QStringLiteral("clienti");
    ReportPage p;
    Band ph = band(BandType::PageHeader, QStringLiteral("Testa"), 10);
    ph.objects.push_back(
        text(QStringLiteral("Titolo"), QStringLiteral("[TITLE] del [DATE]"), {0, 0, 120, 8}));
    p.bands.push_back(ph);
    Band mh = band(BandType::MasterHeader, QStringLiteral("Colonne"), 5);
    mh.repeatOnNewPage = true;
    mh.objects.push_back(
        text(QStringLiteral("C1"), QStringLiteral("Ragione sociale"), {0, 0, 60, 5}));
    p.bands.push_back(mh);
    Band md = band(BandType::MasterData, QStringLiteral("Righe"), 5, QStringLiteral("Clienti"));
    md.objects.push_back(
        text(QStringLiteral("Nome"), QStringLiteral("[Clienti.Ragione_sociale]"), {0, 0, 60, 5}));
    md.objects.push_back(text(QStringLiteral("Ind"),
                              QStringLiteral("[Clienti.Indirizzo] - [Clienti.Citta]"),
                              {60, 0, 60, 5}));
    md.objects.push_back(
        text(QStringLiteral("Tel"), QStringLiteral("[Clienti.Telefono]"), {120, 0, 30, 5}));
    md.objects.push_back(text(QStringLiteral("Saldo"), QStringLiteral("[Clienti.Saldo]"),
                              {150, 0, 40, 5}, QStringLiteral("#,##0.00")));
    p.bands.push_back(md);
    p.bands.push_back(pageNumberFooter(QStringLiteral("Pag")));
    list.pages.push_back(p);
    return list;
}

}  // namespace benchlist
