"""Failures raise DataFileError with the command line's message, bad
arguments TypeError or ValueError."""

import os
import subprocess
import unittest

import korvanes
import support


def cli_error(*args):
    run = subprocess.run([support.PROGRAM, "analyze", *args], capture_output=True, text=True)
    prefix = "korvanes: "
    first = run.stderr.splitlines()[0]
    assert first.startswith(prefix), run.stderr
    return run.returncode, first[len(prefix):]


class Errors(unittest.TestCase):
    def setUp(self):
        self.folder = support.TemporaryFolder(self)

    def test_unreadable_files_have_the_command_lines_message(self):
        missing = self.folder.file("missing.kvd")
        not_criteria = self.folder.file("not.cri", "hello")
        cases = [
            ([missing], {"path_or_text": missing}),
            ([support.EXAMPLES[0], "--criteria", not_criteria],
             {"path_or_text": support.EXAMPLES[0], "criteria": not_criteria}),
            ([self.folder.path], {"path_or_text": self.folder.path}),
            ([support.EXAMPLES[0], "--criteria-set", missing],
             {"path_or_text": support.EXAMPLES[0], "criteria_set": missing}),
        ]
        for cli_args, call in cases:
            with self.subTest(args=cli_args):
                status, message = cli_error(*cli_args)
                self.assertEqual(status, 2)
                source = call.pop("path_or_text")
                with self.assertRaises(korvanes.DataFileError) as caught:
                    korvanes.analyze(source, **call)
                self.assertEqual(str(caught.exception).replace("criteria_set", "--criteria-set"), message)
                self.assertIsInstance(caught.exception, korvanes.Error)

    def test_warnings_carry_their_line_numbers(self):
        lines = support.synthetic_specimen(steps=8).splitlines()
        lines.insert(5, "G1\tnot a number\t1\t2\t3")
        path = self.folder.file("warned.kvd", "\n".join(lines) + "\n")
        result = korvanes.analyze(path)
        self.assertTrue(result.warnings)
        self.assertEqual([w["line"] for w in support.cli_json(path)["warnings"]],
                         [line for line, _ in result.warnings])

    def test_bad_arguments(self):
        example = support.EXAMPLES[0]
        cases = [
            (TypeError, {"range": 150}),
            (TypeError, {"range": (150.5, 300)}),
            (ValueError, {"range": (450, 150)}),
            (ValueError, {"coords": "sky"}),
            (TypeError, {"coords": 1}),
            (ValueError, {"labfield": -3}),
            (ValueError, {"labfield": float("nan")}),
            (TypeError, {"labfield": "35"}),
            (TypeError, {"only_z": 1}),
            (TypeError, {"criteria": 3}),
            (TypeError, {"colour": True}),
            (ValueError, {"standard": True}),
            (ValueError, {"search_set": "CCRIT", "range": (100, 300)}),
            (ValueError, {"specimen": "x"}),
        ]
        for error, options in cases:
            with self.subTest(options=options):
                self.assertRaises(error, korvanes.analyze, example, **options)
        self.assertRaises(TypeError, korvanes.analyze, 42)
        self.assertRaises(TypeError, korvanes.batch, [support.EXAMPLES[0]], jobs="2")
        self.assertRaises(ValueError, korvanes.batch, [support.EXAMPLES[0]], jobs=0)
        with self.assertRaises(ValueError) as caught:
            korvanes.analyze(example, range=(450, 150))
        self.assertEqual(str(caught.exception),
                         "Check your temperature range ! (range 450 150: the lower end is above the upper end)")

    def test_docstrings(self):
        for function in (korvanes.analyze, korvanes.batch, korvanes.range_map, korvanes.import_magic,
                         korvanes.read_criteria, korvanes.to_dataframe, korvanes.plot):
            with self.subTest(function=function.__name__):
                self.assertIn(function.__name__ + "(", function.__doc__)
        stub = os.path.join(os.path.dirname(korvanes.__file__), "korvanes.pyi")
        self.assertTrue(os.path.isfile(stub))


if __name__ == "__main__":
    unittest.main()
