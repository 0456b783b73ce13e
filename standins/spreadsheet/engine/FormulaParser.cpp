#include "FormulaParser.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>

namespace spreadsheet {

namespace {

// Deepest tree the parser hands out: evaluation and printing recurse over it.
constexpr int kMaxTreeDepth = 512;

struct ParseError {
    std::string message;
    size_t offset;
};

bool isWordChar(char c) {
    unsigned char u = static_cast<unsigned char>(c);
    return std::isalnum(u) || c == '_' || c == '.' || c == '\\' || u >= 0x80;
}

bool isWordStart(char c) {
    unsigned char u = static_cast<unsigned char>(c);
    return std::isalpha(u) || c == '_' || c == '\\' || u >= 0x80;
}

std::string upper(std::string_view s) {
    std::string out(s);
    for (char& c : out)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return out;
}

struct Parsed {
    FormulaNodePtr node;
    int depth = 1;
};

// Recursive descent over the text, lowest precedence first:
// comparison, &, + -, * /, ^, unary - +, postfix %, primary.
class Parser {
public:
    explicit Parser(std::string_view text) : text_(text) {}

    FormulaNodePtr parseAll() {
        skipSpaces();
        if (pos_ < text_.size() && text_[pos_] == '=')
            ++pos_;
        skipSpaces();
        if (atEnd())
            fail("The formula is empty");
        Parsed result = parseComparison();
        skipSpaces();
        if (!atEnd())
            fail("Unexpected text in the formula");
        return std::move(result.node);
    }

private:
    [[noreturn]] void fail(const std::string& message) { throw ParseError{message, pos_}; }
    bool atEnd() const { return pos_ >= text_.size(); }
    char peek(size_t ahead = 0) const {
        return pos_ + ahead < text_.size() ? text_[pos_ + ahead] : '\0';
    }
    void skipSpaces() {
        while (!atEnd() && (text_[pos_] == ' ' || text_[pos_] == '\n' || text_[pos_] == '\r'))
            ++pos_;
    }

    static Parsed makeNode(NodeKind kind) {
        Parsed p;
        p.node = std::make_unique<FormulaNode>();
        p.node->kind = kind;
        return p;
    }

    Parsed wrap(NodeKind kind, Operator op, std::vector<Parsed> children) {
        Parsed p = makeNode(kind);
        p.node->op = op;
        int depth = 0;
        for (auto& child : children) {
            depth = std::max(depth, child.depth);
            p.node->children.push_back(std::move(child.node));
        }
        p.depth = depth + 1;
        if (p.depth > kMaxTreeDepth)
            fail("The formula is too complex");
        return p;
    }

    Parsed binary(Operator op, Parsed left, Parsed right) {
        std::vector<Parsed> children;
        children.push_back(std::move(left));
        children.push_back(std::move(right));
        return wrap(NodeKind::Binary, op, std::move(children));
    }

    bool matchOperator(const char* op) {
        skipSpaces();
        size_t n = std::char_traits<char>::length(op);
        if (text_.substr(pos_, n) != op)
            return false;
        pos_ += n;
        return true;
    }

    Parsed parseComparison() {
        Parsed left = parseConcat();
        for (;;) {
            Operator op;
            if (matchOperator("<>"))
                op = Operator::NotEqual;
            else if (matchOperator("<="))
                op = Operator::LessEqual;
            else if (matchOperator(">="))
                op = Operator::GreaterEqual;
            else if (matchOperator("<"))
                op = Operator::Less;
            else if (matchOperator(">"))
                op = Operator::Greater;
            else if (matchOperator("="))
                op = Operator::Equal;
            else
                return left;
            left = binary(op, std::move(left), parseConcat());
        }
    }

    Parsed parseConcat() {
        Parsed left = parseAdditive();
        while (matchOperator("&"))
            left = binary(Operator::Concat, std::move(left), parseAdditive());
        return left;
    }

