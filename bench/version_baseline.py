#!/usr/bin/env python3
"""What a user would otherwise write to read a project file's version: zipfile
plus xml.parsers.expat over a plain (level-0) "header.xml". Prints the four
numbers of the "Version" element's "Major", "Minor", "Fixed" and "Build"
children as major.minor.fixed.build, the last qualifying element winning, as
`quenzil version` does."""

import re
import sys
import xml.parsers.expat
import zipfile

FIELDS = {"Major": 0, "Minor": 1, "Fixed": 2, "Build": 3}
NUMBER = re.compile(r"\s*([+-]?\d+)")


def read_version(path):
    numbers = [0, 0, 0, 0]
    stack = []
    text = []

    def start(name, attributes):
        stack.append(name)
        text.clear()

    def end(name):
        field = FIELDS.get(name)
        if field is not None and len(stack) > 1 and stack[-2] == "Version":
            match = NUMBER.match("".join(text))
            if match:
                value = int(match.group(1))
                if -2**31 <= value < 2**31:
                    numbers[field] = value
        text.clear()
        stack.pop()

    parser = xml.parsers.expat.ParserCreate()
    parser.StartElementHandler = start
    parser.EndElementHandler = end
    parser.CharacterDataHandler = text.append
    with zipfile.ZipFile(path) as archive, archive.open("header.xml") as header:
        while True:
            block = header.read(1 << 16)
            parser.Parse(block, not block)
            if not block:
                break
    return numbers


if __name__ == "__main__":
    print(".".join(str(n) for n in read_version(sys.argv[1])))
