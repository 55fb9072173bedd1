#include "shell/QtTitleStrip.h"

#include <QAbstractButton>
#include <QApplication>
#include <QEvent>
#include <QFontMetrics>
#include <QMouseEvent>
#include <QPainter>
#include <QWindow>
#include <algorithm>
#include <cmath>

namespace sorvant {
namespace {

// A usual title bar's height at 96 DPI, in pixels, and the room round the title's letters.
constexpr int kNominalHeight = 30;
constexpr int kTextRoom = 12;
constexpr int kTextPadding = 10;

enum Glyph { Minimise, Maximise, Close };

// The strip draws in the application's colours, not in those of the window it stands on (the main
// window takes the display's background colour).
QPalette stripPalette() { return QApplication::palette(); }

// The title and the glyphs: the application's text colour, lighter while another window is active,
// yet still plainly readable.
QColor inkFor(bool active) {
  const QPalette p = stripPalette();
  const QColor text = p.color(QPalette::Active, QPalette::WindowText);
  if (active) return text;
  const QColor back = p.color(QPalette::Window);
  return QColor((text.red() * 3 + back.red() * 2) / 5, (text.green() * 3 + back.green() * 2) / 5,
                (text.blue() * 3 + back.blue() * 2) / 5);
}

QFont titleFont() {
  QFont f = QApplication::font();
  f.setBold(true);
  return f;
}

}  // namespace

// A button of the strip: a square with a glyph drawn in lines, so it is sharp at any scale and
// needs no icon font. It never takes the keyboard focus: keys stay with the window.
class TitleStrip::Button final : public QAbstractButton {
 public:
  Button(int glyph, const QWidget& window, QWidget* parent) : QAbstractButton(parent), glyph_(glyph), window_(window) {
    setFocusPolicy(Qt::NoFocus);
    setAttribute(Qt::WA_Hover);
    setToolTip(glyph == Minimise ? tr("Minimise") : glyph == Maximise ? tr("Maximise or restore") : tr("Close"));
  }

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter p(this);
    const QPalette pal = stripPalette();
    const bool hot = underMouse() || isDown();
    if (hot) p.fillRect(rect(), glyph_ == Close ? QColor(0xc4, 0x2b, 0x1c) : pal.color(QPalette::Window).darker(140));
    const QColor ink = hot && glyph_ == Close ? QColor(Qt::white) : inkFor(window_.isActiveWindow() || hot);
    const qreal side = std::round(height() * 0.32);
    const QRectF box(QPointF((width() - side) / 2, (height() - side) / 2), QSizeF(side, side));
    QPen pen(ink, std::max(1.0, std::round(height() / 20.0)));
    pen.setCapStyle(Qt::FlatCap);
    p.setPen(pen);
    p.setRenderHint(QPainter::Antialiasing, glyph_ == Close);
    const qreal inset = pen.widthF() / 2;
    switch (glyph_) {
      case Minimise:
        p.drawLine(QPointF(box.left(), box.bottom() - inset), QPointF(box.right(), box.bottom() - inset));
        break;
      case Maximise:
        if (window_.isMaximized()) {
          // Restore: two overlapping windows.
          const qreal shift = std::round(side / 4);
          const QRectF front = box.adjusted(inset, shift + inset, -shift - inset, -inset);
          p.drawRect(front);
          p.drawPolyline(QPolygonF{QPointF(front.left() + shift, front.top() - shift),
                                   QPointF(box.right() - inset, front.top() - shift),
                                   QPointF(box.right() - inset, front.bottom() - shift)});
        } else {
          p.drawRect(box.adjusted(inset, inset, -inset, -inset));
        }
        break;
      default:
        p.drawLine(box.topLeft(), box.bottomRight());
        p.drawLine(box.topRight(), box.bottomLeft());
        break;
    }
  }

 private:
  int glyph_;
  const QWidget& window_;
};

TitleStrip::TitleStrip(QWidget& window, Actions actions)
    : QWidget(&window), window_(window), actions_(std::move(actions)) {
  setFocusPolicy(Qt::NoFocus);
  setAttribute(Qt::WA_OpaquePaintEvent);
  if (actions_.minimise) minimise_ = addButton(Minimise, actions_.minimise);
  if (actions_.toggleMaximised) maximise_ = addButton(Maximise, actions_.toggleMaximised);
  close_ = addButton(Close, actions_.close);
  // The window's title, activation and state show on the strip.
  window_.installEventFilter(this);
  place();
}

