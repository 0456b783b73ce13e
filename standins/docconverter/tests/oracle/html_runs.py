"""Lists the paragraphs of an HTML file that LibreOffice wrote, one line each:
the runs as <style>:<text> fields separated by tabs, where the style adds 1 for
bold, 2 for italic and 4 for underline.  White space is collapsed as a browser
shows it; tabs, newlines and backslashes in text are escaped."""
import html.parser
import re
import sys

STYLE_TAGS = {"b": 1, "strong": 1, "i": 2, "em": 2, "u": 4}
PARAGRAPH_TAGS = {"p", "h1", "h2", "h3", "h4", "h5", "h6", "li", "pre"}
# LibreOffice's own heading styles that set bold, shown by the tag alone.
BOLD_PARAGRAPH_TAGS = {"h1", "h2"}


class Runs(html.parser.HTMLParser):
    def __init__(self):
        super().__init__(convert_charrefs=True)
        self.depth = {tag: 0 for tag in STYLE_TAGS}
        self.paragraph = None
        self.paragraph_style = 0
        self.paragraphs = []

    def style(self):
        bits = self.paragraph_style
        for tag, bit in STYLE_TAGS.items():
            if self.depth[tag] > 0:
                bits |= bit
        return bits

    def handle_starttag(self, tag, attrs):
        if tag in STYLE_TAGS:
            self.depth[tag] += 1
        elif tag in PARAGRAPH_TAGS:
            self.paragraph = []
            self.paragraph_style = 1 if tag in BOLD_PARAGRAPH_TAGS else 0

    def handle_endtag(self, tag):
        if tag in STYLE_TAGS:
            self.depth[tag] = max(0, self.depth[tag] - 1)
        elif tag in PARAGRAPH_TAGS and self.paragraph is not None:
            self.paragraphs.append(self.paragraph)
            self.paragraph = None
            self.paragraph_style = 0

    def handle_data(self, data):
        if self.paragraph is not None:
            self.paragraph.append((self.style(), data))


def normalise(runs):
    out = []
    for style, text in runs:
        text = re.sub(r"\s+", " ", text)
        if out and out[-1][0] == style:
            out[-1][1] += text
        else:
            out.append([style, text])
    # Leading and trailing white space of a paragraph is not shown.
    while out and not out[0][1].lstrip():
        out.pop(0)
    if out:
        out[0][1] = out[0][1].lstrip()
    while out and not out[-1][1].rstrip():
        out.pop()
    if out:
        out[-1][1] = out[-1][1].rstrip()
    merged = []
    for style, text in out:
        if merged and merged[-1][0] == style:
            merged[-1][1] += text
        elif text:
            merged.append([style, text])
    return merged


def escape(text):
    return text.replace("\\", "\\\\").replace("\t", "\\t").replace("\n", "\\n")


def main():
    parser = Runs()
    with open(sys.argv[1], encoding="utf-8") as source:
        parser.feed(source.read())
    for runs in parser.paragraphs:
        print("\t".join("%d:%s" % (style, escape(text)) for style, text in normalise(runs)))


main()
