#!/usr/bin/env python3
"""Damaged files against a whole start of the program.

Makes a data folder with deadlines to purge (dn_make_tables and the configuration
file of a first start), then, for each file kind (table, memo, index,
configuration), damages a copy of the folder in N ways (bytes flipped or set,
truncation, extreme header values) and starts the program on it (startup_worker:
the library's start-up and MAIN, messages printed). Each mutant must end in one of:

  clean      the start went through, the data as an independent reader
             (python3-dbfread) reads the damaged table is the data the store reads
             (dntable csv), the purge deleted exactly the done deadlines of past
             days, and the index agrees with the table afterwards (dntable check);
  reported   a clear message naming a file ("... risulta corrotto.", "... non è
             supportato."), the start ended, and the file it names is unchanged;
  rebuilt    as clean, after the damaged index was rebuilt and the user told.

  latent     the start went through without reading a damaged memo text (the
             store reports it to whoever opens that deadline); the purge is checked
             against the independent reader.

and never in: a crash, a hang (60 s), the error report offered by e-mail, data
read differently from the independent reader without a word, a write into a file
reported as damaged, a purge of other records than the done ones of past days.

Usage: fuzz/mutant_campaign.py <build folder> [mutants per kind] [seed]
Exit status 1 when any mutant ends badly; its folder is kept under
fuzz/out/mutants/<kind>-<n>.
"""
import csv
import datetime
import io
import os
import random
import shutil
import struct
import subprocess
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(HERE)

BUILD = os.path.abspath(sys.argv[1])
PER_KIND = int(sys.argv[2]) if len(sys.argv) > 2 else 300
SEED = int(sys.argv[3]) if len(sys.argv) > 3 else 19
WORKER = os.path.join(BUILD, 'tests/app/startup_worker')
DNTABLE = os.path.join(BUILD, 'tools/dntable')
MAKER = os.path.join(BUILD, 'tests/dbf/dn_make_tables')
OUT = os.path.join(HERE, 'out', 'mutants')

FILES = {'table': 'SCADENZE.DBF', 'memo': 'SCADENZE.DBT', 'index': 'SCADENZE.NTX',
         'config': 'DELTRA.CFG'}


def make_pristine(folder):
    os.makedirs(folder)
    subprocess.run([MAKER, folder], check=True)
    os.remove(os.path.join(folder, 'DANNEGG.NTX'))
    # The configuration file that a first start writes, from a first start.
    first = os.path.join(OUT, 'first')
    os.makedirs(first)
    problem, _, main = start(first)
    if problem or main != '1':
        sys.exit('a first start failed: %s' % (problem or main))
    shutil.copy(os.path.join(first, 'DELTRA.CFG'), folder)
    shutil.rmtree(first)


