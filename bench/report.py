#!/usr/bin/env python3
"""Reads what bench/report.sh left in its output folder and prints the machine and one table:
figure, ours, anchor, ratio, goal, met. Usage: report.py OUT_DIR"""

import datetime
import json
import os
import platform
import statistics
import subprocess
import sys

out = sys.argv[1]


def load(name):
    with open(os.path.join(out, name + ".json")) as f:
        return json.load(f)["benchmarks"]


def median_of(benchmarks, name, field="real_time"):
    """The median aggregate of one benchmark, or the median of its repetitions."""
    for b in benchmarks:
        if b.get("run_name") == name and b.get("aggregate_name") == "median":
            return b[field]
    runs = [b[field] for b in benchmarks if b.get("run_name") == name and b.get("run_type") == "iteration"]
    if not runs:
        raise KeyError(name)
    return statistics.median(runs)


def percentile(values, p):
    ordered = sorted(values)
    return ordered[round(p * (len(ordered) - 1))]


rows = []


def row(figure, ours, anchor, ratio, goal, met):
    rows.append((figure, ours, anchor, ratio, goal, "—" if met is None else ("yes" if met else "NO")))


def fmt(value, unit, digits=0):
    return f"{value:,.{digits}f} {unit}"


# Logging: nanoseconds per submission on the calling thread(s).
logging = load("bench_logging")
for threads in (1, 2):
    ours = median_of(logging, f"log/engine/info/real_time/threads:{threads}")
    anchor = median_of(logging, f"log/spdlog/info/real_time/threads:{threads}")
    row(f"log info submission, {threads} producer{'s' if threads > 1 else ''}", fmt(ours, "ns"),
        fmt(anchor, "ns") + " spdlog async", f"{ours / anchor:.2f}", "ratio <= 1.0", ours / anchor <= 1.0)
for threads in (1, 2):
    ours = median_of(logging, f"log/engine/info/real_time/threads:{threads}")
    anchor = median_of(logging, f"log/spdlog_flush_each/info/real_time/threads:{threads}")
    row(f"  same, anchor flushing every record", fmt(ours, "ns"), fmt(anchor, "ns") + " spdlog async+flush",
        f"{ours / anchor:.2f}", "(equal durability)", None)
ours = median_of(logging, "log/engine_memory_sink/info/real_time/threads:1")
anchor = median_of(logging, "log/spdlog/info/real_time/threads:1")
row("  engine on a sink without write(2)", fmt(ours, "ns"), fmt(anchor, "ns") + " spdlog async", f"{ours / anchor:.2f}",
    "(what the flush costs)", None)
ours = median_of(logging, "log/engine/burst10000/real_time")
anchor = median_of(logging, "log/spdlog/burst10000/real_time")
row("log burst of 10,000 records", fmt(ours, "us"), fmt(anchor, "us") + " spdlog async", f"{ours / anchor:.2f}",
    "ratio <= 1.0", ours / anchor <= 1.0)

# Model text parsing: MB/s on the same generated file.
obj = load("bench_obj")
mb = 1e6
ours = median_of(obj, "obj/engine/parse/real_time", "bytes_per_second") / mb
anchor = median_of(obj, "obj/tinyobjloader/parse/real_time", "bytes_per_second") / mb
before = median_of(obj, "obj/string_stream/parse/real_time", "bytes_per_second") / mb
row("OBJ parse, 200k triangles", fmt(ours, "MB/s", 1), fmt(anchor, "MB/s", 1) + " tinyobjloader",
    f"{ours / anchor:.2f}x", "speed >= 1.0x", ours >= anchor)
row("  string-stream reader (before)", fmt(before, "MB/s", 1), fmt(anchor, "MB/s", 1) + " tinyobjloader",
    f"{before / anchor:.2f}x", "(reference)", None)

