#include "expr.h"

#include "cp1252.h"
#include "record.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace rk::xbase {

// ---------------------------------------------------------------------------------------------
// Tree

enum class Op {
    Literal,
    Field,
    Neg,
    Not,
    And,
    Or,
    Add,
    Sub,
    Mul,
    Div,
    Mod,
    Eq,      // = (non-exact for strings)
    ExactEq, // ==
    Ne,
    Lt,
    Le,
    Gt,
    Ge,
    Contains, // $
    Func,
    // Fast paths, chosen at parse time:
    FieldEqText, // character field = literal (non-exact), compared in place
    LogicalField,
};

enum class Fn {
    Upper,
    Lower,
    Trim,
    Ltrim,
    Alltrim,
    Left,
    Right,
    Substr,
    Str,
    Val,
    Dtos,
    Iif,
    Deleted,
    Recno,
    Empty
};

struct Node {
    Op op = Op::Literal;
    Type type = Type::Logical;
    Value literal;
    dbf::FieldDef field;
    Fn fn = Fn::Upper;
    int height = 1; // of the subtree, bounded so that evaluation cannot exhaust the stack
    std::vector<std::shared_ptr<const Node>> args;
};

using NodeP = std::shared_ptr<const Node>;

// ---------------------------------------------------------------------------------------------
// Dates

int64_t julianDay(int y, int m, int d) {
    int64_t a = (14 - m) / 12;
    int64_t yy = y + 4800 - a;
    int64_t mm = m + 12 * a - 3;
    return d + (153 * mm + 2) / 5 + 365 * yy + yy / 4 - yy / 100 + yy / 400 - 32045;
}

dbf::Date fromJulianDay(int64_t jd) {
    if (jd <= 0 || jd > kMaxJulianDay) return {};
    int64_t a = jd + 32044;
    int64_t b = (4 * a + 3) / 146097;
    int64_t c = a - 146097 * b / 4;
    int64_t d = (4 * c + 3) / 1461;
    int64_t e = c - 1461 * d / 4;
    int64_t m = (5 * e + 2) / 153;
    dbf::Date out;
    out.day = static_cast<int>(e - (153 * m + 2) / 5 + 1);
    out.month = static_cast<int>(m + 3 - 12 * (m / 10));
    out.year = static_cast<int>(100 * b + d - 4800 + m / 10);
    return out;
}

namespace {

const char* typeName(Type t) {
    switch (t) {
    case Type::Char:
        return "text";
    case Type::Num:
        return "number";
    case Type::Logical:
        return "logical";
    case Type::Date:
        return "date";
    }
    return "?";
}

// ---------------------------------------------------------------------------------------------
// Lexer

enum class Tok {
    End,
    Number,
    String,
    Name,
    LogicalLit,
    And,
    Or,
    Not,
    LParen,
    RParen,
    Comma,
    Plus,
    Minus,
    Star,
    Slash,
    Percent,
    Eq,
    EqEq,
    Ne,
    Lt,
    Le,
    Gt,
    Ge,
    Dollar,
    Arrow
};

struct Token {
    Tok kind = Tok::End;
    std::string text;
    double number = 0;
    bool boolean = false;
    size_t pos = 0; // 1-based
};

class Parser {
public:
    Parser(std::string_view src, const std::vector<dbf::FieldDef>& fields)
        : src_(src), fields_(fields) {}

    Result<NodeP> run() {
        Status s = advance();
        if (!s) return s;
        auto n = parseOr();
        if (!n) return n;
        if (tok_.kind != Tok::End) return error("unexpected '" + tok_.text + "'");
        return n;
    }

private:
    Status error(const std::string& what, size_t pos = 0) const {
        return Status::invalid("expression error at position " +
                               std::to_string(pos ? pos : tok_.pos) + ": " + what);
    }

