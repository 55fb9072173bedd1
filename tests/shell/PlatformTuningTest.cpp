// Qt's EGL client buffer integration is skipped only where nothing needs it: never on X11, never
// against the user's own choice, and on a compositor that leaves the window frames to Qt only where
// Qt draws them without it.
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

TEST(PlatformTuning, KeepsTheEglIntegrationWhereItMayBeNeeded) {
  Environment env;
  env.unset(kIntegration);
  env.set("QT_QPA_PLATFORM", "xcb");
  tunePlatformBeforeApplication();
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
  tunePlatformBeforeApplication();
  if (QLibraryInfo::version() >= QVersionNumber(6, 6))
    EXPECT_EQ(qgetenv(kIntegration), "none") << "a Qt that draws the frames in shared memory by itself";
  else
    EXPECT_FALSE(qEnvironmentVariableIsSet(kIntegration)) << "a compositor that leaves the frames to Qt";
  env.unset(kIntegration);

  env.set(kIntegration, "wayland-egl");
  tunePlatformBeforeApplication();
  EXPECT_EQ(qgetenv(kIntegration), "wayland-egl") << "the user's choice";

  compositor.terminate();
  compositor.waitForFinished();
}

}  // namespace
}  // namespace sorvant::test
