#include "options/OptionsDialog.h"

#include <QCloseEvent>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <cmath>

#include "display/ImageSurface.h"
#include "display/MainWindow.h"
#include "options/OptionsDispatch.h"

namespace sorvant {
namespace {

constexpr int kClientWidth = 6075;  // twips
constexpr int kClientHeight = 5280;

}  // namespace

OptionsDialog::OptionsDialog(System& sys, MainWindow& main) : QWidget(&main, Qt::Dialog), sys_(sys), main_(main) {
  setWindowTitle(QString::fromStdString(sys.opt.caption));
  setFixedSize(toPixels(kClientWidth), toPixels(kClientHeight));
  for (Control* c : sys.opt.all()) {
    QWidget* parent = this;
    if (c->parent) parent = widgetFor(*c->parent);
    QWidget* w = nullptr;
    switch (c->kind) {
      case ControlKind::Button: {
        auto* b = new QPushButton(parent);  // owned by its parent widget
        b->setAutoFillBackground(true);
        connect(b, &QPushButton::clicked, this, [this, c] { click(*c); });
        w = b;
        break;
      }
      case ControlKind::Label: {
        auto* l = new QLabel(parent);
        l->setAlignment(c->centred ? Qt::AlignCenter : Qt::AlignLeft | Qt::AlignVCenter);
        w = l;
        break;
      }
      case ControlKind::Frame:
        w = new QGroupBox(QString::fromStdString(c->caption), parent);
        break;
      default: {  // a colour swatch: a flat patch of its colour; a click picks its colour
        auto* f = new QFrame(parent);
        f->setFrameShape(QFrame::Box);
        f->setAutoFillBackground(true);
        f->setCursor(Qt::PointingHandCursor);
        f->installEventFilter(this);
        w = f;
        break;
      }
    }
    w->setObjectName(QString::fromStdString(c->name));
    QFont font(QStringLiteral("Arial"));
    font.setPointSizeF(c->font.size);
    font.setBold(c->font.bold);
    w->setFont(font);
    w->setGeometry(toPixels(c->left), toPixels(c->top), toPixels(c->width), toPixels(c->height));
    Binding b;
    b.control = c;
    b.widget = w;
    bindings_.push_back(b);
  }
  syncFromModel();
}

int OptionsDialog::toPixels(int twips) const {
  return static_cast<int>(std::lround(twips * logicalDpiX() / 1440.0));
}

QWidget* OptionsDialog::widgetFor(const Control& control) const {
  for (const Binding& b : bindings_)
    if (b.control == &control) return b.widget;
  return nullptr;
}

void OptionsDialog::click(Control& control) {
  main_.runEvent([this, &control] { clickOptionsControl(sys_, control); });
}

void OptionsDialog::syncFromModel() {
  for (Binding& b : bindings_) {
    const Control& c = *b.control;
    const bool force = !b.applied;
    if (force || c.caption != b.caption) {
      if (auto* button = qobject_cast<QPushButton*>(b.widget))
        button->setText(QString::fromStdString(c.caption));
      else if (auto* label = qobject_cast<QLabel*>(b.widget))
        label->setText(QString::fromStdString(c.caption));
      b.caption = c.caption;
    }
    if (force || c.backColor != b.back) {
      QPalette p = b.widget->palette();
      const QPalette::ColorRole role = c.kind == ControlKind::Swatch ? QPalette::Window : QPalette::Button;
      p.setColor(role, toQColor(c.backColor));
      b.widget->setPalette(p);
      b.back = c.backColor;
    }
    if (force || c.visible != b.visible) {
      b.widget->setVisible(c.visible);
      b.visible = c.visible;
    }
    b.applied = true;
  }
  if (sys_.opt.visible != isVisible()) setVisible(sys_.opt.visible);
}

void OptionsDialog::closeEvent(QCloseEvent* event) {
  // Closing through the window frame only hides the dialog; every value stays for the next opening.
  sys_.opt.visible = false;
  event->accept();
}

bool OptionsDialog::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::MouseButtonRelease) {
    for (Binding& b : bindings_) {
      if (b.widget == watched && b.control->kind == ControlKind::Swatch) {
        click(*b.control);
        return true;
      }
    }
  }
  return QWidget::eventFilter(watched, event);
}

}  // namespace sorvant