    Status advance() {
        while (i_ < src_.size() && std::isspace(static_cast<unsigned char>(src_[i_])))
            ++i_;
        tok_ = Token();
        tok_.pos = i_ + 1;
        if (i_ >= src_.size()) {
            tok_.text = "end";
            return Status::ok();
        }
        char c = src_[i_];
        auto two = [&](const char* s) { return src_.compare(i_, 2, s) == 0; };
        if (std::isdigit(static_cast<unsigned char>(c)) ||
            (c == '.' && i_ + 1 < src_.size() &&
             std::isdigit(static_cast<unsigned char>(src_[i_ + 1])))) {
            size_t start = i_;
            while (i_ < src_.size() &&
                   (std::isdigit(static_cast<unsigned char>(src_[i_])) || src_[i_] == '.'))
                ++i_;
            tok_.kind = Tok::Number;
            tok_.text = std::string(src_.substr(start, i_ - start));
            char* end = nullptr;
            tok_.number = std::strtod(tok_.text.c_str(), &end);
            if (end != tok_.text.c_str() + tok_.text.size())
                return error("'" + tok_.text + "' is not a number");
            return Status::ok();
        }
        if (c == '"' || c == '\'' || c == '[') {
            char close = c == '[' ? ']' : c;
            size_t end = src_.find(close, i_ + 1);
            if (end == std::string_view::npos)
                return error(std::string("the text has no closing ") + close);
            tok_.kind = Tok::String;
            tok_.text = std::string(src_.substr(i_ + 1, end - i_ - 1));
            i_ = end + 1;
            return Status::ok();
        }
        if (c == '.') {
            size_t end = src_.find('.', i_ + 1);
            if (end != std::string_view::npos && end - i_ <= 4) {
                std::string w = cp1252::upper(src_.substr(i_ + 1, end - i_ - 1));
                Tok k = Tok::End;
                if (w == "T" || w == "Y") {
                    k = Tok::LogicalLit;
                    tok_.boolean = true;
                } else if (w == "F" || w == "N") {
                    k = Tok::LogicalLit;
                } else if (w == "AND") {
                    k = Tok::And;
                } else if (w == "OR") {
                    k = Tok::Or;
                } else if (w == "NOT") {
                    k = Tok::Not;
                }
                if (k != Tok::End) {
                    tok_.kind = k;
                    tok_.text = std::string(src_.substr(i_, end - i_ + 1));
                    i_ = end + 1;
                    return Status::ok();
                }
            }
            return error("unexpected '.'");
        }
        if (std::isalpha(static_cast<unsigned char>(c)) || c == '_') {
            size_t start = i_;
            while (i_ < src_.size() &&
                   (std::isalnum(static_cast<unsigned char>(src_[i_])) || src_[i_] == '_'))
                ++i_;
            tok_.kind = Tok::Name;
            tok_.text = std::string(src_.substr(start, i_ - start));
            return Status::ok();
        }
        struct Sym {
            const char* s;
            Tok k;
        };
        static const Sym syms[] = {{"==", Tok::EqEq}, {"<>", Tok::Ne}, {"!=", Tok::Ne},
                                   {"<=", Tok::Le},   {">=", Tok::Ge}, {"->", Tok::Arrow}};
        for (const auto& s : syms)
            if (two(s.s)) {
                tok_.kind = s.k;
                tok_.text = s.s;
                i_ += 2;
                return Status::ok();
            }
        static const char* singles = "()+-*/%=<>#$!,";
        static const Tok kinds[] = {Tok::LParen, Tok::RParen,  Tok::Plus, Tok::Minus, Tok::Star,
                                    Tok::Slash,  Tok::Percent, Tok::Eq,   Tok::Lt,    Tok::Gt,
                                    Tok::Ne,     Tok::Dollar,  Tok::Not,  Tok::Comma};
        const char* p = std::strchr(singles, c);
        if (p && c != '\0') {
            tok_.kind = kinds[p - singles];
            tok_.text = std::string(1, c);
            ++i_;
            return Status::ok();
        }
        return error(std::string("unexpected character '") + c + "'");
    }

    static NodeP make(Op op, Type t, std::vector<NodeP> args = {}) {
        auto n = std::make_shared<Node>();
        n->op = op;
        n->type = t;
        for (const auto& a : args)
            n->height = std::max(n->height, a->height + 1);
        n->args = std::move(args);
        return n;
    }

    Status checkHeight(const NodeP& n) const {
        if (n->height > kMaxDepth) return error("the expression is nested too deeply");
        return Status::ok();
    }

    // Nesting deeper than this is refused rather than risking the stack.
    static constexpr int kMaxDepth = 200;

    Result<NodeP> parseOr() {
        if (++depth_ > kMaxDepth) return error("the expression is nested too deeply");
        auto l = parseOrInner();
        --depth_;
        return l;
    }

    Result<NodeP> parseOrInner() {
        auto l = parseAnd();
        if (!l) return l;
        NodeP left = *l;
        while (tok_.kind == Tok::Or) {
            size_t pos = tok_.pos;
            RK_RETURN_IF_ERROR(advance());
            auto r = parseAnd();
            if (!r) return r;
            if (left->type != Type::Logical || (*r)->type != Type::Logical)
                return error(".OR. needs logical operands", pos);
            left = make(Op::Or, Type::Logical, {left, *r});
            RK_RETURN_IF_ERROR(checkHeight(left));
        }
        return left;
    }

