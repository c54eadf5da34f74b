#!/usr/bin/env python3
"""The administrative templates are well-formed XML, and every string and
presentation Sopora.admx refers to is in both languages' ADML files.

check_policy_templates.py <policy folder>"""
import re
import sys
import xml.etree.ElementTree as ET

NS = "{http://schemas.microsoft.com/GroupPolicy/2006/07/PolicyDefinitions}"
folder = sys.argv[1]
admx = ET.parse(f"{folder}/Sopora.admx").getroot()
referenced = {kind: set() for kind in ("string", "presentation")}
for element in admx.iter():
    for value in element.attrib.values():
        for kind, name in re.findall(r"\$\((string|presentation)\.(\w+)\)", value):
            referenced[kind].add(name)
failures = []
for language in ("en-US", "ja-JP"):
    adml = ET.parse(f"{folder}/{language}/Sopora.adml").getroot()
    defined = {
        "string": {s.get("id") for s in adml.iter(NS + "string")},
        "presentation": {p.get("id") for p in adml.iter(NS + "presentation")},
    }
    for kind, names in referenced.items():
        failures += [f"{language}: no {kind} {name}" for name in sorted(names - defined[kind])]
    # A presentation's fields are the elements of its policy.
    ids = {e.get("id") for e in admx.iter() if e.get("id")}
    failures += [f"{language}: {f.get('refId')} is no element" for f in adml.iter() if f.get("refId") and f.get("refId") not in ids]
print("\n".join(failures) or "ok")
sys.exit(1 if failures else 0)
