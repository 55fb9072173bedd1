#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <random>
#include <sstream>
#include <string>

#include "options/OptionsCommands.h"
#include "serial/ComPortPath.h"
#include "settings/SettingsFile.h"
#include "settings/StartUp.h"
#include "support/Environment.h"
#include "support/TestSystem.h"

// What the program does on Windows, checked where it runs: natively or under Wine.
namespace sorvant::test {
namespace {

namespace fs = std::filesystem;

std::string bytesOf(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

std::size_t count(const std::string& text, const std::string& what) {
  std::size_t n = 0;
  for (auto at = text.find(what); at != std::string::npos; at = text.find(what, at + what.size())) ++n;
  return n;
}

TEST(Windows, SettingsAtTheDriveRootAndPortsByTheirWindowsNamesWhateverTheEnvironment) {
  if (!kWindows) GTEST_SKIP() << "Windows only: Linux and Unix use the config folder and COMn links";
  const std::optional<std::string> xdg = getEnv("XDG_CONFIG_HOME");
  setEnv("XDG_CONFIG_HOME", fs::temp_directory_path());
  EXPECT_EQ(settingsPath(), fs::path("C:/Sorvant.ini"));
  EXPECT_EQ(comPortPath(1), R"(\\.\COM1)");
  EXPECT_EQ(comPortPath(8), R"(\\.\COM8)");
  EXPECT_EQ(comPortPath(12), R"(\\.\COM12)");
  EXPECT_EQ(comPortPath(0), "");

  // Tests get a file of their own, never the operator's.
  const TestSystem ts(false, false);
  EXPECT_NE(settingsFileOf(ts.sys), fs::path("C:/Sorvant.ini"));
  if (xdg)
    setEnv("XDG_CONFIG_HOME", *xdg);
  else
    unsetEnv("XDG_CONFIG_HOME");
}

TEST(Windows, SettingsFileLineEndsAreWrittenAsBytesAndNeverTranslatedTwice) {
  if (!kWindows) GTEST_SKIP() << "Windows only: Linux and Unix files have no text mode";
  const fs::path folder = fs::temp_directory_path() / ("sorvant-windows-" + std::to_string(std::random_device{}()));
  const fs::path file = folder / "Sorvant.ini";
  const auto start = [&] {
    auto ts = std::make_unique<TestSystem>(false, false);
    ts->sys.settingsFile = file;
    loadSystem(ts->sys);
    return ts;
  };

  auto first = start();  // no file yet: the default file is written
  EXPECT_EQ(bytesOf(file), defaultSettingsText());
  CmdButton_HEADING_Click(first->sys);
  unloadSystem(first->sys);
  const std::string written = bytesOf(file);
  EXPECT_EQ(count(written, "\r\n"), 46u);
  EXPECT_EQ(count(written, "\n"), 46u);
  EXPECT_EQ(count(written, "\r"), 46u);
  EXPECT_NE(written.find("\r\n\"GPS\"\r\n"), std::string::npos);

  auto second = start();
  EXPECT_EQ(second->sys.opt.CmdButton_HEADING.caption, kHeadingGps);
  EXPECT_FALSE(fs::exists(folder / "Sorvant.ini.bad"));

  std::error_code ec;
  fs::remove_all(folder, ec);
  TestSystem::isolateSettings();
}

// The installer puts this file at C:/Sorvant.ini when none is there, so that a standard account,
// which may change that file but may not create files in C:/, keeps its changes from the first run.
TEST(Windows, InstallerDefaultsAreByteForByteTheProgramsDefaults) {
  EXPECT_EQ(bytesOf(fs::path(SORVANT_TESTDATA_DIR) / "../../packaging/windows/Sorvant.ini"), defaultSettingsText());
}

}  // namespace
}  // namespace sorvant::test
