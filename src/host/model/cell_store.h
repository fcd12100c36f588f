// Cell storage: one dense vector of 12-byte slots per column, grown to the
// column's last used row. Text and formulas live behind a pointer so that a
// sheet of numbers stays small. Slots share one text: copying 200,000 names
// then costs no allocation, and the first change gives the slot its own.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "host/format.h"
#include "host/model/formula/ast.h"
#include "host/value.h"

namespace tavo::model {

// Runs of fonts of their own are rare: kept out of line, a million plain
// names cost 64 bytes each rather than 80.
struct TextPayload {
  explicit TextPayload(std::string t) : text(std::move(t)) {}
  TextPayload(const TextPayload& o) : text(o.text), rich_(o.rich_ ? std::make_unique<Runs>(*o.rich_) : nullptr) {}
  TextPayload& operator=(const TextPayload&) = delete;

  using Runs = std::vector<host::TextRun>;
  const Runs& runs() const {
    static const Runs none;
    return rich_ ? *rich_ : none;
  }
  Runs& ownRuns() {
    if (!rich_) rich_ = std::make_unique<Runs>();
    return *rich_;
  }

  std::string text;
  std::uint32_t owners = 1;  // slots holding it; one thread edits cells
  // Left by a file writer: the entry this text got in the file being
  // written (`filedIn` names the writing), so that the cells sharing it
  // cost one look-up between them.
  mutable std::uint32_t fileEntry = 0;
  mutable std::uint32_t filedIn = 0;

 private:
  std::unique_ptr<Runs> rich_;
};

struct FormulaPayload {
  NodePtr root;              // null for a formula the model cannot evaluate
  std::string opaqueA1;      // its text as loaded, kept for such formulas
  // The text a file gave a formula the model reads, written back while
  // nothing has changed what it says: any move or reference update clears
  // it, and a sheet renamed since (`loadedAtRenames`) sets it aside.
  std::string loadedA1;
  std::uint32_t loadedAtRenames = 0;
  std::string arrayArea;     // "C1:C3" for an array formula's first cell, kept as loaded
  host::Value cached;        // last computed (or loaded) value
  std::uint64_t generation = 0;  // workbook generation of `cached`; 0 = stale
  bool evaluating = false;
};

using StyleId = std::uint32_t;  // 0: no format of its own

// Packed to 4 bytes: the 8-byte value needs no 8-byte alignment on the
// machines tavo runs on, and 12 bytes a cell instead of 16 is what lets a
// province's million rows fit.
#pragma pack(push, 4)
class Slot {
 public:
  enum class Kind : std::uint8_t { Empty, Number, Text, Boolean, Error, Formula };

  Slot() { u_.num = 0; }
  ~Slot() { release(); }
  Slot(Slot&& o) noexcept : u_(o.u_), bits_(o.bits_) { o.setKind(Kind::Empty); }
  Slot& operator=(Slot&& o) noexcept {
    if (this != &o) {
      release();
      u_ = o.u_;
      bits_ = o.bits_;
      o.setKind(Kind::Empty);
    }
    return *this;
  }
  Slot(const Slot&) = delete;
  Slot& operator=(const Slot&) = delete;
  Slot clone() const;

  Kind kind() const { return static_cast<Kind>(bits_ >> kStyleBits); }
  bool hasContent() const { return kind() != Kind::Empty; }
  bool isFormula() const { return kind() == Kind::Formula; }
  bool inUse() const { return bits_ != 0; }  // content or a format
  StyleId style() const { return bits_ & kStyleMask; }
  void setStyle(StyleId s) { bits_ = (bits_ & ~kStyleMask) | (s & kStyleMask); }

  double number() const { return u_.num; }
  const TextPayload& text() const { return *u_.text; }
  TextPayload& ownText();  // the text to change: this slot's alone
  FormulaPayload& formula() { return *u_.formula; }
  const FormulaPayload& formula() const { return *u_.formula; }

  // A constant's value; formulas must be read through the workbook.
  host::Value constant() const;
  void setConstant(const host::Value&);
  // The constant a value paste leaves: a text shares this one's, without
  // its runs. Not for formulas.
  Slot pastedValue() const;
  // This slot's content becomes a constant's, sharing its text.
  void setContentOf(const Slot& constant);
  // A value entered literally under `above` (null at the top): a plain text
  // equal to the one above shares its payload, so a column of a million
  // students' classes holds one text per class.
  void enterLiteral(const host::Value&, const Slot* above);
  void setFormula(std::unique_ptr<FormulaPayload>);
  void clearContent() {
    release();
    setKind(Kind::Empty);
  }

  // A style id takes the low 24 bits of a slot's word, its kind the high 8:
  // a file holds at most 64,000 formats, and a sheet of a million rows
  // saves a quarter of its cells' memory.
  static constexpr int kStyleBits = 24;
  static constexpr std::uint32_t kStyleMask = (1u << kStyleBits) - 1;

 private:
  void setKind(Kind k) { bits_ = (bits_ & kStyleMask) | (static_cast<std::uint32_t>(k) << kStyleBits); }
  void release() {
    if (kind() == Kind::Text) {
      if (--u_.text->owners == 0) delete u_.text;
    } else if (kind() == Kind::Formula)
      delete u_.formula;
  }
  union {
    double num;
    bool b;
    host::ErrorKind err;
    TextPayload* text;
    FormulaPayload* formula;
  } u_;
  std::uint32_t bits_ = 0;
};
#pragma pack(pop)
static_assert(sizeof(Slot) == 12);

class Column {
 public:
  int size() const { return static_cast<int>(slots_.size()); }  // last row held
  const Slot* get(int row) const {
    return row >= 1 && row <= size() ? &slots_[static_cast<std::size_t>(row - 1)] : nullptr;
  }
  Slot* find(int row) {
    return row >= 1 && row <= size() ? &slots_[static_cast<std::size_t>(row - 1)] : nullptr;
  }
  Slot& at(int row) {
    if (row > size()) slots_.resize(static_cast<std::size_t>(row));
    return slots_[static_cast<std::size_t>(row - 1)];
  }
  // Room for rows up to `row`, exactly, before a block is written in.
  void reserveTo(int row) {
    if (static_cast<std::size_t>(row) > slots_.capacity()) slots_.reserve(static_cast<std::size_t>(row));
  }
  // Drops empty trailing slots so that sizes stay the extent of the data.
  void trim() {
    while (!slots_.empty() && !slots_.back().inUse()) slots_.pop_back();
  }
  std::vector<Slot>& slots() { return slots_; }
  const std::vector<Slot>& slots() const { return slots_; }
  // Set when a formula is put in; cleared by a walk that finds none, so
  // reference updates skip the columns of values (a data sheet of 200,000
  // rows whose totals were formulas once).
  bool mayHoldFormulas() const { return mayHoldFormulas_; }
  void setMayHoldFormulas(bool on) { mayHoldFormulas_ = on; }

 private:
  std::vector<Slot> slots_;
  bool mayHoldFormulas_ = false;
};

}  // namespace tavo::model
