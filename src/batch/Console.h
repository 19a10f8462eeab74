#pragma once

#include <QString>

#include <cstdio>

namespace tabulex::batch {

// The terminal side of tabulex-batch: results on standard output, everything else on
// standard error, where a terminal also gets one status line that is redrawn in place and
// cleared before any other text.
class Console {
public:
    Console();
    Console(FILE* in, FILE* out, FILE* err);

    bool inputIsTerminal() const { return m_inputIsTerminal; }
    bool errorIsTerminal() const { return m_errorIsTerminal; }
    // The width of the error terminal in characters.
    int columns() const;

    // One line of a result on standard output.
    void result(const QString& text);
    // Text on standard error; line breaks of any kind become the terminal's own.
    void line(const QString& text);
    // Draws the status line (terminal only).
    void status(const QString& text);
    void clearStatus();

    // Asks a yes/no question on the terminal until it gets y or n; end of input, SIGINT and
    // SIGTERM are no.
    bool ask(const QString& question);

private:
    // False when a stop signal came before any input.
    bool waitForInput() const;
    void write(FILE* f, const QString& text);

    FILE* m_in;
    FILE* m_out;
    FILE* m_err;
    bool m_inputIsTerminal;
    bool m_errorIsTerminal;
    bool m_statusShown = false;
};

// Text with CR LF and lone CR turned into LF, as a message box shows it.
QString withLineFeeds(QString text);

} // namespace tabulex::batch
