#!/usr/bin/env python3
"""Writes the factory data of resources/DefaultData/.

The factory profiles ("keyboard.Json", "mouse.Json", "MousePad.Json",
"HD.Json"), the built-in effect names ("default_light.json") and the language
list ("Language.config"). Run from anywhere: python3 scripts/gen_default_data.py
"""
import json
import os

OUT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "resources", "DefaultData")


def code(b0, b1, b2):
    return b0 << 16 | b1 << 8 | b2


def keyboard_default_codes():
    """Default 3-byte code of each of the 126 keyboard positions."""
    k = {}
    usage = {0: 0x29, 13: 0x46, 14: 0x47, 15: 0x48, 21: 0x35, 32: 0x2D, 33: 0x2E, 34: 0x2A,
             35: 0x49, 36: 0x4A, 37: 0x4B, 38: 0x53, 39: 0x54, 40: 0x55, 41: 0x56, 42: 0x2B,
             43: 0x14, 44: 0x1A, 45: 0x08, 46: 0x15, 47: 0x17, 48: 0x1C, 49: 0x18, 50: 0x0C,
             51: 0x12, 52: 0x13, 53: 0x2F, 54: 0x30, 55: 0x31, 56: 0x4C, 57: 0x4D, 58: 0x4E,
             59: 0x5F, 60: 0x60, 61: 0x61, 62: 0x00, 63: 0x39, 64: 0x04, 65: 0x16, 66: 0x07,
             67: 0x09, 68: 0x0A, 69: 0x0B, 70: 0x0D, 71: 0x0E, 72: 0x0F, 73: 0x33, 74: 0x34,
             75: 0x28, 76: 0x5C, 77: 0x5D, 78: 0x5E, 79: 0x8A, 80: 0x8B, 81: 0x90, 82: 0x91,
             83: 0x88, 85: 0x1D, 86: 0x1B, 87: 0x06, 88: 0x19, 89: 0x05, 90: 0x11, 91: 0x10,
             92: 0x36, 93: 0x37, 94: 0x38, 96: 0x52, 97: 0x59, 98: 0x5A, 99: 0x5B, 100: 0x87,
             101: 0x89, 102: 0x64, 103: 0x85, 104: 0x00, 108: 0x2C, 111: 0x65, 113: 0x50,
             114: 0x51, 115: 0x4F, 116: 0x62, 117: 0x63, 118: 0x58, 119: 0x57,
             18: 0x00, 19: 0x00, 20: 0x00}
    for p, u in usage.items():
        k[p] = code(0x20, 0x00, u)
    for i in range(12):  # F1..F12
        k[1 + i] = code(0x20, 0x00, 0x3A + i)
    for i in range(10):  # 1..0
        k[22 + i] = code(0x20, 0x00, 0x1E + i)
    modifiers = {84: 0x02, 95: 0x20, 105: 0x01, 106: 0x08, 107: 0x04, 109: 0x40, 112: 0x10, 125: 0x80}
    for p, m in modifiers.items():
        k[p] = code(0x20, m, 0x00)
    k[16] = code(0xA0, 0x1B, 0x00)
    k[17] = code(0xA0, 0x24, 0x00)
    k[110] = code(0xA0, 0x01, 0x00)
    for i in range(5):
        k[120 + i] = code(0xD0, 0xA2, 0x01 + i)
    assert sorted(k) == list(range(126))
    return [k[p] for p in range(126)]


MOUSE_DEFAULT_CODES = [code(0x10, 0x01, 0), code(0x10, 0x02, 0), code(0x10, 0x04, 0),
                       code(0x10, 0x10, 0), code(0x10, 0x08, 0), code(0x13, 0x01, 0),
                       code(0x13, 0x02, 0), code(0x13, 0x03, 0), code(0xA0, 0x1B, 0),
                       code(0x16, 0x90, 0x01)]

EQ_PRESETS = [
    [7, 11, 2, -3, -1, 4, 9, 12, 9, 5],
    [7, 11, 6, -3, -11, -1, 6, 13, 6, 13],
    [10, 4, 0, -3, -4, -3, -2, -1, 0, 0],
    [2, 1, -2, -3, -5, -7, 0, 4, 9, 8],
    [0, 0, 0, 0, 0, 0, 0, 0, 0, 0],
    [7, 14, -13, -6, -1, 8, 13, 7, 2, 6],
    [14, 10, 4, 0, -4, -3, -1, 1, 2, 3],
    [2, 1, -2, -3, -5, -1, 7, 11, 15, 13],
    [8, 2, -4, -8, 1, 3, 8, 11, 14, 16],
    [-3, 4, 10, 0, -11, 3, 9, 13, 6, 0],
    [18, 14, 8, 2, -3, -6, -1, 2, 5, 6],
    [2, 1, -2, -4, -8, 4, 12, 16, 18, 15],
]

KEYBOARD_EFFECTS = [
    ("None", False), ("Wave", True), ("Slow Wave", True), ("Snake", True), ("Spectrum", True),
    ("Breathing", True), ("Static", True), ("Reactive", True), ("Ripple", True),
    ("Reactive Wave", True), ("Raindrop", True), ("Colour Cycle", True), ("Rainbow Rows", True),
    ("Crossfire", True), ("Fireworks", True), ("Twinkle", True), ("Bounce", True),
    ("Single Colour Zones", True), ("Ring Wave", True), ("Custom Effect", True),
    ("Custom Colours", True), ("Starlight", True), ("Blinking", True), ("Falling Rows", True),
    ("Reactive Glow", True), ("Breath Cycle", True), ("Four Colour Blink", True), ("Off", True),
    ("Wipe", True),
]
MOUSE_EFFECTS = ["Wave", "Spectrum", "Breathing", "Static", "Blinking", "Running Glow",
                 "Breath Cycle", "Four Colour Blink", "Off"]
