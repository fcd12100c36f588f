#include "engine/error_box.h"

#include <new>
#include <stdexcept>

#include "host/constants.h"
#include "host/value.h"

namespace tavo::engine {

namespace {

host::HostError AsHostError(std::exception_ptr error) {
  try {
    std::rethrow_exception(error);
  } catch (const host::HostError& e) {
    return e;
  } catch (const std::bad_alloc&) {
    return {7, "内存不足"};
  } catch (const std::exception& e) {
    return {51, std::string("内部错误: ") + e.what()};
  } catch (...) {
    return {51, "内部错误"};
  }
}

std::string ErrorPrompt(std::exception_ptr error) {
  return AsHostError(error).boxText();
}

}  // namespace

void ShowErrorBox(host::Platform& platform, std::exception_ptr error) {
  platform.messageBox(ErrorPrompt(error), host::code::kMsgCritical, "错误");
}

}  // namespace tavo::engine
