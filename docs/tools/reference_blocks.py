#!/usr/bin/env python3
"""The generated parts of the English reference, from the IDL.

Each member of every interface in frame/TarnLib.idl has a section in one of
the class pages under docs/reference/: a heading "### Name", then a block
between the markers

    <!-- BEGIN GENERATED Interface.Member -->
    <!-- END GENERATED -->

holding what the type library says of it: its dispatch id, its syntax as VBA,
VBScript, JScript and C++ (v-table) callers write it, and its parameters
(type, by value or by reference, optional, default). Each enumeration has a
block too. Everything after the block (purpose, errors, edges, examples) is
written by hand and kept.

    reference_blocks.py --write   rewrites every block from the IDL; a member
                                  without a section gets one appended to its page
    reference_blocks.py --check   fails when a block differs from what the IDL
                                  gives, when a member has no section or a
                                  section names a member the IDL lacks, when the
                                  heading above a block names the member
                                  differently, or when a section has no errors
                                  paragraph or no example
"""

import argparse
import pathlib
import re
import sys

ROOT = pathlib.Path(__file__).resolve().parents[2]
IDL = ROOT / "frame" / "TarnLib.idl"
PAGES = ROOT / "docs" / "reference"

# The page of each interface, and how callers name an object of it in syntax lines.
PAGE_OF = {
    "_StringFunction": "StringFunction.md",
    "_GeneralUtility": "GeneralUtility.md",
    "clsExItem": "ExCollection.md",
    "_ExCollection": "ExCollection.md",
    "_Network": "Network.md",
    "_TimeUtility": "TimeUtility.md",
    "_CRegSettings": "CRegSettings.md",
    "tlCompareMethod": "StringFunction.md",
    "eMesiAnno": "TimeUtility.md",
}
OBJECT_OF = {
    "_StringFunction": "sf",
    "_GeneralUtility": "gu",
    "clsExItem": "it",
    "_ExCollection": "c",
    "_Network": "net",
    "_TimeUtility": "tu",
    "_CRegSettings": "rs",
}
# Classes whose members VBA and VB6 call unqualified (global application objects).
GLOBAL_CLASSES = {"_StringFunction", "_GeneralUtility", "_Network", "_TimeUtility"}

VB_TYPE = {
    "BSTR": "String",
    "VARIANT": "Variant",
    "VARIANT_BOOL": "Boolean",
    "long": "Long",
    "short": "Integer",
    "IDispatch*": "Object",
    "IUnknown*": "IUnknown",
    "SAFEARRAY(BSTR)": "String()",
    "clsExItem*": "clsExItem",
    "tlCompareMethod": "tlCompareMethod",
    "eMesiAnno": "eMesiAnno",
}
C_TYPE = {
    "BSTR": "BSTR",
    "VARIANT": "VARIANT",
    "VARIANT_BOOL": "VARIANT_BOOL",
    "long": "LONG",
    "short": "SHORT",
    "IDispatch*": "IDispatch*",
    "IUnknown*": "IUnknown*",
    "SAFEARRAY(BSTR)": "SAFEARRAY*",
    "clsExItem*": "clsExItem*",
    "tlCompareMethod": "tlCompareMethod",
    "eMesiAnno": "eMesiAnno",
}


class Param:
    def __init__(self, attrs, type_, name):
        self.attrs = attrs
        self.name = name
        self.by_ref = type_.endswith("*") and type_ not in ("IDispatch*", "IUnknown*", "clsExItem*")
        if type_ in ("IDispatch**", "clsExItem**", "IUnknown**"):
            self.by_ref = True
        self.base = type_[:-1] if self.by_ref else type_
        self.out = "out" in attrs
        self.retval = "retval" in attrs
        self.optional = "optional" in attrs
        self.default = attrs.get("defaultvalue")


class Accessor:
    def __init__(self, attrs, name, params):
        self.attrs = attrs
        self.name = name
        self.params = params
        self.dispid = attrs["id"]
        self.kind = "propget" if "propget" in attrs else "propput" if "propput" in attrs else (
            "propputref" if "propputref" in attrs else "method")

    @property
    def args(self):
        return [p for p in self.params if not p.retval]

    @property
    def result(self):
        return next((p for p in self.params if p.retval), None)


