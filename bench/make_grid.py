#!/usr/bin/env python3
"""Writes an N x N Surfer text grid ("DSAA") of a smooth concentration-like field: a few
Gaussian plumes with a ripple, so every level has long open lines and many closed ones.
Usage: make_grid.py OUT.grd [N]"""
import math
import random
import sys

path = sys.argv[1]
n = int(sys.argv[2]) if len(sys.argv) > 2 else 2000
rng = random.Random(7)
plumes = [(rng.uniform(0.1, 0.9), rng.uniform(0.1, 0.9), rng.uniform(0.05, 0.25), rng.uniform(0.3, 1.0))
          for _ in range(12)]
xs = [i / (n - 1) for i in range(n)]
with open(path, "w") as f:
    f.write("DSAA\n%d %d\n0 %d\n0 %d\n0 1.2\n" % (n, n, 10 * (n - 1), 10 * (n - 1)))
    for j in range(n):
        y = j / (n - 1)
        terms = [(px, a * math.exp(-((y - py) ** 2) / (2 * s * s)), 1 / (2 * s * s)) for px, py, s, a in plumes]
        ripple = 0.05 * math.sin(40 * y)
        row = []
        for x in xs:
            z = ripple * math.cos(37 * x)
            for px, ay, k in terms:
                z += ay * math.exp(-(x - px) ** 2 * k)
            row.append("%.6g" % z)
        f.write(" ".join(row))
        f.write("\n\n")
