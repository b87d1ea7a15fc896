# SPDX-License-Identifier: MIT
"""What the Python package's tests share: the build's programs (named in
the environment by CMake) and the files the records are compared on."""
import glob
import os
import subprocess

import pytest

SOURCE = os.environ.get("QUELMIX_SOURCE_DIR",
                        os.path.join(os.path.dirname(__file__), "..", ".."))


def program(variable):
    """The build's program that `variable` names; the test skips when the
    build made none."""
    path = os.environ.get(variable)
    if not path:
        pytest.skip("%s names no program" % variable)
    return path


def sample_files():
    """The project's own configuration files: the examples and the fuzzing
    corpus, which holds broken files on purpose."""
    files = sorted(glob.glob(os.path.join(SOURCE, "examples", "*.cfg")) +
                   glob.glob(os.path.join(SOURCE, "examples", "diff", "*.cfg")) +
                   glob.glob(os.path.join(SOURCE, "fuzz", "corpus", "*")))
    assert files, "no sample files under " + SOURCE
    return files


# The generator's options: plain, CRLF line ends, long code blocks.
GENERATED = [["2000"], ["500", "--crlf"], ["300", "--code-lines", "40"]]


@pytest.fixture(scope="session")
def generated_files(tmp_path_factory):
    """Files the benchmarks' generator writes, one for each option set."""
    generator = program("QUELMIX_TEST_GENERATOR")
    folder = tmp_path_factory.mktemp("generated")
    files = []
    for i, arguments in enumerate(GENERATED):
        path = folder / ("generated%d.cfg" % i)
        with open(path, "wb") as f:
            subprocess.run([generator, *arguments], stdout=f, check=True)
        files.append(str(path))
    return files


@pytest.fixture(scope="session")
def all_files(generated_files):
    """The samples and the generated files."""
    return sample_files() + generated_files
