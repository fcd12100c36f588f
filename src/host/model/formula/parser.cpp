#include "host/model/formula/parser.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <vector>

#include "host/address.h"

namespace tavo::model {

namespace {

using host::kMaxCol;
using host::kMaxRow;

constexpr int kMaxFormulaCharacters = 8192;
constexpr int kMaxNesting = 64;
// Every walk over a formula recurses along its longest path; a chain of a
// thousand operators is the most that walk may meet.
constexpr int kMaxHeight = 1000;

// The longest path from the root, found without recursing.
int Height(const Node& root) {
  int height = 0;
  std::vector<std::pair<const Node*, int>> todo{{&root, 1}};
  while (!todo.empty()) {
    auto [n, depth] = todo.back();
    todo.pop_back();
    height = std::max(height, depth);
    if (auto* u = std::get_if<Negate>(&n->v)) todo.emplace_back(u->operand.get(), depth + 1);
    else if (auto* b = std::get_if<Binary>(&n->v)) {
      todo.emplace_back(b->lhs.get(), depth + 1);
      todo.emplace_back(b->rhs.get(), depth + 1);
    } else if (auto* c = std::get_if<Call>(&n->v)) {
      for (const auto& a : c->args) todo.emplace_back(a.get(), depth + 1);
    } else if (auto* g = std::get_if<Group>(&n->v)) {
      todo.emplace_back(g->inner.get(), depth + 1);
    }
  }
  return height;
}

struct ParseFailure {
  std::string why;
};

bool isWordChar(char c) {
  static constexpr std::string_view stops = "+-*/(),:!\"'&=<>^% ";
  return stops.find(c) == std::string_view::npos;
}

class Parser {
 public:
  Parser(std::string_view text, Notation notation, host::Cell at, const SheetResolver& resolve)
      : s_(text), notation_(notation), at_(at), resolve_(resolve) {}

  NodePtr parse() {
    if (s_.empty() || s_[0] != '=') fail("公式须以 = 开头");
    if (host::characterCount(s_) > kMaxFormulaCharacters) fail("公式超过 8192 个字符");
    pos_ = 1;
    auto root = expression();
    skipSpaces();
    if (pos_ != s_.size()) fail("多余的字符");
    if (Height(*root) > kMaxHeight) fail("公式的运算层次过多");
    return root;
  }

 private:
  [[noreturn]] void fail(std::string why) { throw ParseFailure{std::move(why)}; }

  void skipSpaces() {
    // Spaces and the line breaks a formula may be typed over.
    while (pos_ < s_.size() && (s_[pos_] == ' ' || s_[pos_] == '\n' || s_[pos_] == '\r')) ++pos_;
  }
  bool eat(char c) {
    skipSpaces();
    if (pos_ < s_.size() && s_[pos_] == c) {
      ++pos_;
      return true;
    }
    return false;
  }
  static NodePtr make(auto&& v) {
    auto n = std::make_unique<Node>();
    n->v = std::move(v);
    return n;
  }

  NodePtr expression() {
    auto lhs = term();
    while (true) {
      if (eat('+')) lhs = make(Binary{BinaryOp::Add, std::move(lhs), term()});
      else if (eat('-')) lhs = make(Binary{BinaryOp::Sub, std::move(lhs), term()});
      else return lhs;
    }
  }
  NodePtr term() {
    auto lhs = unary();
    while (true) {
      if (eat('*')) lhs = make(Binary{BinaryOp::Mul, std::move(lhs), unary()});
      else if (eat('/')) lhs = make(Binary{BinaryOp::Div, std::move(lhs), unary()});
      else return lhs;
    }
  }
  // Nesting is bounded as the host bounds it, so that neither parsing nor
  // evaluating a formula can exhaust the stack.
  struct Nested {
    explicit Nested(Parser& p) : p_(p) {
      if (++p_.depth_ > kMaxNesting) p_.fail("公式嵌套超过 64 层");
    }
    ~Nested() { --p_.depth_; }
    Parser& p_;
  };

  NodePtr unary() {
    if (eat('-')) {
      Nested nested(*this);
      return make(Negate{unary()});
    }
    if (eat('+')) {
      Nested nested(*this);
      return unary();
    }
    return primary();
  }

