// libFuzzer target: the reader over arbitrary .db and .MB bytes. Anything but a clean read
// or a paradox::Error (a crash, a sanitizer report, another exception, a hang, a large
// allocation) is a finding.
#include "FuzzInput.h"

#include "paradox/ByteSource.h"
#include "paradox/Error.h"
#include "paradox/TableReader.h"

#include <memory>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const paradox::fuzz::Input in = paradox::fuzz::split(data, size);
    try {
        paradox::TableReader reader(
            std::make_unique<paradox::MemorySource>(in.db.data(), in.db.size()), "FUZZ.DB",
            [&in]() -> std::unique_ptr<paradox::ByteSource> {
                if (!in.hasMb)
                    return nullptr;
                return std::make_unique<paradox::MemorySource>(in.mb.data(), in.mb.size());
            });
        std::vector<paradox::Value> row;
        while (reader.next(row)) {
        }
    } catch (const paradox::Error&) {
    }
    return 0;
}
