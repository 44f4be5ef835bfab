#!/usr/bin/env python3
"""Meridane's text catalogues.

  texts.py extract       write po/meridane.pot from the texts the code looks up
  texts.py check [--all] check every po/<lang>.po against the code (non-zero exit on findings)
  texts.py update        extract, then merge every po/<lang>.po with the new template
  texts.py new LANG      start po/LANG.po from the template (a translator's first step)
  texts.py seen FOLDER   every text a run looked up (MERIDANE_TEXT_LOG=FOLDER) is in the template

The code names each text in one of three literal forms: LookupText("Section", "Key",
"Default"), Text("Section", "Key", "Default") in the window, and TextId{"Section", "Key",
"Default"} in tables. Each becomes one entry: msgctxt "Section|Key", msgid "Default". A lookup
whose arguments are not literals must carry the comment `// dynamic text` on its line (the
texts it can receive are written as literals elsewhere); an unmarked one is an error.
"""
import argparse
import collections
import datetime
import os
import re
import signal
import subprocess
import sys

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
SRC = os.path.join(ROOT, "src")
PO_DIR = os.path.join(ROOT, "po")
POT = os.path.join(PO_DIR, "meridane.pot")
DYNAMIC_MARK = "// dynamic text"

CALL = re.compile(r"(?<![\w.>:])(?:meridane::)?(LookupText|Text)\s*\(|(?<![\w.>:])(TextId)(?:\s+[A-Za-z_]\w*)?\s*\{")
# A word right before the name makes it a declaration or definition (`QString Text(`), except
# for the keywords that can precede a call.
DECLARATION = re.compile(r"([A-Za-z_][\w:<>]*)[\s&*]+$")
CALL_KEYWORDS = {"return", "co_return", "co_yield", "throw", "case", "else", "do", "struct"}
LITERAL_START = re.compile(r'(?:u8|u|U|L)?(R?)"')

# The conversions the program's texts use; "%A" and "%n" are left out, so a caption such as
# "%Above Target" is not taken for a format.
PRINTF = re.compile(r"%(?:\d+\$)?[-+#0']*(?:\d+|\*)?(?:\.(?:\d+|\*))?"
                    r"(?:hh|h|ll|l|L|q|j|z|t)?[diouxXeEfFgGcsp]")
QT_ARG = re.compile(r"%L?[1-9]\d?(?!\$)")
NAMED = re.compile(r"\{[A-Za-z_]\w*\}")

Entry = collections.namedtuple("Entry", "context msgid refs")


class Problem(Exception):
    pass


# ---- reading C++ ---------------------------------------------------------------------------

def blank_comments(text):
    """The source with comments turned into spaces (newlines kept), strings untouched."""
    out = list(text)
    i, n = 0, len(text)
    while i < n:
        c = text[i]
        if c == "/" and text.startswith("//", i):
            j = text.find("\n", i)
            j = n if j < 0 else j
            out[i:j] = " " * (j - i)
            i = j
        elif c == "/" and text.startswith("/*", i):
            j = text.find("*/", i + 2)
            j = n if j < 0 else j + 2
            out[i:j] = ["\n" if ch == "\n" else " " for ch in text[i:j]]
            i = j
        elif c == '"' or c == "'":
            raw = c == '"' and i > 0 and text[i - 1] == "R"
            i = skip_literal(text, i, raw)
        else:
            i += 1
    return "".join(out)


def skip_literal(text, i, raw=False):
    """The index after the string or character literal whose quote is at i."""
    if raw:
        open_paren = text.find("(", i)
        delim = text[i + 1:open_paren]
        end = text.find(")" + delim + '"', open_paren)
        return len(text) if open_paren < 0 or end < 0 else end + len(delim) + 2
    quote = text[i]
    i += 1
    while i < len(text) and text[i] != quote:
        if text[i] == "\\":
            i += 1
        elif text[i] == "\n":
            break
        i += 1
    return i + 1


