#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
# Checks one JSON document against a JSON Schema (draft 2020-12): each place where
# it does not hold on a line of its own, exit 1.
#   json_schema_check.py SCHEMA DOCUMENT
import json
import sys

import jsonschema

schema = json.load(open(sys.argv[1], encoding="utf-8"))
document = json.load(open(sys.argv[2], encoding="utf-8"))
jsonschema.Draft202012Validator.check_schema(schema)
errors = list(jsonschema.Draft202012Validator(schema).iter_errors(document))
for error in errors:
    print("/".join(str(p) for p in error.absolute_path) or "(document)", error.message)
sys.exit(1 if errors else 0)