QAbstractButton* TitleStrip::addButton(int glyph, const std::function<void()>& action) {
  auto* b = new Button(glyph, window_, this);
  connect(b, &QAbstractButton::clicked, this, [action] { action(); });
  return b;
}

int TitleStrip::heightFor(const QWidget& window) {
  const int byDpi = static_cast<int>(std::lround(kNominalHeight * window.logicalDpiY() / 96.0));
  int h = std::max(byDpi, QFontMetrics(titleFont()).height() + kTextRoom);
  // At a fractional scale the strip ends on a whole device pixel, so what lies below it does too.
  const qreal dpr = window.devicePixelRatioF();
  for (int more = 0; more < 8; ++more) {
    const qreal device = (h + more) * dpr;
    if (std::abs(device - std::round(device)) < 1e-6) return h + more;
  }
  return h;
}

int TitleStrip::place() {
  const int h = heightFor(window_);
  setGeometry(0, 0, window_.width(), h);
  raise();
  return h;
}

void TitleStrip::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  placeButtons();
}

void TitleStrip::placeButtons() {
  const int side = height();
  int x = width();
  for (QAbstractButton* b : {close_, maximise_, minimise_}) {
    if (!b) continue;
    x -= side;
    b->setGeometry(x, 0, side, side);
  }
}

QRect TitleStrip::titleRect() const {
  // Centred over the window, clear of the buttons on either side.
  int buttons = 0;
  for (const QAbstractButton* b : {close_, maximise_, minimise_})
    if (b) buttons += height();
  const int margin = buttons + kTextPadding;
  return QRect(margin, 0, std::max(0, width() - 2 * margin), height());
}

void TitleStrip::paintEvent(QPaintEvent*) {
  QPainter p(this);
  const QPalette pal = stripPalette();
  const bool active = window_.isActiveWindow();
  const QColor back = pal.color(QPalette::Window);
  p.fillRect(rect(), active ? back.darker(112) : back);
  p.setPen(back.darker(150));
  p.drawLine(0, height() - 1, width(), height() - 1);  // the strip's edge against the window
  const QFont font = titleFont();
  p.setFont(font);
  p.setPen(inkFor(active));
  const QRect text = titleRect();
  p.drawText(text, Qt::AlignCenter, QFontMetrics(font).elidedText(window_.windowTitle(), Qt::ElideRight, text.width()));
}

void TitleStrip::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return QWidget::mousePressEvent(event);
  // A press alone does not move the window yet: a click, or the first of a double click, leaves it.
  pressedAt_ = event->position().toPoint();
  event->accept();
}

void TitleStrip::mouseMoveEvent(QMouseEvent* event) {
  const QPoint global = event->globalPosition().toPoint();
  if (dragOffset_) {
    window_.move(global - *dragOffset_);
    return;
  }
  if (!pressedAt_ || !(event->buttons() & Qt::LeftButton)) return;
  if ((event->position().toPoint() - *pressedAt_).manhattanLength() < QApplication::startDragDistance()) return;
  pressedAt_.reset();
  // The window system moves the window (it alone may place a window on Wayland); where it cannot,
  // the window follows the pointer itself.
  QWindow* handle = window_.windowHandle();
  if (handle && handle->startSystemMove()) return;
  dragOffset_ = global - window_.pos();
}

void TitleStrip::mouseReleaseEvent(QMouseEvent* event) {
  pressedAt_.reset();
  dragOffset_.reset();
  event->accept();
}

void TitleStrip::mouseDoubleClickEvent(QMouseEvent* event) {
  pressedAt_.reset();
  if (event->button() == Qt::LeftButton && actions_.toggleMaximised) actions_.toggleMaximised();
  event->accept();
}

bool TitleStrip::eventFilter(QObject* watched, QEvent* event) {
  if (watched == &window_) {
    switch (event->type()) {
      case QEvent::WindowTitleChange:
      case QEvent::ActivationChange:
        update();
        for (QAbstractButton* b : {minimise_, maximise_, close_})
          if (b) b->update();
        break;
      case QEvent::WindowStateChange:
        if (maximise_) maximise_->update();
        break;
      default:
        break;
    }
  }
  return QWidget::eventFilter(watched, event);
}

}  // namespace sorvant
