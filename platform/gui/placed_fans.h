// Placed fans as the desktop shows them, read only: the block references of
// the model space that carry the placement's xdata application "Model", and
// the record the module keeps beside it (application ZRFAN_RECORD: a version,
// then key and value pairs, each key a string and each value a string or a
// real; README "Fan tags and the equipment schedule"). Keys are read as
// stored; a key this reader does not know is passed on like any other.
#pragma once

#include <QString>
#include <utility>
#include <vector>

#include "cad/db/object_id.h"

class AcDbDatabase;

namespace zrgui {

bool isPlacedFan(AcDbObjectId id);
// The placed fans of the model space, in drawing order.
std::vector<AcDbObjectId> placedFans(const AcDbDatabase* db);

// The record's entries in their order (reals as their shortest text); empty
// for a fan placed before records were kept.
using FanRecordEntries = std::vector<std::pair<QString, QString>>;
FanRecordEntries fanRecord(AcDbObjectId id);
QString recordValue(const FanRecordEntries& record, const QString& key);

// The fan each schedule row lists, by its tag (null where none has it); rows
// without a tag are the untagged fans in drawing order, as FANSCHED lists them.
std::vector<AcDbObjectId> fansOfTags(const std::vector<QString>& tags, const AcDbDatabase* db);

}  // namespace zrgui
