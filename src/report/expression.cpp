#include "report/expression.h"

#include <QDateTime>
#include <functional>

#include "common/format.h"
#include "report/datasource.h"
#include "report/model.h"

namespace report {

namespace {

const QStringList kVariables = {QStringLiteral("PAGE#"), QStringLiteral("TOTALPAGES"),
                                QStringLiteral("DATE"),  QStringLiteral("TIME"),
                                QStringLiteral("TITLE"), QStringLiteral("LINE#")};
const QStringList kAggregates = {QStringLiteral("SUM"), QStringLiteral("COUNT"),
                                 QStringLiteral("AVG"), QStringLiteral("MIN"),
                                 QStringLiteral("MAX")};
const QStringList kFunctions = {QStringLiteral("FORMATFLOAT"), QStringLiteral("FORMATDATETIME"),
                                QStringLiteral("UPPER"), QStringLiteral("LOWER"),
                                QStringLiteral("TRIM")};

struct Token {
    enum Type { End, Number, String, Ident, QuotedIdent, Op, Open, Close, Sep, Dot } type = End;
    QString text;
    double number = 0;
};

// Recursive-descent parser over one expression text.
class Parser {
public:
    explicit Parser(const QString& text) : s_(text) { advance(); }

    std::unique_ptr<Node> parseAll() {
        auto n = parseOr();
        if (tok_.type != Token::End) fail(QStringLiteral("simbolo inatteso \"%1\"").arg(tok_.text));
        return n;
    }

private:
    [[noreturn]] void fail(const QString& what) {
        throw ExpressionError{QStringLiteral("espressione \"%1\": %2").arg(s_, what)};
    }

    void skipBlanks() {
        while (pos_ < s_.size() && s_[pos_].isSpace()) ++pos_;
    }

    QString quoted(QChar q) {
        QString out;
        ++pos_;
        while (true) {
            if (pos_ >= s_.size()) fail(QStringLiteral("virgolette non chiuse"));
            if (s_[pos_] == q) {
                if (pos_ + 1 < s_.size() && s_[pos_ + 1] == q) {
                    out += q;
                    pos_ += 2;
                    continue;
                }
                ++pos_;
                return out;
            }
            out += s_[pos_++];
        }
    }

    void advance() {
        skipBlanks();
        tok_ = Token();
        if (pos_ >= s_.size()) return;
        const QChar c = s_[pos_];
        if (c.isDigit()) {
            const int start = pos_;
            while (pos_ < s_.size() && (s_[pos_].isDigit() || s_[pos_] == QLatin1Char('.'))) ++pos_;
            tok_.type = Token::Number;
            tok_.text = s_.mid(start, pos_ - start);
            bool ok = false;
            tok_.number = tok_.text.toDouble(&ok);
            if (!ok) fail(QStringLiteral("numero non valido \"%1\"").arg(tok_.text));
            return;
        }
        if (c == QLatin1Char('\'') || c == QLatin1Char('"')) {
            // After a dot a quoted name is a field name.
            const bool field = afterDot_;
            tok_.text = quoted(c);
            tok_.type = field ? Token::QuotedIdent : Token::String;
            afterDot_ = false;
            return;
        }
        afterDot_ = false;
        if (c.isLetter() || c == QLatin1Char('_')) {
            const int start = pos_;
            while (pos_ < s_.size() &&
                   (s_[pos_].isLetterOrNumber() || s_[pos_] == QLatin1Char('_') ||
                    s_[pos_] == QLatin1Char('#')))
                ++pos_;
            tok_.type = Token::Ident;
            tok_.text = s_.mid(start, pos_ - start);
            return;
        }
        ++pos_;
        tok_.text = c;
        switch (c.unicode()) {
            case '(':
            case '[':
                tok_.type = Token::Open;
                return;
            case ')':
            case ']':
                tok_.type = Token::Close;
                return;
            case ';':
            case ',':
                tok_.type = Token::Sep;
                return;
            case '.':
                tok_.type = Token::Dot;
                afterDot_ = true;
                return;
            case '+':
            case '-':
            case '*':
            case '/':
            case '&':
            case '=':
                tok_.type = Token::Op;
                return;
            case 0x00D7:  // multiplication sign
                tok_.type = Token::Op;
                tok_.text = QStringLiteral("*");
                return;
            case 0x00F7:  // division sign
            case 0x2212:  // minus sign
                tok_.type = Token::Op;
                tok_.text = c.unicode() == 0x00F7 ? QStringLiteral("/") : QStringLiteral("-");
                return;
            case '<':
            case '>':
                tok_.type = Token::Op;
                if (pos_ < s_.size() && (s_[pos_] == QLatin1Char('=') ||
                                         (c == QLatin1Char('<') && s_[pos_] == QLatin1Char('>'))))
                    tok_.text += s_[pos_++];
                return;
            default:
                fail(QStringLiteral("carattere inatteso \"%1\"").arg(c));
        }
    }

