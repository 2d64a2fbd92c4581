#!/usr/bin/env python3
"""Times the strip jobs of gliffo-tool against their two floors and against ImageMagick, Pillow
and stb_image, on the same data, and prints one table of medians.

run.py BUILD_DIR DATA_DIR      (env ROUNDS: interleaved rounds, default 5)
Every run is its own process, timed by the wall clock. After one warm-up run of every command,
each round runs every contestant of every job once in turn, so a busy moment of the machine hits
all of them alike; the figure is the median of a contestant's rounds. A short job is run
SHORT_RUNS times a round, every contestant once in turn each time, and its figure is the median
of all those runs: an fsync of a few milliseconds can take twice as long on one run as on the
next, and a job that short is mostly its fsync. The ratios are to the durable floor: gliffo-tool
saves safely (a temporary file flushed to disk and renamed), and no save of that kind can beat it.
"""
import hashlib
import os
import statistics
import struct
import subprocess
import sys
import time

from make_data import magick_env, read_ppm

CONTESTANTS = ["plain floor", "durable floor", "gliffo-tool", "ImageMagick", "Pillow", "stb_image"]
PEERS = CONTESTANTS[3:]
# Runs of gliffo-tool in the job over one small file.
COPIES = 50
# Short jobs (gliffo-tool's warm-up run under SHORT seconds), and how many times a round they run.
SHORT, SHORT_RUNS = 0.3, 5
# Runs of seconds, which run in every other round only, still interleaved with the rest.
SLOW = {("gather 10,000", "ImageMagick"), ("gather PNG", "ImageMagick"), ("split PNG", "ImageMagick"),
        ("ico", "ImageMagick"), ("ico", "Pillow")}


def run(command, cwd=None, env=None):
    """(seconds, None) or (None, the reason it failed)."""
    # What the run before left to write back would otherwise go to disk during this run's fsync.
    os.sync()
    # A job of many runs of a program (one icon a run) is a list of commands, timed together.
    commands = command if isinstance(command[0], list) else [command]
    start = time.perf_counter()
    for one in commands:
        result = subprocess.run(one, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, cwd=cwd, env=env)
        if result.returncode != 0:
            lines = result.stderr.decode(errors="replace").strip().splitlines()
            return None, f"exit {result.returncode}: {lines[-1][:200] if lines else 'no message'}"
    return time.perf_counter() - start, None


def bmp_size(path):
    with open(path, "rb") as f:
        head = f.read(30)
    if len(head) < 30 or head[:2] != b"BM":
        raise ValueError("not a BMP file")
    width, height = struct.unpack_from("<ii", head, 18)
    return width, abs(height), struct.unpack_from("<H", head, 28)[0]


def pixels_of(tool, path, scratch):
    """A BMP file's picture as gliffo-tool decodes it, so outputs of any format compare alike."""
    if subprocess.run([tool, "decode", path, scratch], capture_output=True).returncode != 0:
        return None
    return read_ppm(scratch)


