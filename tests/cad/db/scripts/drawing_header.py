#!/usr/bin/python3
"""Prints what ezdxf reads of a drawing's writer and dates as one JSON document: who saved it
($LASTSAVEDBY), its dates of creation and update as calendar times to the second, the
layouts, and what ezdxf's loader and audit reported.  Usage: drawing_header.py FILE

The header comes from ezdxf's tag reader, not from its document: loading a document sets
$TDCREATE to the time of loading."""
import importlib
import json
import logging
import sys
import ezdxf
from ezdxf.lldxf.tagger import ascii_tags_loader

# The module, not the function of the same name that ezdxf.tools exports.
juliandate = importlib.import_module('ezdxf.tools.juliandate')


def read_header(path):
    """The header variables of single values."""
    header, name = {}, None
    with open(path, encoding='utf-8', errors='replace') as stream:
        for tag in ascii_tags_loader(stream):
            if tag.code == 0 and tag.value == 'ENDSEC':
                return header
            if tag.code == 9:
                name = tag.value
            elif name is not None:
                header[name], name = tag.value, None
    return header


# To the nearest second: ezdxf cuts the fraction of the day down to whole seconds, and the
# eight decimals of a date can fall a hair short of the second they stand for.
def date(header, name):
    if name not in header:
        return None
    return juliandate.calendardate(float(header[name]) + 0.5 / 86400).isoformat(sep=' ')


class Collect(logging.Handler):
    def __init__(self):
        super().__init__(logging.WARNING)
        self.messages = []

    def emit(self, record):
        self.messages.append(record.getMessage())


header = read_header(sys.argv[1])
collect = Collect()
logging.getLogger('ezdxf').addHandler(collect)
doc = ezdxf.readfile(sys.argv[1])
auditor = doc.audit()
result = {name.lower(): date(header, '$' + name.upper())
          for name in ('tdcreate', 'tducreate', 'tdupdate', 'tduupdate')}
result.update({
    'lastsavedby': header.get('$LASTSAVEDBY'),
    'layouts': sorted(doc.layouts.names()),
    'warnings': collect.messages,
    'audit': [e.message for e in auditor.errors] + [f.message for f in auditor.fixes],
})
json.dump(result, sys.stdout, ensure_ascii=False, indent=1, sort_keys=True)