    Parsed parseAdditive() {
        Parsed left = parseMultiplicative();
        for (;;) {
            if (matchOperator("+"))
                left = binary(Operator::Add, std::move(left), parseMultiplicative());
            else if (matchOperator("-"))
                left = binary(Operator::Subtract, std::move(left), parseMultiplicative());
            else
                return left;
        }
    }

    Parsed parseMultiplicative() {
        Parsed left = parsePower();
        for (;;) {
            if (matchOperator("*"))
                left = binary(Operator::Multiply, std::move(left), parsePower());
            else if (matchOperator("/"))
                left = binary(Operator::Divide, std::move(left), parsePower());
            else
                return left;
        }
    }

    Parsed parsePower() {
        Parsed left = parseUnary();
        while (matchOperator("^"))
            left = binary(Operator::Power, std::move(left), parseUnary());
        return left;
    }

    // Signs bind tighter than ^ (so -2^2 is 4); a run of them is read in a loop.
    Parsed parseUnary() {
        std::vector<Operator> signs;
        for (;;) {
            if (matchOperator("-"))
                signs.push_back(Operator::Negate);
            else if (matchOperator("+"))
                signs.push_back(Operator::Plus);
            else
                break;
        }
        Parsed operand = parsePostfix();
        for (auto it = signs.rbegin(); it != signs.rend(); ++it) {
            std::vector<Parsed> children;
            children.push_back(std::move(operand));
            operand = wrap(NodeKind::Unary, *it, std::move(children));
        }
        return operand;
    }

    Parsed parsePostfix() {
        Parsed operand = parsePrimary();
        while (matchOperator("%")) {
            std::vector<Parsed> children;
            children.push_back(std::move(operand));
            operand = wrap(NodeKind::Percent, Operator::None, std::move(children));
        }
        return operand;
    }

    struct NestingGuard {
        explicit NestingGuard(Parser& p) : parser(p) {
            if (++parser.nesting_ > kMaxFormulaNesting)
                parser.fail("The formula has more levels of nesting than allowed");
        }
        ~NestingGuard() { --parser.nesting_; }
        Parser& parser;
    };

    Parsed parsePrimary() {
        skipSpaces();
        if (atEnd())
            fail("An operand is missing");
        char c = peek();
        if (c == '(') {
            NestingGuard guard(*this);
            ++pos_;
            std::vector<Parsed> children;
            children.push_back(parseComparison());
            expect(')');
            return wrap(NodeKind::Paren, Operator::None, std::move(children));
        }
        if (c == '"')
            return parseString();
        if (c == '#')
            return parseErrorLiteral();
        if (c == '\'')
            return parseQualifiedReference(readQuotedSheetName());
        if (std::isdigit(static_cast<unsigned char>(c)) || c == '.' || c == '$') {
            if (auto ref = tryReference(""); ref.node)
                return ref;
            if (c != '$')
                return parseNumber();
        }
        if (isWordStart(c) || c == '$')
            return parseWord();
        fail("Unexpected character in the formula");
    }

    void expect(char c) {
        skipSpaces();
        if (peek() != c)
            fail(std::string("Expected '") + c + "'");
        ++pos_;
    }

    Parsed parseString() {
        ++pos_;
        Parsed p = makeNode(NodeKind::Text);
        for (;;) {
            if (atEnd())
                fail("A text is not closed with '\"'");
            char c = text_[pos_++];
            if (c == '"') {
                if (peek() != '"')
                    break;
                ++pos_;
            }
            p.node->text += c;
        }
        if (p.node->text.size() > 255)
            fail("A text in a formula is longer than 255 characters");
        return p;
    }

    Parsed parseErrorLiteral() {
        static const char* const kLiterals[] = {"#NULL!", "#DIV/0!", "#VALUE!", "#REF!",
                                                "#NAME?", "#NUM!",   "#N/A"};
        for (const char* literal : kLiterals) {
            size_t n = std::char_traits<char>::length(literal);
            if (upper(text_.substr(pos_, n)) == literal) {
                Parsed p = makeNode(NodeKind::Error);
                parseErrorText(literal, p.node->error);
                pos_ += n;
                return p;
            }
        }
        fail("Unknown error value");
    }

