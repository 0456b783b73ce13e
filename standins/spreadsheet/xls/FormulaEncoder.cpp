#include "FormulaTokens.h"

#include "FunctionTable.h"
#include "LittleEndian.h"
#include "TextCodec.h"

#include <algorithm>
#include <cctype>
#include <cmath>

namespace xls {

using spreadsheet::FormulaNode;
using spreadsheet::NodeKind;
using spreadsheet::Operator;
using spreadsheet::RefCorner;

namespace {

// The largest token array the spreadsheet application accepts in a cell.
constexpr size_t kMaxTokenBytes = 1800;

enum class TokenClass : uint8_t { Reference = 0x20, Value = 0x40, Array = 0x60 };

bool sameText(const std::string& a, const std::string& b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

uint8_t binaryToken(Operator op) {
    switch (op) {
    case Operator::Add:
        return 0x03;
    case Operator::Subtract:
        return 0x04;
    case Operator::Multiply:
        return 0x05;
    case Operator::Divide:
        return 0x06;
    case Operator::Power:
        return 0x07;
    case Operator::Concat:
        return 0x08;
    case Operator::Less:
        return 0x09;
    case Operator::LessEqual:
        return 0x0A;
    case Operator::Equal:
        return 0x0B;
    case Operator::GreaterEqual:
        return 0x0C;
    case Operator::Greater:
        return 0x0D;
    case Operator::NotEqual:
        return 0x0E;
    case Operator::Range:
        return 0x11;
    default:
        return 0;
    }
}

class Encoder {
public:
    // The tokens are appended after whatever `out` already holds (the formulas
    // of a whole sheet share one buffer); only this formula's share counts
    // against the limit.
    Encoder(EncodeContext& context, std::vector<uint8_t>& out)
        : context_(context), out_(out), start_(out.size()) {}

    bool run(const FormulaNode& root, std::string& why) {
        const size_t sheets = context_.externSheets.size();
        const size_t names = context_.names.size();
        const TokenClass rootClass =
            context_.definitionSheet.empty() ? valueClass() : TokenClass::Reference;
        if (!emit(root, rootClass) || tooLong()) {
            why = why_.empty() ? "formula too long for the file format" : why_;
            out_.resize(start_);
            context_.externSheets.resize(sheets);
            context_.names.resize(names);
            return false;
        }
        return true;
    }

private:
    bool refuse(std::string why) {
        why_ = std::move(why);
        return false;
    }

    bool corner(const RefCorner& c, uint16_t& row, uint16_t& column) {
        if (c.cell.row < 0 || c.cell.row > 65535 || c.cell.column < 0 || c.cell.column > 255) {
            return refuse("reference outside the grid");
        }
        row = static_cast<uint16_t>(c.cell.row);
        column = static_cast<uint16_t>(c.cell.column | (c.columnAbsolute ? 0 : 0x4000) |
                                       (c.rowAbsolute ? 0 : 0x8000));
        return true;
    }

    TokenClass valueClass() const {
        return context_.arrayFormula ? TokenClass::Array : TokenClass::Value;
    }

    bool sheetIndex(const std::string& name, uint16_t& ixti) {
        const auto& names = context_.sheetNames;
        const auto it = std::find_if(names.begin(), names.end(),
                                     [&](const std::string& n) { return sameText(n, name); });
        if (it == names.end()) {
            return refuse("reference to a sheet that is not saved: " + name);
        }
        const ExternSheetRef ref{0, static_cast<uint16_t>(it - names.begin()),
                                 static_cast<uint16_t>(it - names.begin())};
        auto& refs = context_.externSheets;
        const auto known = std::find(refs.begin(), refs.end(), ref);
        ixti = static_cast<uint16_t>(known - refs.begin());
        if (known == refs.end()) {
            refs.push_back(ref);
        }
        return true;
    }

    bool reference(const FormulaNode& n, TokenClass cls) {
        const bool area = n.kind == NodeKind::Area;
        uint16_t r1, c1, r2 = 0, c2 = 0;
        if (!corner(n.first, r1, c1) || (area && !corner(n.last, r2, c2))) {
            return false;
        }
        uint16_t ixti = 0;
        // A name's definition holds only references with their sheet.
        const std::string& sheet = n.sheet.empty() ? context_.definitionSheet : n.sheet;
        const bool external = !sheet.empty();
        if (external && !sheetIndex(sheet, ixti)) {
            return false;
        }
        const uint8_t base = external ? (area ? 0x1B : 0x1A) : (area ? 0x05 : 0x04);
        out_.push_back(static_cast<uint8_t>(base | static_cast<uint8_t>(cls)));
        if (external) {
            le::put16(out_, ixti);
        }
        le::put16(out_, r1);
        if (area) {
            le::put16(out_, r2);
        }
        le::put16(out_, c1);
        if (area) {
            le::put16(out_, c2);
        }
        return true;
    }

    // The sheet's own name first, then the workbook's, as formulas see them.
    bool name(const FormulaNode& n, TokenClass cls) {
        const auto& names = context_.names;
        const auto scoped = [&](int32_t sheet) {
            return std::find_if(names.begin(), names.end(), [&](const NameRef& r) {
                return r.sheet == sheet && sameText(r.name, n.text);
            });
        };
        auto it = context_.sheet >= 0 ? scoped(context_.sheet) : names.end();
        if (it == names.end()) {
            it = scoped(-1);
        }
        if (it == names.end() && !context_.addMissingNames) {
            return refuse("name without a definition: " + n.text);
        }
        const size_t index = static_cast<size_t>(it - names.begin());
        if (it == names.end()) {
            context_.names.push_back({n.text, -1});
        }
        out_.push_back(static_cast<uint8_t>(0x03 | static_cast<uint8_t>(cls)));
        le::put16(out_, static_cast<uint16_t>(index + 1));
        le::put16(out_, 0);
        return true;
    }

    bool text(const std::string& value) {
        const std::u16string units = utf8ToUtf16(value);
        if (units.size() > 255) {
            return refuse("text constant longer than 255 characters");
        }
        const bool wide = !fitsCompressed(units);
        out_.push_back(0x17);
        out_.push_back(static_cast<uint8_t>(units.size()));
        out_.push_back(wide ? 1 : 0);
        for (char16_t u : units) {
            if (wide) {
                le::put16(out_, u);
            } else {
                out_.push_back(static_cast<uint8_t>(u));
            }
        }
        return true;
    }

    bool function(const FormulaNode& n) {
        const FunctionInfo* info = functionByName(n.text);
        if (info == nullptr) {
            return refuse("function the file format does not know: " + n.text);
        }
        const size_t argc = n.children.size();
        if (argc < info->minArgs || argc > info->maxArgs) {
            return refuse("wrong number of arguments for " + n.text);
        }
        for (const auto& child : n.children) {
            if (!emit(*child, TokenClass::Reference)) {
                return false;
            }
        }
        if (info->fixed()) {
            out_.push_back(0x41);
        } else {
            out_.push_back(0x42);
            out_.push_back(static_cast<uint8_t>(argc));
        }
        le::put16(out_, info->index);
        return true;
    }

    bool tooLong() const { return out_.size() - start_ > kMaxTokenBytes; }

    bool emit(const FormulaNode& n, TokenClass cls) {
        if (tooLong()) {
            return false;
        }
        switch (n.kind) {
        case NodeKind::Number:
            if (n.number >= 0 && n.number <= 65535 && n.number == std::floor(n.number)) {
                out_.push_back(0x1E);
                le::put16(out_, static_cast<uint16_t>(n.number));
            } else {
                out_.push_back(0x1F);
                le::putF64(out_, n.number);
            }
            return true;
        case NodeKind::Text:
            return text(n.text);
        case NodeKind::Boolean:
            out_.push_back(0x1D);
            out_.push_back(n.boolean ? 1 : 0);
            return true;
        case NodeKind::Error:
            out_.push_back(0x1C);
            out_.push_back(static_cast<uint8_t>(n.error));
            return true;
        case NodeKind::Reference:
        case NodeKind::Area:
            return reference(n, cls);
        case NodeKind::Name:
            return name(n, cls);
        case NodeKind::Unary:
        case NodeKind::Percent:
        case NodeKind::Paren:
            if (n.children.size() != 1 || !emit(*n.children[0], cls)) {
                return n.children.size() != 1 ? refuse("malformed formula") : false;
            }
            out_.push_back(n.kind == NodeKind::Percent ? 0x14
                           : n.kind == NodeKind::Paren ? 0x15
                           : n.op == Operator::Negate  ? 0x13
                                                       : 0x12);
            return true;
        case NodeKind::Binary: {
            const uint8_t token = binaryToken(n.op);
            if (token == 0 || n.children.size() != 2) {
                return refuse("operator the file format does not know");
            }
            // The operands of ':' are references; every other operator takes values.
            const TokenClass operands = token == 0x11 ? TokenClass::Reference : valueClass();
            if (!emit(*n.children[0], operands) || !emit(*n.children[1], operands)) {
                return false;
            }
            out_.push_back(token);
            return true;
        }
        case NodeKind::Function:
            return function(n);
        case NodeKind::Missing:
            out_.push_back(0x16);
            return true;
        }
        return refuse("malformed formula");
    }

    EncodeContext& context_;
    std::vector<uint8_t>& out_;
    const size_t start_;
    std::string why_;
};

} // namespace

bool encodeFormula(const FormulaNode& root, EncodeContext& context, std::vector<uint8_t>& tokens,
                   std::string& why) {
    return Encoder(context, tokens).run(root, why);
}

} // namespace xls
