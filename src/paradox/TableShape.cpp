#include "paradox/TableShape.h"

#include "paradox/ByteSource.h"
#include "paradox/Header.h"
#include "paradox/Layout.h"
#include "paradox/TableFiles.h"
#include "paradox/ValidityFile.h"

namespace paradox {

TableShape readTableShape(const std::filesystem::path& dbFile)
{
    FileSource db(dbFile);
    const TableHeader header = readHeader(db, dbFile.filename().string());
    unsigned char changeCount2 = 0;
    db.readExact(layout::kChangeCount2At, &changeCount2, 1, dbFile.filename().string(),
                 "the header");
    TableShape shape;
    shape.keyFields = header.fileType == layout::kKeyedTable ? header.keyFields : 0;
    shape.lastAutoIncrement = header.autoIncrement;
    for (std::size_t i = 0; i < header.fields.size(); ++i)
        if (header.fields[i].type == FieldType::AutoIncrement)
            shape.autoIncrementFields.push_back(int(i));
    shape.required.assign(header.fields.size(), false);
    if (const auto val = findCompanion(dbFile, "VAL")) {
        try {
            FileSource source(*val);
            shape.required = readRequiredFields(source, header, changeCount2);
        } catch (const std::exception&) {
            // An unreadable .VAL marks nothing required.
        }
    }
    shape.hasPrimaryIndex = shape.keyFields > 0 && findCompanion(dbFile, "PX").has_value();
    return shape;
}

} // namespace paradox