    bool isOp(const char* op) const {
        return tok_.type == Token::Op && tok_.text == QLatin1String(op);
    }
    bool isWord(const char* w) const {
        return tok_.type == Token::Ident &&
               tok_.text.compare(QLatin1String(w), Qt::CaseInsensitive) == 0;
    }

    static std::unique_ptr<Node> binary(const QString& op, std::unique_ptr<Node> a,
                                        std::unique_ptr<Node> b) {
        auto n = std::make_unique<Node>();
        n->kind = Node::Kind::Binary;
        n->name = op;
        n->args.push_back(std::move(a));
        n->args.push_back(std::move(b));
        return n;
    }

    std::unique_ptr<Node> parseOr() {
        auto n = parseAnd();
        while (isWord("OR")) {
            advance();
            n = binary(QStringLiteral("OR"), std::move(n), parseAnd());
        }
        return n;
    }
    std::unique_ptr<Node> parseAnd() {
        auto n = parseNot();
        while (isWord("AND")) {
            advance();
            n = binary(QStringLiteral("AND"), std::move(n), parseNot());
        }
        return n;
    }
    std::unique_ptr<Node> parseNot() {
        if (isWord("NOT")) {
            advance();
            auto n = std::make_unique<Node>();
            n->kind = Node::Kind::Unary;
            n->name = QStringLiteral("NOT");
            n->args.push_back(parseNot());
            return n;
        }
        return parseCompare();
    }
    std::unique_ptr<Node> parseCompare() {
        auto n = parseAdd();
        static const char* const ops[] = {"=", "<>", "<", ">", "<=", ">="};
        for (const char* op : ops) {
            if (isOp(op)) {
                const QString o = tok_.text;
                advance();
                return binary(o, std::move(n), parseAdd());
            }
        }
        return n;
    }
    std::unique_ptr<Node> parseAdd() {
        auto n = parseMul();
        while (isOp("+") || isOp("-") || isOp("&")) {
            const QString o = tok_.text;
            advance();
            n = binary(o, std::move(n), parseMul());
        }
        return n;
    }
    std::unique_ptr<Node> parseMul() {
        auto n = parseUnary();
        while (isOp("*") || isOp("/")) {
            const QString o = tok_.text;
            advance();
            n = binary(o, std::move(n), parseUnary());
        }
        return n;
    }
    std::unique_ptr<Node> parseUnary() {
        if (isOp("-") || isOp("+")) {
            const QString o = tok_.text;
            advance();
            auto n = std::make_unique<Node>();
            n->kind = Node::Kind::Unary;
            n->name = o;
            n->args.push_back(parseUnary());
            return n;
        }
        return parsePrimary();
    }

    std::vector<std::unique_ptr<Node>> parseArgs() {
        std::vector<std::unique_ptr<Node>> args;
        advance();  // '('
        if (tok_.type == Token::Close) {
            advance();
            return args;
        }
        while (true) {
            args.push_back(parseOr());
            if (tok_.type == Token::Sep) {
                advance();
                continue;
            }
            if (tok_.type != Token::Close) fail(QStringLiteral("manca \")\""));
            advance();
            return args;
        }
    }

