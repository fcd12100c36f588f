// The model's application: the open workbooks, the switches, the platform
// and the loader that opens files (the xlsx reader plugs in here).
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "host/application.h"
#include "host/model/workbook.h"

namespace tavo::model {

class Application final : public host::Application {
 public:
  // Builds a workbook from a file; throws HostError when it cannot.
  using Loader = std::function<std::unique_ptr<Workbook>(Application&, const std::string& path)>;

  explicit Application(host::Platform& platform, std::string version = "16.0");
  ~Application() override;

  bool displayAlerts() const override { return displayAlerts_; }
  void setDisplayAlerts(bool b) override { displayAlerts_ = b; }
  bool screenUpdating() const override { return screenUpdating_; }
  void setScreenUpdating(bool b) override { screenUpdating_ = b; }
  bool enableEvents() const override { return enableEvents_; }
  void setEnableEvents(bool b) override { enableEvents_ = b; }
  std::string version() const override { return version_; }
  host::ChartPlacement chartPlacement() const override { return host::ChartPlacementOfVersion(version_); }

  host::Workbook& thisWorkbook() override;
  int workbookCount() const override { return static_cast<int>(books_.size()); }
  host::Workbook& workbook(int index) override;
  host::Workbook* findWorkbook(const std::string& name) override;
  host::Workbook& workbook(const std::string& name) override;
  host::Workbook& openWorkbook(const std::string& fullPath) override;
  host::Workbook& activeWorkbook() override;
  host::Worksheet& activeSheet() override;
  host::Window& activeWindow() override;
  host::Platform& platform() override { return platform_; }

  // ---- model side ----
  Workbook& createWorkbook(const std::string& name, const std::string& path);
  Workbook& adopt(std::unique_ptr<Workbook>);  // an already built workbook joins the host
  void setThisWorkbook(Workbook&);
  void setActiveWorkbook(Workbook&);
  void setLoader(Loader l) { loader_ = std::move(l); }
  void setVersion(std::string v) { version_ = std::move(v); }
  void closeWorkbook(Workbook&);
  // Told of a workbook about to close, while it is still whole.
  void setOnClose(std::function<void(const Workbook&)> f) { onClose_ = std::move(f); }
  Workbook& modelWorkbook(int index);  // 1-based
  // Full path of the file a workbook was opened from, "" for new ones.
  static std::string fullPath(const Workbook&, char separator);

 private:
  host::Platform& platform_;
  std::string version_;
  bool displayAlerts_ = true, screenUpdating_ = true, enableEvents_ = true;
  std::vector<std::unique_ptr<Workbook>> books_;
  Workbook* this_ = nullptr;
  Workbook* active_ = nullptr;
  Loader loader_;
  std::function<void(const Workbook&)> onClose_;
};

}  // namespace tavo::model
