#pragma once

#include "staging/StagingStore.h"

#include "paradox/TableWriter.h"

#include <QString>

#include <vector>

namespace tabulex::staging {

// The fields a staging table is written with, in a table of this code page. Should the
// table not fit a Paradox table, its Alpha fields get as long as their longest values.
std::vector<paradox::FieldDefinition> paradoxFields(const StagingTable& t, int codePage);

} // namespace tabulex::staging
