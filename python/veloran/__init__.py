# SPDX-License-Identifier: GPL-3.0-or-later
"""Pattern files of the Veloran antenna-measurement kit, with the programs' numbers.

veloran reads and writes the kit's pattern files (atn, and MSI antenna files)
and gives every figure the programs show -- the viewer's peak and half-power
readouts, the lobe metrics, the figures fitted through the noise, the checks
on a measurement, the comparison with the textbook model and the gain by
comparison with its uncertainty budget -- computed by the same C++ libraries
as the viewer and the atn tool, so that a script and the programs cannot
disagree. Levels are NumPy float64 arrays of 360 values in dB, index = angle
in whole degrees.

Reading and writing
    read(path) -> Pattern          an atn or MSI file, as atn reads it
    read_msi(path) -> Pattern      a file as MSI whatever its name
    Pattern(e=..., h=..., antenna_type=...)
                                   a pattern made from arrays, with the file's limits
    Pattern.write(path)            the atn file, through the programs' safe writer
    Pattern.to_csv(path=None)      CSV as atn export writes it
    Pattern.write_msi(path=None)   MSI as atn export writes it

Figures (the trees that atn ... --json prints, as dicts)
    Pattern.metrics(), metrics(levels)   atn info --json per plane
    Pattern.info()                       atn info --json for the whole file
    compare(a, b)                        atn compare
    theory(type)                         the textbook model (atn theory)
    compare_theory(pattern)              atn compare --theory --json
    checks(pattern, distance=None)       atn check --json
    gain(files, references, ...)         atn gain --json, with the budget
    rotate(levels, degrees)              the viewer's rotation rule
    antenna(type)                        the antenna table's entry

Plots (matplotlib, imported only when a plot is drawn)
    plot.polar(pattern), plot.cartesian(pattern)

Errors
    PatternError (a ValueError) for a file that cannot be read, with the
    message atn gives; TypeError and ValueError for bad arguments.

Example::

    import veloran
    p = veloran.read("horn.atn")
    m = p.metrics()
    print(p.antenna_name, m["e"]["hpb_width_deg"], m["e"]["lobe"]["hpbw_deg"])
"""

from ._veloran import (
    ANTENNA_TYPES,
    DESCRIPTION_MAX,
    FLOOR_DB,
    LEVEL_LIMIT_DB,
    LEVELS,
    PERSON_MAX,
    Pattern,
    PatternError,
    antenna,
    cartesian_points,
    checks,
    compare,
    compare_theory,
    gain,
    metrics,
    polar_points,
    read,
    read_msi,
    rotate,
    theory,
)
from . import plot

__all__ = [
    "ANTENNA_TYPES",
    "DESCRIPTION_MAX",
    "FLOOR_DB",
    "LEVEL_LIMIT_DB",
    "LEVELS",
    "PERSON_MAX",
    "Pattern",
    "PatternError",
    "antenna",
    "cartesian_points",
    "checks",
    "compare",
    "compare_theory",
    "gain",
    "metrics",
    "plot",
    "polar_points",
    "read",
    "read_msi",
    "rotate",
    "theory",
]

for _name in __all__:
    _obj = globals()[_name]
    if getattr(_obj, "__module__", None) == "veloran._veloran":
        try:
            _obj.__module__ = "veloran"
        except (AttributeError, TypeError):
            pass
del _name, _obj
