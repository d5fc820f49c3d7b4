#!/usr/bin/env python3
"""Designs every job file of a folder on a Dask distributed cluster.

Each wall is a design of its own, so the walls of a building, or the variants
of a parametric study, spread over the worker processes of a cluster: every
job is designed on one thread of one worker through the ostrel package, and
its results come back to this process.

    PYTHONPATH=python /usr/bin/python3 examples/dask_design_folder.py JOBS OUT \
        [--scheduler tcp://HOST:8786 | --workers N]

designs every JOBS/NAME.json and writes OUT/NAME.results.json, the results
JSON that `ostrel-design run` writes. Without --scheduler it starts a local
cluster of N worker processes (default 2). Every worker needs the ostrel
package and the library (installed, or PYTHONPATH and OSTREL_LIBRARY).
Needs Debian's python3-distributed.
"""

import argparse
import json
import sys
from functools import partial
from pathlib import Path
from typing import Dict

from distributed import Client, LocalCluster

import ostrel


def design_folder(client: Client, folder: Path) -> Dict[str, ostrel.Results]:
    """Designs every *.json file of ``folder`` on the cluster of ``client``.

    Returns the results by job name (the file's stem). A job that the library
    refuses raises its :class:`ostrel.DesignError` here.
    """
    paths = sorted(Path(folder).glob("*.json"))
    jobs = [json.loads(path.read_text()) for path in paths]
    # One thread per design: the cluster's workers are the parallelism.
    futures = client.map(partial(ostrel.design, threads=1), jobs,
                         key=[f"ostrel-design-{path.stem}" for path in paths])
    return dict(zip((path.stem for path in paths), client.gather(futures)))


def main() -> int:
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("jobs", type=Path, help="folder of job files (*.json)")
    parser.add_argument("out", type=Path, help="folder for the results files")
    parser.add_argument("--scheduler", help="address of a running Dask scheduler")
    parser.add_argument("--workers", type=int, default=2,
                        help="worker processes of the local cluster (default 2)")
    args = parser.parse_args()

    if args.scheduler:
        client = Client(args.scheduler)
    else:
        client = Client(LocalCluster(n_workers=args.workers, threads_per_worker=1,
                                     processes=True, dashboard_address=None))
    with client:
        results = design_folder(client, args.jobs)
    args.out.mkdir(parents=True, exist_ok=True)
    for name, result in results.items():
        (args.out / f"{name}.results.json").write_text(json.dumps(result.to_dict(), indent=1))
        failing = result.failures()
        print(f"{name}: {len(failing['plates'])} failing plates, "
              f"{len(failing['stiffeners'])} failing stiffeners")
    return 0


if __name__ == "__main__":
    sys.exit(main())
