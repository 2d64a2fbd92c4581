#!/usr/bin/python3
"""Runs and times the builds of bench/build/run.sh, interleaved round by round, and prints the
medians. timing.py GLIFFO_TOOL DATA_DIR ROUNDS BENCH_DIR"""
import os
import shutil
import statistics
import subprocess
import sys
import time

tool, data, rounds, here = sys.argv[1], sys.argv[2], int(sys.argv[3]), sys.argv[4]
src = os.path.join(data, 'set')
peers = {
    'gliffo-tool build (every target, fresh)': lambda out: [tool, 'build', os.path.join(src, 'icons.glyphset'), out],
    'Pillow script': lambda out: [sys.executable, os.path.join(here, 'pillow_build.py'), src, out],
    'ImageMagick script': lambda out: [sys.executable, os.path.join(here, 'magick_build.py'), src, out],
}
times = {name: [] for name in peers}
times['gliffo-tool build (unchanged rebuild)'] = []
missing = set()
for _ in range(rounds):
    for name, command in peers.items():
        if name in missing:
            continue
        out = os.path.join(data, 'out-' + name.split()[0])
        shutil.rmtree(out, ignore_errors=True)
        start = time.perf_counter()
        r = subprocess.run(command(out), stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
        took = time.perf_counter() - start
        if r.returncode != 0:
            print(f'{name}: failed: {r.stderr.decode()[-300:]}', file=sys.stderr)
            missing.add(name)
            continue
        times[name].append(took)
        if name.startswith('gliffo-tool'):
            start = time.perf_counter()
            subprocess.run(command(out), stdout=subprocess.DEVNULL, check=True)
            times['gliffo-tool build (unchanged rebuild)'].append(time.perf_counter() - start)
files = sum(len(f) for _, _, f in os.walk(os.path.join(data, 'out-gliffo-tool')))
print(f'200 icons x 3 sizes x 2 themes, {files} output files; median of {rounds} rounds')
base = statistics.median(times['gliffo-tool build (every target, fresh)'])
for name, t in times.items():
    if t:
        m = statistics.median(t)
        print(f'  {name:42s} {m * 1000:9.1f} ms  {m / base:6.2f}x')
    else:
        print(f'  {name:42s}   missing')
