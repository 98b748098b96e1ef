#!/usr/bin/env python3
"""Checks an offline copy the way a browser would read it.

    check-capture.py DIR --server HOST:PORT [--ignore REGEX]... [--own-pages]
    check-capture.py --compare DIR1 DIR2 [--server1 URL --server2 URL] [--skip NAME]...

The first form reads every stored page (*.htm, *.html) and style sheet (*.css)
of the capture directory DIR and lists every reference a browser follows from
it: the addresses of links, frames, scripts, pictures, media, objects,
srcset candidates, META refresh, url() and @import of style attributes, style
blocks and style sheets. It reports
  - broken local references: a reference without a scheme whose file is not in
    the copy with exactly that letter case, or that leads out of the copy;
  - server references: a reference that leads back to the server the copy was
    made from (http or https, HOST:PORT), and any other mention of HOST:PORT
    in tags, scripts and style sheets, but for what the program keeps for
    itself: the footer it appends to a page, OLD* attributes and /*OLDREF=...*/
    comments. Text a browser shows (the page's address comment, an index
    listing addresses) is not a reference.
The site's files and the program's own pages (the index of the copy, the log,
NotFound.htm, BadLink.htm) are reported apart; the latter only fail the check
with --own-pages. References that match an --ignore pattern (a Python regular
expression searched in the reference as written) are counted apart: links that
are broken on the site itself. Prints the counts always, and the first 20
findings of each kind; exits 1 when anything was found, 0 otherwise.

The second form compares two capture directories: the same file names, and the
same bytes but for the capture date in the footer of each page and the times
and speed of the session in the index. With --server1 and --server2, the
address prefix URL2 in the files of DIR2 reads as URL1 (a copy made over https
against one made over http, or from another port), and the size of the copy on
its home page is not compared. The project file and the capture log are only
compared by name (they hold the times of the session); --skip names more such
files. Exits 1 on a difference.
"""

import argparse
import html
import os
import re
import sys
import urllib.parse

PAGE_SUFFIXES = (".htm", ".html")
STYLE_SUFFIXES = (".css",)
SHOWN = int(os.environ.get("CHECK_CAPTURE_SHOWN", "20"))

# Where a reference resolves when it stays in the copy: a stand-in root.
LOCAL_ROOT = "file:///capture-root/"
LOCAL_ROOT_PATH = "/capture-root/"

# Attributes that hold one address, by tag.
LINK_ATTRIBUTES = {
    "a": ("href",),
    "area": ("href",),
    "link": ("href",),
    "script": ("src",),
    "img": ("src", "lowsrc"),
    "iframe": ("src",),
    "frame": ("src",),
    "source": ("src",),
    "video": ("src", "poster"),
    "audio": ("src",),
    "track": ("src",),
    "embed": ("src",),
    "object": ("data",),
    "input": ("src",),
    "body": ("background",),
    "table": ("background",),
    "tr": ("background",),
    "td": ("background",),
    "th": ("background",),
}
SRCSET_TAGS = ("img", "source")

FOOTER_ON = "<!--VELBRIN=ON-->"
FOOTER_OFF = "<!--VELBRIN=OFF-->"
FOOTER_DATE = re.compile(rb"(Captured by Velbrin from  <A HREF=[^>]*>.*?</a> : )[^\r\n]*")
# The long dates of the index pages ("Wednesday 9 Dec 2026 , 07:24:14").
# The size of the copy on its home page, and the speed of the last session.
COPY_SIZE = re.compile(rb"(Size on disk</dt><dd>)[^<]*")
SESSION_SPEED = re.compile(rb"(Speed</dt><dd>)[^<]*")
CLOCK_TIME = re.compile(rb"\b[0-9]{2}:[0-9]{2}:[0-9]{2}\b")
INDEX_DATE = re.compile(rb"[A-Z][a-z]+day [0-9]{1,2} [A-Za-z]{3}[a-z.]* [0-9]{4} , [0-9]{2}:[0-9]{2}:[0-9]{2}")
CSS_COMMENT = re.compile(r"/\*.*?\*/", re.S)
CSS_MARKER = re.compile(r"/\*\s*OLD[A-Za-z]*\s*=.*?\*/", re.S)
CSS_URL = re.compile(r"""url\(\s*(?:"([^"]*)"|'([^']*)'|([^)'"\s]*))\s*\)""", re.I)
CSS_IMPORT = re.compile(r"""@import\s+(?:"([^"]*)"|'([^']*)')""", re.I)
OLD_ATTRIBUTE = re.compile(r"""\sOLD[A-Za-z]*\s*=\s*(?:"[^"]*"|'[^']*'|[^\s>]*)""", re.I)
SCHEME = re.compile(r"^[A-Za-z][A-Za-z0-9+.-]*:")
REFRESH_URL = re.compile(r"""^\s*[\d.]*\s*[;,]?\s*(?:url\s*=\s*)?(.*)$""", re.I | re.S)

