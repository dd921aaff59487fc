"""Times Pillow's resize of a 1024 x 1024 RGB image, the anchor for Resample.

Prints one JSON object: {"<filter>/<side>": milliseconds of CPU time per resize}, the
median of five batches.
"""
import json
import random
import statistics
import time

from PIL import Image

FILTERS = {
    "nearest": Image.NEAREST,
    "bilinear": Image.BILINEAR,
    "bicubic": Image.BICUBIC,
    "box": Image.BOX,
}
SIDES = (512, 640, 1536)


def per_call_ms(function):
    calls = 1
    while True:
        start = time.process_time()
        for _ in range(calls):
            function()
        elapsed = time.process_time() - start
        if elapsed >= 0.2:
            break
        calls *= 2
    batches = []
    for _ in range(5):
        start = time.process_time()
        for _ in range(calls):
            function()
        batches.append((time.process_time() - start) / calls)
    return statistics.median(batches) * 1000


def main():
    rng = random.Random(2)
    source = Image.frombytes("RGB", (1024, 1024), bytes(rng.getrandbits(8) for _ in range(1024 * 1024 * 3)))
    results = {}
    for name, resample in FILTERS.items():
        for side in SIDES:
            results[f"{name}/{side}"] = per_call_ms(lambda: source.resize((side, side), resample))
    print(json.dumps(results))


if __name__ == "__main__":
    main()
