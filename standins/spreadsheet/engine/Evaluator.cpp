#include "Evaluator.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace spreadsheet {

namespace {

// Nested cell evaluations beyond this are deferred to the work list.
constexpr int kMaxCellDepth = 64;
// Names that refer to names deeper than this are taken as endless.
constexpr size_t kMaxNameDepth = 64;

std::string upper(std::string s) {
    for (char& c : s)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

std::string trimmed(const std::string& s) {
    size_t b = s.find_first_not_of(' ');
    if (b == std::string::npos)
        return {};
    return s.substr(b, s.find_last_not_of(' ') - b + 1);
}

// Ordering of the comparison operators: numbers < texts < booleans.
int typeRank(const CellValue& v) {
    switch (v.kind) {
    case ValueKind::Text:
        return 1;
    case ValueKind::Boolean:
        return 2;
    default:
        return 0;
    }
}

int compareValues(CellValue a, CellValue b) {
    // An empty cell compares as the other side's zero value.
    auto blankLike = [](const CellValue& other) {
        switch (other.kind) {
        case ValueKind::Text:
            return CellValue::fromText("");
        case ValueKind::Boolean:
            return CellValue::fromBoolean(false);
        default:
            return CellValue::fromNumber(0);
        }
    };
    if (a.isEmpty())
        a = blankLike(b);
    if (b.isEmpty())
        b = blankLike(a);
    int ra = typeRank(a), rb = typeRank(b);
    if (ra != rb)
        return ra < rb ? -1 : 1;
    if (a.kind == ValueKind::Text) {
        std::string x = upper(a.text), y = upper(b.text);
        return x < y ? -1 : (x > y ? 1 : 0);
    }
    double x = a.kind == ValueKind::Boolean ? a.boolean : a.number;
    double y = b.kind == ValueKind::Boolean ? b.boolean : b.number;
    return x < y ? -1 : (x > y ? 1 : 0);
}

} // namespace

bool toNumber(const CellValue& v, double& out, CellValue& error) {
    switch (v.kind) {
    case ValueKind::Empty:
        out = 0;
        return true;
    case ValueKind::Number:
        out = v.number;
        return true;
    case ValueKind::Boolean:
        out = v.boolean ? 1 : 0;
        return true;
    case ValueKind::Error:
        error = v;
        return false;
    case ValueKind::Text: {
        std::string t = trimmed(v.text);
        bool percent = !t.empty() && t.back() == '%';
        if (percent)
            t.pop_back();
        char* end = nullptr;
        double n = t.empty() ? 0 : std::strtod(t.c_str(), &end);
        if (t.empty() || end != t.c_str() + t.size() || !std::isfinite(n) ||
            t.find_first_of("xXnN") != std::string::npos) {
            error = CellValue::fromError(ErrorCode::Value);
            return false;
        }
        out = percent ? n / 100 : n;
        return true;
    }
    }
    return false;
}

std::string numberText(double value) {
    if (value == 0)
        return "0";
    char buffer[40];
    std::snprintf(buffer, sizeof buffer, "%.15G", value);
    return buffer;
}

std::string toText(const CellValue& v) {
    switch (v.kind) {
    case ValueKind::Number:
        return numberText(v.number);
    case ValueKind::Text:
        return v.text;
    case ValueKind::Boolean:
        return v.boolean ? "TRUE" : "FALSE";
    case ValueKind::Error:
        return errorText(v.error);
    case ValueKind::Empty:
        break;
    }
    return {};
}

CellValue numberResult(double value) {
    if (!std::isfinite(value))
        return CellValue::fromError(ErrorCode::Num);
    return CellValue::fromNumber(value == 0 ? 0 : value);
}

namespace {

CellValue applyUnary(const FormulaNode& node, const CellValue& v) {
    double n;
    CellValue error;
    if (!toNumber(v, n, error))
        return error;
    if (node.kind == NodeKind::Percent)
        return numberResult(n / 100);
    return numberResult(node.op == Operator::Negate ? -n : n);
}

CellValue applyBinary(Operator op, const CellValue& a, const CellValue& b) {
    if (a.isError())
        return a;
    if (b.isError())
        return b;
    switch (op) {
    case Operator::Concat:
        return CellValue::fromText(toText(a) + toText(b));
    case Operator::Equal:
        return CellValue::fromBoolean(compareValues(a, b) == 0);
    case Operator::NotEqual:
        return CellValue::fromBoolean(compareValues(a, b) != 0);
    case Operator::Less:
        return CellValue::fromBoolean(compareValues(a, b) < 0);
    case Operator::LessEqual:
        return CellValue::fromBoolean(compareValues(a, b) <= 0);
    case Operator::Greater:
        return CellValue::fromBoolean(compareValues(a, b) > 0);
    case Operator::GreaterEqual:
        return CellValue::fromBoolean(compareValues(a, b) >= 0);
    default:
        break;
    }
    double x, y;
    CellValue error;
    if (!toNumber(a, x, error) || !toNumber(b, y, error))
        return error;
    switch (op) {
    case Operator::Add:
        return numberResult(x + y);
    case Operator::Subtract:
        return numberResult(x - y);
    case Operator::Multiply:
        return numberResult(x * y);
    case Operator::Divide:
        if (y == 0)
            return CellValue::fromError(ErrorCode::Div0);
        return numberResult(x / y);
    case Operator::Power:
        if (x == 0 && y <= 0)
            return CellValue::fromError(y == 0 ? ErrorCode::Num : ErrorCode::Div0);
        if (x < 0 && y != std::floor(y))
            return CellValue::fromError(ErrorCode::Num);
        return numberResult(std::pow(x, y));
    default:
        return CellValue::fromError(ErrorCode::Value);
    }
}

CellValue numberZeroIfEmpty(CellValue v) {
    return v.isEmpty() ? CellValue::fromNumber(0) : v;
}

bool tooManyElements(int64_t rows, int64_t columns, int64_t limit) {
    return rows * columns > limit;
}

ValueMatrix tooLarge() {
    return ValueMatrix::single(CellValue::fromError(ErrorCode::Num));
}

// Where both operands stretch: a single row or column stretches to the other's.
template <typename Combine>
ValueMatrix elementwise(const ValueMatrix& a, const ValueMatrix& b, int64_t limit,
                        Combine combine) {
    const int32_t rows = std::max(a.rows, b.rows);
    const int32_t columns = std::max(a.columns, b.columns);
    if (tooManyElements(rows, columns, limit))
        return tooLarge();
    ValueMatrix out{rows, columns, {}};
    out.values.reserve(static_cast<size_t>(rows) * static_cast<size_t>(columns));
    for (int32_t r = 0; r < rows; ++r) {
        for (int32_t c = 0; c < columns; ++c)
            out.values.push_back(combine(a.at(r, c), b.at(r, c)));
    }
    return out;
}

} // namespace

CellValue ValueMatrix::at(int32_t row, int32_t column) const {
    if (rows == 1)
        row = 0;
    if (columns == 1)
        column = 0;
    if (row >= rows || column >= columns || values.empty())
        return CellValue::fromError(ErrorCode::NA);
    return values[static_cast<size_t>(row) * static_cast<size_t>(columns) +
                  static_cast<size_t>(column)];
}

void Evaluator::recalculateAll() {
    state_.clear();
    std::vector<Target> pending;
    for (int32_t s = workbook_.sheetCount() - 1; s >= 0; --s) {
        Sheet& sheet = workbook_.sheet(s);
        for (auto it = sheet.cells_.rbegin(); it != sheet.cells_.rend(); ++it) {
            if (it->second.hasFormula())
                pending.push_back({&sheet, it->first});
        }
    }
    while (!pending.empty()) {
        Target target = pending.back();
        const Cell* cell = target.sheet->cell(target.pos);
        if (!cell || state_.count(cell)) {
            pending.pop_back();
            continue;
        }
        try {
            computeCell(target);
            pending.pop_back();
        } catch (const Deferred& d) {
            if (std::find(pending.begin(), pending.end(), d.target) != pending.end()) {
                // Deferred again while waiting: it is part of a cycle.
                Cell* looped = &d.target.sheet->cells_.at(d.target.pos);
                looped->value = CellValue::fromNumber(0);
                state_[looped] = State::Done;
            } else {
                pending.push_back(d.target);
            }
        }
    }
}

void Evaluator::computeCell(const Target& target) {
    Cell& cell = target.sheet->cells_.at(target.pos);
    state_[&cell] = State::InProgress;
    ++cellDepth_;
    struct Restore {
        Evaluator& e;
        const Sheet* sheet;
        CellPosition at;
        bool arrayMode;
        Cell& cell;
        bool done = false;
        ~Restore() {
            e.sheet_ = sheet;
            e.at_ = at;
            e.arrayMode_ = arrayMode;
            --e.cellDepth_;
            if (!done)
                e.state_.erase(&cell);
        }
    } restore{*this, sheet_, at_, arrayMode_, cell};
    sheet_ = target.sheet;
    at_ = target.pos;
    FormulaPtr formula = cell.formula;
    arrayMode_ = formula->array && formula->array->contains(target.pos);
    if (arrayMode_) {
        computeArray(*target.sheet, formula);
    } else {
        CellValue value = evaluateNode(*formula->root);
        cell.value = numberZeroIfEmpty(std::move(value));
        state_[&cell] = State::Done;
    }
    restore.done = true;
}

// The formula is computed once, in its top left corner, and every cell it
// covers that still holds it takes its element.
void Evaluator::computeArray(Sheet& sheet, const FormulaPtr& formula) {
    const CellArea area = *formula->array;
    at_ = area.first;
    const ValueMatrix result = matrixOf(*formula->root);
    auto it = sheet.cells_.lower_bound(area.first);
    const auto end = sheet.cells_.upper_bound(area.last);
    for (; it != end; ++it) {
        if (!area.contains(it->first) || it->second.formula != formula)
            continue;
        it->second.value = numberZeroIfEmpty(
            result.at(it->first.row - area.first.row, it->first.column - area.first.column));
        state_[&it->second] = State::Done;
    }
}

CellValue Evaluator::evaluate(const Sheet& sheet, CellPosition at, const FormulaNode& root) {
    const Sheet* savedSheet = sheet_;
    CellPosition savedAt = at_;
    const bool savedArrayMode = arrayMode_;
    sheet_ = &sheet;
    at_ = at;
    arrayMode_ = false;
    CellValue value;
    try {
        value = evaluateNode(root);
    } catch (const Deferred&) {
        value = CellValue::fromNumber(0);
    }
    sheet_ = savedSheet;
    at_ = savedAt;
    arrayMode_ = savedArrayMode;
    return value.isEmpty() ? CellValue::fromNumber(0) : value;
}

CellValue Evaluator::cellValue(const Sheet& sheet, CellPosition pos) {
    const Cell* cell = sheet.cell(pos);
    if (!cell)
        return {};
    if (!cell->hasFormula())
        return cell->value;
    auto it = state_.find(cell);
    if (it != state_.end())
        return it->second == State::Done ? cell->value : CellValue::fromNumber(0);
    Target target{const_cast<Sheet*>(&sheet), pos};
    if (cellDepth_ >= kMaxCellDepth)
        throw Deferred{target};
    computeCell(target);
    return cell->value;
}

const Sheet* Evaluator::referencedSheet(const FormulaNode& node) const {
    if (node.sheet.empty())
        return sheet_;
    const Sheet* sheet = workbook_.findSheet(node.sheet);
    return sheet && sheet->isWorksheet() ? sheet : nullptr;
}

Operand Evaluator::operand(const FormulaNode& node) {
    Operand op;
    if (node.kind == NodeKind::Area || node.kind == NodeKind::Reference) {
        const Sheet* sheet = referencedSheet(node);
        if (!sheet) {
            op.value = CellValue::fromError(ErrorCode::Ref);
            return op;
        }
        op.sheet = sheet;
        op.area = {{std::min(node.first.cell.row, node.last.cell.row),
                    std::min(node.first.cell.column, node.last.cell.column)},
                   {std::max(node.first.cell.row, node.last.cell.row),
                    std::max(node.first.cell.column, node.last.cell.column)}};
        return op;
    }
    if (node.kind == NodeKind::Paren && !node.children.empty())
        return operand(*node.children[0]);
    if (node.kind == NodeKind::Name)
        return nameOperand(node);
    if (arrayMode_) {
        ValueMatrix m = matrixOf(node);
        if (m.values.size() == 1)
            op.value = m.values[0];
        else
            op.matrix = std::make_shared<const ValueMatrix>(std::move(m));
        return op;
    }
    op.value = evaluateNode(node);
    return op;
}

Operand Evaluator::nameOperand(const FormulaNode& node) {
    Operand op;
    const DefinedName* name = workbook_.findName(node.text, sheet_);
    // A name that refers back to itself, however indirectly, has no value.
    if (!name || namesInProgress_.size() >= kMaxNameDepth ||
        std::find(namesInProgress_.begin(), namesInProgress_.end(), name) !=
            namesInProgress_.end()) {
        op.value = CellValue::fromError(ErrorCode::Name);
        return op;
    }
    namesInProgress_.push_back(name);
    struct Pop {
        std::vector<const DefinedName*>& names;
        ~Pop() { names.pop_back(); }
    } pop{namesInProgress_};
    return operand(*name->refersTo->root);
}

// A rectangle where one value is wanted: a single cell gives its value.
CellValue Evaluator::singleValue(const Operand& op) {
    if (op.matrix)
        return op.matrix->at(0, 0);
    if (!op.isRange())
        return op.value;
    if (op.area.first == op.area.last)
        return cellValue(*op.sheet, op.area.first);
    return CellValue::fromError(ErrorCode::Value);
}

ValueMatrix Evaluator::rangeMatrix(const Operand& op) {
    if (op.matrix)
        return *op.matrix;
    if (!op.isRange())
        return ValueMatrix::single(op.value);
    const int32_t rows = op.area.rowCount(), columns = op.area.columnCount();
    if (tooManyElements(rows, columns, workbook_.arrayElementLimit()))
        return tooLarge();
    ValueMatrix m{rows, columns, {}};
    m.values.resize(static_cast<size_t>(rows) * static_cast<size_t>(columns));
    const auto& cells = op.sheet->cells();
    std::vector<CellPosition> present;
    for (auto it = cells.lower_bound(op.area.first), end = cells.upper_bound(op.area.last);
         it != end; ++it) {
        if (op.area.contains(it->first))
            present.push_back(it->first);
    }
    for (CellPosition p : present) {
        m.values[static_cast<size_t>(p.row - op.area.first.row) * static_cast<size_t>(columns) +
                 static_cast<size_t>(p.column - op.area.first.column)] = cellValue(*op.sheet, p);
    }
    return m;
}

ValueMatrix Evaluator::matrixOf(const FormulaNode& node) {
    switch (node.kind) {
    case NodeKind::Reference:
    case NodeKind::Area:
    case NodeKind::Name:
        return rangeMatrix(operand(node));
    case NodeKind::Paren:
        return node.children.empty() ? ValueMatrix::single({}) : matrixOf(*node.children[0]);
    case NodeKind::Unary:
    case NodeKind::Percent: {
        if (node.children.empty())
            break;
        ValueMatrix m = matrixOf(*node.children[0]);
        for (CellValue& v : m.values)
            v = applyUnary(node, v);
        return m;
    }
    case NodeKind::Binary:
        if (node.op == Operator::Range || node.children.size() != 2)
            break;
        return elementwise(
            matrixOf(*node.children[0]), matrixOf(*node.children[1]), workbook_.arrayElementLimit(),
            [&](const CellValue& a, const CellValue& b) { return applyBinary(node.op, a, b); });
    case NodeKind::Function:
        if (!takesArgumentsWhole(node.text) && !node.children.empty())
            return functionMatrix(node);
        break;
    default:
        break;
    }
    return ValueMatrix::single(evaluateNode(node));
}

// A function of single values, given arrays, is called once per element, each
// argument standing for its element (a single row or column stretching), as
// in =SUM(IF(B2:B6>2,C2:C6)).
ValueMatrix Evaluator::functionMatrix(const FormulaNode& node) {
    std::vector<ValueMatrix> arguments;
    int32_t rows = 1, columns = 1;
    for (const auto& child : node.children) {
        arguments.push_back(matrixOf(*child));
        rows = std::max(rows, arguments.back().rows);
        columns = std::max(columns, arguments.back().columns);
    }
    if (tooManyElements(rows, columns, workbook_.arrayElementLimit()))
        return tooLarge();
    const size_t first = elementArguments_.size();
    for (const auto& child : node.children)
        elementArguments_.push_back({child.get(), {}});
    ValueMatrix out{rows, columns, {}};
    out.values.reserve(static_cast<size_t>(rows) * static_cast<size_t>(columns));
    for (int32_t r = 0; r < rows; ++r) {
        for (int32_t c = 0; c < columns; ++c) {
            for (size_t i = 0; i < arguments.size(); ++i)
                elementArguments_[first + i].second = arguments[i].at(r, c);
            out.values.push_back(function(node));
        }
    }
    elementArguments_.resize(first);
    return out;
}

CellValue Evaluator::scalar(const FormulaNode& node) {
    for (auto it = elementArguments_.rbegin(); it != elementArguments_.rend(); ++it) {
        if (it->first == &node)
            return it->second;
    }
    if (arrayMode_)
        return matrixOf(node).at(0, 0);
    return evaluateNode(node);
}

void Evaluator::forEachValue(const Operand& op,
                             const std::function<bool(const CellValue&, bool)>& visit) {
    if (op.matrix) {
        for (const CellValue& v : op.matrix->values) {
            if (!visit(v, true))
                return;
        }
        return;
    }
    if (!op.isRange()) {
        visit(op.value, false);
        return;
    }
    // Only present cells are visited: absent ones are empty.
    const auto& cells = op.sheet->cells();
    auto it = cells.lower_bound(op.area.first);
    auto end = cells.upper_bound(op.area.last);
    std::vector<CellPosition> positions;
    for (; it != end; ++it) {
        if (op.area.contains(it->first))
            positions.push_back(it->first);
    }
    for (CellPosition p : positions) {
        if (!visit(cellValue(*op.sheet, p), true))
            return;
    }
}

CellValue Evaluator::evaluateNode(const FormulaNode& node) {
    switch (node.kind) {
    case NodeKind::Number:
        return CellValue::fromNumber(node.number);
    case NodeKind::Text:
        return CellValue::fromText(node.text);
    case NodeKind::Boolean:
        return CellValue::fromBoolean(node.boolean);
    case NodeKind::Error:
        return CellValue::fromError(node.error);
    case NodeKind::Missing:
        return {};
    case NodeKind::Name:
        return singleValue(nameOperand(node));
    case NodeKind::Reference: {
        const Sheet* sheet = referencedSheet(node);
        if (!sheet)
            return CellValue::fromError(ErrorCode::Ref);
        return cellValue(*sheet, node.first.cell);
    }
    case NodeKind::Area:
        return singleValue(operand(node));
    case NodeKind::Paren:
        return node.children.empty() ? CellValue{} : evaluateNode(*node.children[0]);
    case NodeKind::Unary:
    case NodeKind::Percent:
        return unary(node);
    case NodeKind::Binary:
        return binary(node);
    case NodeKind::Function:
        return function(node);
    }
    return CellValue::fromError(ErrorCode::Value);
}

CellValue Evaluator::unary(const FormulaNode& node) {
    if (node.children.empty())
        return CellValue::fromError(ErrorCode::Value);
    return applyUnary(node, evaluateNode(*node.children[0]));
}

CellValue Evaluator::binary(const FormulaNode& node) {
    if (node.children.size() != 2)
        return CellValue::fromError(ErrorCode::Value);
    CellValue a = evaluateNode(*node.children[0]);
    CellValue b = evaluateNode(*node.children[1]);
    return applyBinary(node.op, a, b);
}

CellValue Evaluator::function(const FormulaNode& node) {
    FunctionImpl impl = findFunction(node.text);
    if (!impl)
        return CellValue::fromError(ErrorCode::Name);
    return impl(*this, node);
}

} // namespace spreadsheet
