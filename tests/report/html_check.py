#!/usr/bin/python3
"""Reads an HTML file as a strict HTML5 parser does and as a user's browser
would need it: any parse error fails; so does a script, or anything loaded
from outside the file (src, href, url()). On success prints every table row
as tab-separated cell texts (one row a line), then "DURATION<TAB>n" for each
cell's data-seconds, and exits 0.

Usage: html_check.py FILE"""
import sys

import html5lib


def text_of(element):
    return "".join(element.itertext()).strip()


def main():
    with open(sys.argv[1], "rb") as f:
        data = f.read()
    parser = html5lib.HTMLParser(strict=True, namespaceHTMLElements=False)
    try:
        root = parser.parse(data)  # the meta charset says UTF-8
    except Exception as error:  # html5lib raises ParseError with the position
        print("parse error: %s" % error, file=sys.stderr)
        return 1
    for element in root.iter():
        tag = element.tag if isinstance(element.tag, str) else ""
        if tag.endswith("script"):
            print("script element", file=sys.stderr)
            return 1
        for name in ("src", "href", "{http://www.w3.org/1999/xlink}href"):
            if name in element.attrib:
                print("outside reference: %s=%s" % (name, element.attrib[name]), file=sys.stderr)
                return 1
        if tag.endswith("style") and "url(" in (element.text or ""):
            print("style loads from outside", file=sys.stderr)
            return 1
    charset = [m for m in root.iter("meta") if m.attrib.get("charset", "").lower() == "utf-8"]
    if not charset:
        print("no UTF-8 meta", file=sys.stderr)
        return 1
    for row in root.iter("tr"):
        print("\t".join(text_of(c) for c in row if c.tag in ("td", "th")))
    for c in root.iter("td"):
        if "data-seconds" in c.attrib:
            print("DURATION\t%s" % c.attrib["data-seconds"])
    return 0


if __name__ == "__main__":
    sys.exit(main())
