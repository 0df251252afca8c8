# SPDX-License-Identifier: GPL-3.0-or-later
"""Patterns drawn with matplotlib in the viewer's look.

polar(pattern) and cartesian(pattern) draw the viewer's frames (the polar
graph's seven rings every 5 dB with -30 dB at the centre and radials every 30
degrees, 0 at the top and angles clockwise; the Cartesian graph's angle axis
from -180 to 180 degrees and level axis from 0 down to -50 dB), the E plane in
red and the H plane in blue, and with theory=True the textbook model of the
pattern's antenna type dashed in the same colours, turned and levelled to the
measurement as the viewer draws it. The curves' coordinates come from the
viewer's own build rule (veloran.polar_points, veloran.cartesian_points).

matplotlib is imported only when a plot is drawn. Each function draws on the
Axes given (a plain, non-polar Axes) or on a new figure's, and returns it.
"""

import math

_GREY = "#A0A0A0"
_DARK_CYAN = "#008080"
_COLOURS = {"e": "#FF0000", "h": "#0000FF"}

_POLAR_LEVEL_LABELS = [(" -25", -2.4, 3.4), (" -20", -2.4, 8.4), (" -15", -2.4, 13.4),
                       (" -10", -2.4, 18.4), ("  -5", -2.4, 23.4), ("0", -0.4, 28.4),
                       ("5", -0.4, 33.4)]
_POLAR_ANGLE_LABELS = [("90", 34.0, -1.4), ("270", -36.5, -1.4), ("180", -1.8, -36.2),
                       ("30", 16.70, 29.51), ("60", 29.51, 16.70), ("120", 29.31, -18.50),
                       ("150", 16.50, -31.31), ("210", -19.70, -31.31), ("240", -32.11, -18.30),
                       ("330", -19.50, 29.31), ("300", -32.31, 16.50)]
_CART_ANGLE_LABELS = [("0", -2), ("-30", -34), ("30", 26), ("-60", -64), ("60", 56),
                      ("-90", -94), ("90", 86), ("-120", -126), ("120", 114), ("-150", -156),
                      ("150", 145), ("-180", -186), ("180", 174)]
_CART_LEVEL_LABELS = ["  0", " -5", " -10", " -15", " -20", " -25", " -30", " -35", " -40",
                      " -45"]


def _planes(planes):
    if not isinstance(planes, str):
        raise TypeError("planes: expected a str such as \"EH\", \"E\" or \"H\", got "
                        + type(planes).__name__)
    wanted = planes.replace(",", "").replace(" ", "").lower()
    if not wanted or set(wanted) - {"e", "h"}:
        raise ValueError("planes: expected \"EH\", \"E\" or \"H\", got %r" % (planes,))
    return [p for p in "eh" if p in wanted]


def _pattern(pattern):
    from . import Pattern
    if not isinstance(pattern, Pattern):
        raise TypeError("pattern: expected a veloran.Pattern, got " + type(pattern).__name__)
    return pattern


def _axes(ax):
    if ax is None:
        import matplotlib.pyplot as plt
        fig, ax = plt.subplots(figsize=(6, 6))
        fig.patch.set_facecolor("black")
    elif getattr(ax, "name", "rectilinear") != "rectilinear":
        raise ValueError("ax: the viewer's frame is drawn on a plain Axes, not a %s one" % ax.name)
    ax.set_facecolor("black")
    for spine in ax.spines.values():
        spine.set_visible(False)
    ax.set_xticks([])
    ax.set_yticks([])
    return ax


def _curves(pattern, planes, theory):
    """(plane, levels, dashed) for the measured planes and, with theory, the model's."""
    from . import _veloran
    out = [(p, getattr(pattern, p), False) for p in planes]
    if theory:
        model = _veloran.theory(pattern.antenna_type)
        for p in planes:
            overlay = _veloran._model_overlay(getattr(pattern, p), model[p])
            if overlay is not None:
                # Below the graphs' -30 dB centre nothing is drawn lower.
                out.append((p, overlay.clip(min=_veloran.FLOOR_DB), True))
    return out


def polar(pattern, ax=None, planes="EH", theory=False):
    """Draw a pattern on the viewer's polar graph and return the Axes.

    pattern: a veloran.Pattern. ax: a plain matplotlib Axes, or None for a new
    figure. planes: "EH", "E" or "H". theory: also the textbook model of the
    pattern's antenna type, dashed (RuntimeError when it cannot be made,
    ValueError for a type outside the library).
    """
    import matplotlib.patches as patches
    from . import _veloran
    pattern = _pattern(pattern)
    wanted = _planes(planes)
    curves = _curves(pattern, wanted, theory)
    ax = _axes(ax)
    for i in range(1, 8):
        ax.add_patch(patches.Circle((0, 0), 5 * i, fill=False, edgecolor=_GREY, linewidth=0.8))
    for i in range(6):
        a = 94.24776 * i / 180  # 30 i degrees with the viewer's pi
        ax.plot([-35 * math.cos(a), 35 * math.cos(a)], [-35 * math.sin(a), 35 * math.sin(a)],
                color=_GREY, linewidth=0.8)
    for text, x, y in _POLAR_LEVEL_LABELS + _POLAR_ANGLE_LABELS:
        ax.text(x, y, text, color=_GREY, fontsize=8, ha="left", va="bottom",
                bbox=dict(facecolor=_DARK_CYAN, edgecolor="none", pad=0.6))
    for plane, levels, dashed in curves:
        x, y = _veloran.polar_points(levels)
        ax.plot(list(x) + [x[0]], list(y) + [y[0]], color=_COLOURS[plane],
                linestyle="--" if dashed else "-", linewidth=1.2,
                label=("%s model" if dashed else "%s plane") % plane.upper())
    ax.set_xlim(-37.5, 37.5)
    ax.set_ylim(-37.5, 37.5)
    ax.set_aspect("equal")
    return ax


def cartesian(pattern, ax=None, planes="EH", theory=False):
    """Draw a pattern on the viewer's Cartesian graph and return the Axes.

    The arguments are those of polar(). Angles run from -180 to 180 degrees
    with 0 in the middle; levels from 0 dB at the top to -50 dB.
    """
    from . import _veloran
    pattern = _pattern(pattern)
    wanted = _planes(planes)
    curves = _curves(pattern, wanted, theory)
    ax = _axes(ax)
    white = "#FFFFFF"
    ax.plot([0, 0], [0, -50], color=white, linewidth=0.8)
    ax.plot([-180, 180], [-50, -50], color=white, linewidth=0.8)
    for i in range(1, 7):
        for x in (30 * i, -30 * i):
            ax.plot([x, x], [-50.6, -49.4], color=white, linewidth=0.8)
    for i in range(10):
        ax.plot([-2, 2], [-5 * i, -5 * i], color=white, linewidth=0.8)
    for text, x in _CART_ANGLE_LABELS:
        ax.text(x, -53.0, text, color=white, fontsize=7, ha="left", va="top")
    for i, text in enumerate(_CART_LEVEL_LABELS):
        ax.text(2.0, -5 * i - 0.8, text, color=white, fontsize=7, ha="left", va="center")
    for plane, levels, dashed in curves:
        x, y = _veloran.cartesian_points(levels)
        ax.plot(x, y, color=_COLOURS[plane], linestyle="--" if dashed else "-", linewidth=1.2,
                label=("%s model" if dashed else "%s plane") % plane.upper())
    ax.set_xlim(-192, 186)
    ax.set_ylim(-57, 6)
    return ax
