"""korvanes.plot draws what `korvanes plot` draws, byte for byte."""

import subprocess
import unittest

import korvanes
import support


def cli_picture(folder, path, kind, extension, *args):
    out = folder.file("cli-%s.%s" % (kind, extension))
    subprocess.run([support.PROGRAM, "plot", path, "--type", kind, "--out", out, *args], check=True,
                   capture_output=True)
    with open(out, "rb") as picture:
        return picture.read()


class Plot(unittest.TestCase):
    def setUp(self):
        self.folder = support.TemporaryFolder(self)

    def test_pictures_equal_the_command_lines(self):
        path = support.EXAMPLES[2]
        cases = [("arai", "svg", [], {}), ("all", "png", ["--size", "600x500"], {"size": (600, 500)}),
                 ("zijderveld", "emf", ["--coords", "geo"], {"coords": "geo"}),
                 ("rangemap", "svg", ["--range", "200", "500"], {"range": (200, 500)})]
        for kind, extension, cli_args, options in cases:
            with self.subTest(kind=kind, format=extension):
                expected = cli_picture(self.folder, path, kind, extension, *cli_args)
                size = options.pop("size", None)
                self.assertEqual(korvanes.plot(path, kind, format=extension, size=size, **options), expected)
                out = self.folder.file("py-%s.%s" % (kind, extension))
                result = korvanes.analyze(path, **options)
                self.assertIsNone(korvanes.plot(result, kind, path=out, size=size))
                with open(out, "rb") as written:
                    self.assertEqual(written.read(), expected)
        self.assertTrue(korvanes.plot(path, format="pdf").startswith(b"%PDF"))

    def test_a_result_shows_its_arai_diagram(self):
        result = korvanes.analyze(support.EXAMPLES[0])
        self.assertEqual(result._repr_svg_(), korvanes.plot(result).decode())

    def test_bad_arguments(self):
        path = support.EXAMPLES[0]
        cases = [(ValueError, {"kind": "pie"}), (ValueError, {"format": "gif"}), (ValueError, {"size": (0, 10)}),
                 (TypeError, {"size": "800x600"}), (ValueError, {"path": self.folder.file("x.gif")})]
        for error, arguments in cases:
            with self.subTest(arguments=arguments):
                self.assertRaises(error, korvanes.plot, path, **arguments)
        with self.assertRaises(OSError):
            korvanes.plot(path, path=self.folder.file("missing/folder/x.svg"))


if __name__ == "__main__":
    unittest.main()
