// The model's workbook: sheets, styles, palette, window, and the formula
// evaluation that always returns current values.
#pragma once

#include <array>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "host/model/formula/evaluator.h"
#include "host/model/sheet.h"
#include "host/model/style_table.h"
#include "host/window.h"
#include "host/workbook.h"

namespace tavo::model {

class Application;

class Workbook final : public host::Workbook, private EvalContext {
 public:
  // A new workbook with one sheet "Sheet1".
  Workbook(Application& app, std::string name, std::string path);
  ~Workbook() override;

  std::string name() const override { return name_; }
  std::string path() const override { return path_; }
  int sheetCount() const override { return static_cast<int>(sheets_.size()); }
  host::Worksheet& sheet(int index) override;
  host::Worksheet& sheet(const std::string& name) override;
  host::Worksheet* findSheet(const std::string& name) override;
  host::Worksheet& addSheet(host::Worksheet* before) override;
  void deleteSheet(host::Worksheet&) override;
  host::Worksheet& activeSheet() override;
  void activate() override;
  void close() override;  // ends this object
  host::Window& window() override { return window_; }
  host::Chart& addChartSheet() override;
  host::Chart& locateChart(host::Chart& onChartSheet, host::Worksheet& on) override;
  host::Rgb color(int index) const override;
  void setColor(int index, host::Rgb) override;

  // ---- model side ----
  Sheet& modelSheet(int index);  // 1-based
  const Sheet& modelSheet(int index) const { return const_cast<Workbook*>(this)->modelSheet(index); }
  Sheet* findModelSheet(std::string_view name) const;
  int indexOf(const Sheet&) const;  // 1-based, 0 when not here
  Sheet& appendSheet(const std::string& name);
  void moveSheet(Sheet&, int newIndex);
  void setActiveSheet(Sheet&);
  Sheet& activeModelSheet() { return *sheets_[static_cast<std::size_t>(active_)]; }
  const Sheet& activeModelSheet() const { return *sheets_[static_cast<std::size_t>(active_)]; }
  Application& application() { return app_; }
  StyleTable& styles() { return styles_; }
  // A style of another workbook as this one's; its file colours are looked
  // up by their RGB value, as index 57 on means another colour here.
  StyleId adoptStyle(const Workbook& from, StyleId);
  const StyleTable& styles() const { return styles_; }
  const std::array<host::Rgb, 56>& palette() const { return colors_.palette; }
  const host::ColorTable& colors() const { return colors_; }
  host::ColorTable& colors() { return colors_; }
  double tabRatio() const { return tabRatio_; }
  // The file counts its dates from 1904 (as older Mac files do): kept, so
  // that its date cells stay the same dates when it is saved.
  bool dates1904() const { return dates1904_; }
  void setDates1904(bool on) { dates1904_ = on; }
  void setPath(std::string p) { path_ = std::move(p); }
  void setName(std::string n) { name_ = std::move(n); }

  // What the file held beside what the model holds, for its writer.
  const CarriedPtr& carried() const { return carried_; }
  void setCarried(CarriedPtr carried) { carried_ = std::move(carried); }

  // Every mutation bumps the generation; formula values are recomputed when
  // read in a newer generation.
  void touch() { ++generation_; }
  std::uint64_t generation() const { return generation_; }
  // How many times a sheet was renamed: formula texts as loaded name sheets
  // by their names then.
  void noteRename() { ++renames_; }
  std::uint32_t renames() const { return renames_; }
  host::Value formulaValue(const Slot&, const Sheet&, host::Cell) const;
  void updateReferences(const ReferenceUpdate&);

 private:
  class ModelWindow final : public host::Window {
   public:
    explicit ModelWindow(Workbook& wb) : wb_(wb) {}
    int splitRow() const override { return view().splitRow; }
    void setSplitRow(int) override;
    int splitColumn() const override { return view().splitColumn; }
    void setSplitColumn(int) override;
    bool freezePanes() const override { return view().freezePanes; }
    void setFreezePanes(bool) override;
    int scrollRow() const override { return view().scrollRow; }
    void setScrollRow(int) override;
    int scrollColumn() const override { return view().scrollColumn; }
    void setScrollColumn(int) override;
    double tabRatio() const override { return wb_.tabRatio_; }
    void setTabRatio(double) override;

   private:
    SheetView& view() const { return wb_.activeModelSheet().view(); }
    Workbook& wb_;
  };

  host::Value cell(const Sheet*, host::Cell) override;
  void forEachValue(const Sheet*, const host::Rect&,
                    const std::function<void(const host::Value&)>&) override;
  const std::vector<double>& sortedNumbers(const Sheet*, const host::Rect&) override;
  std::string uniqueSheetName() const;

  Application& app_;
  std::string name_, path_;
  std::vector<std::unique_ptr<Sheet>> sheets_;
  // Charts on chart sheets of their own, until they are located on a sheet;
  // files carry only embedded charts.
  std::vector<std::unique_ptr<ModelChart>> chartSheets_;
  int active_ = 0;  // 0-based
  StyleTable styles_;
  host::ColorTable colors_;
  double tabRatio_ = 0.6;
  bool dates1904_ = false;
  CarriedPtr carried_;
  ModelWindow window_;
  std::uint64_t generation_ = 1;
  std::uint32_t renames_ = 0;
  int evalDepth_ = 0;
  struct RankCache {
    std::uint64_t generation = 0;
    std::vector<double> sorted;
  };
  std::map<std::tuple<const Sheet*, int, int, int, int>, RankCache> rankCache_;
};

}  // namespace tavo::model
