// Both windows laid out offscreen as the operator sees them: every caption readable in the part of
// its box that shows.
#include <gtest/gtest.h>

#include <QLabel>
#include <QPushButton>
#include <QStyleOptionButton>
#include <QTextLayout>

#include "core/Captions.h"
#include "shell/ShellFixture.h"

namespace sorvant::test {
namespace {

// The part of a widget's box that its parent shows: a panel shows what lies inside it, a captioned
// frame only what lies inside its border line.
QRect visibleBox(QWidget* w) {
  QWidget* parent = w->parentWidget();
  if (!parent || parent->isWindow()) return w->geometry();
  return w->geometry() & parent->contentsRect();
}

struct Wrapped {
  QStringList lines;  // without the blanks around them
  qreal widest = 0;   // the widest line as drawn, leading blanks included
};

// The lines a word-wrapped label breaks its text into, at its width.
Wrapped wrap(QLabel* label, int width) {
  QTextLayout layout(label->text(), label->font());
  QTextOption option;
  option.setWrapMode(QTextOption::WordWrap);
  layout.setTextOption(option);
  layout.beginLayout();
  Wrapped out;
  for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
    line.setLineWidth(width);
    out.lines << label->text().mid(line.textStart(), line.textLength()).trimmed();
    out.widest = std::max(out.widest, line.naturalTextWidth());
  }
  layout.endLayout();
  return out;
}

// Every control's caption against the visible part of its box; returns what does not fit.
std::vector<std::string> unreadable(const std::vector<QWidget*>& widgets) {
  std::vector<std::string> out;
  for (QWidget* w : widgets) {
    const QRect box = visibleBox(w);
    const QFontMetrics fm(w->font());
    const std::string name = w->objectName().toStdString();
    if (auto* label = qobject_cast<QLabel*>(w)) {
      // A label that fills its background must not paint over its frame's border line.
      const QWidget* parent = label->parentWidget();
      if (parent->contentsMargins() != QMargins() && label->autoFillBackground() && box != label->geometry())
        out.push_back(name + " covers its frame");
      if (label->wordWrap()) {
        const Wrapped wrapped = wrap(label, box.width());
        if (wrapped.widest > box.width() || wrapped.lines.size() * fm.lineSpacing() > box.height())
          out.push_back(name + " wraps beyond its box");
      } else if (fm.horizontalAdvance(label->text()) > box.width()) {
        out.push_back(name + " is cut off " + std::to_string(fm.horizontalAdvance(label->text())) + " " +
                      std::to_string(box.width()));
      }
    } else if (auto* button = qobject_cast<QPushButton*>(w)) {
      // The caption is centred, blanks included: it must stay off the button's border.
      QStyleOptionButton opt;
      opt.initFrom(button);
      opt.text = button->text();
      const QRect contents =
          button->style()->subElementRect(QStyle::SE_PushButtonContents, &opt, button) & box.translated(-button->pos());
      if (fm.horizontalAdvance(button->text()) + 2 > contents.width())
        out.push_back(name + " touches its border " + std::to_string(fm.horizontalAdvance(button->text())) + " " +
                      std::to_string(contents.width()));
    }
  }
  return out;
}

template <class Model, class Window>
std::vector<QWidget*> widgetsOf(Model& model, const Window& window) {
  std::vector<QWidget*> out;
  for (Control* c : model.all()) out.push_back(window.widgetFor(*c));
  return out;
}

TEST(Layout, EveryCaptionIsReadableInTheVisiblePartOfItsBox) {
  // The normal window (its design client area) and a maximised full-HD one.
  for (const QSize size : {QSize(652, 453), QSize(1920, 1080)}) {
    ShellFixture f(size);
    MainControls& m = f.sys.main;
    QTest::keyClick(&f.window, Qt::Key_O);
    // The longest captions the program shows, and the two GPS warnings.
    f.window.runEvent([&] {
      m.Label_COMPANY.caption = kCreditsText;
      m.CmdButton_ACQUIRE.caption = kAcquireOff;
      m.CmdButton_TEST.caption = kTestOff;
      m.CmdButton_DECAY.caption = kDecayOn;
      m.CmdButton_VAR.caption = kVarOn;
      m.Label_TOTAL_BRG.caption = totalBrgCaption(32767);
      m.Label_TOTAL_TIME.caption = totalTimeCaption(32767);
      m.Label_RANGE.caption = "RANGE  32760 BRGS";
      m.Label_HDG.caption = "GPS 359 MAG";
      m.Frame_GPS_FAIL.visible = m.Frame_GPS_SPEED.visible = true;
    });
    for (const auto& problem : unreadable(widgetsOf(m, f.window))) ADD_FAILURE() << problem << " at " << size.width();
    for (const auto& problem : unreadable(widgetsOf(f.sys.opt, *f.options)))
      ADD_FAILURE() << problem << " at " << size.width();
    // The two GPS warnings read as two lines each.
    auto lines = [&](Control& c) {
      auto* label = f.widget<QLabel>(c);
      return wrap(label, visibleBox(label).width()).lines;
    };
    EXPECT_EQ(lines(m.Label_GPS_FAIL), QStringList({"GPS", "FAIL"}));
    EXPECT_EQ(lines(m.Label_GPS_SPEED), QStringList({"GPS", "SPEED"}));
    EXPECT_EQ(m.Label_GPS_FAIL.caption, " GPS    FAIL");
  }
}

}  // namespace
}  // namespace sorvant::test
