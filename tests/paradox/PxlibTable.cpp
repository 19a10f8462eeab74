#include "PxlibTable.h"

extern "C" {
#include <paradox.h>
}

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iconv.h>
#include <stdexcept>

namespace paradox::test {

namespace {

namespace fs = std::filesystem;

void collectError(pxdoc_t*, int, const char* msg, void* data)
{
    static_cast<std::vector<std::string>*>(data)->push_back(msg);
}

size_t mbRead(pxblob_t* blob, pxstream_t*, size_t n, void* buffer)
{
    return std::fread(buffer, 1, n, blob->mb_stream->s.fp);
}

int mbSeek(pxblob_t* blob, pxstream_t*, long offset, int whence)
{
    return std::fseek(blob->mb_stream->s.fp, offset, whence);
}

long mbTell(pxblob_t* blob, pxstream_t*) { return std::ftell(blob->mb_stream->s.fp); }

std::string convert(const std::string& bytes, const char* to, const char* from)
{
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1))
        throw std::runtime_error(std::string("iconv cannot convert ") + from);
    std::string out(bytes.size() * 4 + 4, '\0');
    char* in = const_cast<char*>(bytes.data());
    size_t inLeft = bytes.size();
    char* o = out.data();
    size_t oLeft = out.size();
    const size_t r = iconv(cd, &in, &inLeft, &o, &oLeft);
    iconv_close(cd);
    if (r == size_t(-1))
        throw std::runtime_error(std::string("iconv fails on text in ") + from);
    out.resize(out.size() - oLeft);
    return out;
}

Date dateOfPxlibDay(long day)
{
    using namespace std::chrono;
    // pxlib's day numbers count 0001-01-01 as day 1, 1970-01-01 as 719163.
    const year_month_day ymd{sys_days(year(1970) / January / 1) + days(day - 719163)};
    return Date{int(ymd.year()), int(unsigned(ymd.month())), int(unsigned(ymd.day()))};
}

Time timeOfMillis(long long ms)
{
    return Time{int(ms / 3600000), int(ms / 60000 % 60), int(ms / 1000 % 60), int(ms % 1000)};
}

bool allZero(const char* p, int n)
{
    for (int i = 0; i < n; ++i)
        if (p[i] != 0)
            return false;
    return true;
}

struct Cell {
    Value value;
    bool trusted = true;
};

// pxlib 0.6.8 does not mark NULL numbers and dates (and on 64-bit machines reads 8 bytes
// for a 4-byte NULL), so the raw field bytes decide NULL for those types: all zero.
Cell cellOf(const pxval_t& v, const pxfield_t& f, const char* raw, const std::string& encoding)
{
    switch (f.px_ftype) {
    case pxfShort:
    case pxfLong:
    case pxfAutoInc:
    case pxfDate:
    case pxfTime:
    case pxfNumber:
    case pxfCurrency:
    case pxfTimestamp:
    case pxfLogical:
        if (v.isnull || allZero(raw, f.px_flen))
            return {Value()};
        break;
    default:
        if (v.isnull)
            return {Value()};
    }
    switch (f.px_ftype) {
    case pxfAlpha:
        return {Value(std::string(v.value.str.val, size_t(v.value.str.len))), !encoding.empty()};
    case pxfShort:
    case pxfLong:
    case pxfAutoInc:
        return {Value(std::int64_t(v.value.lval))};
    case pxfDate:
        return {Value(dateOfPxlibDay(v.value.lval))};
    case pxfTime:
        return {Value(timeOfMillis(v.value.lval))};
    case pxfTimestamp: {
        const auto ms = static_cast<long long>(v.value.dval);
        return {Value(Timestamp{dateOfPxlibDay(long(ms / 86400000)), timeOfMillis(ms % 86400000)})};
    }
    case pxfNumber:
    case pxfCurrency:
        return {Value(v.value.dval)};
    case pxfLogical:
        return {Value(v.value.lval != 0)};
    case pxfBCD: {
        std::string t(v.value.str.val);
        if (!t.empty() && t.back() == '.')
            t.pop_back();
        const bool clean = t.find_first_not_of("-.0123456789") == std::string::npos;
        return {Value(Decimal{t}), clean};
    }
    case pxfMemoBLOb: {
        const std::string text(v.value.str.val, size_t(v.value.str.len));
        if (encoding.empty())
            return {Value(text), false};
        return {Value(convert(text, "UTF-8", encoding.c_str()))};
    }
    default: // Bytes and the binary BLObs
        return {Value(Bytes{std::string(v.value.str.val, size_t(v.value.str.len))})};
    }
}

} // namespace

