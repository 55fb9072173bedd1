// Qt's EGL client buffer integration is skipped wherever Qt runs on Wayland, never on X11 and never
// against the user's own choice. On a compositor that leaves the window frames to the program, a Qt
// that draws them only with that integration leaves them to a title strip of the program's own.
#include <gtest/gtest.h>

#include <QByteArray>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>
#include <QVersionNumber>
#include <map>
#include <optional>
#include <string>

#include "shell/QtPlatformTuning.h"

namespace sorvant::test {
namespace {

constexpr const char* kIntegration = "QT_WAYLAND_CLIENT_BUFFER_INTEGRATION";

// Sets variables for one test and puts the old values back at its end.
class Environment {
 public:
  ~Environment() {
    for (const auto& [name, value] : saved_) {
      if (value)
        qputenv(name.c_str(), *value);
      else
        qunsetenv(name.c_str());
    }
  }
  void set(const char* name, const QByteArray& value) {
    keep(name);
    qputenv(name, value);
  }
  void unset(const char* name) {
    keep(name);
    qunsetenv(name);
  }

 private:
  void keep(const char* name) {
    if (saved_.count(name)) return;
    saved_[name] = qEnvironmentVariableIsSet(name) ? std::optional<QByteArray>(qgetenv(name)) : std::nullopt;
  }
  std::map<std::string, std::optional<QByteArray>> saved_;
};

TEST(PlatformTuning, SkipsTheEglIntegrationOnWaylandAndDrawsTheFramesWhereNothingElseDoes) {
  Environment env;
  env.unset(kIntegration);
  env.unset("QT_WAYLAND_DISABLE_WINDOWDECORATION");
  env.set("QT_QPA_PLATFORM", "xcb");
  EXPECT_FALSE(tunePlatformBeforeApplication()) << "X11";
  EXPECT_FALSE(qEnvironmentVariableIsSet(kIntegration)) << "X11";

  // Weston leaves the frames to the program.
  const QString weston = QStandardPaths::findExecutable(QStringLiteral("weston"));
  if (weston.isEmpty()) GTEST_SKIP() << "weston is not installed (tools/install-deps.sh test)";
  QTemporaryDir runtime;
  ASSERT_TRUE(runtime.isValid());
  const QString socket = QStringLiteral("sorvant-tuning-%1").arg(QCoreApplication::applicationPid());
  QProcess compositor;
  QProcessEnvironment compositorEnv = QProcessEnvironment::systemEnvironment();
  compositorEnv.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime.path());
  compositor.setProcessEnvironment(compositorEnv);
  compositor.start(weston, {QStringLiteral("--backend=headless-backend.so"), QStringLiteral("--socket=") + socket,
                            QStringLiteral("--idle-time=0")});
  ASSERT_TRUE(compositor.waitForStarted());
  QElapsedTimer waited;
  waited.start();
  while (!QFileInfo::exists(runtime.filePath(socket)) && waited.elapsed() < 10000) QThread::msleep(10);
  ASSERT_TRUE(QFileInfo::exists(runtime.filePath(socket)));

  env.set("XDG_RUNTIME_DIR", runtime.path().toLocal8Bit());
  env.set("WAYLAND_DISPLAY", socket.toLocal8Bit());
  env.set("QT_QPA_PLATFORM", "wayland");
  const bool qtDrawsFrames = QLibraryInfo::version() >= QVersionNumber(6, 6);
  EXPECT_EQ(tunePlatformBeforeApplication(), !qtDrawsFrames) << "weston leaves the frames to the program";
  EXPECT_EQ(qgetenv(kIntegration), "none");
  env.unset(kIntegration);

  // The user's choices: no frames at all, or an integration of their own.
  env.set("QT_WAYLAND_DISABLE_WINDOWDECORATION", "1");
  EXPECT_FALSE(tunePlatformBeforeApplication());
  EXPECT_EQ(qgetenv(kIntegration), "none");
  env.unset(kIntegration);
  env.unset("QT_WAYLAND_DISABLE_WINDOWDECORATION");
  env.set(kIntegration, "wayland-egl");
  EXPECT_FALSE(tunePlatformBeforeApplication());
  EXPECT_EQ(qgetenv(kIntegration), "wayland-egl") << "the user's choice";

  compositor.terminate();
  compositor.waitForFinished();
}

}  // namespace
}  // namespace sorvant::test
