#pragma once
// The controls model: one record per control of a window. Rules read and write these records;
// the shell only mirrors them onto widgets.
#include <cstdint>
#include <string>
#include <vector>

#include "core/Color.h"

namespace sorvant {

enum class ControlKind { Button, Label, Panel, Frame, Swatch };

struct FontSpec {
  std::string name = "Arial";
  float size = 8.25f;
  bool bold = true;
  bool italic = false;
};

struct Control {
  Control(std::string name_, ControlKind kind_, Control* parent_, std::string caption_, int left_, int top_, int width_,
          int height_)
      : name(std::move(name_)),
        kind(kind_),
        parent(parent_),
        caption(std::move(caption_)),
        left(left_),
        top(top_),
        width(width_),
        height(height_) {}
  Control(const Control&) = delete;
  Control& operator=(const Control&) = delete;

  std::string name;
  ControlKind kind;
  Control* parent;  // the panel or frame it lies in, or none
  std::string caption;
  std::string tag;
  bool visible = true;
  bool enabled = true;
  int left, top, width, height;  // twips, relative to the parent
  Color backColor = 0;
  Color foreColor = 0;
  FontSpec font;
  bool centred = false;
  bool wordWrap = false;
  // Shown when the pointer rests on the control: why a line is silent, which device a port means.
  // Not part of the system's own captions; empty for most controls.
  std::string toolTip;
};

struct TimerModel {
  bool enabled = false;
  int interval = 0;  // milliseconds
};

}  // namespace sorvant
