#include "support/TestSystem.h"

#include <fstream>
#include <sstream>
#include <stdexcept>

#include "display/Layout.h"
#include "histogram/TestSource.h"
#include "serial/Reception.h"
#include "settings/StartUp.h"

namespace sorvant::test {

TestSystem::TestSystem(bool load, bool resize) : sys(Platform{clock, port, surface, host, picker, random}) {
  port.setReceiveHandler([this] { MSComm1_OnComm(sys); });
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

std::string TestSystem::testData(const std::string& relativePath) {
  const std::string path = std::string(SORVANT_TESTDATA_DIR) + "/" + relativePath;
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("missing test data: " + path);
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

}  // namespace sorvant::test
