#include "data/field.h"

#include <cmath>

#include "common/format.h"
#include "data/database.h"
#include "data/dataset.h"
#include "data/errors.h"
#include "data/schema.h"

Field::Field(DataSet* owner, int index, const QString& name, FieldType type, int size,
             FieldKind kind)
    : owner_(owner), index_(index), name_(name), type_(type), size_(size), kind_(kind) {}

QVariant Field::value() const {
    return owner_->currentValue(index_);
}

bool Field::isNull() const {
    QVariant v = value();
    return !v.isValid() || v.isNull();
}

QString Field::asString() const {
    QVariant v = value();
    if (!v.isValid() || v.isNull()) return {};
    switch (type_) {
        case FieldType::Float:
        case FieldType::Currency:
            return formatGeneral(v.toDouble());
        case FieldType::DateTime:
            return displayText();
        case FieldType::Bool:
            return v.toBool() ? QStringLiteral("True") : QStringLiteral("False");
        default:
            return v.toString();
    }
}

double Field::asFloat() const {
    QVariant v = value();
    if (!v.isValid() || v.isNull()) return 0.0;
    if (v.typeId() == QMetaType::QString) {
        double d = 0;
        return parseNumber(v.toString(), &d) ? d : 0.0;
    }
    return v.toDouble();
}

int Field::asInteger() const {
    QVariant v = value();
    if (!v.isValid() || v.isNull()) return 0;
    if (v.typeId() == QMetaType::QString) return v.toString().trimmed().toInt();
    return int(std::llround(v.toDouble()));
}

bool Field::asBool() const {
    QVariant v = value();
    return v.isValid() && !v.isNull() && v.toBool();
}

QDateTime Field::asDateTime() const {
    QVariant v = value();
    if (!v.isValid() || v.isNull()) return {};
    if (v.typeId() == QMetaType::QDateTime) return v.toDateTime();
    return Database::parseDateTime(v.toString());
}

qint64 Field::asCurrency() const {
    return std::llround(asFloat() * 10000.0);
}

QString Field::displayText() const {
    QVariant v = value();
    if (!v.isValid() || v.isNull()) return {};
    switch (type_) {
        case FieldType::Float:
        case FieldType::Currency:
        case FieldType::Integer:
        case FieldType::SmallInt:
        case FieldType::AutoInc:
            if (!format_.isEmpty()) return formatFloat(format_, v.toDouble());
            if (type_ == FieldType::Float || type_ == FieldType::Currency)
                return formatGeneral(v.toDouble());
            return QString::number(v.toLongLong());
        case FieldType::DateTime: {
            QDateTime d = asDateTime();
            if (!d.isValid()) return v.toString();
            if (!format_.isEmpty()) return formatDateTime(format_, d);
            if (d.time() == QTime(0, 0)) return d.toString(QStringLiteral("dd/MM/yyyy"));
            return d.toString(QStringLiteral("dd/MM/yyyy hh:mm:ss"));
        }
        case FieldType::Bool:
            return v.toBool() ? QStringLiteral("Sì") : QStringLiteral("No");
        default:
            return v.toString();
    }
}

QVariant Field::normalized(const QVariant& in) const {
    if (!in.isValid() || in.isNull()) return QVariant();
    auto refuse = [this](const QString& why) {
        return DatabaseError(
            QStringLiteral("Valore non valido per il campo %1: %2").arg(name_, why));
    };
    const bool isText = in.typeId() == QMetaType::QString;
    switch (type_) {
        case FieldType::Text: {
            QString s =
                in.typeId() == QMetaType::Double ? formatGeneral(in.toDouble()) : in.toString();
            if (size_ > 0 && s.size() > size_)
                throw DatabaseError(
                    QStringLiteral("Il campo %1 ammette al massimo %2 caratteri (inseriti %3)")
                        .arg(name_)
                        .arg(size_)
                        .arg(s.size()));
            return s;
        }
        case FieldType::Memo:
            return in.toString();
        case FieldType::Float:
        case FieldType::Currency: {
            double d = 0;
            if (isText) {
                QString t = in.toString().trimmed();
                if (t.isEmpty()) return QVariant();
                if (!parseNumber(t, &d))
                    throw refuse(QStringLiteral("\"%1\" non è un numero").arg(t));
            } else {
                bool ok = false;
                d = in.toDouble(&ok);
                if (!ok) throw refuse(QStringLiteral("non è un numero"));
            }
            if (!std::isfinite(d)) throw refuse(QStringLiteral("numero non finito"));
            if (type_ == FieldType::Currency) {
                if (std::fabs(d) > 9.2e14) throw refuse(QStringLiteral("importo fuori dai limiti"));
                return double(std::llround(d * 10000.0)) / 10000.0;
            }
            return d;
        }
        case FieldType::Integer:
        case FieldType::SmallInt:
        case FieldType::AutoInc: {
            qint64 n = 0;
            if (isText) {
                QString t = in.toString().trimmed();
                if (t.isEmpty()) return QVariant();
                bool ok = false;
                n = t.toLongLong(&ok);
                if (!ok) throw refuse(QStringLiteral("\"%1\" non è un numero intero").arg(t));
            } else if (in.typeId() == QMetaType::Double) {
                double d = in.toDouble();
                if (!std::isfinite(d) || std::fabs(d) > 9e15)
                    throw refuse(QStringLiteral("fuori dai limiti"));
                n = std::llround(d);
            } else {
                n = in.toLongLong();
            }
            if (!Schema::inRange(type_, n))
                throw DatabaseError(
                    QStringLiteral("Il valore %1 è fuori dai limiti del campo %2 (da %3 a %4)")
                        .arg(n)
                        .arg(name_)
                        .arg(type_ == FieldType::SmallInt ? -32768 : -2147483648LL)
                        .arg(type_ == FieldType::SmallInt ? 32767 : 2147483647LL));
            return int(n);
        }
        case FieldType::Bool: {
            if (isText) {
                QString t = in.toString().trimmed().toLower();
                return t == QLatin1String("1") || t == QLatin1String("true") ||
                       t == QLatin1String("sì") || t == QLatin1String("si") ||
                       t == QLatin1String("s");
            }
            return in.toBool();
        }
        case FieldType::DateTime: {
            if (in.typeId() == QMetaType::QDateTime) return in.toDateTime();
            if (in.typeId() == QMetaType::QDate) return in.toDate().startOfDay();
            QString t = in.toString().trimmed();
            if (t.isEmpty()) return QVariant();
            QDateTime d = Database::parseDateTime(t);
            if (!d.isValid()) d = QDateTime::fromString(t, QStringLiteral("d/M/yyyy H:mm"));
            if (!d.isValid()) d = QDateTime::fromString(t, QStringLiteral("d/M/yyyy"));
            if (!d.isValid()) throw refuse(QStringLiteral("\"%1\" non è una data").arg(t));
            return d;
        }
    }
    return in;
}

void Field::setValue(const QVariant& v) {
    if (kind_ == FieldKind::Calculated && owner_->inCalcFields()) {
        owner_->setCurrentValue(index_, v.isValid() && !v.isNull() ? normalized(v) : QVariant());
        return;
    }
    owner_->setCurrentValue(index_, normalized(v));
}

void Field::setCurrency(qint64 tenThousandths) {
    setValue(double(tenThousandths) / 10000.0);
}
