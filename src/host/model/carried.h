// What a file held that the model does not model (a sheet's conditional
// formats, filter, comments; a workbook's names), kept by the reader of
// that format for its writer to put back. The model holds it and never
// looks inside: its type belongs to the format.
#pragma once

#include <memory>

namespace tavo::model {

struct Carried {
  virtual ~Carried() = default;
};

using CarriedPtr = std::shared_ptr<const Carried>;

}  // namespace tavo::model
