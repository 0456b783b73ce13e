#include "FormulaAst.h"

#include "BlockPool.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <iterator>

namespace spreadsheet {

void* FormulaNode::operator new(size_t size) {
    return allocatePooled(size);
}

void FormulaNode::operator delete(void* node, size_t size) noexcept {
    releasePooled(node, size);
}

namespace {

const char* operatorText(Operator op) {
    switch (op) {
    case Operator::Negate:
    case Operator::Subtract:
        return "-";
    case Operator::Plus:
    case Operator::Add:
        return "+";
    case Operator::Multiply:
        return "*";
    case Operator::Divide:
        return "/";
    case Operator::Power:
        return "^";
    case Operator::Concat:
        return "&";
    case Operator::Equal:
        return "=";
    case Operator::NotEqual:
        return "<>";
    case Operator::Less:
        return "<";
    case Operator::LessEqual:
        return "<=";
    case Operator::Greater:
        return ">";
    case Operator::GreaterEqual:
        return ">=";
    case Operator::Range:
        return ":";
    case Operator::None:
        break;
    }
    return "";
}

void appendNumber(std::string& out, double value) {
    char buffer[32];
    // Whole numbers print as "%.15G" prints them, without its cost; -0 keeps
    // its sign through the general path.
    if (value == std::trunc(value) && std::fabs(value) < 1e15 &&
        !(value == 0 && std::signbit(value))) {
        const auto [end, ec] =
            std::to_chars(std::begin(buffer), std::end(buffer), static_cast<int64_t>(value));
        out.append(buffer, end);
        return;
    }
    const int length = std::snprintf(buffer, sizeof buffer, "%.15G", value);
    if (length > 0) {
        out.append(buffer, std::min(static_cast<size_t>(length), sizeof buffer - 1));
    }
}

void appendCorner(std::string& out, const RefCorner& c) {
    appendCellAddress(out, c.cell, c.rowAbsolute, c.columnAbsolute);
}

void appendSheetPrefix(std::string& out, const FormulaNode& node) {
    if (!node.sheet.empty()) {
        out += quoteSheetName(node.sheet);
        out += '!';
    }
}

void print(const FormulaNode& node, std::string& out) {
    switch (node.kind) {
    case NodeKind::Number:
        appendNumber(out, node.number);
        break;
    case NodeKind::Text:
        out += '"';
        for (char c : node.text) {
            if (c == '"')
                out += '"';
            out += c;
        }
        out += '"';
        break;
    case NodeKind::Boolean:
        out += node.boolean ? "TRUE" : "FALSE";
        break;
    case NodeKind::Error:
        out += errorText(node.error);
        break;
    case NodeKind::Reference:
        appendSheetPrefix(out, node);
        appendCorner(out, node.first);
        break;
    case NodeKind::Area:
        appendSheetPrefix(out, node);
        appendCorner(out, node.first);
        out += ':';
        appendCorner(out, node.last);
        break;
    case NodeKind::Name:
        out += node.text;
        break;
    case NodeKind::Unary:
        out += operatorText(node.op);
        if (!node.children.empty())
            print(*node.children[0], out);
        break;
    case NodeKind::Percent:
        if (!node.children.empty())
            print(*node.children[0], out);
        out += '%';
        break;
    case NodeKind::Binary:
        if (node.children.size() == 2) {
            print(*node.children[0], out);
            out += operatorText(node.op);
            print(*node.children[1], out);
        }
        break;
    case NodeKind::Paren:
        out += '(';
        if (!node.children.empty())
            print(*node.children[0], out);
        out += ')';
        break;
    case NodeKind::Function:
        out += node.text;
        out += '(';
        for (size_t i = 0; i < node.children.size(); ++i) {
            if (i)
                out += ',';
            print(*node.children[i], out);
        }
        out += ')';
        break;
    case NodeKind::Missing:
        break;
    }
}

} // namespace

std::string formatFormula(const FormulaNode& root) {
    std::string text = "=";
    print(root, text);
    return text;
}

std::string quoteSheetName(const std::string& name) {
    // Unquoted names start as a word does: a letter, '_' or a non-ASCII byte.
    unsigned char first = name.empty() ? 0 : static_cast<unsigned char>(name[0]);
    bool plain = std::isalpha(first) || first == '_' || first >= 0x80;
    for (char c : name) {
        unsigned char u = static_cast<unsigned char>(c);
        if (!(std::isalnum(u) || c == '_' || c == '.' || u >= 0x80))
            plain = false;
    }
    // A name that reads as a cell address or a boolean must be quoted too.
    if (plain && (parseCellAddress(name) || name == "TRUE" || name == "FALSE"))
        plain = false;
    if (plain)
        return name;
    std::string quoted = "'";
    for (char c : name) {
        if (c == '\'')
            quoted += '\'';
        quoted += c;
    }
    return quoted + "'";
}

FormulaNodePtr cloneNode(const FormulaNode& node) {
    auto copy = std::make_unique<FormulaNode>();
    copy->kind = node.kind;
    copy->op = node.op;
    copy->number = node.number;
    copy->boolean = node.boolean;
    copy->error = node.error;
    copy->text = node.text;
    copy->sheet = node.sheet;
    copy->first = node.first;
    copy->last = node.last;
    for (const auto& child : node.children)
        copy->children.push_back(cloneNode(*child));
    return copy;
}

namespace {

bool moveCorner(RefCorner& corner, int32_t rows, int32_t columns) {
    if (!corner.rowAbsolute)
        corner.cell.row += rows;
    if (!corner.columnAbsolute)
        corner.cell.column += columns;
    return corner.cell.row >= 0 && corner.cell.row < kMaxRows && corner.cell.column >= 0 &&
           corner.cell.column < kMaxColumns;
}

void offsetNode(FormulaNode& node, int32_t rows, int32_t columns) {
    if (node.kind == NodeKind::Reference || node.kind == NodeKind::Area) {
        bool inside = moveCorner(node.first, rows, columns);
        inside = moveCorner(node.last, rows, columns) && inside;
        if (!inside) {
            node.kind = NodeKind::Error;
            node.error = ErrorCode::Ref;
        }
    }
    for (auto& child : node.children)
        offsetNode(*child, rows, columns);
}

} // namespace

FormulaPtr offsetFormula(const Formula& formula, int32_t rows, int32_t columns) {
    FormulaNodePtr root = cloneNode(*formula.root);
    offsetNode(*root, rows, columns);
    return makeFormula(std::move(root));
}

FormulaPtr makeFormula(FormulaNodePtr root) {
    if (!root)
        return nullptr;
    auto formula = std::allocate_shared<Formula>(PooledAllocator<Formula>());
    formula->text = formatFormula(*root);
    formula->root = std::move(root);
    return formula;
}

FormulaPtr makeArrayFormula(FormulaNodePtr root, const CellArea& area) {
    if (!root)
        return nullptr;
    auto formula = std::allocate_shared<Formula>(PooledAllocator<Formula>());
    formula->text = formatFormula(*root);
    formula->root = std::move(root);
    formula->array = area;
    return formula;
}

} // namespace spreadsheet
