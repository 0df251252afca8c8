# SPDX-License-Identifier: GPL-3.0-or-later
"""Reading and writing pattern files from Python: round trips, the file's
limits on patterns made from arrays, the reasons of refused files against
atn's, the fuzz corpus, and the exports against atn export and import."""

import os
import random

import numpy as np
import pytest

import veloran
from conftest import FUZZ_CORPUS, assert_same_tree, atn_json, run_atn

FIELDS = ["antenna_type", "person", "description", "description_lines", "e_date", "e_time",
          "h_date", "h_time", "e_attenuation", "h_attenuation"]


def as_written(levels):
    """The levels as a written file reads them back: six decimals."""
    return np.array([float("%f" % v) for v in levels])


def test_write_then_read_keeps_every_field(sample_files, generated, scratch):
    made = veloran.Pattern(
        e=np.linspace(-30, 12.3456789, 360), h=np.sin(np.arange(360) / 9.0) * 20 - 8,
        antenna_type=7, person="Zoë Ångström", description="first line\nsecond, ±3 dB",
        e_date="04-12-2005", e_time="10:14:52", h_date="04-13-2005", h_time="09:00:01",
        e_attenuation=12.345678, h_attenuation=-3.5)
    for original in [made] + [veloran.read(f) for f in sample_files + generated[:5]]:
        out = scratch / "copy.atn"
        original.write(out)
        back = veloran.read(out)
        for field in FIELDS:
            assert getattr(back, field) == getattr(original, field), field
        np.testing.assert_array_equal(back.e, as_written(original.e))
        np.testing.assert_array_equal(back.h, as_written(original.h))
        assert back.format == "atn" and back.path == str(out) and back.clamped_levels == 0
        # Written again, the bytes do not change.
        back.write(scratch / "again.atn")
        assert (scratch / "again.atn").read_bytes() == out.read_bytes()
    assert made.description == "first line\nsecond, ±3 dB\n" and made.description_lines == 2


def test_a_long_or_legacy_person_line_is_written_back_as_it_was(sample_files, scratch):
    lines = sample_files[0].read_bytes().split(b"\n")
    long_line = b"A person line of forty characters, or so"
    legacy = b"Caf\xe9 group 3"  # an older PC's code page, not UTF-8
    for person in (long_line, legacy):
        src = scratch / "src.atn"
        src.write_bytes(b"\n".join([lines[0], person] + lines[2:]))
        p = veloran.read(src)
        assert p.person == (long_line[:20].decode() if person == long_line else "Café group 3")
        p.write(scratch / "out.atn")
        assert (scratch / "out.atn").read_bytes().split(b"\n")[1] == person
        p.person = "Someone else"  # a new name replaces the whole line
        p.write(scratch / "out.atn")
        assert (scratch / "out.atn").read_bytes().split(b"\n")[1] == b"Someone else"


