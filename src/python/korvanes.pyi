"""Type stubs of the korvanes module (KorvanesTool for Python)."""

import os
from typing import Any, Iterable, Literal, Optional, Sequence, Tuple, Union

__version__: str

PathLike = Union[str, "os.PathLike[str]"]
Source = Union[PathLike, bytes, "Specimen"]

class Error(Exception): ...

class DataFileError(Error):
    file: Optional[str]
    warnings: list[Tuple[int, str]]
    lines: list[int]

class Thresholds:
    min_n: int
    max_slope_rel_std: float
    min_f: float
    min_q: int
    max_mad: int
    max_mad_free: int
    max_alpha: int
    max_ck_error: int
    max_ck_diff: int
    max_drat: int
    max_tail_star: int
    max_intensity_diff: int
    max_ac: int

class Criteria:
    class_a: Thresholds
    class_b: Thresholds
    maximize_q: bool
    allow_mt4_check_correction: bool
    equal_arai_scales: bool
    def __init__(self) -> None: ...
    @staticmethod
    def defaults() -> Criteria: ...
    def write(self, path: PathLike) -> None: ...
    def copy(self) -> Criteria: ...

class Specimen:
    @property
    def name(self) -> str: ...
    @property
    def source(self) -> str: ...
    @property
    def first_line(self) -> int: ...
    @property
    def lab_field(self) -> float: ...
    @property
    def notes(self) -> list[str]: ...
    @property
    def data(self) -> bytes: ...

class Result:
    def to_dict(self) -> dict[str, Any]: ...
    def to_json(self) -> str: ...
    @property
    def file(self) -> str: ...
    @property
    def specimen_name(self) -> str: ...
    @property
    def paleointensity(self) -> float: ...
    @property
    def sigma(self) -> float: ...
    @property
    def t_min(self) -> int: ...
    @property
    def t_max(self) -> int: ...
    @property
    def n(self) -> int: ...
    @property
    def slope(self) -> float: ...
    @property
    def f(self) -> float: ...
    @property
    def g(self) -> float: ...
    @property
    def q(self) -> float: ...
    @property
    def w(self) -> float: ...
    @property
    def mad_anchored(self) -> float: ...
    @property
    def mad_free(self) -> float: ...
    @property
    def alpha(self) -> float: ...
    @property
    def drat(self) -> float: ...
    @property
    def result_class(self) -> str: ...
    @property
    def method_type(self) -> str: ...
    @property
    def lab_field(self) -> float: ...
    @property
    def no_result_reason(self) -> str: ...
    @property
    def warnings(self) -> list[Tuple[int, str]]: ...
    @property
    def standard_statistics(self) -> dict[str, Union[int, float, bool]]: ...
    def _repr_svg_(self) -> str: ...

def analyze(
    path_or_text: Source,
    *,
    range: Optional[Tuple[int, int]] = None,
    coords: Literal["core", "geo", "bedding"] = "core",
    labfield: Optional[float] = None,
    criteria: Union[Criteria, PathLike, None] = None,
    only_z: bool = False,
    check_corrected: bool = False,
    include_check_correction: bool = False,
    maximize_q: bool = False,
    range_map: bool = False,
    standard: bool = False,
    criteria_set: Optional[PathLike] = None,
    search_set: Optional[PathLike] = None,
    specimen: Optional[str] = None,
    samples: Optional[PathLike] = None,
    sites: Optional[PathLike] = None,
) -> Result: ...

def range_map(
    path_or_text: Source,
    *,
    range: Optional[Tuple[int, int]] = None,
    coords: Literal["core", "geo", "bedding"] = "core",
    labfield: Optional[float] = None,
    criteria: Union[Criteria, PathLike, None] = None,
    only_z: bool = False,
    check_corrected: bool = False,
    include_check_correction: bool = False,
    maximize_q: bool = False,
    standard: bool = False,
    criteria_set: Optional[PathLike] = None,
    search_set: Optional[PathLike] = None,
    specimen: Optional[str] = None,
    samples: Optional[PathLike] = None,
    sites: Optional[PathLike] = None,
) -> dict[str, Any]: ...

def batch(
    paths_or_specimens: Iterable[Source],
    *,
    jobs: Optional[int] = None,
    errors: Literal["raise", "skip"] = "raise",
    range: Optional[Tuple[int, int]] = None,
    coords: Literal["core", "geo", "bedding"] = "core",
    labfield: Optional[float] = None,
    criteria: Union[Criteria, PathLike, None] = None,
    only_z: bool = False,
    check_corrected: bool = False,
    include_check_correction: bool = False,
    maximize_q: bool = False,
    range_map: bool = False,
    standard: bool = False,
    criteria_set: Optional[PathLike] = None,
    search_set: Optional[PathLike] = None,
    samples: Optional[PathLike] = None,
    sites: Optional[PathLike] = None,
) -> list[Result]: ...

def import_magic(path: PathLike, samples: Optional[PathLike] = None,
                 sites: Optional[PathLike] = None) -> list[Specimen]: ...
def read_criteria(path: PathLike) -> Criteria: ...
def to_dataframe(results: Iterable[Result]) -> Any: ...
def plot(
    result_or_path: Union[Result, Source],
    kind: Literal["arai", "zijderveld", "decay", "additional", "all", "rangemap"] = "arai",
    *,
    path: Optional[PathLike] = None,
    format: Optional[Literal["svg", "png", "pdf", "emf"]] = None,
    size: Optional[Tuple[int, int]] = None,
    **options: Any,
) -> Optional[bytes]: ...
