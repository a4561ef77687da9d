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

bool fieldValueFromText(const Field& field, const QString& typed, QVariant* value) {
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
    switch (field.type()) {
        case FieldType::Integer:
        case FieldType::SmallInt:
        case FieldType::AutoInc: {
            double d = 0;
            if (!parseNumber(text, &d) || d != std::floor(d) || std::fabs(d) > 2147483647.0)
                return false;
            *value = int(d);
            return true;
        }
        case FieldType::Float:
        case FieldType::Currency: {
            double d = 0;
            if (!parseNumber(text, &d)) return false;
            *value = d;
            return true;
        }
        case FieldType::Bool: {
            const QString t = text.toLower();
            if (t == u"1" || t == u"sì" || t == u"si" || t == u"true")
                *value = true;
            else if (t == u"0" || t == u"no" || t == u"false")
                *value = false;
            else
                return false;
            return true;
        }
        case FieldType::DateTime: {
            for (const char* fmt : {"dd/MM/yyyy hh:mm", "d/M/yyyy", "dd/MM/yyyy", "d/M/yy"}) {
                QDateTime dt = QDateTime::fromString(text, QString::fromLatin1(fmt));
                if (!dt.isValid()) {
                    const QDate d = QDate::fromString(text, QString::fromLatin1(fmt));
                    if (d.isValid()) dt = QDateTime(d, QTime(0, 0));
                }
                if (dt.isValid()) {
                    // Two-digit years read as 19yy: keep them in this century up to 49.
                    if (QByteArray(fmt).endsWith("/yy") && dt.date().year() < 1950)
                        dt = dt.addYears(100);
                    *value = dt;
                    return true;
                }
            }
            return false;
        }
        default:
            *value = text;
            return true;
    }
}

QString invalidValueMessage(const Field& field) {
    return QStringLiteral("   Valore non valido per il campo %1   ").arg(field.title());
}