PxlibTable readWithPxlib(const fs::path& dbFile, const fs::path& mbFile)
{
    PxlibTable t;
    pxdoc_t* px = PX_new3(collectError, nullptr, nullptr, nullptr, &t.errors);
    // PX_open_file asks for write access too; a read-only fixture opens for reading only.
    FILE* db = std::fopen(dbFile.c_str(), "rb");
    if (!db || PX_open_fp(px, db) < 0) {
        PX_delete(px);
        if (db)
            std::fclose(db);
        throw std::runtime_error("pxlib cannot open " + dbFile.string());
    }
    t.encodingSet = PX_set_targetencoding(px, "UTF-8") == 0;
    const std::string encoding =
        t.encodingSet ? "CP" + std::to_string(px->px_head->px_doscodepage) : std::string();

    FILE* mb = nullptr;
    pxstream_t* stream = nullptr;
    if (!mbFile.empty()) {
        mb = std::fopen(mbFile.c_str(), "rb");
        pxblob_t* blob = PX_new_blob(px);
        stream = static_cast<pxstream_t*>(std::calloc(1, sizeof(pxstream_t)));
        stream->type = pxfIOFile;
        stream->mode = pxfFileRead;
        stream->s.fp = mb;
        blob->mb_stream = stream;
        blob->read = mbRead;
        blob->seek = mbSeek;
        blob->tell = mbTell;
        blob->mb_head = static_cast<mbhead_t*>(std::calloc(1, sizeof(mbhead_t)));
    }

    const int nf = PX_get_num_fields(px);
    const pxfield_t* fields = PX_get_fields(px);
    for (int i = 0; i < nf; ++i)
        t.fields.push_back(
            {fields[i].px_fname, fields[i].px_ftype, fields[i].px_flen, fields[i].px_fdc});
    std::vector<char> raw(size_t(PX_get_recordsize(px)));
    for (int r = 0; r < PX_get_num_records(px); ++r) {
        pxval_t** values = PX_retrieve_record(px, r);
        if (!values || !PX_get_record(px, r, raw.data()))
            throw std::runtime_error("pxlib cannot read record " + std::to_string(r));
        std::vector<Value> row;
        std::vector<bool> trusted;
        int offset = 0;
        for (int i = 0; i < nf; ++i) {
            const Cell c = cellOf(*values[i], fields[i], raw.data() + offset, encoding);
            row.push_back(c.value);
            trusted.push_back(c.trusted);
            offset += fields[i].px_flen;
            if (!values[i]->isnull && values[i]->type != pxfShort && values[i]->type != pxfLong &&
                values[i]->type != pxfAutoInc && values[i]->type != pxfDate &&
                values[i]->type != pxfTime && values[i]->type != pxfNumber &&
                values[i]->type != pxfCurrency && values[i]->type != pxfTimestamp &&
                values[i]->type != pxfLogical)
                px->free(px, values[i]->value.str.val);
            px->free(px, values[i]);
        }
        px->free(px, values);
        t.rows.push_back(row);
        t.trusted.push_back(trusted);
    }
    mbhead_t* head = px->px_blob ? px->px_blob->mb_head : nullptr;
    PX_delete(px);
    std::fclose(db);
    std::free(head);
    if (mb)
        std::fclose(mb);
    std::free(stream);
    return t;
}

