#pragma once
// The tables and fields of the database, as the data layer enforces them (types, sizes), and
// the stored queries. The same definitions create a new database (schema.sql).
#include <QString>
#include <QStringList>
#include <QVector>

#include "data/field.h"

struct FieldDef {
    QString name;
    FieldType type;
    int size = 0;  // text(n)
    bool required = false;
    QString title;  // label shown by the windows
};

struct TableDef {
    QString name;
    QVector<FieldDef> fields;
    QString key;  // the INTEGER PRIMARY KEY field, or empty (rowid)
};

struct StoredQueryDef {
    QString name;
    QString sql;             // SQLite text with positional '?' parameters
    QStringList paramNames;  // "Tipo:", "Anno:" ...
};

namespace Schema {
const QVector<TableDef>& tables();
const TableDef* table(const QString& name);  // case-insensitive; nullptr when unknown
const FieldDef* field(const QString& table, const QString& field);
// Type of a result column of a query or SQL text: the field of the first of the given tables
// that has it, then the stored queries' aggregates (MaxDiNum_fattura, SommaDiLitri, MI, MA, NUM);
// nullptr when unknown.
const FieldDef* resultColumn(const QStringList& tables, const QString& column);
const QVector<StoredQueryDef>& storedQueries();
// The text of schema.sql: CREATE TABLE / INDEX statements and the stored queries.
QString schemaSql();
// Text range of an integer type, for the checks of Field.
bool inRange(FieldType type, qint64 v);
}  // namespace Schema
