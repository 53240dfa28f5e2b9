#!/usr/bin/env python3
"""Writes the test fixture of the conversion run's money fields, one "TABLE FIELD" line per
field in conversion order, from the suite's dictionary (not from the program's own tables),
so that the tests check the run against a list made independently of it.

    tools/converted_fields_fixture.py DICTIONARY.json > app/testdata/converted_fields.txt
"""
import json
import sys

dictionary = json.load(open(sys.argv[1], encoding="utf-8"))
runs = sorted(dictionary["conversion_run"], key=lambda table: table["order"])
for table in runs:
    for field in dictionary["converted_fields"][table["table"]]["fields"]:
        print(table["table"], field["field"])
