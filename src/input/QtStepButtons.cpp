#include "input/QtStepButtons.h"

#include <QEvent>

namespace sorvant {

StepButtonMouse::StepButtonMouse(std::function<void()> down, std::function<void()> up, QObject* parent)
    : QObject(parent), down_(std::move(down)), up_(std::move(up)) {}

bool StepButtonMouse::eventFilter(QObject* watched, QEvent* event) {
  // The push button's own pressed and released signals follow the pointer in and out of the
  // button and hear only the left mouse button; the raw events hear every button, and the release
  // reaches the button that had the press even when the pointer is elsewhere.
  switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:  // the second press of a double click
      down_();
      break;
    case QEvent::MouseButtonRelease:
      up_();
      break;
    default:
      break;
  }
  return QObject::eventFilter(watched, event);
}

}  // namespace sorvant
