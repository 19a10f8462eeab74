#include "staging/StagingSql.h"

#include "core/DataError.h"

namespace tabulex::staging {

namespace {

// A cursor over the statement text with the few token readers the dialect needs.
class Reader {
public:
    explicit Reader(const QString& text) : m_s(text) {}

    void skipSpace()
    {
        while (m_i < m_s.size() && m_s[m_i].isSpace())
            ++m_i;
    }
    bool atEnd()
    {
        skipSpace();
        return m_i >= m_s.size();
    }
    bool peek(QChar c)
    {
        skipSpace();
        return m_i < m_s.size() && m_s[m_i] == c;
    }
    bool take(QChar c)
    {
        if (!peek(c))
            return false;
        ++m_i;
        return true;
    }
    // A keyword, without regard to case, followed by a non-word character.
    bool keyword(QLatin1String word)
    {
        skipSpace();
        if (m_s.size() - m_i < word.size() ||
            QStringView(m_s).mid(m_i, word.size()).compare(word, Qt::CaseInsensitive) != 0)
            return false;
        const qsizetype end = m_i + word.size();
        if (end < m_s.size() && (m_s[end].isLetterOrNumber() || m_s[end] == u'_'))
            return false;
        m_i = end;
        return true;
    }
    // A name in [brackets], `grave accents` or "double quotes" (the closing character
    // doubled inside), or a bare word.
    bool name(QString& out)
    {
        skipSpace();
        if (m_i >= m_s.size())
            return false;
        const QChar open = m_s[m_i];
        const QChar close = open == u'[' ? u']' : open;
        if (open == u'[' || open == u'`' || open == u'"')
            return quoted(close, out);
        const qsizetype start = m_i;
        while (m_i < m_s.size() && (m_s[m_i].isLetterOrNumber() || m_s[m_i] == u'_'))
            ++m_i;
        out = m_s.mid(start, m_i - start);
        return !out.isEmpty();
    }
    bool literal(Literal& out);
    // The text up to the next "," or ")" outside parentheses.
    QString typeText()
    {
        const qsizetype start = m_i;
        int depth = 0;
        while (m_i < m_s.size()) {
            const QChar c = m_s[m_i];
            if (c == u'(')
                ++depth;
            else if (c == u')' && depth-- == 0)
                break;
            else if (c == u',' && depth == 0)
                break;
            ++m_i;
        }
        return m_s.mid(start, m_i - start).trimmed();
    }
    void endStatement()
    {
        take(u';');
    }

private:
    bool quoted(QChar close, QString& out)
    {
        ++m_i;
        out.clear();
        while (true) {
            const qsizetype at = m_s.indexOf(close, m_i);
            if (at < 0)
                return false;
            out.append(QStringView(m_s).mid(m_i, at - m_i));
            m_i = at + 1;
            if (m_i < m_s.size() && m_s[m_i] == close) {
                out += close; // a doubled closing character stands for itself
                ++m_i;
                continue;
            }
            return true;
        }
    }