    Result<NodeP> parseAnd() {
        auto l = parseNot();
        if (!l) return l;
        NodeP left = *l;
        while (tok_.kind == Tok::And) {
            size_t pos = tok_.pos;
            RK_RETURN_IF_ERROR(advance());
            auto r = parseNot();
            if (!r) return r;
            if (left->type != Type::Logical || (*r)->type != Type::Logical)
                return error(".AND. needs logical operands", pos);
            left = make(Op::And, Type::Logical, {left, *r});
            RK_RETURN_IF_ERROR(checkHeight(left));
        }
        return left;
    }

    Result<NodeP> parseNot() {
        if (tok_.kind == Tok::Not) {
            size_t pos = tok_.pos;
            RK_RETURN_IF_ERROR(advance());
            if (++depth_ > kMaxDepth) return error("the expression is nested too deeply");
            auto r = parseNot();
            --depth_;
            if (!r) return r;
            if ((*r)->type != Type::Logical) return error(".NOT. needs a logical operand", pos);
            return make(Op::Not, Type::Logical, {*r});
        }
        return parseCmp();
    }

    Result<NodeP> parseCmp() {
        auto l = parseAdd();
        if (!l) return l;
        Op op;
        switch (tok_.kind) {
        case Tok::Eq:
            op = Op::Eq;
            break;
        case Tok::EqEq:
            op = Op::ExactEq;
            break;
        case Tok::Ne:
            op = Op::Ne;
            break;
        case Tok::Lt:
            op = Op::Lt;
            break;
        case Tok::Le:
            op = Op::Le;
            break;
        case Tok::Gt:
            op = Op::Gt;
            break;
        case Tok::Ge:
            op = Op::Ge;
            break;
        case Tok::Dollar:
            op = Op::Contains;
            break;
        default:
            return l;
        }
        size_t pos = tok_.pos;
        std::string opText = tok_.text;
        RK_RETURN_IF_ERROR(advance());
        auto r = parseAdd();
        if (!r) return r;
        NodeP a = *l, b = *r;
        if (a->type != b->type)
            return error("'" + opText + "' compares a " + typeName(a->type) + " with a " +
                             typeName(b->type),
                         pos);
        if (op == Op::Contains && a->type != Type::Char) return error("'$' needs texts", pos);
        if (a->type == Type::Logical && op != Op::Eq && op != Op::ExactEq && op != Op::Ne)
            return error("logical values can only be compared for equality", pos);
        if (op == Op::Eq && a->op == Op::Field && a->type == Type::Char && b->op == Op::Literal) {
            auto n = std::make_shared<Node>();
            n->op = Op::FieldEqText;
            n->type = Type::Logical;
            n->field = a->field;
            n->literal = b->literal;
            return NodeP(n);
        }
        return make(op, Type::Logical, {a, b});
    }

    Result<NodeP> parseAdd() {
        auto l = parseMul();
        if (!l) return l;
        NodeP left = *l;
        while (tok_.kind == Tok::Plus || tok_.kind == Tok::Minus) {
            bool plus = tok_.kind == Tok::Plus;
            size_t pos = tok_.pos;
            RK_RETURN_IF_ERROR(advance());
            auto r = parseMul();
            if (!r) return r;
            Type lt = left->type, rt = (*r)->type;
            Type out;
            if (lt == Type::Char && rt == Type::Char) {
                out = Type::Char;
            } else if (lt == Type::Num && rt == Type::Num) {
                out = Type::Num;
            } else if (lt == Type::Date && rt == Type::Num) {
                out = Type::Date;
            } else if (plus && lt == Type::Num && rt == Type::Date) {
                out = Type::Date;
            } else if (!plus && lt == Type::Date && rt == Type::Date) {
                out = Type::Num;
            } else {
                return error(std::string("cannot ") + (plus ? "add" : "subtract") + " a " +
                                 typeName(rt) + (plus ? " to" : " from") + " a " + typeName(lt),
                             pos);
            }
            left = make(plus ? Op::Add : Op::Sub, out, {left, *r});
            RK_RETURN_IF_ERROR(checkHeight(left));
        }
        return left;
    }

