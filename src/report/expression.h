#pragma once
// Expressions in texts: literal text with [expressions] in square brackets. See README-format.md
// for the language. Parsed once per prepare, evaluated for every band instance.
#include <QString>
#include <QStringList>
#include <QVariant>
#include <functional>
#include <memory>
#include <vector>

namespace report {

struct Node {
    enum class Kind { Literal, Field, Variable, Unary, Binary, If, Aggregate, Function };
    Kind kind = Kind::Literal;
    QVariant literal;
    QString source;  // Field: data source; Aggregate: optional band name
    QString name;    // Field: field; Variable: name; Unary/Binary: operator; functions: name
    std::vector<std::unique_ptr<Node>> args;
};

struct TextSegment {
    QString literal;                   // text before the expression (or the whole text)
    std::shared_ptr<const Node> expr;  // null for a final literal
};

struct ParsedText {
    std::vector<TextSegment> segments;
    bool usesTotalPages = false;
    // Every [TOTALPAGES] is a whole bracket: it can be filled in after the layout.
    bool totalPagesStandalone = true;
    bool isConstant() const { return segments.size() == 1 && !segments[0].expr; }
};

// Evaluation errors carry a text for the user.
struct ExpressionError {
    QString text;
};

// What an expression can read. Every function may throw ExpressionError.
class EvalContext {
public:
    virtual ~EvalContext() = default;
    // PAGE#, TOTALPAGES, DATE, TIME, TITLE, LINE#; names are upper case.
    virtual QVariant variable(const QString& name) = 0;
    virtual QVariant fieldValue(const QString& source, const QString& field) = 0;
    virtual QString fieldText(const QString& source, const QString& field) = 0;
    virtual QVariant aggregate(const Node& node) = 0;
};

// Parses a text with [expressions]; "[[" stands for a literal "[".
bool parseText(const QString& text, ParsedText* out, QString* error);
// Parses one expression (without brackets), as in a group condition.
std::unique_ptr<Node> parseExpression(const QString& text, QString* error);

QVariant evaluate(const Node& node, EvalContext& context);
// The text with every expression replaced by its value; format is the object's display format.
QString evaluateText(const ParsedText& text, EvalContext& context, const QString& format = {});
// Visits every node of a tree (aggregates are registered this way).
void visitNodes(const Node& node, const std::function<void(const Node&)>& visit);

// The marker written for a standalone [TOTALPAGES] before the page count is known.
QString totalPagesMarker();

bool isTruthy(const QVariant& v);
double toNumber(const QVariant& v);

struct Report;
// The data sources a template reads (bands and the fields of its texts), each name once, in the
// order met.
QStringList usedSources(const Report& report);

}  // namespace report
