#!/usr/bin/env python3
"""An independent second implementation of a run, which made the golden reports in tests/data/run
(ctest runs it on their cases, so it must still make them). It follows the written method
literally (every interval scanned, products left to right, the cube as a product), so the C++
run can be compared with it digit for digit.

    m4_reference.py CASE.INT FOLDER_SHOWN > REPORT.out   (bytes: GBK, CR LF)
"""
import math
import sys
from decimal import Decimal, ROUND_HALF_UP


def items_of(text):
    lines = text.replace('\r\n', '\n').replace('\r', '\n').split('\n')
    if lines and lines[-1] == '':
        lines.pop()
    for line in lines:
        rest = line
        while True:
            rest = rest.lstrip(' \t')
            comma = rest.find(',')
            if rest.startswith('"'):
                # A quoted item ends at its closing quote; what follows it up to a comma is dropped.
                end = rest.find('"', 1)
                end = len(rest) if end < 0 else end
                yield rest[1:end]
                comma = rest.find(',', end)
            else:
                yield rest if comma < 0 else rest[:comma]
            if comma < 0:
                break
            rest = rest[comma + 1:]


def number(item):
    s = item.strip(' \t')
    return 0.0 if s == '' else float(s.replace('D', 'E').replace('d', 'e'))


def read_case(path):
    it = items_of(open(path, 'rb').read().decode('gbk'))
    c = {}
    nxt = lambda: number(next(it))
    c['name'] = next(it)
    c['freq'] = next(it)
    K = int(nxt())
    c['curve'] = [(nxt(), nxt()) for _ in range(K)]
    J = int(nxt())
    c['T'] = nxt()
    c['QL'] = [nxt() for _ in range(J + 1)]
    for key in ('ZM', 'Z0', 'Q0', 'W', 'QA'):
        c[key] = nxt()
    for key, width in (('tunnels', 8), ('spillways', 3), ('orifices', 6), ('varspill', 5), ('table', 2)):
        c[key] = [[nxt() for _ in range(width)] for _ in range(int(nxt()))]
    return c


cube = lambda h: h * h * h
root = lambda x: math.sqrt(x) if x >= 0 else None  # a negative head gives no discharge


def flows(c, Z):
    tun = 0.0
    for B1, A1, C1, M11, B11, A11, C11, GM in c['tunnels']:
        if Z <= C1:
            q = 0.0
        elif Z <= C1 + 1.15 * A1:
            q = 0.35 * B1 * math.sqrt(19.62 * cube(Z - C1))
        else:
            r = root(19.62 * ((Z - C11) - A11))
            q = 0.0 if r is None else M11 * B11 * A11 * r
        tun = tun + min(q, GM)  # never more than the gate lets through
    spi = 0.0
    for M2, B2, C2 in c['spillways']:
        q = M2 * B2 * math.sqrt(19.62 * cube(Z - C2)) if Z > C2 else 0.0
        spi = spi + q
    var = 0.0
    for ZZ3, ZZ4, MM, DD, EE in c['varspill']:
        if ZZ3 <= Z < ZZ4:
            r = root(19.62 * cube(Z - EE))
            var = 0.0 if r is None else MM * DD * r
    ori = 0.0
    for ZZ1, ZZ2, BB, AA, MM, VV in c['orifices']:
        if ZZ1 <= Z < ZZ2:
            r = root(19.62 * ((Z - VV) - AA))
            ori = 0.0 if r is None else MM * BB * AA * r
    oth = 0.0
    t = c['table']
    for i in range(len(t) - 1):
        if t[i][0] <= Z < t[i + 1][0]:
            oth = t[i][1] + ((t[i + 1][1] - t[i][1]) / (t[i + 1][0] - t[i][0])) * (Z - t[i][0])
            break
    return tun, spi, var, ori, oth


def round2(x):
    return math.floor(x * 100 + 0.5) / 100


