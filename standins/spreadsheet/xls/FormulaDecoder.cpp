#include "FormulaTokens.h"

#include "FunctionTable.h"
#include "LittleEndian.h"

#include "TextCodec.h"

#include <algorithm>

namespace xls {

using spreadsheet::FormulaNode;
using spreadsheet::FormulaNodePtr;
using spreadsheet::NodeKind;
using spreadsheet::Operator;
using spreadsheet::RefCorner;

namespace {

// Too deep a stack or tree means a hostile token array; real formulas stay far
// below, and the tree's users recurse over it.
constexpr size_t kMaxStack = 1024;
constexpr uint32_t kMaxDepth = 1024;

// ptgAdd (0x03) .. ptgRange (0x11); None marks the ones the engine's grammar lacks.
constexpr Operator kBinaryOperators[] = {
    Operator::Add,
    Operator::Subtract,
    Operator::Multiply,
    Operator::Divide,
    Operator::Power,
    Operator::Concat,
    Operator::Less,
    Operator::LessEqual,
    Operator::Equal,
    Operator::GreaterEqual,
    Operator::Greater,
    Operator::NotEqual,
    Operator::None /* intersection */,
    Operator::None /* union */,
    Operator::Range,
};

FormulaNodePtr node(NodeKind kind) {
    auto n = std::make_unique<FormulaNode>();
    n->kind = kind;
    return n;
}

RefCorner corner(uint16_t row, uint16_t columnField, bool offsets, uint16_t baseRow,
                 uint16_t baseColumn) {
    RefCorner c;
    c.columnAbsolute = (columnField & 0x4000) == 0;
    c.rowAbsolute = (columnField & 0x8000) == 0;
    uint16_t r = row;
    uint16_t column = columnField & 0xFF;
    if (offsets) {
        // Shared formulas store offsets from the cell that uses them.
        if (!c.rowAbsolute) {
            r = static_cast<uint16_t>(baseRow + row);
        }
        if (!c.columnAbsolute) {
            column = static_cast<uint8_t>(baseColumn + static_cast<int8_t>(column));
        }
    }
    c.cell = {r, column};
    return c;
}

class Decoder {
public:
    Decoder(std::span<const uint8_t> tokens, const FormulaContext& context)
        : tokens_(tokens), context_(context) {
        // Most formulas never hold more operands at once: one allocation each.
        stack_.reserve(8);
    }

    FormulaNodePtr run(std::string& why) {
        while (position_ < tokens_.size()) {
            if (!step()) {
                why = why_.empty() ? "malformed formula tokens" : why_;
                return nullptr;
            }
        }
        if (stack_.size() != 1) {
            why = "malformed formula tokens";
            return nullptr;
        }
        return std::move(stack_.back().node);
    }

private:
    bool need(size_t bytes) const { return position_ + bytes <= tokens_.size(); }
    const uint8_t* at() const { return tokens_.data() + position_; }
    bool push(FormulaNodePtr value, uint32_t depth = 1) {
        if (stack_.size() >= kMaxStack || depth > kMaxDepth) {
            return false;
        }
        stack_.push_back({std::move(value), depth});
        return true;
    }
    bool wrap(NodeKind kind, Operator op, size_t operands) {
        if (stack_.size() < operands) {
            return false;
        }
        FormulaNodePtr n = node(kind);
        n->op = op;
        uint32_t depth = 0;
        n->children.reserve(operands);
        for (size_t i = stack_.size() - operands; i < stack_.size(); ++i) {
            n->children.push_back(std::move(stack_[i].node));
            depth = std::max(depth, stack_[i].depth);
        }
        stack_.resize(stack_.size() - operands);
        return push(std::move(n), depth + 1);
    }
    bool unsupported(const char* what) {
        why_ = what;
        return false;
    }

