"""The settings program on a Wayland compositor, as its user sees the screen.

Opens the "Protocol/Mode" popup from the "Settings" menu and the "Port Resources" popup
with a ring's press action (over the AT-SPI bus), and finds each in the compositor's own
screenshot (weston-screenshooter): the popup, wholly on the screen, lies beside its ring, and that
ring is lit there. Exits 0 when all of that holds, 1 with a message otherwise.
"""

import glob
import os
import struct
import subprocess
import tempfile
import time
import zlib

import pyatspi

from atspi_client import do, fail, find, program, wait_for

NEAR = 120  # pixels between a popup and its ring at most


def screenshot():
    """The compositor's screen as (width, height, rows of RGB bytes)."""
    folder = tempfile.mkdtemp(dir=os.environ.get("TR4410_SCREENSHOTS"))
    subprocess.run(["weston-screenshooter"], cwd=folder, check=True, timeout=20)
    data = open(glob.glob(folder + "/*.png")[0], "rb").read()
    width, height, depth, kind = struct.unpack(">IIBB", data[16:26])
    chunks, at = b"", 8
    while at < len(data):
        length, name = struct.unpack(">I4s", data[at:at + 8])
        if name == b"IDAT":
            chunks += data[at + 8:at + 8 + length]
        at += 12 + length
    step = {2: 3, 6: 4}[kind]
    raw, rows, previous = zlib.decompress(chunks), [], bytearray(width * step)
    stride = width * step
    for y in range(height):
        kind_of_filter, line = raw[y * (stride + 1)], bytearray(raw[y * (stride + 1) + 1:(y + 1) * (stride + 1)])
        for i in range(stride):
            left = line[i - step] if i >= step else 0
            up, corner = previous[i], previous[i - step] if i >= step else 0
            if kind_of_filter == 1:
                line[i] = (line[i] + left) & 255
            elif kind_of_filter == 2:
                line[i] = (line[i] + up) & 255
            elif kind_of_filter == 3:
                line[i] = (line[i] + (left + up) // 2) & 255
            elif kind_of_filter == 4:
                p = left + up - corner
                pa, pb, pc = abs(p - left), abs(p - up), abs(p - corner)
                line[i] = (line[i] + (left if pa <= pb and pa <= pc else up if pb <= pc else corner)) & 255
        previous = line
        rows.append([bytes(line[j:j + 3]) for j in range(0, stride, step)])
    return width, height, rows


def caption_on_screen(before, after, width):
    """Where the top row of a new popup's caption strip is on the screen: a run of one colour as
    wide as the popup, which was not there before."""
    screen_width, screen_height, rows = after
    for y in range(screen_height - 20):
        row = rows[y]
        x = 0
        while x <= screen_width - width:
            colour = row[x]
            end = x
            while end < screen_width and row[end] == colour:
                end += 1
            if end - x == width and before[2][y][x] != colour and rows[y + 19][x] == colour:
                return x, y
            x = max(end, x + 1)
    return None


def find_all(root, role, name):
    found, queue = [], [root]
    while queue:
        node = queue.pop(0)
        if node.getRoleName() == role and node.name == name:
            found.append(node)
        queue.extend(child for child in node if child is not None)
    return found


def extents(node):
    box = node.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
    return box.x, box.y, box.width, box.height


def gap(a, b):
    dx = max(b[0] - (a[0] + a[2]), a[0] - (b[0] + b[2]), 0)
    dy = max(b[1] - (a[1] + a[3]), a[1] - (b[1] + b[3]), 0)
    return max(dx, dy)


def check(app, title, open_it):
    before = screenshot()
    open_it()
    popup = wait_for("popup " + title, lambda: find(app, "frame", title))
    inside = extents(popup)
    # The compositor shows the popup once the program's next frame has reached it.
    for _ in range(10):
        after = screenshot()
        found = caption_on_screen(before, after, inside[2])
        if found is not None:
            break
        time.sleep(0.5)
    if found is None:
        fail("the %s popup (%s in the window) is not on the screen" % (title, inside,))
    shift = (found[0] - inside[0], found[1] - inside[1])
    on_screen = (found[0], found[1], inside[2], inside[3])
    if on_screen[0] + on_screen[2] > after[0] or on_screen[1] + on_screen[3] > after[1]:
        fail("the %s popup %s runs off the screen" % (title, on_screen))
    rings = [extents(r) for r in find_all(app, "push button", title)]
    rings = [(r[0] + shift[0], r[1] + shift[1], r[2], r[3]) for r in rings]
    if not rings:
        fail("no ring " + title)
    ring = min(rings, key=lambda r: gap(on_screen, r))
    outside = [(x, y) for x in range(ring[0], ring[0] + ring[2]) for y in range(ring[1], ring[1] + ring[3])
               if not (on_screen[0] <= x < on_screen[0] + on_screen[2] and on_screen[1] <= y < on_screen[1] + on_screen[3])]
    if not any(before[2][y][x] != after[2][y][x] for x, y in outside):
        fail("no lit %s ring at %s on the screen" % (title, ring))
    if gap(on_screen, ring) > NEAR:
        fail("the %s popup %s is %d pixels from its ring %s" % (title, on_screen, gap(on_screen, ring), ring))
    print("%s: popup at %s on the screen, its ring at %s" % (title, on_screen, ring))


def main():
    app = wait_for("program on the bus", program)
    # The instructions shown at start-up cover the board until the user starts.
    do(wait_for("button Start", lambda: find(app, "push button", "Start")), "press")
    item = wait_for("menu item Protocol/Mode", lambda: find(app, "menu item", "Protocol/Mode"))
    check(app, "Protocol/Mode", lambda: do(item, "press"))
    ring = wait_for("button Port Resources", lambda: find(app, "push button", "Port Resources"))
    check(app, "Port Resources", lambda: do(ring, "press"))


main()
