#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <string>

#include "serial/ComPortPath.h"
#include "support/Environment.h"

namespace fs = std::filesystem;

namespace {

// Points XDG_CONFIG_HOME and HOME at a fresh folder for one test and puts them back afterwards.
class ComPortPathTest : public ::testing::Test {
 protected:
  void SetUp() override {
    save("XDG_CONFIG_HOME", xdg_);
    save("HOME", home_);
    root_ = fs::temp_directory_path() / ("sorvant-comport-" + std::to_string(::getpid()));
    fs::remove_all(root_);
    fs::create_directories(root_ / "xdg" / "sorvant");
    fs::create_directories(root_ / "home" / ".config" / "sorvant");
    sorvant::test::setEnv("XDG_CONFIG_HOME", root_ / "xdg");
    sorvant::test::setEnv("HOME", root_ / "home");
    if (sorvant::test::kWindows) GTEST_SKIP() << "Linux and Unix only: Windows opens port n as \\\\.\\COMn";
  }
  void TearDown() override {
    restore("XDG_CONFIG_HOME", xdg_);
    restore("HOME", home_);
    fs::remove_all(root_);
  }
  static void save(const char* name, std::optional<std::string>& into) {
    if (const char* v = std::getenv(name)) into = v;
  }
  static void restore(const char* name, const std::optional<std::string>& value) {
    if (value)
      sorvant::test::setEnv(name, *value);
    else
      sorvant::test::unsetEnv(name);
  }

  fs::path root_;
  std::optional<std::string> xdg_, home_;
};

TEST_F(ComPortPathTest, LinkInConfigFolderWinsOverUsbAdapters) {
  // Without a link: the USB adapter of that number, the one the kernel calls ttyACM when only that one
  // is there, and while neither is there the ttyUSB one, waited for.
  const fs::path dev = root_ / "dev";
  fs::create_directories(dev);
  EXPECT_EQ(sorvant::comPortPath(1, dev), (dev / "ttyUSB0").string());
  EXPECT_EQ(sorvant::comPortPath(8, dev), (dev / "ttyUSB7").string());
  std::ofstream(dev / "ttyACM1").put('x');
  EXPECT_EQ(sorvant::comPortPath(2, dev), (dev / "ttyACM1").string());
  std::ofstream(dev / "ttyUSB1").put('x');
  EXPECT_EQ(sorvant::comPortPath(2, dev), (dev / "ttyUSB1").string());

  const fs::path target = root_ / "device";
  std::ofstream(target).put('x');
  const fs::path link = root_ / "xdg" / "sorvant" / "COM2";
  fs::create_symlink(target, link);
  EXPECT_EQ(sorvant::comPortPath(2, dev), link.string());
  EXPECT_EQ(sorvant::comPortPath(2), link.string());
  EXPECT_EQ(sorvant::comPortPath(3, dev), (dev / "ttyUSB2").string());
  EXPECT_EQ(sorvant::comPortDescription(2), target.string() + " (linked from " + link.string() + ")");

  // An adapter that is unplugged leaves its link dangling: still this port, so opening it fails
  // rather than quietly reaching a different device.
  fs::remove(target);
  EXPECT_EQ(sorvant::comPortPath(2), link.string());

  EXPECT_EQ(sorvant::comPortPath(0), "");
  EXPECT_EQ(sorvant::comPortDescription(0), "");
}

TEST_F(ComPortPathTest, FallsBackToDotConfigWhenXdgUnsetOrRelative) {
  fs::create_symlink("/dev/null", root_ / "home" / ".config" / "sorvant" / "COM4");
  sorvant::test::unsetEnv("XDG_CONFIG_HOME");
  EXPECT_EQ(sorvant::comPortPath(4), (root_ / "home" / ".config" / "sorvant" / "COM4").string());
  sorvant::test::setEnv("XDG_CONFIG_HOME", "relative/dir");
  EXPECT_EQ(sorvant::comPortPath(4), (root_ / "home" / ".config" / "sorvant" / "COM4").string());
  sorvant::test::setEnv("XDG_CONFIG_HOME", root_ / "xdg");
  EXPECT_EQ(sorvant::comPortPath(4, root_), (root_ / "ttyUSB3").string());
}

}  // namespace