    const QString& m_s;
    qsizetype m_i = 0;
};

bool Reader::literal(Literal& out)
{
    skipSpace();
    if (m_i >= m_s.size())
        return false;
    if (keyword(QLatin1String("NULL"))) {
        out = Literal{Literal::Kind::Null, {}};
        return true;
    }
    QChar c = m_s[m_i];
    if ((c == u'N' || c == u'n') && m_i + 1 < m_s.size() && m_s[m_i + 1] == u'\'') {
        ++m_i;
        c = u'\'';
    }
    if (c == u'\'') {
        out.kind = Literal::Kind::Text;
        return quoted(u'\'', out.text);
    }
    if (c == u'0' && m_i + 1 < m_s.size() && (m_s[m_i + 1] == u'x' || m_s[m_i + 1] == u'X')) {
        const qsizetype start = m_i += 2;
        while (m_i < m_s.size() && isxdigit(m_s[m_i].unicode() < 128 ? m_s[m_i].toLatin1() : 0))
            ++m_i;
        out = Literal{Literal::Kind::Hex, m_s.mid(start, m_i - start)};
        return (out.text.size() % 2) == 0;
    }
    const qsizetype start = m_i;
    while (m_i < m_s.size() && (m_s[m_i].isDigit() || m_s[m_i] == u'.' || m_s[m_i] == u'-' ||
                                m_s[m_i] == u'+' || m_s[m_i] == u'e' || m_s[m_i] == u'E'))
        ++m_i;
    out = Literal{Literal::Kind::Number, m_s.mid(start, m_i - start)};
    return !out.text.isEmpty();
}

[[noreturn]] void syntaxError(const char* what)
{
    throw DataError(QString::fromLatin1(what));
}

Statement parseCreate(Reader& r)
{
    CreateTable c;
    if (!r.name(c.table) || !r.take(u'('))
        syntaxError("Syntax error in CREATE TABLE statement.");
    do {
        ColumnDef col;
        if (!r.name(col.name))
            syntaxError("Syntax error in CREATE TABLE statement.");
        col.typeText = r.typeText();
        if (col.typeText.isEmpty())
            syntaxError("Syntax error in field definition.");
        c.columns.push_back(col);
    } while (r.take(u','));
    if (!r.take(u')'))
        syntaxError("Syntax error in CREATE TABLE statement.");
    r.endStatement();
    if (!r.atEnd())
        syntaxError("Syntax error in CREATE TABLE statement.");
    return c;
}

Statement parseInsert(Reader& r)
{
    InsertRow ins;
    if (!r.keyword(QLatin1String("INTO")) || !r.name(ins.table) ||
        !r.keyword(QLatin1String("VALUES")) || !r.take(u'('))
        syntaxError("Syntax error in INSERT INTO statement.");
    do {
        Literal lit;
        if (!r.literal(lit))
            syntaxError("Syntax error in INSERT INTO statement.");
        ins.values.push_back(std::move(lit));
    } while (r.take(u','));
    if (!r.take(u')'))
        syntaxError("Syntax error in INSERT INTO statement.");
    r.endStatement();
    if (!r.atEnd())
        syntaxError("Syntax error in INSERT INTO statement.");
    return ins;
}

Statement parseSelect(Reader& r)
{
    const bool top = r.keyword(QLatin1String("TOP"));
    if (top && !r.keyword(QLatin1String("1")))
        syntaxError("Syntax error in SELECT statement.");
    if (!r.take(u'*'))
        syntaxError("Syntax error in SELECT statement.");
    if (!top && r.keyword(QLatin1String("INTO"))) {
        ExportTable e;
        if (!r.name(e.database) || !r.take(u'.') || !r.name(e.file) ||
            !r.keyword(QLatin1String("FROM")) || !r.name(e.table))
            syntaxError("Syntax error in SELECT INTO statement.");
        r.endStatement();
        if (!r.atEnd())
            syntaxError("Syntax error in SELECT INTO statement.");
        return e;
    }
    SelectRows s;
    s.topOne = top;
    if (!r.keyword(QLatin1String("FROM")) || !r.name(s.table))
        syntaxError("Syntax error in FROM clause.");
    r.endStatement();
    if (!r.atEnd())
        syntaxError("Syntax error in SELECT statement.");
    return s;
}

} // namespace

Statement parseStatement(const QString& sql)
{
    Reader r(sql);
    if (r.keyword(QLatin1String("INSERT")))
        return parseInsert(r);
    if (r.keyword(QLatin1String("CREATE"))) {
        if (!r.keyword(QLatin1String("TABLE")))
            syntaxError("Syntax error in CREATE TABLE statement.");
        return parseCreate(r);
    }
    if (r.keyword(QLatin1String("DROP"))) {
        DropTable d;
        if (!r.keyword(QLatin1String("TABLE")) || !r.name(d.table))
            syntaxError("Syntax error in DROP TABLE or DROP INDEX.");
        r.endStatement();
        if (!r.atEnd())
            syntaxError("Syntax error in DROP TABLE or DROP INDEX.");
        return d;
    }
    if (r.keyword(QLatin1String("SELECT")))
        return parseSelect(r);
    syntaxError("Invalid SQL statement; expected 'DELETE', 'INSERT', 'PROCEDURE', 'SELECT', or "
                "'UPDATE'.");
}

} // namespace tabulex::staging
