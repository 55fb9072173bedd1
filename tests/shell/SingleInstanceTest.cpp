// The one-instance guard between real starts of the program: it holds on the settings file itself,
// however a later start reaches that file and whatever runtime folder its session has.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QLockFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <filesystem>

#include "shell/QtSingleInstance.h"

namespace sorvant {
namespace {

// Starts the program offscreen with this config home and runtime folder.
std::unique_ptr<QProcess> startProgram(const QString& configHome, const QString& runtime) {
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
  env.insert(QStringLiteral("XDG_CONFIG_HOME"), configHome);
  env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime);
  auto p = std::make_unique<QProcess>();
  p->setProcessEnvironment(env);
  p->setProcessChannelMode(QProcess::SeparateChannels);
  p->start(QStringLiteral(SORVANT_PROGRAM), QStringList{});
  p->waitForStarted();
  return p;
}

TEST(SingleInstance, ASecondStartOnTheSameFileEndsThroughAnyLinkAndFromAnyRuntimeFolder) {
#ifdef _WIN32
  GTEST_SKIP() << "Linux and Unix: XDG folders and symbolic links; on Windows the settings file is always "
                  "C:/Sorvant.ini (the installer trial checks a second start there)";
#endif
  QTemporaryDir home;
  QTemporaryDir runtime;
  QTemporaryDir otherRuntime;
  const QString file = home.filePath(QStringLiteral("config/sorvant/Sorvant.ini"));
  // The same folder reached through a link, as ~/.config often is.
  ASSERT_TRUE(QDir().mkpath(home.filePath(QStringLiteral("config"))));
  ASSERT_TRUE(QFile::link(home.filePath(QStringLiteral("config")), home.filePath(QStringLiteral("linked"))));
  const QString linkedFile = home.filePath(QStringLiteral("linked/sorvant/Sorvant.ini"));
  EXPECT_EQ(SingleInstance::realLocation(linkedFile).toStdString(), SingleInstance::realLocation(file).toStdString());

  auto first = startProgram(home.filePath(QStringLiteral("config")), runtime.path());
  QLockFile lock(SingleInstance::lockFileName(file));
  qint64 pid = 0;
  ASSERT_TRUE(
      QTest::qWaitFor([&] { return lock.getLockInfo(&pid, nullptr, nullptr) && pid == first->processId(); }, 30000));

  // Through the linked folder, same session: asked to the front, this start ends.
  SingleInstance throughLink(linkedFile, runtime.path(), 30000);
  EXPECT_FALSE(throughLink.claim());
  EXPECT_TRUE(throughLink.answered());

  // Another session (su, ssh, cron) cannot reach its socket: it still ends, says why, and leaves the
  // file to the running one.
  const QByteArray before = [&] {
    QFile f(file);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
  }();
  auto second = startProgram(home.filePath(QStringLiteral("linked")), otherRuntime.path());
  ASSERT_TRUE(second->waitForFinished(30000));
  EXPECT_EQ(second->exitCode(), 1);
  EXPECT_TRUE(second->readAllStandardError().contains("could not be asked to come to the front"));
  EXPECT_EQ(first->state(), QProcess::Running);

  first->terminate();
  ASSERT_TRUE(first->waitForFinished(30000));
  EXPECT_FALSE(QFile::exists(SingleInstance::lockFileName(file)));
  EXPECT_FALSE(QFile::exists(SingleInstance::sharedLockFileName(file)));
  QFile after(file);
  ASSERT_TRUE(after.open(QIODevice::ReadOnly));
  EXPECT_EQ(after.readAll().size(), before.size());
}

// A settings file reached through a link to a folder named in Latin-1, and the same file hard-linked
// into another folder: a second start by either way ends, the first one is raised.
TEST(SingleInstance, ASecondStartThroughAHardLinkOrAFolderNamedInLatin1Ends) {
#ifdef _WIN32
  GTEST_SKIP() << "Linux and Unix: byte names, symbolic and hard links";
#else
  namespace fs = std::filesystem;
  QTemporaryDir home;
  QTemporaryDir runtime;
  const fs::path base = home.path().toStdString();
  const fs::path latin = base / "caf\xe9";
  fs::create_directories(latin / "sorvant");
  fs::create_directory_symlink(latin, base / "config");
  const fs::path file = latin / "sorvant" / "Sorvant.ini";

  auto first = startProgram(home.filePath(QStringLiteral("config")), runtime.path());
  const auto holds = [&first](const QString& lockName) {
    QLockFile lock(lockName);
    qint64 pid = 0;
    return !lockName.isEmpty() && lock.getLockInfo(&pid, nullptr, nullptr) && pid == first->processId();
  };
  ASSERT_TRUE(QTest::qWaitFor([&] { return holds(SingleInstance::sharedLockFileName(file)); }, 30000));
  EXPECT_TRUE(fs::exists(latin / "sorvant" / "Sorvant.ini.lock"));
  SingleInstance byItsName(file, runtime.path(), 30000);
  EXPECT_FALSE(byItsName.claim());
  EXPECT_TRUE(byItsName.answered());

  // The file start-up made, under a second name in another folder.
  ASSERT_TRUE(QTest::qWaitFor([&] { return holds(SingleInstance::identityLockFileName(file)); }, 30000));
  fs::create_directories(base / "other" / "sorvant");
  fs::create_hard_link(file, base / "other" / "sorvant" / "Sorvant.ini");
  SingleInstance byAnotherName(base / "other" / "sorvant" / "Sorvant.ini", runtime.path(), 30000);
  EXPECT_FALSE(byAnotherName.claim());
  EXPECT_TRUE(byAnotherName.answered());
  EXPECT_EQ(first->state(), QProcess::Running);

  const QString identityLock = SingleInstance::identityLockFileName(file);
  first->terminate();
  ASSERT_TRUE(first->waitForFinished(30000));
  EXPECT_FALSE(fs::exists(latin / "sorvant" / "Sorvant.ini.lock"));
  EXPECT_FALSE(QFile::exists(identityLock));
  EXPECT_FALSE(QFile::exists(SingleInstance::sharedLockFileName(file)));
#endif
}

}  // namespace
}  // namespace sorvant
