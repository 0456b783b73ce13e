"""Compares the listings of the names-and-arrays book before and after the
handheld document (see names-arrays-roundtrip.sh).  Exits 1 on a difference.

Usage: names_arrays_compare.py <original.listing> <back.listing>
"""
import sys

NAMES = ("Rate", "Prices", "Ten")


def read(path):
    cells, names, arrays = {}, [], []
    with open(path, encoding="utf-8") as f:
        for line in f:
            fields = line.rstrip("\n").split("\t")
            if fields[0] == "cell":
                cells[(fields[1], int(fields[2]), int(fields[3]))] = (fields[5], fields[6])
            elif fields[0] == "name":
                names.append(fields[1:])
            elif fields[0] == "array":
                arrays.append(fields[1:])
    return cells, names, arrays


def main(original_path, back_path):
    original, names, arrays = read(original_path)
    back, back_names, back_arrays = read(back_path)
    problems = []
    if not names or not arrays:
        problems.append("the original book has no names or no arrays: nothing is tested")
    if back_names or back_arrays:
        problems.append("names or arrays came back: %r %r" % (back_names, back_arrays))
    # Each cell an array covered holds the array's formula as an ordinary one.
    covered = {}
    for sheet, row, col, rows, cols in arrays:
        anchor = original[(sheet, int(row), int(col))][1]
        for r in range(int(row), int(row) + int(rows)):
            for c in range(int(col), int(col) + int(cols)):
                covered[(sheet, r, c)] = anchor
    for key, (value, formula) in sorted(original.items()):
        formula = covered.get(key, formula)
        if key not in back:
            problems.append("%r is missing" % (key,))
            continue
        back_value, back_formula = back[key]
        uses_name = any(n in formula for n in NAMES)
        # The name comes back without a definition, which LibreOffice shows in its place.
        expected_formula = formula
        for n in NAMES:
            expected_formula = expected_formula.replace(n, "#NAME?")
        if back_formula != expected_formula:
            problems.append("%r: formula %r came back as %r" % (key, formula, back_formula))
        single_array = key in covered and "SUM(" in formula
        expected = "#NAME?" if uses_name else "#VALUE!" if single_array else value
        if back_value != expected:
            problems.append("%r %s: %r came back as %r" % (key, formula, expected, back_value))
    for p in problems:
        print(p)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1], sys.argv[2]))
