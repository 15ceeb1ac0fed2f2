#!/usr/bin/env python3
"""Writes the case files of tests/data/run (GBK, CR LF) and their golden reports made by the
independent reference m4_reference.py, with the folder in the file line written as @DIR@.

    make_run_cases.py OUTPUT_FOLDER
"""
import math
import os
import subprocess
import sys

HERE = os.path.dirname(os.path.abspath(__file__))


def fmt(v):
    if isinstance(v, str):
        return v
    if float(v).is_integer() and abs(v) < 1e15:
        return str(int(v))
    return repr(float(v))


def case_text(name, freq, curve, T, QL, ZM, Z0, Q0, W, QA, tunnels=(), spillways=(), orifices=(),
              varspill=(), table=()):
    lines = [name, freq, str(len(curve))]
    lines += [','.join(fmt(x) for x in p) for p in curve]
    lines += [str(len(QL) - 1), fmt(T)] + [fmt(q) for q in QL]
    lines += [fmt(v) for v in (ZM, Z0, Q0, W, QA)] + [str(len(tunnels))]
    for k, rows in enumerate((tunnels, spillways, orifices, varspill, table)):
        if k > 0:
            lines.append(str(len(rows)))
        lines += [','.join(fmt(x) for x in r) for r in rows]
    return ''.join(l + '\r\n' for l in lines) + '\r\n'


def flood(J, base, peak, at):
    """A smooth single-peaked hydrograph of J periods."""
    out = []
    for i in range(J + 1):
        x = i / at if i <= at else 1 + (i - at) / (J - at) * 3
        out.append(round(base + (peak - base) * math.exp(-((x - 1) ** 2) * 2.5), 2))
    return out


CURVE20 = [(150 + 2.5 * i, round(120 + 9.5 * i + 0.42 * i * i, 1)) for i in range(20)]
TUNNELS = [(8, 9, 150, 0.92, 7.5, 8, 150.5, 1500), (6, 7, 158, 0.9, 6, 6.5, 158, 900)]
SPILLWAYS = [(0.48, 40, 182), (0.46, 25, 184.5)]
ORIFICES = [(160, 170, 10, 4, 0.85, 158), (170, 180, 10, 6, 0.87, 160), (180, 200, 12, 6, 0.88, 162)]
VARSPILL = [(175, 182, 0.47, 12, 174), (182, 188, 0.48, 18, 175), (188, 199, 0.49, 24, 176)]
TABLE6 = [(165, 0), (170, 35.5), (175, 80.25), (180, 140), (185, 210.75), (195, 400)]

CASES = {
    # K = 20, J = 200, every kind of outlet.
    'M-4Typical': dict(name='青岚水库', freq='0.1%', curve=CURVE20, T=3600,
                       QL=flood(200, 300, 9800, 60), ZM=172, Z0=176.3, Q0=1800, W=120, QA=99999,
                       tunnels=TUNNELS, spillways=SPILLWAYS, orifices=ORIFICES, varspill=VARSPILL,
                       table=TABLE6),
    # The same reservoir with a downstream limit that the flood exceeds.
    'M-4Capped': dict(name='青岚水库', freq='1%', curve=CURVE20, T=3600,
                      QL=flood(48, 300, 8000, 16), ZM=172, Z0=176.3, Q0=1800, W=120, QA=4200,
                      tunnels=TUNNELS, spillways=SPILLWAYS, orifices=ORIFICES, varspill=VARSPILL,
                      table=TABLE6),
    # Levels falling below ZM are held; a cut to QA in the stages of a held period carries to
    # the next period that is not held.
    # Period 7 is cut to QA only in a stage evaluation (the table gives nothing above 101.5).
    'M-4Held': dict(name='低水位', freq='5%', curve=[(90, 100), (110, 200)], T=3600,
                    QL=[0, 100, 100, 100, 10, 200, 1000, 200, 2000], ZM=100, Z0=100, Q0=15, W=5,
                    QA=1000, spillways=[(0.5, 10, 200)],
                    table=[(90, 3000), (99.999, 3000), (100, 10), (101.5, 2000)]),
    # No tunnels, spillways or variable outlets: every line is dashed; K odd, J = 7.
    'M-4Table': dict(name='简单', freq='2%', curve=[(50, 5), (60, 9), (70, 15)], T=1800,
                     QL=[10, 80, 160, 240, 200, 120, 60, 30], ZM=52, Z0=55, Q0=10, W=0, QA=500,
                     table=[(50, -5), (55, 20), (70, 260)]),
    # J = 8, K even, G0 = 10, values wider than their columns.
    'M-4Wide': dict(name='宽数', freq='0.01%', curve=[(0, 50000), (1000, 60000)], T=86400,
                    QL=[123456.789, 2345678.5, 9999999.99, 1234567, 700000, 300000, 100000, 50000,
                        12345.678],
                    ZM=10, Z0=500, Q0=99999.995, W=12.345, QA=1e7,
                    tunnels=[(10 + i, 10, 400 + 10 * i, 0.9, 8, 8, 400 + 10 * i, 100000)
                             for i in range(10)],
                    spillways=[(0.5, 200, 600)]),
    # J = 0 and every count zero.
    'M-4Empty': dict(name='', freq='', curve=[], T=0, QL=[0], ZM=0, Z0=0, Q0=0, W=0, QA=0),
}


def golden(case_path, out_path):
    report = subprocess.run([sys.executable, os.path.join(HERE, 'm4_reference.py'), case_path,
                             '@DIR@'], check=True, capture_output=True).stdout
    with open(out_path, 'wb') as f:
        f.write(report)


def main():
    out = sys.argv[1]
    os.makedirs(out, exist_ok=True)
    example = os.path.join(HERE, '..', '..', 'examples', 'M-4Example.INT')
    golden(example, os.path.join(out, 'M-4Example.out'))
    for base, c in CASES.items():
        path = os.path.join(out, base + '.INT')
        with open(path, 'wb') as f:
            f.write(case_text(**c).encode('gbk'))
        golden(path, os.path.join(out, base + '.out'))


if __name__ == '__main__':
    main()
