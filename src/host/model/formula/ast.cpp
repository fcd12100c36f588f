#include "host/model/formula/ast.h"

namespace tavo::model {

NodePtr clone(const Node& n) {
  auto out = std::make_unique<Node>();
  if (auto* l = std::get_if<Literal>(&n.v)) {
    out->v = Literal{l->value};
  } else if (auto* r = std::get_if<RefNode>(&n.v)) {
    out->v = RefNode{r->ref};
  } else if (auto* u = std::get_if<Negate>(&n.v)) {
    out->v = Negate{clone(*u->operand)};
  } else if (auto* b = std::get_if<Binary>(&n.v)) {
    out->v = Binary{b->op, clone(*b->lhs), clone(*b->rhs)};
  } else if (auto* c = std::get_if<Call>(&n.v)) {
    Call copy{c->fn, {}};
    for (auto& a : c->args) copy.args.push_back(clone(*a));
    out->v = std::move(copy);
  } else if (auto* g = std::get_if<Group>(&n.v)) {
    out->v = Group{clone(*g->inner)};
  }
  return out;
}

}  // namespace tavo::model
