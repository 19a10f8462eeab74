// libFuzzer target: the reader over arbitrary .db and .MB bytes, as a plain and as a salvage
// read. Anything but a clean read or a paradox::Error (a crash, a sanitizer report, another
// exception, a hang, a large allocation), or a salvage read that contradicts the plain one,
// is a finding.
#include "FuzzInput.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    paradox::fuzz::readAll(paradox::fuzz::split(data, size));
    return 0;
}
