#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "display/Layout.h"
#include "serial/ComPortPath.h"
#include "serial/SerialTestSupport.h"
#include "settings/SettingsFile.h"
#include "settings/StartUp.h"

namespace sorvant::test {
namespace {

TEST(PortState, AdapterMissingAtStartUpIsWaitedForAndTheReasonShown) {
  TestSystem t(false, false);
  // The field set-up: receiver on, at a stored 2400 bit/s; the adapter is not plugged in yet.
  std::string file = defaultSettingsText();
  file.replace(file.find(kTestOn), kTestOn.size(), kTestOff);
  file.replace(file.find("\r\n4800\r\n") + 2, 4, "2400");
  std::filesystem::create_directories(settingsFileOf(t.sys).parent_path());
  std::ofstream(settingsFileOf(t.sys), std::ios::binary | std::ios::trunc) << file;
  t.port.failOpen = true;
  loadSystem(t.sys);
  Form_Resize(t.sys);
  MainControls& m = t.sys.main;
  EXPECT_TRUE(t.port.portOpen());
  EXPECT_FALSE(t.port.deviceOpen);

  t.tick();
  const std::string device = comPortDescription(1);
  const std::string reason = t.port.lastError();
  ASSERT_FALSE(reason.empty());
  EXPECT_EQ(m.Label_COM_TIMEOUT.toolTip, reason);
  EXPECT_EQ(m.Label_COMM.toolTip, device + "\n" + reason);
  EXPECT_EQ(t.sys.opt.CmdButton_COMM_PORT.toolTip, device);
  t.tick(5.5);
  EXPECT_TRUE(m.Label_COM_TIMEOUT.visible);

  // Plugged in: opened at the stored speed, read without any command, and the reason goes.
  t.port.plugIn();
  EXPECT_EQ(t.port.deviceSpeed, 2400);
  t.receive("%045");
  EXPECT_EQ(t.sys.st.INCOUNT, 1);
  EXPECT_FALSE(m.Label_COM_TIMEOUT.visible);
  t.tick();
  EXPECT_EQ(m.Label_COM_TIMEOUT.toolTip, "");
  EXPECT_EQ(m.Label_COMM.toolTip, device);

  // Another port number names its own device.
  t.sys.opt.CmdButton_COMM_PORT.toolTip.clear();
  t.port.setCommPort(3);
  t.tick();
  EXPECT_EQ(t.sys.opt.CmdButton_COMM_PORT.toolTip, comPortDescription(3));
}

}  // namespace
}  // namespace sorvant::test
