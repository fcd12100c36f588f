#include "host/model/application.h"

#include <algorithm>

namespace tavo::model {

using host::HostError;

Application::Application(host::Platform& platform, std::string version)
    : platform_(platform), version_(std::move(version)) {}

Application::~Application() = default;

Workbook& Application::createWorkbook(const std::string& name, const std::string& path) {
  return adopt(std::make_unique<Workbook>(*this, name, path));
}

Workbook& Application::adopt(std::unique_ptr<Workbook> wb) {
  if (findWorkbook(wb->name())) throw HostError::refused("不能同时打开两个名称相同的工作簿: " + wb->name());
  books_.push_back(std::move(wb));
  Workbook& w = *books_.back();
  if (!this_) this_ = &w;
  active_ = &w;
  return w;
}

void Application::setThisWorkbook(Workbook& w) { this_ = &w; }
void Application::setActiveWorkbook(Workbook& w) { active_ = &w; }

host::Workbook& Application::thisWorkbook() {
  if (!this_) throw HostError::refused("没有系统工作簿");
  return *this_;
}

Workbook& Application::modelWorkbook(int index) {
  if (index < 1 || index > workbookCount()) throw HostError::subscriptOutOfRange();
  return *books_[static_cast<std::size_t>(index - 1)];
}

host::Workbook& Application::workbook(int index) { return modelWorkbook(index); }

host::Workbook* Application::findWorkbook(const std::string& name) {
  for (auto& b : books_)
    if (b->name() == name) return b.get();
  return nullptr;
}

host::Workbook& Application::workbook(const std::string& name) {
  if (auto* b = findWorkbook(name)) return *b;
  throw HostError::subscriptOutOfRange();
}

host::Workbook& Application::openWorkbook(const std::string& fullPath) {
  if (!loader_) throw HostError::refused("无法打开文件: " + fullPath);
  auto wb = loader_(*this, fullPath);
  return adopt(std::move(wb));
}

host::Workbook& Application::activeWorkbook() {
  if (!active_) throw HostError::refused("没有活动工作簿");
  return *active_;
}

host::Worksheet& Application::activeSheet() { return activeWorkbook().activeSheet(); }
host::Window& Application::activeWindow() { return activeWorkbook().window(); }

void Application::closeWorkbook(Workbook& w) {
  auto it = std::find_if(books_.begin(), books_.end(), [&](auto& b) { return b.get() == &w; });
  if (it == books_.end()) return;
  if (onClose_) onClose_(w);
  if (this_ == &w) this_ = nullptr;
  books_.erase(it);
  if (active_ == &w) active_ = books_.empty() ? nullptr : books_.back().get();
}

std::string Application::fullPath(const Workbook& w, char sep) {
  return w.path().empty() ? w.name() : w.path() + sep + w.name();
}

}  // namespace tavo::model
