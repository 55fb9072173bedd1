#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QCoreApplication>
#include <QFileInfo>
#include <QLockFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QWidget>
#include <atomic>
#include <csignal>
#include <fstream>
#include <sstream>
#include <thread>

#include "ShellFixture.h"
#include "settings/SettingsFile.h"
#include "shell/QtSingleInstance.h"
#include "shell/QtTermination.h"

namespace sorvant {
namespace {

std::string contents(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

TEST(Termination, ASignalToEndClosesTheWindowOnTheUiThread) {
  QWidget window;
  window.show();
  closeOnTermination(window);
  ASSERT_TRUE(window.isVisible());
  std::raise(SIGHUP);  // as when the terminal or the session goes away
  EXPECT_TRUE(QTest::qWaitFor([&] { return !window.isVisible(); }, 2000));
}

TEST(Termination, TheSessionEndingTheEventLoopWritesTheSettingsOnce) {
  test::ShellFixture f;
  closeOnTermination(f.window);
  f.port.setCommPort(6);
  // The session manager's quit: the event loop ends, nobody closes the window.
  QTimer::singleShot(0, [] { QCoreApplication::exit(0); });
  QApplication::exec();
  EXPECT_FALSE(f.window.isVisible());
  const std::filesystem::path file = settingsPath();
  EXPECT_NE(contents(file).find("\r\n6\r\n4800\r\n"), std::string::npos);
  std::ofstream(file, std::ios::binary | std::ios::trunc) << "left alone";
  f.window.close();  // Q or Alt+F4 after that: nothing is written a second time
  EXPECT_EQ(contents(file), "left alone");
}

// The real program, as the operator starts it, on a settings folder of its own.
class Program {
 public:
  Program() {
    env_.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env_.insert(QStringLiteral("XDG_CONFIG_HOME"), config_.path());
    env_.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime_.path());
  }
  void set(const QString& name, const QString& value) { env_.insert(name, value); }
  QString settingsFolder() const { return config_.path() + QStringLiteral("/sorvant"); }
  QString settingsFileName() const { return settingsFolder() + QStringLiteral("/Sorvant.ini"); }
  QString runtimeFolder() const { return runtime_.path(); }
  std::filesystem::path settingsFile() const {
    return (settingsFolder() + QStringLiteral("/Sorvant.ini")).toStdString();
  }

  // With `keepErrors`, standard error is kept for the test to read instead of passed on.
  std::unique_ptr<QProcess> start(bool keepErrors = false) const {
    auto p = std::make_unique<QProcess>();
    p->setProcessEnvironment(env_);
    p->setProcessChannelMode(keepErrors ? QProcess::SeparateChannels : QProcess::ForwardedErrorChannel);
    p->start(QStringLiteral(SORVANT_PROGRAM), QStringList{});
    p->waitForStarted();
    return p;
  }
  // True once `p` holds the one-instance lock (it listens for later starts from then on).
  bool holdsTheLock(const QProcess& p) const {
    QLockFile lock(SingleInstance::lockFileName(settingsFileName()));
    qint64 pid = 0;
    return QTest::qWaitFor([&] { return lock.getLockInfo(&pid, nullptr, nullptr) && pid == p.processId(); }, 30000);
  }

 private:
  QTemporaryDir config_;
  QTemporaryDir runtime_;
  QProcessEnvironment env_ = QProcessEnvironment::systemEnvironment();
};

ino_t inode(const std::filesystem::path& file) {
  struct stat info = {};
  return ::stat(file.c_str(), &info) == 0 ? info.st_ino : 0;
}

TEST(Termination, ASecondStartRaisesTheRunningProgramUnlessItIsHungOrGone) {
  Program program;
  auto first = program.start();
  ASSERT_TRUE(program.holdsTheLock(*first));

  // Once it answers (a patient ask, as a loaded machine may start slowly), a second start is
  // answered and ends at once; the settings file is not even rewritten.
  ASSERT_FALSE(SingleInstance(program.settingsFileName(), program.runtimeFolder(), 30000).claim());
  const ino_t before = inode(program.settingsFile());
  auto second = program.start();
  ASSERT_TRUE(second->waitForFinished(30000));
  EXPECT_EQ(second->exitStatus(), QProcess::NormalExit);
  EXPECT_EQ(second->exitCode(), 0);
  EXPECT_EQ(first->state(), QProcess::Running);
  EXPECT_EQ(inode(program.settingsFile()), before);

  // Hung: a later start waits a while for an answer, then runs on its own.
  ::kill(static_cast<pid_t>(first->processId()), SIGSTOP);
  {
    SingleInstance impatient(program.settingsFileName(), program.runtimeFolder(), 300);
    EXPECT_TRUE(impatient.claim());
  }
  // Gone (killed, its lock and socket left behind): the next start runs normally and, told to
  // end, writes the settings.
  first->kill();
  first->waitForFinished();
  auto third = program.start();
  ASSERT_TRUE(program.holdsTheLock(*third));
  EXPECT_FALSE(SingleInstance(program.settingsFileName(), program.runtimeFolder(), 30000).claim());  // answered
  third->terminate();
  ASSERT_TRUE(third->waitForFinished(30000));
  EXPECT_EQ(third->exitCode(), 0);
  EXPECT_NE(inode(program.settingsFile()), before);
  EXPECT_EQ(contents(program.settingsFile()), defaultSettingsText());
}

TEST(Termination, ASecondStartHandsItsActivationTokenToTheRunningOne) {
  QTemporaryDir settings;
  QTemporaryDir runtime;
  const QString file = settings.filePath(QStringLiteral("Sorvant.ini"));
  SingleInstance first(file, runtime.path());
  ASSERT_TRUE(first.claim());
  QStringList received;
  first.onRaiseRequest([&](const QString& token) { received << token; });
  // Later starts ask from threads of their own while this one answers: with the launcher's token,
  // from a terminal (none), and with text no launcher makes.
  for (const QString& token : {QStringLiteral("gnome-shell/Sorvant/2051-3-host_TIME8806"), QString(),
                               QStringLiteral("two words\nfront evil")}) {
    std::atomic<int> claimed = -1;
    std::thread later([&] { claimed = SingleInstance(file, runtime.path(), 30000).claim(token) ? 1 : 0; });
    EXPECT_TRUE(QTest::qWaitFor([&] { return claimed != -1; }, 30000));
    later.join();
    EXPECT_EQ(claimed, 0);  // answered: the later start ends
  }
  EXPECT_EQ(received, QStringList({QStringLiteral("gnome-shell/Sorvant/2051-3-host_TIME8806"), QString(), QString()}));
}

// A display server of the test's own, started for `program`: an X server, or a headless Wayland
// compositor listening in the program's runtime folder. False when it did not come up.
bool startDisplay(QProcess& display, Program& program, bool wayland) {
  if (!wayland) {
    display.start(
        QStringLiteral("Xvfb"),
        {QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-nolisten"), QStringLiteral("tcp"),
         QStringLiteral("-screen"), QStringLiteral("0"), QStringLiteral("1024x768x24")});
    if (!display.waitForStarted() || !QTest::qWaitFor([&] { return display.canReadLine(); }, 30000)) return false;
    program.set(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    program.set(QStringLiteral("DISPLAY"), QStringLiteral(":") + QString::fromLatin1(display.readLine().trimmed()));
    return true;
  }
  const QString socket = QStringLiteral("sorvant-test-%1").arg(QCoreApplication::applicationPid());
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert(QStringLiteral("XDG_RUNTIME_DIR"), program.runtimeFolder());
  display.setProcessEnvironment(env);
  display.setProcessChannelMode(QProcess::MergedChannels);
  display.start(QStringLiteral("weston"),
                {QStringLiteral("--backend=headless-backend.so"), QStringLiteral("--no-config"),
                 QStringLiteral("--idle-time=0"), QStringLiteral("--socket=") + socket});
  const QString path = program.runtimeFolder() + QStringLiteral("/") + socket;
  if (!display.waitForStarted() || !QTest::qWaitFor([&] { return QFileInfo::exists(path); }, 30000)) return false;
  program.set(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("wayland"));
  program.set(QStringLiteral("WAYLAND_DISPLAY"), socket);
  return true;
}

TEST(Termination, TheDisplayGoingAwayWithTheSessionIsANormalEndThatWritesTheSettings) {
  for (const bool wayland : {false, true}) {
    SCOPED_TRACE(wayland ? "Wayland compositor" : "X server");
    QProcess display;
    Program program;
    ASSERT_TRUE(startDisplay(display, program, wayland)) << "tools/install-deps.sh installs Xvfb and weston";
    auto running = program.start(true);
    ASSERT_TRUE(program.holdsTheLock(*running));
    // Answered: the program runs its event loop, its settings read.
    ASSERT_FALSE(SingleInstance(program.settingsFileName(), program.runtimeFolder(), 30000).claim());
    const ino_t before = inode(program.settingsFile());

    // The server ends; the toolkit ends the program without closing its window (Qt's Wayland
    // plugin with _exit(), which runs no exit handler).
    display.terminate();
    display.waitForFinished();
    ASSERT_TRUE(running->waitForFinished(30000));
    EXPECT_NE(inode(program.settingsFile()), before);
    EXPECT_EQ(contents(program.settingsFile()), defaultSettingsText());
    // The end of the session is a normal end, said once (Qt's Wayland plugin finds the broken
    // connection on two threads and would say so from both, then end with status 1).
    EXPECT_EQ(running->exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(running->exitCode(), 0);
    const QString errors = QString::fromLocal8Bit(running->readAllStandardError());
    EXPECT_EQ(errors.count(QStringLiteral("connection broke")), 0) << errors.toStdString();
    EXPECT_EQ(errors.count(QStringLiteral("display server has gone away")), 1) << errors.toStdString();
  }
}

}  // namespace
}  // namespace sorvant
