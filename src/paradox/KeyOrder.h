#pragma once

#include "paradox/Header.h"

#include <string>
#include <vector>

namespace paradox {

struct LanguageDriver;

// Most fields in a Paradox key (BDE).
constexpr int kMaxKeyFields = 16;

// Refuses (Error naming the table) a key that Paradox cannot have: more key fields than
// fields or than 16, or a memo or BLOb field among them.
void checkKeyFields(const std::string& table, const std::vector<Field>& fields, int keyFields);

// Bytes the first `keyFields` fields take at the start of a record.
int keyWidthOf(const std::vector<Field>& fields, int keyFields);

// "Name = 'abc', Day = 2024-02-29": the key of a record, for messages.
std::string keyText(const std::vector<Field>& fields, int keyFields, const unsigned char* record,
                    const std::string& encoding);

// The language driver a table of these fields is written with. Keys are written in the
// order of their encoded bytes, which is the order of every type but Alpha under any
// driver, and of Alpha too under the 'ascii' ANSI driver (DBWINUS0, code page 1252), which
// a table with an Alpha key field therefore gets. Error for such a key in another code page.
const LanguageDriver* writerDriverFor(const std::string& table, int codePage,
                                      const std::vector<Field>& fields, int keyFields);

} // namespace paradox