    Parsed parseNumber() {
        size_t start = pos_;
        while (std::isdigit(static_cast<unsigned char>(peek())))
            ++pos_;
        if (peek() == '.') {
            ++pos_;
            while (std::isdigit(static_cast<unsigned char>(peek())))
                ++pos_;
        }
        if ((peek() == 'E' || peek() == 'e') &&
            (std::isdigit(static_cast<unsigned char>(peek(1))) ||
             ((peek(1) == '+' || peek(1) == '-') &&
              std::isdigit(static_cast<unsigned char>(peek(2)))))) {
            pos_ += 2;
            while (std::isdigit(static_cast<unsigned char>(peek())))
                ++pos_;
        }
        std::string digits(text_.substr(start, pos_ - start));
        if (digits == ".") {
            pos_ = start;
            fail("A number is malformed");
        }
        double value = std::strtod(digits.c_str(), nullptr);
        if (!std::isfinite(value)) {
            pos_ = start;
            fail("A number is out of range");
        }
        Parsed p = makeNode(NodeKind::Number);
        p.node->number = value;
        return p;
    }

    std::string readQuotedSheetName() {
        size_t start = pos_++;
        std::string name;
        for (;;) {
            if (atEnd()) {
                pos_ = start;
                fail("A sheet name is not closed with a quote");
            }
            char c = text_[pos_++];
            if (c == '\'') {
                if (peek() != '\'')
                    break;
                ++pos_;
            }
            name += c;
        }
        if (name.empty() || peek() != '!')
            fail("A quoted sheet name must be followed by '!'");
        ++pos_;
        return name;
    }

    Parsed parseQualifiedReference(std::string sheet) {
        Parsed ref = tryReference(sheet);
        if (!ref.node)
            fail("A reference must follow the sheet name");
        return ref;
    }

    // Reads $?letters$?digits at pos; false (pos unchanged) when it is not a
    // cell address or is followed by a name character or '('.
    bool readCorner(RefCorner& corner) {
        size_t p = pos_;
        corner.columnAbsolute = p < text_.size() && text_[p] == '$';
        if (corner.columnAbsolute)
            ++p;
        size_t lettersStart = p;
        while (p < text_.size() && std::isalpha(static_cast<unsigned char>(text_[p])))
            ++p;
        if (p == lettersStart)
            return false;
        corner.rowAbsolute = p < text_.size() && text_[p] == '$';
        if (corner.rowAbsolute)
            ++p;
        size_t digitsStart = p;
        while (p < text_.size() && std::isdigit(static_cast<unsigned char>(text_[p])))
            ++p;
        if (p == digitsStart || (p < text_.size() && (isWordChar(text_[p]) || text_[p] == '(')))
            return false;
        std::string plain(text_.substr(lettersStart, p - lettersStart));
        plain.erase(std::remove(plain.begin(), plain.end(), '$'), plain.end());
        auto cell = parseCellAddress(plain);
        if (!cell)
            return false;
        corner.cell = *cell;
        pos_ = p;
        return true;
    }

    // Reads "$?letters" or "$?digits" for whole-column / whole-row ranges.
    bool readLine(bool columns, int32_t& index, bool& absolute) {
        size_t p = pos_;
        absolute = p < text_.size() && text_[p] == '$';
        if (absolute)
            ++p;
        size_t start = p;
        int64_t value = 0;
        while (p < text_.size()) {
            unsigned char c = static_cast<unsigned char>(text_[p]);
            if (columns ? !std::isalpha(c) : !std::isdigit(c))
                break;
            value = columns ? value * 26 + (std::toupper(c) - 'A' + 1) : value * 10 + (c - '0');
            if (value > (columns ? kMaxColumns : kMaxRows))
                return false;
            ++p;
        }
        if (p == start || value == 0 ||
            (p < text_.size() && (isWordChar(text_[p]) || text_[p] == '(')))
            return false;
        index = static_cast<int32_t>(value - 1);
        pos_ = p;
        return true;
    }

