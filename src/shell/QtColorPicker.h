#pragma once
#include <QColorDialog>
#include <QPointer>
#include <QWidget>

#include "core/Interfaces.h"
#include "shell/ImageSurface.h"

namespace sorvant {

// The platform colour dialog, modal, starting at the given colour; cancel returns the start colour.
class QtColorPicker final : public ColorPicker {
 public:
  void setParentWidget(QWidget* parent) { parent_ = parent; }
  Color showColor(Color start) override {
    const QColor chosen = QColorDialog::getColor(toQColor(start), parent_);
    if (!chosen.isValid()) return start;
    return rgb(chosen.red(), chosen.green(), chosen.blue());
  }

 private:
  QPointer<QWidget> parent_;
};

}  // namespace sorvant
