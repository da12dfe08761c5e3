#include "mapnote/frm_main_design.h"

namespace mapnote {
namespace {

using host::ControlDesign;
using host::ControlKind;

// Twips; controls inside Frame1 are placed relative to it.
ControlDesign Control(std::string name, ControlKind kind, std::string parent, host::Text caption, std::int32_t left,
                      std::int32_t top, std::int32_t width, std::int32_t height, std::int32_t tabIndex) {
  return {.name = std::move(name), .kind = kind, .parent = std::move(parent), .caption = std::move(caption),
          .left = left, .top = top, .width = width, .height = height, .tabIndex = tabIndex};
}

ControlDesign MoveButton(std::int16_t index, host::Text caption, host::Text tooltip, std::int32_t left,
                         std::int32_t tabIndex) {
  ControlDesign c = Control("cmdMove", ControlKind::CommandButton, "Frame1", std::move(caption), left, 1620, 930, 270,
                            tabIndex);
  c.index = index;
  c.tooltip = std::move(tooltip);
  return c;
}

host::FormDesign Build() {
  host::FormDesign form;
  form.title = u"Image Map ALT Text";
  form.clientWidth = 4560;
  form.clientHeight = 3645;
  form.minButton = false;
  form.maxButton = false;

  auto& c = form.controls;
  c.push_back(Control("Frame1", ControlKind::Frame, "", u"", 90, 30, 4365, 2445, 2));
  c.push_back(Control("Label1", ControlKind::Label, "Frame1", u"Area links to this file:", 105, 195, 1665, 165, 3));

  ControlDesign link = Control("txtLink", ControlKind::TextBox, "Frame1", u"", 105, 420, 4125, 300, 4);
  link.readOnly = true;
  link.scrollBarBackground = true;
  c.push_back(link);

  c.push_back(Control("Label2", ControlKind::Label, "Frame1", u"Enter ALT Text for this link:", 105, 975, 2010, 225, 5));
  c.push_back(Control("txtMapnote", ControlKind::TextBox, "Frame1", u"", 105, 1200, 4125, 300, 6));

  c.push_back(MoveButton(0, u"<<", u"First Area", 105, 7));
  c.push_back(MoveButton(1, u"<", u"Previous Area", 1170, 8));
  ControlDesign next = MoveButton(2, u">", u"Next Area", 2235, 9);
  next.isDefault = true;  // Enter stores the text and moves on
  c.push_back(next);
  c.push_back(MoveButton(3, u">>", u"Last Area", 3300, 10));

  c.push_back(Control("lblStatus", ControlKind::Label, "Frame1", u"Image map area 0 of 0", 105, 2115, 4080, 255, 11));

  ControlDesign save =
      Control("chkSave", ControlKind::CheckBox, "", u"Automatically save changes to page", 90, 2550, 2880, 255, 12);
  save.value = 1;
  c.push_back(save);

  c.push_back(Control("cmdOK", ControlKind::CommandButton, "", u"OK", 2445, 3150, 930, 375, 0));
  ControlDesign cancel = Control("cmdCancel", ControlKind::CommandButton, "", u"Cancel", 3510, 3150, 930, 375, 1);
  cancel.isCancel = true;
  c.push_back(cancel);
  return form;
}

}  // namespace

const host::FormDesign& FrmMainDesign() {
  static const host::FormDesign design = Build();
  return design;
}

}  // namespace mapnote
