#include "host/address.h"

#include <cctype>

#include "host/value.h"

namespace tavo::host {

std::string columnLetters(int col) {
  std::string s;
  while (col > 0) {
    int r = (col - 1) % 26;
    s.insert(s.begin(), static_cast<char>('A' + r));
    col = (col - 1) / 26;
  }
  return s;
}

int columnNumber(std::string_view letters) {
  if (letters.empty() || letters.size() > 3) return 0;
  int n = 0;
  for (char ch : letters) {
    char u = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
    if (u < 'A' || u > 'Z') return 0;
    n = n * 26 + (u - 'A' + 1);
  }
  return n <= kMaxCol ? n : 0;
}

std::string a1(Cell c) { return columnLetters(c.col) + std::to_string(c.row); }

std::string a1(const Rect& r) {
  if (r.wholeRows() && !r.wholeColumns())
    return std::to_string(r.top) + ":" + std::to_string(r.bottom);
  if (r.wholeColumns() && !r.wholeRows())
    return columnLetters(r.left) + ":" + columnLetters(r.right);
  return a1Cells(r);
}

std::string a1Cells(const Rect& r) {
  if (r.top == r.bottom && r.left == r.right) return a1(r.topLeft());
  return a1(r.topLeft()) + ":" + a1(Cell{r.bottom, r.right});
}

namespace {

// One side of a range: a cell "B3", a row "3" or a column "B", '$' allowed.
struct Side {
  int row = 0;  // 0 = none
  int col = 0;
};

bool parseSide(std::string_view s, Side& out) {
  std::size_t i = 0;
  auto skipDollar = [&] { if (i < s.size() && s[i] == '$') ++i; };
  skipDollar();
  std::size_t b = i;
  while (i < s.size() && std::isalpha(static_cast<unsigned char>(s[i]))) ++i;
  if (i > b) {
    out.col = columnNumber(s.substr(b, i - b));
    if (out.col == 0) return false;
    skipDollar();
  }
  b = i;
  long row = 0;
  while (i < s.size() && std::isdigit(static_cast<unsigned char>(s[i]))) {
    row = row * 10 + (s[i] - '0');
    if (row > kMaxRow) return false;
    ++i;
  }
  if (i > b) {
    if (row < 1) return false;
    out.row = static_cast<int>(row);
  }
  return i == s.size() && (out.row || out.col);
}

}  // namespace

Rect parseRect(std::string_view address) {
  auto bad = [&] { return HostError::refused("无效的地址: " + std::string(address)); };
  auto colon = address.find(':');
  Side a, b;
  if (!parseSide(address.substr(0, colon), a)) throw bad();
  if (colon == std::string_view::npos) {
    if (!a.row || !a.col) throw bad();
    return Rect::of(Cell{a.row, a.col});
  }
  if (!parseSide(address.substr(colon + 1), b)) throw bad();
  bool cells = a.row && a.col && b.row && b.col;
  bool rows = !a.col && !b.col;
  bool cols = !a.row && !b.row;
  if (cells) return Rect::of(Cell{a.row, a.col}, Cell{b.row, b.col});
  if (rows) return Rect::rows(std::min(a.row, b.row), std::max(a.row, b.row));
  if (cols) return Rect::columns(std::min(a.col, b.col), std::max(a.col, b.col));
  throw bad();
}

std::vector<Rect> parseAddress(std::string_view list) {
  std::vector<Rect> out;
  std::size_t start = 0;
  while (true) {
    auto comma = list.find(',', start);
    out.push_back(parseRect(list.substr(start, comma - start)));
    if (comma == std::string_view::npos) break;
    start = comma + 1;
  }
  return out;
}

}  // namespace tavo::host
