#!/usr/bin/python3
"""The DXF export checked by an independent reader.

Exports the examples and every drawing of the corpus with `tolvane-cli export` in both DXF
versions, reads each file with ezdxf (Debian's python3-ezdxf), and requires its audit to
report neither an error nor a fix, the entities by type and layer to be those of the drawing
(as dxf_model_dump reads it, with the rules of the export restated here), a sample of lines and
texts at full size, and the texts' characters. Exit status 77 (skipped) without ezdxf.
"""

import argparse
import collections
import json
import math
import pathlib
import subprocess
import sys
import tempfile

try:
    import ezdxf
    from ezdxf import recover
except ImportError:
    print("skipped: ezdxf is not installed (Debian: python3-ezdxf, run with /usr/bin/python3)")
    sys.exit(77)

FORBIDDEN = set('<>/\\":;?*|,=`')
SAMPLE = 25


def symbol_name(text):
    text = "".join("_" if ord(c) < 0x20 or c == "\x7f" or c in FORBIDDEN else c for c in text)
    return text.strip(" \u3000")


def layer_name(group, layer, own):
    name = f"{group:X}-{layer:X}"
    own = symbol_name(own)
    return name + " " + own if own else name


def finite(*values):
    return all(math.isfinite(v) for v in values)


def text_value(text):
    percents = "%%" in text
    out = []
    for c in text:
        if ord(c) < 0x20 or c == "\x7f":
            continue
        out.append("^ " if c == "^" else "%%%" if c == "%" and percents else c)
    return "".join(out)


def decoded(text):
    """A text as read, with the UTF-16 halves of \\U+ escapes joined again."""
    return text.encode("utf-16-le", "surrogatepass").decode("utf-16-le")


def dxf_type(entity, defined):
    """The DXF entity an entity of the model becomes, or None when it is left out."""
    kind = entity["kind"]
    if kind == "line":
        return "LINE" if finite(*entity["xy"]) else None
    if kind == "arc":
        if entity["radius"] == 0 or entity["flatness"] == 0:
            return None
        full = entity["full"] or abs(entity["sweep"]) >= 2 * math.pi - 1e-12
        if abs(abs(entity["flatness"]) - 1) <= 1e-9:
            return "CIRCLE" if full else "ARC"
        return "ELLIPSE"
    if kind == "point":
        return None if entity["temporary"] else "POINT"
    if kind == "text":
        if entity["text"].startswith("^@BM"):
            return "IMAGE" if entity["image"] else None
        return "TEXT" if entity["height"] != 0 else None
    if kind == "dimension":
        return "INSERT"
    if kind == "solid":
        return "HATCH" if entity["ownColor"] else "SOLID"
    if kind == "insert":
        usable = entity["block"] in defined and entity["scale"][0] != 0 and entity["scale"][1] != 0
        return "INSERT" if usable else None
    raise ValueError(kind)


class Check:
    def __init__(self):
        self.failures = []

    def expect(self, condition, message):
        if not condition:
            self.failures.append(message)
        return condition

    def close(self, a, b, what):
        return self.expect(math.isclose(a, b, rel_tol=1e-9, abs_tol=1e-6), f"{what}: {a} != {b}")


