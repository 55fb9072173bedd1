#include "support/TestSystem.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <stdexcept>

#include "display/Layout.h"
#include "histogram/TestSource.h"
#include "serial/Reception.h"
#include "settings/StartUp.h"
#include "support/Environment.h"

namespace sorvant::test {

namespace {

// A settings folder for this process alone: parallel test processes never share a file.
struct ProcessFolder {
  std::filesystem::path path =
      std::filesystem::temp_directory_path() / ("sorvant-test-" + std::to_string(std::random_device{}()));
  ~ProcessFolder() {
    std::error_code ec;
    std::filesystem::remove_all(path, ec);
  }
};

}  // namespace

TestSystem::TestSystem(bool load, bool resize) : sys(Platform{&EXECUTIVE, clock, port, surface, host, picker, random}) {
  port.setReceiveHandler([this] { MSComm1_OnComm(sys); });
  sys.settingsFile = isolateSettings();
  initialiseSystem(sys);
  if (load) loadSystem(sys);
  if (resize) Form_Resize(sys);
}

void TestSystem::tick(double seconds) {
  clock.advance(seconds);
  Timer1_Timer(sys);
}

void TestSystem::useReceiver() {
  if (sys.main.CmdButton_TEST.caption != kTestOff) CmdButton_TEST_Click(sys);
}

std::filesystem::path TestSystem::isolateSettings() {
  static const ProcessFolder folder;
  redirectConfigFolder(folder.path);
  const std::filesystem::path file = folder.path / "sorvant" / "Sorvant.ini";
  std::error_code ec;
  std::filesystem::remove(file, ec);
  return file;
}

void TestSystem::useConfigFolder(System& sys, const std::filesystem::path& folder) {
  redirectConfigFolder(folder);
  sys.settingsFile = folder / "sorvant" / "Sorvant.ini";
}

std::string TestSystem::testData(const std::string& relativePath) {
  const std::string path = std::string(SORVANT_TESTDATA_DIR) + "/" + relativePath;
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("missing test data: " + path);
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

}  // namespace sorvant::test
