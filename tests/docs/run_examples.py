#!/usr/bin/python3
"""Runs the shell examples of the operator's manual, so the manual cannot drift from the programs.

Usage: run_examples.py DOCS_DIR SPECTREL_CLI SOLMET_SIM

Every fenced block whose info string is "sh" is run by bash (errexit, pipefail) in a fresh
temporary folder, with the folders of the two programs first on PATH and at most 60 s for the
block. Blocks marked "sh-pending" show commands that are not built yet: they are listed and
skipped. "console" and "text" blocks (service manager, udev, group changes, real sensors) are
never run.

Beside the examples, every man page in DOCS_DIR/man must render without warnings, every
subcommand and option that the programs' own --help shows must appear in their man page, and every
fixed event-log message and status text of the measurement control (English and Japanese) must be
listed, in double quotes, in the manual's messages page.
"""
import os
import re
import shutil
import signal
import subprocess
import sys
import tempfile
from pathlib import Path

BLOCK_TIMEOUT_S = 60
FENCE = re.compile(r"^(`{3,})\s*([A-Za-z0-9_-]*)\s*$")


def fenced_blocks(path):
    """Yields (info string, first line number of the body, body) of each fenced block."""
    lines = path.read_text(encoding="utf-8").splitlines()
    i = 0
    while i < len(lines):
        m = FENCE.match(lines[i])
        if not m:
            i += 1
            continue
        fence, info, start = m.group(1), m.group(2), i + 2
        body = []
        i += 1
        while i < len(lines) and lines[i].rstrip() != fence:
            body.append(lines[i])
            i += 1
        if i >= len(lines):
            raise SystemExit(f"{path}:{start - 1}: code block never closed")
        yield info, start, "\n".join(body) + "\n"
        i += 1


def run_block(body, env):
    """Runs one block in its own folder and process group; returns (exit code, output)."""
    with tempfile.TemporaryDirectory(prefix="spectrel-doc-") as folder:
        block_env = dict(env, HOME=folder, XDG_CONFIG_HOME=os.path.join(folder, ".config"))
        proc = subprocess.Popen(["bash", "-e", "-o", "pipefail", "-c", body], cwd=folder,
                                env=block_env, stdout=subprocess.PIPE, stderr=subprocess.STDOUT,
                                stdin=subprocess.DEVNULL, start_new_session=True)
        try:
            out, _ = proc.communicate(timeout=BLOCK_TIMEOUT_S)
            code = proc.returncode
        except subprocess.TimeoutExpired:
            os.killpg(proc.pid, signal.SIGKILL)
            out, _ = proc.communicate()
            return None, out.decode("utf-8", "replace")
        # A simulator a block left running must not outlive the block.
        try:
            os.killpg(proc.pid, signal.SIGKILL)
        except ProcessLookupError:
            pass
        return code, out.decode("utf-8", "replace")


def check_examples(docs, env):
    failures, ran, pending, hung = [], 0, [], False
    for path in sorted(docs.rglob("*.md")):
        for number, (info, line, body) in enumerate(fenced_blocks(path), start=1):
            where = f"{path.relative_to(docs.parent)}:{line} (block {number})"
            if info == "sh-pending":
                pending.append(where)
                print(f"SKIP  {where}: command not built yet")
                continue
            if info != "sh":
                continue
            if hung:
                # A program that hung once hangs again: one failure says it, minutes sooner.
                print(f"SKIP  {where}: an earlier example hung")
                continue
            ran += 1
            code, out = run_block(body, env)
            if code == 0:
                print(f"ok    {where}")
                continue
            hung = code is None
            why = "timed out after %d s" % BLOCK_TIMEOUT_S if hung else f"exit code {code}"
            failures.append(f"{where}: {why}\n--- block\n{body}--- output\n{out}")
            print(f"FAIL  {where}: {why}")
    if ran == 0:
        failures.append(f"{docs}: no runnable examples found")
    print(f"{ran} examples run, {len(pending)} pending")
    return failures


