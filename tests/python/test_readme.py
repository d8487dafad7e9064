"""The README's Python example runs as written (in a scratch folder that
sees the checkout's examples)."""

import os
import re
import subprocess
import sys
import unittest

import support

try:
    import pandas
except ImportError:
    pandas = None


@unittest.skipIf(pandas is None, "pandas is not installed (Debian: python3-pandas); the example uses it")
class ReadmeExample(unittest.TestCase):
    def test_the_example_runs(self):
        with open(os.path.join(support.SOURCE_DIR, "README.md"), encoding="utf-8") as readme:
            text = readme.read()
        section = text[text.index("\n## Python\n"):]
        code = re.search(r"```python\n(.*?)```", section, re.S).group(1)
        folder = support.TemporaryFolder(self)
        os.symlink(os.path.join(support.SOURCE_DIR, "examples"), folder.file("examples"))
        run = subprocess.run([sys.executable, "-c", code], cwd=folder.path, capture_output=True, text=True)
        self.assertEqual(run.returncode, 0, run.stderr)
        self.assertIn("class A:", run.stdout)
        self.assertTrue(os.path.getsize(folder.file("andesite-arai.png")) > 0)


if __name__ == "__main__":
    unittest.main()