ZONE_EFFECTS = ["Wave", "Spectrum", "Breathing", "Static", "Blinking", "Custom Effect",
                "Running Glow", "Mirror Glow", "Off"]
KEYBOARD_AREA_EFFECTS = ["Rose", "Amber", "Lime", "Aqua"]


def light_info(select):
    return {"SelectItem": select, "Light": 4, "Speed": 2, "Fx": 1, "MultiColor": 1,
            "Red": 255, "Green": 0, "Blue": 0, "ZZCCLedMode": 0, "CustomGroup": 0}


def document(node):
    return {"profilename": "Default", "profileUUID": "Default", "Device": [node]}


def keyboard():
    codes = keyboard_default_codes()
    white = {"Red": 255, "Green": 255, "Blue": 255, "Alpha": 255}
    wasd = {43, 44, 45, 64, 65, 66}  # Q W E / A S D
    gaming = [{"Red": 255, "Green": 0, "Blue": 0, "Alpha": 255} if p in wasd
              else {"Red": 0, "Green": 64, "Blue": 255, "Alpha": 255} for p in range(126)]
    dark = [{"Red": 0, "Green": 0, "Blue": 0, "Alpha": 0} for _ in range(126)]
    return document({
        "LightInfo": light_info(1),
        "LightList": [None] * 126,
        "KeyList": [{"Assignment": c, "DefaultAssignment": c} for c in codes],
        "SystemStages": {"Repeat": 31, "RepeatDelay": 1, "Key6Flag": 0, "PollingRate": 0,
                         "WFlag": 0, "WinFlag": 0},
        "CustomLightMode": {"CustomLightModeGroupIndex": 0,
                            "LightColorInfo": [[white] * 126, gaming, dark]},
    })


def mouse():
    colours = [(255, 0, 0), (0, 255, 0), (0, 0, 255), (255, 255, 0), (255, 0, 255)]
    steps = [8, 16, 32, 64, 128]  # 400 .. 6400 DPI at 50 DPI per slider step
    stages = [{"StageActive": 1, "StageXY": 0, "StageDPIX": s, "StageDPIY": s,
               "StageColorR": r, "StageColorG": g, "StageColorB": b}
              for s, (r, g, b) in zip(steps, colours)]
    return document({
        "LightInfo": light_info(0),
        "LightList": [None] * 6,
        "KeyList": [{"Assignment": c, "DefaultAssignment": c} for c in MOUSE_DEFAULT_CODES],
        "SystemStages": {"DoubleClickTime": 5, "MouseSpeed": 10, "PointerPrecision": 1,
                         "ScorllPage": 0, "WheelScorlllinse": 3},
        "ReportStages": {"StageActive": 3},
        "DPIStages": {"StageActive": 1, "StageDPIs": stages},
        "CorrectInfo": [
            {"CorrectPixThresh": 2, "CorrectMinSq": 4, "CorrectSelect": 1, "CorrectName": "Standard"},
            {"CorrectPixThresh": 1, "CorrectMinSq": 2, "CorrectSelect": 0, "CorrectName": "Precise"},
            {"CorrectPixThresh": 4, "CorrectMinSq": 8, "CorrectSelect": 0, "CorrectName": "Smooth"},
        ],
    })


def mousepad():
    return document({"LightInfo": light_info(0), "LightList": [None] * 15})


def headset():
    bands = lambda values: [{"value": v} for v in values]
    return document({
        "LightInfo": light_info(0),
        "LightList": [None] * 13,
        "SystemSetStages": {"MagicEnable": 0, "MagicType": 1, "EqType": 5, "CustomEqSeletIndex": 0,
                            "MicInSelect": 1, "MicInValue": 80, "MicMoniterSelect": 0,
                            "MicMoniterValue": 50},
        "EQHzValueInfo": [bands([0] * 10)] + [bands(p) for p in EQ_PRESETS],
        "CustomEQNameInfo": [],
        "CustomEQHzValueInfo": [],
    })


def default_light():
    names = lambda items: [{"LightName": n, "visible": v} for n, v in items]
    # Indexed by device model: keyboard 0, mouse 1, mousepad 2, headset 3.
    return {
        "DefaultLightName": [names(KEYBOARD_EFFECTS),
                             names((n, True) for n in MOUSE_EFFECTS),
                             names((n, True) for n in ZONE_EFFECTS),
                             names((n, True) for n in ZONE_EFFECTS)],
        "AreaLightName": [[{"LightName": n} for n in KEYBOARD_AREA_EFFECTS], [], [], []],
    }


def languages():
    return {"Language": [
        {"Language_ID": 1033, "Language_name": "en", "Language_file": "lan_en.xml",
         "Language_text": "English"},
        {"Language_ID": 2052, "Language_name": "zh_CN", "Language_file": "lan_cn.xml",
         "Language_text": "简体中文"},
    ]}


def write(name, data):
    with open(os.path.join(OUT, name), "w", encoding="utf-8", newline="\n") as f:
        json.dump(data, f, ensure_ascii=False, indent=3)
        f.write("\n")


def main():
    os.makedirs(OUT, exist_ok=True)
    write("keyboard.Json", keyboard())
    write("mouse.Json", mouse())
    write("MousePad.Json", mousepad())
    write("HD.Json", headset())
    write("default_light.json", default_light())
    write("Language.config", languages())


if __name__ == "__main__":
    main()
