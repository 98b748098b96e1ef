#!/usr/bin/env python3
"""Writes a static test site for the capture benchmarks.

generate_site.py DIR [PAGES] [PICTURES]

PAGES pages (20,000 by default) spread over 20 sections of 10 topics each
(/sNN/tN/), every topic directory holding an index.html and pNNNNN.html pages;
PICTURES tiny valid GIFs (5,000 by default) under /img/gNN/. Every page links
to about ten others (relative, root-relative and its topic's index), to its
topic's index and to two pictures; page i always links to page i + 1, so the
whole site is reachable from /index.html. The output depends only on the
arguments.
"""
import os
import sys

SECTIONS = 20
TOPICS = 10
LINKS = 10
PICTURE_DIRS = 50

TEXT = (
    "Lorem ipsum dolor sit amet, consectetur adipiscing elit, sed do eiusmod tempor "
    "incididunt ut labore et dolore magna aliqua. Ut enim ad minim veniam, quis nostrud "
    "exercitation ullamco laboris nisi ut aliquip ex ea commodo consequat. Duis aute irure "
    "dolor in reprehenderit in voluptate velit esse cillum dolore eu fugiat nulla pariatur.\n"
)


def gif(n):
    """A valid 1x1 GIF whose one palette colour depends on n."""
    r, g, b = n & 0xFF, (n >> 8) & 0xFF, (n * 37) & 0xFF
    return (b"GIF89a\x01\x00\x01\x00\x80\x00\x00" + bytes([r, g, b]) + b"\xff\xff\xff"
            + b"\x2c\x00\x00\x00\x00\x01\x00\x01\x00\x00\x02\x02\x44\x01\x00\x3b")


def topic_of(i, pages):
    """(section, topic) of page i: pages are dealt out to the topics in blocks."""
    per_topic = max(1, -(-pages // (SECTIONS * TOPICS)))
    block = min(i // per_topic, SECTIONS * TOPICS - 1)
    return block // TOPICS, block % TOPICS


def topic_dir(section, topic):
    return "/s%02d/t%d/" % (section, topic)


def page_path(i, pages):
    return topic_dir(*topic_of(i, pages)) + "p%05d.html" % i


def picture_path(j):
    return "/img/g%02d/i%05d.gif" % (j % PICTURE_DIRS, j)


def relative(target, source_dir):
    """target as a link from a page in source_dir (both absolute paths)."""
    return os.path.relpath(os.path.dirname(target), source_dir.rstrip("/") or "/").replace("\\", "/") \
        + "/" + os.path.basename(target)


def page_links(i, pages):
    links = [(i + 1) % pages]
    x = (i * 2654435761 + 12345) & 0xFFFFFFFF
    while len(links) < LINKS:
        x = (x * 1664525 + 1013904223) & 0xFFFFFFFF
        links.append(x % pages)
    return links


def write(path, data):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as f:
        f.write(data if isinstance(data, bytes) else data.encode("ascii"))


def main():
    if len(sys.argv) < 2:
        sys.exit(__doc__)
    root = sys.argv[1]
    pages = int(sys.argv[2]) if len(sys.argv) > 2 else 20000
    pictures = int(sys.argv[3]) if len(sys.argv) > 3 else 5000

    for j in range(pictures):
        write(root + picture_path(j), gif(j))

    topics = {}
    for i in range(pages):
        topics.setdefault(topic_of(i, pages), []).append(i)

    home = ["<html><head><title>Test site</title></head><body><h1>Test site</h1><ul>"]
    for (section, topic), members in sorted(topics.items()):
        home.append('<li><a href="%sindex.html">Section %d, topic %d</a></li>'
                    % (topic_dir(section, topic)[1:], section, topic))
    home.append('</ul><p><a href="%s">First page</a></p></body></html>\n' % page_path(0, pages)[1:])
    write(root + "/index.html", "\n".join(home))

    for (section, topic), members in topics.items():
        directory = topic_dir(section, topic)
        body = ["<html><head><title>Section %d, topic %d</title></head><body>" % (section, topic),
                '<p><a href="../../index.html">Home</a></p><ul>']
        for i in members:
            body.append('<li><a href="p%05d.html">Page %d</a></li>' % (i, i))
        body.append("</ul></body></html>\n")
        write(root + directory + "index.html", "\n".join(body))

    for i in range(pages):
        path = page_path(i, pages)
        directory = os.path.dirname(path) + "/"
        out = ['<!DOCTYPE html>\n<html><head><meta charset="us-ascii"><title>Page %d</title></head>' % i,
               '<body><p><a href="index.html">Topic</a> | <a href="/index.html">Home</a></p>',
               "<h1>Page %d</h1>" % i]
        for k, target in enumerate(page_links(i, pages)):
            target_path = page_path(target, pages)
            href = relative(target_path, directory) if k % 2 == 0 else target_path
            out.append("<p>%s<a href=\"%s\">Page %d</a></p>" % (TEXT if k < 4 else "", href, target))
            if k < 2:
                j = (i * 2 + k) % pictures
                out.append('<img src="%s" alt="Picture %d" width="1" height="1">'
                           % (relative(picture_path(j), directory), j))
        out.append("</body></html>\n")
        write(root + path, "\n".join(out))


if __name__ == "__main__":
    main()
