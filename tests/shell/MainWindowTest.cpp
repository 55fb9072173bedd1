#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QFile>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <algorithm>
#include <cmath>
#include <filesystem>
#include <memory>

#include "cycle/Cycle.h"
#include "histogram/Accumulation.h"
#include "histogram/TestSource.h"
#include "input/Dispatch.h"
#include "shell/QtPlatformTuning.h"
#include "shell/QtTitleStrip.h"
#include "shell/ShellFixture.h"
#include "shell/wayland/QtWaylandLayers.h"

namespace sorvant::test {
namespace {

bool near(const QColor& a, Color b) {
  return std::abs(a.red() - redOf(b)) <= 2 && std::abs(a.green() - greenOf(b)) <= 2 &&
         std::abs(a.blue() - blueOf(b)) <= 2;
}

TEST(MainWindow, WidgetsMirrorTheModelInTwips) {
  ShellFixture f;
  auto* acquire = f.widget<QPushButton>(f.sys.main.CmdButton_ACQUIRE);
  ASSERT_NE(acquire, nullptr);
  EXPECT_EQ(acquire->text(), "A:ACQUIRE    ( ON )");
  EXPECT_FALSE(f.window.windowIcon().pixmap(32).isNull());  // for task bars and window switching
  // 15 twips per pixel at 96 DPI: 120, 1800, 1455, 375 twips.
  EXPECT_EQ(acquire->geometry(), QRect(8, 120, 97, 25).translated(f.window.clientOrigin()));
  EXPECT_FALSE(f.widget<QPushButton>(f.sys.main.CmdButton_SAVE)->isVisible());
  auto* hdg = f.widget<QLabel>(f.sys.main.Label_HDG);
  EXPECT_EQ(hdg->text(), "MAN 000 TRU");
  EXPECT_EQ(hdg->parentWidget(), f.window.widgetFor(f.sys.main.Frame_TOP_CENTER));
  EXPECT_TRUE(near(hdg->palette().color(QPalette::WindowText), kDefaultColors[LegendText]));
  // A rule changes the model; the next delivered event brings the widget up to date.
  f.window.runEvent([&] { f.sys.main.Label_HDG.caption = "MAN 123 TRU"; });
  EXPECT_EQ(hdg->text(), "MAN 123 TRU");
  auto* gps = f.widget<QLabel>(f.sys.main.Label_GPS_FAIL);
  EXPECT_TRUE(near(gps->palette().color(QPalette::WindowText), rgb(255, 0, 0)));
}

TEST(MainWindow, ResizeLaysOutTheDisplayFromTheClientSize) {
  ShellFixture f(QSize(1920, 1080));
  const DisplayState& st = f.sys.st;
  // Below a title strip of the program's own, where it draws one.
  const int client = 1080 - f.window.clientOrigin().y();
  EXPECT_FLOAT_EQ(st.AZRADIUS, client * 15 * 0.4f);
  EXPECT_FLOAT_EQ(st.CENTERX, 1920 * 15 / 2.0f);
  EXPECT_FLOAT_EQ(st.CENTERY, client * 15 / 2.0f + 250);
  EXPECT_EQ(f.surface.windowSize(), QSize(1920, client));
  // Pixels are kept for the disc and its markers alone, not for the whole window.
  const int r = client * 2 / 5 + 22;
  EXPECT_TRUE(f.surface.area().contains(QRect(960 - r, client / 2 + 17 - r, 2 * r, 2 * r)));
  EXPECT_LT(f.surface.image().width(), 1000);
}

// W twice on the maximised window, as at start-up. A compositor ends a client that resizes a surface
// it still holds maximised, so the restore waits for the window manager; under a headless Wayland
// compositor this runs against the real protocol.
TEST(MainWindow, WTwiceRestoresTheDesignSizeThenMaximisesAgainAndTheControlsFollow) {
  ShellFixture f(QSize(652, 453));
  f.window.showMaximized();
  ASSERT_TRUE(QTest::qWaitFor([&] { return f.window.isMaximized() && f.window.width() > 700; }, 10000));
  const QSize maximised = f.window.size();
  const QSize normal = QSize(652, 453) + QSize(0, f.window.clientOrigin().y());  // the design client area
  auto memLeftFitsFrame = [&] {
    return f.sys.main.CmdButton_MEM1.left == static_cast<float>(f.window.frameGeometry().width() * 15 - 1200);
  };
  QTest::keyClick(&f.window, Qt::Key_W);
  EXPECT_EQ(f.sys.st.WIN_SIZE, 0);
  ASSERT_TRUE(QTest::qWaitFor([&] { return f.window.size() == normal; }, 10000)) << f.window.size().width();
  EXPECT_FALSE(f.window.isMaximized());
  EXPECT_TRUE(QTest::qWaitFor(memLeftFitsFrame, 10000));
  QTest::keyClick(&f.window, Qt::Key_W);
  EXPECT_EQ(f.sys.st.WIN_SIZE, 1);
  ASSERT_TRUE(QTest::qWaitFor([&] { return f.window.size() == maximised; }, 10000))
      << f.window.width() << "x" << f.window.height() << " against " << maximised.width() << "x" << maximised.height();
  EXPECT_TRUE(f.window.isMaximized());
  EXPECT_TRUE(QTest::qWaitFor(memLeftFitsFrame, 10000));
  // Every size the window took has been drawn and sent; a window shown after them is answered only
  // once the compositor has dealt with them, so a refused one would have ended this test program.
  QApplication::processEvents();
  QWidget probe;
  probe.resize(50, 50);
  probe.show();
  EXPECT_TRUE(QTest::qWaitForWindowExposed(&probe, 10000));
  EXPECT_EQ(f.window.size(), maximised);
}

#ifdef Q_OS_LINUX
// The output of a command, or nothing when it fails.
QString run(const QString& program, const QStringList& arguments, const QProcessEnvironment& env) {
  QProcess p;
  p.setProcessEnvironment(env);
  p.start(program, arguments);
  if (!p.waitForFinished(30000) || p.exitCode() != 0) return {};
  return QString::fromLocal8Bit(p.readAllStandardOutput());
}

// A vehicle computer may start an X session with this program alone. The real program, on a screen
// of its own with no window manager, fills the screen by itself; W switches between that and the
// normal size; and keys reach it wherever the pointer is, also over the bare screen.
TEST(MainWindow, WithNoWindowManagerTheWindowFillsTheScreenItselfAndKeepsTheKeyboard) {
  QProcess server;
  server.start(QStringLiteral("Xvfb"), {QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-nolisten"),
                                        QStringLiteral("tcp"), QStringLiteral("-noreset"), QStringLiteral("-screen"),
                                        QStringLiteral("0"), QStringLiteral("800x480x24")});
  ASSERT_TRUE(server.waitForStarted() && QTest::qWaitFor([&] { return server.canReadLine(); }, 30000))
      << "tools/install-deps.sh installs Xvfb and xdotool";
  QTemporaryDir config, runtime;
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert(QStringLiteral("DISPLAY"), QStringLiteral(":") + QString::fromLatin1(server.readLine().trimmed()));
  env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
  env.insert(QStringLiteral("XDG_CONFIG_HOME"), config.path());
  env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime.path());
  // The server tells its display number as it starts listening; it takes clients once it answers one.
  // That client leaves at once, and an X server whose last client leaves resets itself: a client
  // that comes during the reset can be turned away, so this one never resets (-noreset).
  ASSERT_TRUE(QTest::qWaitFor(
      [&] { return !run(QStringLiteral("xdotool"), {QStringLiteral("getdisplaygeometry")}, env).isEmpty(); }, 30000));
  QProcess program;
  program.setProcessEnvironment(env);
  program.setProcessChannelMode(QProcess::MergedChannels);
  program.start(QStringLiteral(SORVANT_PROGRAM), QStringList{});
  ASSERT_TRUE(program.waitForStarted());

