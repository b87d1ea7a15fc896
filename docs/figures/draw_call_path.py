#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""Draws the path of one call (docs/library.md) from its text source as an
SVG: boxes top to bottom, labelled arrows between them, and one arrow back
to the first box. Needs matplotlib (Debian: python3-matplotlib).
Usage: draw_call_path.py SOURCE.txt OUT.svg"""
import sys
import textwrap

import matplotlib

matplotlib.use('agg')
import matplotlib.pyplot as plt  # noqa: E402
from matplotlib.patches import FancyBboxPatch  # noqa: E402


def read_source(path):
    """The boxes (title, detail), the arrow labels between them, and the
    label of the arrow back."""
    boxes, arrows, back = [], [], ''
    for line in open(path, encoding='utf-8'):
        line = line.strip()
        if not line or line.startswith('#'):
            continue
        if line.startswith('->'):
            arrows.append(line[2:].strip())
        elif line.startswith('<-'):
            back = line[2:].strip()
        else:
            title, _, detail = line.partition('|')
            boxes.append((title.strip(), detail.strip()))
    if len(arrows) != len(boxes) - 1:
        sys.exit('%s: %d boxes need %d arrows between them, not %d'
                 % (path, len(boxes), len(boxes) - 1, len(arrows)))
    return boxes, arrows, back


def draw(boxes, arrows, back, out):
    plt.rcParams['svg.hashsalt'] = 'quelmix'
    plt.rcParams['svg.fonttype'] = 'none'
    plt.rcParams['font.family'] = 'DejaVu Sans'
    step = 1.6
    height = step * len(boxes)
    figure = plt.figure(figsize=(7.5, height * 0.72))
    axes = figure.add_axes([0, 0, 1, 1])
    axes.set_xlim(0, 10)
    axes.set_ylim(-height + 0.2, 0.9)
    axes.axis('off')
    for i, (title, detail) in enumerate(boxes):
        y = -i * step
        axes.add_patch(FancyBboxPatch((0.5, y - 0.45), 7.0, 0.9,
                                      boxstyle='round,pad=0.05',
                                      facecolor='#eef3fb', edgecolor='#3a5a8c'))
        axes.text(4.0, y + 0.2, title, ha='center', va='center',
                  fontsize=10, fontweight='bold', family='monospace')
        axes.text(4.0, y - 0.18, '\n'.join(textwrap.wrap(detail, 70)),
                  ha='center', va='center', fontsize=8)
        if i < len(arrows):
            axes.annotate('', xy=(4.0, y - step + 0.5), xytext=(4.0, y - 0.5),
                          arrowprops=dict(arrowstyle='->', color='#3a5a8c'))
            axes.text(4.15, y - step / 2, arrows[i], ha='left',
                      va='center', fontsize=8, style='italic')
    if back:
        bottom = -(len(boxes) - 1) * step
        axes.annotate('', xy=(7.55, 0), xytext=(7.55, bottom),
                      arrowprops=dict(arrowstyle='->', color='#8c3a3a',
                                      connectionstyle='arc3,rad=0.25'))
        axes.text(9.0, bottom / 2, '\n'.join(textwrap.wrap(back, 22)),
                  ha='center', va='center', fontsize=8, color='#8c3a3a')
    figure.savefig(out, metadata={'Date': None} if out.endswith('.svg') else None)


def main():
    boxes, arrows, back = read_source(sys.argv[1])
    draw(boxes, arrows, back, sys.argv[2])


main()
