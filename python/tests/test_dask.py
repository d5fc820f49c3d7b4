"""The Dask example on a local cluster of two worker processes."""

import copy
import json
import runpy
import tempfile
import types
import unittest
from pathlib import Path

import ostrel

try:
    from distributed import Client, LocalCluster
except ImportError:  # the test command's bootstrap installs python3-distributed
    Client = None

EXAMPLES = Path(__file__).resolve().parents[2] / "examples"


def load_example():
    # Run as a file, not imported: the worker processes then receive its
    # functions by value, as they would a user's own script's.
    namespace = runpy.run_path(str(EXAMPLES / "dask_design_folder.py"),
                               run_name="dask_design_folder")
    return types.SimpleNamespace(**namespace)


@unittest.skipIf(Client is None, "python3-distributed is not installed")
class DaskFolderTest(unittest.TestCase):
    def test_two_worker_processes_give_the_one_process_results(self):
        example = load_example()
        with tempfile.TemporaryDirectory() as tmp:
            folder = Path(tmp)
            jobs = {name: json.loads((EXAMPLES / f"{name}.json").read_text())
                    for name in ("wall_si", "wall_us")}
            # A small parametric study: the SI wall at four concrete strengths.
            for fc in (25, 30, 35, 40):
                variant = copy.deepcopy(jobs["wall_si"])
                for element in variant["plates"] + variant["stiffeners"]:
                    element["f_fc"] = fc
                jobs[f"wall_si_fc{fc}"] = variant
            for name, job in jobs.items():
                (folder / f"{name}.json").write_text(json.dumps(job))

            with LocalCluster(n_workers=2, threads_per_worker=1, processes=True,
                              dashboard_address=None) as cluster, Client(cluster) as client:
                distributed = example.design_folder(client, folder)

        self.assertEqual(sorted(distributed), sorted(jobs))
        for name, job in jobs.items():
            with self.subTest(job=name):
                self.assertEqual(distributed[name].to_dict(),
                                 ostrel.design(job, threads=1).to_dict())


if __name__ == "__main__":
    unittest.main()