    bool sheetOf(uint16_t ixti, std::string& sheet) {
        if (ixti >= context_.externSheets.size()) {
            return unsupported("sheet reference outside EXTERNSHEET");
        }
        const ExternSheetRef& ref = context_.externSheets[ixti];
        if (ref.supBook >= context_.supBookIsInternal.size() ||
            !context_.supBookIsInternal[ref.supBook]) {
            return unsupported("reference to another workbook");
        }
        if (ref.firstSheet >= context_.sheetNames.size() || ref.lastSheet != ref.firstSheet) {
            return unsupported("reference to a deleted sheet or a range of sheets");
        }
        sheet = context_.sheetNames[ref.firstSheet];
        return true;
    }

    bool function(const FunctionInfo* info, size_t argc) {
        if (info == nullptr) {
            return unsupported("unknown function");
        }
        if (!wrap(NodeKind::Function, Operator::None, argc)) {
            return false;
        }
        stack_.back().node->text = info->name;
        return true;
    }

    bool attribute() {
        if (!need(3)) {
            return false;
        }
        const uint8_t flags = at()[0];
        const uint16_t data = le::u16(at() + 1);
        position_ += 3;
        if (flags & 0x04) { // CHOOSE jump table
            const size_t table = (static_cast<size_t>(data) + 1) * 2;
            if (!need(table)) {
                return false;
            }
            position_ += table;
        }
        if (flags & 0x10) { // SUM with its one argument
            return function(functionByIndex(4), 1);
        }
        return true; // spaces, jumps and volatility change nothing in the tree
    }

    bool stringToken() {
        if (!need(2)) {
            return false;
        }
        const uint8_t chars = at()[0];
        const bool wide = (at()[1] & 0x01) != 0;
        position_ += 2;
        const size_t bytes = static_cast<size_t>(chars) * (wide ? 2 : 1);
        if (!need(bytes)) {
            return false;
        }
        FormulaNodePtr n = node(NodeKind::Text);
        char16_t pending = 0;
        for (size_t i = 0; i < chars; ++i) {
            appendUtf16(n->text, wide ? le::u16(at() + 2 * i) : at()[i], pending);
        }
        position_ += bytes;
        return push(std::move(n));
    }

    bool reference(bool area, bool offsets, size_t size, const std::string* sheet) {
        if (!need(size)) {
            return false;
        }
        const uint8_t* p = at() + (sheet ? 2 : 0);
        FormulaNodePtr n = node(area ? NodeKind::Area : NodeKind::Reference);
        if (area) {
            n->first = corner(le::u16(p), le::u16(p + 4), offsets, context_.row, context_.column);
            n->last =
                corner(le::u16(p + 2), le::u16(p + 6), offsets, context_.row, context_.column);
        } else {
            // A single cell is its own last corner, as the engine's parser makes it.
            n->first = corner(le::u16(p), le::u16(p + 2), offsets, context_.row, context_.column);
            n->last = n->first;
        }
        if (sheet) {
            n->sheet = *sheet;
        }
        position_ += size;
        return push(std::move(n));
    }

    bool name() {
        if (!need(4)) {
            return false;
        }
        const uint16_t index = le::u16(at());
        position_ += 4;
        if (index == 0 || index > context_.names.size()) {
            return unsupported("name index outside the NAME records");
        }
        const std::string& text = context_.names[index - 1];
        if (text.empty()) {
            return unsupported("built-in or macro name");
        }
        FormulaNodePtr n = node(NodeKind::Name);
        n->text = text;
        return push(std::move(n));
    }

    bool errorNode(spreadsheet::ErrorCode code) {
        FormulaNodePtr n = node(NodeKind::Error);
        n->error = code;
        return push(std::move(n));
    }

