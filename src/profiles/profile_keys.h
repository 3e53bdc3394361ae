#pragma once
// Member names of the profile documents and lighting files.

namespace kavro::profiles::keys {

// Profile document.
inline constexpr char kProfileName[] = "profilename";
inline constexpr char kProfileUuid[] = "profileUUID";
inline constexpr char kDevice[] = "Device";

// Key assignments.
inline constexpr char kKeyList[] = "KeyList";
inline constexpr char kAssignment[] = "Assignment";
inline constexpr char kDefaultAssignment[] = "DefaultAssignment";

// System settings (keyboard and mouse share the section name).
inline constexpr char kSystemStages[] = "SystemStages";
inline constexpr char kRepeat[] = "Repeat";
inline constexpr char kRepeatDelay[] = "RepeatDelay";
inline constexpr char kKey6Flag[] = "Key6Flag";
inline constexpr char kPollingRate[] = "PollingRate";
inline constexpr char kWFlag[] = "WFlag";
inline constexpr char kWinFlag[] = "WinFlag";
inline constexpr char kDoubleClickTime[] = "DoubleClickTime";
inline constexpr char kMouseSpeed[] = "MouseSpeed";
inline constexpr char kPointerPrecision[] = "PointerPrecision";
inline constexpr char kScrollPage[] = "ScorllPage";
inline constexpr char kWheelScrollLines[] = "WheelScorlllinse";
inline constexpr char kReportStages[] = "ReportStages";

// DPI stages.
inline constexpr char kDpiStages[] = "DPIStages";
inline constexpr char kStageActive[] = "StageActive";
inline constexpr char kStageDpis[] = "StageDPIs";
inline constexpr char kStageXY[] = "StageXY";
inline constexpr char kStageDpiX[] = "StageDPIX";
inline constexpr char kStageDpiY[] = "StageDPIY";
inline constexpr char kStageColorR[] = "StageColorR";
inline constexpr char kStageColorG[] = "StageColorG";
inline constexpr char kStageColorB[] = "StageColorB";

// Corrections.
inline constexpr char kCorrectInfo[] = "CorrectInfo";
inline constexpr char kCorrectPixThresh[] = "CorrectPixThresh";
inline constexpr char kCorrectMinSq[] = "CorrectMinSq";
inline constexpr char kCorrectSelect[] = "CorrectSelect";
inline constexpr char kCorrectName[] = "CorrectName";

// Light setting ("LightInfo" of the device node).
inline constexpr char kLightInfo[] = "LightInfo";
inline constexpr char kSelectItem[] = "SelectItem";
inline constexpr char kLight[] = "Light";
inline constexpr char kSpeed[] = "Speed";
inline constexpr char kFx[] = "Fx";
inline constexpr char kMultiColor[] = "MultiColor";
inline constexpr char kRed[] = "Red";
inline constexpr char kGreen[] = "Green";
inline constexpr char kBlue[] = "Blue";
inline constexpr char kAreaLedMode[] = "ZZCCLedMode";
inline constexpr char kCustomGroup[] = "CustomGroup";

// Per-key light list and custom effect steps (lower-case colour names).
inline constexpr char kLightList[] = "LightList";
inline constexpr char kLedMode[] = "LEDREGMode";
inline constexpr char kLedBrightness[] = "LEDBrightness";
inline constexpr char kLedSpeed[] = "LEDSpeed";
inline constexpr char kLedDirection[] = "LEDDirection";
inline constexpr char kLedMultiColor[] = "LEDMultiColor";
inline constexpr char kLedRed[] = "red";
inline constexpr char kLedGreen[] = "green";
inline constexpr char kLedBlue[] = "blue";
inline constexpr char kLedEffectList[] = "LEDEffectList";
inline constexpr char kStepTime[] = "Time";
inline constexpr char kStepCycles[] = "Cyle";

// Light configuration and built-in effect names.
inline constexpr char kLightName[] = "LightName";
inline constexpr char kGuid[] = "Guid";
inline constexpr char kVisible[] = "visible";
inline constexpr char kDefaultLightName[] = "DefaultLightName";
inline constexpr char kAreaLightName[] = "AreaLightName";

// Keyboard custom colours.
inline constexpr char kCustomLightMode[] = "CustomLightMode";
inline constexpr char kCustomGroupIndex[] = "CustomLightModeGroupIndex";
inline constexpr char kLightColorInfo[] = "LightColorInfo";
inline constexpr char kAlpha[] = "Alpha";

// Headset audio settings.
inline constexpr char kSystemSetStages[] = "SystemSetStages";
inline constexpr char kMagicEnable[] = "MagicEnable";
inline constexpr char kMagicType[] = "MagicType";
inline constexpr char kEqType[] = "EqType";
inline constexpr char kCustomEqSelectIndex[] = "CustomEqSeletIndex";
inline constexpr char kMicInSelect[] = "MicInSelect";
inline constexpr char kMicInValue[] = "MicInValue";
inline constexpr char kMicMonitorSelect[] = "MicMoniterSelect";
inline constexpr char kMicMonitorValue[] = "MicMoniterValue";
inline constexpr char kEqHzValueInfo[] = "EQHzValueInfo";
inline constexpr char kCustomEqNameInfo[] = "CustomEQNameInfo";
inline constexpr char kCustomEqHzValueInfo[] = "CustomEQHzValueInfo";
inline constexpr char kBandValue[] = "value";
inline constexpr char kEqName[] = "Name";

// Profile list ("ProfileList.ini").
inline constexpr char kProfileListArray[] = "profilelist";
inline constexpr char kProfileSelect[] = "profileselect";
inline constexpr char kProfileIsLink[] = "profileislink";
inline constexpr char kProfileLinkName[] = "profilelinkmame";

}  // namespace kavro::profiles::keys