void writeWithPxlib(const fs::path& dbFile, const std::vector<PxlibField>& fields,
                    const std::vector<std::vector<Value>>& rows)
{
    std::vector<std::string> errors;
    pxdoc_t* px = PX_new3(collectError, nullptr, nullptr, nullptr, &errors);
    // pxlib keeps and later frees the field array and its names.
    auto* pf = static_cast<pxfield_t*>(std::calloc(fields.size(), sizeof(pxfield_t)));
    bool blobs = false;
    for (size_t i = 0; i < fields.size(); ++i) {
        pf[i].px_fname = strdup(fields[i].name.c_str());
        pf[i].px_ftype = char(fields[i].type);
        pf[i].px_flen = fields[i].length;
        pf[i].px_fdc = fields[i].decimals;
        blobs = blobs || fields[i].type == pxfMemoBLOb || fields[i].type == pxfFmtMemoBLOb;
    }
    if (PX_create_file(px, pf, int(fields.size()), dbFile.c_str(), pxfFileTypNonIndexDB) < 0)
        throw std::runtime_error("pxlib cannot create " + dbFile.string());
    // pxlib converts Alpha values only when a target encoding is set as well.
    PX_set_targetencoding(px, "UTF-8");
    PX_set_inputencoding(px, "UTF-8");
    if (blobs) {
        fs::path mb = dbFile;
        mb.replace_extension(".mb");
        if (PX_set_blob_file(px, mb.c_str()) < 0)
            throw std::runtime_error("pxlib cannot create " + mb.string());
    }
    std::vector<std::string> texts; // keeps converted memo text alive during the insert
    for (const auto& row : rows) {
        std::vector<pxval_t> cells(fields.size());
        std::vector<pxval_t*> ptrs;
        texts.clear();
        texts.reserve(fields.size());
        for (size_t i = 0; i < fields.size(); ++i) {
            pxval_t& c = cells[i];
            std::memset(&c, 0, sizeof c);
            c.type = fields[i].type;
            ptrs.push_back(&c);
            const Value& v = row[i];
            if (v.isNull()) {
                c.isnull = 1;
                continue;
            }
            auto setText = [&](std::string s) {
                texts.push_back(std::move(s));
                c.value.str.val = texts.back().data();
                c.value.str.len = int(texts.back().size());
            };
            switch (v.kind()) {
            case Value::Kind::Int:
                c.value.lval = long(v.toInt());
                break;
            case Value::Kind::Bool:
                c.value.lval = v.toBool() ? 1 : 0;
                break;
            case Value::Kind::Double:
                c.value.dval = v.toDouble();
                break;
            case Value::Kind::Date:
                c.value.lval =
                    PX_GregorianToSdn(v.toDate().year, v.toDate().month, v.toDate().day) - 1721425;
                break;
            case Value::Kind::Time: {
                const Time& t = v.toTime();
                c.value.lval = ((t.hour * 60L + t.minute) * 60 + t.second) * 1000 + t.millisecond;
                break;
            }
            case Value::Kind::Timestamp: {
                const Timestamp& ts = v.toTimestamp();
                const long day =
                    PX_GregorianToSdn(ts.date.year, ts.date.month, ts.date.day) - 1721425;
                c.value.dval =
                    double(day) * 86400000.0 +
                    double(((ts.time.hour * 60L + ts.time.minute) * 60 + ts.time.second) * 1000 +
                           ts.time.millisecond);
                break;
            }
            case Value::Kind::Decimal:
                setText(v.toDecimal().text);
                break;
            case Value::Kind::Bytes:
                setText(v.toBytes().data);
                break;
            case Value::Kind::Text:
                setText(fields[i].type == pxfAlpha ? v.toText()
                                                   : convert(v.toText(), "CP1252", "UTF-8"));
                break;
            default:
                throw std::runtime_error("no pxlib form for this value");
            }
        }
        if (PX_insert_record(px, ptrs.data()) < 0)
            throw std::runtime_error("pxlib cannot insert a record: " +
                                     (errors.empty() ? std::string() : errors.back()));
    }
    PX_close(px);
    PX_delete(px);
}

} // namespace paradox::test
