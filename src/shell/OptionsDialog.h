#pragma once
// The options dialog: widgets mirrored from the options model. Modeless; hidden and shown, never
// rebuilt, so its values live for the whole run.
#include <QWidget>
#include <vector>

#include "core/System.h"
#include "shell/ModelView.h"
#include "shell/QtControlView.h"

namespace sorvant {

class MainWindow;
class TitleStrip;

class OptionsDialog final : public QWidget, public ModelView {
  Q_OBJECT

 public:
  OptionsDialog(System& sys, MainWindow& main);
  QWidget* widgetFor(const Control& control) const;
  void syncFromModel() override;

 protected:
  void closeEvent(QCloseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void click(Control& control);
  int toPixels(int twips) const;
  int clientTop() const;  // where the contents begin: below the title strip, where there is one

  System& sys_;
  MainWindow& main_;
  std::vector<ControlView> views_;
  TitleStrip* strip_ = nullptr;  // a child, where the program draws the dialog's frame
};

}  // namespace sorvant
