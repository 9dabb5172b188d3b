#include "platform/form_description.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

#include "platform/vcl.h"

namespace {

struct Box {
  std::string parent;
  BoundsDescription bounds;
};

// Every control's place, by name, as the description gives it.
std::map<std::string, Box> Boxes(const FormDescription& form) {
  std::map<std::string, Box> boxes;
  for (const PanelDescription& panel : form.Panels) boxes[panel.Name] = {panel.Parent, panel.Bounds};
  boxes[form.MessageLabel.Name] = {form.MessageLabel.Parent, form.MessageLabel.Bounds};
  boxes[form.Optimise_Gauge.Name] = {form.Optimise_Gauge.Parent, form.Optimise_Gauge.Bounds};
  return boxes;
}

TEST(FormDescription, ControlsSitWhereTheirAlignmentPutsThem) {
  const FormDescription& form = Form2Description();
  const std::map<std::string, Box> boxes = Boxes(form);
  struct Case {
    const char* name;
    const char* parent;
    int left, top, width, height;
  } cases[] = {
      {"Panel1", "", 0, 0, 201, 25},        {"Panel3", "Panel1", 2, 2, 197, 4},
      {"MessageLabel", "Panel1", 2, 6, 197, 15}, {"Panel2", "Panel1", 2, 21, 197, 2},
      {"Panel4", "", 0, 25, 201, 32},       {"Optimise_Gauge", "Panel4", 8, 7, 186, 17},
  };
  ASSERT_EQ(boxes.size(), std::size(cases));
  for (const Case& c : cases) {
    ASSERT_EQ(boxes.count(c.name), 1u) << c.name;
    const Box& box = boxes.at(c.name);
    EXPECT_EQ(box.parent, c.parent) << c.name;
    EXPECT_EQ(box.bounds.Left, c.left) << c.name;
    EXPECT_EQ(box.bounds.Top, c.top) << c.name;
    EXPECT_EQ(box.bounds.Width, c.width) << c.name;
    EXPECT_EQ(box.bounds.Height, c.height) << c.name;
    // Inside its parent, or inside the form's 201 by 60 client area.
    const int parentWidth = box.parent.empty() ? form.ClientWidth : boxes.at(box.parent).bounds.Width;
    const int parentHeight = box.parent.empty() ? form.ClientHeight : boxes.at(box.parent).bounds.Height;
    EXPECT_LE(box.bounds.Left + box.bounds.Width, parentWidth) << c.name;
    EXPECT_LE(box.bounds.Top + box.bounds.Height, parentHeight) << c.name;
  }
  // The two framed panels fill the width and leave three pixels of the form's colour below.
  EXPECT_EQ(form.ClientHeight - (boxes.at("Panel4").bounds.Top + boxes.at("Panel4").bounds.Height), 3);
}

TEST(FormDescription, WindowAndControlSettings) {
  const FormDescription& form = Form2Description();
  EXPECT_EQ(form.Caption, "Velkar Optimiser");
  EXPECT_EQ(form.ClassName, "TForm2");
  EXPECT_EQ(form.PixelsPerInch, 106);
  EXPECT_EQ(form.BorderStyle, TFormBorderStyle::bsSingle);
  EXPECT_FALSE(form.BorderIcons.SystemMenu || form.BorderIcons.Minimize || form.BorderIcons.Maximize);
  EXPECT_EQ(form.Position, TPosition::poScreenCenter);
  EXPECT_EQ(form.Color, clBtnFace);
  EXPECT_EQ(form.Font.Name, "MS Sans Serif");
  EXPECT_EQ(form.Font.CharHeight, 12);
  EXPECT_FALSE(form.Font.Bold);
  EXPECT_EQ(form.Font.Color, clWindowText);
  EXPECT_EQ(form.OnCreate + " " + form.OnActivate + " " + form.OnClose, "FormCreate FormActivate FormClose");

  for (const PanelDescription& panel : form.Panels) {
    const bool framed = panel.Name == "Panel1" || panel.Name == "Panel4";
    EXPECT_EQ(panel.BevelInner, framed ? TPanelBevel::bvRaised : TPanelBevel::bvNone) << panel.Name;
    EXPECT_EQ(panel.BevelOuter, framed ? TPanelBevel::bvLowered : TPanelBevel::bvNone) << panel.Name;
    EXPECT_EQ(panel.Caption, "") << panel.Name;
  }

  const LabelDescription& label = form.MessageLabel;
  EXPECT_EQ(label.Caption, "Loading File");
  EXPECT_EQ(label.Alignment, TAlignment::taCenter);
  EXPECT_FALSE(label.AutoSize);
  EXPECT_EQ(label.Font.CharHeight, 12);
  EXPECT_TRUE(label.Font.Bold);
  EXPECT_EQ(label.Font.Color, clBlack);
  EXPECT_EQ(label.Font.Charset, TFontCharset::ANSI_CHARSET);

  const GaugeDescription& gauge = form.Optimise_Gauge;
  EXPECT_EQ(gauge.BorderStyle, TBorderStyle::bsNone);
  EXPECT_EQ(gauge.ForeColor, clLime);
  EXPECT_EQ(gauge.BackColor, clWhite);
  EXPECT_TRUE(gauge.ShowText);
  EXPECT_EQ(gauge.Font.CharHeight, 11);
  EXPECT_TRUE(gauge.Font.Bold);
}

TEST(FormDescription, WindowStartsFromTheDescription) {
  EXPECT_FALSE(TForm2().Visible());  // shown only when start-up has created it
  Form2.Optimise_Gauge.SetProgress(30);
  Form2.MessageLabel.FontColor = clRed;
  Form2.Close();
  Form2.Reset();
  const FormDescription& form = Form2Description();
  EXPECT_EQ(Form2.Caption, form.Caption);
  EXPECT_EQ(Form2.MessageLabel.Caption, "Loading File");
  EXPECT_EQ(Form2.MessageLabel.FontColor, clBlack);
  EXPECT_EQ(Form2.Optimise_Gauge.MinValue(), 0);
  EXPECT_EQ(Form2.Optimise_Gauge.MaxValue(), 100);
  EXPECT_EQ(Form2.Optimise_Gauge.Progress(), 0);
  EXPECT_TRUE(Form2.Optimise_Gauge.Enabled());
  EXPECT_TRUE(Form2.Visible());
  EXPECT_FALSE(Form2.IsClosed());
}

}  // namespace
