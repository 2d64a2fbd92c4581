#!/usr/bin/env python3
"""Times the strip jobs against their floor and against ImageMagick, in one run.

run.py BUILD_DIR DATA_DIR [REPEATS]
Every job is a separate process, timed the same way (wall clock, best of REPEATS runs taken in
turn after one warm-up run each), so the figures compare like with like.
"""
import os
import shutil
import statistics
import subprocess
import sys
import time


def run(command, cwd=None, env=None):
    result = subprocess.run(command, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, cwd=cwd, env=env)
    if result.returncode != 0:
        sys.exit(f"{os.path.basename(command[0])} failed ({result.returncode}): {result.stderr.decode()[:500]}")


def timed(command, repeats, cwd=None, warm_up=True, env=None):
    if warm_up:
        run(command, cwd, env)
    samples = []
    for _ in range(repeats):
        start = time.perf_counter()
        run(command, cwd, env)
        samples.append(time.perf_counter() - start)
    return statistics.median(samples)


def main():
    build, data = sys.argv[1], sys.argv[2]
    repeats = int(sys.argv[3]) if len(sys.argv) > 3 else 5
    tool = os.path.join(build, "cli", "gliffo-tool")
    floor = os.path.join(build, "bench", "strips_floor")
    glyphs = os.path.join(data, "glyphs")
    strips = os.path.join(data, "strips")
    out = os.path.join(data, "out")
    os.makedirs(out, exist_ok=True)

    gathered = os.path.join(out, "gathered.gbc")
    combined = os.path.join(out, "combined.bmp")
    run([tool, "gather", glyphs, gathered, "--size", "16"])
    strip_files = sorted(os.path.join(strips, n) for n in os.listdir(strips) if n.lower().endswith(".bmp"))
    run([tool, "combine", combined] + strip_files)
    gathered_bytes = os.path.getsize(gathered)
    combined_bytes = os.path.getsize(combined)

    rows = []
    jobs = {
        "floor_g": [floor, glyphs],
        "floor_gw": [floor, glyphs, os.path.join(out, "floor_g.bin"), str(gathered_bytes)],
        "floor_gws": [floor, glyphs, os.path.join(out, "floor_g.bin"), str(gathered_bytes), "sync"],
        "gather": [tool, "gather", glyphs, gathered, "--size", "16"],
        "floor_s": [floor, strips],
        "floor_sw": [floor, strips, os.path.join(out, "floor_s.bin"), str(combined_bytes)],
        "floor_sws": [floor, strips, os.path.join(out, "floor_s.bin"), str(combined_bytes), "sync"],
        "combine": [tool, "combine", combined] + strip_files,
    }
    # Round robin, so a busy moment of the machine hits every job alike; the best run of each
    # is the figure least disturbed by other work.
    best = {}
    for command in jobs.values():
        run(command)
    for _ in range(repeats):
        for name, command in jobs.items():
            start = time.perf_counter()
            run(command)
            best[name] = min(best.get(name, 1e9), time.perf_counter() - start)
    t_floor_g, t_floor_gw, t_gather = best["floor_g"], best["floor_gw"], best["gather"]
    t_floor_s, t_floor_sw, t_combine = best["floor_s"], best["floor_sw"], best["combine"]

    convert = shutil.which("convert")
    t_im_g = t_im_c = None
    if convert:
        # Names relative to the folder keep the 10,000-name command line short.
        glyph_files = sorted((n for n in os.listdir(glyphs) if n.lower().endswith(".bmp")), key=str.lower)
        # The distribution's policy caps images at 16K pixels wide; the gathered strip is 160K.
        policy = os.path.join(out, "magick")
        os.makedirs(policy, exist_ok=True)
        with open(os.path.join(policy, "policy.xml"), "w") as f:
            f.write('<policymap>\n'
                    '  <policy domain="resource" name="width" value="1MP"/>\n'
                    '  <policy domain="resource" name="height" value="1MP"/>\n'
                    '  <policy domain="resource" name="area" value="1GP"/>\n'
                    '  <policy domain="resource" name="memory" value="2GiB"/>\n'
                    '</policymap>\n')
        env = dict(os.environ, MAGICK_CONFIGURE_PATH=policy)
        # ImageMagick is slow enough that the file cache is warm from the runs above; one run each.
        t_im_g = timed([convert] + glyph_files + ["+append", "BMP3:" + os.path.join(out, "im_g.bmp")], 1,
                       cwd=glyphs, warm_up=False, env=env)
        t_im_c = timed([convert] + strip_files + ["+append", "BMP3:" + os.path.join(out, "im_c.bmp")], 1,
                       warm_up=False, env=env)

    def row(label, t, ref):
        rows.append(f"{label:<38} {t * 1000:9.1f} ms  {t / ref:6.2f}x floor")

    print(f"data: {len(os.listdir(glyphs))} glyph files, {len(strip_files)} strips; best of {repeats} runs\n")
    row("floor: list+sort+read glyphs", t_floor_g, t_floor_g)
    row("floor: ... + write the strip", t_floor_gw, t_floor_gw)
    row("floor: ... + write and flush to disk", best["floor_gws"], t_floor_gw)
    row("gliffo-tool gather", t_gather, t_floor_gw)
    if t_im_g:
        row("ImageMagick convert +append (glyphs)", t_im_g, t_floor_gw)
    row("floor: list+sort+read strips", t_floor_s, t_floor_s)
    row("floor: ... + write the strip", t_floor_sw, t_floor_sw)
    row("floor: ... + write and flush to disk", best["floor_sws"], t_floor_sw)
    row("gliffo-tool combine", t_combine, t_floor_sw)
    if t_im_c:
        row("ImageMagick convert +append (strips)", t_im_c, t_floor_sw)
    print("\n".join(rows))
    print(f"\ngather: {t_gather / t_floor_gw:.2f}x floor (goal 1.5x); combine: {t_combine / t_floor_sw:.2f}x floor (goal 1.5x)")
    # gliffo-tool saves safely: a temporary file flushed to disk, then renamed over the target.
    print(f"against the floor that also flushes its output: gather {t_gather / best['floor_gws']:.2f}x, "
          f"combine {t_combine / best['floor_sws']:.2f}x")
    if t_im_g:
        print(f"ImageMagick / gliffo-tool: gather {t_im_g / t_gather:.1f}x slower, combine {t_im_c / t_combine:.1f}x slower")


if __name__ == "__main__":
    main()
