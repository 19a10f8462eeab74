// pxdump TABLE.db: prints a Paradox table as JSON lines: the header facts, one object per
// field, then one object per record. A damaged table gives a message and exit status 1;
// with --salvage, the records that can be trusted and the damage report on standard error.
// --code-page N (or --encoding NAME) reads the text in that code page whatever the header says.
#include "paradox/CodePage.h"
#include "paradox/DamageReport.h"
#include "paradox/Error.h"
#include "paradox/TableReader.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>

namespace {

using paradox::Value;

void appendString(std::string& out, std::string_view s)
{
    out.push_back('"');
    for (unsigned char c : s) {
        switch (c) {
        case '"':
            out += "\\\"";
            break;
        case '\\':
            out += "\\\\";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\t':
            out += "\\t";
            break;
        default:
            if (c < 0x20) {
                char buf[8];
                std::snprintf(buf, sizeof buf, "\\u%04x", c);
                out += buf;
            } else {
                out.push_back(char(c));
            }
        }
    }
    out.push_back('"');
}

void appendBase64(std::string& out, const std::string& data)
{
    static constexpr char kAlphabet[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    out.push_back('"');
    std::size_t i = 0;
    for (; i + 2 < data.size(); i += 3) {
        const unsigned v = unsigned((unsigned char)data[i]) << 16 |
                           unsigned((unsigned char)data[i + 1]) << 8 | (unsigned char)data[i + 2];
        for (int k = 3; k >= 0; --k)
            out.push_back(kAlphabet[v >> (6 * k) & 63]);
    }
    if (i < data.size()) {
        unsigned v = unsigned((unsigned char)data[i]) << 16;
        if (i + 1 < data.size())
            v |= unsigned((unsigned char)data[i + 1]) << 8;
        out.push_back(kAlphabet[v >> 18 & 63]);
        out.push_back(kAlphabet[v >> 12 & 63]);
        out.push_back(i + 1 < data.size() ? kAlphabet[v >> 6 & 63] : '=');
        out.push_back('=');
    }
    out.push_back('"');
}

std::string dateText(const paradox::Date& d)
{
    char buf[32];
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02d", d.year, d.month, d.day);
    return buf;
}

// HH:MM:SS with the fraction only when there is one, trailing zeros dropped.
std::string timeText(const paradox::Time& t)
{
    char buf[32];
    std::snprintf(buf, sizeof buf, "%02d:%02d:%02d", t.hour, t.minute, t.second);
    std::string s = buf;
    if (t.millisecond > 0) {
        std::snprintf(buf, sizeof buf, ".%03d", t.millisecond);
        s += buf;
        while (s.back() == '0')
            s.pop_back();
    }
    return s;
}

void appendValue(std::string& out, const Value& v)
{
    switch (v.kind()) {
    case Value::Kind::Null:
        out += "null";
        return;
    case Value::Kind::Bool:
        out += v.toBool() ? "true" : "false";
        return;
    case Value::Kind::Int:
        out += std::to_string(v.toInt());
        return;
    case Value::Kind::Double: {
        const double d = v.toDouble();
        if (!std::isfinite(d))
            return appendString(out, std::isnan(d) ? "NaN" : d < 0 ? "-Infinity" : "Infinity");
        char buf[64];
        const auto r = std::to_chars(buf, buf + sizeof buf, d);
        out.append(buf, r.ptr);
        return;
    }
    case Value::Kind::Decimal:
        out += v.toDecimal().text;
        return;
    case Value::Kind::Text:
        return appendString(out, v.toText());
    case Value::Kind::Bytes:
        return appendBase64(out, v.toBytes().data);
    case Value::Kind::Date:
        return appendString(out, dateText(v.toDate()));
    case Value::Kind::Time:
        return appendString(out, timeText(v.toTime()));
    case Value::Kind::Timestamp:
        return appendString(out,
                            dateText(v.toTimestamp().date) + "T" + timeText(v.toTimestamp().time));
    }
}

void appendHeader(std::string& out, const paradox::TableReader& reader)
{
    const paradox::TableHeader& h = reader.header();
    out += "{\"table\":";
    appendString(out, reader.table());
    out += ",\"version\":";
    appendString(out, h.versionText());
    out += ",\"version_id\":" + std::to_string(h.versionId);
    out += ",\"file_type\":" + std::to_string(h.fileType);
    out += ",\"code_page\":" + std::to_string(h.codePage);
    out += ",\"sort_order\":";
    appendString(out, h.sortOrderName);
    out += ",\"encoding\":";
    appendString(out, h.encoding);
    out += ",\"record_count\":" + std::to_string(h.recordCount);
    out += ",\"block_size\":" + std::to_string(h.blockSize);
    out += ",\"key_fields\":" + std::to_string(h.keyFields);
    out += std::string(",\"encrypted\":") + (h.encrypted ? "true" : "false") + "}\n";
    for (const paradox::Field& f : h.fields) {
        out += "{\"name\":";
        appendString(out, f.name);
        out += ",\"type\":";
        appendString(out, paradox::fieldTypeName(f.type));
        out += ",\"letter\":";
        appendString(out, paradox::fieldTypeLetter(f.type));
        out += ",\"size\":" + std::to_string(f.size);
        out += ",\"ado_type\":" + std::to_string(paradox::adoTypeOf(f.type)) + "}\n";
    }
}

void flush(std::string& out)
{
    std::fwrite(out.data(), 1, out.size(), stdout);
    out.clear();
}

int usage()
{
    std::fputs("usage: pxdump [--code-page N | --encoding ICONV-NAME] [--salvage] TABLE.db\n",
               stderr);
    return 2;
}

} // namespace

int main(int argc, char** argv)
{
    paradox::ReadOptions options;
    const char* file = nullptr;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--encoding") == 0 && i + 1 < argc)
            options.encoding = argv[++i];
        else if (std::strcmp(argv[i], "--code-page") == 0 && i + 1 < argc) {
            int codePage = 0;
            const char* n = argv[++i];
            const auto [end, ec] = std::from_chars(n, n + std::strlen(n), codePage);
            if (ec != std::errc() || *end != 0 || codePage <= 0)
                return usage();
            options.encoding = paradox::encodingForCodePage(codePage);
        } else if (std::strcmp(argv[i], "--salvage") == 0)
            options.salvage = true;
        else if (!file && argv[i][0] != '-')
            file = argv[i];
        else
            return usage();
    }
    if (!file)
        return usage();
    std::string out;
    try {
        const auto reader = paradox::TableReader::open(file, options);
        appendHeader(out, *reader);
        std::vector<Value> row;
        const auto& fields = reader->header().fields;
        while (reader->next(row)) {
            out.push_back('{');
            for (std::size_t i = 0; i < fields.size(); ++i) {
                if (i > 0)
                    out.push_back(',');
                appendString(out, fields[i].name);
                out.push_back(':');
                appendValue(out, row[i]);
            }
            out += "}\n";
            if (out.size() > (1 << 16))
                flush(out);
        }
        flush(out);
        if (const paradox::DamageReport* damage = reader->damage())
            for (const std::string& line : damage->lines())
                std::fprintf(stderr, "pxdump: %s: %s\n", reader->table().c_str(), line.c_str());
    } catch (const paradox::Error& e) {
        flush(out);
        std::fprintf(stderr, "pxdump: %s\n", e.what());
        return 1;
    } catch (const std::exception& e) {
        flush(out);
        std::fprintf(stderr, "pxdump: %s\n", e.what());
        return 1;
    }
    return std::fflush(stdout) == 0 ? 0 : 1;
}