def mutate(data, kind, rng):
    b = bytearray(data)
    how = rng.randrange(6)
    if not b:
        return bytes(b), 'empty'
    if how == 0:  # a few random bytes
        for _ in range(rng.randint(1, 8)):
            b[rng.randrange(len(b))] = rng.randrange(256)
        return bytes(b), 'bytes'
    if how == 1:  # bit flips in the first 2 KiB (headers, descriptors, first pages)
        for _ in range(rng.randint(1, 4)):
            i = rng.randrange(min(len(b), 2048))
            b[i] ^= 1 << rng.randrange(8)
        return bytes(b), 'flips'
    if how == 2:  # cut short
        return bytes(b[:rng.randrange(len(b))]), 'truncated'
    if how == 3:  # an extreme value in a header field
        spots = {'table': [4, 8, 10, 32 + 16, 32 + 11, 0],
                 'memo': [0, 4, 6, 512, 516],
                 'index': [1536, 1536 + 4, 1536 + 8, 1536 + 12, 1024, 1024 + 2, 2560, 2562],
                 'config': [0, len(b) // 2]}[kind]
        at = rng.choice(spots)
        value = rng.choice([0, 1, 0xFF, 0xFFFF, 0xFFFFFFFF, 0x7FFFFFFF, len(b), len(b) * 2])
        chunk = struct.pack('<I', value & 0xFFFFFFFF)
        b[at:at + 4] = chunk[:max(0, min(4, len(b) - at))]
        return bytes(b), 'extreme@%d' % at
    if how == 4:  # a stretch of zeros or of one byte
        i = rng.randrange(len(b))
        n = rng.randint(1, 64)
        b[i:i + n] = bytes([rng.choice([0, 0x20, 0xFF, 0x0D])]) * len(b[i:i + n])
        return bytes(b), 'stretch'
    if kind == 'config':  # lines: many keys, odd values, huge numbers
        extra = rng.choice([
            b''.join(b'CFG_X%d=N%d\r\n' % (i, i) for i in range(rng.randint(1000, 20000))),
            b'CFG_SUP=N99999999999\r\nCFG_SIN=N-99999999999\r\n',
            b'CFG_SOT=L.T.\r\nCFG_DES=Lx\r\nCFG_SUP=N1e400\r\n',
            b'\x00\xff[Vars\r\n=\r\n==\r\n',
        ])
        return bytes(b) + extra, 'lines'
    # memo pointers and other text fields of the table, or any 10 bytes
    i = rng.randrange(len(b))
    b[i:i + 10] = rng.choice([b'4 garbage!', b'    0 4403', b'4294967297', b'         1',
                              b'  99999999', b'\x00' * 10])[:len(b[i:i + 10])]
    return bytes(b), 'text'


def dbfread_view(folder):
    """The deadline table as python3-dbfread reads it: rows of strings, or an error."""
    import dbfread
    scratch = os.path.join(folder, '.reader')
    os.makedirs(scratch, exist_ok=True)
    shutil.copy(os.path.join(folder, 'SCADENZE.DBF'), os.path.join(scratch, 'S.DBF'))
    if os.path.exists(os.path.join(folder, 'SCADENZE.DBT')):
        shutil.copy(os.path.join(folder, 'SCADENZE.DBT'), os.path.join(scratch, 'S.FPT'))
    try:
        t = dbfread.DBF(os.path.join(scratch, 'S.DBF'), encoding='cp1252',
                        char_decode_errors='strict', load=True)
        rows = []
        for deleted, records in ((False, t.records), (True, t.deleted)):
            for r in records:
                row = []
                for f in t.fields:
                    row.append(canonical(f.type, f.decimal_count, r[f.name]))
                row.append('*' if deleted else '')
                rows.append(row)
        return [f.name for f in t.fields], rows
    except Exception as e:  # the reader refuses the file
        return None, '%s: %s' % (type(e).__name__, e)
    finally:
        shutil.rmtree(scratch, ignore_errors=True)


def canonical(kind, decimals, v):
    if kind in ('C', 'M'):
        return (v or '').rstrip(' \x00')
    if kind == 'D':
        return '%02d/%02d/%04d' % (v.day, v.month, v.year) if v else ''
    if kind in ('N', 'F'):
        return '%.*f' % (decimals, v or 0)
    if kind == 'L':
        return 'T' if v else 'F'
    return str(v)


def store_layout(folder):
    """The fields (name, type, width) and record count as the store reads them."""
    r = subprocess.run([DNTABLE, 'info', os.path.join(folder, 'SCADENZE')],
                       capture_output=True, timeout=60)
    if r.returncode != 0:
        return None
    fields, count = [], None
    for line in r.stdout.decode('utf-8').splitlines():
        parts = line.split()
        if line.startswith('records:'):
            count = int(parts[1])
        elif len(parts) >= 7 and parts[-2] == 'offset':
            fields.append((parts[1], parts[2], int(parts[3])))
    return fields, count


def reader_layout(folder):
    import dbfread
    try:
        t = dbfread.DBF(os.path.join(folder, 'SCADENZE.DBF'), encoding='cp1252',
                        ignore_missing_memofile=True)
        return [(f.name, f.type, f.length) for f in t.fields], t.header.numrecords
    except Exception:
        return None


def store_view(folder):
    r = subprocess.run([DNTABLE, 'csv', os.path.join(folder, 'SCADENZE'), '--deleted'],
                       capture_output=True, timeout=60)
    if r.returncode != 0:
        return None, r.stderr.decode('utf-8', 'replace').strip()
    rows = list(csv.reader(io.StringIO(r.stdout.decode('utf-8'), newline='')))
    # dntable lists records in file order, deleted ones among them; the reader lists
    # live ones first: compare as sorted lists.
    return rows[0][:-1], [[c.rstrip(' \x00') for c in row] for row in rows[1:]]


def start(folder):
    env = dict(os.environ, TEMP=os.path.join(folder, '.temp'), QT_QPA_PLATFORM='offscreen')
    try:
        r = subprocess.run([WORKER], cwd=folder, env=env, stdin=subprocess.DEVNULL,
                           capture_output=True, timeout=60)
    except subprocess.TimeoutExpired:
        return 'hang', [], None
    asks, main = [], None
    for line in r.stdout.decode('cp1252').splitlines():
        parts = line.split(' ', 2)
        if parts[0] == 'ASK':
            asks.append(parts[2] if len(parts) > 2 else '')
        elif parts[0] == 'MAIN':
            main = parts[2] if len(parts) > 2 else ''
    if r.returncode < 0:
        return 'crash (signal %d)' % -r.returncode, asks, main
    return None, asks, main


def named_file(text):
    for lead, tail in (('Il file ', ' risulta corrotto.'),
                       ('Il formato del file ', ' non \u00e8 supportato.')):
        if text.startswith(lead) and text.endswith(tail):
            return text[len(lead):-len(tail)]
    return None


def purge_due(row, names, today):
    """Whether the purge must delete this (live) record: done, dated before today."""
    data = row[names.index('DATA')]
    if row[names.index('EVASA')] != 'T':
        return False
    # The empty date comes before every day.
    return not data or datetime.datetime.strptime(data, '%d/%m/%Y').date() < today


def check(kind, folder, mutant):
    """Runs one mutant; returns (outcome, problem or None)."""
    names, before = store_view(folder)
    rnames, rbefore = dbfread_view(folder)
    misread = None
    if names is not None and rnames is not None:
        if names != rnames or sorted(before) != sorted(rbefore):
            misread = 'the store reads the table otherwise than python3-dbfread'
    problem, asks, main = start(folder)
    if problem:
        return 'bad', problem
    if any('rapporto di errore' in a for a in asks):
        return 'bad', 'error report offered: ' + asks[0]
    damaged = [named_file(a) for a in asks if named_file(a)]
    rebuilt = [a for a in asks if a.startswith("L'indice ")]
    others = [a for a in asks if not named_file(a) and not a.startswith("L'indice ")]
    if others:
        return 'bad', 'other message: ' + others[0]
    for name in damaged:
        path = os.path.join(folder, name)
        if os.path.basename(name) == FILES[kind] and open(path, 'rb').read() != mutant:
            return 'bad', 'wrote into the damaged file ' + name
    if damaged:
        if main == '1':
            return 'bad', 'reported damage but the start went on'
        return 'reported', None
    if main != '1':
        return 'bad', 'the start failed without a clear message: %r' % asks
    if misread:
        return 'bad', misread
    if names is not None:
        outcome, view = ('rebuilt' if rebuilt else 'clean'), store_view
    elif rnames is not None and store_layout(folder) == reader_layout(folder):
        # The store refuses a record's memo that the start never reads: the damage
        # stays for whoever opens that deadline to report. The purge is checked
        # against the independent reader, when it reads the same layout (it takes
        # the decimals byte of a text field as the high byte of its width).
        outcome, view, names, before = 'latent', dbfread_view, rnames, rbefore
    else:
        return 'latent', None
    # The purge: exactly the done deadlines of past days went.
    _, after = view(folder)
    if after is None or isinstance(after, str):
        return 'bad', 'the table does not read after the start'
    today = datetime.date.today()
    expect = sorted(row[:-1] + (['*'] if row[-1] == '*' or purge_due(row, names, today)
                                else ['']) for row in before)
    if expect != sorted(after):
        return 'bad', 'the purge deleted other records than the done ones of past days'
    r = subprocess.run([DNTABLE, 'check', os.path.join(folder, 'SCADENZE'),
                        os.path.join(folder, 'SCADENZE.NTX')], capture_output=True, timeout=60)
    if r.returncode != 0:
        return 'bad', 'index and table disagree after the start: ' + \
            r.stdout.decode('utf-8', 'replace')[-300:]
    return outcome, None


def main():
    for tool in (WORKER, DNTABLE, MAKER):
        if not os.access(tool, os.X_OK):
            sys.exit('missing %s: build startup_worker, dntable and dn_make_tables first' % tool)
    rng = random.Random(SEED)
    shutil.rmtree(OUT, ignore_errors=True)
    pristine = os.path.join(OUT, 'pristine')
    make_pristine(pristine)
    status = 0
    for kind, name in FILES.items():
        counts = {}
        for n in range(PER_KIND):
            folder = os.path.join(OUT, 'work')
            shutil.rmtree(folder, ignore_errors=True)
            shutil.copytree(pristine, folder)
            path = os.path.join(folder, name)
            with open(path, 'rb') as f:
                mutant, how = mutate(f.read(), kind, rng)
            with open(path, 'wb') as f:
                f.write(mutant)
            outcome, problem = check(kind, folder, mutant)
            counts[outcome] = counts.get(outcome, 0) + 1
            if problem:
                status = 1
                keep = os.path.join(OUT, '%s-%d' % (kind, n))
                shutil.rmtree(keep, ignore_errors=True)
                shutil.move(folder, keep)
                with open(os.path.join(keep, name + '.mutant'), 'wb') as f:
                    f.write(mutant)
                with open(os.path.join(keep, 'PROBLEM.txt'), 'w') as f:
                    f.write('%s (%s)\n' % (problem, how))
                print('!! %s %d (%s): %s' % (kind, n, how, problem), flush=True)
        print('%-7s %s' % (kind, ', '.join('%s %d' % kv for kv in sorted(counts.items()))),
              flush=True)
    shutil.rmtree(os.path.join(OUT, 'work'), ignore_errors=True)
    return status


if __name__ == '__main__':
    sys.exit(main())
