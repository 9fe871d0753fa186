#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Lists the longest function bodies of C++ sources, by counting braces.

usage: longest-functions.py [--max N] [--top K] FILE...

A function is a brace block, outside any other function, whose header (the text since
the previous ';', '{' or '}') ends in a parameter list, possibly followed by qualifiers
or a constructor's initialisers. Its length runs from the header's first line to the
closing brace. Comments, strings and character literals are blanked first, so braces
inside them do not count. With --max, exits 1 when a function is longer than N lines.
"""
import re
import sys


def blank(text):
    """Replaces comments and literals by spaces, keeping the line breaks."""
    out = []
    i, n = 0, len(text)
    while i < n:
        c = text[i]
        if text.startswith("//", i):
            j = text.find("\n", i)
            j = n if j < 0 else j
            out.append(" " * (j - i))
            i = j
        elif text.startswith("/*", i):
            j = text.find("*/", i + 2)
            j = n if j < 0 else j + 2
            out.append(re.sub(r"[^\n]", " ", text[i:j]))
            i = j
        elif c == 'R' and text.startswith('R"', i) and (i == 0 or not (text[i - 1].isalnum() or text[i - 1] == '_')):
            k = text.find("(", i + 2)
            delim = ")" + text[i + 2:k] + '"'
            j = text.find(delim, k)
            j = n if j < 0 else j + len(delim)
            out.append(re.sub(r"[^\n]", " ", text[i:j]))
            i = j
        elif c in "\"'":
            if c == "'" and i > 0 and text[i - 1].isalnum():
                out.append(c)  # digit separator, 1'000
                i += 1
                continue
            j = i + 1
            while j < n and text[j] != c and text[j] != "\n":
                j += 2 if text[j] == "\\" else 1
            j = min(j + 1, n)
            out.append(re.sub(r"[^\n]", " ", text[i:j]))
            i = j
        elif c == "#" and (i == 0 or text[i - 1] == "\n"):
            j = i
            while True:  # a directive, with its continued lines
                k = text.find("\n", j)
                if k < 0:
                    k = n
                    break
                if text[k - 1] != "\\":
                    break
                j = k + 1
            out.append(re.sub(r"[^\n]", " ", text[i:k]))
            i = k
        else:
            out.append(c)
            i += 1
    return "".join(out)


SCOPE = re.compile(r"\b(namespace|class|struct|union|enum)\b")
FUNCTION = re.compile(
    r"\)\s*(const|override|final|noexcept|mutable|volatile|&|&&|->[^{]*|\s)*"
    r"(:\s*[\s\S]*)?$")


def functions(path):
    text = blank(open(path, encoding="utf-8", errors="replace").read())
    found = []
    stack = []  # for each open brace: "scope", "function", or "block"
    header_start = 0
    depth_in_function = 0
    for i, c in enumerate(text):
        if c in ";{}":
            if c == "{":
                if depth_in_function:
                    depth_in_function += 1
                    stack.append("block")
                else:
                    header = text[header_start:i]
                    h = header.strip()
                    if FUNCTION.search(h) and not SCOPE.match(h.split("(")[0].strip().split(" ")[0] if h else ""):
                        # The first non-blank character of the header starts it.
                        start = header_start + (len(header) - len(header.lstrip()))
                        name = re.sub(r"\s+", " ", h.split("(")[0]).strip().split(" ")[-1]
                        stack.append(("function", start, name))
                        depth_in_function = 1
                    else:
                        stack.append("scope")
            elif c == "}":
                if stack:
                    top = stack.pop()
                    if isinstance(top, tuple):
                        first = text.count("\n", 0, top[1]) + 1
                        last = text.count("\n", 0, i) + 1
                        found.append((last - first + 1, path, first, top[2]))
                        depth_in_function = 0
                    elif top == "block":
                        depth_in_function -= 1
            header_start = i + 1
    return found


def main(argv):
    limit = None
    top = 15
    files = []
    it = iter(argv)
    for a in it:
        if a == "--max":
            limit = int(next(it))
        elif a == "--top":
            top = int(next(it))
        else:
            files.append(a)
    every = []
    for f in files:
        every.extend(functions(f))
    every.sort(key=lambda x: (-x[0], x[1], x[2]))
    for lines, path, line, name in every[:top]:
        print(f"{lines:5d}  {path}:{line}  {name}")
    if limit is not None:
        over = [x for x in every if x[0] > limit]
        if over:
            print(f"{len(over)} function(s) over {limit} lines")
            return 1
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
