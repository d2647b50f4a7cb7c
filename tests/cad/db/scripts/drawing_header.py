#!/usr/bin/python3
"""Prints what ezdxf reads of a drawing as one JSON document: who saved it ($LASTSAVEDBY), the
layouts, and what ezdxf's loader reported (its audit is the drawing checker's).
Usage: drawing_header.py FILE"""
import json
import logging
import sys
import ezdxf


class Collect(logging.Handler):
    def __init__(self):
        super().__init__(logging.WARNING)
        self.messages = []

    def emit(self, record):
        self.messages.append(record.getMessage())


collect = Collect()
logging.getLogger('ezdxf').addHandler(collect)
doc = ezdxf.readfile(sys.argv[1])
json.dump({
    'lastsavedby': doc.header.get('$LASTSAVEDBY'),
    'layouts': sorted(doc.layouts.names()),
    'warnings': collect.messages,
}, sys.stdout, ensure_ascii=False, indent=1, sort_keys=True)