  NodePtr primary() {
    skipSpaces();
    if (pos_ >= s_.size()) fail("公式不完整");
    char c = s_[pos_];
    if (c == '(') {
      ++pos_;
      Nested nested(*this);
      auto inner = expression();
      if (!eat(')')) fail("缺少 )");
      return make(Group{std::move(inner)});
    }
    if (c == '"') return make(Literal{host::Value(stringLiteral())});
    if (std::isdigit(static_cast<unsigned char>(c)) || c == '.') {
      // An A1 row range such as 1:3 is not a number; the engine never writes one.
      return make(Literal{host::Value(numberLiteral())});
    }
    if (c == '#') return make(Literal{host::Value(errorLiteral())});

    const Sheet* sheet = nullptr;
    bool qualified = false;
    std::size_t start = pos_;
    // A reference into another workbook ("[1]成绩!A1") is not the model's to
    // follow: the formula stays as written, with its stored result.
    if (c == '[') fail("引用了其他工作簿");
    if (c == '\'') {
      std::string name = quotedName();
      if (!eat('!')) fail("缺少 !");
      if (name.starts_with('[')) fail("引用了其他工作簿");
      sheet = resolve_(name);
      qualified = true;
    } else {
      std::size_t e = pos_;
      while (e < s_.size() && isWordChar(s_[e])) ++e;
      std::string_view word = s_.substr(pos_, e - pos_);
      if (e < s_.size() && s_[e] == '(') {
        pos_ = e + 1;
        return call(word);
      }
      if (e < s_.size() && s_[e] == '!') {
        sheet = resolve_(word);
        qualified = true;
        pos_ = e + 1;
      }
    }
    if (pos_ < s_.size() && s_[pos_] == '#') {  // Sheet!#REF!
      errorLiteral();
      return make(Literal{host::Value(host::ErrorKind::Ref)});
    }
    Reference ref;
    auto first = cellRef();
    if (!first) {
      pos_ = start;
      std::size_t e = pos_;
      while (e < s_.size() && isWordChar(s_[e])) ++e;
      std::string word(s_.substr(pos_, e - pos_));
      for (auto& ch : word) ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
      if (word == "TRUE" || word == "FALSE") {
        pos_ = e;
        return make(Literal{host::Value(word == "TRUE")});
      }
      fail("无法识别: " + word);
    }
    ref.first = *first;
    ref.last = *first;
    if (pos_ < s_.size() && s_[pos_] == ':') {
      ++pos_;
      auto last = cellRef();
      if (!last) fail("区域不完整");
      ref.last = *last;
      ref.isRange = true;
      normalize(ref);
    }
    ref.sheet = sheet;
    ref.invalid = qualified && sheet == nullptr;
    return make(RefNode{ref});
  }

  static void normalize(Reference& r) {
    if (r.first.row > r.last.row) std::swap(r.first.row, r.last.row), std::swap(r.first.rowAbs, r.last.rowAbs);
    if (r.first.col > r.last.col) std::swap(r.first.col, r.last.col), std::swap(r.first.colAbs, r.last.colAbs);
  }

  NodePtr call(std::string_view name) {
    std::string upper(name);
    for (auto& ch : upper) ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
    Function fn;
    if (upper == "SUM") fn = Function::Sum;
    else if (upper == "AVERAGE") fn = Function::Average;
    else if (upper == "MAX") fn = Function::Max;
    else if (upper == "MIN") fn = Function::Min;
    else if (upper == "COUNT") fn = Function::Count;
    else if (upper == "RANK") fn = Function::Rank;
    else fail("未知函数: " + upper);
    Call c{fn, {}};
    Nested nested(*this);
    if (!eat(')')) {
      do c.args.push_back(expression());
      while (eat(','));
      if (!eat(')')) fail("缺少 )");
    }
    if (fn == Function::Rank && (c.args.size() < 2 || c.args.size() > 3)) fail("RANK 参数个数不对");
    if (fn != Function::Rank && c.args.empty()) fail(upper + " 缺少参数");
    return make(std::move(c));
  }

  std::string stringLiteral() {
    std::string out;
    ++pos_;
    while (true) {
      if (pos_ >= s_.size()) fail("字符串未结束");
      char c = s_[pos_++];
      if (c == '"') {
        if (pos_ < s_.size() && s_[pos_] == '"') {
          out += '"';
          ++pos_;
          continue;
        }
        return out;
      }
      out += c;
    }
  }
  std::string quotedName() {
    std::string out;
    ++pos_;
    while (true) {
      if (pos_ >= s_.size()) fail("工作表名未结束");
      char c = s_[pos_++];
      if (c == '\'') {
        if (pos_ < s_.size() && s_[pos_] == '\'') {
          out += '\'';
          ++pos_;
          continue;
        }
        return out;
      }
      out += c;
    }
  }
  double numberLiteral() {
    std::size_t b = pos_;
    while (pos_ < s_.size() && (std::isdigit(static_cast<unsigned char>(s_[pos_])) || s_[pos_] == '.')) ++pos_;
    if (pos_ < s_.size() && (s_[pos_] == 'E' || s_[pos_] == 'e')) {
      std::size_t save = pos_++;
      if (pos_ < s_.size() && (s_[pos_] == '+' || s_[pos_] == '-')) ++pos_;
      if (pos_ < s_.size() && std::isdigit(static_cast<unsigned char>(s_[pos_]))) {
        while (pos_ < s_.size() && std::isdigit(static_cast<unsigned char>(s_[pos_]))) ++pos_;
      } else {
        pos_ = save;
      }
    }
    auto v = host::parseDecimal(s_.substr(b, pos_ - b));
    if (!v) fail("无效的数字");
    return *v;
  }
  host::ErrorKind errorLiteral() {
    for (auto k : {host::ErrorKind::Div0, host::ErrorKind::Value, host::ErrorKind::Ref, host::ErrorKind::NA,
                   host::ErrorKind::Name, host::ErrorKind::Num, host::ErrorKind::Null}) {
      auto t = host::errorText(k);
      if (s_.substr(pos_, t.size()) == t) {
        pos_ += t.size();
        return k;
      }
    }
    fail("无效的错误值");
  }