    Result<NodeP> parseMul() {
        auto l = parseUnary();
        if (!l) return l;
        NodeP left = *l;
        while (tok_.kind == Tok::Star || tok_.kind == Tok::Slash || tok_.kind == Tok::Percent) {
            Op op = tok_.kind == Tok::Star ? Op::Mul : tok_.kind == Tok::Slash ? Op::Div : Op::Mod;
            size_t pos = tok_.pos;
            RK_RETURN_IF_ERROR(advance());
            auto r = parseUnary();
            if (!r) return r;
            if (left->type != Type::Num || (*r)->type != Type::Num)
                return error("arithmetic needs numbers", pos);
            left = make(op, Type::Num, {left, *r});
            RK_RETURN_IF_ERROR(checkHeight(left));
        }
        return left;
    }

    Result<NodeP> parseUnary() {
        if (tok_.kind == Tok::Minus || tok_.kind == Tok::Plus) {
            bool neg = tok_.kind == Tok::Minus;
            size_t pos = tok_.pos;
            RK_RETURN_IF_ERROR(advance());
            if (++depth_ > kMaxDepth) return error("the expression is nested too deeply");
            auto r = parseUnary();
            --depth_;
            if (!r) return r;
            if ((*r)->type != Type::Num) return error("a sign needs a number", pos);
            return neg ? make(Op::Neg, Type::Num, {*r}) : *r;
        }
        return parsePrimary();
    }

    Result<NodeP> literal(Value v) {
        auto n = std::make_shared<Node>();
        n->op = Op::Literal;
        n->type = v.type;
        n->literal = std::move(v);
        RK_RETURN_IF_ERROR(advance());
        return NodeP(n);
    }

    Result<NodeP> parsePrimary() {
        switch (tok_.kind) {
        case Tok::Number: {
            Value v;
            v.type = Type::Num;
            v.n = tok_.number;
            return literal(v);
        }
        case Tok::String: {
            Value v;
            v.type = Type::Char;
            v.s = tok_.text;
            return literal(v);
        }
        case Tok::LogicalLit: {
            Value v;
            v.type = Type::Logical;
            v.b = tok_.boolean;
            return literal(v);
        }
        case Tok::LParen: {
            RK_RETURN_IF_ERROR(advance());
            auto e = parseOr();
            if (!e) return e;
            if (tok_.kind != Tok::RParen) return error("expected ')'");
            RK_RETURN_IF_ERROR(advance());
            return e;
        }
        case Tok::Name:
            return parseName();
        case Tok::End:
            return error("the expression ends too soon");
        default:
            return error("unexpected '" + tok_.text + "'");
        }
    }

    Result<NodeP> parseName() {
        Token name = tok_;
        RK_RETURN_IF_ERROR(advance());
        if (tok_.kind == Tok::LParen) return parseCall(name);
        if (tok_.kind == Tok::Arrow) { // alias->field: the alias is this table
            RK_RETURN_IF_ERROR(advance());
            if (tok_.kind != Tok::Name) return error("expected a field name after '->'");
            name = tok_;
            RK_RETURN_IF_ERROR(advance());
        }
        std::string upper = cp1252::upper(name.text);
        for (const auto& f : fields_) {
            if (f.name == upper) {
                auto n = std::make_shared<Node>();
                n->field = f;
                switch (f.type) {
                case 'C':
                    n->type = Type::Char;
                    break;
                case 'N':
                case 'F':
                    n->type = Type::Num;
                    break;
                case 'D':
                    n->type = Type::Date;
                    break;
                default:
                    n->type = Type::Logical;
                    break;
                }
                n->op = n->type == Type::Logical ? Op::LogicalField : Op::Field;
                return NodeP(n);
            }
        }
        return error("there is no field '" + name.text + "'", name.pos);
    }

