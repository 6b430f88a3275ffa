#!/usr/bin/env python3
"""End-to-end tests of tessory.exe under Wine, driven as a user would.

Starts the program in the tests' Wine prefix (a virtual desktop whose screen
coordinates are the X display's), opens a helper window of known content,
and drags the target icon onto it with the real pointer (xdotool). Then it
checks what a user would see: the clipboard's bitmap, the files in the
auto-save folder, the registry after the window closes.

The scenarios live in scenarios_*.py beside this file, one module per
concern; e2e_support.py holds what they share, their set-up and clean-up
with it, and e2e_desktop.py the desktop they drive.

    run_e2e.py BUILD_DIR [NAME...]   (the Windows build tree; needs $DISPLAY)

Names, when given, select the scenarios whose names contain one of them.
"""
import importlib
import os
import subprocess
import sys
from pathlib import Path

HERE = Path(__file__).resolve().parent
RETRIES = "e2e-retried.txt"  # in the build tree: the scenarios the last run passed only on a retry
os.environ["TESSORY_BUILD"] = str(Path(sys.argv[1]).resolve())
sys.path.insert(0, str(HERE))

import e2e_support as e2e  # noqa: E402  (needs TESSORY_BUILD)

for module in sorted(HERE.glob("scenarios_*.py")):
    importlib.import_module(module.stem)


def main():
    if not e2e.TESSORY.exists():
        print(f"{e2e.TESSORY} is missing")
        return 1
    wanted = sys.argv[2:]
    chosen = [f for f in e2e.TESTS if not wanted or any(w in f.__name__ for w in wanted)]
    # One wine server for the whole run, and its session's own processes
    # started here with no output attached: a process that the first Wine
    # program starts would otherwise inherit (and hold open) a probe's pipe.
    subprocess.run(["wineserver", "-p"], check=False)
    subprocess.run([e2e.WINE, str(e2e.PROBE), "reg-dump"], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                   timeout=120)
    passed = failed = 0
    retried = []
    for function in chosen:
        name = function.__name__
        # A desktop driven by synthetic input can lose an event under load:
        # a scenario that fails is run once more, and the first failure is shown.
        for attempt in (1, 2):
            try:
                function()
                passed += 1
                print(f"ok     {name}" + (" (second attempt)" if attempt == 2 else ""))
                if attempt == 2:
                    retried.append(name)
                break
            except Exception as error:  # a failing check or a helper that went wrong
                # A clean-up that fails too would hide the first failure: both are told.
                told = f"{error}" + (f"\n  (after: {error.__context__})" if error.__context__ else "")
                if attempt == 2:
                    failed += 1
                    print(f"FAILED {name}: {told}")
                else:
                    print(f"retry  {name}: {told}")
            finally:
                sys.stdout.flush()
    subprocess.run(["wineserver", "-k"], check=False)
    print(f"{passed} passed, {failed} failed")
    report_retries(retried)
    return 1 if failed or not passed else 0


def report_retries(retried):
    """Ends the output with the scenarios that passed only on their second
    attempt, and keeps them in the build tree (RETRIES), where the test
    command shows them and the next run compares: a scenario retried in two
    runs in a row is a fault, not a lost event."""
    record = Path(os.environ["TESSORY_BUILD"]) / RETRIES
    before = set(record.read_text().split()) if record.exists() else set()
    record.write_text("".join(f"{name}\n" for name in retried))
    again = [name for name in retried if name in before]
    if again:
        print(f"retried in this run and the one before, a fault to chase: {', '.join(again)}")
    print(f"passed only on a retry: {', '.join(retried) if retried else 'none'}")


if __name__ == "__main__":
    sys.exit(main())
