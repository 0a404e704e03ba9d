#!/usr/bin/env python3
"""Prints the windowsSettings entries of a program's embedded manifest, one
"name=value" line each, as the system reads them: only elements of the
asm.v3 <application><windowsSettings> block, named with their namespace's
year (2005 or 2016) so that an entry in the wrong namespace shows as such.
Exit code 1 when the program holds no manifest or it is not well-formed.
  manifest_settings.py <program.exe>
"""
import re
import sys
import xml.etree.ElementTree as ET

ASM_V1 = "urn:schemas-microsoft-com:asm.v1"
ASM_V3 = "urn:schemas-microsoft-com:asm.v3"
SETTINGS = {
    "http://schemas.microsoft.com/SMI/2005/WindowsSettings": "2005",
    "http://schemas.microsoft.com/SMI/2016/WindowsSettings": "2016",
}


def embedded_manifest(data: bytes) -> bytes:
    # The manifest resource is stored as its UTF-8 text.
    found = re.search(rb"<\?xml[^>]*\?>\s*<assembly\b.*?</assembly>", data, re.S)
    if not found:
        sys.exit("no manifest in the program")
    return found.group(0)


def main() -> None:
    with open(sys.argv[1], "rb") as f:
        text = embedded_manifest(f.read())
    try:
        root = ET.fromstring(text)
    except ET.ParseError as e:
        sys.exit(f"the manifest is not well-formed: {e}")
    if root.tag != f"{{{ASM_V1}}}assembly":
        sys.exit(f"the manifest's root is {root.tag}")
    for block in root.findall(f"{{{ASM_V3}}}application/{{{ASM_V3}}}windowsSettings"):
        for entry in block:
            namespace, _, name = entry.tag[1:].partition("}")
            year = SETTINGS.get(namespace, namespace)
            print(f"{year}:{name}={(entry.text or '').strip()}")


if __name__ == "__main__":
    main()
