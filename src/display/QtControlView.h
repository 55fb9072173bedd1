#pragma once
// One widget showing one record of the controls model, shared by both windows: the widget is made
// for the record's kind and brought up to date from it, touching only what changed.
#include <QFont>
#include <QRect>
#include <QWidget>
#include <string>

#include "core/Controls.h"

namespace sorvant {

struct ControlView {
  Control* control = nullptr;
  QWidget* widget = nullptr;
  bool applied = false;
  std::string caption;
  std::string fitted;  // the caption a label's font was last fitted to
  std::string toolTip;
  bool visible = false;
  QRect geometry;
  Color back = -1;
  Color fore = -1;
};

// The widget for a control: a push button, a label, a borderless panel, a captioned frame or a colour
// swatch, owned by its parent. Buttons never take the keyboard focus when keysGoToMap is set.
ControlView makeControlView(Control& control, QWidget* parent, bool keysGoToMap);
// Brings the widget up to date: caption, place (pixels), colours, visibility, tooltip.
void applyControl(ControlView& view, const QRect& geometry);
QFont fontOf(const FontSpec& spec);
// Pixels from twips at a widget's logical DPI.
int twipsToPixels(float twips, const QWidget& widget);

}  // namespace sorvant
