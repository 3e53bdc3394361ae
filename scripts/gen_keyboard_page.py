#!/usr/bin/env python3
"""Writes the keyboard page layout (resources/skin/XML/DeviceXml/keyboarddevice.xml)
from the key geometry in src/devices/keyboard/keyboard_geometry.def, the same
table the program compiles in, so the picture and the code never disagree.

Usage: scripts/gen_keyboard_page.py [--check]
  --check  exit 1 when the committed layout differs from what would be written.
"""
import pathlib
import re
import sys

ROOT = pathlib.Path(__file__).resolve().parent.parent
GEOMETRY = ROOT / "src/devices/keyboard/keyboard_geometry.def"
OUTPUT = ROOT / "resources/skin/XML/DeviceXml/keyboarddevice.xml"

POSITIONS = 126
UNIT = 40          # pixels per key unit
KEY_MARGIN = 2     # pixels left free around each key inside its cell
PANEL_INSET = 12   # border of the key panel around the picture
PICTURE_UNITS = (23.75, 6.5)

# Colours of the dark skin (ARGB).
PAGE_BK = "#FF16181D"
PANEL_BK = "#FF1E2127"
PANEL_BORDER = "#FF2C3038"
KEY_BK = "#FF2A2D34"
KEY_HOT = "#FF353943"
KEY_BORDER = "#FF3C414B"
TEXT = "#FFD5D9E0"
TEXT_DIM = "#FF8B919C"
ACCENT = "#FF0099FF"
STATUS_TEXT = "#FFFFB347"  # the not-answering line: amber, readable on the dark page

KEY_LINE = re.compile(r"^\s*KAVRO_KEY\(([^)]*)\)")


def read_geometry(path):
    keys = {}
    for number, line in enumerate(path.read_text(encoding="utf-8").splitlines(), 1):
        match = KEY_LINE.match(line)
        if not match:
            continue
        fields = [f.strip() for f in match.group(1).split(",")]
        if len(fields) != 6:
            raise SystemExit(f"{path}:{number}: expected 6 fields")
        position = int(fields[0])
        x, y, w, h = (float(f) for f in fields[1:5])
        if position in keys or not 0 <= position < POSITIONS:
            raise SystemExit(f"{path}:{number}: bad or repeated position {position}")
        keys[position] = (x, y, w, h, fields[5] != "0")
    if len(keys) != POSITIONS:
        raise SystemExit(f"{path}: {len(keys)} positions, expected {POSITIONS}")
    return keys


def key_pos(x, y, w, h):
    left = round(x * UNIT) + KEY_MARGIN + PANEL_INSET
    top = round(y * UNIT) + KEY_MARGIN + PANEL_INSET
    right = round((x + w) * UNIT) - KEY_MARGIN + PANEL_INSET
    bottom = round((y + h) * UNIT) - KEY_MARGIN + PANEL_INSET
    return f"{left},{top},{right},{bottom}"


def key_buttons(keys, indent):
    lines = []
    for p in range(POSITIONS):
        x, y, w, h, visible = keys[p]
        attrs = f'name="key_{p}" userdata="light_{p}" style="keyboard_key_style" float="true"'
        if visible:
            attrs += f' pos="{key_pos(x, y, w, h)}"'
        else:
            attrs += ' pos="0,0,0,0" visible="false"'
        lines.append(f"{indent}<DeviceKeyButton {attrs}/>")
    return "\n".join(lines)


def radio_row(prefix, group, texts, indent):
    return "\n".join(
        f'{indent}<Option name="{prefix}{i}" group="{group}" text="{t}" style="keyboard_radio_style"/>'
        for i, t in enumerate(texts))


def system_settings(indent):
    i1, i2 = indent + "  ", indent + "    "
    return f"""{indent}<VerticalLayout name="keyboard_system_layout" userdata="system_Op_tab" inset="24,14,24,14" childpadding="10">
{i1}<HorizontalLayout height="32" childvalign="vcenter">
{i2}<Label text="keyboard_system_title" height="28" textcolor="{TEXT}"/>
{i2}<Button name="default_btn" text="keyboard_default_text" width="150" height="32" style="keyboard_button_style"/>
{i1}</HorizontalLayout>
{i1}<HorizontalLayout height="30" childpadding="24">
{i2}<CheckBox name="winlockflag_option" text="keyboard_winlock_text" style="keyboard_check_style"/>
{i2}<CheckBox name="wflag_option" text="keyboard_wflag_text" style="keyboard_check_style"/>
{i2}<CheckBox name="6flag_option" text="keyboard_6flag_text" style="keyboard_check_style"/>
{i2}<Control/>
{i1}</HorizontalLayout>
{i1}<HorizontalLayout height="30" childpadding="12">
{i2}<Label text="keyboard_polling_rate_text" width="180" textcolor="{TEXT_DIM}"/>
{radio_row("polling_rate_option_", "keyboard_polling_rate", [f"keyboard_polling_rate_{i}" for i in range(4)], i2)}
{i2}<Control/>
{i1}</HorizontalLayout>
{i1}<HorizontalLayout height="30" childpadding="12">
{i2}<Label text="keyboard_repeat_rate_text" width="180" textcolor="{TEXT_DIM}"/>
{i2}<Slider name="repeat_rate_slider" min="0" max="31" value="0" width="320" height="20" bkcolor="{KEY_BK}" forecolor="{ACCENT}"/>
{i2}<Control/>
{i1}</HorizontalLayout>
{i1}<HorizontalLayout height="30" childpadding="12">
{i2}<Label text="keyboard_repeat_delay_text" width="180" textcolor="{TEXT_DIM}"/>
{radio_row("repeat_delay_check_", "keyboard_repeat_delay", [f"keyboard_repeat_delay_{i}" for i in range(4)], i2)}
{i2}<Label name="repeat_delay_time_label1" width="200" textcolor="{TEXT}"/>
{i2}<Control/>
{i1}</HorizontalLayout>
{i1}<HorizontalLayout height="56" childpadding="12">
{i2}<Label text="keyboard_repeat_test_text" width="180" textcolor="{TEXT_DIM}"/>
{i2}<RichEdit name="repeat_input_richedit" bkcolor="{KEY_BK}" bordercolor="{KEY_BORDER}" bordersize="1" textcolor="{TEXT}" textpadding="8,6,8,6"/>
{i2}<Button name="reset_repeat_btn" text="keyboard_repeat_reset_text" width="110" height="30" style="keyboard_button_style"/>
{i1}</HorizontalLayout>
{i1}<Control/>
{indent}</VerticalLayout>"""


