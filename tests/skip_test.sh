#!/bin/sh
# SPDX-License-Identifier: MIT
# Stands in for a test whose tool is missing: says why and exits with the
# status ctest reports as "Skipped" (SKIP_RETURN_CODE 77), so that a test
# that did not run shows as such instead of vanishing.
# Usage: skip_test.sh REASON...
echo "skipped: $*"
exit 77
