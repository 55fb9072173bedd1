#include "display/MainWindow.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFrame>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QWindow>
#include <cmath>
#include <utility>

#include "cycle/Cycle.h"
#include "display/ImageSurface.h"
#include "display/Layout.h"
#include "display/QtControlView.h"
#include "display/QtWaylandLayers.h"
#include "display/QtWindowSystem.h"
#include "input/Dispatch.h"
#include "input/KeyMap.h"
#include "input/QtKeys.h"
#include "input/QtStepButtons.h"
#include "input/StepButtons.h"
#include "settings/StartUp.h"

namespace sorvant {
namespace {

// The design client area of the normal (restored) window, in twips.
constexpr float kDesignClientWidth = 9780;
constexpr float kDesignClientHeight = 6795;
// The frame a window manager puts round the normal window, in pixels: what the controls are placed
// for (outer 9900 by 7365 twips round the design client area) when no window manager draws one.
constexpr QMargins kNominalFrame(4, 30, 4, 4);
// How long a window manager has to confirm a change of window mode before the window changes its
// size on its own.
constexpr int kModeConfirmMs = 150;

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
  statesConfirmed_ = windowSystemConfirmsStates();
  modeFallback_.setSingleShot(true);
  modeFallback_.setInterval(kModeConfirmMs);
  connect(&modeFallback_, &QTimer::timeout, this, &MainWindow::modeUnconfirmed);
  // With no window manager the keyboard goes back to the root window when a dialog of ours closes,
  // and keys then reach the program only under the pointer: the window takes it back.
  connect(qApp, &QGuiApplication::focusWindowChanged, this, [this](QWindow* focused) {
    if (!focused && isVisible() && !closing_ && !windowManagerRuns()) activateWindow();
  });
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
  surface.setRepaintHandler([this](const QRegion& r) { update(layers_ ? layers_->present(r) : r); });
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

int MainWindow::toPixels(float twips) const { return twipsToPixels(twips, *this); }

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
  for (ControlView& v : views_) applyControl(v, dpi);
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
  if (const std::optional<QMargins> frame = x11Frame_.margins()) return size().grownBy(*frame);
  if (unmanagedNormal_) return size().grownBy(kNominalFrame);
  return frameGeometry().size();
}

float MainWindow::ScaleWidth() const { return toTwips(width()); }
float MainWindow::ScaleHeight() const { return toTwips(height()); }

void MainWindow::showNormal() { requestMode(false); }

void MainWindow::showMaximized() { requestMode(true); }

void MainWindow::requestMode(bool maximised) {
  wantedMode_ = maximised ? Mode::Maximised : Mode::Normal;
  // One change at a time: a compositor may drop a request made before the window has shown its
  // answer to the last one (weston does).
  if (pendingMode_ == Mode::None && !awaitingRepaint_) issueMode(wantedMode_);
}

void MainWindow::issueMode(Mode mode) {
  const bool maximised = mode == Mode::Maximised;
  if (!windowManagerRuns()) {
    placeUnmanaged(maximised);
    return;
  }
  unmanagedNormal_ = false;
  const bool already = isMaximized() == maximised;
  if (maximised)
    QWidget::showMaximized();
  else
    QWidget::showNormal();
  if (already) {
    // No request went out, so no answer will come: a normal window takes its size at once.
    if (!maximised) resizeToDesign();
    return;
  }
  pendingMode_ = mode;
  if (!statesConfirmed_) modeFallback_.start();
}

void MainWindow::modeConfirmed(Qt::WindowStates states) {
  // Qt writes the state of a window not yet shown into the window's own properties and reports
  // reading it back; with no window manager that is no answer from anyone.
  if (!windowManagerRuns()) return;
  // Someone manages the window's states: its answers, never a timer, decide from now on.
  statesConfirmed_ = true;
  modeFallback_.stop();
  if (pendingMode_ == Mode::None) return;
  const bool maximised = states & Qt::WindowMaximized;
  if (maximised != (pendingMode_ == Mode::Maximised)) return;  // an older state, answered late
  pendingMode_ = Mode::None;
  if (!maximised && !(states & (Qt::WindowFullScreen | Qt::WindowMinimized))) resizeToDesign();
  if (isVisible() && !isMinimized()) {
    awaitingRepaint_ = true;
    update();
  }
}

void MainWindow::repaintedAfterChange() {
  awaitingRepaint_ = false;
  // The repaint goes out with the event that announced it: ask for a later W's mode after it.
  QTimer::singleShot(0, this, [this] {
    if (pendingMode_ == Mode::None && !awaitingRepaint_ && (wantedMode_ == Mode::Maximised) != isMaximized())
      issueMode(wantedMode_);
  });
}

void MainWindow::modeUnconfirmed() {
  const Mode mode = std::exchange(pendingMode_, Mode::None);
  if (mode == Mode::Normal) {
    resizeToDesign();
  } else if (mode == Mode::Maximised && screen()) {
    // Without a window manager nothing maximises the window: fill the screen ourselves.
    const QRect available = screen()->availableGeometry();
    if (frameGeometry().width() < available.width() * 9 / 10) setGeometry(available);
  }
  if (wantedMode_ != mode) issueMode(wantedMode_);
}

void MainWindow::placeUnmanaged(bool maximised) {
  // Nothing manages the window (a session running this program alone): it takes the whole screen,
  // or its normal size in the middle of it, by itself, and the keyboard with it, so that keys act
  // wherever the pointer is.
  pendingMode_ = Mode::None;
  modeFallback_.stop();
  // The normal window is laid out as it is under a window manager, inside the frame one would draw.
  unmanagedNormal_ = !maximised;
  QScreen* shown = screen() ? screen() : QGuiApplication::primaryScreen();
  if (shown) {
    const QRect whole = shown->geometry();
    const QSize normal(toPixels(kDesignClientWidth), toPixels(kDesignClientHeight));
    setGeometry(maximised ? whole : QRect(whole.center() - QPoint(normal.width() / 2, normal.height() / 2), normal));
  }
  if (!isVisible()) show();
  activateWindow();
}

void MainWindow::resizeToDesign() { resize(toPixels(kDesignClientWidth), toPixels(kDesignClientHeight)); }

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
  const QRect area = surface_->area();
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
  if (!sys_) return;
  laidOutFrame_ = outerSize();
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
  if (event->type() == QEvent::UpdateRequest && awaitingRepaint_ && (watched == this || watched == windowHandle())) {
    repaintedAfterChange();
    return false;
  }
  // The window system's own report of a new window state (not the echo of our request).
  if (event->type() == QEvent::WindowStateChange && event->spontaneous() && watched == windowHandle()) {
    modeConfirmed(windowHandle()->windowStates());
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
