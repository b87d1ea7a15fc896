# SPDX-License-Identifier: MIT
"""python3 -m quelmix_config FILE...: each file's record as JSON, the same
document as the record part of ``quelmix-config-check --json`` (an array
for several files). Exit status 0 when every file loads without a bad
line, 1 when a file has one, 2 when a file cannot be opened or read."""
from __future__ import annotations

import sys
from typing import List, Optional

from . import LibraryError, load
from ._document import to_json

USAGE = """usage: python3 -m quelmix_config FILE...
Print the record the library loads from each camera configuration FILE as
JSON: the same document as the record part of quelmix-config-check --json.
"""


def main(arguments: Optional[List[str]] = None) -> int:
    """Runs the command line; returns its exit status."""
    files = sys.argv[1:] if arguments is None else arguments
    if not files or files[0] in ("-h", "--help"):
        (sys.stdout if files else sys.stderr).write(USAGE)
        return 0 if files else 2
    documents, status = [], 0
    for name in files:
        try:
            config = load(name)
        except LibraryError as error:
            print("python3 -m quelmix_config: %s" % error, file=sys.stderr)
            return 2
        except OSError as error:
            print("python3 -m quelmix_config: %s: %s"
                  % (name, error.strerror or error), file=sys.stderr)
            status = 2
            continue
        if not config.result.ok:
            status = max(status, 1)
        documents.append(to_json(config, name))
    if len(files) == 1:
        out = documents[0] if documents else ""
    else:
        out = "[\n" + ",\n".join(documents) + "\n]"
    if out:
        sys.stdout.write(out + "\n")
    return status


if __name__ == "__main__":
    sys.exit(main())
