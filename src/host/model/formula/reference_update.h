// How references follow structural changes. Each update sees every reference
// of every formula of the workbook together with the sheet that holds the
// formula, and rewrites the ones that point into the changed sheet.
#pragma once

#include "host/model/formula/ast.h"

namespace tavo::model {

class ReferenceUpdate {
 public:
  virtual ~ReferenceUpdate() = default;
  // `holder` is the sheet of the formula; the reference's target sheet is
  // ref.sheet, or `holder` when that is null.
  virtual void update(Reference& ref, const Sheet* holder) const = 0;
};

// Rows inserted before `at` (count > 0) or rows at .. at-count-1 deleted
// (count < 0), in the columns first..last of `sheet` (all columns for whole
// rows). With `columns` true the same along columns, in a band of rows.
class InsertDeleteUpdate final : public ReferenceUpdate {
 public:
  InsertDeleteUpdate(const Sheet* sheet, bool columns, int at, int count, int bandFirst,
                     int bandLast)
      : sheet_(sheet), columns_(columns), at_(at), count_(count), first_(bandFirst), last_(bandLast) {}
  void update(Reference& ref, const Sheet* holder) const override;

 private:
  const Sheet* sheet_;
  bool columns_;
  int at_, count_, first_, last_;
};

// The cells of `source` on `from` moved by (dr, dc) onto `to` (cut and paste).
class BlockMoveUpdate final : public ReferenceUpdate {
 public:
  BlockMoveUpdate(const Sheet* from, host::Rect source, const Sheet* to, int dr, int dc)
      : from_(from), to_(to), source_(source), dr_(dr), dc_(dc) {}
  void update(Reference& ref, const Sheet* holder) const override;

 private:
  const Sheet* from_;
  const Sheet* to_;
  host::Rect source_;
  int dr_, dc_;
};

// Rows source.top..source.bottom of the columns source.left..right cut and
// inserted before row `at` with the cells there shifting down.
class RowRotateUpdate final : public ReferenceUpdate {
 public:
  RowRotateUpdate(const Sheet* sheet, host::Rect source, int at)
      : sheet_(sheet), source_(source), at_(at) {}
  void update(Reference& ref, const Sheet* holder) const override;
  // Where a row of the band goes.
  int newRow(int row) const;

 private:
  const Sheet* sheet_;
  host::Rect source_;
  int at_;
};

class SheetDeletedUpdate final : public ReferenceUpdate {
 public:
  explicit SheetDeletedUpdate(const Sheet* sheet) : sheet_(sheet) {}
  void update(Reference& ref, const Sheet* holder) const override;

 private:
  const Sheet* sheet_;
};

// A copied formula: relative parts move by (dr, dc); parts pushed off the
// sheet make the reference #REF!.
void shiftRelative(Node& root, int dr, int dc);

// A formula moved from sheet `from` to sheet `to`: references keep their
// target sheets, written unqualified exactly when they point at `to`.
void rehome(Node& root, const Sheet* from, const Sheet* to);

}  // namespace tavo::model
