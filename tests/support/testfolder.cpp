#include "testfolder.h"

#include <QSqlQuery>
#include <QStringList>
#include <QTest>

#include "data/schema.h"

TestFolder::TestFolder(bool open) {
    if (!dir_.isValid()) qFatal("temporary folder not created");
    Database::create(path() + Database::fileName());
    db_ = std::make_unique<Database>();
    if (open) db_->open(path());
}

TestFolder::~TestFolder() {
    db_.reset();
}

QString TestFolder::path() const {
    return dir_.path() + QLatin1Char('/');
}

qint64 TestFolder::insert(const QString& table, const QVariantMap& values) {
    QStringList cols, marks;
    QVariantList vals;
    for (auto it = values.cbegin(); it != values.cend(); ++it) {
        cols << QStringLiteral("\"%1\"").arg(it.key());
        marks << QStringLiteral("?");
        const FieldDef* f = Schema::field(table, it.key());
        if (f && f->type == FieldType::Currency && it.value().isValid() && !it.value().isNull())
            vals << qint64(qRound64(it.value().toDouble() * 10000.0));
        else
            vals << it.value();
    }
    db_->exec(QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                  .arg(table, cols.join(QLatin1Char(',')), marks.join(QLatin1Char(','))),
              vals);
    return db_->lastInsertId();
}

QVariant TestFolder::value(const QString& sql, const QVariantList& params) {
    return db_->scalar(sql, params);
}

int TestFolder::count(const QString& table) {
    return db_->scalar(QStringLiteral("SELECT count(*) FROM %1").arg(table)).toInt();
}
