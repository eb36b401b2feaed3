#!/usr/bin/python3
"""Parses every content stream of the given PDF files with pikepdf: page
contents, tiling patterns and form XObjects. Prints one line per stream that
does not parse or whose q/Q nesting goes below zero or does not end at zero,
and exits 1 when there is any; prints "ok <n>" with the number of streams
checked otherwise."""

import sys

import pikepdf


def check(stream_owner, what, problems):
    try:
        ops = pikepdf.parse_content_stream(stream_owner)
    except Exception as exc:  # a stream that does not parse
        problems.append(f"{what}: does not parse: {exc}")
        return
    depth = 0
    for operands, operator in ops:
        op = str(operator)
        if op == "q":
            depth += 1
        elif op == "Q":
            depth -= 1
            if depth < 0:
                problems.append(f"{what}: Q without q")
                return
    if depth != 0:
        problems.append(f"{what}: {depth} q left open")


def main():
    problems = []
    count = 0
    for path in sys.argv[1:]:
        with pikepdf.open(path) as pdf:
            for n, page in enumerate(pdf.pages, 1):
                check(page, f"{path} page {n}", problems)
                count += 1
            for obj in pdf.objects:
                if isinstance(obj, pikepdf.Stream) and obj.get("/PatternType") == 1:
                    check(obj, f"{path} pattern {obj.objgen}", problems)
                    count += 1
    for p in problems:
        print(p)
    if problems:
        sys.exit(1)
    print(f"ok {count}")


if __name__ == "__main__":
    main()
