#!/usr/bin/python3
"""Prints a JSON summary of a NetCDF day file as netCDF4 and xarray read it, for the C++ tests.

nc_summary.py FILE.nc [CSV MODE]: with a transposed "1nm" CSV export of the same day, also
compares spectral_irradiance with, per point, the CSV's "Merge" column (MODE merge; the first
model column when the point has no merge column) or its first model column (MODE first).
"""
import json
import math
import sys

import netCDF4
import numpy as np
import xarray as xr


def attrs(obj):
    out = {}
    for name in obj.ncattrs():
        value = obj.getncattr(name)
        value = value.tolist() if hasattr(value, "tolist") else value
        out[name] = "NaN" if isinstance(value, float) and math.isnan(value) else value
    return out


def csv_columns(path, mode):
    lines = [line.rstrip("\n").split(",")[:-1] for line in open(path, encoding="latin-1")]
    sensors = lines[3][1:]
    dates = lines[0][1:]
    groups, start = [], 0
    for i in range(1, len(dates) + 1):
        if i == len(dates) or dates[i] != "":
            groups.append(list(range(start, i)))
            start = i
    chosen = []
    for g in groups:
        names = [sensors[c] for c in g]
        if mode == "merge" and "Merge" in names:
            chosen.append(g[names.index("Merge")])
        else:
            chosen.append(g[0])
    rows = lines[8:]
    wavelengths = [float(r[0]) for r in rows]
    values = [[(float(r[c + 1]) if r[c + 1] != "" else math.nan) for r in rows] for c in chosen]
    return wavelengths, values


def compare(ds, csv, mode):
    wavelengths, columns = csv_columns(csv, mode)
    grid = ds.variables["wavelength"][:].tolist()
    spectrum = np.ma.filled(ds.variables["spectral_irradiance"][:].astype(float), np.nan)
    worst, compared, nan_mismatch = 0.0, 0, 0
    for j, column in enumerate(columns):
        for w, expected in zip(wavelengths, column):
            got = spectrum[j, grid.index(w)]
            if math.isnan(expected) or math.isnan(got):
                nan_mismatch += int(math.isnan(expected) != math.isnan(got))
                continue
            worst = max(worst, abs(got - expected) - 1e-6 * abs(expected))
            compared += 1
    return {"points": len(columns), "rows": len(wavelengths), "compared": compared,
            "worst": worst, "nan_mismatch": nan_mismatch}


def main():
    path = sys.argv[1]
    ds = netCDF4.Dataset(path)
    summary = {
        "format": ds.data_model,
        "global": attrs(ds),
        "dims": {name: len(d) for name, d in ds.dimensions.items()},
        "vars": {name: {"dims": list(v.dimensions), "dtype": str(v.dtype), "attrs": attrs(v),
                        "filters": v.filters() or {}, "chunks": v.chunking()}
                 for name, v in ds.variables.items()},
    }
    for name in ["integral_irradiance", "integral_covered_from", "integral_covered_to",
                 "solar_zenith_angle", "solar_azimuth_angle", "latitude", "longitude", "altitude",
                 "quality_flag", "exposure_time_SR101", "exposure_time_SR103",
                 "sensor_temperature_SR103", "supply_voltage_SR101", "sensor_cooling_SR103"]:
        if name in ds.variables:
            values = np.atleast_1d(np.ma.filled(ds.variables[name][:].astype(float), np.nan))
            summary[name] = [None if math.isnan(v) else v for v in values.tolist()]
    if "irradiance_SR101" in ds.variables:
        row = np.ma.filled(ds.variables["irradiance_SR101"][0, :].astype(float), np.nan)
        summary["irradiance_SR101_first"] = [None if math.isnan(v) else v for v in row[:8].tolist()]
    row = np.ma.filled(ds.variables["spectral_irradiance"][0, :].astype(float), np.nan)
    summary["spectral_first"] = [None if math.isnan(v) else v for v in row.tolist()]
    if len(sys.argv) > 3:
        summary["csv"] = compare(ds, sys.argv[2], sys.argv[3])
    ds.close()
    with xr.open_dataset(path) as x:
        seconds = x["time"].values.astype("datetime64[s]").astype("int64")
        summary["xarray_time"] = seconds.tolist()
        summary["xarray_coords"] = sorted(x["spectral_irradiance"].coords)
    print(json.dumps(summary))


if __name__ == "__main__":
    main()
