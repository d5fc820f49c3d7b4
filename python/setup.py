"""The ostrel Python package: pure Python over the OstrelDesignCSA94 library.

Installs offline with Debian's pip and setuptools (no build isolation is
needed: there is no pyproject.toml and nothing to compile):
    pip install ./python
"""
from setuptools import setup

setup(
    name="ostrel",
    version="1.0.0",
    description="Reinforcement design of reinforced-concrete walls to CSA A23.3-94 "
                "(ctypes face of libOstrelDesignCSA94)",
    packages=["ostrel"],
    package_data={"ostrel": ["py.typed"]},
    python_requires=">=3.9",
    extras_require={"numpy": ["numpy"], "dask": ["distributed"]},
)
