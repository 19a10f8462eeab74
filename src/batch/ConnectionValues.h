#pragma once

#include "batch/BatchOptions.h"
#include "connect/ConnectionStrings.h"

#include <cstdio>

namespace tabulex::batch {

// The connection window's values as the settings store holds them, overridden by the
// command line; the password comes from the store or from --password-file (the first line
// of the file, or of input for "-"). Throws UsageError for a password file that cannot be
// read.
ConnectionFields connectionFields(const BatchOptions& options, FILE* input = stdin);

} // namespace tabulex::batch
