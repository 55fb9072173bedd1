#include "shell/MainWindow.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFrame>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QWindow>
#include <cmath>

#include "cycle/Cycle.h"
#include "display/Layout.h"
#include "input/Dispatch.h"
#include "input/KeyMap.h"
#include "input/StepButtons.h"
#include "settings/StartUp.h"
#include "shell/ImageSurface.h"
#include "shell/QtControlView.h"
#include "shell/QtKeys.h"
#include "shell/QtPlatformTuning.h"
#include "shell/QtStepButtons.h"
#include "shell/QtTitleStrip.h"
#include "shell/QtWindowSystem.h"
#include "shell/wayland/QtWaylandLayers.h"

namespace sorvant {
namespace {

// The frame a window manager puts round the normal window, in pixels: what the controls are placed
// for (outer 9900 by 7365 twips round the design client area) when no window manager draws one.
constexpr QMargins kNominalFrame(4, 30, 4, 4);

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
  connect(&timer1_, &QTimer::timeout, this, [this] { runEvent([this] { Timer1_Timer(*sys_); }); });
  mouseDownTimer_.onTick([this] { runEvent([this] { Timer_MOUSE_DOWN_Timer(*sys_); }); });
  // With no window manager the keyboard goes back to the root window when a dialog of ours closes,
  // and keys then reach the program only under the pointer: the window takes it back.
  connect(qApp, &QGuiApplication::focusWindowChanged, this, [this](QWindow* focused) {
    if (!focused && isVisible() && !closing_ && !windowManagerRuns()) activateWindow();
  });
  if (programDrawsWindowFrames()) {
    // The strip's buttons act as the window system's would: the maximise button and a double click
    // take the W key's path, so the display's own record of the window's mode stays right.
    strip_ =
        new TitleStrip(*this, {[this] { close(); }, [this] { QWidget::showMinimized(); },
                               [this] { runEvent([this] { clickMainButton(*sys_, sys_->main.CmdButton_WINDOW); }); }});
    modes_.setFrameTop(strip_->height());
  }
}

MainWindow::~MainWindow() {
  if (qApp) qApp->removeEventFilter(this);
}

void MainWindow::attach(System& sys, ImageSurface& surface) {
  sys_ = &sys;
  surface_ = &surface;
  setWindowTitle(QString::fromStdString(sys.main.caption));
  setWindowIcon(QIcon(QStringLiteral(":/icons/sorvant-256.png")));  // the options dialog shows it too
  layers_ = WaylandLayers::create(*this, surface);
  surface.setRepaintHandler([this](const QRegion& r) {
    const QRegion inWindow = r.translated(clientOrigin());
    update(layers_ ? layers_->present(inWindow) : inWindow);
  });
  buildWidgets();
  qApp->installEventFilter(this);
  syncFromModel();
}

void MainWindow::buildWidgets() {
  MainControls& m = sys_->main;
  for (Control* c : m.all()) {
    ControlView view = makeControlView(*c, c->parent ? widgetFor(*c->parent) : this, true);
    if (auto* b = qobject_cast<QPushButton*>(view.widget)) {
      connect(b, &QPushButton::clicked, this, [this, c] { runEvent([this, c] { clickMainButton(*sys_, *c); }); });
      if (const char* step = stepNameOf(m, c)) {
        const std::string name = step;
        b->installEventFilter(new StepButtonMouse(  // owned by the button
            [this, name] { runEvent([this, name] { stepButtonMouseDown(*sys_, name); }); },
            [this] { runEvent([this] { stepButtonMouseUp(*sys_); }); }, b));
      }
    }
    views_.push_back(view);
  }
}

QWidget* MainWindow::widgetFor(const Control& control) const {
  for (const ControlView& v : views_)
    if (v.control == &control) return v.widget;
  return nullptr;
}

float MainWindow::toTwips(int pixels) const { return static_cast<float>(pixels * 1440.0 / logicalDpiX()); }

void MainWindow::syncFromModel() {
  if (!sys_) return;
  const Color back = sys_->main.backColor;
  if (palette().color(QPalette::Window) != toQColor(back)) {
    QPalette p = palette();
    p.setColor(QPalette::Window, toQColor(back));
    setPalette(p);
  }
  const double dpi = logicalDpiX();
  const QPoint origin = clientOrigin();
  for (ControlView& v : views_) applyControl(v, dpi, v.control->parent ? QPoint() : origin);
  syncTimers();
  if (layers_) layers_->syncLabels();
  if (optionsView_) optionsView_->syncFromModel();
}

void MainWindow::syncTimers() {
  const TimerModel& t1 = sys_->main.Timer1;
  if (closing_) return;
  if (t1.enabled && (!timer1_.isActive() || timer1_.interval() != t1.interval)) timer1_.start(t1.interval);
  if (!t1.enabled && timer1_.isActive()) timer1_.stop();
  mouseDownTimer_.sync(sys_->main.Timer_MOUSE_DOWN);
}

void MainWindow::runEvent(const std::function<void()>& rule) {
  if (!sys_ || closing_) return;
  rule();
  syncFromModel();
}

float MainWindow::Width() const { return toTwips(outerSize().width()); }
float MainWindow::Height() const { return toTwips(outerSize().height()); }

QSize MainWindow::outerSize() const {
  // A strip of the program's own is the window's frame: the window is all there is of it.
  if (strip_) return size();
  if (const std::optional<QMargins> frame = x11Frame_.margins()) return size().grownBy(*frame);
  if (modes_.unmanagedNormal()) return size().grownBy(kNominalFrame);
  return frameGeometry().size();
}

QPoint MainWindow::clientOrigin() const { return QPoint(0, strip_ ? strip_->height() : 0); }

QSize MainWindow::clientSize() const { return (size() - QSize(0, clientOrigin().y())).expandedTo(QSize(0, 0)); }

float MainWindow::ScaleWidth() const { return toTwips(clientSize().width()); }
float MainWindow::ScaleHeight() const { return toTwips(clientSize().height()); }

void MainWindow::showNormal() { modes_.request(false); }

void MainWindow::showMaximized() { modes_.request(true); }

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
  // The surface keeps pixels only for its drawing area; around it the window shows the colour of
  // the last clear.
  const QImage& image = surface_->image();
  const QRect area = surface_->area().translated(clientOrigin());
  const qreal dpr = image.devicePixelRatio();
  const QColor outside = surface_->outsideColor();
  for (const QRect& r : event->region()) {
    const QRect inside = r & area;
    for (const QRect& around : QRegion(r).subtracted(inside)) p.fillRect(around, outside);
    if (inside.isEmpty()) continue;
    const QRect source = inside.translated(-area.topLeft());
    p.drawImage(inside, image, QRectF(source.x() * dpr, source.y() * dpr, source.width() * dpr, source.height() * dpr));
  }
}

void MainWindow::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  layOut();
}

void MainWindow::moveEvent(QMoveEvent* event) {
  QWidget::moveEvent(event);
  frameMayHaveChanged();
}

// A window manager sends its new frame after the new client size (X11): the controls placed from
// the window's outer size follow it.
void MainWindow::frameMayHaveChanged() {
  if (outerSize() != laidOutFrame_) layOut();
}

void MainWindow::layOut() {
  if (strip_) {
    modes_.setFrameTop(strip_->place());
    if (layers_) layers_->setPictureOffset(clientOrigin());
  }
  if (!sys_) return;
  laidOutFrame_ = outerSize();
  surface_->resize(clientSize(), devicePixelRatioF(), logicalDpiX());
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
  if (event->type() == QEvent::UpdateRequest && modes_.awaitingRepaint() &&
      (watched == this || watched == windowHandle())) {
    modes_.repainted();
    return false;
  }
  // The window system's own report of a new window state (not the echo of our request).
  if (event->type() == QEvent::WindowStateChange && event->spontaneous() && watched == windowHandle()) {
    modes_.confirmed(windowHandle()->windowStates());
    frameMayHaveChanged();
    return false;
  }
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
