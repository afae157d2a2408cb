#pragma once

// Every section and key the designer keeps in its settings storage, with the
// defaults read when a key is missing. The names are the stored file's, so
// they never change.

#include "document/graphic_objects.h"

#include <QLatin1String>

namespace orvane::settings {

// Designer window.
inline constexpr QLatin1String kDesignerPreferences{"Designer Preferences"};
inline constexpr QLatin1String kShowData{"ShowData"};
inline constexpr bool kDefaultShowData = true;

inline constexpr QLatin1String kDesignerPosition{"Designer Position"};
inline constexpr QLatin1String kWindowState{"WindowState"};  // 0 normal, 1 minimised, 2 maximised
inline constexpr int kDefaultWindowState = 0;
inline constexpr QLatin1String kLeft{"Left"};
inline constexpr QLatin1String kTop{"Top"};
inline constexpr QLatin1String kWidth{"Width"};
inline constexpr QLatin1String kHeight{"Height"};
// The default window size on a display 1024 pixels wide, and the display it scales from.
inline constexpr int kDefaultWindowWidth = 790;
inline constexpr int kDefaultWindowHeight = 600;
inline constexpr int kReferenceDisplayWidth = 1024;
inline constexpr int kReferenceDisplayHeight = 768;

// Workspace; the section is erased before it is written.
inline constexpr QLatin1String kGridOptions{"Grid Options"};
inline constexpr QLatin1String kSnapToGrid{"SnapToGrid"};
inline constexpr bool kDefaultSnapToGrid = false;
inline constexpr QLatin1String kDisplayGrid{"DisplayGrid"};
inline constexpr bool kDefaultDisplayGrid = true;
inline constexpr QLatin1String kXGridSpace{"XGridSpace"};
inline constexpr QLatin1String kYGridSpace{"YGridSpace"};
inline constexpr int kDefaultGridSpace = 8;

// Undo manager.
inline constexpr QLatin1String kUndoOptions{"Undo Options"};
inline constexpr QLatin1String kCapacity{"Capacity"};
inline constexpr int kDefaultUndoCapacity = 50;

// Format toolbar and the designer's default font; the default font keys are never written.
inline constexpr QLatin1String kFormat{"Format"};
inline constexpr QLatin1String kDefaultFontNameKey{"DefaultFontName"};
inline constexpr QLatin1String kDefaultFontSizeKey{"DefaultFontSize"};
inline constexpr QLatin1String kDefaultFontName{"Arial"};
inline constexpr int kDefaultFontSize = 10;
inline constexpr QLatin1String kFontColorKey{"FontColor"};
inline constexpr TColor kDefaultFontColorButton = clWindowText;
inline constexpr QLatin1String kFontIsClear{"FontIsClear"};
inline constexpr bool kDefaultFontIsClear = false;
inline constexpr QLatin1String kHighlightColor{"HighlightColor"};
inline constexpr TColor kDefaultHighlightColor = clWhite;
inline constexpr QLatin1String kHighlightIsClear{"HighlightIsClear"};
inline constexpr bool kDefaultHighlightIsClear = true;

// Draw toolbar.
inline constexpr QLatin1String kDraw{"Draw"};
inline constexpr QLatin1String kLineColor{"LineColor"};
inline constexpr TColor kDefaultLineColor = clWindowText;
inline constexpr QLatin1String kLineIsClear{"LineIsClear"};
inline constexpr bool kDefaultLineIsClear = false;
inline constexpr QLatin1String kFillColor{"FillColor"};
inline constexpr TColor kDefaultFillColor = clWhite;
inline constexpr QLatin1String kFillIsClear{"FillIsClear"};
inline constexpr bool kDefaultFillIsClear = true;

// Toolbars and tool windows: one section each, named after the toolbar
// (palette toolbars by their own names) or tool window.
inline constexpr QLatin1String kStandardToolbar{"Standard"};
inline constexpr QLatin1String kFormatToolbar{"Format"};
inline constexpr QLatin1String kEditToolbar{"Edit"};
inline constexpr QLatin1String kSizeToolbar{"Size"};
inline constexpr QLatin1String kNudgeToolbar{"Nudge"};
inline constexpr QLatin1String kDrawToolbar{"Draw"};
inline constexpr QLatin1String kAlignToolbar{"Align"};
inline constexpr QLatin1String kReportOutline{"ReportOutline"};
inline constexpr QLatin1String kDataTree{"DataTree"};
inline constexpr QLatin1String kDockName{"DockName"};
inline constexpr QLatin1String kVisible{"Visible"};
inline constexpr QLatin1String kFloatLeft{"FloatLeft"};
inline constexpr QLatin1String kFloatTop{"FloatTop"};
inline constexpr QLatin1String kFloatRight{"FloatRight"};
inline constexpr QLatin1String kFloatBottom{"FloatBottom"};

// Report tree window (section kReportOutline).
inline constexpr QLatin1String kTitleBarVisible{"TitleBarVisible"};
inline constexpr bool kDefaultTitleBarVisible = true;
inline constexpr QLatin1String kReportOutlineHeight{"ReportOutlineHeight"};
inline constexpr QLatin1String kObjectOutlineHeight{"ObjectOutlineHeight"};
inline constexpr QLatin1String kObjectInspectorHeight{"ObjectInspectorHeight"};
inline constexpr QLatin1String kReportOutlineVisible{"ReportOutlineVisible"};
inline constexpr QLatin1String kObjectOutlineVisible{"ObjectOutlineVisible"};
inline constexpr QLatin1String kObjectInspectorVisible{"ObjectInspectorVisible"};
inline constexpr QLatin1String kObjectInspectorDivider{"ObjectInspectorDivider"};
inline constexpr int kDefaultObjectInspectorDivider = 120;

// Data tree window's automatic layout.
inline constexpr QLatin1String kAutoLayout{"AutoLayout"};
inline constexpr QLatin1String kLabelFont{"LabelFont"};  // font key prefixes
inline constexpr QLatin1String kFieldFont{"FieldFont"};
inline constexpr QLatin1String kLayoutType{"LayoutType"};
inline constexpr bool kDefaultLayoutTypeMissing = false;  // when the key is missing from existing settings
inline constexpr QLatin1String kCreateLabels{"CreateLabels"};
inline constexpr bool kDefaultCreateLabels = true;
inline constexpr QLatin1String kCreateFields{"CreateFields"};
inline constexpr bool kDefaultCreateFields = true;
inline constexpr QLatin1String kLabelGrid{"LabelGrid"};
inline constexpr bool kDefaultLabelGrid = false;
inline constexpr QLatin1String kFieldGrid{"FieldGrid"};
inline constexpr bool kDefaultFieldGrid = false;

// File history; the section is erased before it is written.
inline constexpr QLatin1String kLastReportsAccessed{"Last Reports Accessed"};
inline constexpr QLatin1String kMax{"Max"};
inline constexpr int kDefaultHistoryMax = 5;
inline constexpr int kHistoryMaxLimit = 32;  // a larger stored Max reads as this
inline constexpr QLatin1String kHistoryKeyPrefix{"R"};  // "R0", "R1", …

// Dialogs.
inline constexpr QLatin1String kGroupDialog{"GroupDialog"};
inline constexpr QLatin1String kTextSearchSettingsDialog{"TextSearchSettingsDialog"};
inline constexpr QLatin1String kOutlineSettingsDialog{"OutlineSettingsDialog"};
inline constexpr QLatin1String kFormLeft{"FormLeft"};
inline constexpr QLatin1String kFormTop{"FormTop"};
inline constexpr QLatin1String kFormWidth{"FormWidth"};
inline constexpr QLatin1String kFormHeight{"FormHeight"};
inline constexpr QLatin1String kPreviewWidth{"PreviewWidth"};
inline constexpr int kDefaultPreviewWidth = 233;
inline constexpr QLatin1String kPageLimit{"PageLimit"};
inline constexpr int kDefaultPageLimit = 5;
inline constexpr QLatin1String kShowPreview{"ShowPreview"};
inline constexpr QLatin1String kEntireReport{"EntireReport"};
inline constexpr bool kDefaultEntireReport = false;

// Font keys (ReadFont, WriteFont): a prefix and these names, and the defaults ReadFont uses.
inline constexpr QLatin1String kFontName{"Name"};
inline constexpr QLatin1String kFontSize{"Size"};
inline constexpr QLatin1String kFontColor{"Color"};
inline constexpr QLatin1String kFontCharset{"Charset"};
inline constexpr QLatin1String kFontBold{"Bold"};
inline constexpr QLatin1String kFontItalic{"Italic"};
inline constexpr QLatin1String kFontUnderline{"Underline"};
inline constexpr QLatin1String kFontStrikeOut{"StrikeOut"};
inline constexpr QLatin1String kReadFontName{"Arial"};
inline constexpr int kReadFontSize = 12;
inline constexpr TColor kReadFontColor = clWindowText;
inline constexpr int kReadFontCharset = DEFAULT_CHARSET;

} // namespace orvane::settings
