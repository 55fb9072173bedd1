#include "shell/QtControlView.h"

#include <QEvent>
#include <QFontMetrics>
#include <QFrame>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QStyleOptionButton>
#include <cmath>

#include "shell/ImageSurface.h"

namespace sorvant {
namespace {

// A frame with its caption set into its border line, the border running through the caption's
// middle. Its contents margins mark the inside of the border, so what lies there is not drawn over
// the line.
class CaptionedFrame final : public QWidget {
 public:
  CaptionedFrame(QString title, QWidget* parent) : QWidget(parent), title_(std::move(title)) { updateMargins(); }

 protected:
  void changeEvent(QEvent* event) override {
    if (event->type() == QEvent::FontChange) updateMargins();
    QWidget::changeEvent(event);
  }
  void paintEvent(QPaintEvent*) override {
    QPainter p(this);
    const QFontMetrics fm(font());
    // An etched line drawn here rather than by the style: a style's group box frame leaves room for
    // a title of its own above the line, which would put the line a caption's height lower than
    // the twips place it, behind the frame's first row of controls.
    const QRect box = rect().adjusted(0, lineY(), -1, -1);
    p.setPen(palette().color(QPalette::Dark));
    p.drawRect(box.adjusted(0, 0, -1, -1));
    p.setPen(palette().color(QPalette::Light));
    p.drawRect(box.adjusted(1, 1, 0, 0));
    const QRect caption(kCaptionIndent, 0, fm.horizontalAdvance(title_) + 2 * kCaptionPad, fm.height());
    p.fillRect(caption, parentWidget() ? parentWidget()->palette().window() : palette().window());
    p.setPen(palette().color(QPalette::WindowText));
    p.drawText(caption, Qt::AlignCenter, title_);
  }

 private:
  static constexpr int kCaptionIndent = 6;
  static constexpr int kCaptionPad = 2;
  int lineY() const { return QFontMetrics(font()).height() / 2; }
  // The dark line and the light one beside it are each one pixel wide.
  void updateMargins() { setContentsMargins(2, lineY() + 2, 2, 2); }