    bool operand(uint8_t base) {
        switch (base) {
        case 0x23: // ptgName
            return name();
        case 0x39:
            return unsupported("name of another workbook or add-in");
        case 0x20:
            return unsupported("array constants");
        case 0x24:
        case 0x2C: // ptgRef, ptgRefN
            return reference(false, base == 0x2C, 4, nullptr);
        case 0x25:
        case 0x2D: // ptgArea, ptgAreaN
            return reference(true, base == 0x2D, 8, nullptr);
        case 0x26:
        case 0x27:
        case 0x28: // ptgMemArea, ptgMemErr, ptgMemNoMem: the subexpression follows
            if (!need(6)) {
                return false;
            }
            position_ += 6;
            return true;
        case 0x29:
        case 0x2E: // ptgMemFunc, ptgMemAreaN
            if (!need(2)) {
                return false;
            }
            position_ += 2;
            return true;
        case 0x2A:
        case 0x2B: { // ptgRefErr, ptgAreaErr
            const size_t size = base == 0x2B ? 8 : 4;
            if (!need(size)) {
                return false;
            }
            position_ += size;
            return errorNode(spreadsheet::ErrorCode::Ref);
        }
        case 0x3A:
        case 0x3B: { // ptgRef3d, ptgArea3d
            if (!need(2)) {
                return false;
            }
            std::string sheet;
            if (!sheetOf(le::u16(at()), sheet)) {
                return false;
            }
            return reference(base == 0x3B, false, base == 0x3B ? 10 : 6, &sheet);
        }
        case 0x3C:
        case 0x3D: {
            const size_t size = base == 0x3D ? 10 : 6;
            if (!need(size)) {
                return false;
            }
            position_ += size;
            return errorNode(spreadsheet::ErrorCode::Ref);
        }
        case 0x21: { // ptgFunc
            if (!need(2)) {
                return false;
            }
            const FunctionInfo* info = functionByIndex(le::u16(at()));
            position_ += 2;
            return function(info, info ? info->minArgs : 0);
        }
        case 0x22: { // ptgFuncVar
            if (!need(3)) {
                return false;
            }
            const uint8_t argc = at()[0] & 0x7F;
            const uint16_t index = le::u16(at() + 1);
            position_ += 3;
            if (index & 0x8000) {
                return unsupported("command-equivalent function");
            }
            return function(functionByIndex(index), argc);
        }
        default:
            return unsupported("unsupported formula token");
        }
    }

    bool step() {
        const uint8_t ptg = tokens_[position_++];
        if (ptg >= 0x20 && ptg < 0x80) {
            return operand(static_cast<uint8_t>((ptg & 0x1F) | 0x20));
        }
        if (ptg >= 0x03 && ptg <= 0x11) {
            const Operator op = kBinaryOperators[ptg - 0x03];
            if (op == Operator::None) {
                return unsupported("union or intersection operator");
            }
            return wrap(NodeKind::Binary, op, 2);
        }
        FormulaNodePtr n;
        switch (ptg) {
        case 0x01:
        case 0x02:
            return unsupported("shared, array or table formula without its definition");
        case 0x12:
            return wrap(NodeKind::Unary, Operator::Plus, 1);
        case 0x13:
            return wrap(NodeKind::Unary, Operator::Negate, 1);
        case 0x14:
            return wrap(NodeKind::Percent, Operator::None, 1);
        case 0x15:
            return wrap(NodeKind::Paren, Operator::None, 1);
        case 0x16:
            return push(node(NodeKind::Missing));
        case 0x17:
            return stringToken();
        case 0x19:
            return attribute();
        case 0x1C:
            if (!need(1)) {
                return false;
            }
            return errorNode(static_cast<spreadsheet::ErrorCode>(tokens_[position_++]));
        case 0x1D:
            if (!need(1)) {
                return false;
            }
            n = node(NodeKind::Boolean);
            n->boolean = tokens_[position_++] != 0;
            return push(std::move(n));
        case 0x1E:
        case 0x1F:
            if (!need(ptg == 0x1E ? 2 : 8)) {
                return false;
            }
            n = node(NodeKind::Number);
            n->number = ptg == 0x1E ? le::u16(at()) : le::f64(at());
            position_ += ptg == 0x1E ? 2 : 8;
            return push(std::move(n));
        default:
            return unsupported("unsupported formula token");
        }
    }

    std::span<const uint8_t> tokens_;
    const FormulaContext& context_;
    size_t position_ = 0;
    struct Operand {
        FormulaNodePtr node;
        uint32_t depth = 1; // of the subtree, bounded by kMaxDepth
    };
    std::vector<Operand> stack_;
    std::string why_;
};

} // namespace

FormulaNodePtr decodeFormula(std::span<const uint8_t> tokens, const FormulaContext& context,
                             std::string& why) {
    return Decoder(tokens, context).run(why);
}

} // namespace xls
