#include "shell/OptionsDialog.h"

#include <QCloseEvent>
#include <QPushButton>

#include "options/OptionsDispatch.h"
#include "shell/MainWindow.h"
#include "shell/QtControlView.h"

namespace sorvant {
namespace {

constexpr int kClientWidth = 6075;  // twips
constexpr int kClientHeight = 5280;

}  // namespace

OptionsDialog::OptionsDialog(System& sys, MainWindow& main) : QWidget(&main, Qt::Dialog), sys_(sys), main_(main) {
  setWindowTitle(QString::fromStdString(sys.opt.caption));
  setFixedSize(toPixels(kClientWidth), toPixels(kClientHeight));
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
  for (ControlView& v : views_) applyControl(v, dpi);
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
