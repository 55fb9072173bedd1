#include "serial/PortState.h"

#include "serial/ComPortPath.h"

namespace sorvant {

void showPortState(System& sys) {
  int& tipPort = sys.run.tipPort;
  const int port = sys.MSComm1.commPort();
  const std::string& reason = sys.MSComm1.lastError();
  if (port == tipPort && reason == sys.main.Label_COM_TIMEOUT.toolTip) return;
  const std::string device = comPortDescription(port);
  sys.opt.CmdButton_COMM_PORT.toolTip = device;
  sys.main.Label_COMM.toolTip = reason.empty() ? device : device + "\n" + reason;
  sys.main.Label_COM_TIMEOUT.toolTip = reason;
  tipPort = port;
}

}  // namespace sorvant
