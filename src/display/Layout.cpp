#include "display/Layout.h"

#include "display/Marker.h"

namespace sorvant {
namespace {

// Control places are whole twips; a half twip from an odd client width rounds to even.
int twips(Single value) { return toInteger32(value); }

constexpr int kControlsTopShown = 3840;
constexpr int kControlsTopHidden = 200;

}  // namespace

void Form_Resize(System& sys) {
  DisplayState& st = sys.st;
  MainControls& m = sys.main;
  const WindowHost& host = sys.host;

  clearSurface(sys);
  st.NEWAZIMUTH = true;
  st.NEWCURSOR = true;
  st.NEWRING = true;

  st.AZRADIUS = static_cast<Single>(host.ScaleHeight() * 0.4);
  st.CENTERX = host.ScaleWidth() / 2;
  st.CENTERY = host.ScaleHeight() / 2 + 250;
  // The old cursor belonged to the old geometry and went with the clear. Its marker is erased once
  // more where this places it, on the cleared window, before the cursor is drawn anew.
  st.CURSX = st.AZRADIUS;
  st.CURSY = 0;
  st.CIRX = st.CENTERX + st.AZRADIUS + 250;
  st.CIRY = st.CENTERY;
  // The last bearing keeps its marker, at its place around the new disc.
  placeLastBearingMarker(sys);
  // Everything is drawn within the markers' ring around the disc (plus room for the pen).
  const Single reach = st.AZRADIUS + 250 + 75 + 150;
  sys.surface.setDrawingArea(st.CENTERX - reach, st.CENTERY - reach, 2 * reach, 2 * reach);

  const Single width = host.Width();
  const Single height = host.Height();
  for (int n = 1; n <= 5; ++n) m.memoryButton(n)->left = twips(width - 1200);
  for (Control* c : {&m.CmdButton_SAVE, &m.CmdButton_RECALL, &m.CmdButton_CANCEL}) c->left = twips(width - 2040);
  m.CmdButton_OPTIONS.left = twips(width - 1560);
  m.CmdButton_WINDOW.left = twips(width - 1560);
  m.Frame_TOP_RIGHT.left = twips(width - 2280);
  m.Frame_BOTTOM_LEFT.top = twips(height - 2625);
  m.Frame_TOP_CENTER.left = twips(host.ScaleWidth() / 2 - 990);
  m.Frame_BOTTOM_RIGHT.top = twips(height - 1665);
  m.Frame_BOTTOM_RIGHT.left = twips(width - 2760);
  m.Frame_GPS_FAIL.top = twips(st.CENTERY - 365);
  m.Frame_GPS_FAIL.left = twips(st.CENTERX - 425);
  m.Frame_GPS_SPEED.top = twips(st.CENTERY - 390);
  m.Frame_GPS_SPEED.left = twips(st.CENTERX - 510);

  m.CmdButton_CONTROLS.top = st.SHOW_HIDE == 0 ? kControlsTopShown : kControlsTopHidden;
  m.CmdButton_CONTROLS.left = twips(width - 1560);

  sys.runCycle();
}

void CmdButton_WINDOW_Click(System& sys) {
  DisplayState& st = sys.st;
  st.WIN_SIZE = static_cast<Integer>(st.WIN_SIZE + 1);
  if (st.WIN_SIZE == 2) st.WIN_SIZE = 0;
  // The host reports the new size itself, and that runs the resize procedure.
  if (st.WIN_SIZE == 0) {
    sys.host.showNormal();
  } else if (st.WIN_SIZE == 1) {
    sys.host.showMaximized();
  }
}

void CmdButton_CONTROLS_Click(System& sys) {
  DisplayState& st = sys.st;
  MainControls& m = sys.main;
  st.SHOW_HIDE = static_cast<Integer>(st.SHOW_HIDE + 1);
  if (st.SHOW_HIDE > 2) st.SHOW_HIDE = 0;

  const bool buttons = st.SHOW_HIDE == 0;
  m.CmdButton_CONTROLS.top = buttons ? kControlsTopShown : kControlsTopHidden;
  for (Control* c : m.hideableButtons()) c->visible = buttons;
  m.Frame_BOTTOM_RIGHT.visible = buttons;

  const bool labels = st.SHOW_HIDE < 2;
  for (Control* c : m.hideableLabels()) c->visible = labels;
  m.Frame_TOP_LEFT.visible = labels;
  m.Frame_TOP_CENTER.visible = labels;
  m.Frame_BOTTOM_LEFT.visible = labels;
  m.Frame_TOP_RIGHT.visible = st.SHOW_HIDE == 0;
}

}  // namespace sorvant
