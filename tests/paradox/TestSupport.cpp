#include "TestSupport.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <random>
#include <sstream>

namespace paradox::test {

fs::path fixtures() { return fs::path(TABULEX_PARADOX_FIXTURES_DIR); }

fs::path fixture(const std::string& relative) { return fixtures() / relative; }

const std::vector<std::string>& fixtureTables()
{
    static const std::vector<std::string> tables = {
        "db/AREACODE.DB",    "db/AREACODES.DB",    "db/CONTACTS.DB",       "db/CUSTOMER.DB",
        "db/DECIMAL.DB",     "db/GENERAL.DB",      "db/HERCULES.DB",       "db/ORDERS.DB",
        "db/ROMAN8.db",      "db/SERVER.DB",       "encrypt/encrypted.db", "fields/bcd.db",
        "fields/bytes.db",   "fields/date35.db",   "fields/date4.db",      "fields/date5.db",
        "fields/date7.db",   "fields/fmemo.db",    "fields/graphic.db",    "fields/graphic240.db",
        "fields/logical.db", "fields/long.db",     "fields/memo.db",       "fields/ole.db",
        "fields/time.db",    "fields/timestamp.db"};
    return tables;
}

TempDir::TempDir()
{
    std::random_device rd;
    for (int i = 0; i < 100; ++i) {
        m_path = fs::temp_directory_path() / ("paradox-test-" + std::to_string(rd()));
        if (fs::create_directory(m_path))
            return;
    }
    throw std::runtime_error("cannot create a temporary folder");
}

TempDir::~TempDir()
{
    std::error_code ec;
    fs::remove_all(m_path, ec);
}

std::vector<std::string> TempDir::names() const
{
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(m_path))
        names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

Rows readAll(const fs::path& dbFile, const ReadOptions& options)
{
    auto reader = TableReader::open(dbFile, options);
    Rows rows;
    std::vector<Value> row;
    while (reader->next(row))
        rows.push_back(row);
    return rows;
}

void writeTable(const fs::path& dbFile, const std::vector<FieldDefinition>& fields,
                const Rows& rows, const WriteOptions& options)
{
    TableWriter writer(dbFile, fields, options);
    for (const auto& row : rows)
        writer.append(row);
    writer.commit();
}

std::string fileBytes(const fs::path& file)
{
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

void writeFileBytes(const fs::path& file, const std::string& bytes)
{
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), std::streamsize(bytes.size()));
}

std::string paramName(const std::string& path)
{
    std::string name = path;
    for (char& c : name)
        if (!std::isalnum(static_cast<unsigned char>(c)))
            c = '_';
    return name;
}

std::string show(const Value& v)
{
    std::ostringstream s;
    switch (v.kind()) {
    case Value::Kind::Null:
        s << "null";
        break;
    case Value::Kind::Bool:
        s << (v.toBool() ? "true" : "false");
        break;
    case Value::Kind::Int:
        s << v.toInt();
        break;
    case Value::Kind::Double:
        s.precision(17);
        s << v.toDouble();
        break;
    case Value::Kind::Decimal:
        s << "decimal " << v.toDecimal().text;
        break;
    case Value::Kind::Text:
        if (v.toText().size() > 60)
            s << '"' << v.toText().substr(0, 40) << "...\" (" << v.toText().size() << " bytes)";
        else
            s << '"' << v.toText() << '"';
        break;
    case Value::Kind::Bytes:
        s << v.toBytes().data.size() << " bytes";
        break;
    case Value::Kind::Date: {
        const Date& d = v.toDate();
        s << d.year << '-' << d.month << '-' << d.day;
        break;
    }
    case Value::Kind::Time: {
        const Time& t = v.toTime();
        s << t.hour << ':' << t.minute << ':' << t.second << '.' << t.millisecond;
        break;
    }
    case Value::Kind::Timestamp: {
        const Timestamp& ts = v.toTimestamp();
        s << ts.date.year << '-' << ts.date.month << '-' << ts.date.day << 'T' << ts.time.hour
          << ':' << ts.time.minute << ':' << ts.time.second << '.' << ts.time.millisecond;
        break;
    }
    }
    return s.str();
}

} // namespace paradox::test
