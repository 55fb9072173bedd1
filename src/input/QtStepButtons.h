#pragma once
// The mouse on a step button: any of its buttons pressed starts the held-button repeat, and only
// its release ends it, wherever the pointer has gone meanwhile. The click stays the push button's.
#include <QObject>
#include <functional>

namespace sorvant {

class StepButtonMouse final : public QObject {
 public:
  StepButtonMouse(std::function<void()> down, std::function<void()> up, QObject* parent);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  std::function<void()> down_;
  std::function<void()> up_;
};

}  // namespace sorvant