  QString window;
  ASSERT_TRUE(QTest::qWaitFor(
      [&] {
        window = run(QStringLiteral("xdotool"),
                     {QStringLiteral("search"), QStringLiteral("--onlyvisible"), QStringLiteral("--name"),
                      QStringLiteral("Sorvant DF Display")},
                     env)
                     .section(QLatin1Char('\n'), 0, 0);
        return !window.isEmpty();
      },
      30000))
      << "no window on " << env.value(QStringLiteral("DISPLAY")).toStdString()
      << "; the program said: " << program.readAll().toStdString();
  // Left, top, width and height of the window on the screen.
  const auto geometry = [&] {
    const QString shell =
        run(QStringLiteral("xdotool"), {QStringLiteral("getwindowgeometry"), QStringLiteral("--shell"), window}, env);
    QList<int> g;
    for (const char* name : {"X", "Y", "WIDTH", "HEIGHT"})
      g << QRegularExpression(QStringLiteral("%1=(-?\\d+)").arg(QLatin1String(name))).match(shell).captured(1).toInt();
    return g;
  };
  const QList<int> screen{0, 0, 800, 480};
  const QList<int> normal{73, 13, 652, 453};  // the design client area, in the middle
  EXPECT_TRUE(QTest::qWaitFor([&] { return geometry() == screen; }, 10000)) << geometry().value(2);

