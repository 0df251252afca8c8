# SPDX-License-Identifier: GPL-3.0-or-later
"""What the module's tests share: the atn tool, the sample files, scratch
folders that are removed afterwards, and a set of random patterns written by
the C++ writer (Pattern.write)."""

import json
import os
import shutil
import subprocess
import tempfile
from pathlib import Path

import numpy as np
import pytest

import veloran

ATN = os.environ.get("VELORAN_ATN", "")
SAMPLES = Path(os.environ.get("VELORAN_SAMPLES", "."))
FUZZ_CORPUS = Path(os.environ.get("VELORAN_FUZZ_CORPUS", "."))


def run_atn(*args, check=True):
    """atn with args; its JSON when it printed any, else the completed process."""
    if not ATN or not os.access(ATN, os.X_OK):
        pytest.fail("VELORAN_ATN does not name the atn program: %r" % ATN)
    env = dict(os.environ, QT_QPA_PLATFORM="offscreen", LC_ALL="C.UTF-8")
    r = subprocess.run([ATN, *map(str, args)], capture_output=True, env=env, timeout=120)
    if check and r.returncode not in (0, 3):
        pytest.fail("atn %s ended with %d: %s" % (" ".join(map(str, args)), r.returncode,
                                                   r.stderr.decode(errors="replace")))
    return r


def atn_json(*args):
    """The JSON document of an atn command (a file it refuses is an entry of
    its own, with status 1)."""
    r = run_atn(*args, check=False)
    try:
        return json.loads(r.stdout)
    except ValueError:
        pytest.fail("atn %s ended with %d and printed no JSON: %s" % (
            " ".join(map(str, args)), r.returncode, r.stderr.decode(errors="replace")))


def assert_same_tree(atn_tree, py_tree, where=""):
    """Every key atn gives is in Python's tree with the same value (numbers
    exactly: both come from the same doubles). Where atn's tree has every key
    of Python's, that is checked too by the caller's choice of trees."""
    if isinstance(atn_tree, dict):
        assert isinstance(py_tree, dict), "%s: atn gives a dict, Python %r" % (where, py_tree)
        missing = sorted(set(atn_tree) - set(py_tree))
        assert not missing, "%s: keys atn gives and Python does not: %s" % (where, missing)
        for k, v in atn_tree.items():
            assert_same_tree(v, py_tree[k], where + "/" + k)
    elif isinstance(atn_tree, list):
        assert isinstance(py_tree, list) and len(py_tree) == len(atn_tree), \
            "%s: %r != %r" % (where, atn_tree, py_tree)
        for i, (a, b) in enumerate(zip(atn_tree, py_tree)):
            assert_same_tree(a, b, "%s[%d]" % (where, i))
    elif isinstance(atn_tree, float) or isinstance(py_tree, float):
        assert py_tree is not None and not isinstance(py_tree, (str, bool)) \
            and float(atn_tree) == float(py_tree), "%s: atn %r, Python %r" % (where, atn_tree, py_tree)
    else:
        assert atn_tree == py_tree, "%s: atn %r, Python %r" % (where, atn_tree, py_tree)


@pytest.fixture
def scratch():
    d = tempfile.mkdtemp(prefix="veloran-py.")
    yield Path(d)
    for root, dirs, _ in os.walk(d):
        for name in dirs:
            os.chmod(os.path.join(root, name), 0o700)
    os.chmod(d, 0o700)
    shutil.rmtree(d, ignore_errors=True)


@pytest.fixture(scope="session")
def sample_files():
    files = sorted(SAMPLES.glob("*.atn"))
    assert len(files) >= 3, "no sample patterns in %s" % SAMPLES
    return files


def random_levels(rng):
    """A plane as a sweep gives one: a main lobe somewhere, a few smaller
    lobes, noise, levels on the floor and the rig's 0.05 dB step."""
    angles = np.arange(360)
    peak = rng.uniform(-10, 10)
    centre = rng.integers(0, 360)
    width = rng.uniform(8, 140)
    d = np.minimum(np.abs(angles - centre), 360 - np.abs(angles - centre))
    levels = peak - 12 * (d / width) ** 2
    for _ in range(rng.integers(0, 4)):
        c, w, h = rng.integers(0, 360), rng.uniform(5, 40), rng.uniform(-25, -3)
        dd = np.minimum(np.abs(angles - c), 360 - np.abs(angles - c))
        levels = np.maximum(levels, peak + h - 12 * (dd / w) ** 2)
    levels += rng.normal(0, rng.choice([0.0, 0.1, 0.5]), 360)
    return np.maximum(np.round(levels / 0.05) * 0.05, veloran.FLOOR_DB)


@pytest.fixture(scope="session")
def generated():
    """Twenty random patterns in a scratch folder, written by Pattern.write."""
    rng = np.random.default_rng(20260412)
    d = tempfile.mkdtemp(prefix="veloran-py-gen.")
    files = []
    for i in range(20):
        e, h = random_levels(rng), random_levels(rng)
        if i == 3:
            h = np.zeros(360)  # a plane hidden in the viewer and saved
        if i == 4:
            e = np.full(360, veloran.FLOOR_DB)  # nothing above the floor
        p = veloran.Pattern(
            e=e, h=h, antenna_type=int(rng.integers(-1, 16)), person="Student %d" % i,
            description="".join("line %d\n" % k for k in range(rng.integers(0, 4))),
            e_attenuation=float(rng.choice([0, 10, 20])),
            h_attenuation=float(rng.choice([0, 10, 20])))
        path = Path(d) / ("random-%02d.atn" % i)
        p.write(path)
        files.append(path)
    yield files
    shutil.rmtree(d, ignore_errors=True)