def unescape(body):
    """The bytes a C string literal's body (between the quotes) stands for."""
    out = bytearray()
    i = 0
    simple = {"n": 10, "t": 9, "r": 13, "a": 7, "b": 8, "f": 12, "v": 11,
              "\\": 92, '"': 34, "'": 39, "?": 63}
    while i < len(body):
        c = body[i]
        if c != "\\":
            out += c.encode("utf-8")
            i += 1
            continue
        e = body[i + 1] if i + 1 < len(body) else ""
        if e in simple:
            out.append(simple[e])
            i += 2
        elif e == "x":
            m = re.match(r"[0-9A-Fa-f]+", body[i + 2:])
            if not m:
                raise Problem("\\x without hex digits")
            out.append(int(m.group(0), 16) & 0xFF)
            i += 2 + len(m.group(0))
        elif e in "01234567":
            m = re.match(r"[0-7]{1,3}", body[i + 1:])
            out.append(int(m.group(0), 8) & 0xFF)
            i += 1 + len(m.group(0))
        elif e in "uU":
            width = 4 if e == "u" else 8
            out += chr(int(body[i + 2:i + 2 + width], 16)).encode("utf-8")
            i += 2 + width
        else:
            raise Problem("unknown escape \\" + e)
    return bytes(out)


def split_arguments(code, start, close):
    """The top-level arguments from `start` up to the bracket `close` that ends the call, as
    (text, offset) pairs, and the index after the end; None when the call never ends."""
    args, depth, i, arg_start = [], 0, start, start
    while i < len(code):
        c = code[i]
        if c == '"' or c == "'":
            i = skip_literal(code, i, c == '"' and i > 0 and code[i - 1] == "R")
            continue
        if c in "([{":
            depth += 1
        elif c in ")]}":
            if depth == 0:
                if c != close:
                    return None
                if code[arg_start:i].strip() or args:
                    args.append((code[arg_start:i], arg_start))
                return args, i + 1
            depth -= 1
        elif c == "," and depth == 0:
            args.append((code[arg_start:i], arg_start))
            arg_start = i + 1
        i += 1
    return None


def literal_value(arg):
    """The text of an argument made of adjacent string literals only; None otherwise."""
    rest, value = arg.strip(), b""
    if not rest:
        return None
    while rest:
        m = LITERAL_START.match(rest)
        if not m:
            return None
        if m.group(1):  # raw literal R"delim(...)delim"
            body_start = m.end()
            open_paren = rest.find("(", body_start)
            delim = rest[body_start:open_paren]
            end = rest.find(")" + delim + '"', open_paren)
            if open_paren < 0 or end < 0:
                return None
            value += rest[open_paren + 1:end].encode("utf-8")
            rest = rest[end + len(delim) + 2:].lstrip()
            continue
        end = skip_literal(rest, m.end() - 1)
        if end > len(rest) or rest[end - 1] != '"':
            return None
        value += unescape(rest[m.end():end - 1])
        rest = rest[end:].lstrip()
    return value.decode("utf-8")


def line_of(code, offset):
    return code.count("\n", 0, offset) + 1


def scan_file(path, rel):
    """(entries as (context, msgid, ref), errors as text) of one source file."""
    with open(path, encoding="utf-8") as f:
        text = f.read()
    code = blank_comments(text)
    lines = text.split("\n")
    entries, errors = [], []
    for m in CALL.finditer(code):
        name = m.group(1) or m.group(2)
        before = code[code.rfind("\n", 0, m.start()) + 1:m.start()]
        # A TextId is always a text, declared or not; a function of the name is not.
        decl = DECLARATION.search(before)
        if name != "TextId" and decl and decl.group(1) not in CALL_KEYWORDS:
            continue
        if name == "TextId" and re.search(r"\bstruct\s+$", before):
            continue
        parsed = split_arguments(code, m.end(), "}" if name == "TextId" else ")")
        line = line_of(code, m.start())
        if parsed is None:
            errors.append(f"{rel}:{line}: {name}: cannot find the end of the call")
            continue
        args, end = parsed
        # Text(...) with another number of arguments is some other function of that name.
        if name == "Text" and len(args) != 3:
            continue
        try:
            values = [literal_value(a) for a, _ in args]
        except (Problem, UnicodeDecodeError, ValueError) as e:
            errors.append(f"{rel}:{line}: {name}: {e}")
            continue
        if len(values) == 3 and all(v is not None for v in values):
            section, key, default = values
            # An empty text (a table's unused row) has nothing to translate, and an empty
            # msgid would be the catalogue's header.
            if default:
                entries.append((f"{section}|{key}", default, f"{rel}:{line}"))
            continue
        last_line = line_of(code, end)
        if any(DYNAMIC_MARK in lines[k - 1] for k in range(line, last_line + 1)):
            continue
        errors.append(f"{rel}:{line}: {lines[line - 1].strip()}")
    return entries, errors


