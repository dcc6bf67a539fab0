#!/usr/bin/env python3
"""Draws the demo host's skin pictures as PNG files: the recover bar's buttons
(to the computer, to a device, close) in their normal, hover and disabled
looks, the search bar's magnifier and clear mark, the backup list's lock and
warning marks, and one icon per category.

Usage: make_host_skin.py [output folder]   (default: resources/skin/ next to scripts/)

Shapes and the PNG writer are those of make_photo_skin.py.
"""

import os
import sys

from make_photo_skin import (Canvas, arc, circle, polygon, rect, ring, rounded_rect,
                             segment)

WHITE = (255, 255, 255, 255)
BLUE = (46, 120, 200, 255)
BLUE_HOVER = (30, 96, 176, 255)
GREY = (170, 176, 184, 255)
RED = (200, 64, 56, 255)
RED_HOVER = (170, 44, 38, 255)

LOOKS = {"": (BLUE, RED), "_hover": (BLUE_HOVER, RED_HOVER), "_disabled": (GREY, GREY)}


def button_base(color):
    c = Canvas(44, 36)
    c.shape(rounded_rect(1, 1, 43, 35, 6), color)
    return c


def arrow_down(c, cx, top, bottom, color):
    c.shape(segment(cx, top, cx, bottom - 4, 3), color)
    c.shape(polygon([(cx - 5, bottom - 6), (cx + 5, bottom - 6), (cx, bottom)]), color)


def recover_pc(color, _):
    c = button_base(color)
    c.shape(ring(rounded_rect(9, 8, 35, 25, 2), rect(11, 10, 33, 23)), WHITE)
    c.shape(rect(20, 25, 24, 29), WHITE)
    c.shape(rounded_rect(14, 28, 30, 31, 1), WHITE)
    arrow_down(c, 22, 11, 22, WHITE)
    return c


def recover_device(color, _):
    c = button_base(color)
    c.shape(ring(rounded_rect(15, 5, 29, 31, 3), rect(17, 9, 27, 26)), WHITE)
    c.shape(circle(22, 28.5, 1.2), WHITE)
    arrow_down(c, 22, 11, 24, WHITE)
    return c


def close(_, color):
    c = button_base(color)
    c.shape(segment(15, 11, 29, 25, 3.2), WHITE)
    c.shape(segment(29, 11, 15, 25, 3.2), WHITE)
    return c


def magnifier():
    c = Canvas(16, 16)
    c.shape(ring(circle(6.5, 6.5, 5.2), circle(6.5, 6.5, 3.4)), (110, 118, 128, 255))
    c.shape(segment(10, 10, 14.5, 14.5, 2.4), (110, 118, 128, 255))
    return c


def clear_mark():
    c = Canvas(14, 14)
    c.shape(circle(7, 7, 6.5), (176, 182, 190, 255))
    c.shape(segment(4.5, 4.5, 9.5, 9.5, 1.6), WHITE)
    c.shape(segment(9.5, 4.5, 4.5, 9.5, 1.6), WHITE)
    return c


def lock():
    c = Canvas(16, 16)
    c.shape(arc(8, 6.5, 3.6, 1.8, 180, 360), (90, 96, 104, 255))
    c.shape(rect(4.4, 6.5, 6.2, 8), (90, 96, 104, 255))
    c.shape(rect(9.8, 6.5, 11.6, 8), (90, 96, 104, 255))
    c.shape(rounded_rect(2.5, 7.5, 13.5, 15, 1.5), (214, 160, 40, 255))
    c.shape(circle(8, 10.6, 1.3), (90, 70, 20, 255))
    return c


def warning():
    c = Canvas(16, 16)
    c.shape(polygon([(8, 1), (15.5, 15), (0.5, 15)]), (226, 150, 30, 255))
    c.shape(rect(7.1, 5.5, 8.9, 11), WHITE)
    c.shape(rect(7.1, 12, 8.9, 13.6), WHITE)
    return c


# Category icons: a coloured tile with a white glyph.
def glyph_person(c):
    c.shape(circle(24, 18, 7), WHITE)
    c.shape(lambda x, y: y >= 28 and y <= 38 and (x - 24) ** 2 / 144.0 + (y - 40) ** 2 / 144.0 <= 1,
            WHITE)


def glyph_bubble(c, x0=11, y0=12, x1=37, y1=32):
    c.shape(rounded_rect(x0, y0, x1, y1, 6), WHITE)
    c.shape(polygon([(x0 + 6, y1 - 1), (x0 + 14, y1 - 1), (x0 + 4, y1 + 6)]), WHITE)


def glyph_two_bubbles(c, color):
    glyph_bubble(c, 8, 10, 30, 27)
    c.shape(rounded_rect(19, 20, 41, 36, 6), WHITE)
    c.shape(ring(rounded_rect(19, 20, 41, 36, 6), rounded_rect(21, 22, 39, 34, 5)), color)


