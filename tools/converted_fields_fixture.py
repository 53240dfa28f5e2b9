#!/usr/bin/env python3
"""Writes the test fixture of the conversion run's money fields, one "TABLE FIELD" line per
field in conversion order, from the dictionary's list of the run (not from its tables, which
the program's catalogue is generated from), so that the tests check the run against a list
made independently of the program's own.

    tools/converted_fields_fixture.py > app/testdata/converted_fields.txt
"""
import json
import os

path = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "catalogue", "dictionary.json")
with open(path, encoding="utf-8") as f:
    dictionary = json.load(f)
runs = sorted(dictionary["conversion_run"], key=lambda table: table["order"])
for table in runs:
    for field in dictionary["converted_fields"][table["table"]]["fields"]:
        print(table["table"], field["field"])