try:
    ours = median_of(obj, "obj/engine/toristin/real_time")
    before = median_of(obj, "obj/string_stream/toristin/real_time")
    row("  parse of assets/toristin.obj", fmt(ours, "ms", 1), fmt(before, "ms", 1) + " string-stream reader",
        f"{ours / before:.2f}", "(start-up share)", None)
except KeyError:
    pass

# CPU part of a frame.
frame = load("bench_frame")
name = "frame/engine/advance_scene/real_time"
med = median_of(frame, name, "frame_median_us")
p99 = median_of(frame, name, "frame_p99_us")
row("advance_scene per frame, median", fmt(med, "us", 1), "20 us goal", f"{med / 20:.2f}", "<= 20 us", med <= 20)
row("advance_scene per frame, p99", fmt(p99, "us", 1), "20 us goal", f"{p99 / 20:.2f}", "(reported)", None)

# One full-screen shader pass on the machine's GL, against a 60 Hz frame.
fullscreen = load("bench_fullscreen_pass")
for target in ("rgba8", "rgba16f"):
    ours = median_of(fullscreen, f"fullscreen_pass/gradient_1280x720_{target}/real_time") / 1000
    row(f"full-screen pass, 1280x720 {target}", fmt(ours, "ms", 2), "16.7 ms frame", f"{ours / 16.667:.2f}",
        "(reported)", None)
# The raymarched act of bench/raymarch_act.frag (one pass straight into the frame) at two sizes.
for w, h in ((1280, 720), (640, 360)):
    ours = median_of(fullscreen, f"raymarched_act/width:{w}/height:{h}/real_time")
    row(f"raymarched act frame, {w}x{h}", fmt(ours, "ms", 1), "16.7 ms frame", f"{ours / 16.667:.2f}",
        "(reported)", None)
buffer_pass_ms = median_of(fullscreen, "feedback_buffer/640x360_rgba16f/real_time")


# Whole program.
def stamps(name):
    with open(os.path.join(out, name + "_frames.txt")) as f:
        return [int(line) for line in f if line.strip()]


def start(name):
    with open(os.path.join(out, name + "_start.txt")) as f:
        return float(f.read())


def rss_mb(name):
    with open(os.path.join(out, name + "_rss_kb.txt")) as f:
        return int(f.read().split()[-1]) / 1024


demo, empty = stamps("demo"), stamps("empty")
if len(demo) < 2 or len(empty) < 2:
    sys.exit("report: the whole-program run recorded too few frames")
first_demo = demo[0] / 1e9 - start("demo")
first_empty = empty[0] / 1e9 - start("empty")
row("first frame after process start", fmt(first_demo * 1000, "ms"), fmt(first_empty * 1000, "ms") + " empty frame",
    f"{first_demo / first_empty:.1f}", "<= 300 ms", first_demo <= 0.3)
frame_ms = [(b - a) / 1e6 for a, b in zip(demo, demo[1:])]
floor_ms = [(b - a) / 1e6 for a, b in zip(empty, empty[1:])]
for label, p, goal in (("median", 0.5, 16.7), ("p99", 0.99, 25.0)):
    ours, anchor = percentile(frame_ms, p), percentile(floor_ms, p)
    row(f"frame time, {label} ({len(frame_ms)} frames)", fmt(ours, "ms", 1), fmt(anchor, "ms", 1) + " empty frame",
        f"{ours / anchor:.1f}", f"<= {goal} ms", ours <= goal)
ours, anchor = max(frame_ms), max(floor_ms)
row("frame time, worst", fmt(ours, "ms", 1), fmt(anchor, "ms", 1) + " empty frame", f"{ours / anchor:.1f}",
    "(reported)", None)