def test_a_pattern_made_from_arrays_has_the_files_limits():
    p = veloran.Pattern()
    assert p.e.dtype == np.float64 and p.e.shape == (360,) and not p.e.any()
    assert list(p.angles) == list(range(360)) and p.antenna_type == -1 and p.path is None
    assert len(p.e_date) == 10 and p.e_date[2] == "-" and len(p.e_time) == 8
    p.e[90] = 3.0  # the array views the pattern's own levels
    assert p.metrics()["e"]["peak_angle_deg"] == 90
    p.h = list(range(360))
    assert p.h[359] == 359.0
    bad = [
        (TypeError, "e", dict(e="360 levels")),
        (TypeError, "e", dict(e=object())),
        (ValueError, "shape (359,)", dict(e=np.zeros(359))),
        (ValueError, "shape (2, 360)", dict(h=np.zeros((2, 360)))),
        (ValueError, "180 degrees is not a finite", dict(e=np.where(np.arange(360) == 180, np.nan, 0))),
        (ValueError, "+-10000 dB", dict(h=np.full(360, 1e6))),
        (TypeError, "antenna_type", dict(antenna_type=1.5)),
        (TypeError, "antenna_type", dict(antenna_type=True)),
        (ValueError, "antenna_type", dict(antenna_type=2 ** 40)),
        (ValueError, "person", dict(person="x" * 21)),
        (ValueError, "person", dict(person="ÅÅÅÅÅÅÅÅÅÅÅ")),  # 22 bytes in UTF-8
        (ValueError, "person", dict(person="two\nlines")),
        (ValueError, "description", dict(description="y" * 10 ** 7)),
        (ValueError, "description", dict(description="a\0b")),
        (TypeError, "description", dict(description=None)),
        (ValueError, "e_date", dict(e_date="04-12-20055")),
        (ValueError, "h_time", dict(h_time="10:14:52\n")),
        (ValueError, "e_attenuation", dict(e_attenuation=float("nan"))),
        (TypeError, "h_attenuation", dict(h_attenuation="10")),
    ]
    for error, text, kwargs in bad:
        with pytest.raises(error, match=text.replace("(", r"\(").replace(")", r"\)").replace("+", r"\+")):
            veloran.Pattern(**kwargs)
    # Levels made non-finite through the view are refused before any use.
    p.e[7] = np.inf
    for call in (p.metrics, p.info, p.to_csv, p.write_msi, lambda: p.write("/nonexistent/x.atn")):
        with pytest.raises(ValueError, match="7 degrees"):
            call()


def test_a_failed_write_raises_oserror_and_leaves_no_file(sample_files, scratch):
    p = veloran.read(sample_files[0])
    with pytest.raises(OSError, match="folder"):
        p.write(scratch)
    with pytest.raises(OSError):
        p.write(scratch / "missing" / "x.atn")
    with pytest.raises(OSError):
        p.to_csv(scratch / "missing" / "x.csv")
    assert os.listdir(scratch) == []
    with pytest.raises(TypeError):
        p.write(None)
    with pytest.raises(ValueError, match="NUL"):
        p.write(str(scratch / "a\0b.atn"))


