#pragma once
// The program's data sets as report data sources. The engine reads them as the caller
// prepared them (open, filtered, sorted, linked to their masters) and gives the cursor back.
#include <QList>
#include <memory>
#include <vector>

#include "report/datasource.h"

class DataSet;

namespace report {

class DataSetSource : public ReportDataSource {
public:
    // name: the name templates use; empty = the data set's own name.
    explicit DataSetSource(DataSet& dataSet, const QString& name = {});
    ~DataSetSource() override;
    DataSet& dataSet() const { return ds_; }

    QString name() const override;
    bool isOpen() const override;
    bool first() override;
    bool next() override;
    bool eof() const override;
    bool isEmpty() const override;
    int recordCount() const override;
    QStringList fieldNames() const override;
    bool hasField(const QString& field) const override;
    QVariant value(const QString& field) const override;
    QString displayText(const QString& field) const override;
    // Row number, bookmark and end flag.
    QVariant position() const override;
    void restorePosition(const QVariant& position) override;

private:
    // What the walk reads: the copy while one is walked, else the data set itself.
    DataSet& walked() const { return copy_ ? *copy_ : ds_; }
    // Absolute row of the copy's cursor.
    int copyRow() const;

    DataSet& ds_;
    QString name_;
    // A data set that reads on demand is walked through a copy of its own (DataSet::
    // forwardCopy) from first() on: its grid keeps its rows and cursor, and the rows printed are
    // given back as the walk goes on. The copy goes when the cursor is given back.
    std::unique_ptr<DataSet> copy_;
    mutable qint64 copyTotal_ = -1;
    // Walked past the last row by next(). The data set's own end flag is no guide: it is also
    // set by last(), with the cursor still on the last row, whose fields a header must print.
    bool pastEnd_ = false;
};

// Owns adapters for a set of data sets and registers them with an engine's registry.
class DataSetSources {
public:
    DataSetSource& add(DataSet& dataSet, const QString& name = {});
    void registerIn(DataSourceRegistry& registry) const;
    const std::vector<std::unique_ptr<DataSetSource>>& sources() const { return sources_; }

private:
    std::vector<std::unique_ptr<DataSetSource>> sources_;
};

}  // namespace report
