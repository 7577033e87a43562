"""Checks that Python's configparser reads a file written by our ini storage."""
import configparser
import subprocess
import sys

writer, path = sys.argv[1], sys.argv[2]
subprocess.run([writer, path], check=True)

with open(path, "rb") as raw:
    data = raw.read()
assert data.endswith(b"\r\n\r\n") and b"\n" not in data.replace(b"\r\n", b""), data

parser = configparser.ConfigParser(interpolation=None, strict=True)
parser.optionxform = str
with open(path, encoding="latin-1") as text:
    parser.read_file(text)

actual = {section: dict(parser[section]) for section in parser.sections()}
expected = {
    "Main": {
        "FormVersion": "0",
        "ShowCmd": "1",
        "MinMaxPos(1920x1080)": "-1,-1,-8,-8",
        "NormPos": "100,120,700,420",
    },
    "CONFIG": {"DEVICE": "MIRAN 0042", "Empty": "", "Equation": "a=b", "Enabled": "TRUE"},
    "Other\\Sub": {"Count": "-3"},
}
assert list(actual) == list(expected), list(actual)
assert actual == expected, actual
print("configparser read", sum(len(v) for v in actual.values()), "values")
