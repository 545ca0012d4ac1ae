#include "data/filter_expression.h"

#include "data/error.h"

#include <QRegularExpression>
#include <cmath>

namespace data {

namespace {

enum class Op { Eq, Ne, Lt, Gt, Le, Ge, Like, NotLike, IsNull, IsNotNull };

struct Literal {
    enum class Kind { Text, Number, Null } kind = Kind::Null;
    QString text;
    double number = 0;
};

} // namespace

struct FilterExpression::Node {
    enum class Kind { And, Or, Not, Compare } kind = Kind::Compare;
    std::unique_ptr<Node> left, right; // Not uses left
    int field = -1;
    Op op = Op::Eq;
    Literal literal;
    QRegularExpression like;
};

namespace {

using Node = FilterExpression::Node;

class Parser {
public:
    Parser(const QString& text, const std::vector<FieldInfo>& fields) : s_(text), fields_(fields) {}

    std::unique_ptr<Node> parseAll()
    {
        auto node = parseOr();
        skipBlanks();
        if (pos_ < s_.size())
            fail(QStringLiteral("unexpected text '%1'").arg(s_.mid(pos_, 20)));
        return node;
    }

private:
    [[noreturn]] void fail(const QString& what) const
    {
        throw Error(QStringLiteral("Invalid filter '%1': %2").arg(s_, what));
    }

    void skipBlanks()
    {
        while (pos_ < s_.size() && s_[pos_].isSpace())
            ++pos_;
    }

    bool keyword(const char* word)
    {
        skipBlanks();
        const QLatin1StringView w(word);
        if (s_.mid(pos_, w.size()).compare(w, Qt::CaseInsensitive) != 0)
            return false;
        const qsizetype end = pos_ + w.size();
        if (end < s_.size() && (s_[end].isLetterOrNumber() || s_[end] == QLatin1Char('_')))
            return false;
        pos_ = end;
        return true;
    }

    std::unique_ptr<Node> join(Node::Kind kind, std::unique_ptr<Node> l, std::unique_ptr<Node> r)
    {
        auto n = std::make_unique<Node>();
        n->kind = kind;
        n->left = std::move(l);
        n->right = std::move(r);
        return n;
    }

    std::unique_ptr<Node> parseOr()
    {
        auto left = parseAnd();
        while (keyword("or"))
            left = join(Node::Kind::Or, std::move(left), parseAnd());
        return left;
    }

    std::unique_ptr<Node> parseAnd()
    {
        auto left = parseNot();
        while (keyword("and"))
            left = join(Node::Kind::And, std::move(left), parseNot());
        return left;
    }

    std::unique_ptr<Node> parseNot()
    {
        if (keyword("not"))
            return join(Node::Kind::Not, parseNot(), nullptr);
        skipBlanks();
        if (pos_ < s_.size() && s_[pos_] == QLatin1Char('(')) {
            ++pos_;
            auto inner = parseOr();
            skipBlanks();
            if (pos_ >= s_.size() || s_[pos_] != QLatin1Char(')'))
                fail(QStringLiteral("missing ')'"));
            ++pos_;
            return inner;
        }
        return parseComparison();
    }

    int parseField()
    {
        skipBlanks();
        QString name;
        if (pos_ < s_.size() && s_[pos_] == QLatin1Char('[')) {
            const qsizetype close = s_.indexOf(QLatin1Char(']'), pos_);
            if (close < 0)
                fail(QStringLiteral("missing ']'"));
            name = s_.mid(pos_ + 1, close - pos_ - 1);
            pos_ = close + 1;
        } else {
            const qsizetype start = pos_;
            while (pos_ < s_.size() && !s_[pos_].isSpace() && !QStringLiteral("=<>!()'").contains(s_[pos_]))
                ++pos_;
            name = s_.mid(start, pos_ - start);
        }
        if (name.isEmpty())
            fail(QStringLiteral("a field name is missing"));
        for (size_t i = 0; i < fields_.size(); ++i)
            if (fields_[i].name.compare(name, Qt::CaseInsensitive) == 0)
                return static_cast<int>(i);
        throw Error(QStringLiteral("Field '%1' not found").arg(name));
    }

    Op parseOp()
    {
        skipBlanks();
        static const struct { const char* text; Op op; } symbols[] = {
            {"<>", Op::Ne}, {"!=", Op::Ne}, {"<=", Op::Le}, {">=", Op::Ge},
            {"=", Op::Eq},  {"<", Op::Lt},  {">", Op::Gt},
        };
        for (const auto& sym : symbols) {
            const QLatin1StringView t(sym.text);
            if (s_.mid(pos_, t.size()) == t) {
                pos_ += t.size();
                return sym.op;
            }
        }
        if (keyword("like"))
            return Op::Like;
        if (keyword("not")) {
            if (keyword("like"))
                return Op::NotLike;
            fail(QStringLiteral("LIKE expected after NOT"));
        }
        if (keyword("is")) {
            const bool negated = keyword("not");
            if (!keyword("null"))
                fail(QStringLiteral("NULL expected after IS"));
            return negated ? Op::IsNotNull : Op::IsNull;
        }
        fail(QStringLiteral("a comparison operator is missing"));
    }

