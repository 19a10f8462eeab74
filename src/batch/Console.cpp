#include "batch/Console.h"

#include "batch/StopSignals.h"

#include <cerrno>

#include <poll.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace tabulex::batch {

namespace {

constexpr int kDefaultColumns = 80;
// How often a question waiting for its answer looks for a stop signal.
constexpr int kStopCheckMs = 100;
const char* const kClearLine = "\r\x1b[K";

bool isTerminal(FILE* f) { return ::isatty(::fileno(f)) == 1; }

} // namespace

QString withLineFeeds(QString text)
{
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(u'\r', u'\n');
    return text;
}

Console::Console() : Console(stdin, stdout, stderr) {}

Console::Console(FILE* in, FILE* out, FILE* err)
    : m_in(in), m_out(out), m_err(err), m_inputIsTerminal(isTerminal(in)),
      m_errorIsTerminal(isTerminal(err))
{
}

int Console::columns() const
{
    winsize size{};
    if (::ioctl(::fileno(m_err), TIOCGWINSZ, &size) == 0 && size.ws_col > 0)
        return size.ws_col;
    return kDefaultColumns;
}

void Console::write(FILE* f, const QString& text)
{
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), f);
    std::fflush(f);
}

void Console::result(const QString& text) { write(m_out, text + u'\n'); }

void Console::line(const QString& text)
{
    clearStatus();
    write(m_err, withLineFeeds(text) + u'\n');
}

void Console::status(const QString& text)
{
    if (!m_errorIsTerminal)
        return;
    write(m_err, QString::fromLatin1(kClearLine) + text);
    m_statusShown = true;
}

void Console::clearStatus()
{
    if (!m_statusShown)
        return;
    write(m_err, QString::fromLatin1(kClearLine));
    m_statusShown = false;
}

bool Console::waitForInput() const
{
    pollfd input{::fileno(m_in), POLLIN, 0};
    for (;;) {
        if (stopSignal())
            return false;
        const int ready = ::poll(&input, 1, kStopCheckMs);
        if (ready > 0 || (ready < 0 && errno != EINTR))
            return true; // fgets reads the line, or meets the error
    }
}

bool Console::ask(const QString& question)
{
    clearStatus();
    for (;;) {
        write(m_err, withLineFeeds(question) + QStringLiteral(" [y/n] "));
        char buffer[256];
        if (!waitForInput() || !std::fgets(buffer, sizeof buffer, m_in)) {
            write(m_err, QStringLiteral("\n"));
            return false;
        }
        const QString answer = QString::fromLocal8Bit(buffer).trimmed().toLower();
        if (answer == QLatin1String("y") || answer == QLatin1String("yes"))
            return true;
        if (answer == QLatin1String("n") || answer == QLatin1String("no"))
            return false;
    }
}

} // namespace tabulex::batch
