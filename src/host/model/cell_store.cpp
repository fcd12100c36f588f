#include "host/model/cell_store.h"

namespace tavo::model {

Slot Slot::clone() const {
  Slot s;
  s.bits_ = bits_;
  s.u_ = u_;
  if (kind() == Kind::Text) {
    ++u_.text->owners;
  } else if (kind() == Kind::Formula) {
    auto* f = new FormulaPayload;
    if (u_.formula->root) f->root = model::clone(*u_.formula->root);
    f->opaqueA1 = u_.formula->opaqueA1;
    f->arrayArea = u_.formula->arrayArea;
    f->cached = u_.formula->cached;
    s.u_.formula = f;
  }
  return s;
}

TextPayload& Slot::ownText() {
  if (u_.text->owners > 1) {
    --u_.text->owners;
    u_.text = new TextPayload(*u_.text);
  }
  return *u_.text;
}

Slot Slot::pastedValue() const {
  if (kind() == Kind::Text && !u_.text->runs().empty()) {
    Slot s;
    s.setConstant(u_.text->text);
    return s;
  }
  Slot s = clone();
  s.setStyle(0);
  return s;
}

void Slot::setContentOf(const Slot& constant) {
  if (&constant == this) return;
  release();
  setKind(constant.kind());
  u_ = constant.u_;
  if (kind() == Kind::Text) ++u_.text->owners;
}

void Slot::enterLiteral(const host::Value& v, const Slot* above) {
  if (above && v.isText() && above->kind() == Kind::Text && above->text().runs().empty() &&
      above->text().text == v.text())
    setContentOf(*above);
  else
    setConstant(v);
}

host::Value Slot::constant() const {
  switch (kind()) {
    case Kind::Number: return u_.num;
    case Kind::Text: return u_.text->text;
    case Kind::Boolean: return u_.b;
    case Kind::Error: return u_.err;
    case Kind::Formula: return u_.formula->cached;
    case Kind::Empty: break;
  }
  return {};
}

void Slot::setConstant(const host::Value& v) {
  release();
  switch (v.kind()) {
    case host::Value::Kind::Empty:
      setKind(Kind::Empty);
      break;
    case host::Value::Kind::Number:
      setKind(Kind::Number);
      u_.num = v.number();
      break;
    case host::Value::Kind::Text:
      setKind(Kind::Text);
      u_.text = new TextPayload(v.text());
      break;
    case host::Value::Kind::Boolean:
      setKind(Kind::Boolean);
      u_.b = v.boolean();
      break;
    case host::Value::Kind::Error:
      setKind(Kind::Error);
      u_.err = v.error();
      break;
  }
}

void Slot::setFormula(std::unique_ptr<FormulaPayload> f) {
  release();
  setKind(Kind::Formula);
  u_.formula = f.release();
}

}  // namespace tavo::model