    Literal parseLiteral()
    {
        skipBlanks();
        Literal lit;
        if (pos_ < s_.size() && s_[pos_] == QLatin1Char('\'')) {
            ++pos_;
            for (;;) {
                if (pos_ >= s_.size())
                    fail(QStringLiteral("unterminated quoted value"));
                if (s_[pos_] == QLatin1Char('\'')) {
                    if (pos_ + 1 < s_.size() && s_[pos_ + 1] == QLatin1Char('\'')) {
                        lit.text += QLatin1Char('\'');
                        pos_ += 2;
                        continue;
                    }
                    ++pos_;
                    break;
                }
                lit.text += s_[pos_++];
            }
            lit.kind = Literal::Kind::Text;
            return lit;
        }
        if (keyword("null"))
            return lit;
        const qsizetype start = pos_;
        while (pos_ < s_.size() && !s_[pos_].isSpace() && s_[pos_] != QLatin1Char(')'))
            ++pos_;
        const QString word = s_.mid(start, pos_ - start);
        bool ok = false;
        lit.number = word.toDouble(&ok);
        if (!ok)
            fail(QStringLiteral("'%1' is neither a quoted value nor a number").arg(word));
        lit.kind = Literal::Kind::Number;
        lit.text = word;
        return lit;
    }

    std::unique_ptr<Node> parseComparison()
    {
        auto n = std::make_unique<Node>();
        n->field = parseField();
        n->op = parseOp();
        if (n->op == Op::IsNull || n->op == Op::IsNotNull)
            return n;
        n->literal = parseLiteral();
        if (n->op == Op::Like || n->op == Op::NotLike) {
            QString pattern;
            for (const QChar c : n->literal.text) {
                if (c == QLatin1Char('%') || c == QLatin1Char('*'))
                    pattern += QStringLiteral(".*");
                else if (c == QLatin1Char('_') || c == QLatin1Char('?'))
                    pattern += QLatin1Char('.');
                else
                    pattern += QRegularExpression::escape(QString(c));
            }
            n->like = QRegularExpression(QRegularExpression::anchoredPattern(pattern),
                                         QRegularExpression::CaseInsensitiveOption
                                             | QRegularExpression::DotMatchesEverythingOption);
        }
        return n;
    }

    const QString& s_;
    const std::vector<FieldInfo>& fields_;
    qsizetype pos_ = 0;
};

int compareNumbers(double a, double b)
{
    return a < b ? -1 : (a > b ? 1 : 0);
}

bool holds(Op op, int cmp)
{
    switch (op) {
    case Op::Eq: return cmp == 0;
    case Op::Ne: return cmp != 0;
    case Op::Lt: return cmp < 0;
    case Op::Gt: return cmp > 0;
    case Op::Le: return cmp <= 0;
    case Op::Ge: return cmp >= 0;
    default: return false;
    }
}

bool evaluate(const Node& n, const std::vector<Value>& row)
{
    switch (n.kind) {
    case Node::Kind::And: return evaluate(*n.left, row) && evaluate(*n.right, row);
    case Node::Kind::Or: return evaluate(*n.left, row) || evaluate(*n.right, row);
    case Node::Kind::Not: return !evaluate(*n.left, row);
    case Node::Kind::Compare: break;
    }
    const Value& v = row[static_cast<size_t>(n.field)];
    if (n.op == Op::IsNull)
        return v.isNull();
    if (n.op == Op::IsNotNull)
        return !v.isNull();
    if (n.literal.kind == Literal::Kind::Null)
        return n.op == Op::Eq ? v.isNull() : (n.op == Op::Ne ? !v.isNull() : false);
    if (v.isNull())
        return false; // a missing value compares with nothing, as in SQL
    if (n.op == Op::Like || n.op == Op::NotLike)
        return n.like.match(v.toText()).hasMatch() == (n.op == Op::Like);
    if (n.literal.kind == Literal::Kind::Number) {
        double d = 0;
        if (v.isNumeric() || v.kind() == ValueKind::Boolean)
            return holds(n.op, compareNumbers(v.toFloat(), n.literal.number));
        if (parseNumber(v.toText(), &d))
            return holds(n.op, compareNumbers(d, n.literal.number));
        return holds(n.op, v.toText().compare(n.literal.text, Qt::CaseInsensitive));
    }
    // A quoted text: equality compares the text forms; ordering compares numbers as numbers.
    if (n.op != Op::Eq && n.op != Op::Ne && v.isNumeric()) {
        double d = 0;
        if (v.kind() == ValueKind::DateTime ? parseDateTime(n.literal.text, &d) : parseNumber(n.literal.text, &d))
            return holds(n.op, compareNumbers(v.toFloat(), d));
    }
    return holds(n.op, v.toText().compare(n.literal.text, Qt::CaseInsensitive));
}

} // namespace

FilterExpression::FilterExpression(std::unique_ptr<Node> root) : root_(std::move(root)) {}
FilterExpression::~FilterExpression() = default;

std::unique_ptr<FilterExpression> FilterExpression::parse(const QString& text, const std::vector<FieldInfo>& fields)
{
    Parser parser(text, fields);
    return std::unique_ptr<FilterExpression>(new FilterExpression(parser.parseAll()));
}

bool FilterExpression::matches(const std::vector<Value>& row) const
{
    return evaluate(*root_, row);
}

std::optional<FilterExpression::Equality> FilterExpression::simpleEquality() const
{
    if (root_->kind == Node::Kind::Compare && root_->op == Op::Eq && root_->literal.kind == Literal::Kind::Text)
        return Equality{root_->field, root_->literal.text.toCaseFolded()};
    return std::nullopt;
}

QString FilterExpression::equalityKey(const Value& v)
{
    return v.toText().toCaseFolded();
}

} // namespace data