# The pages the program writes for itself: the index of the copy, the log,
# the stand-ins for missing and filtered links.
OWN_FILES = re.compile(r"^(_Home|_Ix[A-Z][0-9A-F]*|LogFile|NotFound|BadLink)\.htm$|^_velbrin_")


class Reference:
    def __init__(self, where, value):
        self.where = where
        self.value = value


class Fragment:
    """A piece of a stored file that a browser reads for addresses (a tag, a
    script, a style block, a style sheet) and the references found in it."""

    def __init__(self, raw, references, in_footer=False):
        self.raw = raw
        self.references = references
        self.in_footer = in_footer


def css_references(text):
    """The addresses of url() and @import in CSS text, comments left out."""
    text = CSS_COMMENT.sub(" ", text)
    found = []
    for pattern, label in ((CSS_URL, "url()"), (CSS_IMPORT, "@import")):
        for match in pattern.finditer(text):
            value = next((group for group in match.groups() if group is not None), "")
            found.append(Reference(label, value.strip()))
    return found


def srcset_candidates(value):
    """The addresses of a srcset attribute: each candidate's first word."""
    found = []
    position = 0
    while position < len(value):
        while position < len(value) and (value[position].isspace() or value[position] == ","):
            position += 1
        start = position
        while position < len(value) and not value[position].isspace():
            position += 1
        address = value[start:position]
        if address.endswith(","):
            address = address.rstrip(",")
        else:
            # Skip the descriptors up to the next comma.
            depth = 0
            while position < len(value):
                char = value[position]
                if char == "(":
                    depth += 1
                elif char == ")":
                    depth -= 1
                elif char == "," and depth <= 0:
                    break
                position += 1
        if address:
            found.append(address)
    return found


def tag_references(tag, values):
    """The references of one start tag, attributes as a dict."""
    found = []
    for attribute in LINK_ATTRIBUTES.get(tag, ()):
        if values.get(attribute) is not None:
            found.append(Reference("<%s %s>" % (tag, attribute), values[attribute].strip()))
    if tag in SRCSET_TAGS and values.get("srcset"):
        for address in srcset_candidates(values["srcset"]):
            found.append(Reference("<%s srcset>" % tag, address))
    if tag == "meta" and (values.get("http-equiv") or "").strip().lower() == "refresh":
        match = REFRESH_URL.match(values.get("content") or "")
        address = match.group(1).strip().strip("'\"") if match else ""
        if address:
            found.append(Reference("<meta refresh>", address))
    if values.get("style"):
        for reference in css_references(values["style"]):
            reference.where = "<%s style> %s" % (tag, reference.where)
            found.append(reference)
    return found


# A comment, or a start or end tag with its attributes (quoted values may
# hold ">").
TOKEN = re.compile(r"""<!--(.*?)-->|<(/?)([A-Za-z][A-Za-z0-9:-]*)((?:[^>"']|"[^"]*"|'[^']*')*)>""", re.S)
ATTRIBUTE = re.compile(r"""([^\s"'>/=]+)(?:\s*=\s*(?:"([^"]*)"|'([^']*)'|([^\s"'>]+)))?""")
RAW_TEXT_TAGS = ("script", "style")


def tag_attributes(text):
    """The attributes of a start tag, names in lower case, the first of a
    name winning, character references decoded."""
    values = {}
    for match in ATTRIBUTE.finditer(text):
        name = match.group(1).lower()
        if name in values:
            continue
        value = next((group for group in match.group(2, 3, 4) if group is not None), "")
        values[name] = html.unescape(value) if "&" in value else value
    return values