    Result<NodeP> parseCall(const Token& name) {
        struct FnDef {
            const char* name;
            Fn fn;
            int minArgs, maxArgs;
        };
        static const FnDef defs[] = {
            {"UPPER", Fn::Upper, 1, 1},   {"LOWER", Fn::Lower, 1, 1},
            {"TRIM", Fn::Trim, 1, 1},     {"RTRIM", Fn::Trim, 1, 1},
            {"LTRIM", Fn::Ltrim, 1, 1},   {"ALLTRIM", Fn::Alltrim, 1, 1},
            {"LEFT", Fn::Left, 2, 2},     {"RIGHT", Fn::Right, 2, 2},
            {"SUBSTR", Fn::Substr, 2, 3}, {"STR", Fn::Str, 1, 3},
            {"VAL", Fn::Val, 1, 1},       {"DTOS", Fn::Dtos, 1, 1},
            {"IIF", Fn::Iif, 3, 3},       {"DELETED", Fn::Deleted, 0, 0},
            {"RECNO", Fn::Recno, 0, 0},   {"EMPTY", Fn::Empty, 1, 1},
        };
        std::string upper = cp1252::upper(name.text);
        const FnDef* def = nullptr;
        for (const auto& d : defs) {
            std::string full = d.name;
            // xBase accepts a function name cut to four or more letters.
            if (upper == full || (upper.size() >= 4 && full.compare(0, upper.size(), upper) == 0)) {
                def = &d;
                break;
            }
        }
        if (!def) return error("unknown function '" + name.text + "'", name.pos);
        RK_RETURN_IF_ERROR(advance()); // (
        std::vector<NodeP> args;
        if (tok_.kind != Tok::RParen) {
            for (;;) {
                auto a = parseOr();
                if (!a) return a;
                args.push_back(*a);
                if (tok_.kind == Tok::Comma) {
                    RK_RETURN_IF_ERROR(advance());
                    continue;
                }
                break;
            }
        }
        if (tok_.kind != Tok::RParen) return error("expected ')' or ','");
        RK_RETURN_IF_ERROR(advance());
        int n = static_cast<int>(args.size());
        if (n < def->minArgs || n > def->maxArgs)
            return error(std::string(def->name) + "() takes " + std::to_string(def->minArgs) +
                             (def->maxArgs != def->minArgs ? " to " + std::to_string(def->maxArgs)
                                                           : std::string()) +
                             " arguments",
                         name.pos);
        auto want = [&](int i, Type t) -> Status {
            if (args[i]->type != t)
                return error(std::string(def->name) + "() needs a " + typeName(t) +
                                 " as argument " + std::to_string(i + 1),
                             name.pos);
            return Status::ok();
        };
        Type out = Type::Char;
        switch (def->fn) {
        case Fn::Upper:
        case Fn::Lower:
        case Fn::Trim:
        case Fn::Ltrim:
        case Fn::Alltrim:
            RK_RETURN_IF_ERROR(want(0, Type::Char));
            break;
        case Fn::Left:
        case Fn::Right:
            RK_RETURN_IF_ERROR(want(0, Type::Char));
            RK_RETURN_IF_ERROR(want(1, Type::Num));
            break;
        case Fn::Substr:
            RK_RETURN_IF_ERROR(want(0, Type::Char));
            for (int i = 1; i < n; ++i)
                RK_RETURN_IF_ERROR(want(i, Type::Num));
            break;
        case Fn::Str:
            for (int i = 0; i < n; ++i)
                RK_RETURN_IF_ERROR(want(i, Type::Num));
            break;
        case Fn::Val:
            RK_RETURN_IF_ERROR(want(0, Type::Char));
            out = Type::Num;
            break;
        case Fn::Dtos:
            RK_RETURN_IF_ERROR(want(0, Type::Date));
            break;
        case Fn::Iif:
            RK_RETURN_IF_ERROR(want(0, Type::Logical));
            if (args[1]->type != args[2]->type)
                return error("IIF() needs both branches of the same type", name.pos);
            out = args[1]->type;
            break;
        case Fn::Deleted:
        case Fn::Empty:
            out = Type::Logical;
            break;
        case Fn::Recno:
            out = Type::Num;
            break;
        }
        auto node = std::make_shared<Node>();
        for (const auto& a : args)
            node->height = std::max(node->height, a->height + 1);
        node->op = Op::Func;
        node->fn = def->fn;
        node->type = out;
        node->args = std::move(args);
        return NodeP(node);
    }