def split_top(text, sep=","):
    """Splits at `sep` outside quotes, parentheses and brackets."""
    parts, depth, quoted, start, i = [], 0, False, 0, 0
    while i < len(text):
        ch = text[i]
        if quoted:
            if ch == "\\":
                i += 1
            elif ch == '"':
                quoted = False
        elif ch == '"':
            quoted = True
        elif ch in "([":
            depth += 1
        elif ch in ")]":
            depth -= 1
        elif ch == sep and depth == 0:
            parts.append(text[start:i].strip())
            start = i + 1
        i += 1
    tail = text[start:].strip()
    if tail:
        parts.append(tail)
    return parts


def parse_attrs(text):
    attrs = {}
    for item in split_top(text):
        m = re.fullmatch(r"(\w+)\s*(?:\((.*)\))?", item, re.S)
        if not m:
            raise SystemExit(f"cannot read attribute {item!r}")
        attrs[m.group(1)] = m.group(2) if m.group(2) is not None else True
    return attrs


def strip_comments(text):
    out, i, quoted = [], 0, False
    while i < len(text):
        if not quoted and text.startswith("//", i):
            i = text.index("\n", i)
            continue
        ch = text[i]
        if ch == '"' and (i == 0 or text[i - 1] != "\\"):
            quoted = not quoted
        out.append(ch)
        i += 1
    return "".join(out)


def parse_idl(path):
    """Interfaces (name -> list of Accessor, in v-table order) and enumerations."""
    text = strip_comments(path.read_text(encoding="cp1252"))
    interfaces, enums = {}, {}
    for m in re.finditer(r"interface\s+(\w+)\s*:\s*IDispatch\s*\{(.*?)\n\s*\};", text, re.S):
        body, accessors = m.group(2), []
        for decl in re.finditer(r"\[((?:[^\]\"]|\"(?:[^\"\\]|\\.)*\")*)\]\s*HRESULT\s+(\w+)\s*\((.*?)\)\s*;", body, re.S):
            params = []
            for p in split_top(decl.group(3)):
                pm = re.fullmatch(r"\[(.*?)\]\s*(.+?)\s*(\w+)", p, re.S)
                if not pm:
                    raise SystemExit(f"cannot read parameter {p!r} of {decl.group(2)}")
                params.append(Param(parse_attrs(pm.group(1)), re.sub(r"\s+", "", pm.group(2)), pm.group(3)))
            accessors.append(Accessor(parse_attrs(decl.group(1)), decl.group(2), params))
        interfaces[m.group(1)] = accessors
    for m in re.finditer(r"enum\s+(\w+)\s*\{(.*?)\}", text, re.S):
        enums[m.group(1)] = [tuple(x.strip() for x in item.split("=")) for item in split_top(m.group(2))]
    return interfaces, enums


def members_of(accessors):
    """Accessors grouped by member name, in the order of first appearance."""
    grouped = {}
    for a in accessors:
        grouped.setdefault(a.name, []).append(a)
    return grouped


def vb_default(param):
    d = param.default
    if d is None:
        return None
    if param.base == "VARIANT_BOOL":
        return {"-1": "True", "0": "False"}.get(d, d)
    if param.base == "tlCompareMethod":
        return {"0": "tlBinaryCompare", "1": "tlTextCompare"}.get(d, d)
    return d


def vb_param(param, declaration):
    """A parameter as VBA's object browser writes it."""
    text = ("ByRef " if param.by_ref else "ByVal ") + param.name
    if param.base == "SAFEARRAY(BSTR)":
        text = "ByRef " + param.name + "() As String"
    else:
        text += " As " + VB_TYPE[param.base]
    if param.optional:
        text = "Optional " + text
        if param.default is not None:
            text += " = " + vb_default(param)
    return text


def call_args(args):
    """Arguments of a call, optional ones in brackets."""
    text, first = "", True
    for p in args:
        piece = ("" if first else ", ") + p.name
        text += f"[{piece}]" if p.optional else piece
        first = False
    return text


def c_param(param):
    t = C_TYPE[param.base]
    if param.by_ref or param.out:
        return f"{t}* {param.name}"
    return f"{t} {param.name}"