def scan_page(text, server):
    """Splits one page into the fragments a browser reads addresses from;
    returns them and the address of the page's BASE tag (or None).

    Only the tags that can hold an address are read attribute by attribute,
    and those that name the server."""
    fragments = []
    base = None
    in_footer = False
    position = 0
    length = len(text)
    while position < length:
        match = TOKEN.search(text, position)
        if match is None:
            break
        position = match.end()
        comment = match.group(1)
        if comment is not None:
            marker = "<!--%s-->" % comment
            if marker == FOOTER_ON:
                in_footer = True
            elif marker == FOOTER_OFF:
                in_footer = False
            continue
        if match.group(2):
            continue  # an end tag
        tag = match.group(3).lower()
        attributes = match.group(4)
        lowered = attributes.lower()
        if (tag in LINK_ATTRIBUTES or tag in ("base", "meta") or "style" in lowered
                or "srcset" in lowered or server in attributes):
            values = tag_attributes(attributes)
            references = tag_references(tag, values)
            if tag == "base" and values.get("href") and base is None and not in_footer:
                base = values["href"].strip()
                references.append(Reference("<base href>", base))
            fragments.append(Fragment(match.group(0), references, in_footer))
        if tag in RAW_TEXT_TAGS:
            close = re.compile(r"</%s[\s/>]" % tag, re.I).search(text, position)
            content_end = close.start() if close else length
            content = text[position:content_end]
            references = []
            if tag == "style":
                references = css_references(content)
                for reference in references:
                    reference.where = "<style> " + reference.where
            if references or server in content:
                fragments.append(Fragment(content, references, in_footer))
            position = content_end
    return fragments, base


def read_text(path):
    with open(path, "rb") as stream:
        # Latin-1 keeps every byte as one character.
        return stream.read().decode("latin-1")


def stored_files(directory):
    """The pages and style sheets of the copy, as paths relative to it."""
    pages, styles = [], []
    for root, _dirs, files in os.walk(directory):
        for name in sorted(files):
            relative = os.path.relpath(os.path.join(root, name), directory)
            lower = name.lower()
            if lower.endswith(PAGE_SUFFIXES):
                pages.append(relative)
            elif lower.endswith(STYLE_SUFFIXES):
                styles.append(relative)
    return sorted(pages), sorted(styles)


class CopyFiles:
    """The names of the copy's directories, read once."""

    def __init__(self, directory):
        self.directory = directory
        self.listings = {}
        self.answers = {}  # where references lead, by base directory and value

    def names(self, path):
        if path not in self.listings:
            try:
                self.listings[path] = set(os.listdir(path))
            except OSError:
                self.listings[path] = set()
        return self.listings[path]

    def holds(self, relative):
        """relative names a file of the copy, letter case included."""
        parts = [part for part in relative.split("/") if part]
        if not parts:
            return False
        current = self.directory
        for part in parts:
            if part not in self.names(current):
                return False
            current = os.path.join(current, part)
        return os.path.isfile(current)


def server_mentions(text, server):
    """How often a fragment names the server, but for what the program keeps
    for itself (OLD* attributes, /*OLDREF=...*/ comments), with a sample."""
    text = OLD_ATTRIBUTE.sub(" ", text)
    text = CSS_MARKER.sub(" ", text)
    found = []
    for match in re.finditer(re.escape(server) + r"(?![0-9])", text, re.I):
        start = max(0, match.start() - 40)
        found.append(" ".join(text[start:match.end() + 40].split()))
    return found


class Finding:
    def __init__(self, file, where, value):
        self.file, self.where, self.value = file, where, value

    def __str__(self):
        return '%s: %s "%s"' % (self.file, self.where, self.value)


class Report:
    def __init__(self):
        self.broken = []
        self.to_server = []
        self.ignored = []
        self.references = 0
        self.local = 0
        self.outside_references = 0
        self.emptied = []


ELSEWHERE, SERVER, LOCAL, BROKEN, OUTSIDE = range(5)


