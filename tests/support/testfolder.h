#pragma once
// A fresh data folder in a temporary directory for one test: database.mdb with the schema and
// the stored queries, optionally opened, with helpers to put fixture rows in.
#include <QString>
#include <QTemporaryDir>
#include <QVariantMap>
#include <memory>

#include "data/database.h"

class TestFolder {
public:
    // Creates the folder and the database (schema + stored queries); open = connect at once.
    explicit TestFolder(bool open = true);
    ~TestFolder();
    QString path() const;  // ends with "/"
    QString file(const QString& name) const { return path() + name; }
    Database& db() { return *db_; }

    // INSERT INTO table (keys) VALUES (...) with bound values; returns the new row id.
    // Currency fields take doubles (converted to ten-thousandths), dates QDate/QDateTime.
    qint64 insert(const QString& table, const QVariantMap& values);
    // The single value of a select.
    QVariant value(const QString& sql, const QVariantList& params = {});
    int count(const QString& table);

private:
    QTemporaryDir dir_;
    std::unique_ptr<Database> db_;
};
