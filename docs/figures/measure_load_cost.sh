#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Measures the load's cost against file size with the benchmark of a
# Release build that has benchmarks (BUILD_DIR), keeps the benchmark's own
# JSON output in docs/figures/load-cost.json and draws
# docs/figures/load-cost.svg from it (Debian's python3-matplotlib).
# Usage: docs/figures/measure_load_cost.sh BUILD_DIR
set -euo pipefail
build=$1
figures=$(cd "$(dirname "$0")" && pwd)
"$build/bench/quelmix-bench" --benchmark_repetitions=3 \
  --benchmark_report_aggregates_only=true \
  --benchmark_filter='^(cold_)?(fgets_loop|load|parse_only)/(typical_300|lines_10k|lines_100k|lines_1m)/' \
  --benchmark_out="$figures/load-cost.json" --benchmark_out_format=json
"${PYTHON:-python3}" "$figures/plot_load_cost.py" "$figures/load-cost.json" \
  "$figures/load-cost.svg"
