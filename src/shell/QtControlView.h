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
  std::string toolTip;
  bool visible = false;
  QRect geometry;
  Color back = -1;
  Color fore = -1;
  // The font fitted to the caption: a caption that differs from the last fitted one only in its
  // digits has the same width when the font's digits all have the same width, and keeps its font.
  bool fitsCaption = false;  // labels and buttons: the font is made smaller where the caption would not fit
  bool tabularDigits = false;
  std::string fittedShape;
  QSize fittedRoom;
};

// The widget for a control: a push button, a label, a borderless panel, a captioned frame or a colour
// swatch, owned by its parent. Buttons never take the keyboard focus when keysGoToMap is set.
ControlView makeControlView(Control& control, QWidget* parent, bool keysGoToMap);
// Brings the widget up to date: caption, place (twips to pixels at the window's logical DPI, from
// `origin`, where its parent's client area begins), colours, visibility, tooltip, and a font that
// lets the caption fit the part of its box that shows.
void applyControl(ControlView& view, double dpi, QPoint origin = QPoint());
QFont fontOf(const FontSpec& spec);
// Pixels from twips at a logical DPI, and at a widget's logical DPI.
int twipsToPixels(double twips, double dpi);
int twipsToPixels(float twips, const QWidget& widget);

}  // namespace sorvant