  QString title_;
};

// The part of a widget's box that its parent shows: a panel shows what lies inside it, a captioned
// frame what lies inside its border. The window cuts nothing: its controls may move out of view.
QRect shownBox(const QWidget& w, const QRect& geometry) {
  const QWidget* parent = w.parentWidget();
  if (!parent || parent->isWindow()) return geometry;
  return geometry & parent->contentsRect();
}

// The room a caption has, in the widget's own pixels. A button centres its caption, blanks included,
// inside its border; it keeps a pixel clear on each side.
QSize captionRoom(const QWidget& w, const QRect& geometry) {
  const QRect shown = shownBox(w, geometry).translated(-geometry.topLeft());
  if (auto* button = qobject_cast<const QPushButton*>(&w)) {
    QStyleOptionButton opt;
    opt.initFrom(button);
    opt.rect = QRect(QPoint(0, 0), geometry.size());
    const QRect inside = button->style()->subElementRect(QStyle::SE_PushButtonContents, &opt, button) & shown;
    return {inside.width() - 2, inside.height()};
  }
  return shown.size();
}

bool fits(const QFont& font, const QString& text, const QSize& room, bool wordWrap) {
  const QFontMetrics fm(font);
  if (!wordWrap) return fm.horizontalAdvance(text) <= room.width();
  const QRect needed = fm.boundingRect(QRect(QPoint(0, 0), room), Qt::TextWordWrap, text);
  return needed.width() <= room.width() && needed.height() <= room.height();
}

bool digitsShareOneWidth(const QFont& font) {
  const QFontMetrics fm(font);
  const int zero = fm.horizontalAdvance(QLatin1Char('0'));
  for (char d = '1'; d <= '9'; ++d)
    if (fm.horizontalAdvance(QLatin1Char(d)) != zero) return false;
  return true;
}

// What a caption's width depends on: with digits of one width, the caption with every digit made 0.
std::string shapeOf(const std::string& caption, bool tabularDigits) {
  if (!tabularDigits) return caption;
  std::string shape = caption;
  for (char& ch : shape)
    if (ch >= '0' && ch <= '9') ch = '0';
  return shape;
}

// Gives the caption a font that fits the room: the control's own size, made smaller (down to three
// quarters) where this platform's font would otherwise cut the caption off or run it over a border.
// Measures only when the caption's shape or its room changed since the last fit.
void fitCaption(ControlView& v) {
  const Control& c = *v.control;
  const QSize room = captionRoom(*v.widget, v.geometry);
  if (room == v.fittedRoom && shapeOf(c.caption, v.tabularDigits) == v.fittedShape) return;
  QFont font = fontOf(c.font);
  const QString text = QString::fromStdString(c.caption);
  for (qreal size = c.font.size; size >= c.font.size * 0.75; size -= 0.25) {
    font.setPointSizeF(size);
    if (fits(font, text, room, c.wordWrap)) break;
  }
  if (font != v.widget->font()) v.widget->setFont(font);
  v.tabularDigits = digitsShareOneWidth(font);
  v.fittedShape = shapeOf(c.caption, v.tabularDigits);
  v.fittedRoom = room;
}

}  // namespace

QFont fontOf(const FontSpec& spec) {
  QFont font;
  // "Arial" is served by a metric-compatible sans serif. "Small Fonts" is a narrow face: the buttons'
  // captions, blanks and all, were laid out for its narrow letters.
  if (spec.name == "Small Fonts")
    font.setFamilies(
        {QStringLiteral("Liberation Sans Narrow"), QStringLiteral("Arial Narrow"), QStringLiteral("Arial")});
  else
    font.setFamily(QStringLiteral("Arial"));
  font.setPointSizeF(spec.size);
  font.setBold(spec.bold);
  font.setItalic(spec.italic);
  return font;
}

int twipsToPixels(double twips, double dpi) { return static_cast<int>(std::lround(twips * dpi / 1440.0)); }

int twipsToPixels(float twips, const QWidget& widget) { return twipsToPixels(twips, widget.logicalDpiX()); }

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
      w = new CaptionedFrame(QString::fromStdString(c.caption), parent);
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
  // A label in a panel shows the panel's background, whatever colour the panel has been given since:
  // the colour scheme sets only a label's text colour, and a box of its own would stand out on any
  // other background. A frame shows the window behind it.
  const bool showsParent = c.kind == ControlKind::Frame || (c.kind == ControlKind::Label && c.parent != nullptr);
  w->setAutoFillBackground(!showsParent);
  w->setObjectName(QString::fromStdString(c.name));
  w->setFont(fontOf(c.font));
  ControlView view;
  view.control = &c;
  view.widget = w;
  view.fitsCaption = c.kind == ControlKind::Label || c.kind == ControlKind::Button;
  return view;
}

void applyControl(ControlView& v, double dpi, QPoint origin) {
  const Control& c = *v.control;
  const bool force = !v.applied;
  bool recaptioned = false;
  if (force || c.caption != v.caption) {
    if (auto* button = qobject_cast<QPushButton*>(v.widget))
      button->setText(QString::fromStdString(c.caption));
    else if (auto* label = qobject_cast<QLabel*>(v.widget))
      label->setText(QString::fromStdString(c.caption));
    v.caption = c.caption;
    recaptioned = true;
  }
  bool placed = false;
  const QRect geometry = QRect(twipsToPixels(c.left, dpi), twipsToPixels(c.top, dpi), twipsToPixels(c.width, dpi),
                               twipsToPixels(c.height, dpi))
                             .translated(origin);
  if (force || geometry != v.geometry) {
    v.widget->setGeometry(geometry);
    v.geometry = geometry;
    placed = true;
  }
  if (v.fitsCaption && (placed || recaptioned)) fitCaption(v);
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
