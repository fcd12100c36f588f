// A parsed formula. References hold the cell they point to (absolute
// coordinates) plus which parts were written absolute, so that moves keep
// them on their cells and copies shift the relative parts.
#pragma once

#include <memory>
#include <string>
#include <variant>
#include <vector>

#include "host/geometry.h"
#include "host/value.h"

namespace tavo::model {

class Sheet;  // the model's worksheet; nullptr in a reference = the formula's own sheet

struct CellRef {
  int row = 1;
  int col = 1;
  bool rowAbs = false;
  bool colAbs = false;
};

struct Reference {
  const Sheet* sheet = nullptr;
  CellRef first;
  CellRef last;  // == first for a single cell
  bool isRange = false;
  bool invalid = false;  // #REF!

  host::Rect rect() const {
    return host::Rect::of(host::Cell{first.row, first.col}, host::Cell{last.row, last.col});
  }
};

enum class BinaryOp { Add, Sub, Mul, Div };
enum class Function { Sum, Average, Max, Min, Count, Rank };

struct Node;
using NodePtr = std::unique_ptr<Node>;

struct Literal {
  host::Value value;
};
struct RefNode {
  Reference ref;
};
struct Negate {
  NodePtr operand;
};
struct Binary {
  BinaryOp op;
  NodePtr lhs, rhs;
};
struct Call {
  Function fn;
  std::vector<NodePtr> args;
};
struct Group {  // parentheses, kept so that the text prints back as written
  NodePtr inner;
};

struct Node {
  std::variant<Literal, RefNode, Negate, Binary, Call, Group> v;
};

NodePtr clone(const Node&);

// Calls f(Reference&) for every reference of the tree.
template <class F>
void forEachReference(Node& n, F&& f) {
  if (auto* r = std::get_if<RefNode>(&n.v)) {
    f(r->ref);
  } else if (auto* u = std::get_if<Negate>(&n.v)) {
    forEachReference(*u->operand, f);
  } else if (auto* b = std::get_if<Binary>(&n.v)) {
    forEachReference(*b->lhs, f);
    forEachReference(*b->rhs, f);
  } else if (auto* c = std::get_if<Call>(&n.v)) {
    for (auto& a : c->args) forEachReference(*a, f);
  } else if (auto* g = std::get_if<Group>(&n.v)) {
    forEachReference(*g->inner, f);
  }
}

}  // namespace tavo::model