  // The pointer over the bare screen, where the normal window will not be: W reaches the window.
  const auto key = [&](const char* name) {
    run(QStringLiteral("xdotool"), {QStringLiteral("mousemove"), QStringLiteral("2"), QStringLiteral("2")}, env);
    run(QStringLiteral("xdotool"), {QStringLiteral("key"), QLatin1String(name)}, env);
  };
  key("w");
  EXPECT_TRUE(QTest::qWaitFor([&] { return geometry() == normal; }, 10000)) << geometry().value(2);
  key("w");
  EXPECT_TRUE(QTest::qWaitFor([&] { return geometry() == screen; }, 10000)) << geometry().value(2);
  key("q");
  EXPECT_TRUE(program.waitForFinished(30000));
  EXPECT_EQ(program.exitCode(), 0);
  server.terminate();
  server.waitForFinished();
}
#endif

TEST(MainWindow, ImageSurfaceShowsTheDiscAndAVectorTowardsItsBearing) {
  ShellFixture f(QSize(1280, 800));
  System& sys = f.sys;
  // Receiver mode with nothing on the line, then a pile of bearings at 90 (east) with heading 0.
  f.window.runEvent([&] { CmdButton_TEST_Click(sys); });
  for (int i = 0; i < 8; ++i) countBearing(sys, 90);
  f.window.runEvent([&] { EXECUTIVE(sys); });
  const DisplayState& st = sys.st;
  // Inside the disc, away from the vectors, the cursor and the crosshair: azimuth background.
  EXPECT_TRUE(
      near(f.pixelAt(st.CENTERX - st.AZRADIUS * 0.5f, st.CENTERY + st.AZRADIUS * 0.3f), sys.color(AzimuthBackground)));
  // Outside the disc: the window background.
  EXPECT_TRUE(near(f.pixelAt(st.CENTERX, st.CENTERY - st.AZRADIUS - 600), sys.color(DisplayBackground)));
  // Along bearing 90 (straight right with heading 0), halfway out: the vectors colour.
  const float reach = 8.0f / (10.0f * st.RINGCOUNT) * st.AZRADIUS;
  // The horizontal vector lies on the pixel row through the centre, which may round either way.
  const float x = st.CENTERX + reach * 0.6f;
  EXPECT_TRUE(near(f.pixelAt(x, st.CENTERY - 8), sys.color(Vectors)) ||
              near(f.pixelAt(x, st.CENTERY + 8), sys.color(Vectors)));
  // Nothing drawn towards bearing 270.
  EXPECT_TRUE(near(f.pixelAt(st.CENTERX - reach * 0.6f, st.CENTERY + 30), sys.color(AzimuthBackground)));
}

TEST(MainWindow, RefreshRepaintsOnlyTheRegionThatChanged) {
  ShellFixture f;
  QRegion repainted;
  f.surface.setRepaintHandler([&](const QRegion& r) { repainted = r; });
  f.surface.foreColor = rgb(255, 0, 0);
  f.surface.Line(9000, 4500, 150, 0);
  f.surface.Circle(12000, 8000, 75);
  f.surface.Refresh();
  EXPECT_TRUE(repainted.contains(QPoint(605, 300)));
  EXPECT_TRUE(repainted.contains(QPoint(800, 528)));
  EXPECT_FALSE(repainted.contains(QPoint(700, 420)));  // nothing drawn between the two
  EXPECT_LT(repainted.boundingRect().height() * repainted.boundingRect().width() / 10, 1000 * 600 / 10);
  repainted = QRegion();
  f.surface.Refresh();  // nothing new: no repaint at all
  EXPECT_TRUE(repainted.isEmpty());
}

TEST(MainWindow, ACycleThatDrawsNothingNewRepaintsNothing) {
  ShellFixture f;
  System& sys = f.sys;
  f.window.runEvent([&] { CmdButton_TEST_Click(sys); });
  for (int i = 0; i < 20; ++i) countBearing(sys, 200);
  EXECUTIVE(sys);
  EXECUTIVE(sys);
  QRegion repainted;
  f.surface.setRepaintHandler([&](const QRegion& r) { repainted = r; });
  EXECUTIVE(sys);  // vectors and cursor drawn again, exactly as before
  EXPECT_TRUE(repainted.isEmpty());
  countBearing(sys, 200);  // one more bearing: only the vectors around 200 change
  EXECUTIVE(sys);
  ASSERT_FALSE(repainted.isEmpty());
  const QRect changed = repainted.boundingRect();
  EXPECT_LT(changed.width() * changed.height(), 200 * 200);
  // Bearing 200 with heading 0 lies below the centre, a little to the left.
  const QPoint centre(qRound(sys.st.CENTERX / 15), qRound(sys.st.CENTERY / 15));
  EXPECT_GT(changed.bottom(), centre.y() + 20);
}

// On Wayland the drawing surface and the labels are shown on layers of the window's own, so the
// window drawn by Qt is not copied whole at every cycle: the layers are in use, Qt no longer paints
// the labels into the window, and the layers keep few buffers while the display runs.
TEST(MainWindow, OnWaylandThePictureAndTheLabelsAreShownOnLayersThatKeepFewBuffers) {
  if (!QGuiApplication::platformName().startsWith(QLatin1String("wayland")))
    GTEST_SKIP() << "the layers exist on Wayland only (tools/run-tests.sh runs this under weston)";
  ShellFixture f;
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&f.window));
  System& sys = f.sys;
  // Receiver mode, a bearing around 200 at every cycle: the vectors change there only.
  f.window.runEvent([&] { CmdButton_TEST_Click(sys); });
  for (int i = 0; i < 40; ++i) {
    countBearing(sys, 195 + i % 10);
    f.window.runEvent([&] { EXECUTIVE(sys); });
    QApplication::processEvents();
  }
  const WaylandLayers* layers = f.window.waylandLayers();
  ASSERT_NE(layers, nullptr);
  EXPECT_TRUE(layers->active());
  EXPECT_FALSE(f.widget<QLabel>(sys.main.Label_HDG)->updatesEnabled());
  ASSERT_GT(layers->layerCount(), 0u);
  // The cycles above came faster than the compositor answers: what they could not show (the
  // labels, the last changes of the tiles) is shown once it has answered. Then each layer shown
  // holds the buffer it shows; only the parts where the vectors change keep a second.
  const QList<QLabel*> labels = f.window.findChildren<QLabel*>();
  const auto visibleLabels = std::count_if(labels.begin(), labels.end(), [](QLabel* l) { return l->isVisible(); });
  const std::size_t shownLayers = layers->layerCount() - labels.size() + static_cast<std::size_t>(visibleLabels);
  EXPECT_TRUE(QTest::qWaitFor([&] { return layers->bufferCount() >= shownLayers; }, 5000))
      << layers->bufferCount() << " buffers for " << shownLayers << " layers shown";
  EXPECT_LE(layers->bufferCount(), shownLayers * 3 / 2);
  // The layers of a cycle go to the compositor together; it is asked to say when it has shown
  // them only while it falls behind, never once for each layer, and the next cycle's pictures
  // follow.
  const std::size_t commits = layers->commitCount();
  countBearing(sys, 20);  // far from the others: other tiles change
  f.window.runEvent([&] { EXECUTIVE(sys); });
  EXPECT_TRUE(QTest::qWaitFor([&] { return layers->commitCount() > commits; }, 5000));
  EXPECT_LT(layers->framesAsked() * 3, layers->commitCount());
}