def main():
    build, data = sys.argv[1], sys.argv[2]
    rounds = int(os.environ.get("ROUNDS", "5"))
    here = os.path.dirname(os.path.abspath(__file__))
    tool = os.path.join(build, "cli", "gliffo-tool")
    floor = os.path.join(build, "bench", "strips_floor")
    stb = os.path.join(build, "bench", "stb_peer")
    # The Debian package's program: a wrapper earlier on PATH would add its own start-up to every run.
    convert = "/usr/bin/convert"
    pillow = ["/usr/bin/python3", os.path.join(here, "pillow_peer.py")]
    out = os.path.join(data, "out")
    os.makedirs(out, exist_ok=True)
    magick = magick_env(os.path.join(out, "magick"))
    have = {"ImageMagick": os.access(convert, os.X_OK), "stb_image": os.access(stb, os.X_OK),
            "Pillow": os.access(pillow[0], os.X_OK)
            and subprocess.run(pillow[:1] + ["-c", "import PIL"], capture_output=True).returncode == 0}

    glyphs = os.path.join(data, "glyphs")
    strip_files = sorted(os.path.join(data, "strips", n) for n in os.listdir(os.path.join(data, "strips")))
    wide = os.path.join(data, "wide24.bmp")
    jobs = []  # (short name, label, inputs as the floor reads them, {contestant: output}, {contestant: (command, cwd)})

    def job(short, label, floor_inputs, output_ext, tool_args, im=None, im_cwd=None, pil=None, stb_args=None):
        outputs = {c: os.path.join(out, f"{len(jobs)}-{c.replace(' ', '_')}.{output_ext}") for c in CONTESTANTS}
        if output_ext == "dir":  # a folder of files; the floors still write one file
            for c in CONTESTANTS[2:]:
                os.makedirs(outputs[c], exist_ok=True)
        ours = tool_args(outputs["gliffo-tool"])
        commands = {"gliffo-tool": ([[tool] + a for a in ours] if isinstance(ours[0], list) else [tool] + ours, None)}
        if im and have["ImageMagick"]:
            theirs = im(outputs["ImageMagick"])
            commands["ImageMagick"] = ([[convert] + a for a in theirs] if isinstance(theirs[0], list) else [convert] + theirs,
                                       im_cwd)
        if pil and have["Pillow"]:
            theirs = pil(outputs["Pillow"])
            commands["Pillow"] = ([pillow + a for a in theirs] if isinstance(theirs[0], list) else pillow + theirs, None)
        if stb_args and have["stb_image"]:
            commands["stb_image"] = ([stb] + stb_args(outputs["stb_image"]), None)
        jobs.append((short, label, floor_inputs, outputs, commands))

    for count, folder in ((10000, glyphs), (1000, os.path.join(data, "glyphs1000"))):
        # Names relative to the folder keep the 10,000-name command line short.
        names = sorted((n for n in os.listdir(folder) if n.lower().endswith(".bmp")), key=str.lower)
        job(f"gather {count:,}", f"gather {count:,} 16×16 files", [folder], "bmp",
            lambda o, d=folder: ["gather", d, o, "--size", "16"],
            im=lambda o, n=names: n + ["+append", "BMP3:" + o], im_cwd=folder,
            pil=lambda o, d=folder: ["gather", d, o, "16"], stb_args=lambda o, d=folder: ["gather", d, o, "16"])
    png_glyphs = os.path.join(data, "pngglyphs")
    png_names = sorted((n for n in os.listdir(png_glyphs) if n.lower().endswith((".bmp", ".png"))), key=str.lower)
    job("gather PNG", "gather 10,000 16×16 PNG files", ["--png", png_glyphs], "bmp",
        lambda o: ["gather", png_glyphs, o, "--size", "16", "--png"],
        im=lambda o: png_names + ["-background", "#FF00FF", "-alpha", "remove", "+append", "BMP3:" + o],
        im_cwd=png_glyphs, pil=lambda o: ["gatherpng", png_glyphs, o, "16"],
        stb_args=lambda o: ["gatherpng", png_glyphs, o, "16"])
    for short, folder, label in (("combine", "strips", "combine 1,000 160×16 strips"),
                                 ("combine 24-bit", "strips24", "combine 1,000 160×16 24-bit strips"),
                                 ("combine 4-bit", "strips4", "combine 1,000 160×16 4-bit strips")):
        files = sorted(os.path.join(data, folder, n) for n in os.listdir(os.path.join(data, folder)))
        job(short, label, files, "bmp", lambda o, f=files: ["combine", o] + f,
            im=lambda o, f=files: f + ["+append", "BMP3:" + o],
            pil=lambda o, f=files: ["combine", o] + f, stb_args=lambda o, f=files: ["combine", o] + f)
    wide4 = os.path.join(data, "wide4.bmp")
    job("split PNG", "split --format png, 10,000 glyphs", [wide4], "dir",
        lambda o: ["split", wide4, o, "--format", "png"],
        im=lambda o: [wide4, "-crop", "16x16", "+repage", "-transparent", "#FF00FF", os.path.join(o, "wide4_%04d.png")],
        pil=lambda o: ["split", wide4, o], stb_args=lambda o: ["split", wide4, o])
    job("to4bit", "to4bit 160,000×16 24-bit strip", [wide], "bmp", lambda o: ["to4bit", wide, o],
        im=lambda o: [wide, "-dither", "None", "-remap", os.path.join(data, "palette16.ppm"), "-type", "Palette",
                      "BMP3:" + o],
        pil=lambda o: ["to4bit", wide, o], stb_args=lambda o: ["to4bit", wide, o])
    # The jobs of one strip's glyphs, and icons: against ImageMagick and Pillow.
    strip1000 = os.path.join(data, "strip1000.bmp")
    job("scale", "scale --by 2, 1,000 glyphs", [strip1000], "bmp", lambda o: ["scale", strip1000, o, "--by", "2"],
        im=lambda o: [strip1000, "-magnify", "BMP3:" + o], pil=lambda o: ["scale2x", strip1000, o])
    picked = ["0-249", "999-750"]
    job("pick", "pick 500 of 1,000 glyphs", [strip1000], "bmp", lambda o: ["pick", strip1000, o] + picked,
        pil=lambda o: ["pick", strip1000, o] + picked)
    icons = os.path.join(data, "icons")
    stems = sorted({n.rsplit("_", 1)[0] for n in os.listdir(icons) if n.endswith(".png")})
    sizes = [[os.path.join(icons, f"{stem}_{size}.png") for size in (16, 24, 32)] for stem in stems]
    job("ico", f"ico, {len(stems)} icons of 16, 24, 32", [f for group in sizes for f in group], "dir",
        lambda o: [["ico", os.path.join(o, stem + ".ico")] + group for stem, group in zip(stems, sizes)],
        im=lambda o: [group + [os.path.join(o, stem + ".ico")] for stem, group in zip(stems, sizes)],
        pil=lambda o: [["ico", o, group[2]] for group in sizes])
    # One small file: a program's start-up is most of such a job. Every contestant runs it
    # COPIES times in a row, the floors too, so the figure is that of many starts.
    small = strip_files[0]
    job("copy", f"copy one 160×16 strip, {COPIES} runs", [small], "dir",
        lambda o: [["copy", small, os.path.join(o, f"c{i}.bmp")] for i in range(COPIES)])
    for name, label in (("rgb24", "24-bit"), ("pal8", "8-bit"), ("pal4", "4-bit"), ("rle8", "RLE8"),
                        ("rle4", "RLE4"), ("rgba", "RGBA PNG")):
        src = os.path.join(data, "big", name + (".png" if name == "rgba" else ".bmp"))
        job(f"decode {label}", f"decode 4096×4096 {label}", [src], "ppm", lambda o, s=src: ["decode", s, o],
            im=lambda o, s=src: [s, "-depth", "8", "PPM:" + o],  # else 4-bit files come out at maxval 15
            pil=lambda o, s=src: ["decode", s, o], stb_args=lambda o, s=src: ["decode", s, o])

    failed, notes, wrong, slow, runs_a_round = {}, [], {}, {}, {}
    for index, (short, label, inputs, outputs, commands) in enumerate(jobs):
        # gliffo-tool's output sets the size the floors write, so they write no byte less.
        seconds, reason = run(commands["gliffo-tool"][0])
        if reason:
            sys.exit(f"gliffo-tool fails on {label}: {reason}")
        runs_a_round[index] = SHORT_RUNS if seconds < SHORT else 1
        made = outputs["gliffo-tool"]
        size = (sum(os.path.getsize(os.path.join(made, n)) for n in os.listdir(made)) if os.path.isdir(made)
                else os.path.getsize(made))
        for contestant, extra in (("plain floor", []), ("durable floor", ["--durable"])):
            if short == "copy":
                commands[contestant] = ([[floor, "--out", f"{outputs[contestant]}-{i}", str(size // COPIES)] + extra +
                                         inputs for i in range(COPIES)], None)
            else:
                commands[contestant] = ([floor, "--out", outputs[contestant], str(size)] + extra + inputs, None)
        for contestant, (command, cwd) in commands.items():
            if contestant == "gliffo-tool":
                continue
            seconds, reason = run(command, cwd, magick)
            if reason:
                failed[(index, contestant)] = reason
            elif (short, contestant) in SLOW:
                slow[(index, contestant)] = seconds

    # Outputs are checked once, so no contestant is faster by doing less.
    with open(os.path.join(data, "big", "pictures.sha256")) as f:
        pictures = {name: digest for digest, name in (line.split() for line in f)}
    scratch, reference = os.path.join(out, "check.ppm"), os.path.join(out, "reference.ppm")
    with open(os.path.join(data, "pngglyphs.sha256")) as f:
        gathered_png = f.read().split()[0]
    for index, (short, label, inputs, outputs, commands) in enumerate(jobs):
        peers = [c for c in PEERS if c in commands and (index, c) not in failed]
        if short == "split PNG":
            strip = pixels_of(tool, inputs[0], reference)

            def glyph(pixels, i):
                return b"".join(pixels[2][(y * pixels[0] + i * 16) * 3:(y * pixels[0] + i * 16 + 16) * 3] for y in range(16))

            def split_right(folder):
                names = [n for n in os.listdir(folder) if n.endswith(".png")]
                if len(names) != 10000:
                    return f"writes {len(names)} files, not 10000"
                for i in (0, 1, 2, 1234, 5000, 9998, 9999):
                    theirs = pixels_of(tool, os.path.join(folder, f"wide4_{i:04d}.png"), scratch)
                    if theirs is None or theirs[:2] != (16, 16) or theirs[2] != glyph(strip, i):
                        return f"glyph {i} is not the strip's (read with the key colour magenta)"
                return None
            reason = split_right(outputs["gliffo-tool"])
            if reason:
                sys.exit(f"gliffo-tool's split {reason}")
            for peer in peers:
                reason = split_right(outputs[peer])
                if reason:
                    wrong[(index, peer)] = reason
            continue
        if short == "copy":
            made = sorted(os.listdir(outputs["gliffo-tool"]))
            if len(made) != COPIES or any(pixels_of(tool, os.path.join(outputs["gliffo-tool"], n), scratch) !=
                                          pixels_of(tool, inputs[0], reference) for n in made[:1]):
                sys.exit("gliffo-tool's copy writes another picture or another number of files")
            continue
        if short == "ico":
            for contestant in ["gliffo-tool"] + peers:
                made = [n for n in os.listdir(outputs[contestant]) if n.endswith(".ico")]
                if len(made) != len(stems):
                    if contestant == "gliffo-tool":
                        sys.exit(f"gliffo-tool's ico writes {len(made)} icons, not {len(stems)}")
                    wrong[(index, contestant)] = f"writes {len(made)} icons, not {len(stems)}"
            continue
        if short in ("scale", "pick"):
            width, height, bits = bmp_size(outputs["gliffo-tool"])
            want = (32000, 32) if short == "scale" else (8000, 16)
            if (width, height) != want:
                sys.exit(f"gliffo-tool's {label} output is {width}×{height}, not {want[0]}×{want[1]}")
            ours = pixels_of(tool, outputs["gliffo-tool"], reference)
            for peer in peers:
                theirs = pixels_of(tool, outputs[peer], scratch)
                if theirs is None or theirs[:2] != ours[:2]:
                    wrong[(index, peer)] = f"writes another size than {want[0]}×{want[1]}"
                elif theirs[2] != ours[2]:
                    differ = sum(theirs[2][i:i + 3] != ours[2][i:i + 3] for i in range(0, len(ours[2]), 3))
                    notes.append(f"{peer} on {short}: {differ / (ours[0] * ours[1]):.2%} of the pixels differ from "
                                 f"gliffo-tool's" + (" (it enlarges the whole strip, so glyphs meet at their edges)"
                                                     if peer == "ImageMagick" else ""))
            continue
        if short.startswith("decode"):
            def right(path, picture=pictures[os.path.basename(inputs[0])[:-4]]):
                width, height, pixels = read_ppm(path)
                return (width, height) == (4096, 4096) and hashlib.sha256(pixels).hexdigest() == picture
            if not right(outputs["gliffo-tool"]):
                sys.exit(f"gliffo-tool decodes {inputs[0]} to another picture than the one written")
            for peer in peers:
                if not right(outputs[peer]):
                    wrong[(index, peer)] = "decodes to another picture than the one written"
            continue
        width, height, bits = bmp_size(outputs["gliffo-tool"])
        want = {"gather 10,000": 160000, "gather 1,000": 16000, "gather PNG": 160000, "combine": 160000,
                "combine 24-bit": 160000, "combine 4-bit": 160000, "to4bit": 160000}[short]
        if (width, height) != (want, 16) or (short == "to4bit" and bits != 4):
            sys.exit(f"gliffo-tool's {label} output is {width}×{height} at {bits} bits, not {want}×16")
        if short == "gather PNG":
            def gathered_right(path):
                theirs = pixels_of(tool, path, scratch)
                return theirs is not None and hashlib.sha256(theirs[2]).hexdigest() == gathered_png
            if not gathered_right(outputs["gliffo-tool"]):
                sys.exit("gliffo-tool gathers the PNG glyphs to another picture than the one written")
            for peer in peers:
                if bmp_size(outputs[peer])[:2] != (width, height) or not gathered_right(outputs[peer]):
                    wrong[(index, peer)] = "gathers another picture than the one written (alpha below 128 as FF00FF)"
            continue
        picture = pixels_of(tool, outputs["gliffo-tool"], reference) if short == "to4bit" else None
        for peer in peers:
            size = bmp_size(outputs[peer])[:2]
            if size != (width, height):
                wrong[(index, peer)] = f"writes {size[0]}×{size[1]}, not {width}×{height}"
            elif picture:
                theirs = pixels_of(tool, outputs[peer], scratch)
                if theirs is None or theirs[:2] != picture[:2]:
                    wrong[(index, peer)] = "writes a file gliffo-tool cannot read back at its size"
                    continue
                differ = sum(theirs[2][i:i + 3] != picture[2][i:i + 3] for i in range(0, len(picture[2]), 3))
                if differ:
                    notes.append(f"{peer} on {short}: {differ / (width * height):.2%} of the pixels take another "
                                 f"of the 16 colours than gliffo-tool's nearest (squared RGB distance), "
                                 f"at {bmp_size(outputs[peer])[2]} bits")

    times = {}
    for r in range(rounds):
        for index, (short, label, inputs, outputs, commands) in enumerate(jobs):
            for again in range(runs_a_round[index]):
                for contestant in CONTESTANTS:
                    key = (index, contestant)
                    if contestant not in commands or key in failed or (key in slow and (r % 2 or again)):
                        continue
                    command, cwd = commands[contestant]
                    seconds, reason = run(command, cwd, magick)
                    if reason:
                        failed[key] = f"round {r + 1}: {reason}"
                    else:
                        times.setdefault(key, []).append(seconds)
    median = {key: statistics.median(samples) for key, samples in times.items() if key not in failed}

    def cell(index, contestant, short):
        key = (index, contestant)
        if contestant not in jobs[index][4]:
            return "—"
        if key in failed:
            return "n/a" if contestant == "stb_image" and "RLE" in short else "fail"
        ms = median[key] * 1000
        text = f"{ms:.0f}" if ms >= 100 else f"{ms:.3g}"
        return f"{text} ms ({median[key] / median[(index, 'durable floor')]:.2f})" + (" †" if key in wrong else "")

    print(f"\nstrip jobs, wall clock, median of {rounds} interleaved rounds after a warm-up run, "
          f"{SHORT_RUNS} runs a round for the jobs under {SHORT} s; (ratio to the durable floor)\n")
    print("| job | " + " | ".join(CONTESTANTS) + " |")
    print("|---" * (len(CONTESTANTS) + 1) + "|")
    for index, (short, label, *_rest) in enumerate(jobs):
        print(f"| {label} | " + " | ".join(cell(index, c, short) for c in CONTESTANTS) + " |")

    print()
    summary = {}
    for index, (short, label, inputs, outputs, commands) in enumerate(jobs):
        ours = median[(index, "gliffo-tool")]
        ratio = ours / median[(index, "durable floor")]
        valid = [(median[(index, p)], p) for p in PEERS if (index, p) in median and (index, p) not in wrong]
        line = f"{short}: gliffo-tool {ratio:.2f}x durable floor"
        if valid:
            best, peer = min(valid)
            line += f"; {peer} {best / ours:.1f}x gliffo-tool's time"
        print(line)
        stb_time = median.get((index, "stb_image")) if (index, "stb_image") not in wrong else None
        summary[short] = (ratio, stb_time / ours if stb_time else None)

    print("\nnotes:")
    if not have["ImageMagick"] or not have["Pillow"] or not have["stb_image"]:
        print("- not installed: " + ", ".join(p for p in PEERS if not have[p]) + " (shown —)")
    repeated = [jobs[index][0] for index in range(len(jobs)) if runs_a_round[index] > 1]
    if repeated:
        print(f"- run {SHORT_RUNS} times a round (gliffo-tool's warm-up run under {SHORT} s): " + ", ".join(repeated))
    for (index, contestant), seconds in sorted(slow.items()):
        print(f"- {contestant} on {jobs[index][0]}: {len(times.get((index, contestant), []))} of "
              f"{rounds * runs_a_round[index]} runs, once in every other round (its warm-up run took {seconds:.1f} s)")
    for (index, contestant), reason in sorted(failed.items()):
        print(f"- {contestant} on {jobs[index][0]}: {cell(index, contestant, jobs[index][0])}: {reason}")
    for (index, contestant), reason in sorted(wrong.items()):
        print(f"- † {contestant} on {jobs[index][0]}: {reason}; left out of the peer comparisons")
    for note in notes:
        print(f"- {note}")
    print("- split PNG: the floors write the bytes of all 10,000 files as one file; gliffo-tool saves each "
          "file safely (temporary file, flushed to disk 256 files at a time, renamed), the peers write in place")
    print(f"- ico: every contestant runs once an icon ({len(stems)} runs); Pillow saves the 32-pixel picture with "
          "save(sizes=...), which makes the smaller ones; the floors read all three sizes once and write the "
          "icons' bytes as one file")
    print("- peers write their output in place without flushing it to disk, as the plain floor does; "
          "Pillow and stb_image write strips at 24 bits, Pillow its 4-bit job at 8 bits")

    print("\ngoals:")

    def ahead(short):
        index = next(i for i, j in enumerate(jobs) if j[0] == short)
        ours = median[(index, "gliffo-tool")]
        # The peers the job is run with (the new jobs have no stb_image program).
        entered = [p for p in PEERS if p in jobs[index][4] or (index, p) in failed]
        rel = {p: median[(index, p)] / ours for p in entered
               if (index, p) in median and (index, p) not in wrong}
        met = len(rel) == len(entered) and all(r > 1 for r in rel.values())
        text = ", ".join(f"{p} {rel[p]:.2f}x" if p in rel else f"{p} no figure" for p in entered)
        print(f"- {short} ahead of every peer ({text} its time): {'met' if met else 'not met'}")

    def goal(short, limit, beat_stb):
        ratio, stb_rel = summary[short]
        met = ratio <= limit
        text = f"{short} ≤ {limit}x durable floor ({ratio:.2f}x)"
        if beat_stb:
            met = met and stb_rel is not None and stb_rel > 1
            text += " and faster than stb_image (" + (f"stb_image {stb_rel:.2f}x its time)" if stb_rel else "no figure)")
        print(f"- {text}: {'met' if met else 'not met'}")

    for short in ("gather 10,000", "gather 1,000", "combine", "combine 24-bit", "combine 4-bit"):
        goal(short, 1.3, True)
    goal("gather PNG", 2, False)
    for short in ("gather PNG", "decode RGBA PNG", "split PNG", "scale", "pick", "ico"):
        ahead(short)
    goal("to4bit", 2, False)
    index = next(i for i, j in enumerate(jobs) if j[0] == "copy")
    extra = (median[(index, "gliffo-tool")] - median[(index, "durable floor")]) / COPIES * 1000
    print(f"- copy of one small strip within 1 ms of the durable floor a run ({extra:+.2f} ms): "
          f"{'met' if extra <= 1 else 'not met'}")
    for depth in ("24-bit", "8-bit", "4-bit"):
        goal(f"decode {depth}", 1.5, True)
    for depth in ("RLE8", "RLE4"):
        goal(f"decode {depth}", 2.5, False)

if __name__ == "__main__":
    main()
