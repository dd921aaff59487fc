"""Prints every benchmark figure and every ratio against its anchor, one per line.

Arguments: the Google Benchmark JSON file and the JSON printed by pillow_resize.py.
Times are CPU milliseconds (medians of repetitions).
"""
import json
import sys


def load_benchmarks(path):
    with open(path) as file:
        data = json.load(file)
    times = {}
    for entry in data["benchmarks"]:
        if entry.get("aggregate_name") != "median":
            continue
        scale = {"ns": 1e-6, "us": 1e-3, "ms": 1.0, "s": 1e3}[entry["time_unit"]]
        times[entry["run_name"]] = entry["cpu_time"] * scale
    return times


def figure(name, ms):
    print(f"figure {name}: {ms:.3f} ms")


def ratio(name, value, goal=None):
    line = f"ratio {name}: {value:.2f}"
    if goal is not None:
        description, met = goal
        line += f" (goal {description}: {'met' if met else 'NOT met'})"
    print(line)


def main():
    ours = load_benchmarks(sys.argv[1])
    with open(sys.argv[2]) as file:
        pillow = json.load(file)

    for case in ("rgb_313x198", "rgba_192x96", "rgba_512x512", "rgba_512x512_interlaced"):
        mine = ours[f"png_decode/{case}"]
        anchor = ours[f"png_libpng_simplified/{case}"]
        figure(f"png_decode/{case}", mine)
        figure(f"png_libpng_simplified/{case}", anchor)
        value = mine / anchor
        ratio(f"png_decode/{case} time vs libpng", value, ("<= 1.10", value <= 1.10))

    blend = ours["blend_512/BlendRow"]
    plain = ours["blend_512/plain_loop"]
    copy = ours["blend_512/memcpy"]
    figure("blend_512/BlendRow", blend)
    figure("blend_512/plain_loop", plain)
    figure("blend_512/memcpy", copy)
    ratio("blend_512 speed vs plain loop", plain / blend, (">= 2", plain / blend >= 2))
    ratio("blend_512 time vs memcpy", blend / copy)

    # Speed relative to Pillow: its time divided by ours, so above 1 is faster.
    comparisons = [
        (1, 512, "nearest", None),
        (1, 640, "nearest", None),
        (1, 1536, "nearest", None),
        (0, 512, "box", 0.9),
        (0, 640, "box", None),
        (0, 1536, "bilinear", 1.0),
        (2, 512, "bicubic", 0.5),
        (2, 640, "bicubic", 0.5),
        (2, 1536, "bicubic", 0.5),
    ]
    for mode, side, name, goal in comparisons:
        mine = ours[f"resample_1024/mode:{mode}/side:{side}"]
        anchor = pillow[f"{name}/{side}"]
        figure(f"resample_1024 mode {mode} to {side}", mine)
        figure(f"pillow {name} to {side}", anchor)
        value = anchor / mine
        ratio(f"resample mode {mode} to {side} speed vs pillow {name}", value,
              None if goal is None else (f">= {goal}", value >= goal))


if __name__ == "__main__":
    main()
