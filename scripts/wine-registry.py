#!/usr/bin/env python3
"""Writes the .reg file (UTF-16, as regedit wants for non-ASCII names) that prepares the project's
Wine prefix:
- Chinese text: the skin's font names are replaced by the CJK font from Debian's
  fonts-wqy-microhei, and Wine's default UI fonts link to it for glyphs they lack.
- Crashes: no debugger is started for an unhandled exception. With a display, Wine's crash
  dialog would wait for a click forever and a crashing test would hang the run."""
import sys

CJK = "WenQuanYi Micro Hei"
CJK_FILE = "wqy-microhei.ttc"
REPLACED = ["微软雅黑", "Microsoft YaHei", "宋体", "SimSun", "新宋体", "NSimSun"]
LINKED = ["Tahoma", "MS Shell Dlg", "MS Shell Dlg 2", "Microsoft Sans Serif", "Segoe UI",
          "Arial", "Times New Roman", "Courier New", "Lucida Sans Unicode"]


def multi_sz(*items):
    data = "".join(item + "\0" for item in items) + "\0"
    return "hex(7):" + ",".join("%02x" % b for b in data.encode("utf-16-le"))


lines = ["Windows Registry Editor Version 5.00", "",
         r"[HKEY_CURRENT_USER\Software\Wine\Fonts\Replacements]"]
lines += ['"%s"="%s"' % (name, CJK) for name in REPLACED]
lines += ["", r"[HKEY_LOCAL_MACHINE\Software\Microsoft\Windows NT\CurrentVersion\FontLink\SystemLink]"]
lines += ['"%s"=%s' % (name, multi_sz(CJK_FILE + "," + CJK)) for name in LINKED]
lines += ["", r"[HKEY_LOCAL_MACHINE\Software\Microsoft\Windows NT\CurrentVersion\AeDebug]",
          '"Debugger"=""', '"Auto"="0"']
with open(sys.argv[1], "w", encoding="utf-16", newline="\r\n") as f:
    f.write("\n".join(lines) + "\n")