# The same piece with render_scale = auto (bench/report.sh), against the run at every pixel.
if os.path.exists(os.path.join(out, "demo_auto_frames.txt")):
    auto = stamps("demo_auto")
    auto_ms = [(b - a) / 1e6 for a, b in zip(auto, auto[1:])]
    for label, p, goal in (("median", 0.5, 16.7), ("p99", 0.99, 25.0)):
        if len(auto_ms) < 2:
            break
        ours, anchor = percentile(auto_ms, p), percentile(frame_ms, p)
        row(f"  frame time with render_scale = auto, {label} ({len(auto_ms)} frames)", fmt(ours, "ms", 1),
            fmt(anchor, "ms", 1) + " every pixel", f"{ours / anchor:.2f}", f"<= {goal} ms", ours <= goal)
ours, anchor = rss_mb("demo"), rss_mb("empty")
row("peak resident memory", fmt(ours, "MB", 1), fmt(anchor, "MB", 1) + " empty frame", f"{ours / anchor:.2f}",
    "<= 150 MB", ours <= 150)

# The live player and the capture tool (bench/live_program.sh).
def lines_of(name):
    path = os.path.join(out, name)
    if not os.path.exists(path):
        return None
    with open(path, errors="replace") as f:
        return [line for line in f if line.strip()]


capture_73, capture_0 = lines_of("capture_73_seconds.txt"), lines_of("capture_0_seconds.txt")
if capture_73 and capture_0:
    ours = statistics.median(float(x) for x in capture_73)
    anchor = statistics.median(float(x) for x in capture_0)
    row("demo_capture --at 73, 1280x720", fmt(ours, "s", 2), fmt(anchor, "s", 2) + " --at 0", f"{ours / anchor:.2f}",
        "ratio <= 1.5", ours / anchor <= 1.5)

# A still at 60 s with an exact feedback buffer replays it over 3600 frames (bench/feedback_capture.sh).
feedback, unbuffered = lines_of("capture_feedback_60_seconds.txt"), lines_of("capture_unbuffered_60_seconds.txt")
if feedback and unbuffered:
    ours = statistics.median(float(x) for x in feedback)
    anchor = statistics.median(float(x) for x in unbuffered)
    row("demo_capture --at 60 with a feedback buffer, 640x360", fmt(ours, "s", 2),
        fmt(anchor, "s", 2) + " without the buffer", f"{ours / anchor:.1f}", "< 10 s", ours < 10)
    replayed = (ours - anchor) / 3600 * 1000
    row("  its cost per frame since 0", fmt(replayed, "ms", 2), fmt(buffer_pass_ms, "ms", 2) + " buffer pass alone",
        f"{replayed / buffer_pass_ms:.2f}", "(reported)", None)

seek = lines_of("live_seek.txt")
if seek:
    def shown(label):
        """(steps ms, drawn ms) of every record of a frame shown at that time."""
        found = []
        for line in seek:
            if f"({label} s) shown: " in line:
                words = line.split(" shown: ")[1].split()
                found.append((float(words[4]), float(words[8])))
        return found

    back, on = shown("74.00"), shown("75.00")[1:]  # the first 75 s frame is the start
    if back and on:
        total = statistics.median(s + d for s, d in back)
        anchor = statistics.median(s + d for s, d in on)
        row("seek 0 -> 74 s in demo_live, to the frame shown", fmt(total, "ms", 1),
            fmt(anchor, "ms", 1) + " 1 s on (60 steps)", f"{total / anchor:.2f}", "ratio <= 1.5", total / anchor <= 1.5)
        replay = statistics.median(s for s, _ in back)
        expected = 4441 * med / 1000
        row("  CPU replay of 4441 steps", fmt(replay, "ms", 1), fmt(expected, "ms", 1) + " 4441 x advance_scene",
            f"{replay / expected:.2f}", "(reported)", None)

