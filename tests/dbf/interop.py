#!/usr/bin/python3
"""Reads and writes dBase tables with independent readers for the interop tests.

  interop.py read-dbfread TABLE   records as seen by dbfread
  interop.py fields-dbfread TABLE the fields as dbfread sees them, one per line
                                  ("NAME TYPE LENGTH DECIMALS"), then the numbers
                                  of live and deleted records
  interop.py read-dbf TABLE       records as seen by the dbf package
  interop.py write-dbf TABLE      writes a FoxPro-layout table with memos using the
                                  dbf package and prints the records it wrote
  interop.py write-rows TABLE SPEC ROWS
                                  writes a FoxPro-layout table of the dbf package's
                                  field SPEC ("NAME C(35); NOTE M") with the records
                                  of the file ROWS, given as this script prints them
                                  (C, M and L fields only)

Records are printed one per line, live records first and then deleted ones, each
in file order: the deletion flag (" " or "*"), then one "|"-separated item per
field, the value's canonical text in Windows-1252 as hex: C without trailing
blanks, D as YYYYMMDD (empty when blank), N with its decimals, L as T or F,
M as the memo text.
"""
import datetime
import sys


def canonical(kind, decimals, value):
    if kind == 'C':
        text = (value or '').rstrip(' ')
    elif kind == 'D':
        text = value.strftime('%Y%m%d') if value else ''
    elif kind in ('N', 'F'):
        text = '%.*f' % (decimals, value or 0)
    elif kind == 'L':
        text = 'T' if value else 'F'
    else:
        text = value or ''
    return text.encode('cp1252').hex()


def emit(fields, rows):
    for deleted in (False, True):
        for flag, values in rows:
            if flag == deleted:
                items = [canonical(k, d, v) for (_, k, d), v in zip(fields, values)]
                print(('*' if deleted else ' ') + '|' + '|'.join(items))


def read_dbfread(path):
    import dbfread
    table = dbfread.DBF(path, encoding='cp1252', char_decode_errors='strict')
    fields = [(f.name, f.type, f.decimal_count) for f in table.fields]
    rows = [(False, [r[n] for n, _, _ in fields]) for r in table]
    rows += [(True, [r[n] for n, _, _ in fields]) for r in table.deleted]
    emit(fields, rows)


def fields_dbfread(path):
    import dbfread
    table = dbfread.DBF(path, encoding='cp1252')
    for f in table.fields:
        print(f.name, f.type, f.length, f.decimal_count)
    print(len(table), len(table.deleted))


def read_dbf(path):
    import dbf
    table = dbf.Table(path)
    table.open(dbf.READ_ONLY)
    try:
        fields = []
        for name in dbf.field_names(table):
            info = table.field_info(name)
            fields.append((name, chr(info.field_type), info.decimal))
        rows = []
        for record in table:
            rows.append((dbf.is_deleted(record), [record[n] for n, _, _ in fields]))
        emit(fields, rows)
    finally:
        table.close()


def write_dbf(path):
    import dbf
    table = dbf.Table(path, 'NOME C(20); QUANDO D; IMPORTO N(9,2); FATTO L; NOTE M',
                      dbf_type='fp', codepage='cp1252')
    table.open(dbf.READ_WRITE)
    data = [
        ('Rossi Mario', datetime.date(2024, 2, 29), 1234.5, True,
         'prima riga\r\nseconda riga con \u00e0\u00e8\u00ec\u00f2\u00f9 e \u20ac'),
        ('Bianchi', None, -7.25, False, ''),
        ('Verdi Giuseppe', datetime.date(1999, 12, 31), 0, True, 'x' * 5000 + '\r\nfine'),
        ('Cancellato', datetime.date(2030, 1, 1), 42, False, 'memo del record cancellato'),
    ]
    for row in data:
        table.append(row)
    dbf.delete(table[3])
    table.close()
    fields = [('NOME', 'C', 0), ('QUANDO', 'D', 0), ('IMPORTO', 'N', 2), ('FATTO', 'L', 0),
              ('NOTE', 'M', 0)]
    emit(fields, [(i == 3, list(row)) for i, row in enumerate(data)])


def write_db3(path):
    import dbf
    table = dbf.Table(path, 'NOME C(20); NOTE M', dbf_type='db3', codepage='cp1252')
    table.open(dbf.READ_WRITE)
    table.append(('Rossi Mario', 'testo del memo'))
    table.close()


def write_rows(path, spec, rows_path):
    import dbf
    table = dbf.Table(path, spec, dbf_type='fp', codepage='cp1252')
    table.open(dbf.READ_WRITE)
    try:
        kinds = [chr(table.field_info(n).field_type) for n in dbf.field_names(table)]
        with open(rows_path) as rows:
            for line in rows:
                items = line.rstrip('\n').split('|')
                values = [bytes.fromhex(h).decode('cp1252') for h in items[1:]]
                values = [v == 'T' if k == 'L' else v for k, v in zip(kinds, values)]
                table.append(tuple(values))
                if items[0] == '*':
                    dbf.delete(table[-1])
    finally:
        table.close()
    read_dbf(path)


if __name__ == '__main__':
    {'read-dbfread': read_dbfread, 'fields-dbfread': fields_dbfread, 'read-dbf': read_dbf,
     'write-dbf': write_dbf, 'write-rows': write_rows, 'write-db3': write_db3}[sys.argv[1]](*sys.argv[2:])
