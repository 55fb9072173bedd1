#include "shell/OptionsDialog.h"

#include <QCloseEvent>
#include <QPushButton>

#include "options/OptionsDispatch.h"
#include "shell/MainWindow.h"
#include "shell/QtControlView.h"
#include "shell/QtPlatformTuning.h"
#include "shell/QtTitleStrip.h"

namespace sorvant {
namespace {

constexpr int kClientWidth = 6075;  // twips
constexpr int kClientHeight = 5280;

}  // namespace

OptionsDialog::OptionsDialog(System& sys, MainWindow& main) : QWidget(&main, Qt::Dialog), sys_(sys), main_(main) {
  setWindowTitle(QString::fromStdString(sys.opt.caption));
  // Where nothing else draws the dialog's frame, a strip of the program's own lets it be moved and
  // closed; the dialog's contents lie below it.
  if (programDrawsWindowFrames()) strip_ = new TitleStrip(*this, {[this] { close(); }, {}, {}});
  setFixedSize(toPixels(kClientWidth), toPixels(kClientHeight) + clientTop());
  if (strip_) strip_->place();
  // Widgets made in the model's order: Tab visits the buttons in the order they are made.
  for (Control* c : sys.opt.all()) {
    ControlView view = makeControlView(*c, c->parent ? widgetFor(*c->parent) : this, false);
    if (auto* b = qobject_cast<QPushButton*>(view.widget))
      connect(b, &QPushButton::clicked, this, [this, c] { click(*c); });
    if (c->kind == ControlKind::Swatch) view.widget->installEventFilter(this);  // a click picks its colour
    views_.push_back(view);
  }
  syncFromModel();
}

int OptionsDialog::clientTop() const { return strip_ ? strip_->height() : 0; }

int OptionsDialog::toPixels(int twips) const { return twipsToPixels(static_cast<float>(twips), *this); }

QWidget* OptionsDialog::widgetFor(const Control& control) const {
  for (const ControlView& v : views_)
    if (v.control == &control) return v.widget;
  return nullptr;
}

void OptionsDialog::click(Control& control) {
  main_.runEvent([this, &control] { clickOptionsControl(sys_, control); });
}

void OptionsDialog::syncFromModel() {
  // A hidden dialog shows nothing: its widgets catch up with the model when it is shown again.
  if (!sys_.opt.visible && !isVisible()) return;
  const double dpi = logicalDpiX();
  const QPoint origin(0, clientTop());
  for (ControlView& v : views_) applyControl(v, dpi, v.control->parent ? QPoint() : origin);
  if (sys_.opt.visible != isVisible()) setVisible(sys_.opt.visible);
}

void OptionsDialog::closeEvent(QCloseEvent* event) {
  // Closing through the window frame only hides the dialog; every value stays for the next opening.
  sys_.opt.visible = false;
  event->accept();
}

bool OptionsDialog::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::MouseButtonRelease) {
    for (ControlView& v : views_) {
      if (v.widget == watched && v.control->kind == ControlKind::Swatch) {
        click(*v.control);
        return true;
      }
    }
  }
  return QWidget::eventFilter(watched, event);
}

}  // namespace sorvant
