#include "platform/form_description.h"

namespace {

FontDescription FormFont() {
  return {"MS Sans Serif", 12, false, clWindowText, TFontCharset::DEFAULT_CHARSET};
}

// Panel1 and Panel4 each draw a lowered outer and a raised inner bevel of one pixel, so their
// aligned children sit two pixels in from every edge: Panel1's inner area is 2, 2 to 199, 23.
std::vector<PanelDescription> Panels() {
  using enum TAlign;
  using enum TPanelBevel;
  return {
      {"Panel1", "", alTop, {0, 0, 201, 25}, bvRaised, bvLowered, 1, ""},
      {"Panel3", "Panel1", alTop, {2, 2, 197, 4}, bvNone, bvNone, 1, ""},
      {"Panel2", "Panel1", alBottom, {2, 21, 197, 2}, bvNone, bvNone, 1, ""},
      {"Panel4", "", alTop, {0, 25, 201, 32}, bvRaised, bvLowered, 1, ""},
  };
}

LabelDescription MessageLabel() {
  LabelDescription label;
  label.Name = "MessageLabel";
  label.Parent = "Panel1";
  label.Align = TAlign::alClient;
  label.Bounds = {2, 6, 197, 15};
  label.Alignment = TAlignment::taCenter;
  label.AutoSize = false;
  label.ParentFont = false;
  label.Caption = "Loading File";
  label.Font = {"MS Sans Serif", 12, true, clBlack, TFontCharset::ANSI_CHARSET};
  return label;
}

GaugeDescription OptimiseGauge() {
  GaugeDescription gauge;
  gauge.Name = "Optimise_Gauge";
  gauge.Parent = "Panel4";
  gauge.Bounds = {8, 7, 186, 17};
  gauge.Kind = TGaugeKind::gkHorizontalBar;
  gauge.BorderStyle = TBorderStyle::bsNone;
  gauge.ForeColor = clLime;
  gauge.BackColor = clWhite;
  gauge.ShowText = true;
  gauge.ParentFont = false;
  // The description names no colour for the gauge's text: it keeps a new font's window-text colour.
  gauge.Font = {"MS Sans Serif", 11, true, clWindowText, TFontCharset::DEFAULT_CHARSET};
  gauge.MinValue = 0;
  gauge.MaxValue = 100;
  gauge.Progress = 0;
  gauge.Enabled = true;
  return gauge;
}

FormDescription MakeForm2Description() {
  FormDescription form;
  form.Name = "Form2";
  form.ClassName = "TForm2";
  form.Caption = "Velkar Optimiser";
  form.ClientWidth = 201;
  form.ClientHeight = 60;  // the three pixels below Panel4 show the form's own colour
  form.PixelsPerInch = 106;
  form.BorderStyle = TFormBorderStyle::bsSingle;
  form.BorderIcons = {false, false, false};  // nothing to click: the window closes itself
  form.Position = TPosition::poScreenCenter;
  form.Color = clBtnFace;
  form.Font = FormFont();
  form.Icon = {32, 32, 16};
  form.OnCreate = "FormCreate";
  form.OnActivate = "FormActivate";
  form.OnClose = "FormClose";
  form.Panels = Panels();
  form.MessageLabel = MessageLabel();
  form.Optimise_Gauge = OptimiseGauge();
  return form;
}

}  // namespace

const FormDescription& Form2Description() {
  static const FormDescription description = MakeForm2Description();
  return description;
}