  // Reads an integer, signed where `sign` allows; returns false when none
  // is there.
  bool integer(long& out, bool sign = true) {
    std::size_t b = pos_;
    bool neg = false;
    if (sign && pos_ < s_.size() && (s_[pos_] == '-' || s_[pos_] == '+')) neg = s_[pos_++] == '-';
    std::size_t d = pos_;
    long v = 0;
    while (pos_ < s_.size() && std::isdigit(static_cast<unsigned char>(s_[pos_]))) {
      v = v * 10 + (s_[pos_++] - '0');
      if (v > 10000000) fail("行列号太大");
    }
    if (pos_ == d) {
      pos_ = b;
      return false;
    }
    out = neg ? -v : v;
    return true;
  }

  // One R1C1 part: 'R' followed by nothing, [n] or n. Returns false when the
  // letter is not there.
  bool r1c1Part(char letter, int base, int max, int& coord, bool& abs) {
    if (pos_ >= s_.size() || std::toupper(static_cast<unsigned char>(s_[pos_])) != letter) return false;
    ++pos_;
    long n = 0;
    if (pos_ < s_.size() && s_[pos_] == '[') {
      ++pos_;
      if (!integer(n) || pos_ >= s_.size() || s_[pos_] != ']') fail("无效的相对引用");
      ++pos_;
      abs = false;
      coord = static_cast<int>(base + n);
    } else if (integer(n, false)) {  // in "R[-1]C+1" the + is the formula's
      if (n < 1) fail("无效的绝对引用");
      abs = true;
      coord = static_cast<int>(n);
    } else {
      abs = false;
      coord = base;
    }
    if (coord < 1 || coord > max) fail("引用超出工作表");
    return true;
  }

  std::optional<CellRef> cellRef() {
    std::size_t b = pos_;
    CellRef r;
    if (notation_ == Notation::R1C1) {
      if (!r1c1Part('R', at_.row, kMaxRow, r.row, r.rowAbs) ||
          !r1c1Part('C', at_.col, kMaxCol, r.col, r.colAbs)) {
        pos_ = b;
        return std::nullopt;
      }
    } else {
      if (pos_ < s_.size() && s_[pos_] == '$') r.colAbs = true, ++pos_;
      std::size_t l = pos_;
      while (pos_ < s_.size() && std::isalpha(static_cast<unsigned char>(s_[pos_]))) ++pos_;
      r.col = host::columnNumber(s_.substr(l, pos_ - l));
      if (pos_ < s_.size() && s_[pos_] == '$') r.rowAbs = true, ++pos_;
      std::size_t d = pos_;
      long row = 0;
      while (pos_ < s_.size() && std::isdigit(static_cast<unsigned char>(s_[pos_]))) {
        row = row * 10 + (s_[pos_++] - '0');
        if (row > kMaxRow) break;
      }
      if (r.col == 0 || pos_ == d || row < 1 || row > kMaxRow) {
        pos_ = b;
        return std::nullopt;
      }
      r.row = static_cast<int>(row);
    }
    // A reference runs up to an operator; "RANK" would otherwise read as R?
    if (pos_ < s_.size() && isWordChar(s_[pos_]) && s_[pos_] != '$') {
      pos_ = b;
      return std::nullopt;
    }
    return r;
  }

  std::string_view s_;
  Notation notation_;
  host::Cell at_;
  const SheetResolver& resolve_;
  std::size_t pos_ = 0;
  int depth_ = 0;
};

}  // namespace

ParseResult parseFormula(std::string_view text, Notation notation, host::Cell at,
                         const SheetResolver& resolveSheet) {
  try {
    Parser p(text, notation, at, resolveSheet);
    return {p.parse(), {}};
  } catch (const ParseFailure& f) {
    return {nullptr, f.why};
  }
}

}  // namespace tavo::model
