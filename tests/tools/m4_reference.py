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
            if rest.startswith('"'):
                end = rest.find('"', 1)
                item = rest[1:end] if end >= 0 else rest[1:]
                after = rest[end + 1:] if end >= 0 else ''
                comma = after.find(',')
                yield item
                if comma < 0:
                    break
                rest = after[comma + 1:]
                continue
            comma = rest.find(',')
            if comma < 0:
                yield rest
                break
            yield rest[:comma]
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
    c['tunnels'] = [[nxt() for _ in range(8)] for _ in range(int(nxt()))]
    c['spillways'] = [[nxt() for _ in range(3)] for _ in range(int(nxt()))]
    c['orifices'] = [[nxt() for _ in range(6)] for _ in range(int(nxt()))]
    c['varspill'] = [[nxt() for _ in range(5)] for _ in range(int(nxt()))]
    c['table'] = [[nxt() for _ in range(2)] for _ in range(int(nxt()))]
    return c


def cube(h):
    return h * h * h


def root(x):
    # A negative head gives no discharge.
    return math.sqrt(x) if x >= 0 else None


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
        if q > GM:
            q = GM
        tun = tun + q
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
    Z = [c['Z0']]
    Q = [c['Q0']]
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
            Z.append(c['ZM'])
            Q.append(QL[i])
            records.append(dict(held=True, level=c['ZM'], inflow=QL[i], total=QL[i], cap=state['cap']))
            continue
        Zs = Zn
        tun, spi, var, ori, oth = [round2(v) for v in flows(c, Zn)]
        total = ((((tun + spi) + c['W']) + var) + ori) + oth
        if total > c['QA']:
            total = c['QA']
            state['cap'] = True
        Z.append(Zn)
        Q.append(total)
        records.append(dict(held=False, level=round2(Zn), inflow=QL[i], tun=tun, spi=spi,
                            ori=ori, var=var, oth=oth, total=total, cap=state['cap']))
    return Z, Q, records


def using2(x, n):
    text = str(Decimal(x).quantize(Decimal('0.01'), rounding=ROUND_HALF_UP))
    if text in ('-0.00',):
        text = '0.00'
    return ((' ' * 15) + text)[-n:]


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
        self.lines = []
        self.cur = ''

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


def report(c, Z, Q, records, shown):
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
    K = len(c['curve'])
    r.end(' 水位~水面面积关系曲线结点数 K=', numitem(round2(K)))
    r.end(' 水位(米) 水面面积(万平方米)   水位(米) 水面面积(万平方米)')
    r.end('     ZP            F               ZP            F')
    for i, (zp, f) in enumerate(c['curve'], start=1):
        if i % 2 == 1:
            r.put(using2(zp, 9), using2(f, 15))
        else:
            r.end(using2(zp, 15), using2(f, 15))
    r.end()
    r.end(' ')
    J = len(c['QL']) - 1
    r.end(' 洪水过程时段数', 35, 'J=', numitem(round2(J)))
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
    G0 = len(c['tunnels'])
    r.end(' 泄洪洞个数', 37, 'G0=', numitem(round2(G0)))
    if G0:
        r.end(' 进口宽    进口高  进口高程   流量系数   闸门宽    闸门高 闸门底高程 限泄流量 ')
        r.end('  (米)      (米)     (米)' + ' ' * 17 + '(米)      (米)     (米)  (立方米/秒)')
        r.end('   B1        A1       C1        M11       B11       A11       C11      GM     ')
        for t in c['tunnels']:
            r.end(using2(t[0], 6), *[using2(v, 10) for v in t[1:]])
    r.end()
    H0 = len(c['spillways'])
    r.end(' 溢洪道数', 38, 'H0=', numitem(round2(H0)))
    if H0:
        r.end(' 流量系数   底宽(米)  底高程(米)')
        r.end('    M2         B2        C2')
        for s in c['spillways']:
            r.end(using2(s[0], 8), using2(s[1], 10), using2(s[2], 10))
    r.end(' ')
    KK1 = len(c['orifices'])
    r.end(' 变宽变高的泄流孔状况数', 31, 'KK1=', numitem(round2(KK1)))
    if KK1:
        r.end(' 下限水位(米) 上限水位(米) 闸门宽(米) 开启高(米) 流量系数 闸底高程(米)')
        r.end('      ZZ1          ZZ2         BB         AA         MM         VV')
        for o in c['orifices']:
            r.end(using2(o[0], 10), using2(o[1], 13), *[using2(v, 11) for v in o[2:]])
    r.end(' ')
    KK0 = len(c['varspill'])
    r.end(' 变宽的溢洪道状况数', 33, 'KK0=', numitem(round2(KK0)))
    if KK0:
        r.end(' 下限水位(米) 上限水位(米)  流量系数  闸孔宽(米) 闸底高程(米)')
        r.end('      ZZ3          ZZ4         MM         DD         EE         VV')
        for v in c['varspill']:
            r.end(using2(v[0], 10), using2(v[1], 13), *[using2(x, 11) for x in v[2:]])
    r.end(' ')
    KK2 = len(c['table'])
    r.end(' 其它泄流方式,水位～泄流量曲线点数', 26, 'KK2=', numitem(round2(KK2)))
    if KK2:
        r.end(' 水库水位(米)  下泄流量(立方米/秒)')
        r.end('       ZZ0         QQ')
        for p in c['table']:
            r.end(using2(p[0], 11), using2(p[1], 11))
    r.end(); r.end()
    r.end(30, '二.计算结果:')
    r.end()
    r.end(' 时段  水位     河道    泄洪洞   溢洪道   泄流孔   变宽溢    其它     下泄')
    r.end(' ' * 15 + '来水量    流量     流量     流量    洪流量   泄流量   总流量')
    no_outlets = G0 == 0 and H0 == 0 and KK1 == 0 and KK0 == 0
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


def main():
    path, folder = sys.argv[1], sys.argv[2]
    name = path.replace('\\', '/').split('/')[-1]
    c = read_case(path)
    Z, Q, records = route(c)
    sys.stdout.buffer.write(report(c, Z, Q, records, folder + '/' + name[:-4] + '.out').encode('gbk'))


if __name__ == '__main__':
    main()
