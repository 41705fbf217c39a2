#!/usr/bin/env python3
"""make lint: the code's format, and clang-tidy over the game's sources.

The build itself (warnings as errors, tests included) is make lint's first
step; this script does the rest:

  lint.py BUILD_DIR

- every tracked .cpp and .h is as clang-format writes it;
- clang-tidy, with the checks of .clang-tidy, passes on every source of the
  game and its tools (core, shell, screens, tools, assets, main.cpp), and on
  every header they include from the project;
- the layers hold: core includes nothing from shell/, screens/ or Qt, shell
  nothing from screens/, and no screen mode includes another's files.

clang-tidy runs only where something changed since it last passed: a source
is checked again when its object file (rebuilt whenever the source or a
header it includes changes) or .clang-tidy is newer than its stamp in
BUILD_DIR/tidy. A fresh build dir checks everything once.
"""

import concurrent.futures
import hashlib
import json
import os
import re
import shlex
import subprocess
import sys
import time

CHECKED = ("core/", "shell/", "screens/", "tools/", "assets/", "main.cpp")


def tracked_sources():
    out = subprocess.run(["git", "ls-files", "*.cpp", "*.h"], check=True,
                         capture_output=True, text=True).stdout
    return [line for line in out.splitlines() if line]


def check_format():
    files = tracked_sources()
    result = subprocess.run(["clang-format", "--dry-run", "--Werror", *files],
                            capture_output=True, text=True)
    if result.returncode != 0:
        sys.stderr.write(result.stderr)
        sys.stderr.write("lint: not as clang-format writes it (clang-format -i the files above)\n")
        return False
    print(f"lint: format of {len(files)} files ok")
    return True


INCLUDE = re.compile(r'^\s*#\s*include\s*([<"])([^>"]+)[>"]')

# What a folder may not include: a quoted include's path from the root, or a
# system include's name. Screen modes are checked against each other below.
FORBIDDEN = {
    "core/": (("shell/", "screens/", "tools/", "tests/", "assets/"), ("Q",)),
    "shell/": (("screens/", "tools/", "tests/"), ()),
}


def layering_faults(path, text):
    faults = []
    mode = None
    if path.startswith("screens/") and path.count("/") >= 2:
        mode = path.split("/")[1]
    rules = next((rule for prefix, rule in FORBIDDEN.items() if path.startswith(prefix)), None)
    for number, line in enumerate(text.splitlines(), 1):
        match = INCLUDE.match(line)
        if not match:
            continue
        quoted, name = match.group(1) == '"', match.group(2)
        where = f"{path}:{number}: includes {name}"
        if rules:
            folders, system = rules
            if quoted and name.startswith(folders):
                faults.append(where + " (a lower layer includes a higher one)")
            if not quoted and name.startswith(system):
                faults.append(where + " (core is plain C++: no Qt)")
        if mode and quoted and name.startswith("screens/") and name.count("/") >= 2:
            other = name.split("/")[1]
            if other != mode:
                faults.append(where + f" (the {mode} screens include the {other} screens')")
    return faults


def check_layering():
    faults = []
    for path in tracked_sources():
        with open(path, encoding="utf-8") as f:
            faults += layering_faults(path, f.read())
    for fault in faults:
        print("lint: " + fault)
    if not faults:
        print("lint: layering ok (core, shell, screens)")
    return not faults


def object_of(entry):
    args = shlex.split(entry["command"])
    if "-o" in args:
        return os.path.join(entry["directory"], args[args.index("-o") + 1])
    return None


def tidy_jobs(build, root):
    with open(os.path.join(build, "compile_commands.json")) as f:
        entries = json.load(f)
    config = max(os.path.getmtime(os.path.join(root, name))
                 for name in (".clang-tidy", "core/.clang-tidy"))
    stamps = os.path.join(build, "tidy")
    os.makedirs(stamps, exist_ok=True)
    jobs = []
    for entry in entries:
        source = os.path.relpath(entry["file"], root)
        if not source.startswith(CHECKED):
            continue
        stamp = os.path.join(stamps, hashlib.sha1(source.encode()).hexdigest() + ".ok")
        obj = object_of(entry)
        newest = max(config, os.path.getmtime(obj) if obj and os.path.exists(obj) else time.time())
        if os.path.exists(stamp) and os.path.getmtime(stamp) >= newest:
            continue
        jobs.append((source, stamp))
    return jobs, len([e for e in entries if os.path.relpath(e["file"], root).startswith(CHECKED)])


def run_tidy(build, source, stamp):
    result = subprocess.run(["clang-tidy", "-p", build, "--quiet", source],
                            capture_output=True, text=True)
    if result.returncode == 0:
        with open(stamp, "w"):
            pass
    return source, result.returncode, result.stdout


def check_tidy(build, root):
    started = time.monotonic()
    jobs, total = tidy_jobs(build, root)
    failed = []
    with concurrent.futures.ThreadPoolExecutor(max_workers=os.cpu_count() or 2) as pool:
        for source, code, output in pool.map(lambda job: run_tidy(build, *job), jobs):
            if code != 0:
                failed.append(source)
                sys.stdout.write(output)
    seconds = time.monotonic() - started
    print(f"lint: clang-tidy checked {len(jobs)} of {total} sources in {seconds:.0f} s"
          f" ({total - len(jobs)} unchanged since they last passed)")
    if failed:
        print("lint: clang-tidy found faults in " + ", ".join(failed))
    return not failed


def main():
    build = os.path.abspath(sys.argv[1] if len(sys.argv) > 1 else "build")
    root = subprocess.run(["git", "rev-parse", "--show-toplevel"], check=True,
                          capture_output=True, text=True).stdout.strip()
    os.chdir(root)
    ok = check_format()
    ok = check_layering() and ok
    ok = check_tidy(build, root) and ok
    sys.exit(0 if ok else 1)


if __name__ == "__main__":
    main()
