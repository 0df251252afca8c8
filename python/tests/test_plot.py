# SPDX-License-Identifier: GPL-3.0-or-later
"""The plots: drawn to PNG without a display, in the viewer's look (E red
and H blue where the pattern lies, the model dashed), and matplotlib left
alone until a plot is drawn."""

import subprocess
import sys

import numpy as np
import pytest

import veloran


def render(draw, pattern, scratch, name, **kwargs):
    import matplotlib
    matplotlib.use("Agg")
    import matplotlib.image
    import matplotlib.pyplot as plt
    fig, ax = plt.subplots(figsize=(4, 4), dpi=100)
    assert draw(pattern, ax=ax, **kwargs) is ax
    path = scratch / name
    fig.savefig(path, facecolor="black")
    plt.close(fig)
    assert path.read_bytes()[:8] == b"\x89PNG\r\n\x1a\n"
    return matplotlib.image.imread(path)[:, :, :3], ax


def colour(img, rgb):
    r, g, b = (img[:, :, i] for i in range(3))
    want = [c > 0.8 if on else c < 0.25 for c, on in zip((r, g, b), rgb)]
    return np.argwhere(want[0] & want[1] & want[2])  # (row, column) of each pixel


def test_importing_veloran_does_not_import_matplotlib():
    code = "import sys, veloran; print('matplotlib' in sys.modules)"
    out = subprocess.run([sys.executable, "-c", code], capture_output=True, check=True)
    assert out.stdout.strip() == b"False"


def test_polar_plot_has_the_viewers_orientation_and_colours(sample_files, scratch):
    horn = veloran.read([f for f in sample_files if f.name == "horn.atn"][0])
    img, ax = render(veloran.plot.polar, horn, scratch, "polar.png")
    red, blue = colour(img, (1, 0, 0)), colour(img, (0, 0, 1))
    assert len(red) > 100 and len(blue) > 100
    # Rings and labels in grey and dark cyan, as the viewer draws them.
    assert len(colour(img, (0, 0, 0))) > 0.5 * img.shape[0] * img.shape[1]
    grey = np.argwhere(np.all(np.abs(img - 0xA0 / 255) < 0.06, axis=2))
    assert len(grey) > 200
    # The horn's beam at 90 degrees lies to the right of the centre (clockwise from the top).
    centre = ax.transData.transform((0, 0))
    column = centre[0]
    assert np.mean(red[:, 1] > column) > 0.8
    e_only, _ = render(veloran.plot.polar, horn, scratch, "e.png", planes="E")
    assert len(colour(e_only, (0, 0, 1))) == 0 and len(colour(e_only, (1, 0, 0))) > 100


def test_cartesian_plot_and_the_dashed_model(sample_files, scratch):
    dipole = veloran.read([f for f in sample_files if f.name == "dipole.atn"][0])
    img, ax = render(veloran.plot.cartesian, dipole, scratch, "cart.png", planes="e")
    red = colour(img, (1, 0, 0))
    assert len(red) > 100 and len(colour(img, (0, 0, 1))) == 0
    white = colour(img, (1, 1, 1))
    assert len(white) > 100  # the axes, ticks and labels
    lines = [l for l in ax.get_lines() if l.get_color() == "#FF0000"]
    assert len(lines) == 1 and lines[0].get_linestyle() == "-"
    x, y = lines[0].get_data()
    np.testing.assert_array_equal(x, np.arange(-180, 180))
    assert y[180] == dipole.e[0] and y[0] == dipole.e[180]
    with_model, ax = render(veloran.plot.cartesian, dipole, scratch, "model.png", planes="E",
                            theory=True)
    styles = sorted(l.get_linestyle() for l in ax.get_lines() if l.get_color() == "#FF0000")
    assert styles == ["-", "--"]
    assert len(colour(with_model, (1, 0, 0))) > len(red)
    _, ax = render(veloran.plot.polar, dipole, scratch, "polar-model.png", theory=True)
    assert sum(l.get_linestyle() == "--" for l in ax.get_lines()) == 2


def test_plot_arguments_are_checked(sample_files):
    import matplotlib
    matplotlib.use("Agg")
    import matplotlib.pyplot as plt
    p = veloran.read(sample_files[0])
    for kwargs, error in (({"planes": "X"}, ValueError), ({"planes": ""}, ValueError),
                          ({"planes": None}, TypeError)):
        with pytest.raises(error):
            veloran.plot.polar(p, **kwargs)
    with pytest.raises(TypeError):
        veloran.plot.cartesian(p.e)
    fig = plt.figure()
    with pytest.raises(ValueError, match="plain Axes"):
        veloran.plot.polar(p, ax=fig.add_subplot(projection="polar"))
    untyped = veloran.Pattern(e=p.e, h=p.h)
    with pytest.raises(ValueError, match="antenna types are 0 to 15"):
        veloran.plot.polar(untyped, theory=True)
    ax = veloran.plot.polar(untyped)  # a new figure of its own
    assert ax.figure is not fig
    plt.close("all")
