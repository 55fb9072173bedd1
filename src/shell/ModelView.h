#pragma once

namespace sorvant {

// A window that mirrors part of the controls model and brings its widgets up to date on request.
class ModelView {
 public:
  virtual ~ModelView() = default;
  virtual void syncFromModel() = 0;
};

}  // namespace sorvant
