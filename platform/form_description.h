#pragma once
// The progress window's form description held as data: everything a renderer needs to draw
// Form2 the way the VCL would, and the state the window starts from. Places and sizes are in
// the description's own pixels (106 per inch); a control's Left and Top count from the top
// left corner of its parent (the form's client area, or the panel that holds it).
#include <cstdint>
#include <string>
#include <vector>

// Colours as the VCL keeps them: 0x00BBGGRR for a fixed colour, 0xFF0000nn for the system
// colour with index nn, which the renderer looks up at drawing time.
using TColor = std::uint32_t;
constexpr TColor clBlack = 0x000000;
constexpr TColor clRed = 0x0000FF;  // RGB 255, 0, 0
constexpr TColor clLime = 0x00FF00;
constexpr TColor clWhite = 0xFFFFFF;
constexpr TColor clBtnFace = 0xFF00000F;
constexpr TColor clWindowText = 0xFF000008;

constexpr bool IsSystemColor(TColor color) { return (color & 0xFF000000u) == 0xFF000000u; }
constexpr int RedOf(TColor color) { return static_cast<int>(color & 0xFFu); }
constexpr int GreenOf(TColor color) { return static_cast<int>((color >> 8) & 0xFFu); }
constexpr int BlueOf(TColor color) { return static_cast<int>((color >> 16) & 0xFFu); }

enum class TFormBorderStyle { bsNone, bsSingle, bsSizeable };
enum class TPosition { poDesigned, poScreenCenter };
enum class TAlign { alNone, alTop, alBottom, alClient };
enum class TPanelBevel { bvNone, bvLowered, bvRaised };
enum class TAlignment { taLeftJustify, taCenter, taRightJustify };
enum class TFontCharset { DEFAULT_CHARSET, ANSI_CHARSET };
enum class TGaugeKind { gkHorizontalBar };
enum class TBorderStyle { bsNone, bsSingle };

struct FontDescription {
  std::string Name;
  int CharHeight = 0;  // character height in pixels, internal leading excluded
  bool Bold = false;
  TColor Color = clWindowText;
  TFontCharset Charset = TFontCharset::DEFAULT_CHARSET;
};

struct BoundsDescription {
  int Left = 0;
  int Top = 0;
  int Width = 0;
  int Height = 0;
};

struct BorderIconsDescription {
  bool SystemMenu = false;
  bool Minimize = false;
  bool Maximize = false;
};

struct IconDescription {
  int Width = 0;
  int Height = 0;
  int Colors = 0;
};

struct PanelDescription {
  std::string Name;
  std::string Parent;  // empty: the form itself
  TAlign Align = TAlign::alNone;
  BoundsDescription Bounds;
  TPanelBevel BevelInner = TPanelBevel::bvNone;
  TPanelBevel BevelOuter = TPanelBevel::bvNone;
  int BevelWidth = 1;
  std::string Caption;  // panels are spacers and frames; none shows a text
};

struct LabelDescription {
  std::string Name;
  std::string Parent;
  TAlign Align = TAlign::alNone;
  BoundsDescription Bounds;
  TAlignment Alignment = TAlignment::taLeftJustify;
  bool AutoSize = true;
  bool ParentFont = true;
  std::string Caption;
  FontDescription Font;
};

struct GaugeDescription {
  std::string Name;
  std::string Parent;
  BoundsDescription Bounds;
  TGaugeKind Kind = TGaugeKind::gkHorizontalBar;
  TBorderStyle BorderStyle = TBorderStyle::bsSingle;
  TColor ForeColor = clBlack;  // the filled part of the bar
  TColor BackColor = clWhite;
  bool ShowText = true;  // the whole-number percentage and "%", centred on the bar
  bool ParentFont = true;
  FontDescription Font;
  int MinValue = 0;
  int MaxValue = 100;
  int Progress = 0;
  bool Enabled = true;
};

struct FormDescription {
  std::string Name;
  std::string ClassName;
  std::string Caption;
  int ClientWidth = 0;
  int ClientHeight = 0;
  int PixelsPerInch = 96;  // the VCL scales the window from this to the screen's resolution
  TFormBorderStyle BorderStyle = TFormBorderStyle::bsSizeable;
  BorderIconsDescription BorderIcons;
  TPosition Position = TPosition::poDesigned;
  TColor Color = clBtnFace;
  FontDescription Font;
  IconDescription Icon;
  std::string OnCreate;
  std::string OnActivate;
  std::string OnClose;
  // In creation order; a panel's parent comes before it, and controls aligned to the same
  // side are stacked in this order.
  std::vector<PanelDescription> Panels;
  LabelDescription MessageLabel;
  GaugeDescription Optimise_Gauge;
};

// The description of the one window, Form2.
const FormDescription& Form2Description();
