#!/usr/bin/env python3
"""Writes the long-form twin of a compiler-style program: every placeholder replaced by the
longest instruction form, so that the twin needs no optimiser and runs exactly like the
optimised program.

    make_long_form.py prog.S prog_long.S
"""
import re
import sys

BRACKETED = re.compile(r"^(\s*)NOP;\[(CALL|RCALL|GOTO|BRA|BZ|BNZ|BOV|BNOV|BN|BNN|BC|BNC)@\]\s*(.*)$")
USE = re.compile(r"^(\s*)NOP;@USE@_(CALL|GOTO)\s+(.*)$")
TGOTO = re.compile(r"^(\s*)NOP;@USE@_TGOTO\s+(\d),([^,]+),(\d),([^, ]+)(?:,(\d))?\s*$")


def long_form(line):
    m = BRACKETED.match(line)
    if m:
        return ["    %s %s" % (m.group(2), m.group(3))]
    m = USE.match(line)
    if m:
        return ["    %s %s" % (m.group(2), m.group(3))]
    m = TGOTO.match(line)
    if m:
        flag, reg, bit, label, access = m.group(2), m.group(3), m.group(4), m.group(5), m.group(6)
        skip = "BTFSS" if flag == "0" else "BTFSC"
        suffix = "," + access if access is not None else ""
        return ["    %s %s,%s%s" % (skip, reg, bit, suffix), "    GOTO %s" % label]
    if "@USE@" in line or "NOP;[" in line:
        sys.exit("unhandled placeholder: " + line)
    return [line]


def main():
    source, target = sys.argv[1], sys.argv[2]
    with open(source) as f:
        lines = f.read().splitlines()
    out = ["; Long-form twin of %s: every placeholder written out in its longest form." % source.split("/")[-1]]
    for line in lines:
        out.extend(long_form(line))
    with open(target, "w") as f:
        f.write("\n".join(out) + "\n")


if __name__ == "__main__":
    main()