def extract():
    """The entries the code looks up, in order of first use, and the errors found."""
    found = collections.OrderedDict()
    errors = []
    for folder, dirs, files in os.walk(SRC):
        dirs[:] = sorted(d for d in dirs if d != "fuzz")
        for name in sorted(files):
            if not name.endswith((".cpp", ".h")):
                continue
            path = os.path.join(folder, name)
            rel = os.path.relpath(path, ROOT)
            entries, file_errors = scan_file(path, rel)
            errors += file_errors
            for context, msgid, ref in entries:
                found.setdefault((context, msgid), []).append(ref)
    return [Entry(c, i, refs) for (c, i), refs in found.items()], errors


# ---- writing and reading catalogues --------------------------------------------------------

def placeholders(text):
    """The placeholders a translation must keep, as a sorted list."""
    stripped = text.replace("%%", "")
    return sorted(PRINTF.findall(stripped) + QT_ARG.findall(stripped) + NAMED.findall(text))


def flags(msgid):
    stripped = msgid.replace("%%", "")
    out = []
    if PRINTF.search(stripped):
        out.append("c-format")
    if QT_ARG.search(stripped):
        out.append("qt-format")
    return out


def po_quote(s):
    escaped = (s.replace("\\", "\\\\").replace('"', '\\"').replace("\t", "\\t")
               .replace("\r", "\\r").replace("\n", "\\n"))
    return '"' + escaped + '"'


def po_string(keyword, s):
    if "\n" not in s[:-1]:
        return f"{keyword} {po_quote(s)}\n"
    parts = s.split("\n")
    pieces = [p + "\n" for p in parts[:-1]] + ([parts[-1]] if parts[-1] else [])
    return f'{keyword} ""\n' + "".join(po_quote(p) + "\n" for p in pieces)


HEADER = ('# The texts Meridane shows, made by scripts/texts.py extract from the code: do not edit.\n'
          '# Translators copy it to po/<lang>.po (scripts/texts.py new <lang>).\n'
          'msgid ""\n'
          'msgstr ""\n'
          '"Project-Id-Version: Meridane\\n"\n'
          '"MIME-Version: 1.0\\n"\n'
          '"Content-Type: text/plain; charset=UTF-8\\n"\n'
          '"Content-Transfer-Encoding: 8bit\\n"\n')


def pot_text(entries):
    out = [HEADER]
    for e in entries:
        block = "\n"
        block += "".join(f"#: {ref}\n" for ref in e.refs)
        f = flags(e.msgid)
        if f:
            block += "#, " + ", ".join(f) + "\n"
        block += po_string("msgctxt", e.context) + po_string("msgid", e.msgid) + 'msgstr ""\n'
        out.append(block)
    return "".join(out)


PoEntry = collections.namedtuple("PoEntry", "context msgid msgstr fuzzy obsolete line")


def po_unquote(s, where):
    s = s.strip()
    if len(s) < 2 or s[0] != '"' or s[-1] != '"':
        raise Problem(f"{where}: not a quoted string: {s}")
    return unescape(s[1:-1]).decode("utf-8")


def read_po(path):
    """The entries of a .po file (the header entry left out). Entries are separated by empty
    lines, as gettext's tools write them."""
    with open(path, encoding="utf-8") as f:
        lines = f.read().split("\n")
    entries, block, start = [], [], 1
    for n, line in enumerate(lines + [""], 1):
        if line.strip():
            if not block:
                start = n
            block.append(line)
            continue
        if block:
            entry = read_po_entry(block, f"{path}:{start}", start)
            if entry:
                entries.append(entry)
            block = []
    return entries


