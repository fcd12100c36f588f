#include "host/model/formula/printer.h"

#include "host/address.h"

namespace tavo::model {

namespace {

std::string quoteSheet(const std::string& name) {
  bool plain = !name.empty();
  for (unsigned char c : name)
    if (!(std::isalnum(c) || c == '_' || c >= 0x80)) plain = false;
  if (plain && !std::isdigit(static_cast<unsigned char>(name[0]))) return name;
  std::string out = "'";
  for (char c : name) {
    if (c == '\'') out += '\'';
    out += c;
  }
  out += '\'';
  return out;
}

class Printer {
 public:
  Printer(Notation n, host::Cell at, const Sheet* own, const SheetNamer& nameOf)
      : notation_(n), at_(at), own_(own), nameOf_(nameOf) {}

  void node(const Node& n) {
    if (auto* l = std::get_if<Literal>(&n.v)) {
      literal(l->value);
    } else if (auto* r = std::get_if<RefNode>(&n.v)) {
      reference(r->ref);
    } else if (auto* u = std::get_if<Negate>(&n.v)) {
      out += '-';
      node(*u->operand);
    } else if (auto* b = std::get_if<Binary>(&n.v)) {
      node(*b->lhs);
      out += "+-*/"[static_cast<int>(b->op)];
      node(*b->rhs);
    } else if (auto* c = std::get_if<Call>(&n.v)) {
      static constexpr const char* names[] = {"SUM", "AVERAGE", "MAX", "MIN", "COUNT", "RANK"};
      out += names[static_cast<int>(c->fn)];
      out += '(';
      for (std::size_t i = 0; i < c->args.size(); ++i) {
        if (i) out += ',';
        node(*c->args[i]);
      }
      out += ')';
    } else if (auto* g = std::get_if<Group>(&n.v)) {
      out += '(';
      node(*g->inner);
      out += ')';
    }
  }

  std::string out;

 private:
  void literal(const host::Value& v) {
    if (v.isText()) {
      out += '"';
      for (char c : v.text()) {
        if (c == '"') out += '"';
        out += c;
      }
      out += '"';
    } else {
      out += host::displayText(v);
    }
  }

  void reference(const Reference& r) {
    if (r.sheet && r.sheet != own_) {
      out += quoteSheet(nameOf_(r.sheet));
      out += '!';
    }
    if (r.invalid) {
      out += "#REF!";
      return;
    }
    cell(r.first);
    if (r.isRange) {
      out += ':';
      cell(r.last);
    }
  }

  void part(char letter, int coord, bool abs, int base) {
    out += letter;
    if (abs) out += std::to_string(coord);
    else if (coord != base) {
      out += '[';
      out += std::to_string(coord - base);
      out += ']';
    }
  }

  void cell(const CellRef& c) {
    if (notation_ == Notation::R1C1) {
      part('R', c.row, c.rowAbs, at_.row);
      part('C', c.col, c.colAbs, at_.col);
    } else {
      if (c.colAbs) out += '$';
      out += host::columnLetters(c.col);
      if (c.rowAbs) out += '$';
      out += std::to_string(c.row);
    }
  }

  Notation notation_;
  host::Cell at_;
  const Sheet* own_;
  const SheetNamer& nameOf_;
};

}  // namespace

std::string printFormula(const Node& root, Notation n, host::Cell at, const Sheet* own,
                         const SheetNamer& nameOf) {
  Printer p(n, at, own, nameOf);
  p.out = "=";
  p.node(root);
  return p.out;
}

}  // namespace tavo::model