def glyph_page(c, color, lines=3, fold=True):
    c.shape(polygon([(14, 9), (29, 9), (35, 15), (35, 39), (14, 39)] if fold else
                    [(14, 9), (35, 9), (35, 39), (14, 39)]), WHITE)
    if fold:
        c.shape(polygon([(29, 9), (29, 15), (35, 15)]), color)
    for i in range(lines):
        c.shape(rect(18, 20 + i * 5, 31, 22 + i * 5), color)


def glyph_clip(c, color):
    glyph_page(c, color, lines=0)
    c.shape(ring(rounded_rect(19, 14, 29, 35, 5), rounded_rect(21, 16, 27, 33, 3)), color)


def glyph_photo(c):
    c.shape(ring(rounded_rect(9, 12, 39, 36, 3), rect(11, 14, 37, 34)), WHITE)
    c.shape(polygon([(12, 33), (21, 21), (28, 29), (31, 26), (36, 33)]), WHITE)
    c.shape(circle(31, 18, 2.6), WHITE)


def glyph_clock(c, color):
    c.shape(circle(24, 24, 14), WHITE)
    c.shape(segment(24, 24, 24, 14, 2.4), color)
    c.shape(segment(24, 24, 31, 28, 2.4), color)


def glyph_calendar(c, color):
    c.shape(rounded_rect(10, 11, 38, 38, 3), WHITE)
    c.shape(rect(10, 11, 38, 18), (255, 255, 255, 160))
    for row in range(3):
        for col in range(4):
            c.shape(rect(13 + col * 6.5, 21 + row * 5.5, 17 + col * 6.5, 24.5 + row * 5.5), color)


def glyph_checklist(c):
    for i in range(3):
        y = 14 + i * 9
        c.shape(ring(circle(14, y, 3.4), circle(14, y, 1.8)), WHITE)
        c.shape(rect(21, y - 1.3, 37, y + 1.3), WHITE)


def glyph_wave(c):
    for i, h in enumerate([6, 12, 20, 14, 24, 10, 16, 6]):
        x = 10 + i * 4
        c.shape(rounded_rect(x, 24 - h / 2.0, x + 2.6, 24 + h / 2.0, 1.2), WHITE)


def glyph_bookmark(c):
    c.shape(polygon([(16, 9), (32, 9), (32, 39), (24, 32), (16, 39)]), WHITE)


def category(color, draw):
    def make():
        c = Canvas(48, 48)
        c.shape(rounded_rect(1, 1, 47, 47, 10), color)
        draw(c, color)
        return c
    return make


PHOTO = (232, 120, 50, 255)
CONTACT = (120, 128, 140, 255)
MESSAGE = (60, 180, 80, 255)
CALL = (46, 160, 110, 255)
CALENDAR = (220, 70, 70, 255)
REMINDER = (70, 120, 220, 255)
NOTE = (230, 180, 40, 255)
VOICE = (200, 60, 90, 255)
SAFARI = (40, 130, 230, 255)
WHATSAPP = (37, 170, 100, 255)
WECHAT = (70, 190, 60, 255)

CATEGORIES = {
    "photos": category(PHOTO, lambda c, k: glyph_photo(c)),
    "contacts": category(CONTACT, lambda c, k: glyph_person(c)),
    "messages": category(MESSAGE, lambda c, k: glyph_bubble(c)),
    "message-attachments": category(MESSAGE, glyph_clip),
    "call-history": category(CALL, glyph_clock),
    "calendar": category(CALENDAR, glyph_calendar),
    "reminders": category(REMINDER, lambda c, k: glyph_checklist(c)),
    "notes": category(NOTE, glyph_page),
    "note-attachments": category(NOTE, glyph_clip),
    "voice-memos": category(VOICE, lambda c, k: glyph_wave(c)),
    "safari-bookmarks": category(SAFARI, lambda c, k: glyph_bookmark(c)),
    "whatsapp-messages": category(WHATSAPP, lambda c, k: glyph_bubble(c)),
    "whatsapp-attachments": category(WHATSAPP, glyph_clip),
    "wechat-contacts": category(WECHAT, lambda c, k: glyph_person(c)),
    "wechat-messages": category(WECHAT, glyph_two_bubbles),
    "wechat-attachments": category(WECHAT, glyph_clip),
}


def pictures():
    out = {}
    for suffix, (main, danger) in LOOKS.items():
        out["recover_pc%s.png" % suffix] = lambda m=main, d=danger: recover_pc(m, d)
        out["recover_device%s.png" % suffix] = lambda m=main, d=danger: recover_device(m, d)
        out["close%s.png" % suffix] = lambda m=main, d=danger: close(m, d)
    out["search.png"] = magnifier
    out["search_clear.png"] = clear_mark
    out["lock.png"] = lock
    out["warning.png"] = warning
    for key, make in CATEGORIES.items():
        out["category-%s.png" % key] = make
    return out


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, os.pardir, "resources", "skin")
    os.makedirs(out, exist_ok=True)
    for name, draw in pictures().items():
        draw().save(os.path.join(out, name))
        print(os.path.join(out, name))


if __name__ == "__main__":
    main()