def read_po_entry(block, where, start):
    fields, field, fuzzy, obsolete = {}, None, False, False
    for line in block:
        if line.startswith("#~"):
            obsolete = True
            line = line[2:].strip()
            if line.startswith("|"):  # the previous text, kept for the translator
                continue
        elif line.startswith("#"):
            if line.startswith("#,") and "fuzzy" in line:
                fuzzy = True
            continue
        m = re.match(r"(msgctxt|msgid_plural|msgid|msgstr(?:\[\d+\])?)\s+(.*)", line)
        if m:
            field = m.group(1)
            fields[field] = po_unquote(m.group(2), where)
        elif line.startswith('"') and field:
            fields[field] += po_unquote(line, where)
        elif line.strip():
            raise Problem(f"{where}: cannot read: {line}")
    if "msgid" not in fields or (fields["msgid"] == "" and "msgctxt" not in fields):
        return None
    msgstr = fields.get("msgstr", fields.get("msgstr[0]", ""))
    return PoEntry(fields.get("msgctxt", ""), fields["msgid"], msgstr, fuzzy, obsolete, start)


# ---- commands ------------------------------------------------------------------------------

def write_pot():
    entries, errors = extract()
    with open(POT, "w", encoding="utf-8") as f:
        f.write(pot_text(entries))
    return entries, errors


def languages():
    return sorted(n[:-3] for n in os.listdir(PO_DIR) if n.endswith(".po"))


def check_language(lang, entries):
    """The findings for one language, by kind."""
    path = os.path.join(PO_DIR, lang + ".po")
    findings = collections.defaultdict(list)
    try:
        po = read_po(path)
    except (Problem, UnicodeDecodeError) as e:
        findings["unreadable"].append(str(e))
        return findings
    wanted = {(e.context, e.msgid): e for e in entries}
    have = {}
    for p in po:
        key = (p.context, p.msgid)
        label = f"{p.context} \"{short(p.msgid)}\""
        if p.obsolete or key not in wanted:
            findings["stale (the code no longer uses it)"].append(f"{lang}.po:{p.line}: {label}")
            continue
        have[key] = p
        if not p.msgstr or p.fuzzy:
            kind = "fuzzy (to be reviewed)" if p.msgstr else "untranslated"
            findings[kind].append(f"{lang}.po:{p.line}: {label}")
        elif placeholders(p.msgid) != placeholders(p.msgstr):
            findings["placeholders differ"].append(
                f"{lang}.po:{p.line}: {label}: {placeholders(p.msgid)} in the English text, "
                f"{placeholders(p.msgstr)} in the translation")
    for key, e in wanted.items():
        if key not in have:
            findings["missing"].append(f"{e.context} \"{short(e.msgid)}\" ({e.refs[0]})")
    try:
        result = subprocess.run(["msgfmt", "--check", "-o", os.devnull, path],
                                capture_output=True, text=True)
    except FileNotFoundError:
        findings["msgfmt --check"].append("msgfmt is not installed (Debian package gettext)")
        return findings
    if result.returncode != 0:
        findings["msgfmt --check"] += result.stderr.strip().split("\n")
    return findings


def short(s, width=60):
    s = s.replace("\n", "\\n")
    return s if len(s) <= width else s[:width - 3] + "..."


def cmd_check(args):
    entries, errors = extract()
    failed = False
    if errors:
        failed = True
        print(f"Lookups whose arguments are not string literals, without the mark "
              f"'{DYNAMIC_MARK}' ({len(errors)}): write the texts as literals, or mark a "
              f"pass-through whose texts are written as literals elsewhere")
        for e in errors:
            print("  " + e)
    # The template's line references move with every edit; its texts must not lag behind.
    def without_refs(text):
        return "\n".join(l for l in text.split("\n") if not l.startswith("#: "))
    if not os.path.exists(POT) or without_refs(open(POT, encoding="utf-8").read()) != \
            without_refs(pot_text(entries)):
        failed = True
        print("po/meridane.pot does not hold the code's texts: run scripts/texts.py update")
    langs = languages()
    if not langs:
        failed = True
        print("No catalogues in po/")
    for lang in langs:
        findings = check_language(lang, entries)
        if not findings:
            print(f"{lang}: complete ({len(entries)} texts)")
            continue
        failed = True
        summary = ", ".join(f"{len(v)} {k}" for k, v in findings.items())
        print(f"{lang}: {summary}")
        for kind, items in findings.items():
            shown = items if args.all else items[:10]
            print(f"  {kind}:")
            for item in shown:
                print("    " + item)
            if len(items) > len(shown):
                print(f"    ... and {len(items) - len(shown)} more (--all lists them)")
    return 1 if failed else 0


