#!/usr/bin/env python3
# scripts/pdf-same-pages.py A.PDF B.PDF: compares two documents object by object, leaving
# out the document information (and the trailer and cross-reference table that point at
# it). Prints SAME when every page, font and stream is byte for byte the same.
import re, sys, zlib
def objs(path):
    data = open(path,'rb').read()
    out = {}
    for m in re.finditer(rb'(\d+) 0 obj\r?\n(.*?)endobj', data, re.S):
        out[int(m.group(1))] = m.group(2)
    t = re.search(rb'trailer(.*?)startxref', data, re.S).group(1)
    info = re.search(rb'/Info (\d+) 0 R', t)
    return out, (int(info.group(1)) if info else None), data
a, ia, da = objs(sys.argv[1]); b, ib, db = objs(sys.argv[2])
for o, i in ((a, ia), (b, ib)):
    if i is not None: o.pop(i)
if a == b:
    print("SAME", len(a), "objects", "info:", re.search(rb'/Title ?\((.*?)\)', db).group(1).decode('latin-1') if ib else None)
else:
    print("DIFF", sorted(k for k in set(a)|set(b) if a.get(k)!=b.get(k))[:10])
