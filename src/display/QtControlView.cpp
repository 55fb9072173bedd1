#include "display/QtControlView.h"

#include <QFontMetrics>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <cmath>

#include "display/ImageSurface.h"

namespace sorvant {
namespace {

// A label's font, made smaller (down to three quarters) where this platform's font would otherwise
// cut the caption off at the label's edge.
QFont fittedFont(const Control& c, int widthPixels) {
  QFont font = fontOf(c.font);
  const QString text = QString::fromStdString(c.caption);
  for (qreal size = c.font.size; size >= c.font.size * 0.75; size -= 0.25) {
    font.setPointSizeF(size);
    if (QFontMetrics(font).horizontalAdvance(text) <= widthPixels) break;
  }
  return font;
}

}  // namespace

QFont fontOf(const FontSpec& spec) {
  // "Arial" is served by a metric-compatible sans serif; "Small Fonts" by the same family small.
  QFont font(QStringLiteral("Arial"));
  font.setPointSizeF(spec.size);
  font.setBold(spec.bold);
  font.setItalic(spec.italic);
  return font;
}

int twipsToPixels(float twips, const QWidget& widget) {
  return static_cast<int>(std::lround(twips * widget.logicalDpiX() / 1440.0));
}

ControlView makeControlView(Control& c, QWidget* parent, bool keysGoToMap) {
  QWidget* w = nullptr;
  switch (c.kind) {
    case ControlKind::Button: {
      auto* b = new QPushButton(parent);  // owned by its parent widget
      if (keysGoToMap) b->setFocusPolicy(Qt::NoFocus);
      w = b;
      break;
    }
    case ControlKind::Label: {
      auto* l = new QLabel(parent);
      l->setAlignment(c.centred ? Qt::AlignHCenter | (c.wordWrap ? Qt::AlignTop : Qt::AlignVCenter)
                                : Qt::AlignLeft | Qt::AlignTop);
      l->setWordWrap(c.wordWrap);
      l->setTextFormat(Qt::PlainText);
      w = l;
      break;
    }
    case ControlKind::Frame:
      w = new QGroupBox(QString::fromStdString(c.caption), parent);
      break;
    case ControlKind::Swatch: {
      auto* f = new QFrame(parent);
      f->setFrameShape(QFrame::Box);
      f->setCursor(Qt::PointingHandCursor);
      w = f;
      break;
    }
    case ControlKind::Panel: {
      auto* f = new QFrame(parent);
      f->setFrameShape(QFrame::NoFrame);
      w = f;
      break;
    }
  }
  w->setAutoFillBackground(c.kind != ControlKind::Frame);
  w->setObjectName(QString::fromStdString(c.name));
  w->setFont(fontOf(c.font));
  ControlView view;
  view.control = &c;
  view.widget = w;
  return view;
}

void applyControl(ControlView& v, const QRect& geometry) {
  const Control& c = *v.control;
  const bool force = !v.applied;
  if (force || c.caption != v.caption) {
    if (auto* button = qobject_cast<QPushButton*>(v.widget))
      button->setText(QString::fromStdString(c.caption));
    else if (auto* label = qobject_cast<QLabel*>(v.widget))
      label->setText(QString::fromStdString(c.caption));
    v.caption = c.caption;
  }
  const bool placed = force || geometry != v.geometry;
  if (placed) {
    v.widget->setGeometry(geometry);
    v.geometry = geometry;
  }
  if (c.kind == ControlKind::Label && !c.wordWrap && (placed || c.caption != v.fitted)) {
    const QFont font = fittedFont(c, geometry.width());
    if (font != v.widget->font()) v.widget->setFont(font);
    v.fitted = c.caption;
  }
  if (force || c.backColor != v.back || c.foreColor != v.fore) {
    QPalette p = v.widget->palette();
    p.setColor(QPalette::Window, toQColor(c.backColor));
    p.setColor(QPalette::Button, toQColor(c.backColor));
    p.setColor(QPalette::WindowText, toQColor(c.foreColor));
    p.setColor(QPalette::ButtonText, toQColor(c.foreColor));
    v.widget->setPalette(p);
    v.back = c.backColor;
    v.fore = c.foreColor;
  }
  if (force || c.toolTip != v.toolTip) {
    v.widget->setToolTip(QString::fromStdString(c.toolTip));
    v.toolTip = c.toolTip;
  }
  if (force || c.visible != v.visible) {
    v.widget->setVisible(c.visible);
    v.visible = c.visible;
  }
  v.applied = true;
}

}  // namespace sorvant
