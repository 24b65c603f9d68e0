#!/usr/bin/env python3
"""Mutation testing: does the suite notice a small fault in the code it covers?

For the chosen source files this makes one small fault at a time (a flipped
comparison, + swapped with -, && with ||, an integer constant changed by one,
a statement dropped), rebuilds only the test programs of that file's module,
runs them, and records each mutant as killed (a test failed or timed out),
survived (every test passed) or not compiled. The file is restored after every
mutant, whatever happens, so an interrupted run leaves the tree as it was.

The sample is deterministic: every candidate site of every file is listed in a
fixed order and a seeded generator picks from that list, so the same seed on
the same sources gives the same mutants before and after a test change.

    tools/mutate.py --build-dir build-mutate --sample 300 --seed 1 \
        --report docs/mutation-report.md image model3ds scene app

With --only the same sample is drawn and then narrowed to some files, so one
module's share of a full run can be checked on its own.
"""
from __future__ import annotations

import argparse
import dataclasses
import os
import random
import re
import subprocess
import sys
import time
from pathlib import Path

ROOT = Path(__file__).resolve().parent.parent

# The test programs that exercise each module, by build target name. GL tests
# run on a headless EGL context, so all of these run without a display.
MODULE_TESTS = {
    "image": ["image_tests", "image_gl_tests", "image_tool_tests"],
    "model3ds": ["model3ds_unit_tests", "model3ds_gl_tests"],
    "scene": ["scene_tests", "scene_gl_tests", "scene_alloc_tests"],
    "app": ["app_tests"],
    "platform": ["platform_tests"],
}
# Files whose code only runs with a display or a sound device; their mutants
# would survive for want of a test that can run here, not for want of a check.
SKIPPED_FILES = {"app/SaverApp.cpp", "app/main.cpp"}

COMPARISONS = {" < ": " <= ", " <= ": " < ", " > ": " >= ", " >= ": " > ", " == ": " != ", " != ": " == "}
ARITHMETIC = {" + ": " - ", " - ": " + "}
LOGICAL = {" && ": " || ", " || ": " && "}
INTEGER = re.compile(r"(?<![\w.'])(\d+)(?![\w.'])")
# A statement worth dropping: a call, an assignment or an increment, on one line.
DROPPABLE = re.compile(r"^(\s*)(?!return\b|break\b|continue\b|case\b|default\b)"
                       r"([A-Za-z_][\w:.\->\[\]]*\s*(\(.*\)|[-+*/|&]?=[^=].*|\+\+|--)|\+\+\w+|--\w+);\s*$")


@dataclasses.dataclass(frozen=True)
class Mutant:
    path: str  # relative to the project root
    line: int  # 1-based
    column: int  # 0-based, in the original line
    original: str
    replacement: str
    kind: str

    def describe(self) -> str:
        return f"{self.path}:{self.line}: {self.kind}: '{self.original.strip()}' -> '{self.replacement.strip() or '(dropped)'}'"


def masked_code(line: str, in_block_comment: bool) -> tuple[str, bool]:
    """The line with comments and string/char literals blanked out, so that
    operators and numbers are only found in code. Keeps column positions."""
    out = []
    i = 0
    in_string = None
    while i < len(line):
        c = line[i]
        if in_block_comment:
            if line.startswith("*/", i):
                in_block_comment = False
                out.append("  ")
                i += 2
                continue
            out.append(" ")
        elif in_string:
            if c == "\\":
                out.append("  ")
                i += 2
                continue
            if c == in_string:
                in_string = None
            out.append(" ")
        elif line.startswith("//", i):
            out.append(" " * (len(line) - i))
            break
        elif line.startswith("/*", i):
            in_block_comment = True
            out.append("  ")
            i += 2
            continue
        elif c in "\"'":
            in_string = c
            out.append(" ")
        else:
            out.append(c)
        i += 1
    return "".join(out)[: len(line)], in_block_comment


def mutants_of(path: Path) -> list[Mutant]:
    rel = path.relative_to(ROOT).as_posix()
    found: list[Mutant] = []
    in_block = False
    for number, line in enumerate(path.read_text().splitlines(), start=1):
        code, in_block = masked_code(line, in_block)
        stripped = code.strip()
        if not stripped or stripped.startswith("#") or "static_assert" in code or "constexpr std::array" in code:
            continue
        for table, kind in ((COMPARISONS, "comparison"), (ARITHMETIC, "arithmetic"), (LOGICAL, "logical")):
            for op, replacement in table.items():
                start = code.find(op)
                while start != -1:
                    found.append(Mutant(rel, number, start, op, replacement, kind))
                    start = code.find(op, start + 1)
        for match in INTEGER.finditer(code):
            value = int(match.group(1), 0) if not match.group(1).startswith("0") or match.group(1) == "0" else None
            if value is None:
                continue
            found.append(Mutant(rel, number, match.start(1), match.group(1), str(value + 1), "constant"))
        if DROPPABLE.match(code) and code.rstrip().endswith(";"):
            indent = len(code) - len(code.lstrip())
            found.append(Mutant(rel, number, indent, line[indent:], ";", "drop"))
    return found


def apply(mutant: Mutant, text: str) -> str:
    lines = text.split("\n")
    line = lines[mutant.line - 1]
    assert line[mutant.column : mutant.column + len(mutant.original)] == mutant.original, mutant
    lines[mutant.line - 1] = line[: mutant.column] + mutant.replacement + line[mutant.column + len(mutant.original) :]
    return "\n".join(lines)


