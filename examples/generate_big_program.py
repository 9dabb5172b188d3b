#!/usr/bin/env python3
"""Writes big_program.S: a compiler-style program of several kilobytes, so that calls, jumps
and bit tests reach both near and far targets and the optimiser has to choose both short and
long forms.

    generate_big_program.py > big_program.S
"""

ROUTINES = 40
FILLER_WORDS = 40          # straight-line code in each routine, to spread the program out


def routine(k, out):
    bank = 1 + k % 4
    acc = "ACC%d" % bank
    count = 1 + k % 4
    name = "R%02d" % k
    out.append(";")
    out.append("; %s: mixes its number into %s and logs the result in bank 5." % (name, acc))
    out.append(";")
    out.append("%s EQU $" % name)
    # The compiler selects a bank again at the start of each routine; the first of two
    # adjacent selections is dead.
    out.append("    MOVLB %d" % (5 if k % 2 else 0))
    out.append("    MOVLB %d" % bank)
    out.append("    MOVLW %d" % ((k * 7 + 3) % 256))
    out.append("    ADDWF %s,F,1" % acc)
    out.append("    MOVLW %d" % count)
    out.append("    MOVWF LOOPC,0")
    out.append("%s_LOOP EQU $" % name)
    out.append("    RLNCF %s,F,1" % acc)
    out.append("    MOVF LOOPC,W,0")
    out.append("    XORWF %s,F,1" % acc)
    out.append("    DECF LOOPC,F,0")
    out.append("    NOP;@USE@_TGOTO 0,STATUS,2,%s_LOOP,0" % name)
    # A jump over one word on a RAM bit: a single skip from level 2 on.
    out.append("    NOP;@USE@_TGOTO 1,%s,%d,%s_S,1" % (acc, k % 8, name))
    out.append("    INCF STEPS,F,0")
    out.append("%s_S EQU $" % name)
    # A carry test written out by the compiler: folded into one branch at level 3.
    out.append("    MOVLW 0x80")
    out.append("    ADDWF %s,W,1" % acc)
    out.append("    BTFSS STATUS,0,0")
    out.append("    BRA %s_NC" % name)
    out.append("    INCF CARRIES,F,0")
    out.append("%s_NC EQU $" % name)
    for i in range(FILLER_WORDS // 2):
        out.append("    MOVLW %d" % ((k * 13 + i * 5) % 256))
        out.append("    XORWF MIX,F,0" if i % 2 else "    ADDWF MIX,F,0")
    if k % 5 == 4:
        # A helper in another routine: near for the next routine, far for the first ones.
        out.append("    NOP;@USE@_CALL HELP%d" % (k % 3))
    if k % 7 == 3:
        out.append("    NOP;@USE@_GOTO %s_END" % name)
        out.append("    SETF MIX,0")
        out.append("%s_END EQU $" % name)
    out.append("    MOVLB 3")
    out.append("    MOVLW 0")
    out.append("    MOVLB 5")
    out.append("    MOVFF %s,LOG+%d" % (acc, k))
    out.append("    RETURN 0")


def helpers(out):
    for h in range(3):
        out.append("HELP%d EQU $" % h)
        out.append("    MOVLB 5")
        out.append("    INCF HELPS+%d,F,1" % h)
        out.append("    RETURN 0")


def medium_test(n, out):
    """A bit test on STATUS whose target lies just over the reach of a conditional branch in
    the first listing; dropping the dead bank selects between brings it within reach, so
    that level 3 folds the skip and BRA that level 1 writes."""
    label = "MID%d" % n
    out.append("    MOVF MIX,W,0")
    out.append("    XORLW %d" % (n * 37 % 256))
    out.append("    NOP;@USE@_TGOTO 1,STATUS,2,%s,0" % label)
    # 61 words between the placeholder and the label: 122 bytes, 4 dead MOVLB among them.
    body = []
    for i in range(4):
        body.append("    MOVLB %d" % (i + 1))
        body.append("    MOVLB 5")
        body.append("    INCF HITS+%d,F,1" % (n * 4 + i))
    while len(body) < 61:
        body.append("    INCF MIX,F,0")
    out.extend(body)
    out.append("%s EQU $" % label)


def main():
    out = []
    out.append(";[START@OF@BLOCK]")
    out.append("; big_program: %d routines spread over several kilobytes of program memory." % ROUTINES)
    out.append(";[END@OF@BLOCK]")
    out.append(" LIST  P = 18F452, R = DEC")
    out.append(";[VARIABLE LISTING]")
    out.append("STATUS EQU 0xFD8")
    out.append("LOOPC EQU 0x010")
    out.append("STEPS EQU 0x011")
    out.append("CARRIES EQU 0x012")
    out.append("MIX EQU 0x013")
    out.append("FARS EQU 0x014")
    for bank in range(1, 5):
        out.append("ACC%d EQU 0x%03X" % (bank, bank * 0x100 + 0x40 + bank))
    out.append("HITS EQU 0x580")
    out.append("HELPS EQU 0x5C0")
    out.append("LOG EQU 0x500")
    out.append(";[END LISTING]")
    out.append("    ORG 0")
    out.append("    NOP;@USE@_GOTO MAIN")
    helpers(out)
    for k in range(ROUTINES // 2):
        routine(k, out)
    out.append("MAIN EQU $")
    out.append("    CLRF STEPS,0")
    out.append("    CLRF CARRIES,0")
    out.append("    CLRF MIX,0")
    out.append("    CLRF FARS,0")
    for k in range(ROUTINES):
        out.append("    NOP;@USE@_CALL R%02d" % k)
        if k % 10 == 9:
            medium_test(k // 10, out)
    # Far bit tests both ways: skip + GOTO.
    out.append("    MOVF STEPS,W,0")
    out.append("    NOP;@USE@_TGOTO 0,STATUS,2,FAR_NZ,0")
    out.append("BACK_NZ EQU $")
    out.append("    BSF FARS,1,0")
    out.append("    NOP;@USE@_TGOTO 1,FARS,1,FAR_SET,0")
    out.append("BACK_SET EQU $")
    out.append("    NOP;@USE@_GOTO FINISH")
    for k in range(ROUTINES // 2, ROUTINES):
        routine(k, out)
    out.append("FAR_NZ EQU $")
    out.append("    BSF FARS,0,0")
    out.append("    NOP;@USE@_GOTO BACK_NZ")
    out.append("FAR_SET EQU $")
    out.append("    BSF FARS,2,0")
    out.append("    NOP;@USE@_GOTO BACK_SET")
    out.append("FINISH EQU $")
    out.append(";[S@I@ASM]")
    out.append("    MOVLB 1")
    out.append("    MOVLB 2")
    out.append("    MOVF ACC2,W,1")
    out.append("    BTFSC STATUS,2,0")
    out.append("    BRA INLINE_ZERO")
    out.append("    BSF FARS,3,0")
    out.append("INLINE_ZERO EQU $")
    out.append(";[E@I@ASM]")
    out.append("DONE BRA DONE")
    out.append("    END")
    print("\n".join(out))


if __name__ == "__main__":
    main()