    Parsed referenceNode(const std::string& sheet, RefCorner first, RefCorner last, bool area) {
        Parsed p = makeNode(area ? NodeKind::Area : NodeKind::Reference);
        p.node->sheet = sheet;
        p.node->first = first;
        p.node->last = area ? last : first;
        return p;
    }

    // A cell, area, whole-column or whole-row reference at pos; a null node
    // (pos unchanged) when there is none.
    Parsed tryReference(const std::string& sheet) {
        size_t start = pos_;
        RefCorner first, last;
        if (readCorner(first)) {
            size_t afterFirst = pos_;
            if (peek() == ':') {
                ++pos_;
                if (readCorner(last))
                    return referenceNode(sheet, first, last, true);
            }
            pos_ = afterFirst;
            return referenceNode(sheet, first, first, false);
        }
        for (bool columns : {true, false}) {
            pos_ = start;
            int32_t a, b;
            bool absA, absB;
            if (readLine(columns, a, absA) && peek() == ':') {
                ++pos_;
                if (readLine(columns, b, absB)) {
                    if (columns) {
                        first = {{0, a}, true, absA};
                        last = {{kMaxRows - 1, b}, true, absB};
                    } else {
                        first = {{a, 0}, absA, true};
                        last = {{b, kMaxColumns - 1}, absB, true};
                    }
                    return referenceNode(sheet, first, last, true);
                }
            }
        }
        pos_ = start;
        return {};
    }

    Parsed parseWord() {
        size_t start = pos_;
        if (peek() == '$')
            ++pos_;
        while (isWordChar(peek()))
            ++pos_;
        std::string_view word = text_.substr(start, pos_ - start);
        if (peek() == '!') {
            if (word.empty() || word[0] == '$')
                fail("A sheet name is malformed");
            ++pos_;
            return parseQualifiedReference(std::string(word));
        }
        pos_ = start;
        if (auto ref = tryReference(""); ref.node)
            return ref;
        pos_ = start + word.size();
        if (word.empty() || word[0] == '$')
            fail("A reference is malformed");
        std::string name = upper(word);
        skipSpaces();
        if (peek() == '(')
            return parseFunction(std::move(name));
        if (name == "TRUE" || name == "FALSE") {
            Parsed p = makeNode(NodeKind::Boolean);
            p.node->boolean = name == "TRUE";
            return p;
        }
        Parsed p = makeNode(NodeKind::Name);
        p.node->text = std::string(word);
        return p;
    }

    Parsed parseFunction(std::string name) {
        NestingGuard guard(*this);
        ++pos_; // '('
        std::vector<Parsed> args;
        skipSpaces();
        if (peek() == ')') {
            ++pos_;
        } else {
            for (;;) {
                skipSpaces();
                if (peek() == ',' || peek() == ';' || peek() == ')')
                    args.push_back(makeNode(NodeKind::Missing));
                else
                    args.push_back(parseComparison());
                skipSpaces();
                if (peek() == ',' || peek() == ';') {
                    ++pos_;
                    continue;
                }
                expect(')');
                break;
            }
        }
        if (args.size() > 255)
            fail("A function has too many arguments");
        Parsed p = wrap(NodeKind::Function, Operator::None, std::move(args));
        p.node->text = std::move(name);
        return p;
    }

    std::string_view text_;
    size_t pos_ = 0;
    int nesting_ = 0;
};

} // namespace

FormulaParseResult parseFormula(std::string_view text) {
    FormulaParseResult result;
    if (text.size() > kMaxFormulaLength) {
        result.error = "The formula is too long";
        result.errorOffset = kMaxFormulaLength;
        return result;
    }
    try {
        result.root = Parser(text).parseAll();
    } catch (const ParseError& e) {
        result.error = e.message;
        result.errorOffset = e.offset;
    }
    return result;
}

FormulaPtr makeFormula(std::string_view text, std::string* error) {
    FormulaParseResult parsed = parseFormula(text);
    if (!parsed) {
        if (error)
            *error = parsed.error;
        return nullptr;
    }
    return makeFormula(std::move(parsed.root));
}

} // namespace spreadsheet
