#!/usr/bin/python3
"""Checks the manual's Prometheus configuration and alert rules with promtool, and feeds the rules
a station that stops storing and a sensor that goes down.

Usage: check_prometheus_docs.py DOCS_DIR    (exit 77: promtool is not installed)
"""
import pathlib
import re
import shutil
import subprocess
import sys
import tempfile

# Interval 60 s; points stored every minute until 5m, then none. SR-103 measures until 2m, then
# not. The alerts must be quiet before and firing after.
RULE_TESTS = """
rule_files: [spectrel.rules.yml]
evaluation_interval: 1m
tests:
  - interval: 1m
    input_series:
      - series: 'spectrel_measuring_window_open{instance="roof"}'
        values: '1x15'
      - series: 'spectrel_interval_seconds{instance="roof"}'
        values: '60x15'
      - series: 'spectrel_measurement_started_timestamp_seconds{instance="roof"}'
        values: '0x15'
      - series: 'spectrel_measuring_window_opened_timestamp_seconds{instance="roof"}'
        values: '0x15'
      - series: 'spectrel_last_stored_point_timestamp_seconds{instance="roof"}'
        values: '0 60 120 180 240 300x10'
      - series: 'spectrel_sensor_up{instance="roof",model="SR-103"}'
        values: '1 1 1 0x12'
    alert_rule_test:
      - eval_time: 7m
        alertname: SpectrelNothingStored
      - eval_time: 10m
        alertname: SpectrelNothingStored
        exp_alerts:
          - exp_labels: {instance: roof, severity: critical}
            exp_annotations: {summary: "roof stored no point for two intervals"}
      - eval_time: 6m
        alertname: SpectrelSensorDown
      - eval_time: 10m
        alertname: SpectrelSensorDown
        exp_alerts:
          - exp_labels: {instance: roof, model: SR-103, severity: warning}
            exp_annotations: {summary: "roof: SR-103 did not measure for 5 minutes"}
"""


def yaml_blocks(page):
    return re.findall(r"^```yaml\n(.*?)^```", page.read_text(encoding="utf-8"), re.S | re.M)


def main():
    if len(sys.argv) != 2:
        print(__doc__, file=sys.stderr)
        return 2
    if shutil.which("promtool") is None:
        print("SKIP: promtool is not installed (Debian's prometheus package); the manual's rules are not checked")
        return 77
    blocks = yaml_blocks(pathlib.Path(sys.argv[1]) / "manual" / "web.md")
    config = [b for b in blocks if "scrape_configs:" in b]
    rules = [b for b in blocks if b.startswith("groups:")]
    if len(config) != 1 or len(rules) != 1:
        print("web.md: expected one scrape configuration and one rules block", file=sys.stderr)
        return 1
    with tempfile.TemporaryDirectory() as folder:
        f = pathlib.Path(folder)
        token = re.search(r"credentials_file: (\S+)", config[0]).group(1)
        (f / "prometheus.yml").write_text(config[0].replace(token, str(f / "token")))
        (f / "token").write_text("0123456789abcdef\n")
        (f / "spectrel.rules.yml").write_text(rules[0])
        (f / "tests.yml").write_text(RULE_TESTS)
        failed = 0
        for command in (["check", "config", "prometheus.yml"], ["check", "rules", "spectrel.rules.yml"],
                        ["test", "rules", "tests.yml"]):
            run = subprocess.run(["promtool", *command], cwd=folder, capture_output=True, text=True)
            print(" ".join(command), "->", run.returncode, run.stdout, run.stderr)
            failed |= run.returncode != 0
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
