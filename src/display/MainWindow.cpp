#include "display/MainWindow.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QWindow>
#include <cmath>

#include "core/Cycle.h"
#include "display/ImageSurface.h"
#include "display/Layout.h"
#include "input/Dispatch.h"
#include "input/KeyMap.h"
#include "input/QtKeys.h"
#include "input/StepButtons.h"
#include "settings/StartUp.h"

namespace sorvant {
namespace {

// The design client area of the normal (restored) window, in twips.
constexpr float kDesignClientWidth = 9780;
constexpr float kDesignClientHeight = 6795;

QFont fontOf(const FontSpec& spec) {
  // "Arial" is served by a metric-compatible sans serif; "Small Fonts" by the same family small.
  QFont font(QStringLiteral("Arial"));
  font.setPointSizeF(spec.size);
  font.setBold(spec.bold);
  font.setItalic(spec.italic);
  return font;
}

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

const char* stepNameOf(const MainControls& m, const Control* c) {
  if (c == &m.CmdButton_HDG_CW) return "HDG_CW";
  if (c == &m.CmdButton_HDG_CCW) return "HDG_CCW";
  if (c == &m.CmdButton_CUR_CW) return "CUR_CW";
  if (c == &m.CmdButton_CUR_CCW) return "CUR_CCW";
  return nullptr;
}

}  // namespace

MainWindow::MainWindow() {
  setAttribute(Qt::WA_OpaquePaintEvent);
  setFocusPolicy(Qt::StrongFocus);
  timer1_.setTimerType(Qt::PreciseTimer);
  mouseDownTimer_.setTimerType(Qt::PreciseTimer);
  connect(&timer1_, &QTimer::timeout, this, [this] { runEvent([this] { Timer1_Timer(*sys_); }); });
  connect(&mouseDownTimer_, &QTimer::timeout, this, [this] { runEvent([this] { Timer_MOUSE_DOWN_Timer(*sys_); }); });
}

MainWindow::~MainWindow() {
  if (qApp) qApp->removeEventFilter(this);
}

void MainWindow::attach(System& sys, ImageSurface& surface) {
  sys_ = &sys;
  surface_ = &surface;
  setWindowTitle(QString::fromStdString(sys.main.caption));
  surface.setRepaintHandler([this](const QRegion& r) { update(r); });
  buildWidgets();
  qApp->installEventFilter(this);
  syncFromModel();
}

void MainWindow::buildWidgets() {
  MainControls& m = sys_->main;
  for (Control* c : m.all()) {
    QWidget* parent = this;
    if (c->parent) parent = widgetFor(*c->parent);
    QWidget* w = nullptr;
    switch (c->kind) {
      case ControlKind::Button: {
        auto* b = new QPushButton(parent);  // owned by its parent widget
        b->setFocusPolicy(Qt::NoFocus);     // keys belong to the key map, never to a focused button
        b->setAutoFillBackground(true);
        connect(b, &QPushButton::clicked, this, [this, c] { runEvent([this, c] { clickMainButton(*sys_, *c); }); });
        if (const char* step = stepNameOf(m, c)) {
          const std::string name = step;
          connect(b, &QPushButton::pressed, this,
                  [this, name] { runEvent([this, name] { stepButtonMouseDown(*sys_, name); }); });
          connect(b, &QPushButton::released, this, [this] { runEvent([this] { stepButtonMouseUp(*sys_); }); });
        }
        w = b;
        break;
      }
      case ControlKind::Label: {
        auto* l = new QLabel(parent);
        l->setAutoFillBackground(true);
        l->setAlignment(c->centred ? Qt::AlignHCenter | Qt::AlignTop : Qt::AlignLeft | Qt::AlignTop);
        l->setWordWrap(c->wordWrap);
        l->setTextFormat(Qt::PlainText);
        w = l;
        break;
      }
      default: {
        auto* f = new QFrame(parent);
        f->setFrameShape(QFrame::NoFrame);
        f->setAutoFillBackground(true);
        w = f;
        break;
      }
    }
    w->setObjectName(QString::fromStdString(c->name));
    w->setFont(fontOf(c->font));
    Binding binding;
    binding.control = c;
    binding.widget = w;
    bindings_.push_back(binding);
  }
}

QWidget* MainWindow::widgetFor(const Control& control) const {
  for (const Binding& b : bindings_)
    if (b.control == &control) return b.widget;
  return nullptr;
}

int MainWindow::toPixels(float twips) const { return static_cast<int>(std::lround(twips * logicalDpiX() / 1440.0)); }

float MainWindow::toTwips(int pixels) const { return static_cast<float>(pixels * 1440.0 / logicalDpiX()); }

void MainWindow::apply(Binding& b, bool force) {
  const Control& c = *b.control;
  if (force || c.caption != b.caption) {
    if (auto* button = qobject_cast<QPushButton*>(b.widget))
      button->setText(QString::fromStdString(c.caption));
    else if (auto* label = qobject_cast<QLabel*>(b.widget))
      label->setText(QString::fromStdString(c.caption));
    b.caption = c.caption;
  }
  const QRect geometry(toPixels(c.left), toPixels(c.top), toPixels(c.width), toPixels(c.height));
  const bool relayout = force || geometry != b.geometry || c.caption != b.fitted;
  if (force || geometry != b.geometry) {
    b.widget->setGeometry(geometry);
    b.geometry = geometry;
  }
  if (relayout && c.kind == ControlKind::Label && !c.wordWrap) {
    b.widget->setFont(fittedFont(c, geometry.width()));
    b.fitted = c.caption;
  }
  if (force || c.backColor != b.back || c.foreColor != b.fore) {
    QPalette p = b.widget->palette();
    p.setColor(QPalette::Window, toQColor(c.backColor));
    p.setColor(QPalette::Button, toQColor(c.backColor));
    p.setColor(QPalette::WindowText, toQColor(c.foreColor));
    p.setColor(QPalette::ButtonText, toQColor(c.foreColor));
    b.widget->setPalette(p);
    b.back = c.backColor;
    b.fore = c.foreColor;
  }
  if (force || c.visible != b.visible) {
    b.widget->setVisible(c.visible);
    b.visible = c.visible;
  }
  b.applied = true;
}

void MainWindow::syncFromModel() {
  if (!sys_) return;
  const Color back = sys_->main.backColor;
  if (palette().color(QPalette::Window) != toQColor(back)) {
    QPalette p = palette();
    p.setColor(QPalette::Window, toQColor(back));
    setPalette(p);
  }
  for (Binding& b : bindings_) apply(b, !b.applied);
  syncTimers();
  if (optionsView_) optionsView_->syncFromModel();
}

void MainWindow::syncTimers() {
  const TimerModel& t1 = sys_->main.Timer1;
  if (closing_) return;
  if (t1.enabled && (!timer1_.isActive() || timer1_.interval() != t1.interval)) timer1_.start(t1.interval);
  if (!t1.enabled && timer1_.isActive()) timer1_.stop();
  const TimerModel& md = sys_->main.Timer_MOUSE_DOWN;
  if (md.enabled && (!mouseDownTimer_.isActive() || mouseDownTimer_.interval() != md.interval))
    mouseDownTimer_.start(md.interval);
  if (!md.enabled && mouseDownTimer_.isActive()) mouseDownTimer_.stop();
}

void MainWindow::runEvent(const std::function<void()>& rule) {
  if (!sys_ || closing_) return;
  rule();
  syncFromModel();
}

float MainWindow::Width() const { return toTwips(frameGeometry().width()); }
float MainWindow::Height() const { return toTwips(frameGeometry().height()); }
float MainWindow::ScaleWidth() const { return toTwips(width()); }
float MainWindow::ScaleHeight() const { return toTwips(height()); }

void MainWindow::showNormal() {
  QWidget::showNormal();
  resize(toPixels(kDesignClientWidth), toPixels(kDesignClientHeight));
}

void MainWindow::showMaximized() {
  QWidget::showMaximized();
  // Without a window manager nothing maximises the window: fill the screen ourselves.
  QTimer::singleShot(150, this, [this] {
    if (!(windowState() & Qt::WindowMaximized) || !screen()) return;
    const QRect available = screen()->availableGeometry();
    if (frameGeometry().width() < available.width() * 9 / 10) setGeometry(available);
  });
}

void MainWindow::closeWindow() { close(); }

void MainWindow::showOptions() {
  if (!options_) return;
  if (!optionsPlaced_) {  // first opening: centred over the main window, later where the operator left it
    options_->move(geometry().center() - QPoint(options_->width() / 2, options_->height() / 2));
    optionsPlaced_ = true;
  }
  options_->setWindowState(options_->windowState() & ~Qt::WindowMinimized);
  options_->show();
  options_->raise();
  options_->activateWindow();
}

void MainWindow::paintEvent(QPaintEvent* event) {
  QPainter p(this);
  if (!surface_) {
    p.fillRect(event->rect(), palette().window());
    return;
  }
  const QImage& image = surface_->image();
  const qreal dpr = image.devicePixelRatio();
  for (const QRect& r : event->region())
    p.drawImage(r, image, QRectF(r.x() * dpr, r.y() * dpr, r.width() * dpr, r.height() * dpr));
}

void MainWindow::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  if (!sys_) return;
  surface_->resize(size(), devicePixelRatioF(), logicalDpiX());
  runEvent([this] { Form_Resize(*sys_); });
  update();
}

void MainWindow::closeEvent(QCloseEvent* event) {
  if (sys_ && !closing_) {
    closing_ = true;
    timer1_.stop();
    mouseDownTimer_.stop();
    unloadSystem(*sys_);
    if (options_) options_->close();
  }
  event->accept();
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() != QEvent::KeyPress && event->type() != QEvent::KeyRelease) return false;
  // Keys meant for the main window (any of its widgets, or its native window) reach the key map
  // before the focused control does.
  bool ours = watched == windowHandle();
  if (auto* w = qobject_cast<QWidget*>(watched)) ours = ours || w->window() == this;
  if (!ours || !sys_ || closing_) return false;
  return handleKey(static_cast<QKeyEvent*>(event));
}

bool MainWindow::handleKey(QKeyEvent* event) {
  const KeyStroke k = translateKey(*event);
  if (event->type() == QEvent::KeyPress)
    runEvent([this, k] { Form_KeyDown(*sys_, k.code, k.shift); });
  else
    runEvent([this, k] { Form_KeyUp(*sys_, k.code, k.shift); });
  return k.code != 0;
}

}  // namespace sorvant
