#include "host/model/formula/evaluator.h"

#include <algorithm>
#include <cmath>
#include <optional>

namespace tavo::model {

namespace {

using host::ErrorKind;
using host::Value;

class Evaluator {
 public:
  Evaluator(const Sheet* own, host::Cell at, EvalContext& ctx) : own_(own), at_(at), ctx_(ctx) {}

  Value eval(const Node& n) {
    if (auto* l = std::get_if<Literal>(&n.v)) return l->value;
    if (auto* r = std::get_if<RefNode>(&n.v)) {
      if (r->ref.invalid) return ErrorKind::Ref;
      host::Cell read{r->ref.first.row, r->ref.first.col};
      if (r->ref.isRange) {
        // A range where one value is wanted: the cell of it in the formula's
        // own row (a column of cells) or column (a row of cells), else #VALUE!.
        const Reference& ref = r->ref;
        if (ref.first.col == ref.last.col && at_.row >= ref.first.row && at_.row <= ref.last.row)
          read = {at_.row, ref.first.col};
        else if (ref.first.row == ref.last.row && at_.col >= ref.first.col && at_.col <= ref.last.col)
          read = {ref.first.row, at_.col};
        else
          return ErrorKind::Value;
      }
      Value v = ctx_.cell(sheetOf(r->ref), read);
      return v.isEmpty() ? Value(0.0) : v;
    }
    if (auto* g = std::get_if<Group>(&n.v)) return eval(*g->inner);
    if (auto* u = std::get_if<Negate>(&n.v)) {
      Value v = eval(*u->operand);
      auto x = arithmetic(v);
      if (!x) return v.isError() ? v : Value(ErrorKind::Value);
      return -*x;
    }
    if (auto* b = std::get_if<Binary>(&n.v)) return binary(*b);
    return call(std::get<Call>(n.v));
  }

 private:
  const Sheet* sheetOf(const Reference& r) const { return r.sheet ? r.sheet : own_; }

  // An operand of + - * /: empty 0, numeric text its number, booleans 1/0.
  static std::optional<double> arithmetic(const Value& v) {
    switch (v.kind()) {
      case Value::Kind::Empty: return 0.0;
      case Value::Kind::Number: return v.number();
      case Value::Kind::Boolean: return v.boolean() ? 1.0 : 0.0;
      case Value::Kind::Text: return host::parseDecimal(v.text());
      case Value::Kind::Error: return std::nullopt;
    }
    return std::nullopt;
  }

  Value binary(const Binary& b) {
    Value l = eval(*b.lhs);
    Value r = eval(*b.rhs);
    if (l.isError()) return l;
    if (r.isError()) return r;
    auto x = arithmetic(l), y = arithmetic(r);
    if (!x || !y) return ErrorKind::Value;
    double v = 0;
    switch (b.op) {
      case BinaryOp::Add: v = *x + *y; break;
      case BinaryOp::Sub: v = *x - *y; break;
      case BinaryOp::Mul: v = *x * *y; break;
      case BinaryOp::Div:
        if (*y == 0) return ErrorKind::Div0;
        v = *x / *y;
        break;
    }
    if (!std::isfinite(v)) return ErrorKind::Num;
    return v;
  }

  // Numbers of the arguments as the aggregate functions see them: over
  // references only numbers count and errors propagate; direct arguments
  // count numbers, booleans and numeric text.
  struct Numbers {
    std::vector<double> values;
    std::optional<ErrorKind> error;
  };

  Numbers collect(const Call& c, bool countOnly) {
    Numbers out;
    for (const auto& arg : c.args) {
      const Node* a = arg.get();
      while (auto* g = std::get_if<Group>(&a->v)) a = g->inner.get();
      if (auto* r = std::get_if<RefNode>(&a->v)) {
        if (r->ref.invalid) {
          if (!out.error) out.error = ErrorKind::Ref;
          continue;
        }
        ctx_.forEachValue(sheetOf(r->ref), r->ref.rect(), [&](const Value& v) {
          if (v.isNumber()) out.values.push_back(v.number());
          else if (v.isError() && !countOnly && !out.error) out.error = v.error();
        });
        continue;
      }
      Value v = eval(*a);
      if (v.isError()) {
        if (!countOnly && !out.error) out.error = v.error();
      } else if (auto x = arithmetic(v); x && !v.isEmpty()) {
        out.values.push_back(*x);
      } else if (!countOnly && !out.error) {
        out.error = ErrorKind::Value;
      }
    }
    return out;
  }

  Value call(const Call& c) {
    if (c.fn == Function::Rank) return rank(c);
    Numbers n = collect(c, c.fn == Function::Count);
    if (n.error) return *n.error;
    const auto& v = n.values;
    switch (c.fn) {
      case Function::Sum: {
        double s = 0;
        for (double x : v) s += x;
        return s;
      }
      case Function::Average: {
        if (v.empty()) return ErrorKind::Div0;
        double s = 0;
        for (double x : v) s += x;
        return s / static_cast<double>(v.size());
      }
      case Function::Max: return v.empty() ? 0.0 : *std::max_element(v.begin(), v.end());
      case Function::Min: return v.empty() ? 0.0 : *std::min_element(v.begin(), v.end());
      case Function::Count: return static_cast<double>(v.size());
      case Function::Rank: break;
    }
    return ErrorKind::Value;
  }

  Value rank(const Call& c) {
    Value number = eval(*c.args[0]);
    if (number.isError()) return number;
    if (!number.isNumber()) return ErrorKind::Value;
    const Node* refArg = c.args[1].get();
    while (auto* g = std::get_if<Group>(&refArg->v)) refArg = g->inner.get();
    auto* r = std::get_if<RefNode>(&refArg->v);
    if (!r) return ErrorKind::Value;
    if (r->ref.invalid) return ErrorKind::Ref;
    bool ascending = false;
    if (c.args.size() == 3) {
      Value order = eval(*c.args[2]);
      if (order.isError()) return order;
      auto o = arithmetic(order);
      if (!o) return ErrorKind::Value;
      ascending = *o != 0;
    }
    const auto& sorted = ctx_.sortedNumbers(sheetOf(r->ref), r->ref.rect());
    double x = number.number();
    auto lo = std::lower_bound(sorted.begin(), sorted.end(), x);
    if (lo == sorted.end() || *lo != x) return ErrorKind::NA;
    if (ascending) return static_cast<double>(lo - sorted.begin() + 1);
    auto hi = std::upper_bound(lo, sorted.end(), x);
    return static_cast<double>(sorted.end() - hi + 1);
  }

  const Sheet* own_;
  host::Cell at_;  // the formula's own cell
  EvalContext& ctx_;
};

}  // namespace

host::Value evaluate(const Node& root, const Sheet* own, host::Cell at, EvalContext& ctx) {
  return Evaluator(own, at, ctx).eval(root);
}

}  // namespace tavo::model