def classify(base, value, server, copy):
    """Where a reference leads from a page whose base address is base."""
    if value.lower().startswith(("javascript:", "mailto:", "data:", "about:")):
        return ELSEWHERE
    target = urllib.parse.urljoin(base, value)
    parsed = urllib.parse.urlsplit(target)
    if parsed.scheme in ("http", "https"):
        return SERVER if parsed.netloc.lower() == server.lower() else ELSEWHERE
    if SCHEME.match(value) or parsed.scheme != "file":
        return ELSEWHERE  # an address elsewhere: not the copy's business
    if not target.startswith(LOCAL_ROOT):
        return OUTSIDE
    relative = os.fsdecode(urllib.parse.unquote_to_bytes(parsed.path[len(LOCAL_ROOT_PATH):]))
    return LOCAL if copy.holds(relative) else BROKEN


def judge(reference, file, base, server, ignores, copy, report):
    """Files a reference under where it leads."""
    value = reference.value
    report.references += 1
    if not value:
        # An empty link is the page itself; an empty picture or script is
        # something the copy goes without.
        if not reference.where.startswith(("<a ", "<area ", "<base ")):
            report.emptied.append(Finding(file, reference.where, value))
        return
    if value.startswith("#"):
        return
    if any(pattern.search(value) for pattern in ignores):
        report.ignored.append(Finding(file, reference.where, value))
        return
    # But for "?query", where a reference leads depends on the directory of
    # the base only: the pages of a directory share their answers.
    key = (base, value) if value.startswith("?") else (base.rsplit("/", 1)[0], value)
    kind = copy.answers.get(key)
    if kind is None:
        kind = copy.answers[key] = classify(base, value, server, copy)
    if kind == SERVER:
        report.to_server.append(Finding(file, reference.where, value))
    elif kind != ELSEWHERE:
        report.local += 1
        if kind == OUTSIDE:
            report.broken.append(Finding(file, reference.where + " (out of the copy)", value))
        elif kind == BROKEN:
            report.broken.append(Finding(file, reference.where, value))


def check_file(directory, file, server, ignores, copy, report):
    text = read_text(os.path.join(directory, file))
    page_base = LOCAL_ROOT + urllib.parse.quote(file.replace(os.sep, "/"))
    if file.lower().endswith(PAGE_SUFFIXES):
        fragments, page_link_base = scan_page(text, server)
        base = urllib.parse.urljoin(page_base, page_link_base) if page_link_base else page_base
    else:
        fragments = [Fragment(text, css_references(text))]
        base = page_base
    for fragment in fragments:
        if fragment.in_footer:
            continue
        before = len(report.to_server)
        for reference in fragment.references:
            judge(reference, file, base, server, ignores, copy, report)
        # Mentions beyond the references reported: attributes no browser
        # follows as such, addresses in scripts.
        mentions = server_mentions(fragment.raw, server) if server in fragment.raw else []
        extra = len(mentions) - (len(report.to_server) - before)
        if extra > 0:
            report.outside_references += extra
            report.to_server.extend(Finding(file, "text", sample) for sample in mentions[-extra:])


def print_report(title, report, pages, styles, ignores):
    print("%s: %d page(s), %d style sheet(s), %d reference(s), %d local"
          % (title, pages, styles, report.references, report.local))
    print("  broken local references: %d" % len(report.broken))
    for finding in report.broken[:SHOWN]:
        print("    " + str(finding))
    print("  server references: %d (%d outside links)" % (len(report.to_server), report.outside_references))
    for finding in report.to_server[:SHOWN]:
        print("    " + str(finding))
    if report.emptied:
        print("  emptied references (not judged): %d, first in %s"
              % (len(report.emptied), report.emptied[0]))
    if ignores:
        print("  ignored (broken on the site itself): %d" % len(report.ignored))


def check(directory, server, ignores, own_pages):
    pages, styles = stored_files(directory)
    copy = CopyFiles(directory)
    site, own = Report(), Report()
    counts = {True: [0, 0], False: [0, 0]}
    for file in pages + styles:
        is_own = OWN_FILES.match(os.path.basename(file)) is not None
        counts[is_own][0 if file.lower().endswith(PAGE_SUFFIXES) else 1] += 1
        check_file(directory, file, server, ignores, copy, own if is_own else site)
    print("check-capture: " + directory)
    print_report("the site's files", site, counts[False][0], counts[False][1], ignores)
    print_report("the program's own pages", own, counts[True][0], counts[True][1], ())
    failed = site.broken or site.to_server
    if own_pages:
        failed = failed or own.broken or own.to_server
    return 1 if failed else 0


