// The whole system driven by a script of operator actions interleaved with serial bytes: keys with
// modifiers, clicks in both windows, held step buttons, colour picker answers, window sizes, clock
// jumps (midnight included), timer ticks, a serial device that goes and comes back, and quitting,
// which writes the settings and starts again.
// After every step the display state must hold together and every caption must be one the program
// writes.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "FuzzSystem.h"
#include "input/Dispatch.h"
#include "input/KeyMap.h"
#include "input/StepButtons.h"
#include "options/OptionsDispatch.h"

namespace {

using namespace sorvant;

// Reads the script; past its end every byte reads as 0.
class Script {
 public:
  Script(const uint8_t* data, std::size_t size) : data_(data), size_(size) {}
  bool more() const { return at_ < size_; }
  uint8_t next() { return at_ < size_ ? data_[at_++] : 0; }
  // The next n bytes (fewer at the end), as they lie in the script.
  std::string_view bytes(std::size_t n) {
    const std::size_t take = n < size_ - at_ ? n : size_ - at_;
    const std::string_view out(reinterpret_cast<const char*>(data_ + at_), take);
    at_ += take;
    return out;
  }

 private:
  const uint8_t* data_;
  std::size_t size_;
  std::size_t at_ = 0;
};

constexpr int kKeys[] = {Key1, Key2, Key3, Key4, Key5, Key6, Key7,    Key8,    KeyA,    KeyC,    KeyD, KeyH, KeyO,
                         KeyQ, KeyR, KeyS, KeyT, KeyV, KeyW, KeyPad2, KeyPad4, KeyPad6, KeyPad8, 0,    27,   0x70};
const char* const kStepButtons[] = {"HDG_CW", "HDG_CCW", "CUR_CW", "CUR_CCW"};

// A control the operator can reach with the mouse: shown, enabled, inside a shown panel.
bool reachable(const Control& c) {
  return c.visible && c.enabled && (c.parent == nullptr || (c.parent->visible && c.parent->enabled));
}

std::string nmeaSentence(std::string body) {
  uint8_t sum = 0;
  for (char c : body) sum ^= static_cast<uint8_t>(c);
  char tail[8];
  std::snprintf(tail, sizeof tail, "*%02X\r\n", sum);
  return "$" + body + tail;
}

// A well-formed message of the kind the receiver or the GPS sends, so scripts reach the paths that
// random bytes seldom spell.
std::string wellFormed(Script& s) {
  const int kind = s.next() % 3;
  if (kind == 0) {
    const int bearing = (s.next() * 256 + s.next()) % 360;
    char buf[8];
    std::snprintf(buf, sizeof buf, "%%%03d", bearing);
    return buf;
  }
  const int course = (s.next() * 256 + s.next()) % 360;
  const int speed = s.next() % 40;
  char body[96];
  if (kind == 1)
    std::snprintf(body, sizeof body, "GPVTG,%03d.0,T,,M,%03d.0,N,%05.1f,K,A", course, speed, speed * 1.852);
  else
    std::snprintf(body, sizeof body, "GPRMC,120000,A,4807.038,N,01131.000,E,%05.1f,%05.1f,070126,003.1,W,A",
                  static_cast<double>(speed), static_cast<double>(course));
  return nmeaSentence(body);
}

void check(fuzz::FuzzSystem& f) {
  fuzz::checkInvariants(f.sys);
  if (f.surface.undrawable != 0) fuzz::fail("f.surface.undrawable != 0");
  fuzz::checkCaptions(f.controls);
  f.host.calls.clear();
}

// Every script starts on the default settings, on the system as the first start on a machine
// without a settings file leaves it, so a finding replays from its input alone.
void run(fuzz::FuzzSystem& system, const uint8_t* data, size_t size) {
  fuzz::FuzzSystem* f = &system;
  Script s(data, size);
  bool checked = false;
  while (s.more()) {
    const uint8_t op = s.next();
    // The op changed nothing of the system: at most what the fakes will do next.
    bool unchanged = false;
    switch (op % 12) {
      case 0: {  // a key with modifiers (unmapped keys included)
        const int key = kKeys[s.next() % std::size(kKeys)];
        const int shift = s.next() & 7;
        Form_KeyDown(f->sys, key, shift);
        Form_KeyUp(f->sys, key, 0);
        break;
      }
      case 1: {  // a click on a main-window button the operator can reach
        // The lists are kept from op to op: listing the controls allocates nothing.
        static std::vector<Control*> buttons;
        buttons.clear();
        for (Control* c : f->controls.main)
          if (c->kind == ControlKind::Button && reachable(*c)) buttons.push_back(c);
        const uint8_t pick = s.next();
        if (!buttons.empty()) clickMainButton(f->sys, *buttons[pick % buttons.size()]);
        break;
      }
      case 2: {  // a click in the options dialog, while it is shown
        const uint8_t pick = s.next();
        if (!f->sys.opt.visible) {
          unchanged = true;
          break;
        }
        static std::vector<Control*> controls;
        controls.clear();
        for (Control* c : f->controls.opt)
          if ((c->kind == ControlKind::Button || c->kind == ControlKind::Swatch) && reachable(*c))
            controls.push_back(c);
        if (!controls.empty()) clickOptionsControl(f->sys, *controls[pick % controls.size()]);
        break;
      }
      case 3: {  // a step button held for a while, then released (the release is a click)
        const int which = s.next() % 4;
        // Up to four repeats (a press of about 0.55 s: the first repeat after half a second, then at
        // the 64 Hz tick, with a timer tick among them): each one redraws the whole display, and a
        // longer hold only runs the same path again; longer sweeps come from holding again. Each
        // repeat's cycle, and each tick's, is checked by the cycle watch.
        const int repeats = s.next() % 5;
        Control* buttons[] = {&f->sys.main.CmdButton_HDG_CW, &f->sys.main.CmdButton_HDG_CCW,
                              &f->sys.main.CmdButton_CUR_CW, &f->sys.main.CmdButton_CUR_CCW};
        if (!reachable(*buttons[which])) {
          unchanged = true;
          break;
        }
        stepButtonMouseDown(f->sys, kStepButtons[which]);
        for (int k = 0; k < repeats && f->sys.main.Timer_MOUSE_DOWN.enabled; ++k) {
          f->clock.advance(f->sys.main.Timer_MOUSE_DOWN.interval / 1000.0);
          Timer_MOUSE_DOWN_Timer(f->sys);
          if (k % 4 == 3) f->tick(0);
        }
        stepButtonMouseUp(f->sys);
        clickMainButton(f->sys, *buttons[which]);
        break;
      }
      case 4: {  // what the colour picker will answer next: a colour, or cancel
        const uint8_t r = s.next();
        if (r == 0) {
          f->picker.answer.reset();
        } else {
          const uint8_t g = s.next();
          const uint8_t b = s.next();
          f->picker.answer = rgb(r, g, b);
        }
        unchanged = true;
        break;
      }
      case 5: {  // the window changes size (down to nothing, as when minimised)
        f->host.scaleWidth = static_cast<float>((s.next() * 256 + s.next()) % 30000);
        f->host.scaleHeight = static_cast<float>((s.next() * 256 + s.next()) % 20000);
        Form_Resize(f->sys);
        break;
      }
      case 6: {  // the clock jumps forward, or to the last second before midnight
        const uint8_t k = s.next();
        if (k < 200)
          f->clock.advance(k * 0.01);
        else if (k < 250)
          f->clock.advance((k - 199) * 60.0);
        else if (f->clock.now < 86399.0)
          f->clock.runTo(86399.5 + (k - 250) * 0.05);
        // The program's timer keeps reading the clock; a jump is a machine that slept meanwhile.
        f->tick(0);
        break;
      }
      case 7: {  // timer ticks
        const int n = 1 + s.next() % 16;
        for (int k = 0; k < n; ++k) f->tick(0.05);
        break;
      }
      case 8: {  // raw bytes on the serial line
        const std::string_view bytes = s.bytes(1 + s.next() % 64);
        f->port.feed(bytes.data(), bytes.size());
        break;
      }
      case 9:  // a well-formed DF message or GPS sentence
        f->port.feed(wellFormed(s));
        break;
      case 10:  // the system ends the program
        f->sys.host.closeWindow();
        break;
      case 11:  // the serial device goes away (every open fails) or comes back
        f->port.failOpen = !f->port.failOpen;
        unchanged = true;
        break;
    }
    // Nothing changed since the last check: it still holds.
    if (unchanged && checked) continue;
    // A closed window ends the program, which writes its settings; it starts again on what it wrote.
    if (std::find(f->host.calls.begin(), f->host.calls.end(), "close") != f->host.calls.end()) {
      f->unload();
      f->restart();
    }
    check(*f);
    checked = true;
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::runInput(
      data, size, [](fuzz::FuzzSystem&) {}, run);
  return 0;
}