    std::unique_ptr<Node> parsePrimary() {
        auto n = std::make_unique<Node>();
        switch (tok_.type) {
            case Token::Number:
                n->literal = tok_.number;
                advance();
                return n;
            case Token::String:
                n->literal = tok_.text;
                advance();
                return n;
            case Token::Open: {
                advance();
                auto inner = parseOr();
                if (tok_.type != Token::Close) fail(QStringLiteral("parentesi non chiusa"));
                advance();
                return inner;
            }
            case Token::Ident:
                break;
            case Token::End:
                fail(QStringLiteral("espressione incompleta"));
            default:
                fail(QStringLiteral("simbolo inatteso \"%1\"").arg(tok_.text));
        }
        const QString ident = tok_.text;
        const QString upper = ident.toUpper();
        advance();
        if (tok_.type == Token::Dot) {
            advance();
            if (tok_.type != Token::Ident && tok_.type != Token::QuotedIdent)
                fail(QStringLiteral("manca il nome del campo dopo \"%1.\"").arg(ident));
            n->kind = Node::Kind::Field;
            n->source = ident;
            n->name = tok_.text;
            advance();
            return n;
        }
        if (tok_.type == Token::Open &&
            (upper == QLatin1String("IF") || kAggregates.contains(upper) ||
             kFunctions.contains(upper))) {
            n->name = upper;
            n->args = parseArgs();
            if (upper == QLatin1String("IF")) {
                n->kind = Node::Kind::If;
                if (n->args.size() != 3) fail(QStringLiteral("IF vuole tre argomenti"));
            } else if (kAggregates.contains(upper)) {
                n->kind = Node::Kind::Aggregate;
                // COUNT() or COUNT('band'); SUM(x) or SUM(x; 'band').
                const size_t valueArgs = upper == QLatin1String("COUNT") ? 0 : 1;
                if (n->args.size() < valueArgs || n->args.size() > valueArgs + 1)
                    fail(QStringLiteral("numero di argomenti errato per %1").arg(upper));
                if (n->args.size() == valueArgs + 1) {
                    const Node& band = *n->args.back();
                    if (band.kind != Node::Kind::Literal)
                        fail(QStringLiteral("%1: la banda va indicata tra virgolette").arg(upper));
                    n->source = band.literal.toString();
                    n->args.pop_back();
                }
            } else {
                n->kind = Node::Kind::Function;
                const size_t want = upper.startsWith(QLatin1String("FORMAT")) ? 2 : 1;
                if (n->args.size() != want)
                    fail(QStringLiteral("numero di argomenti errato per %1").arg(upper));
            }
            return n;
        }
        if (kVariables.contains(upper)) {
            n->kind = Node::Kind::Variable;
            n->name = upper;
            return n;
        }
        fail(QStringLiteral("nome sconosciuto \"%1\"").arg(ident));
    }