def check_file(check, model, path, version, texts_seen):
    where = f"{path} ({model['file']})"
    if version == 2000:
        doc, auditor = recover.readfile(path)
    else:
        doc = ezdxf.readfile(path)
        auditor = doc.audit()
    for entry in auditor.errors + auditor.fixes:
        check.expect(False, f"{where}: audit: {entry.message}")
    check.expect(doc.dxfversion == ("AC1015" if version == 2000 else "AC1021"), f"{where}: version {doc.dxfversion}")
    check.expect(doc.header.get("$INSUNITS") == 4 and doc.header.get("$MEASUREMENT") == 1, f"{where}: units")

    scales = [s if math.isfinite(s) and 0 < s < 1e6 else 1 for s in model["scales"]]
    names = model["layerNames"]
    defined = {b["number"] for b in model["blocks"]}
    msp = doc.modelspace()

    def layer_of(e):
        if e["group"] > 15 or e["layer"] > 15:
            return "0"
        return layer_name(e["group"], e["layer"], names[e["group"]][e["layer"]])

    # Entities by type and layer.
    expected = collections.Counter()
    for e in model["entities"]:
        t = dxf_type(e, defined)
        if t:
            expected[(t, layer_of(e))] += 1
    found = collections.Counter((e.dxftype(), e.dxf.layer) for e in msp)
    check.expect(expected == found, f"{where}: model space {dict(found)} != {dict(expected)}")

    # Block definitions in order, their members by type; dimensions as anonymous blocks.
    blocks = [b for b in doc.blocks if not b.name.startswith("*")]
    check.expect(len(blocks) == len(model["blocks"]), f"{where}: {len(blocks)} blocks != {len(model['blocks'])}")
    for block, b in zip(blocks, model["blocks"]):
        name = symbol_name(b["name"]) or f"Block{b['number']}"
        check.expect(block.name == name or block.name.startswith(name + "~"), f"{where}: block {block.name} != {name}")
        want = collections.Counter(t for t in (dxf_type(e, defined) for e in b["entities"]) if t)
        got = collections.Counter(e.dxftype() for e in block)
        check.expect(want == got, f"{where}: block {block.name} {dict(got)} != {dict(want)}")
    dims = [e for e in model["entities"] if e["kind"] == "dimension"]
    inserts = [e for e in msp if e.dxftype() == "INSERT" and e.dxf.name.startswith("*U")]
    check.expect(len(dims) == len(inserts), f"{where}: {len(inserts)} dimension blocks != {len(dims)}")
    for insert, dim in zip(inserts, dims):
        got = collections.Counter(e.dxftype() for e in doc.blocks.get(insert.dxf.name))
        want = collections.Counter({"LINE": dim["lines"], "POINT": dim["points"], "TEXT": 1})
        check.expect(+want == got, f"{where}: dimension {insert.dxf.name} {dict(got)} != {dict(+want)}")

    # A sample of lines and texts of each layer at full size; the texts' characters.
    for layer in {layer for (_, layer) in expected}:
        model_lines = [e for e in model["entities"] if e["kind"] == "line" and layer_of(e) == layer]
        dxf_lines = [e for e in msp if e.dxftype() == "LINE" and e.dxf.layer == layer]
        for m, d in list(zip(model_lines, dxf_lines))[:SAMPLE]:
            s = scales[m["group"]]
            for got, want in zip((d.dxf.start.x, d.dxf.start.y, d.dxf.end.x, d.dxf.end.y), m["xy"]):
                check.close(got, want * s, f"{where}: line on {layer}")
        model_texts = [e for e in model["entities"] if dxf_type(e, defined) == "TEXT" and layer_of(e) == layer]
        dxf_texts = [e for e in msp if e.dxftype() == "TEXT" and e.dxf.layer == layer]
        for m, d in list(zip(model_texts, dxf_texts))[:SAMPLE]:
            s = scales[m["group"]]
            check.close(d.dxf.insert.x, m["xy"][0] * s, f"{where}: text on {layer}")
            check.close(d.dxf.height, abs(m["height"]) * s, f"{where}: text height on {layer}")
            # In 2000 files characters outside code page 932 come back from their \U+ escapes.
            text, want = decoded(d.dxf.text), text_value(m["text"])
            check.expect(text == want, f"{where}: text {text!r} != {want!r}")
            texts_seen.add(text)

    # Every line end lies inside the extent the header gives.
    lo, hi = doc.header.get("$EXTMIN"), doc.header.get("$EXTMAX")
    for e in msp.query("LINE"):
        for p in (e.dxf.start, e.dxf.end):
            inside = lo[0] - 1e-6 <= p.x <= hi[0] + 1e-6 and lo[1] - 1e-6 <= p.y <= hi[1] + 1e-6
            if not check.expect(inside, f"{where}: {p} outside the extent {lo} {hi}"):
                break


def export(cli, dest, version, sources):
    command = [cli, "export", "--format", "dxf", "--dest", str(dest), "--recursive", "--json",
               "--dxf-version", str(version), *map(str, sources)]
    run = subprocess.run(command, capture_output=True, text=True)
    lines = [json.loads(line) for line in run.stdout.splitlines()]
    return run.returncode, lines[:-1], run.stderr


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--cli", required=True)
    parser.add_argument("--dump", required=True)
    parser.add_argument("--examples", required=True)
    parser.add_argument("--corpus")
    args = parser.parse_args()

    check = Check()
    checked = 0
    with tempfile.TemporaryDirectory() as temp:
        # Texts with characters that Shift-JIS lacks, from a drawing with wide strings.
        sample = pathlib.Path(temp) / "sample"
        sample.mkdir()
        subprocess.run([args.dump, "--sample", str(sample / "wide.jww")], check=True)
        roots = [sample, pathlib.Path(args.examples)]
        if args.corpus and pathlib.Path(args.corpus).is_dir():
            roots.append(pathlib.Path(args.corpus))
        else:
            print("the corpus is absent: the examples only")
        for version in (2007, 2000):
            texts_seen = set()
            for n, root in enumerate(roots):
                dest = pathlib.Path(temp) / f"{version}-{n}"
                dest.mkdir()
                status, lines, errors = export(args.cli, dest, version, [root])
                failed = [line for line in lines if line["result"] == "failed"]
                check.expect(status == 0 and not failed, f"export of {root} failed: {failed} {errors}")
                exported = [line for line in lines if line["result"] == "exported"]
                drawings = [p for p in root.rglob("*") if p.suffix.lower() in (".jww", ".jws")]
                readable = json.loads("[" + ",".join(subprocess.run(
                    [args.dump, *map(str, drawings)], capture_output=True, text=True).stdout.splitlines()) + "]")
                check.expect(len(exported) == sum(m["ok"] for m in readable),
                             f"{root}: {len(exported)} exported, {sum(m['ok'] for m in readable)} readable")
                models = {m["file"]: m for m in readable}
                for line in exported:
                    check_file(check, models[line["source"]], line["destination"], version, texts_seen)
                    checked += 1
            for text in ("𠮷野家の①号店", "한국어 Ελληνικά", "～〜‖∥－−", "居間", "寝室"):
                check.expect(text in texts_seen, f"DXF {version}: the text {text} was not read back")
    for failure in check.failures[:50]:
        print("FAIL", failure)
    print(f"{checked} DXF files checked, {len(check.failures)} failures")
    return 1 if check.failures or checked == 0 else 0


if __name__ == "__main__":
    sys.exit(main())
