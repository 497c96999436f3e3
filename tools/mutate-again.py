#!/usr/bin/env python3
"""Applies mutants of an old mutate.py --list output to a newer tree: each mutated line is
found again by its text (the occurrence nearest the old line number), mutated the same way,
built and tested; the file is restored afterwards. Usage:
  tools/mutate-again.py LIST TREE BUILD IDS RESULTS
LIST is the output of mutate.py --list on the old tree, IDS a comma-separated list of its
numbers, RESULTS a file the outcomes are appended to (id, site now, op, outcome, test, time)."""
import re, subprocess, sys, time

list_path, tree, build, ids, results = sys.argv[1:6]
want = {int(x) for x in ids.split(',')}
entries, cur = [], None
for line in open(list_path, encoding='utf-8'):
    m = re.match(r'\s*(\d+) (\S+):(\d+) (\w+)$', line.rstrip('\n'))
    if m:
        cur = [int(m.group(1)), m.group(2), int(m.group(3)), m.group(4), None, None]
        entries.append(cur)
    elif line.startswith('    - '):
        cur[4] = line[6:].rstrip('\n')
    elif line.startswith('    + '):
        cur[5] = line[6:].rstrip('\n')

def run(cmd, timeout=None):
    p = subprocess.run(cmd, shell=True, stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True, timeout=timeout)
    return p.returncode, p.stdout

out = open(results, 'a')
for i, rel, n, op, old, new in entries:
    if i not in want:
        continue
    path = f'{tree}/{rel}'
    try:
        text = open(path, encoding='utf-8').read()
    except FileNotFoundError:
        out.write(f'{i}\t{rel}:{n}\t{op}\tgone\t\n'); out.flush(); continue
    lines = text.split('\n')
    hits = [k for k, l in enumerate(lines) if l.strip() == old.strip()]
    if not hits:
        out.write(f'{i}\t{rel}:{n}\t{op}\tgone\t\n'); out.flush(); continue
    k = min(hits, key=lambda k: abs(k + 1 - n))
    indent = re.match(r'^(\s*)', lines[k]).group(1)
    lines[k] = indent + new.strip()
    t0 = time.time(); who = ''
    try:
        open(path, 'w', encoding='utf-8').write('\n'.join(lines))
        rc, o = run(f'cmake --build {build} -j2')
        if rc:
            outcome = 'stillborn'
        else:
            try:
                rc, o = run(f'QT_QPA_PLATFORM=offscreen ctest --test-dir {build} -j2 --stop-on-failure --timeout 300 -LE soak', timeout=900)
                outcome = 'survived' if rc == 0 else 'killed'
                if rc:
                    m = re.findall(r'\d+ - (\S+) \((Failed|Timeout|SEGFAULT|Subprocess aborted|Child aborted|Exception)', o)
                    who = ','.join(sorted({x[0] for x in m}))
            except subprocess.TimeoutExpired:
                outcome, who = 'killed', 'suite timeout'
    finally:
        open(path, 'w', encoding='utf-8').write(text)
    out.write(f'{i}\t{rel}:{k + 1}\t{op}\t{outcome}\t{who}\t{int(time.time() - t0)}s\n'); out.flush()
run(f'cmake --build {build} -j2')