    std::string_view src_;
    const std::vector<dbf::FieldDef>& fields_;
    size_t i_ = 0;
    int depth_ = 0;
    Token tok_;
};

// ---------------------------------------------------------------------------------------------
// Evaluation

Value charValue(std::string s) {
    Value v;
    v.type = Type::Char;
    v.s = std::move(s);
    return v;
}
Value numValue(double n) {
    Value v;
    v.type = Type::Num;
    v.n = n;
    return v;
}
Value boolValue(bool b) {
    Value v;
    v.type = Type::Logical;
    v.b = b;
    return v;
}
Value dateValue(double jd) {
    Value v;
    v.type = Type::Date;
    v.n = jd;
    return v;
}

// The Julian days of 0001-01-01 and 9999-12-31: the dates a date field can hold.
constexpr double kFirstDay = 1721426;
constexpr double kLastDay = 5373484;

bool inCalendar(double jd) {
    return jd >= kFirstDay && jd <= kLastDay; // false for NaN too
}

// Keeps the first fault of an evaluation.
void outsideCalendar(Status* fault) {
    if (fault && fault->isOk())
        *fault = Status::invalid("expression error: a date outside the years 1 to 9999");
}

// A date plus a number of days. An empty date stays empty; a result outside the calendar is a
// fault, and an empty date.
Value addDays(double date, double days, Status* fault) {
    if (date == 0) return dateValue(0);
    const double jd = date + days;
    if (inCalendar(jd)) return dateValue(jd);
    outsideCalendar(fault);
    return dateValue(0);
}

// SET EXACT OFF: equal when the left side begins with the right side.
bool looseEqual(std::string_view a, std::string_view b) {
    if (b.size() > a.size()) return false;
    return std::memcmp(a.data(), b.data(), b.size()) == 0;
}

// Compares as if the shorter text were padded with blanks.
int compareText(std::string_view a, std::string_view b) {
    size_t n = std::max(a.size(), b.size());
    for (size_t i = 0; i < n; ++i) {
        unsigned char x = i < a.size() ? static_cast<unsigned char>(a[i]) : ' ';
        unsigned char y = i < b.size() ? static_cast<unsigned char>(b[i]) : ' ';
        if (x != y) return x < y ? -1 : 1;
    }
    return 0;
}

std::string strOf(double v, int width, int dec) {
    if (width < 1) width = 10;
    if (width > 255) width = 255;
    if (dec < 0) dec = 0;
    if (dec > 15) dec = 15;
    char buf[400];
    int n = std::snprintf(buf, sizeof buf, "%*.*f", width, dec, std::isfinite(v) ? v : 0.0);
    if (n < 0 || n > width) return std::string(width, '*');
    return buf;
}

Value evalNode(const Node& n, std::string_view img, uint32_t recno, Status* fault);

Value evalFunc(const Node& n, std::string_view img, uint32_t recno, Status* fault) {
    auto arg = [&](size_t i) { return evalNode(*n.args[i], img, recno, fault); };
    switch (n.fn) {
    case Fn::Upper:
        return charValue(cp1252::upper(arg(0).s));
    case Fn::Lower:
        return charValue(cp1252::lower(arg(0).s));
    case Fn::Trim: {
        std::string s = arg(0).s;
        while (!s.empty() && s.back() == ' ')
            s.pop_back();
        return charValue(std::move(s));
    }
    case Fn::Ltrim: {
        std::string s = arg(0).s;
        size_t k = s.find_first_not_of(' ');
        return charValue(k == std::string::npos ? std::string() : s.substr(k));
    }
    case Fn::Alltrim: {
        std::string s = arg(0).s;
        size_t a = s.find_first_not_of(' ');
        if (a == std::string::npos) return charValue("");
        size_t b = s.find_last_not_of(' ');
        return charValue(s.substr(a, b - a + 1));
    }
    case Fn::Left: {
        std::string s = arg(0).s;
        double k = arg(1).n;
        size_t len = !(k > 0) ? 0 : k >= double(s.size()) ? s.size() : size_t(k);
        return charValue(s.substr(0, len));
    }
    case Fn::Right: {
        std::string s = arg(0).s;
        double k = arg(1).n;
        size_t len = !(k > 0) ? 0 : k >= double(s.size()) ? s.size() : size_t(k);
        return charValue(s.substr(s.size() - len));
    }
    case Fn::Substr: {
        std::string s = arg(0).s;
        double start = arg(1).n;
        if (!(start >= 1) || start > double(s.size())) return charValue("");
        size_t from = size_t(start) - 1;
        size_t len = s.size() - from;
        if (n.args.size() > 2) {
            double k = arg(2).n;
            len = !(k > 0) ? 0 : std::min(len, k >= double(len) ? len : size_t(k));
        }
        return charValue(s.substr(from, len));
    }
    case Fn::Str: {
        double v = arg(0).n;
        int width =
            n.args.size() > 1 ? static_cast<int>(std::fmin(std::fmax(arg(1).n, 0), 255)) : 10;
        int dec = n.args.size() > 2 ? static_cast<int>(std::fmin(std::fmax(arg(2).n, 0), 15)) : 0;
        return charValue(strOf(v, width, dec));
    }
    case Fn::Val: {
        std::string s = arg(0).s;
        const char* p = s.c_str();
        while (*p == ' ')
            ++p;
        char* end = nullptr;
        double v = std::strtod(p, &end);
        return numValue(end == p || !std::isfinite(v) ? 0 : v);
    }
    case Fn::Dtos: {
        const double jd = arg(0).n;
        if (jd == 0) return charValue(std::string(8, ' '));
        if (!inCalendar(jd)) {
            outsideCalendar(fault);
            return charValue(std::string(8, ' '));
        }
        dbf::Date d = fromJulianDay(static_cast<int64_t>(jd));
        char buf[40]; // room for any int, which the compiler cannot rule out
        std::snprintf(buf, sizeof buf, "%04d%02d%02d", d.year % 10000, d.month, d.day);
        return charValue(buf);
    }
    case Fn::Iif:
        return arg(0).b ? arg(1) : arg(2);
    case Fn::Deleted:
        return boolValue(dbf::isDeleted(img));
    case Fn::Recno:
        return numValue(recno);
    case Fn::Empty: {
        Value v = arg(0);
        switch (v.type) {
        case Type::Char:
            return boolValue(v.s.find_first_not_of(' ') == std::string::npos);
        case Type::Num:
        case Type::Date:
            return boolValue(v.n == 0);
        case Type::Logical:
            return boolValue(!v.b);
        }
        return boolValue(true);
    }
    }
    return boolValue(false);
}

Value evalNode(const Node& n, std::string_view img, uint32_t recno, Status* fault) {
    switch (n.op) {
    case Op::Literal:
        return n.literal;
    case Op::Field: {
        switch (n.type) {
        case Type::Char:
            return charValue(std::string(dbf::rawField(img, n.field)));
        case Type::Num:
            return numValue(dbf::getNumber(img, n.field));
        case Type::Date: {
            dbf::Date d = dbf::getDate(img, n.field);
            return dateValue(d.year ? double(julianDay(d.year, d.month, d.day)) : 0.0);
        }
        case Type::Logical:
            return boolValue(dbf::getLogical(img, n.field));
        }
        return boolValue(false);
    }
    case Op::LogicalField:
        return boolValue(dbf::getLogical(img, n.field));
    case Op::FieldEqText:
        return boolValue(looseEqual(dbf::rawField(img, n.field), n.literal.s));
    case Op::Neg:
        return numValue(-evalNode(*n.args[0], img, recno, fault).n);
    case Op::Not:
        return boolValue(!evalNode(*n.args[0], img, recno, fault).b);
    case Op::And:
        return boolValue(evalNode(*n.args[0], img, recno, fault).b &&
                         evalNode(*n.args[1], img, recno, fault).b);
    case Op::Or:
        return boolValue(evalNode(*n.args[0], img, recno, fault).b ||
                         evalNode(*n.args[1], img, recno, fault).b);
    case Op::Func:
        return evalFunc(n, img, recno, fault);
    default:
        break;
    }
    Value a = evalNode(*n.args[0], img, recno, fault);
    Value b = evalNode(*n.args[1], img, recno, fault);
    switch (n.op) {
    case Op::Add:
        if (a.type == Type::Char) return charValue(a.s + b.s);
        if (n.type == Type::Date)
            return a.type == Type::Date ? addDays(a.n, b.n, fault) : addDays(b.n, a.n, fault);
        return numValue(a.n + b.n);
    case Op::Sub:
        if (a.type == Type::Char) { // trailing blanks of the left move to the end
            size_t k = a.s.find_last_not_of(' ');
            std::string head = k == std::string::npos ? std::string() : a.s.substr(0, k + 1);
            return charValue(head + b.s + std::string(a.s.size() - head.size(), ' '));
        }
        if (n.type == Type::Date) return addDays(a.n, -b.n, fault);
        return numValue(a.n - b.n);
    case Op::Mul:
        return numValue(a.n * b.n);
    case Op::Div:
        return numValue(b.n == 0 ? 0 : a.n / b.n);
    case Op::Mod:
        return numValue(b.n == 0 ? 0 : std::fmod(a.n, b.n));
    case Op::Contains:
        return boolValue(b.s.find(a.s) != std::string::npos);
    default:
        break;
    }
    int c = 0;
    bool eq = false;
    switch (a.type) {
    case Type::Char:
        c = compareText(a.s, b.s);
        eq = n.op == Op::ExactEq ? a.s == b.s : looseEqual(a.s, b.s);
        break;
    case Type::Num:
    case Type::Date:
        c = a.n < b.n ? -1 : a.n > b.n ? 1 : 0;
        eq = c == 0;
        break;
    case Type::Logical:
        c = int(a.b) - int(b.b);
        eq = c == 0;
        break;
    }
    switch (n.op) {
    case Op::Eq:
    case Op::ExactEq:
        return boolValue(eq);
    case Op::Ne:
        return boolValue(!eq);
    case Op::Lt:
        return boolValue(c < 0);
    case Op::Le:
        return boolValue(c <= 0);
    case Op::Gt:
        return boolValue(c > 0);
    case Op::Ge:
        return boolValue(c >= 0);
    default:
        return boolValue(false);
    }
}

bool partsOf(const Node& n, bool upper, std::vector<TextPart>* out) {
    if (n.type != Type::Char) return false;
    switch (n.op) {
    case Op::Field: {
        if (n.field.type != 'C') return false;
        TextPart p;
        p.field = n.field;
        p.upper = upper;
        out->push_back(std::move(p));
        return true;
    }
    case Op::Literal: {
        TextPart p;
        p.isField = false;
        p.literal = upper ? cp1252::upper(n.literal.s) : n.literal.s;
        out->push_back(std::move(p));
        return true;
    }
    case Op::Add:
        return partsOf(*n.args[0], upper, out) && partsOf(*n.args[1], upper, out);
    case Op::Func:
        return n.fn == Fn::Upper && partsOf(*n.args[0], true, out);
    default:
        return false;
    }
}

Condition conditionOf(const Node& n) {
    Condition c;
    switch (n.op) {
    case Op::And:
    case Op::Or:
        c.kind = n.op == Op::And ? Condition::Kind::And : Condition::Kind::Or;
        c.args = {conditionOf(*n.args[0]), conditionOf(*n.args[1])};
        return c;
    case Op::Not:
        c.kind = Condition::Kind::Not;
        c.args = {conditionOf(*n.args[0])};
        return c;
    case Op::FieldEqText: {
        TextPart p;
        p.field = n.field;
        c.kind = Condition::Kind::Compare;
        c.left = {p};
        c.right = n.literal.s;
        return c;
    }
    case Op::Eq:
    case Op::ExactEq:
        if (n.args[1]->op == Op::Literal && n.args[1]->type == Type::Char &&
            partsOf(*n.args[0], false, &c.left)) {
            c.kind = Condition::Kind::Compare;
            c.right = n.args[1]->literal.s;
            c.exact = n.op == Op::ExactEq;
        } else {
            c.left.clear();
        }
        return c;
    default:
        return c;
    }
}

bool nodeMayFault(const Node& n) {
    if ((n.op == Op::Add || n.op == Op::Sub) && n.type == Type::Date) return true;
    if (n.op == Op::Func && n.fn == Fn::Dtos) return true;
    for (const auto& a : n.args)
        if (nodeMayFault(*a)) return true;
    return false;
}

void collectFields(const Node& n, std::vector<dbf::FieldDef>* out) {
    if (n.op == Op::Field || n.op == Op::FieldEqText || n.op == Op::LogicalField) {
        const bool known = std::any_of(out->begin(), out->end(), [&](const dbf::FieldDef& f) {
            return f.name == n.field.name;
        });
        if (!known) out->push_back(n.field);
    }
    for (const auto& a : n.args)
        collectFields(*a, out);
}

} // namespace

