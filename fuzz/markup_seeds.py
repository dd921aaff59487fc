"""Writes each tooltip text of the plug-in's string table as one seed file.

usage: markup_seeds.py <resource script> <folder>
"""
import os
import re
import sys

TIP = re.compile(r'^\s*IDS_TIP_(\w+)\s+"(.*)"\s*$')
ESCAPES = {'\\\\': '\\', '\\"': '"', '""': '"', '\\n': '\n', '\\t': '\t', '\\r': '\r'}


def unescape(text):
    return re.sub(r'\\\\|\\"|""|\\n|\\t|\\r', lambda m: ESCAPES[m.group(0)], text)


def main(strings, folder):
    os.makedirs(folder, exist_ok=True)
    count = 0
    with open(strings, encoding='latin-1') as source:
        for line in source:
            match = TIP.match(line)
            if not match:
                continue
            path = os.path.join(folder, 'tip-' + match.group(1).lower())
            with open(path, 'wb') as seed:
                seed.write(unescape(match.group(2)).encode('latin-1'))
            count += 1
    if count == 0:
        sys.exit('no tooltip texts in ' + strings)


if __name__ == '__main__':
    main(sys.argv[1], sys.argv[2])
