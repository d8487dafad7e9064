"""korvanes.batch: the results of analyze in the order given, on several
threads with the GIL released; to_dataframe's columns and types."""

import os
import threading
import time
import unittest

import korvanes
import support

try:
    import pandas
except ImportError:
    pandas = None


class Batch(unittest.TestCase):
    def setUp(self):
        self.folder = support.TemporaryFolder(self)
        self.paths = support.EXAMPLES + [
            self.folder.file("g%d.kvd" % k, support.synthetic_specimen(steps=6 + k, noise=0.02 * k))
            for k in range(5)]

    def test_batch_equals_one_by_one_in_order(self):
        expected = [korvanes.analyze(p, coords="geo").to_dict() for p in self.paths]
        for jobs in (1, 3):
            with self.subTest(jobs=jobs):
                results = korvanes.batch(self.paths * 3, jobs=jobs, coords="geo")
                self.assertEqual([r.to_dict() for r in results], expected * 3)

    def test_failures_raise_or_are_skipped(self):
        missing = self.folder.file("missing.kvd")
        with self.assertRaises(korvanes.DataFileError):
            korvanes.batch([self.paths[0], missing])
        self.assertEqual([r.file for r in korvanes.batch([missing, self.paths[0]], errors="skip")],
                         [self.paths[0]])

    def test_the_gil_is_released_while_a_batch_runs(self):
        # A Python thread keeps counting while the batch runs on one worker:
        # with the GIL held it could not count at all until the batch ended.
        counts = []
        stop = threading.Event()

        def count():
            n = 0
            while not stop.is_set():
                n += 1
                if n % 1000 == 0:
                    counts.append(n)
                    time.sleep(0)

        thread = threading.Thread(target=count)
        thread.start()
        try:
            before = len(counts)
            started = time.monotonic()
            korvanes.batch(self.paths * 40, jobs=1, range_map=True)
            elapsed = time.monotonic() - started
            during = len(counts) - before
        finally:
            stop.set()
            thread.join()
        self.assertGreater(elapsed, 0)
        self.assertGreater(during, 0)

    @unittest.skipIf(pandas is None, "pandas is not installed (Debian: python3-pandas)")
    def test_dataframe_columns_and_types(self):
        results = korvanes.batch(self.paths)
        frame = korvanes.to_dataframe(results)
        header = "Name\tLabfield\tPaleoint\tStddev\tTmin\tTmax\tN\tslope\tStd/slope\tf\tg\tq\tw\tTRM\tNRMt\t" \
                 "Inc anchored\tDec anchored\tMad anchored\tInc free\tDec free\tMad free\tAlpha\tCoordinates\t" \
                 "Type\tClass\tCK-error\tCK-diff\tDrat\td(t*)\td(TR)\td(AC)"
        self.assertEqual(list(frame.columns), ["File"] + header.split("\t"))
        self.assertEqual(len(frame), len(self.paths))
        kinds = {name: frame[name].dtype.kind for name in frame.columns}
        self.assertEqual({n for n, k in kinds.items() if k == "O"}, {"File", "Name", "Coordinates", "Type", "Class"})
        self.assertEqual({n for n, k in kinds.items() if k == "i"}, {"Tmin", "Tmax", "N"})
        self.assertEqual(frame["Paleoint"].tolist(), [r.paleointensity for r in results])
        self.assertEqual(frame["Class"].tolist(), [r.result_class for r in results])

    def test_dataframe_without_pandas_says_so(self):
        if pandas is not None:
            self.skipTest("pandas is installed")
        with self.assertRaisesRegex(ImportError, "pandas"):
            korvanes.to_dataframe([])


if __name__ == "__main__":
    unittest.main()