def cmd_seen(args):
    """The texts a test run really looked up (MERIDANE_TEXT_LOG) must all be in the template:
    a text that reaches a lookup through a table or a wrapper without a literal of its own
    would otherwise stay English in every language."""
    entries, _ = extract()
    known = {(e.context, e.msgid) for e in entries}
    seen = collections.Counter()
    for name in sorted(os.listdir(args.folder)):
        if not name.endswith(".log"):
            continue
        with open(os.path.join(args.folder, name), encoding="utf-8", errors="replace") as f:
            for line in f:
                parts = line.rstrip("\n").split("\x1f")
                if len(parts) != 3:
                    continue
                text = re.sub(r"\\(.)", lambda m: "\n" if m.group(1) == "n" else m.group(1),
                              parts[2])
                seen[(parts[0] + "|" + parts[1], text)] += 1
    missing = sorted(k for k in seen if k not in known)
    print(f"{len(seen)} texts looked up in the run, {len(missing)} not in the catalogues")
    for context, msgid in missing:
        print(f"  {context} {short(msgid)!r}")
    return 1 if missing or not seen else 0


def cmd_extract(_args):
    entries, errors = write_pot()
    print(f"po/meridane.pot: {len(entries)} texts")
    for e in errors:
        print(e, file=sys.stderr)
    return 1 if errors else 0


def cmd_update(_args):
    status = cmd_extract(_args)
    for lang in languages():
        path = os.path.join(PO_DIR, lang + ".po")
        subprocess.run(["msgmerge", "--quiet", "--update", "--backup=none", "--previous",
                        path, POT], check=True)
        # Texts the code dropped go, rather than linger as obsolete entries.
        subprocess.run(["msgattrib", "--no-obsolete", "-o", path, path], check=True)
        print(f"po/{lang}.po merged")
    return status


def cmd_new(args):
    if not re.fullmatch(r"[a-z]{2,3}(_[A-Z]{2})?", args.lang):
        print(f"{args.lang}: a language is written ll or ll_CC (de, zh_CN)", file=sys.stderr)
        return 2
    path = os.path.join(PO_DIR, args.lang + ".po")
    if os.path.exists(path):
        print(f"po/{args.lang}.po exists already", file=sys.stderr)
        return 1
    write_pot()
    subprocess.run(["msginit", "--no-translator", "--locale=" + args.lang + ".UTF-8",
                    "-i", POT, "-o", path], check=True, capture_output=True)
    with open(path, encoding="utf-8") as f:
        text = f.read()
    text = text[text.index('msgid ""'):]
    today = datetime.date.today().isoformat()
    text = text.replace('"MIME-Version:', f'"PO-Revision-Date: {today} 00:00+0000\\n"\n"MIME-Version:', 1)
    with open(path, "w", encoding="utf-8") as f:
        f.write(f"# Meridane's texts in {args.lang}: translate each msgstr; scripts/texts.py "
                "check finds what is left.\n" + text)
    print(f"po/{args.lang}.po made: translate it with any po editor, then run texts.py check")
    return 0


def main():
    signal.signal(signal.SIGPIPE, signal.SIG_DFL)  # `texts.py check | head` ends quietly
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    sub = parser.add_subparsers(dest="command", required=True)
    sub.add_parser("extract", help="write po/meridane.pot").set_defaults(run=cmd_extract)
    check = sub.add_parser("check", help="check every catalogue against the code")
    check.add_argument("--all", action="store_true", help="list every finding")
    check.set_defaults(run=cmd_check)
    sub.add_parser("update", help="extract and merge every catalogue").set_defaults(run=cmd_update)
    new = sub.add_parser("new", help="start the catalogue of a new language")
    new.add_argument("lang")
    new.set_defaults(run=cmd_new)
    seen = sub.add_parser("seen", help="every text a run looked up is in the template")
    seen.add_argument("folder")
    seen.set_defaults(run=cmd_seen)
    args = parser.parse_args()
    try:
        return args.run(args)
    except Problem as e:
        print(e, file=sys.stderr)
        return 1


if __name__ == "__main__":
    sys.exit(main())
