#include "app/root_design.h"

namespace merkwandel::app {
namespace {

using platform::Background;
using platform::ControlDesign;
using platform::ControlKind;
using platform::FontDesign;
using platform::FormDesign;

ControlDesign Make(const char* name, ControlKind kind, int left, int top, int width, int height,
                   int tabIndex, std::string text = std::string()) {
  ControlDesign control;
  control.name = name;
  control.kind = kind;
  control.left = left;
  control.top = top;
  control.width = width;
  control.height = height;
  control.tabIndex = tabIndex;
  control.text = std::move(text);
  return control;
}

FormDesign BuildDesign() {
  FormDesign design;
  design.caption = kCaption;
  design.clientWidth = 6915;
  design.clientHeight = 4485;
  design.font = FontDesign{"Tahoma", 9.0, 400};

  auto& c = design.controls;
  c.resize(kRootControlCount);
  auto at = [&](RootControl control) -> ControlDesign& { return c[IndexOf(control)]; };

  at(RootControl::Label1) = Make("Label1", ControlKind::kLabel, 1410, 360, 2415, 210, 0,
                                 "&Lesezeichendatei von Firefox:");
  at(RootControl::bHypertext) =
      Make("bHypertext", ControlKind::kCommandButton, 6075, 630, 550, 315, 1, "...");
  at(RootControl::tHypertext) =
      Make("tHypertext", ControlKind::kTextBox, 1395, 630, 4560, 315, 2, kDesignHypertext);
  at(RootControl::Label2) = Make("Label2", ControlKind::kLabel, 1410, 1125, 3105, 210, 3,
                                 "&Favoritenordner für Internet Explorer:");
  at(RootControl::bFavoriten) =
      Make("bFavoriten", ControlKind::kCommandButton, 6075, 1395, 550, 315, 4, "...");
  at(RootControl::tFavoriten) =
      Make("tFavoriten", ControlKind::kTextBox, 1395, 1395, 4560, 315, 5, kDesignFavoriten);
  at(RootControl::bStarten) =
      Make("bStarten", ControlKind::kCommandButton, 5490, 2205, 1185, 420, 6, "Starten");
  at(RootControl::Picture1) = Make("Picture1", ControlKind::kPictureBox, 180, 2835, 6540, 1455, 7);
  at(RootControl::Label3) = Make("Label3", ControlKind::kLabel, 180, 135, 6105, 1200, 8, kDescription);
  at(RootControl::tTemp) = Make("tTemp", ControlKind::kMultiLineTextBox, 45, 4275, 6855, 2085, 9);
  at(RootControl::DirLocal) = Make("DirLocal", ControlKind::kDirectoryList, 135, 4770, 2265, 1530, 10);
  at(RootControl::DirFiles) = Make("DirFiles", ControlKind::kFileList, 2430, 4770, 2265, 1350, 11);
  at(RootControl::Image1) = Make("Image1", ControlKind::kImage, 270, 315, 720, 720, -1);

  for (RootControl caption : {RootControl::Label1, RootControl::Label2}) {
    at(caption).background = Background::kTransparent;
    at(caption).autoSize = true;
  }
  at(RootControl::bStarten).defaultButton = true;

  auto& picture = at(RootControl::Picture1);
  picture.background = Background::kWindow;
  picture.border = true;
  picture.enabled = false;

  auto& description = at(RootControl::Label3);
  description.container = static_cast<int>(IndexOf(RootControl::Picture1));
  description.font = FontDesign{"MS Reference Sans Serif", 8.25, 400};
  description.foreground = platform::Colour{0, 0, 128};  // navy
  description.background = Background::kTransparent;

  for (RootControl hidden : {RootControl::tTemp, RootControl::DirLocal, RootControl::DirFiles}) {
    at(hidden).visible = false;
  }
  at(RootControl::tTemp).enabled = false;
  at(RootControl::DirFiles).enabled = false;
  return design;
}

}  // namespace

const platform::FormDesign& RootDesign() {
  static const FormDesign design = BuildDesign();
  return design;
}

RootControl ControlOf(Field field) {
  return field == Field::tHypertext ? RootControl::tHypertext : RootControl::tFavoriten;
}

RootControl ControlOf(Control control) {
  switch (control) {
    case Control::bStarten: return RootControl::bStarten;
    case Control::bHypertext: return RootControl::bHypertext;
    case Control::tHypertext: return RootControl::tHypertext;
    case Control::bFavoriten: return RootControl::bFavoriten;
    case Control::tFavoriten: return RootControl::tFavoriten;
  }
  return RootControl::bStarten;
}

}  // namespace merkwandel::app