    QString s_;
    int pos_ = 0;
    bool afterDot_ = false;
    Token tok_;
};

bool isNumeric(const QVariant& v) {
    switch (v.typeId()) {
        case QMetaType::Double:
        case QMetaType::Float:
        case QMetaType::Int:
        case QMetaType::LongLong:
        case QMetaType::UInt:
        case QMetaType::ULongLong:
        case QMetaType::Bool:
            return true;
        default:
            return false;
    }
}

bool isDate(const QVariant& v) {
    return v.typeId() == QMetaType::QDate || v.typeId() == QMetaType::QDateTime;
}

QDateTime toDateTime(const QVariant& v) {
    if (v.typeId() == QMetaType::QDate) return QDateTime(v.toDate(), QTime(0, 0));
    return v.toDateTime();
}

int compare(const QVariant& a, const QVariant& b) {
    if (isDate(a) && isDate(b)) {
        const QDateTime x = toDateTime(a), y = toDateTime(b);
        return x < y ? -1 : (y < x ? 1 : 0);
    }
    double x = 0, y = 0;
    const bool na = isNumeric(a) || a.isNull() || parseNumber(a.toString(), &x);
    const bool nb = isNumeric(b) || b.isNull() || parseNumber(b.toString(), &y);
    if (na && nb && (isNumeric(a) || isNumeric(b))) {
        x = toNumber(a);
        y = toNumber(b);
        return x < y ? -1 : (y < x ? 1 : 0);
    }
    return QString::compare(displayValue(a), displayValue(b));
}

}  // namespace

QString totalPagesMarker() {
    return QStringLiteral("\uE000TOTALPAGES\uE000");
}

double toNumber(const QVariant& v) {
    if (v.isNull() || !v.isValid()) return 0;
    if (isNumeric(v)) return v.toDouble();
    double d = 0;
    const QString s = v.toString().trimmed();
    if (s.isEmpty()) return 0;
    if (parseNumber(s, &d)) return d;
    throw ExpressionError{QStringLiteral("\"%1\" non è un numero").arg(s)};
}

bool isTruthy(const QVariant& v) {
    if (v.isNull() || !v.isValid()) return false;
    if (isNumeric(v)) return v.toDouble() != 0;
    return !v.toString().isEmpty();
}

bool parseText(const QString& text, ParsedText* out, QString* error) {
    ParsedText result;
    QString literal;
    int i = 0;
    try {
        while (i < text.size()) {
            const QChar c = text[i];
            if (c != QLatin1Char('[')) {
                literal += c;
                ++i;
                continue;
            }
            if (i + 1 < text.size() && text[i + 1] == QLatin1Char('[')) {
                literal += c;
                i += 2;
                continue;
            }
            // Find the matching bracket, skipping quoted names and strings.
            int depth = 0;
            int j = i;
            QChar quote;
            for (; j < text.size(); ++j) {
                const QChar d = text[j];
                if (!quote.isNull()) {
                    if (d == quote) quote = QChar();
                    continue;
                }
                if (d == QLatin1Char('\'') || d == QLatin1Char('"'))
                    quote = d;
                else if (d == QLatin1Char('['))
                    ++depth;
                else if (d == QLatin1Char(']') && --depth == 0)
                    break;
            }
            if (j >= text.size())
                throw ExpressionError{QStringLiteral("manca \"]\" in \"%1\"").arg(text.mid(i))};
            const QString inner = text.mid(i + 1, j - i - 1);
            TextSegment seg;
            seg.literal = literal;
            literal.clear();
            seg.expr = Parser(inner).parseAll();
            bool standalone = seg.expr->kind == Node::Kind::Variable &&
                              seg.expr->name == QLatin1String("TOTALPAGES");
            visitNodes(*seg.expr, [&](const Node& n) {
                if (n.kind == Node::Kind::Variable && n.name == QLatin1String("TOTALPAGES")) {
                    result.usesTotalPages = true;
                    if (!standalone) result.totalPagesStandalone = false;
                }
            });
            result.segments.push_back(std::move(seg));
            i = j + 1;
        }
    } catch (const ExpressionError& e) {
        if (error) *error = e.text;
        return false;
    }
    if (!literal.isEmpty() || result.segments.empty()) {
        TextSegment seg;
        seg.literal = literal;
        result.segments.push_back(std::move(seg));
    }
    *out = std::move(result);
    return true;
}

std::unique_ptr<Node> parseExpression(const QString& text, QString* error) {
    try {
        return Parser(text).parseAll();
    } catch (const ExpressionError& e) {
        if (error) *error = e.text;
        return nullptr;
    }
}

void visitNodes(const Node& node, const std::function<void(const Node&)>& visit) {
    visit(node);
    for (const auto& a : node.args) visitNodes(*a, visit);
}

QVariant evaluate(const Node& n, EvalContext& ctx) {
    switch (n.kind) {
        case Node::Kind::Literal:
            return n.literal;
        case Node::Kind::Field:
            return ctx.fieldValue(n.source, n.name);
        case Node::Kind::Variable:
            return ctx.variable(n.name);
        case Node::Kind::Aggregate:
            return ctx.aggregate(n);
        case Node::Kind::If:
            return isTruthy(evaluate(*n.args[0], ctx)) ? evaluate(*n.args[1], ctx)
                                                       : evaluate(*n.args[2], ctx);
        case Node::Kind::Unary: {
            const QVariant v = evaluate(*n.args[0], ctx);
            if (n.name == QLatin1String("NOT")) return !isTruthy(v);
            if (n.name == QLatin1String("-")) return -toNumber(v);
            return toNumber(v);
        }
        case Node::Kind::Function: {
            if (n.name == QLatin1String("FORMATFLOAT")) {
                return formatFloat(evaluate(*n.args[0], ctx).toString(),
                                   toNumber(evaluate(*n.args[1], ctx)));
            }
            if (n.name == QLatin1String("FORMATDATETIME")) {
                const QVariant v = evaluate(*n.args[1], ctx);
                if (v.isNull()) return QString();
                return formatDateTime(evaluate(*n.args[0], ctx).toString(), toDateTime(v));
            }
            const QString s = displayValue(evaluate(*n.args[0], ctx));
            if (n.name == QLatin1String("UPPER")) return s.toUpper();
            if (n.name == QLatin1String("LOWER")) return s.toLower();
            return s.trimmed();
        }
        case Node::Kind::Binary:
            break;
    }
    const QString& op = n.name;
    if (op == QLatin1String("AND"))
        return isTruthy(evaluate(*n.args[0], ctx)) && isTruthy(evaluate(*n.args[1], ctx));
    if (op == QLatin1String("OR"))
        return isTruthy(evaluate(*n.args[0], ctx)) || isTruthy(evaluate(*n.args[1], ctx));
    const QVariant a = evaluate(*n.args[0], ctx);
    const QVariant b = evaluate(*n.args[1], ctx);
    if (op == QLatin1String("&")) return displayValue(a) + displayValue(b);
    if (op == QLatin1String("+")) {
        // Text on either side makes "+" a concatenation, as in the classic expression syntax.
        if (a.typeId() == QMetaType::QString || b.typeId() == QMetaType::QString)
            return displayValue(a) + displayValue(b);
        return toNumber(a) + toNumber(b);
    }
    if (op == QLatin1String("-")) return toNumber(a) - toNumber(b);
    if (op == QLatin1String("*")) return toNumber(a) * toNumber(b);
    if (op == QLatin1String("/")) {
        const double d = toNumber(b);
        if (d == 0) throw ExpressionError{QStringLiteral("divisione per zero")};
        return toNumber(a) / d;
    }
    const int c = compare(a, b);
    if (op == QLatin1String("=")) return c == 0;
    if (op == QLatin1String("<>")) return c != 0;
    if (op == QLatin1String("<")) return c < 0;
    if (op == QLatin1String(">")) return c > 0;
    if (op == QLatin1String("<=")) return c <= 0;
    return c >= 0;
}

QString evaluateText(const ParsedText& text, EvalContext& ctx, const QString& format) {
    QString out;
    for (const auto& seg : text.segments) {
        out += seg.literal;
        if (!seg.expr) continue;
        const Node& n = *seg.expr;
        if (n.kind == Node::Kind::Field && format.isEmpty()) {
            out += ctx.fieldText(n.source, n.name);
            continue;
        }
        const QVariant v = evaluate(n, ctx);
        if (v.typeId() == QMetaType::QString || format.isEmpty()) {
            out += displayValue(v);
        } else {
            out += displayValue(v, format);
        }
    }
    return out;
}

QStringList usedSources(const Report& report) {
    QStringList names;
    auto add = [&names](const QString& name) {
        if (name.isEmpty()) return;
        for (const QString& n : std::as_const(names))
            if (n.compare(name, Qt::CaseInsensitive) == 0) return;
        names << name;
    };
    for (const ReportPage& page : report.pages) {
        for (const Band& band : page.bands) {
            add(band.dataSource);
            for (const ReportObject& obj : band.objects) {
                ParsedText parsed;
                QString error;
                if (!parseText(obj.kind == ObjectKind::Picture ? obj.pictureField : obj.text,
                               &parsed, &error))
                    continue;  // the layout reports it
                for (const TextSegment& seg : parsed.segments)
                    if (seg.expr)
                        visitNodes(*seg.expr, [&add](const Node& n) {
                            if (n.kind == Node::Kind::Field) add(n.source);
                        });
            }
        }
    }
    return names;
}

}  // namespace report