def panel_page(name, tab, panel_class, panel_name, indent):
    """A feature page that holds one shared panel of the device page."""
    i1 = indent + "  "
    return f"""{indent}<VerticalLayout name="{name}" userdata="{tab}">
{i1}<{panel_class} name="{panel_name}"/>
{indent}</VerticalLayout>"""


def page(keys):
    panel_w = round(PICTURE_UNITS[0] * UNIT) + 2 * PANEL_INSET
    panel_h = round(PICTURE_UNITS[1] * UNIT) + 2 * PANEL_INSET
    styles = {
        "keyboard_key_style":
            f"bkcolor='{KEY_BK}' hotbkcolor='{KEY_HOT}' bordercolor='{KEY_BORDER}' "
            f"bordersize='1' borderround='4,4' textcolor='{TEXT}' "
            f"align='center'",
        "keyboard_check_style": f"height='30' width='220' textcolor='{TEXT}'",
        "keyboard_radio_style": f"height='30' width='104' padding='0,0,6,0' textcolor='#FFB8BFCC' selectedtextcolor='#FFFFFFFF' bkcolor='#FF20242C' hotbkcolor='#FF2A2F3A' selectedbkcolor='#FF2F8CFF' borderround='15' cursor='hand'",
        "keyboard_button_style":
            f"bkcolor='{ACCENT}' textcolor='#FFFFFFFF' borderround='4,4'",
    }
    style_lines = "\n".join(f'<Style name="{n}" value="{v}"/>' for n, v in styles.items())
    return f"""<?xml version="1.0" encoding="utf-8"?>
<!-- Keyboard page. Generated by scripts/gen_keyboard_page.py from
     src/devices/keyboard/keyboard_geometry.def: edit those, not this file. -->
<Window>
{style_lines}
<HalvionKeyboardDevice name="keyboard_device_page" bkcolor="{PAGE_BK}">
  <VerticalLayout inset="16,8,16,12" childpadding="10">
    <DeviceProfile name="DeviceProfileItem" height="96"/>
    <HorizontalLayout height="{panel_h}">
      <Control/>
      <SelectPanel name="keyboard_device_key_light" width="{panel_w}" height="{panel_h}" bkcolor="{PANEL_BK}" bordercolor="{PANEL_BORDER}" bordersize="1" borderround="8,8">
{key_buttons(keys, "        ")}
      </SelectPanel>
      <Control/>
    </HorizontalLayout>
    <Label name="device_status_label" height="22" align="center" textcolor="{STATUS_TEXT}" visible="false"/>
    <TabLayout name="keyboard_function_tablayout" bkcolor="{PANEL_BK}" bordercolor="{PANEL_BORDER}" bordersize="1" borderround="8,8">
      <LightControl name="LightControlItem" userdata="deng_Op_tab"/>
{panel_page("keyboard_keyset_page", "key_Op_tab", "KeySetControl", "KeySetControlItem", "      ")}
{panel_page("keyboard_macro_page", "macro_Op_tab", "MacroControl", "MacroControlItem", "      ")}
{system_settings("      ")}
    </TabLayout>
  </VerticalLayout>
</HalvionKeyboardDevice>
</Window>
"""


def main():
    text = page(read_geometry(GEOMETRY))
    if "--check" in sys.argv[1:]:
        current = OUTPUT.read_text(encoding="utf-8") if OUTPUT.exists() else ""
        if current != text:
            print(f"{OUTPUT} is out of date; run {pathlib.Path(__file__).name}", file=sys.stderr)
            return 1
        return 0
    OUTPUT.parent.mkdir(parents=True, exist_ok=True)
    OUTPUT.write_text(text, encoding="utf-8")
    return 0


if __name__ == "__main__":
    sys.exit(main())
