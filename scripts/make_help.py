#!/usr/bin/env python3
"""Turns docs/help/guide.txt into the help document opened by the 帮助 button.

The document is RTF under a .doc name: word processors open it as a formatted document. Lines starting with
"# " become the title, "## " headings, "- " list items; every other line a paragraph. Non-ASCII characters are
written as \\uN? escapes, so the file itself is plain ASCII and needs no code page.
"""
import os

HERE = os.path.dirname(os.path.abspath(__file__))
SOURCE = os.path.join(HERE, "..", "docs", "help", "guide.txt")
TARGET = os.path.join(HERE, "..", "resources", "help", "Tallyra使用帮助文档.doc")


def escape(text):
    out = []
    for ch in text:
        code = ord(ch)
        if ch in "\\{}":
            out.append("\\" + ch)
        elif code < 128:
            out.append(ch)
        else:
            if code > 32767:
                code -= 65536
            out.append("\\u%d?" % code)
    return "".join(out)


def main():
    with open(SOURCE, encoding="utf-8") as f:
        lines = [line.rstrip("\n") for line in f]
    body = []
    for line in lines:
        if not line.strip():
            continue
        if line.startswith("# "):
            body.append("\\pard\\qc\\sb120\\sa240\\b\\fs36 %s\\b0\\fs22\\par" % escape(line[2:]))
        elif line.startswith("## "):
            body.append("\\pard\\sb240\\sa120\\b\\fs28 %s\\b0\\fs22\\par" % escape(line[3:]))
        elif line.startswith("- "):
            body.append("\\pard\\li360\\fi-240\\sa60 \\bullet  %s\\par" % escape(line[2:]))
        else:
            body.append("\\pard\\sa120\\fi420 %s\\par" % escape(line))
    rtf = (
        "{\\rtf1\\ansi\\ansicpg936\\deff0\\uc1"
        "{\\fonttbl{\\f0\\fnil\\fcharset134 \\u23435?\\u20307?;}}"
        "\\viewkind4\\f0\\fs22\n" + "\n".join(body) + "\n}\n"
    )
    os.makedirs(os.path.dirname(TARGET), exist_ok=True)
    with open(TARGET, "w", encoding="ascii", newline="\r\n") as f:
        f.write(rtf)


if __name__ == "__main__":
    main()