def syntax_rows(iface, name, accessors):
    obj = OBJECT_OF[iface]
    rows = []
    vba, vbs, js, cpp = [], [], [], []
    for a in accessors:
        args = a.args
        res = a.result
        if a.kind == "method":
            decl = ", ".join(vb_param(p, True) for p in args)
            head = "Function" if res else "Sub"
            tail = f" As {VB_TYPE[res.base]}" if res else ""
            vba.append(f"{head} {name}({decl}){tail}")
            target = name if iface in GLOBAL_CLASSES else f"{obj}.{name}"
            if res:
                vba.append(f"{'Set ' if res.base == 'IUnknown*' else ''}x = {target}" + (f"({call_args(args)})" if args else ""))
            else:
                vba.append(f"{target} {call_args(args)}".rstrip())
            call = f"{obj}.{name}({call_args(args)})" if args else f"{obj}.{name}"
            if res:
                assign = "Set x = " if res.base in ("IUnknown*",) else "x = "
                vbs.append(f"{assign}{call}")
                js.append(f"x = {obj}.{name}({call_args(args)});")
            else:
                vbs.append(f"{obj}.{name} {call_args(args)}".rstrip())
                js.append(f"{obj}.{name}({call_args(args)});")
        elif a.kind == "propget":
            rtype = VB_TYPE[res.base]
            decl = ", ".join(vb_param(p, True) for p in args)
            vba.append(f"Property Get {name}({decl}) As {rtype}")
            sel = f"({call_args(args)})" if args else ""
            setp = "Set " if res.base in ("clsExItem*", "IDispatch*") else ""
            vbs.append(f"{setp}x = {obj}.{name}{sel}")
            js.append(f"x = {obj}.{name}{sel};")
        else:
            keys, value = args[:-1], args[-1]
            decl = ", ".join(vb_param(p, True) for p in args)
            word = "Let" if a.kind == "propput" else "Set"
            vba.append(f"Property {word} {name}({decl})")
            sel = f"({call_args(keys)})" if keys else ""
            setp = "Set " if a.kind == "propputref" else ""
            vbs.append(f"{setp}{obj}.{name}{sel} = {value.name}")
            if a.kind == "propput":
                if keys:
                    js.append("(no assignment to a parameterised property: call Add and Remove instead)")
                else:
                    js.append(f"{obj}.{name} = {value.name};")
        prefix = {"method": "", "propget": "get_", "propput": "put_", "propputref": "putref_"}[a.kind]
        cparams = [c_param(p) for p in a.params]
        cpp.append(f"HRESULT {prefix}{name}({', '.join(cparams)});")
    for label, lines in (("VBA, VB6", vba), ("VBScript", vbs), ("JScript", js), ("C++ (v-table)", cpp)):
        for line in lines:
            rows.append(f"| {label} | {line} |" if line.startswith("(") else f"| {label} | `{line}` |")
            label = ""
    return rows


def omitted_text(param):
    """What a member receives for an optional parameter without a default that the caller omits."""
    if param.base == "VARIANT":
        return "none: an omitted one arrives as missing (`IsMissing` is True)"
    if param.base == "BSTR":
        return "none: an omitted one arrives as the empty string"
    return "none"


def param_rows(accessors):
    seen, rows = set(), []
    for a in accessors:
        for p in a.args:
            label = f"`{p.name}`"
            if a.kind in ("propput", "propputref") and p is a.args[-1]:
                label += f" (assigned by {'Let' if a.kind == 'propput' else 'Set'})"
            if (label, p.base) in seen:
                continue
            seen.add((label, p.base))
            ptype = "String array" if p.base == "SAFEARRAY(BSTR)" else VB_TYPE[p.base]
            passed = "by reference" if p.by_ref else "by value"
            optional = "optional" if p.optional else "required"
            shown = vb_default(p)
            default = (f"`{shown}`" + (f" ({p.default})" if shown != p.default else "")) if p.default is not None else (omitted_text(p) if p.optional else "")
            rows.append(f"| {label} | {ptype} | {passed} | {optional} | {default} |")
    return rows


def dispid_text(value):
    if value.upper() == "0XFFFFFFFC":
        return "-4 (DISPID_NEWENUM)"
    if value == "0":
        return "0 (default member)"
    return value


def kinds_text(accessors):
    kinds = [{"method": "method", "propget": "property get", "propput": "property let",
              "propputref": "property set"}[a.kind] for a in accessors]
    hidden = " (hidden)" if any("hidden" in a.attrs for a in accessors) else ""
    return ", ".join(kinds) + hidden


def result_text(accessors):
    for a in accessors:
        if a.result:
            base = a.result.base
            return VB_TYPE[base]
    return "none"


def member_block(iface, name, accessors):
    lines = [
        f"{kinds_text(accessors).capitalize()} of `{iface}`, dispatch id {dispid_text(accessors[0].dispid)};"
        f" result: {result_text(accessors)}.",
        "",
        "| caller | syntax |",
        "|---|---|",
        *syntax_rows(iface, name, accessors),
    ]
    prows = param_rows(accessors)
    if prows:
        lines += ["", "| parameter | type | passed | optional | default |", "|---|---|---|---|---|", *prows]
    else:
        lines += ["", "No parameters."]
    return lines


