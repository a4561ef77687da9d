#include "widgets/fieldtext.h"

#include <QDateTime>
#include <cmath>

#include "common/format.h"
#include "data/field.h"

QString fieldEditText(const QVariant& v) {
    if (!v.isValid() || v.isNull()) return {};
    switch (v.typeId()) {
        case QMetaType::Double:
        case QMetaType::Float:
            return formatGeneral(v.toDouble());
        case QMetaType::QDateTime: {
            const QDateTime dt = v.toDateTime();
            if (dt.time() == QTime(0, 0)) return dt.toString(QStringLiteral("dd/MM/yyyy"));
            return dt.toString(QStringLiteral("dd/MM/yyyy hh:mm"));
        }
        case QMetaType::QDate:
            return v.toDate().toString(QStringLiteral("dd/MM/yyyy"));
        case QMetaType::Bool:
            return v.toBool() ? QStringLiteral("1") : QStringLiteral("0");
        default:
            return v.toString();
    }
}

bool fieldValueFromText(const Field& field, const QString& typed, QVariant* value, QString* error) {
    const QString text = typed.trimmed();
    switch (field.type()) {
        case FieldType::Text:
        case FieldType::Memo:
            *value = typed;
            return true;
        default:
            break;
    }
    if (text.isEmpty()) {
        *value = QVariant();
        return true;
    }
    auto refuse = [&](const QString& message) {
        if (error) *error = message;
        return false;
    };
    switch (field.type()) {
        case FieldType::Integer:
        case FieldType::SmallInt:
        case FieldType::AutoInc:
        case FieldType::Float:
        case FieldType::Currency: {
            double d = 0;
            switch (parseTypedNumber(text, &d)) {
                case TypedNumber::Ambiguous:
                    return refuse(msgNumeroAmbiguo(text));
                case TypedNumber::Invalid:
                    return refuse(invalidValueMessage(field));
                case TypedNumber::Ok:
                    break;
            }
            if (field.type() == FieldType::Float || field.type() == FieldType::Currency) {
                *value = d;
                return true;
            }
            if (d != std::floor(d) || std::fabs(d) > 2147483647.0)
                return refuse(invalidValueMessage(field));
            *value = int(d);
            return true;
        }
        case FieldType::Bool: {
            const QString t = text.toLower();
            if (t == u"1" || t == u"sì" || t == u"si" || t == u"true")
                *value = true;
            else if (t == u"0" || t == u"no" || t == u"false")
                *value = false;
            else
                return refuse(invalidValueMessage(field));
            return true;
        }
        case FieldType::DateTime: {
            const QDateTime withTime =
                QDateTime::fromString(text, QStringLiteral("dd/MM/yyyy hh:mm"));
            if (withTime.isValid()) {
                *value = withTime;
                return true;
            }
            const QDate d = parseTypedDate(text);
            if (!d.isValid()) return refuse(msgDataNonValida(text));
            *value = QDateTime(d, QTime(0, 0));
            return true;
        }
        default:
            *value = text;
            return true;
    }
}

QString invalidValueMessage(const Field& field) {
    return QStringLiteral("   Valore non valido per il campo %1   ").arg(field.title());
}
