#!/usr/bin/python3
"""Analyses a network of stations' NetCDF day files on a dask cluster.

For every station (a folder of OUT/YYYY/YYYYMMDD.nc files written by `spectrel-cli export
--format netcdf`) the day files are opened lazily with xarray.open_mfdataset; dask.distributed
then computes

  * the daily integrals per station: the radiant exposure of each local day, the time integral of
    integral_irradiance (trapezoids between the day's points), in MJ m-2, with the day's mean
    integral irradiance, its number of points and how many of them cover only part of the
    integral range (quality flag integral_partial: a sensor was missing);
  * the monthly mean spectra per station: the mean of spectral_irradiance over each local month,
    per wavelength, ignoring the fill where no sensor covered a wavelength.

Local days and months follow the station's zone as the export applied it (the time variable's
station_time_zone). Days may hold different sensor sets: only the variables every day file has
are read.

Usage:
  archive_analysis.py STATION_FOLDER [STATION_FOLDER ...] --out RESULTS
                      [--scheduler tcp://HOST:8786] [--workers N]

With --scheduler the work goes to that running dask scheduler (its workers must see the same
files); without it a local cluster of N worker processes is started and stopped again.
Results: RESULTS/daily_integrals.csv and RESULTS/monthly_mean_spectra.nc.
"""
import argparse
import glob
import os
import re
import sys

import dask
import numpy as np
import pandas as pd
import xarray as xr
from dask.distributed import Client, LocalCluster


def station_files(folder):
    files = sorted(glob.glob(os.path.join(folder, "**", "*.nc"), recursive=True))
    if not files:
        raise SystemExit(f"archive_analysis.py: no .nc day files below {folder}")
    return files


# The variables the analysis reads; the per-sensor ones differ between days with other sensors.
ANALYSED = ["spectral_irradiance", "integral_irradiance", "quality_flag"]
INTEGRAL_PARTIAL = 128  # quality_flag bit: the integral misses part of its range


def open_station(folder):
    """All day files of one station as one dataset along time, backed by dask arrays."""
    ds = xr.open_mfdataset(station_files(folder), combine="nested", concat_dim="time",
                           preprocess=lambda day: day[ANALYSED],
                           data_vars="minimal", coords="minimal", compat="override",
                           chunks={"time": 256}, parallel=True)
    local = local_times(ds["time"])
    return ds.assign_coords(local_day=("time", local.floor("D")),
                            local_month=("time", local.strftime("%Y-%m")))


def local_times(time):
    """The station's clock at each point: UTC in the zone the export applied, an IANA name or a
    fixed offset such as "UTC+09:00"; older files give only the whole-hour "local_time_zone"."""
    utc = pd.DatetimeIndex(time.values).tz_localize("UTC")
    zone = time.attrs.get("station_time_zone", "")
    fixed = re.fullmatch(r"UTC(?:([+-])(\d\d):(\d\d))?", zone)
    if zone and not fixed:
        return utc.tz_convert(zone).tz_localize(None)
    if fixed and fixed.group(1):
        sign = -1 if fixed.group(1) == "-" else 1
        offset = pd.Timedelta(hours=int(fixed.group(2)), minutes=int(fixed.group(3))) * sign
    elif fixed:
        offset = pd.Timedelta(0)
    else:
        offset = pd.Timedelta(hours=int(time.attrs.get("local_time_zone", "0") or 0))
    return utc.tz_localize(None) + offset


def trapezoid_weights(times):
    """Seconds each point stands for within its local day: half the gaps to its neighbours."""
    t = pd.Series(times.values.astype("datetime64[ns]").astype("int64") / 1e9)
    day = pd.Series(times["local_day"].values)
    prev_gap = t.diff().where(day.eq(day.shift(1)), 0.0)
    next_gap = (-t.diff(-1)).where(day.eq(day.shift(-1)), 0.0)
    return xr.DataArray(((prev_gap + next_gap) / 2.0).to_numpy(), dims="time")


def daily_integrals(name, ds):
    e = ds["integral_irradiance"]
    weights = trapezoid_weights(ds["time"])
    exposure = (e.fillna(0.0) * weights).groupby("local_day").sum() / 1e6
    mean = e.groupby("local_day").mean()
    count = e.notnull().groupby("local_day").sum()
    partial = ((ds["quality_flag"] & INTEGRAL_PARTIAL) != 0).groupby("local_day").sum()
    exposure, mean, count, partial = dask.compute(exposure, mean, count, partial)
    return pd.DataFrame({
        "station": name,
        "date": pd.to_datetime(exposure["local_day"].values).strftime("%Y-%m-%d"),
        "radiant_exposure_MJ_m2": exposure.values,
        "mean_integral_W_m2": mean.values,
        "points": count.values.astype(int),
        "partial_points": partial.values.astype(int),
    })


def monthly_spectra(name, ds):
    mean = ds["spectral_irradiance"].groupby("local_month").mean("time", skipna=True)
    return mean.compute().expand_dims(station=[name]).rename(local_month="month")


def main(argv=None):
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("stations", nargs="+", help="one folder of .nc day files per station")
    parser.add_argument("--out", required=True, help="folder for the results")
    parser.add_argument("--scheduler", help="address of a running dask scheduler")
    parser.add_argument("--workers", type=int, default=2, help="local worker processes")
    args = parser.parse_args(argv)
    os.makedirs(args.out, exist_ok=True)

    if args.scheduler:
        client = Client(args.scheduler)
        cluster = None
    else:
        cluster = LocalCluster(n_workers=args.workers, threads_per_worker=1,
                               dashboard_address=None)
        client = Client(cluster)
    try:
        daily, spectra = [], []
        for folder in args.stations:
            ds = open_station(folder)
            name = ds.attrs.get("site_name") or os.path.basename(os.path.normpath(folder))
            daily.append(daily_integrals(name, ds))
            spectra.append(monthly_spectra(name, ds))
            ds.close()
        table = pd.concat(daily, ignore_index=True)
        table.to_csv(os.path.join(args.out, "daily_integrals.csv"), index=False)
        months = xr.concat(spectra, dim="station", join="outer")
        months.to_dataset(name="mean_spectral_irradiance").to_netcdf(
            os.path.join(args.out, "monthly_mean_spectra.nc"))
        print(table.to_string(index=False))
    finally:
        client.close()
        if cluster is not None:
            cluster.close()
    return 0


if __name__ == "__main__":
    sys.exit(main())