def normalized(name, data, replace, any_size):
    data = FOOTER_DATE.sub(rb"\1DATE", data)
    if OWN_FILES.match(os.path.basename(name)):
        # The index tells when the session ran, how long it took and how
        # fast the bytes came.
        data = INDEX_DATE.sub(b"DATE", data)
        data = CLOCK_TIME.sub(b"TIME", data)
        data = SESSION_SPEED.sub(rb"\1SPEED", data)
    if replace:
        data = data.replace(replace[1], replace[0])
    if any_size and OWN_FILES.match(os.path.basename(name)):
        # The size of the copy counts the bytes of the addresses its pages
        # keep: another server address gives another size.
        data = COPY_SIZE.sub(rb"\1SIZE", data)
    return data


def compare(first, second, server1, server2, skips):
    def names(directory):
        found = set()
        for root, _dirs, files in os.walk(directory):
            for name in files:
                found.add(os.path.relpath(os.path.join(root, name), directory))
        return found

    names1, names2 = names(first), names(second)
    differences = []
    for name in sorted(names1 - names2):
        differences.append("only in %s: %s" % (first, name))
    for name in sorted(names2 - names1):
        differences.append("only in %s: %s" % (second, name))
    replace = (server1.encode("latin-1"), server2.encode("latin-1")) if server1 and server2 else None
    same = 0
    for name in sorted(names1 & names2):
        if os.path.basename(name) in skips:
            continue
        with open(os.path.join(first, name), "rb") as stream:
            data1 = normalized(name, stream.read(), None, replace is not None)
        with open(os.path.join(second, name), "rb") as stream:
            data2 = normalized(name, stream.read(), replace, replace is not None)
        if data1 == data2:
            same += 1
            continue
        at = next((i for i, (a, b) in enumerate(zip(data1, data2)) if a != b), min(len(data1), len(data2)))
        differences.append("%s differs at byte %d: %r / %r"
                           % (name, at, data1[max(0, at - 20):at + 30], data2[max(0, at - 20):at + 30]))
    print("check-capture: compared %d file(s) of %s and %s: %d the same, %d difference(s)"
          % (len(names1 & names2), first, second, same, len(differences)))
    for line in differences[:SHOWN]:
        print("  " + line)
    return 1 if differences else 0


def main():
    parser = argparse.ArgumentParser(description="Checks an offline copy.")
    parser.add_argument("directory", nargs="?")
    parser.add_argument("--server", help="HOST:PORT the copy was made from")
    parser.add_argument("--ignore", action="append", default=[], help="regex of references to count apart")
    parser.add_argument("--own-pages", action="store_true",
                        help="fail on the findings in the program's own pages too")
    parser.add_argument("--compare", nargs=2, metavar=("DIR1", "DIR2"))
    parser.add_argument("--server1")
    parser.add_argument("--server2")
    parser.add_argument("--skip", action="append", default=[])
    arguments = parser.parse_args()
    if arguments.compare:
        if bool(arguments.server1) != bool(arguments.server2):
            parser.error("--server1 and --server2 go together")
        for directory in arguments.compare:
            if not os.path.isdir(directory):
                parser.error("no directory " + directory)
        skips = set(arguments.skip) | {"LOCAL.WEB", "LogFile.htm"}
        return compare(arguments.compare[0], arguments.compare[1],
                       arguments.server1, arguments.server2, skips)
    if not arguments.directory or not arguments.server:
        parser.error("a capture directory and --server HOST:PORT are needed")
    if not os.path.isdir(arguments.directory):
        parser.error("no directory " + arguments.directory)
    ignores = [re.compile(pattern) for pattern in arguments.ignore]
    return check(arguments.directory, arguments.server, ignores, arguments.own_pages)


if __name__ == "__main__":
    sys.exit(main())
