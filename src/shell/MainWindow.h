#pragma once
// The main window: widgets mirrored from the controls model, the drawing surface, the two timers and
// the key handler. It holds no state that a rule reads; after every event it brings the widgets up
// to date from the model.
#include <QTimer>
#include <QWidget>
#include <functional>
#include <memory>
#include <vector>

#include "core/System.h"
#include "shell/ModelView.h"
#include "shell/QtControlView.h"
#include "shell/QtStepButtons.h"
#include "shell/QtWindowFrame.h"
#include "shell/QtWindowModes.h"

namespace sorvant {

class ImageSurface;
class TitleStrip;
class WaylandLayers;

class MainWindow final : public QWidget, public WindowHost {
  Q_OBJECT

 public:
  MainWindow();
  ~MainWindow() override;

  // Binds the running system and its surface; builds the widgets from the model.
  void attach(System& sys, ImageSurface& surface);
  // The widget that shows a control of the model (for tests and the options dialog).
  QWidget* widgetFor(const Control& control) const;
  // On Wayland, the layers that show the drawing surface and the labels (for tests); null elsewhere.
  const WaylandLayers* waylandLayers() const { return layers_.get(); }
  // The title strip of the program's own, where nothing else draws the window's frame; null elsewhere.
  const TitleStrip* titleStrip() const { return strip_; }
  // Where the client area (the controls and the picture) begins in the window: below the strip.
  QPoint clientOrigin() const;
  // Runs a rule as one delivered event: the rule, then the widgets brought up to date.
  void runEvent(const std::function<void()>& rule);
  // Called when the options dialog's values change the main window.
  void syncFromModel();
  // The options dialog: shown, raised and kept up to date with the main window.
  void setOptionsWindow(QWidget* window, ModelView* view) {
    options_ = window;
    optionsView_ = view;
  }

  float Width() const override;
  float Height() const override;
  float ScaleWidth() const override;
  float ScaleHeight() const override;
  void showNormal() override;
  void showMaximized() override;
  void closeWindow() override;
  void showOptions() override;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void moveEvent(QMoveEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void buildWidgets();
  void syncTimers();
  float toTwips(int pixels) const;
  bool handleKey(QKeyEvent* event);
  void layOut();
  void frameMayHaveChanged();
  QSize outerSize() const;
  QSize clientSize() const;

  System* sys_ = nullptr;
  ImageSurface* surface_ = nullptr;
  QWidget* options_ = nullptr;
  ModelView* optionsView_ = nullptr;
  bool optionsPlaced_ = false;
  std::vector<ControlView> views_;
  QTimer timer1_;
  StepRepeatTimer mouseDownTimer_;
  bool closing_ = false;
  WindowModes modes_{*this};
  QSize laidOutFrame_;  // the outer size the controls were last placed for
  X11Frame x11Frame_{*this, [this] { frameMayHaveChanged(); }};
  // On Wayland, the drawing surface and the labels shown beside the window's own pixels.
  std::unique_ptr<WaylandLayers> layers_;
  TitleStrip* strip_ = nullptr;  // a child
};

}  // namespace sorvant
