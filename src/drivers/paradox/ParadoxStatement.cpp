#include "drivers/paradox/ParadoxStatement.h"

namespace tabulex::paradoxdriver {

namespace {

// A small cursor over the statement text.
class Scanner {
public:
    explicit Scanner(const QString& text) : m_text(text) {}

    void skipSpace() {
        while (m_pos < m_text.size() && m_text[m_pos].isSpace())
            ++m_pos;
    }
    bool atEnd() {
        skipSpace();
        if (m_pos < m_text.size() && m_text[m_pos] == u';')
            ++m_pos;
        skipSpace();
        return m_pos == m_text.size();
    }
    // A keyword, ignoring case, followed by a space or the end.
    bool keyword(QLatin1String word) {
        skipSpace();
        if (m_text.mid(m_pos, word.size()).compare(word, Qt::CaseInsensitive) != 0)
            return false;
        const qsizetype end = m_pos + word.size();
        if (end < m_text.size() && (m_text[end].isLetterOrNumber() || m_text[end] == u'_'))
            return false;
        m_pos = end;
        return true;
    }
    bool symbol(QChar c) {
        skipSpace();
        if (m_pos < m_text.size() && m_text[m_pos] == c) {
            ++m_pos;
            return true;
        }
        return false;
    }
    std::optional<qint64> number() {
        skipSpace();
        const qsizetype start = m_pos;
        while (m_pos < m_text.size() && m_text[m_pos].isDigit())
            ++m_pos;
        bool ok = false;
        const qint64 n = m_text.mid(start, m_pos - start).toLongLong(&ok);
        return ok ? std::optional<qint64>(n) : std::nullopt;
    }
    std::optional<QString> name() {
        skipSpace();
        if (symbolAt(u'['))
            return quoted(u']');
        if (symbolAt(u'"'))
            return quoted(u'"');
        const qsizetype start = m_pos;
        while (m_pos < m_text.size() && !m_text[m_pos].isSpace() && m_text[m_pos] != u';')
            ++m_pos;
        if (m_pos == start)
            return std::nullopt;
        return m_text.mid(start, m_pos - start);
    }

private:
    bool symbolAt(QChar c) {
        if (m_pos < m_text.size() && m_text[m_pos] == c) {
            ++m_pos;
            return true;
        }
        return false;
    }
    // The text up to the closing character; a doubled closing character stands for itself.
    std::optional<QString> quoted(QChar close) {
        QString out;
        while (m_pos < m_text.size()) {
            const QChar c = m_text[m_pos++];
            if (c != close) {
                out += c;
                continue;
            }
            if (m_pos < m_text.size() && m_text[m_pos] == close) {
                out += close;
                ++m_pos;
                continue;
            }
            return out.isEmpty() ? std::nullopt : std::optional<QString>(out);
        }
        return std::nullopt;
    }

    const QString& m_text;
    qsizetype m_pos = 0;
};

} // namespace

std::optional<ParadoxStatement> parseParadoxStatement(const QString& statement) {
    Scanner s(statement);
    ParadoxStatement result;
    if (s.keyword(QLatin1String("DROP"))) {
        if (!s.keyword(QLatin1String("TABLE")))
            return std::nullopt;
        result.kind = ParadoxStatement::Kind::Drop;
    } else if (s.keyword(QLatin1String("SELECT"))) {
        if (s.keyword(QLatin1String("TOP"))) {
            const auto n = s.number();
            if (!n)
                return std::nullopt;
            result.limit = *n;
        }
        if (!s.symbol(u'*') || !s.keyword(QLatin1String("FROM")))
            return std::nullopt;
    } else {
        return std::nullopt;
    }
    const auto table = s.name();
    if (!table || !s.atEnd())
        return std::nullopt;
    result.table = *table;
    return result;
}

} // namespace tabulex::paradoxdriver