def run(command: list[str], timeout: float, cwd: Path) -> tuple[int, str]:
    try:
        done = subprocess.run(command, cwd=cwd, stdout=subprocess.PIPE, stderr=subprocess.STDOUT, timeout=timeout, text=True)
        return done.returncode, done.stdout
    except subprocess.TimeoutExpired:
        return -1, "timed out"


def module_of(mutant: Mutant) -> str:
    return mutant.path.split("/", 1)[0]


def test_mutant(mutant: Mutant, build: Path, timeout: float) -> str:
    path = ROOT / mutant.path
    original = path.read_text()
    targets = MODULE_TESTS[module_of(mutant)]
    try:
        path.write_text(apply(mutant, original))
        status, _ = run(["cmake", "--build", str(build), "--target", *targets], 600, ROOT)
        if status != 0:
            return "not compiled"
        for target in targets:
            status, _ = run([str(executable(build, target)), "--gtest_brief=1"], timeout, build)
            if status != 0:
                return "killed"
        return "survived"
    finally:
        path.write_text(original)


def executable(build: Path, target: str) -> Path:
    for candidate in build.glob(f"tests/*/{target}"):
        return candidate
    raise SystemExit(f"mutate.py: test program {target} not found under {build}/tests; build it first")


def source_files(modules: list[str]) -> list[Path]:
    files = []
    for module in modules:
        if module not in MODULE_TESTS:
            raise SystemExit(f"mutate.py: no tests known for module '{module}' (known: {', '.join(MODULE_TESTS)})")
        for path in sorted((ROOT / module).glob("*.cpp")):
            if path.relative_to(ROOT).as_posix() not in SKIPPED_FILES:
                files.append(path)
    return files


def write_report(report: Path, args: argparse.Namespace, results: list[tuple[Mutant, str]], seconds: float) -> None:
    counts = {outcome: sum(1 for _, o in results if o == outcome) for outcome in ("killed", "survived", "not compiled")}
    compiled = counts["killed"] + counts["survived"]
    score = 100.0 * counts["killed"] / compiled if compiled else 0.0
    lines = [
        "# Mutation report",
        "",
        f"Modules: {', '.join(args.modules)}; sample {len(results)} mutants, seed {args.seed}; "
        f"commit {git_head()}; {seconds / 60:.0f} minutes.",
        "",
        "| outcome | mutants |",
        "|---|---|",
        *(f"| {outcome} | {count} |" for outcome, count in counts.items()),
        "",
        f"**Score: {score:.1f} %** of the mutants that compiled were killed.",
        "",
        "## Survivors",
        "",
        *(f"- `{m.describe()}`" for m, o in results if o == "survived"),
        "",
    ]
    report.parent.mkdir(parents=True, exist_ok=True)
    report.write_text("\n".join(lines))


def git_head() -> str:
    status, out = run(["git", "rev-parse", "--short", "HEAD"], 10, ROOT)
    return out.strip() if status == 0 else "unknown"


def main() -> int:
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("modules", nargs="+", help="source folders to mutate (image, model3ds, scene, app, platform)")
    parser.add_argument("--build-dir", default="build-mutate", type=Path, help="a configured build folder")
    parser.add_argument("--sample", type=int, default=300, help="how many mutants to try")
    parser.add_argument("--seed", type=int, default=1)
    parser.add_argument("--timeout", type=float, default=120, help="seconds per test program")
    parser.add_argument("--report", type=Path, help="write a Markdown report here")
    parser.add_argument("--list", action="store_true", help="print the sampled mutants and stop")
    parser.add_argument("--only", action="append", default=[], metavar="PREFIX",
                        help="of the sample, run only the mutants in files starting with PREFIX "
                             "(repeatable); the sample itself is unchanged, so scores stay comparable")
    args = parser.parse_args()

    candidates = [m for path in source_files(args.modules) for m in mutants_of(path)]
    chosen = random.Random(args.seed).sample(candidates, min(args.sample, len(candidates)))
    chosen.sort(key=lambda m: (m.path, m.line, m.column, m.kind))
    if args.only:
        chosen = [m for m in chosen if any(m.path.startswith(prefix) for prefix in args.only)]
    if args.list:
        print("\n".join(m.describe() for m in chosen))
        return 0

    build = args.build_dir if args.build_dir.is_absolute() else ROOT / args.build_dir
    every_target = sorted({t for m in chosen for t in MODULE_TESTS[module_of(m)]})
    status, out = run(["cmake", "--build", str(build), "--target", *every_target], 3600, ROOT)
    if status != 0:
        print(out, file=sys.stderr)
        raise SystemExit("mutate.py: the unmutated tree does not build")

    started = time.monotonic()
    results = []
    for index, mutant in enumerate(chosen, start=1):
        outcome = test_mutant(mutant, build, args.timeout)
        results.append((mutant, outcome))
        print(f"[{index}/{len(chosen)}] {outcome:12} {mutant.describe()}", flush=True)
        if args.report and index % 20 == 0:
            write_report(args.report, args, results, time.monotonic() - started)
    # Rebuild once more so the build folder matches the restored sources.
    run(["cmake", "--build", str(build), "--target", *every_target], 3600, ROOT)
    if args.report:
        write_report(args.report, args, results, time.monotonic() - started)
    killed = sum(1 for _, o in results if o == "killed")
    compiled = sum(1 for _, o in results if o != "not compiled")
    print(f"killed {killed} of {compiled} compiled mutants ({100.0 * killed / max(compiled, 1):.1f} %)")
    return 0


if __name__ == "__main__":
    os.environ.setdefault("GTEST_COLOR", "no")
    sys.exit(main())
