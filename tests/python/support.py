"""What the module's tests share: the paths CTest hands over, the command
line's JSON for comparison, and generated data files."""

import json
import math
import os
import subprocess
import tempfile

SOURCE_DIR = os.environ["KORVANES_SOURCE_DIR"]
PROGRAM = os.environ["KORVANES_PROGRAM"]
MAGIC_DIR = os.environ.get("KORVANES_MAGIC_DATA_DIR", "")
EXAMPLES = [os.path.join(SOURCE_DIR, "examples", name)
            for name in ("basalt-mt1.kvd", "tuff-mt3.kvd", "andesite-mt4.kvd")]


def cli_json(*args):
    """`korvanes analyze ARGS --json` as a dict."""
    run = subprocess.run([PROGRAM, "analyze", *args, "--json"], capture_output=True, check=True)
    return json.loads(run.stdout)


def canonical(value):
    return json.dumps(value, sort_keys=True)


def magic_file(name):
    return os.path.join(MAGIC_DIR, name)


def have_magic():
    return bool(MAGIC_DIR) and os.path.isfile(magic_file("thermal-izzi-measurements.txt"))


def synthetic_specimen(steps=12, field=35.0, ancient=42.0, noise=0.0, seed=1):
    """The text of a data file of an MT1 experiment: NRM, then for each
    temperature a zero-field and an in-field step, a pTRM check after every
    third; a straight Arai line of slope ancient/field, disturbed by `noise`."""
    nrm0 = 2000.0
    temperatures = [100 + k * (480 // steps) for k in range(steps)]
    lines = ["Korvanes-kvd", "%g 0 0 0 0" % field, "G1\t20.00\t%.4E\t10.0\t45.0" % nrm0]
    state = seed
    for k, t in enumerate(temperatures):
        state = (state * 1103515245 + 12345) % 2**31
        wobble = 1.0 + noise * ((state / 2**31) - 0.5)
        fraction = (k + 1) / (steps + 1)
        nrm = nrm0 * (1.0 - fraction) * wobble
        ptrm = nrm0 * fraction * field / ancient
        lines.append("G1\t%d.00\t%.4E\t10.0\t45.0" % (t, nrm))
        # The in-field step: NRM left plus pTRM gained along the lab field (z).
        x = nrm * math.cos(math.radians(45)) * math.cos(math.radians(10))
        y = nrm * math.cos(math.radians(45)) * math.sin(math.radians(10))
        z = nrm * math.sin(math.radians(45)) + ptrm
        total = math.sqrt(x * x + y * y + z * z)
        lines.append("G1\t%d.11\t%.4E\t%.1f\t%.1f" % (t, total, math.degrees(math.atan2(y, x)),
                                                     math.degrees(math.asin(z / total))))
        if k % 3 == 2 and k > 0:
            lines.append("G1\t%d.12\t%.4E\t%.1f\t%.1f" % (temperatures[k - 2], total * 0.99,
                                                         math.degrees(math.atan2(y, x)),
                                                         math.degrees(math.asin(z / total))))
    return "\n".join(lines) + "\n"


class TemporaryFolder:
    """A folder removed at the end of the test case."""

    def __init__(self, case):
        self._dir = tempfile.TemporaryDirectory()
        case.addCleanup(self._dir.cleanup)
        self.path = self._dir.name

    def file(self, name, text=None):
        path = os.path.join(self.path, name)
        if text is not None:
            with open(path, "w", encoding="utf-8") as out:
                out.write(text)
        return path
