#!/usr/bin/env bash
# Compiles every source under src/, tests/, fuzz/ and bench/ for Windows (MinGW-w64, C++17, syntax
# only) against the Qt 6 headers, so that the Windows branches (Q_OS_WIN, set by Qt from the
# compiler's _WIN32) are compiled too. Each source gets the include folders and definitions of its
# Linux compile command (the build's compile_commands.json, which also points at the generated moc
# files). It proves the Windows code compiles without a Windows Qt; tools/windows-build.sh builds it.
# Usage: tools/windows-check.sh [BUILD_DIR]   (a configured and built tree; default build)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
cxx=x86_64-w64-mingw32-g++-posix
command -v "$cxx" >/dev/null || { echo "windows-check: $cxx not found (tools/setup-deps.sh installs it)" >&2; exit 1; }
[ -f "$build/compile_commands.json" ] || { echo "windows-check: no $build/compile_commands.json" >&2; exit 1; }

exec python3 - "$cxx" "$build/compile_commands.json" <<'EOF'
import concurrent.futures, json, os, shlex, subprocess, sys

cxx, database = sys.argv[1], sys.argv[2]
root = os.getcwd()
# What a Qt build for Windows defines itself; warnings count as in the Linux build.
common = ["-std=c++17", "-fsyntax-only", "-Wall", "-Wextra", "-Werror", "-DUNICODE", "-D_UNICODE",
          "-DQT_NO_VERSION_TAGGING", '-DSW_STAND_IN_UPDATER="stand_in_updater.exe"']
folders = ("src", "tests", "fuzz", "bench")

commands = {}
for entry in json.load(open(database)):
    path = os.path.realpath(os.path.join(entry["directory"], entry["file"]))
    rel = os.path.relpath(path, root)
    if not rel.startswith(tuple(f + os.sep for f in folders)) or rel in commands:
        continue
    args = entry.get("arguments") or shlex.split(entry["command"])
    flags, i = [], 0
    while i < len(args):
        a = args[i]
        if a in ("-I", "-isystem", "-D"):
            flags += [a, args[i + 1]]
            i += 1
        elif a.startswith(("-I", "-D")):
            flags.append(a)
        i += 1
    commands[rel] = [cxx] + common + flags + [path]

# The stand-in updater is a Windows program without Qt, built only there.
for d, _, files in os.walk(os.path.join("tests", "standin")):
    for f in files:
        if f.endswith(".cpp"):
            commands[os.path.join(d, f)] = [cxx] + common + ["-municode", os.path.join(root, d, f)]

sources = sorted(os.path.relpath(os.path.join(d, f), root)
                 for folder in folders for d, _, files in os.walk(folder) for f in files if f.endswith(".cpp"))
missing = [s for s in sources if s not in commands]
if missing:
    sys.exit("windows-check: not in the build's compile commands (re-run cmake): " + " ".join(missing))

def check(source):
    run = subprocess.run(commands[source], cwd=root, capture_output=True, text=True)
    return source, run.returncode, run.stderr

failed = []
# Two compilers at a time at most: the machine is shared.
with concurrent.futures.ThreadPoolExecutor(max_workers=2) as pool:
    for source, code, errors in pool.map(check, sources):
        if code != 0:
            failed.append(source)
            sys.stderr.write(errors)
if failed:
    sys.exit("windows-check: %d of %d sources do not compile for Windows: %s"
             % (len(failed), len(sources), " ".join(failed)))
print("windows-check: all %d sources under %s compile for Windows" % (len(sources), ", ".join(folders)))
EOF
