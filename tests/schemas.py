#!/usr/bin/env python3
"""The published JSON Schemas hold the program's real outputs.

    schemas.py PROGRAM_DIR CONFIG_DIR EXAMPLES_DIR SCHEMA_DIR CONFIG_FILES

Lays the installed program out in a scratch folder, runs the demo order (a
completed run), the same order with a tool missing (a failed run), a library
check, a preview and a trace report, and validates each report and trace line against its
schema. An output with one field renamed must fail, or the schemas would hold
nothing."""
import copy
import json
import os
import shutil
import subprocess
import sys
import tempfile

import jsonschema

program_dir, config_dir, examples_dir, schema_dir, config_files = sys.argv[1:6]


def schema(name):
    with open(os.path.join(schema_dir, name + ".schema.json"), encoding="utf-8") as f:
        found = json.load(f)
    jsonschema.Draft202012Validator.check_schema(found)
    return jsonschema.Draft202012Validator(found)


def run(root, *arguments):
    subprocess.run([os.path.join(root, "xkmtool"), *arguments], cwd=root, capture_output=True,
                   env=dict(os.environ, XDG_CONFIG_HOME=os.path.join(root, ".config")))


def read(path):
    with open(path, encoding="utf-8") as f:
        return json.load(f)


failures = []


def check(what, validator, document):
    errors = list(validator.iter_errors(document))
    if errors:
        failures.append("%s: %s" % (what, errors[0].message))
    # The same output with its first field renamed must not pass.
    renamed = copy.deepcopy(document)
    first = next(iter(renamed))
    renamed[first + "_renamed"] = renamed.pop(first)
    if validator.is_valid(renamed):
        failures.append("%s: passes with %r renamed" % (what, first))
    print("ok  " if not errors else "FAIL", what)


with tempfile.TemporaryDirectory() as root:
    shutil.copytree(program_dir, root, dirs_exist_ok=True, ignore_dangling_symlinks=True)
    for name in config_files.split(","):
        shutil.copy(os.path.join(config_dir, name), root)
    shutil.copytree(os.path.join(examples_dir, "input"), os.path.join(root, "input"))
    with open(os.path.join(root, "xkmtool.ini"), "a", encoding="utf-8") as ini:
        ini.write("\nTraceLog=runs.log\n")
    order = "input/flowdata_4711.xml,input/ecu_st10.hex,input/ecu_st10.a2l"
    library = [n for n in os.listdir(root) if n.endswith(".lbr")][0]

    run(root, "--batch", "--report", "completed.json", order)
    tools = os.path.join(root, "tools.ini")
    with open(tools, encoding="utf-8") as f:
        shipped = f.read()
    with open(tools, "w", encoding="utf-8") as f:
        f.write(shipped.replace("Brakel=", "Brakel=missing-"))
    run(root, "--batch", "--report", "failed.json", order)
    run(root, "--check-library", library, "--report", "check.json")
    run(root, "--preview", "preview", order)
    # The trace report over this trace and real runs of every outcome, with a
    # line cut by a crash.
    shutil.copy(os.path.join(os.path.dirname(os.path.abspath(__file__)), "data", "traces",
                             "real_runs.log"), os.path.join(root, "real.log"))
    with open(os.path.join(root, "real.log"), "a", encoding="utf-8") as f:
        f.write('{"start":"2026-12-0\n')
    run(root, "--trace-report", "page.html", "--report", "figures.json", "runs.log", "real.log")

    batch = schema("batch-report")
    for name, outcome in (("completed.json", "completed"), ("failed.json", "failed")):
        report = read(os.path.join(root, name))
        if report["outcome"] != outcome:
            failures.append("%s: outcome %s" % (name, report["outcome"]))
        check("batch report, " + outcome, batch, report)
    trace = schema("trace-line")
    with open(os.path.join(root, "runs.log"), encoding="utf-8") as f:
        lines = [json.loads(line) for line in f]
    if [line["outcome"] for line in lines] != ["completed", "failed"]:
        failures.append("trace: %s" % [line["outcome"] for line in lines])
    for line in lines:
        check("trace line, " + line["outcome"], trace, line)
    check("library check", schema("library-check"), read(os.path.join(root, "check.json")))
    check("preview", schema("preview"), read(os.path.join(root, "preview", "preview.json")))
    figures = read(os.path.join(root, "figures.json"))
    if figures["runs"]["total"] != 9 or figures["skippedLines"]["count"] != 1:
        failures.append("trace figures: %s runs, %s skipped" % (figures["runs"]["total"],
                                                                figures["skippedLines"]["count"]))
    check("trace figures", schema("trace-figures"), figures)

for failure in failures:
    print(failure)
sys.exit(1 if failures else 0)
