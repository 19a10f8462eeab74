#include "paradox/Value.h"

namespace paradox {

std::string& Value::textBuffer() {
    if (auto* s = std::get_if<std::string>(&m_v)) {
        s->clear();
        return *s;
    }
    return m_v.emplace<std::string>();
}

std::string& Value::bytesBuffer() {
    if (auto* b = std::get_if<paradox::Bytes>(&m_v)) {
        b->data.clear();
        return b->data;
    }
    return m_v.emplace<paradox::Bytes>().data;
}

const char* kindName(Value::Kind kind) {
    switch (kind) {
    case Value::Kind::Null:
        return "Null";
    case Value::Kind::Bool:
        return "Boolean";
    case Value::Kind::Int:
        return "Integer";
    case Value::Kind::Double:
        return "Double";
    case Value::Kind::Decimal:
        return "Decimal";
    case Value::Kind::Text:
        return "Text";
    case Value::Kind::Bytes:
        return "Bytes";
    case Value::Kind::Date:
        return "Date";
    case Value::Kind::Time:
        return "Time";
    case Value::Kind::Timestamp:
        return "Timestamp";
    }
    return "?";
}

} // namespace paradox
