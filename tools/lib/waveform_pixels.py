"""Reads a screenshot of the waveform view: where its detail view is, which
columns of it are drawn flat, and where its breakpoint markers stand.
Usage: waveform_pixels.py SHOT.ppm  -> prints shell assignments."""
import sys

ENVELOPE = {(38, 92, 160), (118, 165, 222)}
MARKERS = {(196, 30, 36), (240, 120, 0)}


def read_ppm(path):
    data = open(path, "rb").read()
    fields, at = [], 0
    while len(fields) < 4:
        while data[at:at + 1].isspace():
            at += 1
        if data[at:at + 1] == b"#":
            at = data.index(b"\n", at)
            continue
        end = at
        while not data[end:end + 1].isspace():
            end += 1
        fields.append(data[at:end])
        at = end
    width, height = int(fields[1]), int(fields[2])
    pixels = data[at + 1:]

    def pixel(x, y):
        i = (y * width + x) * 3
        return tuple(pixels[i:i + 3])

    return width, height, pixel


def main():
    width, height, pixel = read_ppm(sys.argv[1])
    # The detail view: the tallest run of rows in the middle column that are
    # not the window's own colour (the overview strip above it is shorter).
    window = pixel(1, 1)
    runs, start = [], None
    middle = width // 2
    for y in range(height + 1):
        inside = y < height and pixel(middle, y) != window
        if inside and start is None:
            start = y
        elif not inside and start is not None:
            runs.append((start, y - 1))
            start = None
    top, bottom = max(runs, key=lambda run: run[1] - run[0])
    row = (top + bottom) // 2
    left = middle
    while left > 0 and pixel(left - 1, row) != window:
        left -= 1
    right = middle
    while right < width - 1 and pixel(right + 1, row) != window:
        right += 1
    # Per column of the detail: how many pixels the envelope covers, and
    # whether a marker line crosses the middle row.
    heights = []
    markers = []
    for x in range(left, right + 1):
        heights.append(sum(pixel(x, y) in ENVELOPE for y in range(top, bottom + 1)))
        if pixel(x, row) in MARKERS:
            markers.append(x - left)
    print(f"detail_left={left} detail_top={top} detail_width={right - left + 1} "
          f"detail_height={bottom - top + 1}")
    print("heights=(" + " ".join(map(str, heights)) + ")")
    print("markers=(" + " ".join(map(str, markers)) + ")")


main()
