"""korvanes.analyze and korvanes.range_map give what `korvanes analyze --json`
gives, for the examples, generated specimens and every option."""

import json
import math
import subprocess
import unittest

import korvanes
import support


class AnalyzeEqualsCommandLine(unittest.TestCase):
    def setUp(self):
        self.folder = support.TemporaryFolder(self)

    def assert_same(self, path, cli_args, **options):
        expected = support.canonical(support.cli_json(path, *cli_args))
        result = korvanes.analyze(path, **options)
        self.assertEqual(support.canonical(result.to_dict()), expected)
        self.assertEqual(support.canonical(json.loads(result.to_json())), expected)

    def test_examples_with_each_option(self):
        criteria = self.folder.file("defaults.cri")
        subprocess.run([support.PROGRAM, "criteria", "write", criteria, "--defaults"], check=True,
                       capture_output=True)
        cases = [
            ([], {}),
            (["--range", "150", "450"], {"range": (150, 450)}),
            (["--coords", "geo"], {"coords": "geo"}),
            (["--coords", "bedding", "--only-z"], {"coords": "bedding", "only_z": True}),
            (["--labfield", "40.5"], {"labfield": 40.5}),
            (["--criteria", criteria, "--maximize-q"], {"criteria": criteria, "maximize_q": True}),
            (["--check-corrected"], {"check_corrected": True}),
            (["--include-check-correction"], {"include_check_correction": True}),
            (["--range-map", "--standard", "--criteria-set", "PICRIT03"],
             {"range_map": True, "standard": True, "criteria_set": "PICRIT03"}),
            (["--search-set", "CCRIT"], {"search_set": "CCRIT"}),
        ]
        for path in support.EXAMPLES:
            for cli_args, options in cases:
                with self.subTest(path=path, options=options):
                    self.assert_same(path, cli_args, **options)

    def test_generated_specimens(self):
        for steps, noise in ((6, 0.0), (12, 0.05), (30, 0.2)):
            with self.subTest(steps=steps, noise=noise):
                text = support.synthetic_specimen(steps=steps, noise=noise)
                path = self.folder.file("g%d.kvd" % steps, text)
                self.assert_same(path, [])
                # The same text given directly: the same analysis, without a path.
                from_text = korvanes.analyze(text).to_dict()
                from_path = korvanes.analyze(path).to_dict()
                for d in (from_text, from_path):
                    d.pop("file")
                    d["options"].pop("pathName")
                self.assertEqual(from_text, from_path)
                self.assertEqual(korvanes.analyze(text.encode()).to_dict()["result"],
                                 from_path["result"])

    def test_criteria_object_equals_its_file(self):
        criteria = korvanes.Criteria.defaults()
        criteria.class_a.min_n = 5
        criteria.maximize_q = True
        path = self.folder.file("edited.cri")
        criteria.write(path)
        self.assertEqual(korvanes.read_criteria(path), criteria)
        self.assertNotEqual(korvanes.Criteria(), criteria)
        for example in support.EXAMPLES:
            with self.subTest(example=example):
                self.assertEqual(support.canonical(korvanes.analyze(example, criteria=criteria).to_dict()),
                                 support.canonical(support.cli_json(example, "--criteria", path)))

    def test_attributes_are_the_dict_values(self):
        for path in support.EXAMPLES:
            r = korvanes.analyze(path)
            d = r.to_dict()["result"]
            with self.subTest(path=path):
                self.assertEqual((r.paleointensity, r.sigma, r.t_min, r.t_max, r.n, r.f, r.g),
                                 (d["paleointensity"], d["stdDev"], d["tMin"], d["tMax"], d["n"], d["f"], d["g"]))
                for name, key in (("q", "q"), ("w", "w")):
                    value = getattr(r, name)
                    self.assertEqual(value, d[key] if d[key] is not None else math.inf)
                self.assertEqual(r.result_class, d["resultClass"])
                self.assertEqual(r.standard_statistics, d["standardStatistics"])
                self.assertIn(r.specimen_name, repr(r))

    def test_range_map_is_the_json_range_map(self):
        path = support.EXAMPLES[1]
        expected = support.cli_json(path, "--range-map", "--criteria-set", "CCRIT")["rangeMap"]
        self.assertEqual(support.canonical(korvanes.range_map(path, criteria_set="CCRIT")),
                         support.canonical(expected))


if __name__ == "__main__":
    unittest.main()
