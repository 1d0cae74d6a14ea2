#!/usr/bin/env python3
"""Counts the tests a configuration passed and ran, for the gate's summary.

  count-tests.py <ctest-junit.xml> [<wine-reports folder>]

Prints "passed run". A CTest test that was skipped or not run counts as
neither. Under wine each test program is one CTest test: its GoogleTest
report (<name>.xml in the reports folder) counts its cases instead, and a
program that failed without a report counts as one test run and not passed.
"""
import os
import sys
import xml.etree.ElementTree as ET


def gtest_counts(path):
    passed = run = 0
    for case in ET.parse(path).getroot().iter("testcase"):
        if case.get("status", "run") != "run" or case.find("skipped") is not None:
            continue  # disabled or skipped: not run
        if case.get("result") == "skipped":
            continue
        run += 1
        if case.find("failure") is None and case.find("error") is None:
            passed += 1
    return passed, run


def main():
    junit = sys.argv[1]
    reports = sys.argv[2] if len(sys.argv) > 2 else ""
    passed = run = 0
    for case in ET.parse(junit).getroot().iter("testcase"):
        status = case.get("status")
        if status not in ("run", "fail") or case.find("skipped") is not None:
            continue
        ok = status == "run" and case.find("failure") is None
        report = os.path.join(reports, case.get("name", "") + ".xml") if reports else ""
        if report and os.path.isfile(report) and os.path.getsize(report) > 0:
            try:
                p, r = gtest_counts(report)
            except ET.ParseError:
                p, r = 0, 1
            if not ok:
                p = min(p, r - 1) if r > 0 else 0
                r = max(r, 1)
            passed += p
            run += r
        else:
            run += 1
            passed += 1 if ok else 0
    print(passed, run)


if __name__ == "__main__":
    main()
