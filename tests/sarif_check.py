#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""The checker's SARIF against what SARIF 2.1.0 requires of each object it
writes (log, run, tool, rules, results, locations, regions, fixes), and its
GitHub annotations against the workflow-command syntax.

Usage: sarif_check.py CHECKER
"""
import json
import os
import subprocess
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from checks import Checks  # noqa: E402
import tempfile

checker = sys.argv[1]
check = Checks()


text = ("[camera parameter]\ncfg_mode = 1\nTYPE = caf\u00e9 # 50%, a:b\n"
        "[register parameter]\nREG = 0x3008 0x82\nbad line\n"
        "[ board parameter ]\n")
with tempfile.TemporaryDirectory() as work:
    path = os.path.join(work, "cam,era:1.cfg")
    with open(path, "w", encoding="utf-8") as f:
        f.write(text)
    run = subprocess.run([checker, "--format=sarif", path],
                         capture_output=True)
    check(run.returncode == 1, "exit status %d" % run.returncode)
    log = json.loads(run.stdout)
    github = subprocess.run([checker, "--format=github", path],
                            capture_output=True).stdout.decode()

check(log.get("version") == "2.1.0" and isinstance(log.get("runs"), list) and
      len(log["runs"]) == 1, "sarifLog: version and one run")
run = log["runs"][0]
driver = run.get("tool", {}).get("driver", {})
check(isinstance(driver.get("name"), str), "toolComponent.name")
rules = driver.get("rules", [])
check(rules and all(isinstance(r.get("id"), str) and
                    r["shortDescription"]["text"] for r in rules),
      "reportingDescriptor.id and a description for every rule")
ids = [r["id"] for r in rules]
check(len(set(ids)) == len(ids), "rule ids are unique")
results = run.get("results", [])
check(len(results) >= 5, "%d results" % len(results))
for r in results:
    check(isinstance(r.get("message", {}).get("text"), str),
          "result.message.text")
    check(r.get("level") in ("error", "warning"), "result.level")
    check(ids[r["ruleIndex"]] == r["ruleId"], "ruleIndex names ruleId")
    location = r["locations"][0]["physicalLocation"]
    check(isinstance(location["artifactLocation"]["uri"], str), "uri")
    region = location["region"]
    check(region["startLine"] >= 1 and region["startColumn"] >= 1 and
          region["endColumn"] >= region["startColumn"], "region %s" % region)
    for fix in r.get("fixes", []):
        for change in fix["artifactChanges"]:
            check("uri" in change["artifactLocation"], "change location")
            for replacement in change["replacements"]:
                deleted = replacement["deletedRegion"]
                check(deleted["byteOffset"] >= 0 and
                      deleted["byteLength"] >= 0, "deletedRegion")
                check("text" in replacement["insertedContent"],
                      "insertedContent")
# "TYPE = café # 50%..." : the "#" is the 13th code point, the 14th byte.
comment = [r for r in results if r["ruleId"] == "comment-in-value"][0]
check(comment["locations"][0]["physicalLocation"]["region"]["startColumn"]
      == 13, "columns count code points")
check(any(r.get("fixes") for r in results), "fixes are carried")

# Workflow commands: one per line; properties escape %, CR, LF, ":" and ",";
# the message escapes %, CR and LF.
lines = github.splitlines()
check(len(lines) == len(results), "one annotation per result")
for line in lines:
    head, sep, message = line[2:].partition("::")
    check(line.startswith("::") and sep == "::", "command shape: " + line)
    kind, _, props = head.partition(" ")
    check(kind in ("error", "warning"), "command " + kind)
    for prop in props.split(","):
        name, _, value = prop.partition("=")
        check(name in ("file", "line", "col", "title") and
              ":" not in value and "," not in value, "property " + prop)
    check("\n" not in message and "\r" not in message, "message one line")
check("cam%2Cera%3A1.cfg" in github, "a file name's ',' and ':' escaped")
check("50%25%2C a%3Ab" not in github and "50%25, a:b" in github,
      "a message keeps ',' and ':' but escapes '%'")
check("%0A" in github, "a hint on its own line")

check.finish()