std::vector<dbf::FieldDef> Expr::fieldsRead() const {
    std::vector<dbf::FieldDef> out;
    if (root_) collectFields(*root_, &out);
    return out;
}

bool Expr::textParts(std::vector<TextPart>* out) const {
    out->clear();
    if (!root_ || partsOf(*root_, false, out)) return root_ != nullptr;
    out->clear();
    return false;
}

Condition Expr::condition() const {
    return root_ ? conditionOf(*root_) : Condition{};
}

bool Expr::mayFault() const {
    return root_ && nodeMayFault(*root_);
}

Result<Expr> Expr::parse(std::string_view text, const std::vector<dbf::FieldDef>& fields) {
    if (text.size() > 4096) return Status::invalid("expression error: the text is too long");
    if (text.find('\0') != std::string_view::npos)
        return Status::invalid("expression error: the text holds a NUL character");
    Parser p(text, fields);
    auto root = p.run();
    if (!root) return root.status();
    Expr e;
    e.root_ = *root;
    e.text_ = std::string(text);
    return e;
}

Type Expr::type() const {
    return root_ ? root_->type : Type::Logical;
}

Value Expr::eval(std::string_view image, uint32_t recno, Status* fault) const {
    if (!root_) return Value{};
    return evalNode(*root_, image, recno, fault);
}

bool Expr::test(std::string_view image, uint32_t recno, Status* fault) const {
    if (!root_) return false;
    const Node& n = *root_;
    switch (n.op) {
    case Op::FieldEqText:
        return looseEqual(dbf::rawField(image, n.field), n.literal.s);
    case Op::LogicalField:
        return dbf::getLogical(image, n.field);
    default:
        return evalNode(n, image, recno, fault).b;
    }
}

} // namespace rk::xbase