// Where nothing else draws the window frames (a compositor that leaves them to the program, and a Qt
// that draws them only through EGL), the windows carry a title strip of the program's own and Qt
// loads no EGL. The controls lie below the strip; a double click on it and its maximise button
// take W's path, so the display's record of the window's mode follows; its close button closes the
// window as the window system's close does, and the settings are written.
TEST(MainWindow, WhereNothingDrawsTheFramesTheWindowsCarryATitleStripOfTheirOwnAndQtLoadsNoEgl) {
  if (!programDrawsWindowFrames())
    GTEST_SKIP() << "only where nothing draws the frames (tools/run-tests.sh runs this under weston)";
  ShellFixture f;
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&f.window));
  QFile maps(QStringLiteral("/proc/self/maps"));
  ASSERT_TRUE(maps.open(QIODevice::ReadOnly));
  const QByteArray mapped = maps.readAll();
  EXPECT_FALSE(mapped.contains("libEGL_mesa"));
  EXPECT_FALSE(mapped.contains("libLLVM"));

  const TitleStrip* strip = f.window.titleStrip();
  ASSERT_NE(strip, nullptr);
  EXPECT_EQ(strip->geometry(), QRect(0, 0, f.window.width(), f.window.clientOrigin().y()));
  EXPECT_GE(strip->height(), 30);
  ASSERT_TRUE(strip->minimiseButton() && strip->maximiseButton() && strip->closeButton());
  EXPECT_EQ(strip->closeButton()->geometry().right(), strip->width() - 1);
  EXPECT_LT(strip->maximiseButton()->x(), strip->closeButton()->x());
  for (Control* c : f.sys.main.all()) {
    QWidget* w = f.window.widgetFor(*c);
    if (!c->parent && w->isVisible()) {
      EXPECT_GE(w->y(), strip->height()) << c->caption;
    }
  }
  // The options dialog: its title, a close button, its contents below.
  f.window.runEvent([&] { clickMainButton(f.sys, f.sys.main.CmdButton_OPTIONS); });
  auto* optionsStrip = f.options->findChild<TitleStrip*>();
  ASSERT_NE(optionsStrip, nullptr);
  EXPECT_EQ(optionsStrip->maximiseButton(), nullptr);
  for (Control* c : f.sys.opt.all()) {
    QWidget* w = f.options->widgetFor(*c);
    if (!c->parent && w->isVisible()) {
      EXPECT_GE(w->y(), optionsStrip->height()) << c->caption;
    }
  }
  QTest::mouseClick(optionsStrip->closeButton(), Qt::LeftButton);
  EXPECT_FALSE(f.sys.opt.visible);
  EXPECT_FALSE(f.options->isVisible());

  f.window.showMaximized();
  ASSERT_TRUE(QTest::qWaitFor([&] { return f.window.isMaximized() && f.window.width() > 700; }, 10000));
  auto* onStrip = const_cast<TitleStrip*>(strip);
  QTest::mouseDClick(onStrip, Qt::LeftButton, Qt::NoModifier, QPoint(strip->width() / 3, strip->height() / 2));
  EXPECT_EQ(f.sys.st.WIN_SIZE, 0);
  EXPECT_TRUE(QTest::qWaitFor([&] { return f.window.size() == QSize(652, 453 + strip->height()); }, 10000))
      << f.window.width() << "x" << f.window.height();
  QTest::mouseClick(strip->maximiseButton(), Qt::LeftButton);
  EXPECT_EQ(f.sys.st.WIN_SIZE, 1);
  EXPECT_TRUE(QTest::qWaitFor([&] { return f.window.isMaximized() && f.window.width() > 700; }, 10000));

  std::filesystem::remove(f.sys.settingsFile);
  QTest::mouseClick(strip->closeButton(), Qt::LeftButton);
  EXPECT_FALSE(f.window.isVisible());
  EXPECT_TRUE(std::filesystem::exists(f.sys.settingsFile));
}

}  // namespace
}  // namespace sorvant::test
