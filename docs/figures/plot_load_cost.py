#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""Plots the cost of one load against the file's size from quelmix-bench's
own JSON output (--benchmark_out_format=json): for each workload (the
library's load, the parser alone, the bare fgets loop, and the cold runs of
a fresh process) the median time of one run against the file's lines, both
on log scales. A hot run repeats in one process, so its own CPU time is
plotted (a busy machine's other work does not show in it); a cold run's
time is the wall time measured inside the fresh process, the only time it
has. A file's lines are read back from the benchmark's counters (lines/s
is a rate over that same time). Needs matplotlib (python3-matplotlib).
Usage: plot_load_cost.py BENCH.json OUT.svg"""
import json
import sys
from collections import defaultdict

import matplotlib

matplotlib.use('agg')
import matplotlib.pyplot as plt  # noqa: E402

SCALE = {'ns': 1e-9, 'us': 1e-6, 'ms': 1e-3, 's': 1.0}
LABELS = {
    'load': 'quelmix_parse_config: load, walk, release (hot)',
    'parse_only': 'the parser alone, no record (hot)',
    'fgets_loop': 'bare fopen + fgets loop, the reference (hot)',
    'cold_load': 'quelmix_parse_config in a fresh process (cold)',
    'cold_fgets_loop': 'fgets loop in a fresh process (cold)',
}
STYLE = {'load': 'o-', 'parse_only': 's--', 'fgets_loop': 'x:',
         'cold_load': 'o-', 'cold_fgets_loop': 'x:'}


def medians(report):
    """{workload: [(lines, seconds)]}, from the medians when the report
    has aggregates, else from the plain runs."""
    runs = report['benchmarks']
    with_aggregates = any(r.get('aggregate_name') == 'median' for r in runs)
    points = defaultdict(list)
    for run in runs:
        if with_aggregates and run.get('aggregate_name') != 'median':
            continue
        if not with_aggregates and run.get('run_type') == 'aggregate':
            continue
        workload = run['run_name'].split('/')[0]
        if workload not in LABELS or 'lines/s' not in run:
            continue
        manual = 'manual_time' in run['run_name']
        seconds = run['real_time' if manual else 'cpu_time'] * \
            SCALE[run['time_unit']]
        lines = round(run['lines/s'] * seconds)
        points[workload].append((lines, seconds))
    return {w: sorted(p) for w, p in points.items()}


def plot(points, out):
    plt.rcParams['svg.hashsalt'] = 'quelmix'
    plt.rcParams['svg.fonttype'] = 'none'
    figure, axes = plt.subplots(figsize=(7.5, 4.8))
    for workload in LABELS:
        if workload not in points:
            continue
        lines = [p[0] for p in points[workload]]
        millis = [p[1] * 1e3 for p in points[workload]]
        axes.plot(lines, millis, STYLE[workload], label=LABELS[workload],
                  color='#8c3a3a' if workload.startswith('cold') else None)
    axes.set_xscale('log')
    axes.set_yscale('log')
    axes.set_xlabel('lines in the file (generated, 84% commands)')
    axes.set_ylabel('one run, ms (median; hot: CPU time,\ncold: wall time in the fresh process)')
    axes.set_title('Cost of one load against file size')
    axes.grid(True, which='major', linewidth=0.5, alpha=0.5)
    axes.legend(fontsize=8)
    figure.tight_layout()
    figure.savefig(out, metadata={'Date': None} if out.endswith('.svg')
                   else None)


def main():
    report = json.load(open(sys.argv[1], encoding='utf-8'))
    points = medians(report)
    if 'load' not in points or 'fgets_loop' not in points:
        sys.exit('%s: no load or fgets_loop runs' % sys.argv[1])
    plot(points, sys.argv[2])
    for workload, found in sorted(points.items()):
        print('%-16s %s' % (workload, ', '.join(
            '%d lines %.3g ms' % (n, s * 1e3) for n, s in found)))


main()
