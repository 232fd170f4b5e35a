#!/usr/bin/env python3
"""The doubles nearest above a tie when rounded to N significant digits: the hard cases of correctly
rounded writing, and the margin by which RoundToSignificant (calc/exact_decimal.cpp) decides every
rounding on 40 digits. Usage: nearest_ties.py [N ...]   (1 to 17 when none is given; a second or two each)

The doubles m * 2^q (m of 53 bits) of one binary exponent q and one decade [10^E, 10^(E+1)) have the
rest frac(m * a / b) after their N-th digit, where a / b = 2^q * 10^(N-1-E). How many of them lie less
than t / b above a half is a difference of two floor sums (the continued-fraction recursion), and
halving the range of m finds each one. Where b is small every rest is a multiple of 1 / b."""
import math
import sys
from fractions import Fraction


def floor_sum(n, m, a, b):
    """The sum of floor((a * i + b) / m) for i from 0 to n - 1; any integers a and b, m > 0."""
    total = n * (n - 1) // 2 * (a // m) + n * (b // m)
    a, b = a % m, b % m
    while True:
        if a >= m:
            total += n * (n - 1) // 2 * (a // m)
            a %= m
        if b >= m:
            total += n * (b // m)
            b %= m
        y = a * n + b
        if y < m:
            return total
        n, b, m, a = y // m, y % m, a, m


def nearest_above_a_tie(count, window=Fraction(1, 10**17)):
    """(the least distance above a half in units of the last digit, the double) over all doubles."""
    best = (Fraction(1), None)
    for q in range(-1074, 972):
        m_lo, m_hi = 1 if q == -1074 else 1 << 52, (1 << 53) - 1  # subnormals share q = -1074
        scale = Fraction(2) ** q
        first = math.floor(math.log10(m_lo * scale)) + 1
        while Fraction(10) ** first > m_lo * scale:
            first -= 1
        for e in range(first, first + 3):
            lo = max(m_lo, -(-Fraction(10) ** e // scale))
            hi = min(m_hi, -(-Fraction(10) ** (e + 1) // scale) - 1)
            alpha = scale * Fraction(10) ** (count - 1 - e)
            a, b = alpha.numerator, alpha.denominator
            if lo > hi or b == 1:  # no double here, or all are integers at this digit
                continue
            if b % 2:
                a, b = 2 * a, 2 * b
            if b <= 1 << 56:  # ties, or rests of at least 1 / b
                best = min(best, (Fraction(1, b), f"a rest of 1/{b}, 2^{q} in 10^{e}"))
                continue
            start, t = (a * lo + b // 2) % b, int(window * b) + 1
            below = lambda n: floor_sum(n, b, a, start) - floor_sum(n, b, a, start - t)
            ranges = [(0, hi - lo + 1)]
            while ranges:
                s, n = ranges.pop()
                if below(n) == below(s):
                    continue
                if n - s > 1:
                    ranges += [(s, (s + n) // 2), ((s + n) // 2, n)]
                    continue
                m = lo + s
                best = min(best, (Fraction((a * m + b // 2) % b, b), repr(float(m * scale)) + f" = {m} * 2^{q}"))
    return best


for count in [int(n) for n in sys.argv[1:]] or range(1, 18):
    distance, where = nearest_above_a_tie(count)
    print(f"{count:2} digits: {float(distance):.3e} of the last digit above a half, {where}", flush=True)
