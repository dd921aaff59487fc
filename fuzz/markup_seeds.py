"""Writes each tooltip text of the plug-in's string tables as one seed file, in UTF-16LE as
the tooltip reads it: <language>-tip-<name>.

usage: markup_seeds.py <folder> <resource script>...
"""
import os
import re
import sys

TIP = re.compile(r'^\s*IDS_TIP_(\w+)\s+"(.*)"\s*$')
ESCAPES = {'\\\\': '\\', '\\"': '"', '""': '"', '\\n': '\n', '\\t': '\t', '\\r': '\r'}


def unescape(text):
    return re.sub(r'\\\\|\\"|""|\\n|\\t|\\r', lambda m: ESCAPES[m.group(0)], text)


def write_seeds(strings, folder):
    language = os.path.splitext(os.path.basename(strings))[0]
    with open(strings, 'rb') as source:
        raw = source.read()
    encoding = 'utf-8' if b'#pragma code_page(65001)' in raw else 'latin-1'
    count = 0
    for line in raw.decode(encoding).splitlines():
        match = TIP.match(line)
        if not match:
            continue
        path = os.path.join(folder, f'{language}-tip-{match.group(1).lower()}')
        with open(path, 'wb') as seed:
            seed.write(unescape(match.group(2)).encode('utf-16-le'))
        count += 1
    if count == 0:
        sys.exit('no tooltip texts in ' + strings)


def main(folder, scripts):
    os.makedirs(folder, exist_ok=True)
    for strings in scripts:
        write_seeds(strings, folder)


if __name__ == '__main__':
    main(sys.argv[1], sys.argv[2:])
