#pragma once
// A title strip of the program's own across the top of a window, for where nothing else draws the
// window's frame: the window's title and, at the right, its minimise, maximise/restore and close
// buttons. Dragging the strip moves the window through the window system; a double click on it
// maximises or restores the window.
#include <QPoint>
#include <QWidget>
#include <functional>
#include <optional>

class QAbstractButton;

namespace sorvant {

class TitleStrip final : public QWidget {
  Q_OBJECT

 public:
  struct Actions {
    std::function<void()> close;
    std::function<void()> minimise;         // none: the window has no minimise button
    std::function<void()> toggleMaximised;  // none: no maximise button, and a double click does nothing
  };
  // A child of `window`, across its top once placed.
  TitleStrip(QWidget& window, Actions actions);

  // The strip's height for `window` in its pixels: a usual title bar's at 96 DPI, grown with the
  // logical DPI and the title's font, and a whole number of device pixels.
  static int heightFor(const QWidget& window);
  // Puts the strip across the top of its window at its height; returns that height.
  int place();
  // The buttons, for tests: null where the window has none.
  QAbstractButton* minimiseButton() const { return minimise_; }
  QAbstractButton* maximiseButton() const { return maximise_; }
  QAbstractButton* closeButton() const { return close_; }

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  class Button;
  QAbstractButton* addButton(int glyph, const std::function<void()>& action);
  void placeButtons();
  QRect titleRect() const;

  QWidget& window_;
  Actions actions_;
  QAbstractButton* minimise_ = nullptr;
  QAbstractButton* maximise_ = nullptr;
  QAbstractButton* close_ = nullptr;
  std::optional<QPoint> pressedAt_;   // where a press on the strip began, until it becomes a move
  std::optional<QPoint> dragOffset_;  // a move the window makes itself: the pointer against the window
};

}  // namespace sorvant
