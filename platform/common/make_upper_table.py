#!/usr/bin/env python3
"""Writes upper_case_table.inc: the upper case of every character of the
Basic Multilingual Plane that has one other character of that plane as its
upper case, as Windows file systems compare names. Georgian Mkhedruli
letters keep their case (Windows has no Mtavruli upper case for them).
Usage: platform/common/make_upper_table.py > platform/common/upper_case_table.inc"""
import unicodedata

upper = {}
for c in range(0x10000):
    if 0xD800 <= c <= 0xDFFF:
        continue
    u = chr(c).upper()
    if len(u) == 1 and ord(u) != c and ord(u) < 0x10000 and not 0x1C90 <= ord(u) <= 0x1CBF:
        upper[c] = ord(u)

# Runs of characters with the same offset, one after another (step 1) or
# every second one (step 2, the alternating upper/lower pairs).
keys = sorted(upper)
runs = []
i = 0
while i < len(keys):
    first, offset = keys[i], upper[keys[i]] - keys[i]
    ends = {}
    for step in (1, 2):
        j = i
        while (j + 1 < len(keys) and keys[j + 1] == keys[j] + step
               and upper[keys[j + 1]] - keys[j + 1] == offset):
            j += 1
        ends[step] = j
    step = 2 if ends[2] > ends[1] else 1
    runs.append((first, keys[ends[step]], offset, step))
    i = ends[step] + 1

print(f"// Generated from the Unicode {unicodedata.unidata_version} character database (Python's unicodedata):")
print("// every character of the Basic Multilingual Plane whose upper case is one")
print("// other character of that plane, as runs {first, last, offset, step}: each")
print("// character first, first + step, ... up to last has the upper case")
print("// character + offset. Georgian letters keep their case, as on Windows.")
print("// Regenerate with platform/common/make_upper_table.py.")
line = ""
for run in runs:
    entry = "{0x%04X, 0x%04X, %d, %d}," % run
    if len(line) + len(entry) + 1 > 96:
        print(line.rstrip())
        line = ""
    line += entry + " "
print(line.rstrip())