def save_to_frame_rows(saves_file, frames_file, label):
    """Median and slowest time from a file's save to the first frame swapped after it."""
    saves, swaps = lines_of(saves_file), lines_of(frames_file)
    if not (saves and swaps):
        return
    swap_s = sorted(int(x) / 1e9 for x in swaps)
    latency = []
    for save in (float(x) for x in saves):
        after = [t for t in swap_s if t >= save]
        if after:
            latency.append((after[0] - save) * 1000)
    if latency:
        ours = statistics.median(latency)
        row(f"{label} ({len(latency)} saves)", fmt(ours, "ms"), "250 ms goal",
            f"{ours / 250:.2f}", "<= 250 ms", ours <= 250)
        row("  slowest save", fmt(max(latency), "ms"), "250 ms goal", f"{max(latency) / 250:.2f}", "(reported)", None)


save_to_frame_rows("reload_saves.txt", "reload_frames.txt", "shader save to first frame drawn with it")
save_to_frame_rows("piece_saves.txt", "piece_frames.txt", "piece save to first frame drawn with it, at 74 s")

# Start-up steps of the demo from its own records (core clock: seconds since the core module was made,
# which is within a few milliseconds of the launch).
steps = [
    ("Platform has", "GLFW started, monitors listed"),
    ("GL_ARB_debug_output supported", "window and GL context open"),
    ("Music succesfully loaded!", "toristin.obj with its three maps, and the music, loaded"),
    ("Linking shaders to a program object", "teksti.obj, ten sprites, model program"),
    ("Compiling vertex shader from 'shaders/particles.vert'", "geometry uploaded, model maps prepared"),
    ("Linking particle shaders", "particle program"),
]
step_lines = []
with open(os.path.join(out, "demo_stderr.txt"), errors="replace") as f:
    log_lines = [line for line in f if line.startswith("[")]
previous = 0.0
for text, meaning in steps:
    for line in log_lines:
        if text in line:
            t = float(line[1:line.index("]")])
            step_lines.append(f"  {t * 1000:8.0f} ms  (+{(t - previous) * 1000:5.0f})  {meaning}")
            previous = t
            break
with open(os.path.join(out, "demo_stdout.txt"), errors="replace") as f:
    stdout = f.read()
if "set offset: " in stdout:
    t = float(stdout.split("set offset: ")[1].split()[0])
    step_lines.append(f"  {t * 1000:8.0f} ms  (+{(t - previous) * 1000:5.0f})  textures of the sprites prepared; loop starts")
    step_lines.append(f"  {first_demo * 1000:8.0f} ms  (+{(first_demo - t) * 1000:5.0f})  first frame presented (from the launch)")

# The machine.
cpu = "unknown"
with open("/proc/cpuinfo") as f:
    for line in f:
        if line.startswith("model name"):
            cpu = line.split(":", 1)[1].strip()
            break
renderer = ""
glx = os.path.join(out, "glxinfo.txt")
if os.path.exists(glx):
    with open(glx) as f:
        renderer = "; ".join(line.split(":", 1)[1].strip() for line in f if ":" in line)
print(f"date: {datetime.datetime.now().astimezone().strftime('%Y-%m-%d %H:%M %Z')}")
print(f"machine: {os.cpu_count()} cores, {cpu}, {platform.system()} {platform.release()}")
print(f"load average at the end: {' '.join(f'{x:.2f}' for x in os.getloadavg())}")
print(f"GL under Xvfb: {renderer or 'glxinfo not available'}")
try:
    compiler = subprocess.run(["c++", "--version"], capture_output=True, text=True).stdout.splitlines()[0]
    print(f"compiler: {compiler}")
except (OSError, IndexError):
    pass
print()

headers = ("figure", "ours", "anchor (same run)", "ratio", "goal", "met")
widths = [max(len(str(r[i])) for r in rows + [headers]) for i in range(len(headers))]
line = "| " + " | ".join(h.ljust(w) for h, w in zip(headers, widths)) + " |"
print(line)
print("|" + "|".join("-" * (w + 2) for w in widths) + "|")
for r in rows:
    print("| " + " | ".join(str(c).ljust(w) for c, w in zip(r, widths)) + " |")

if step_lines:
    print()
    print("start-up steps of the demo (core clock, step duration in brackets):")
    print("\n".join(step_lines))
