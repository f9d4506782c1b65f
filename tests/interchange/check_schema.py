#!/usr/bin/env python3
"""Validates every entry of an .olv file (a YAML stream) against a JSON schema.

Usage: check_schema.py SCHEMA.json FILE.olv
Prints one line per invalid entry and exits with 1 when there is any."""
import json
import sys

import jsonschema
import yaml


def main():
    with open(sys.argv[1], encoding="utf-8") as f:
        schema = json.load(f)
    validator = jsonschema.Draft7Validator(schema)
    failures = 0
    with open(sys.argv[2], encoding="utf-8") as f:
        for index, entry in enumerate(yaml.safe_load_all(f), start=1):
            for error in validator.iter_errors(entry):
                failures += 1
                print(f"entry {index}: {'/'.join(map(str, error.path))}: {error.message}")
    print(f"checked {index if 'index' in locals() else 0} entries, {failures} errors")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