def enum_block(name, values):
    return [f"Enumeration `{name}` (32-bit values):", "", "| name | value |", "|---|---|",
            *[f"| `{n}` | {v} |" for n, v in values]]


def summary_block(iface, accessors):
    """The interface's members in v-table order, one row per member."""
    lines = [f"Members of `{iface}`, in v-table order:", "",
             "| member | kind | dispatch id | result |", "|---|---|---|---|"]
    for name, group in members_of(accessors).items():
        lines.append(f"| `{name}` | {kinds_text(group)} | {dispid_text(group[0].dispid)} |"
                     f" {result_text(group)} |")
    return lines


BLOCK = re.compile(r"<!-- BEGIN GENERATED (\S+) -->\n(.*?)<!-- END GENERATED -->\n", re.S)


def wanted_blocks(idl):
    """(page, key) -> generated lines, with the heading each block belongs under."""
    interfaces, enums = parse_idl(idl)
    wanted = {}
    for iface, accessors in interfaces.items():
        for name, group in members_of(accessors).items():
            wanted[(PAGE_OF[iface], f"{iface}.{name}")] = (name, member_block(iface, name, group))
    for name, values in enums.items():
        wanted[(PAGE_OF[name], name)] = (name, enum_block(name, values))
    for iface, accessors in interfaces.items():
        wanted[(PAGE_OF[iface], iface)] = (iface, summary_block(iface, accessors))
    return wanted


def section_after(text, end):
    """The hand-written text of a section: from `end` to the next heading of level 2 or 3."""
    m = re.compile(r"^#{2,3} ", re.M).search(text, end)
    return text[end:m.start() if m else len(text)]


def run(write, idl=IDL, pages=PAGES):
    wanted = wanted_blocks(idl)
    problems = []
    for page in sorted({p for p, _ in wanted}):
        path = pages / page
        text = path.read_text(encoding="utf-8") if path.exists() else f"# {page[:-3]}\n"
        found = {}
        for m in BLOCK.finditer(text):
            if m.group(1) in found:
                problems.append(f"{page}: two sections for {m.group(1)}")
            found[m.group(1)] = m
        keys = {k for p, k in wanted if p == page}
        for key in sorted(set(found) - keys):
            problems.append(f"{page}: a section for {key}, which the type library does not have")
        new_text = text
        for key in sorted(keys, key=lambda k: list(wanted).index((page, k))):
            heading, lines = wanted[(page, key)]
            block = f"<!-- BEGIN GENERATED {key} -->\n" + "\n".join(lines) + "\n<!-- END GENERATED -->\n"
            m = BLOCK.search(new_text, 0)
            while m and m.group(1) != key:
                m = BLOCK.search(new_text, m.end())
            if not m:
                problems.append(f"{page}: no section for {key}")
                new_text = new_text.rstrip("\n") + f"\n\n### {heading}\n\n{block}"
                continue
            if m.group(0) != block:
                problems.append(f"{page}: the generated block of {key} differs from the type library")
                new_text = new_text[:m.start()] + block + new_text[m.end():]
                m = BLOCK.search(new_text, m.start())
            before = new_text[:m.start()].rstrip("\n").rsplit("\n", 1)[-1]
            if "." in key and before != f"### {heading}":
                problems.append(f"{page}: the heading above {key} is {before!r}, not '### {heading}'")
            if "." in key:
                own = section_after(new_text, m.end())
                if "**Errors**" not in own:
                    problems.append(f"{page}: {key} has no **Errors** paragraph")
                if "```" not in own:
                    problems.append(f"{page}: {key} has no example")
        if write and new_text != text:
            path.parent.mkdir(parents=True, exist_ok=True)
            path.write_text(new_text, encoding="utf-8")
    return problems


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    mode = parser.add_mutually_exclusive_group(required=True)
    mode.add_argument("--write", action="store_true")
    mode.add_argument("--check", action="store_true")
    parser.add_argument("--idl", type=pathlib.Path, default=IDL)
    parser.add_argument("--pages", type=pathlib.Path, default=PAGES)
    args = parser.parse_args()
    problems = run(args.write, args.idl, args.pages)
    for p in problems:
        print(p, file=sys.stderr)
    if args.check:
        interfaces, _ = parse_idl(args.idl)
        count = sum(len(members_of(a)) for a in interfaces.values())
        print(f"reference: {count} members of {len(interfaces)} interfaces checked, {len(problems)} problems")
        return 1 if problems else 0
    return 0


if __name__ == "__main__":
    sys.exit(main())
