#pragma once

#include "staging/StagingStore.h"

#include "paradox/TableWriter.h"

#include <QString>

#include <vector>

namespace tabulex::staging {

// The fields a staging table is written with, in a table of this code page. A Memo chosen
// only for a long type becomes an Alpha field as long as its longest value (at least 1) when
// every value fits 255 bytes. Should that table not fit a Paradox table, the Memos stay;
// should the table still not fit, its Alpha fields get as long as their longest values.
std::vector<paradox::FieldDefinition> paradoxFields(const StagingTable& t, int codePage);

// Throws DataError naming the table paradoxName + ".db" and the limit when no Paradox table
// holds `rows` rows of these fields, even with every Alpha field the export may shorten at
// one byte. A count below 0 (not known) passes.
void requireParadoxCapacity(const QString& paradoxName, const std::vector<StagingField>& fields,
                            qint64 rows);

} // namespace tabulex::staging
