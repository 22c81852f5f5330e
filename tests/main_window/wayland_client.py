"""The program on weston: popups opened from the "Settings" menu and by a ring's press action (AT-SPI)
lie wholly on the compositor's screen (its screenshots), each beside its ring, lit there, and framed
so that two popups stay apart."""

import subprocess
import tempfile
import time

import pyatspi

from atspi_client import do, fail, find, program, wait_for


def screenshot():  # the compositor's screen, rows of RGB pixels
    with tempfile.TemporaryDirectory() as folder:
        subprocess.run(["weston-screenshooter"], cwd=folder, check=True, timeout=20)
        ppm = subprocess.run("pngtopnm *.png", shell=True, cwd=folder, check=True, capture_output=True).stdout
    _, width, height, _, pixels = ppm.split(maxsplit=4)
    return [[pixels[i:i + 3] for i in range(y, y + 3 * int(width), 3)] for y in range(0, len(pixels), 3 * int(width))]


def caption_at(before, after, width):  # a new strip as wide as the popup, 20 rows of one colour
    for y in range(len(after) - 20):
        row, x = after[y], 0
        while x < len(row):
            end = x
            while end < len(row) and row[end] == row[x]:
                end += 1
            if end - x == width and before[y][x] != row[x] and after[y + 19][x] == row[x]:
                return x, y
            x = end
    return None


def framed(after, popup):  # a dark outline of one colour two pixels out, on each side on the screen
    x, y, w, h = popup
    sides = [[(x + i, y - 2) for i in range(w)], [(x + i, y + h + 1) for i in range(w)],
             [(x - 2, y + j) for j in range(h)], [(x + w + 1, y + j) for j in range(h)]]
    for side in sides:
        if all(0 <= px < len(after[0]) and 0 <= py < len(after) for px, py in side):
            colours = {after[py][px] for px, py in side}
            if len(colours) != 1 or sum(colours.pop()) > 150:
                return False
    return True


def box(node, shift=(0, 0)):
    extents = node.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
    return extents.x + shift[0], extents.y + shift[1], extents.width, extents.height


def gap(a, b):
    return max(b[0] - a[0] - a[2], a[0] - b[0] - b[2], b[1] - a[1] - a[3], a[1] - b[1] - b[3], 0)


def check(app, title, open_it):
    before = screenshot()
    open_it()
    inside = box(wait_for("popup " + title, lambda: find(app, "frame", title)))
    for _ in range(10):  # until the compositor shows the program's next frame
        after = screenshot()
        corner = caption_at(before, after, inside[2])
        if corner:
            break
        time.sleep(0.5)
    popup = corner + inside[2:] if corner else inside
    if not corner or popup[0] + popup[2] > len(after[0]) or popup[1] + popup[3] > len(after):
        fail("the %s popup (%s in the window) is not wholly on the screen" % (title, inside))
    if not framed(after, popup):
        fail("the %s popup %s has no frame around it" % (title, popup))
    shift = (corner[0] - inside[0], corner[1] - inside[1])
    rings = [box(node, shift) for node in pyatspi.findAllDescendants(
        app, lambda n: n.getRoleName() == "push button" and n.name == title)]
    ring = min(rings, key=lambda r: gap(popup, r))
    lit = [(x, y) for x in range(ring[0], ring[0] + ring[2]) for y in range(ring[1], ring[1] + ring[3])
           if gap(popup, (x, y, 1, 1)) > 0 and before[y][x] != after[y][x]]
    if not lit or gap(popup, ring) > 120:
        fail("the %s popup %s is not beside its lit ring %s" % (title, popup, ring))
    print("%s: popup at %s on the screen, its ring at %s" % (title, popup, ring))


def main():
    app = wait_for("program on the bus", program)
    do(wait_for("button Start", lambda: find(app, "push button", "Start")), "press")
    check(app, "Protocol/Mode", lambda: do(find(app, "menu item", "Protocol/Mode"), "press"))
    check(app, "Port Resources", lambda: do(find(app, "push button", "Port Resources"), "press"))


main()