def route(c):
    state = {'area': None, 'cap': False}

    def area_at(Z):
        p = c['curve']
        for i in range(len(p) - 1):
            if p[i][0] <= Z and Z <= p[i + 1][0]:
                state['area'] = p[i][1] + ((p[i + 1][1] - p[i][1]) * (Z - p[i][0])) / (p[i + 1][0] - p[i][0])
        return state['area']

    def rate(Z, Qin):
        F = area_at(Z)
        tun, spi, var, ori, oth = flows(c, Z)
        total = ((((tun + spi) + c['W']) + var) + ori) + oth
        if total > c['QA']:
            total = c['QA']
            state['cap'] = True
        return ((Qin - total) / F) / 10000

    QL, T = c['QL'], c['T']
    records = []
    Zs = c['Z0']
    for i in range(1, len(QL)):
        state['cap'] = False
        mid = (QL[i - 1] + QL[i]) / 2
        k1 = T * rate(Zs, QL[i - 1])
        k2 = T * rate(Zs + k1 / 2, mid)
        k3 = T * rate(Zs + k2 / 2, mid)
        k4 = T * rate(Zs + k3, QL[i])
        Zn = Zs + (k1 + 2 * k2 + 2 * k3 + k4) / 6
        if Zn < c['ZM']:
            Zs = c['ZM']
            records.append(dict(held=True, level=c['ZM'], inflow=QL[i], total=QL[i], cap=state['cap']))
            continue
        Zs = Zn
        tun, spi, var, ori, oth = [round2(v) for v in flows(c, Zn)]
        total = ((((tun + spi) + c['W']) + var) + ori) + oth
        if total > c['QA']:
            total = c['QA']
            state['cap'] = True
        records.append(dict(held=False, level=round2(Zn), inflow=QL[i], tun=tun, spi=spi,
                            ori=ori, var=var, oth=oth, total=total, cap=state['cap']))
    return records


def using2(x, n):
    text = str(Decimal(x).quantize(Decimal('0.01'), rounding=ROUND_HALF_UP))
    return ((' ' * 15) + ('0.00' if text == '-0.00' else text))[-n:]


def using(x, n):
    return ((' ' * 16) + numstr(math.floor(x + 0.5)))[-n:]


def numstr(x):
    sign = '-' if x < 0 else ' '
    digits = '%.15g' % abs(x)
    if 'e' in digits:
        raise ValueError('exponent form not expected in a golden report')
    if '.' in digits:
        digits = digits.rstrip('0').rstrip('.')
    if digits.startswith('0.'):
        digits = digits[1:]
    return sign + digits


def numitem(x):
    return numstr(x) + ' '


class Report:
    def __init__(self):
        self.lines, self.cur = [], ''

    def put(self, *parts):
        for p in parts:
            if isinstance(p, int) and not isinstance(p, bool):
                self.cur += ' ' * max(0, p - 1 - len(self.cur))
            else:
                self.cur += p

    def end(self, *parts):
        self.put(*parts)
        self.lines.append(self.cur)
        self.cur = ''