def check_man_pages(docs):
    failures = []
    pages = sorted((docs / "man").glob("*.1"))
    if not pages:
        return [f"{docs}/man: no man pages"]
    if shutil.which("groff") is None:
        print("SKIP  man page rendering: groff is not installed")
        return []
    for page in pages:
        run = subprocess.run(["groff", "-man", "-Tutf8", "-ww", "-z", str(page)],
                             capture_output=True, text=True)
        if run.returncode != 0 or run.stderr.strip():
            failures.append(f"{page}: does not render cleanly:\n{run.stderr}")
    return failures


def help_text(program, *args):
    run = subprocess.run([program, *args, "--help"], capture_output=True, text=True, timeout=30)
    return run.stdout + run.stderr


def subcommands(top_help):
    """Subcommand names: the first word of the indented lines of the top-level help."""
    names = []
    for line in top_help.splitlines():
        m = re.match(r"^ {2}([a-z][a-z-]+)\b", line)
        if m and m.group(1) not in names:
            names.append(m.group(1))
    return names


def check_man_covers_help(docs, cli, sim):
    failures = []
    cli_help = help_text(cli)
    texts = {"spectrel-cli.1": [cli_help] + [help_text(cli, c) for c in subcommands(cli_help)],
             "solmet-sim.1": [help_text(sim)]}
    for page, helps in texts.items():
        path = docs / "man" / page
        if not path.exists():
            failures.append(f"{path}: missing")
            continue
        # roff writes a minus of an option as "\-".
        man = path.read_text(encoding="utf-8").replace("\\-", "-")
        words = set()
        for text in helps:
            words.update(re.findall(r"(?<![\w-])--?[a-z][a-z0-9-]*", text))
        if page == "spectrel-cli.1":
            words.update(subcommands(cli_help))
        missing = sorted(w for w in words if not re.search(r"(?<![\w-])" + re.escape(w) + r"(?![\w-])", man))
        if missing:
            failures.append(f"{path}: does not mention {', '.join(missing)} shown by --help")
    return failures


def check_messages_listed(docs):
    """Every literal event-log message and every status text of the sources is in messages.md."""
    page = docs / "manual" / "messages.md"
    if not page.exists():
        return [f"{page}: missing"]
    listed = page.read_text(encoding="utf-8")
    src = docs.parent / "src"
    texts = set()
    for path in src.rglob("*.cpp"):
        texts.update(re.findall(r'WriteLog\("([^"]+)"\)', path.read_text(encoding="utf-8")))
    table = (src / "measure" / "status_texts.cpp").read_text(encoding="utf-8")
    for english, japanese in re.findall(r'\{\s*\w+,\s*"([^"]*)",\s*"([^"]*)"\s*\}', table):
        texts.update(t for t in (english, japanese) if t.strip())
    if len(texts) < 10:
        return [f"{src}: found only {len(texts)} messages; the patterns no longer match the sources"]
    missing = sorted(t for t in texts if f'"{t}"' not in listed)
    return [f"{page}: does not list " + ", ".join(f'"{t}"' for t in missing)] if missing else []


def main():
    if len(sys.argv) != 4:
        print(__doc__, file=sys.stderr)
        return 2
    docs = Path(sys.argv[1]).resolve()
    cli, sim = (str(Path(p).resolve()) for p in sys.argv[2:4])
    path = os.pathsep.join([str(Path(cli).parent), str(Path(sim).parent), os.environ.get("PATH", "")])
    env = dict(os.environ, PATH=path, LANG="C.UTF-8", LC_ALL="")
    env.pop("LC_MESSAGES", None)

    failures = (check_messages_listed(docs) + check_man_pages(docs) +
                check_man_covers_help(docs, cli, sim) + check_examples(docs, env))
    for failure in failures:
        print("\n" + failure, file=sys.stderr)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
