# SPDX-License-Identifier: MIT
"""The Python examples of README.md and docs/python.md, run as they stand:
each block marked as checked by this file runs in the source tree without
an error, and each page's build-tree set-up prints what it says it prints."""
import os
import re
import subprocess
import sys

import pytest

from conftest import SOURCE

MARKER = "<!-- checked-by: python/tests/test_examples.py -->"
PAGES = ("README.md", "docs/python.md")


def marked_blocks(page):
    """(language, text) of each fenced block right after this file's
    marker on `page`."""
    lines = open(os.path.join(SOURCE, page), encoding="utf-8").read().split(
        "\n")
    found = []
    for i, line in enumerate(lines[:-1]):
        if line == MARKER and lines[i + 1].startswith("```"):
            end = lines.index("```", i + 2)
            found.append((lines[i + 1][3:].strip(),
                          "\n".join(lines[i + 2:end]) + "\n"))
    return found


def build_folder():
    """The build tree the tests run from: the library's own folder's
    parent (the library is BUILD/src/libquelmix_config_parser.so...)."""
    library = os.environ["QUELMIX_CONFIG_PARSER_LIBRARY"]
    return os.path.dirname(os.path.dirname(library))


def without_package_environment():
    return {name: value for name, value in os.environ.items()
            if name not in ("PYTHONPATH", "QUELMIX_CONFIG_PARSER_LIBRARY",
                            "QUELMIX_CONFIG_TOOLS")}


@pytest.mark.parametrize("page", PAGES)
def test_each_page_has_a_python_example_that_runs(page):
    examples = [text for language, text in marked_blocks(page)
                if language == "python"]
    assert examples, "no python block marked in " + page
    for text in examples:
        done = subprocess.run([sys.executable, "-c", text], cwd=SOURCE,
                              capture_output=True, text=True)
        assert (done.returncode, done.stderr) == (0, ""), text
        assert "QX-720P sensor board" in done.stdout


@pytest.mark.parametrize("page", PAGES)
def test_the_build_tree_set_up_runs_as_written(page):
    (text,) = [text for language, text in marked_blocks(page)
               if language == "sh"]
    # The page's build folder is ./build; this build's may be another.
    assert "$PWD/build/" in text
    text = text.replace("$PWD/build/", build_folder() + "/")
    assert re.search(r"^python3 -c ", text, re.M)
    done = subprocess.run(["bash", "-euc", text], cwd=SOURCE,
                          env=without_package_environment(),
                          capture_output=True, text=True)
    assert (done.returncode, done.stdout) == (0, "QX-720P sensor board\n"), \
        done.stderr