def report(c, records, shown):
    r = Report()
    r.end('文件：' + shown)
    r.end()
    star = ' ' + '*' * 72
    r.end(star)
    r.end(' *****' + ' ' * 17 + '青岚七号综合分析器计算书 M-4G' + ' ' * 16 + '*****')
    r.end(star)
    r.end('     工程名:', c['name'], '       频率:', c['freq'])
    r.end(); r.end()
    r.end(30, '一.原始数据:')
    r.end()
    r.end(' 工程名:', c['name'], '   频率:', c['freq'])
    r.end(' ')
    r.end(' 水位~水面面积关系曲线结点数 K=', numitem(round2(len(c['curve']))))
    r.end(' 水位(米) 水面面积(万平方米)   水位(米) 水面面积(万平方米)')
    r.end('     ZP            F               ZP            F')
    for i, (zp, f) in enumerate(c['curve'], start=1):
        if i % 2 == 1:
            r.put(using2(zp, 9), using2(f, 15))
        else:
            r.end(using2(zp, 15), using2(f, 15))
    r.end()
    r.end(' ')
    r.end(' 洪水过程时段数', 35, 'J=', numitem(round2(len(c['QL']) - 1)))
    r.end(' 时段间隔(秒)', 37, 'T=', numitem(round2(c['T'])))
    r.end(' 洪水过程(立方米/秒):')
    for i, q in enumerate(c['QL']):
        r.put(using2(q, 10))
        if i % 7 == 0:
            r.end()
    r.end()
    r.end(' ')
    for label, stop, key, val in ((' 防洪下限水位(米)', 35, 'ZM=', 'ZM'), (' 调洪起始水位(米)', 35, 'Z0=', 'Z0'),
                                  (' 泄洪起始流量(立方米/秒)', 32, 'a1Q(0)=', 'Q0'),
                                  (' 电站常流量(立方米/秒)', 33, 'W=', 'W'),
                                  (' 下游安全限制泄量(立方米/秒)', 30, 'QA=', 'QA')):
        r.end(label, stop, key, numitem(round2(c[val])))
    r.end(' ')
    r.end(' ')
    sections = (
        (' 泄洪洞个数', 37, 'G0=', 'tunnels', (6,) + (10,) * 7, '',
         (' 进口宽    进口高  进口高程   流量系数   闸门宽    闸门高 闸门底高程 限泄流量 ',
          '  (米)      (米)     (米)' + ' ' * 17 + '(米)      (米)     (米)  (立方米/秒)',
          '   B1        A1       C1        M11       B11       A11       C11      GM     ')),
        (' 溢洪道数', 38, 'H0=', 'spillways', (8, 10, 10), ' ',
         (' 流量系数   底宽(米)  底高程(米)', '    M2         B2        C2')),
        (' 变宽变高的泄流孔状况数', 31, 'KK1=', 'orifices', (10, 13, 11, 11, 11, 11), ' ',
         (' 下限水位(米) 上限水位(米) 闸门宽(米) 开启高(米) 流量系数 闸底高程(米)',
          '      ZZ1          ZZ2         BB         AA         MM         VV')),
        (' 变宽的溢洪道状况数', 33, 'KK0=', 'varspill', (10, 13, 11, 11, 11), ' ',
         (' 下限水位(米) 上限水位(米)  流量系数  闸孔宽(米) 闸底高程(米)',
          '      ZZ3          ZZ4         MM         DD         EE         VV')),
        (' 其它泄流方式,水位～泄流量曲线点数', 26, 'KK2=', 'table', (11, 11), '',
         (' 水库水位(米)  下泄流量(立方米/秒)', '       ZZ0         QQ')))
    for label, stop, key, rows, widths, after, heads in sections:
        r.end(label, stop, key, numitem(round2(len(c[rows]))))
        for line in heads if c[rows] else ():
            r.end(line)
        for row in c[rows]:
            r.end(*[using2(v, w) for v, w in zip(row, widths)])
        r.end(after)
    r.end()
    r.end(30, '二.计算结果:')
    r.end()
    r.end(' 时段  水位     河道    泄洪洞   溢洪道   泄流孔   变宽溢    其它     下泄')
    r.end(' ' * 15 + '来水量    流量     流量     流量    洪流量   泄流量   总流量')
    no_outlets = not (c['tunnels'] or c['spillways'] or c['orifices'] or c['varspill'])
    flag = False
    for i, rec in enumerate(records, start=1):
        flag = flag or rec['cap']
        if rec['held']:
            r.end(using(i, 4), using2(c['ZM'], 8), using2(rec['inflow'], 9),
                  '  -------' * 5, using2(rec['inflow'], 9))
        elif no_outlets or flag:
            r.end(using(i, 4), using2(rec['level'], 8), using2(rec['inflow'], 9),
                  '  -------' * 4, using2(rec['oth'], 9), using2(rec['total'], 9))
            flag = False
        else:
            r.end(using(i, 4), using2(rec['level'], 8), using2(rec['inflow'], 9),
                  using2(rec['tun'], 9), using2(rec['spi'], 9), using2(rec['ori'], 9),
                  using2(rec['var'], 9), using2(rec['oth'], 9), using2(rec['total'], 9))
    return ''.join(line + '\r\n' for line in r.lines)


if __name__ == '__main__':
    path, folder = sys.argv[1], sys.argv[2]
    name = path.replace('\\', '/').split('/')[-1]
    c = read_case(path)
    sys.stdout.buffer.write(report(c, route(c), folder + '/' + name[:-4] + '.out').encode('gbk'))