def broken_files(sample_files, scratch):
    good = sample_files[0].read_bytes()
    lines = good.split(b"\n")
    n = int(lines[0].split()[3])
    lines[n + 8] = b"not-a-level"  # an E level line
    files = {
        "empty.atn": b"",
        "binary.atn": b"3 0 0 0\n\0\0\0",
        "header.atn": b"three 0 0 0\n" + good.split(b"\n", 1)[1],
        "negative.atn": b"3 0 0 -2\n" + good.split(b"\n", 1)[1],
        "short.atn": good[: len(good) // 2],
        "level.atn": b"\n".join(lines),
        "broken.msi": b"NAME x\nHORIZONTAL 3\n0 0\n",
        "notes.txt": b"just some text\n",
    }
    paths = []
    for name, data in files.items():
        (scratch / name).write_bytes(data)
        paths.append(scratch / name)
    (scratch / "folder.atn").mkdir()
    return paths + [scratch / "folder.atn", scratch / "missing.atn"]


def test_refused_files_raise_pattern_error_with_atns_message(sample_files, scratch):
    paths = broken_files(sample_files, scratch)
    entries = atn_json("info", "--json", *paths)["files"]
    for path, entry in zip(paths, entries):
        with pytest.raises(veloran.PatternError) as caught:
            veloran.read(path)
        e = caught.value
        assert isinstance(e, ValueError)
        assert not entry["ok"] and e.reason == entry["error"], path
        assert e.path == str(path) and str(e) == "%s: %s" % (path, entry["error"])
        stderr = run_atn("info", path, check=False).stderr.decode()
        assert stderr == "atn: %s\n" % e, path


def mutations(data, rng, count):
    """Damaged copies of a file: cut, bytes changed, lines dropped or doubled."""
    out = []
    for _ in range(count):
        b = bytearray(data)
        kind = rng.randrange(5)
        if kind == 0 and b:
            del b[rng.randrange(len(b)):]
        elif kind == 1:
            for _ in range(rng.randrange(1, 8)):
                if b:
                    b[rng.randrange(len(b))] = rng.randrange(256)
        elif kind == 2:
            lines = bytes(b).split(b"\n")
            i = rng.randrange(len(lines))
            lines[i:i + 1] = [lines[i]] * rng.randrange(0, 3)
            b = bytearray(b"\n".join(lines))
        elif kind == 3:
            b[0:0] = rng.choice([b"-1 ", b"99999999999 ", b"\xff\xfe", b"1e308 "])
        else:
            b = bytearray(bytes(b).replace(b"\n", b"\r\n", rng.randrange(1, 400)))
        out.append(bytes(b))
    return out


def test_fuzz_corpus_and_its_mutations_read_or_raise_as_atn_does(scratch):
    seeds = sorted(p for p in FUZZ_CORPUS.glob("*/*") if p.is_file())
    assert seeds, "no fuzz corpus in %s" % FUZZ_CORPUS
    rng = random.Random(32)
    paths = []
    for seed in seeds:
        ext = seed.suffix or ".atn"
        for i, data in enumerate([seed.read_bytes()] + mutations(seed.read_bytes(), rng, 20)):
            path = scratch / ("%s-%02d%s" % (seed.stem, i, ext))
            path.write_bytes(data)
            paths.append(path)
    entries = atn_json("info", "--json", *paths)["files"]
    read = 0
    for path, entry in zip(paths, entries):
        try:
            p = veloran.read(path)
        except veloran.PatternError as e:
            assert not entry["ok"], "%s: atn reads it, Python says %s" % (path, e)
            assert e.reason == entry["error"], path
            continue
        assert entry["ok"], "%s: Python reads it, atn says %s" % (path, entry.get("error"))
        info = p.info()
        if entry["format"] == "msi":  # stamped when read, a second apart maybe
            for plane in "eh":
                assert len(info[plane]["date"]) == 10 and len(info[plane]["time"]) == 8
                for k in ("date", "time"):
                    entry[plane][k] = info[plane][k]
        assert_same_tree(entry, info, path.name)
        read += 1
    assert 0 < read < len(paths)


def test_exports_are_atn_exports_byte_for_byte(sample_files, generated, scratch):
    for f in sample_files + generated[:3]:
        p = veloran.read(f)
        assert p.to_csv() == run_atn("export", f, "-o", "-").stdout.decode()
        assert p.write_msi() == run_atn("export", f, "-f", "msi", "-o", "-").stdout.decode()
        assert p.write_msi(name="Horn 7", frequency=10000) == run_atn(
            "export", f, "-f", "msi", "--name", "Horn 7", "--frequency", "10000",
            "-o", "-").stdout.decode()
        assert p.to_csv(scratch / "x.csv") is None and p.write_msi(scratch / "x.msi") is None
        assert (scratch / "x.csv").read_text() == p.to_csv()
        assert (scratch / "x.msi").read_text() == p.write_msi()
    with pytest.raises(ValueError, match="frequency"):
        p.write_msi(frequency=-1)


def test_msi_files_read_as_atn_imports_them(scratch):
    for msi in sorted(FUZZ_CORPUS.glob("msi_read/*.msi")):
        run_atn("import", msi, "-o", scratch / "imported.atn")
        imported = veloran.read(scratch / "imported.atn")
        p = veloran.read_msi(msi)
        assert p.format == "msi" and veloran.read(msi).format == "msi"
        for field in ["antenna_type", "person", "description", "description_lines",
                      "e_attenuation", "h_attenuation"]:
            assert getattr(p, field) == getattr(imported, field), (msi, field)
        np.testing.assert_array_equal(as_written(p.e), imported.e)
        np.testing.assert_array_equal(as_written(p.h), imported.h)
        assert p.e_date == p.h_date and len(p.e_date) == 10
    with pytest.raises(veloran.PatternError, match="not an MSI antenna file"):
        veloran.read_msi(scratch / "imported.atn")
