"""Compares the chart listings of the charts book before and after the
handheld document (see charts-roundtrip.sh).  Exits 1 on a difference.

Usage: charts_compare.py <original.listing> <back.listing>
"""
import sys


def read(path):
    """The charts in order: [sheet, class, title, categories, [values...]]."""
    charts = []
    with open(path, encoding="utf-8") as f:
        for line in f:
            fields = line.rstrip("\n").split("\t")
            if fields[0] == "chart":
                charts.append(fields[1:5] + [[]])
            elif fields[0] == "series":
                charts[-1][4].append((fields[2], fields[3]))
    return charts


def main(original_path, back_path):
    original, back = read(original_path), read(back_path)
    problems = []
    if len(original) != 3:
        problems.append("the original book has %d charts, not 3" % len(original))
    if len(back) != len(original):
        problems.append("%d charts came back of %d" % (len(back), len(original)))
    # Embedded charts are named "<sheet> Chart <n>", numbered on each sheet.
    numbers = {}
    for before, after in zip(original, back):
        numbers[before[0]] = numbers.get(before[0], 0) + 1
        sheet = "%s Chart %d" % (before[0], numbers[before[0]])
        if after[0] != sheet:
            problems.append("chart %s came back on sheet %r" % (sheet, after[0]))
        if after[1:4] != before[1:4]:
            problems.append("%s: type, title or categories %r became %r"
                            % (sheet, before[1:4], after[1:4]))
        values = [v for v, _ in before[4]]
        if [v for v, _ in after[4]] != values:
            problems.append("%s: values %r became %r" % (sheet, values, after[4]))
        if any(label for _, label in after[4]):
            problems.append("%s: series names came back: %r" % (sheet, after[4]))
        if not all(label for _, label in before[4]):
            problems.append("%s: the original series have no names to lose" % sheet)
    for problem in problems:
        print(problem)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1], sys.argv[2]))
