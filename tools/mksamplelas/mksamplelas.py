#!/usr/bin/env python3
"""Writes the sample LAS file of a made-up well (resources/samples/curve_log_sample.las).

The well 7-K of the Severnoye field does not exist: its logs are built from a
fixed sequence of sand, shale and limestone beds with smooth noise, so that the
curve log template filled from it (Kerno --fill) looks like a real log.
Usage: mksamplelas.py OUT.las
"""
import math
import random
import sys

START, STOP, STEP = 1450.0, 1700.0, 0.2
NULL = -999.25
# Beds from the top: (thickness m, lithology). The sample document's lithology
# (app/shell/uSampleWell.cpp) follows them over 1450-1540 m.
BEDS = [(12, "shale"), (8, "sand"), (15, "shale"), (6, "lime"), (20, "sand"), (18, "shale"), (4, "coal"),
        (25, "sand"), (30, "shale"), (10, "lime"), (22, "sand"), (40, "shale"), (14, "sand"), (30, "shale")]
PROPS = {  # GR, SP, ILD, RHOB, NPHI, DT
    "shale": (105, -5, 3.0, 2.52, 0.33, 95),
    "sand": (35, -55, 25.0, 2.28, 0.20, 80),
    "lime": (20, -30, 150.0, 2.66, 0.06, 52),
    "coal": (30, -20, 900.0, 1.45, 0.48, 125),
}


def lithology(depth):
    top = START
    for thickness, lith in BEDS:
        if depth < top + thickness:
            return lith
        top += thickness
    return BEDS[-1][1]


def main():
    rng = random.Random(7)
    rows = int(round((STOP - START) / STEP)) + 1
    out = []
    out.append("~Version Information")
    out.append("VERS.                 2.0 : CWLS LOG ASCII STANDARD - VERSION 2.0")
    out.append("WRAP.                  NO : One line per depth step")
    out.append("~Well Information")
    out.append("STRT.M            %.1f : START DEPTH" % START)
    out.append("STOP.M            %.1f : STOP DEPTH" % STOP)
    out.append("STEP.M               %.1f : STEP" % STEP)
    out.append("NULL.             %.2f : NULL VALUE" % NULL)
    out.append("COMP.   Severneftegaz      : COMPANY")
    out.append("WELL.   7-K                : WELL")
    out.append("FLD .   Severnoye          : FIELD")
    out.append("SRVC.   Geofizika Logging  : SERVICE COMPANY")
    out.append("DATE.   2026-03-14         : LOG DATE")
    out.append("~Curve Information")
    out.append("DEPT.M           : Depth")
    out.append("GR  .GAPI        : Gamma ray")
    out.append("SP  .MV          : Spontaneous potential")
    out.append("CALI.IN          : Caliper")
    out.append("ILD .OHMM        : Deep induction resistivity")
    out.append("RHOB.G/C3        : Bulk density")
    out.append("NPHI.V/V         : Neutron porosity")
    out.append("DT  .US/F        : Sonic transit time")
    out.append("~A  DEPT     GR      SP     CALI    ILD      RHOB   NPHI   DT")
    smooth = [0.0] * 6
    for i in range(rows):
        depth = START + i * STEP
        base = PROPS[lithology(depth)]
        values = []
        for k, b in enumerate(base):
            smooth[k] = 0.8 * smooth[k] + 0.2 * rng.uniform(-1, 1)
            scale = (0.12 * b) if k != 1 else 6
            values.append(b * math.exp(smooth[k] * 0.3) if k == 2 else b + smooth[k] * scale)
        gr, sp, ild, rhob, nphi, dt = values
        cali = 8.5 + (1.2 if lithology(depth) == "shale" else 0.1) + 0.2 * math.sin(depth / 3)
        row = [depth, gr, sp, cali, ild, rhob, nphi, dt]
        # The caliper failed over a few metres: missing samples.
        if 1600 <= depth < 1603:
            row[3] = NULL
        out.append("%.1f %.2f %.2f %.3f %.3f %.3f %.4f %.2f" % tuple(row))
    with open(sys.argv[1], "w", newline="\n") as f:
        f.write("\n".join(out) + "\n")


if __name__ == "__main__":
    main()
