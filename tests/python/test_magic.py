"""MagIC measurements imported in memory analyse as `korvanes analyze
TABLE --specimen NAME` analyses them."""

import unittest
import warnings

import korvanes
import support


@unittest.skipUnless(support.have_magic(), "the published MagIC files (../shared/magic) are absent")
class MagicInMemory(unittest.TestCase):
    def test_specimens_analyse_as_the_command_line(self):
        cases = [
            ("thermal-izzi-measurements.txt", None, 3),
            ("zi-tails-magic_measurements.txt", "zi-tails-er_samples_orient.txt", 2),
        ]
        for table, samples, count in cases:
            path = support.magic_file(table)
            samples_path = support.magic_file(samples) if samples else None
            with warnings.catch_warnings():
                warnings.simplefilter("ignore")
                specimens = korvanes.import_magic(path, samples=samples_path)
            self.assertTrue(specimens)
            extra = ["--samples", samples_path] if samples else []
            for specimen in specimens[:count]:
                with self.subTest(table=table, specimen=specimen.name):
                    expected = support.canonical(support.cli_json(path, "--specimen", specimen.name, *extra))
                    if samples:
                        # Orientation comes with the import, so geographic coordinates mean something.
                        self.assertEqual(support.canonical(korvanes.analyze(specimen).to_dict()), expected)
                    else:
                        self.assertEqual(support.canonical(korvanes.analyze(specimen).to_dict()), expected)
                        self.assertEqual(
                            support.canonical(korvanes.analyze(path, specimen=specimen.name).to_dict()), expected)
                    self.assertTrue(specimen.data.startswith(b"Korvanes-kvd"))

    def test_a_table_with_several_specimens_needs_one_named(self):
        with self.assertRaises(ValueError) as caught:
            korvanes.analyze(support.magic_file("thermal-izzi-measurements.txt"))
        self.assertIn("name the specimen with specimen=", str(caught.exception))
        with self.assertRaises(korvanes.DataFileError):
            korvanes.import_magic(support.EXAMPLES[0])


if __name__ == "__main__":
    unittest.main()
