// The end of a program on Windows: the session's end reaches the window through Qt, with no signals.
#include "shell/QtTermination.h"

namespace sorvant {

void closeOnTermination(QWidget& window) { closeOnSessionEnd(window); }

}  // namespace sorvant
