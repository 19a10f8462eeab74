#pragma once

#include "core/StopRequest.h"
#include "host/ErrorReport.h"
#include "host/Prompter.h"

#include <QString>

#include <exception>
#include <stdexcept>
#include <utility>

namespace tabulex {

// The error trap of one handler or routine: each step runs under its line label; a step
// that throws is reported with the program's error report and the handler goes on with
// its next step. step() tells whether the step succeeded, for the places where a failure
// counts as a failed test instead. A command stopped because the program is closing is no
// error: CommandStopped passes through every trap.
class ErrorTrap {
public:
    ErrorTrap(Prompter& prompter, QString module, QString procedure)
        : m_prompter(prompter), m_module(std::move(module)), m_procedure(std::move(procedure))
    {
    }

    // The transfers add the statement in hand to their reports.
    void showStatement(const QString* statement) { m_statement = statement; }

    template <typename F> bool step(int line, F&& f)
    {
        try {
            std::forward<F>(f)();
            return true;
        } catch (const CommandStopped&) {
            throw;
        } catch (const std::exception& e) {
            report(line, e);
        } catch (...) {
            report(line, std::runtime_error("Unknown error"));
        }
        return false;
    }

    void report(int line, const std::exception& e);
    void report(int line, const QString& description);
    // Where a failure at the line stands, as the report names it.
    ErrorLocation location(int line) const { return {m_module, m_procedure, line}; }
    // The report's text for a failure at the line, with the statement in hand.
    QString reportText(int line, const QString& description) const;

    Prompter& prompter() { return m_prompter; }
    // The description of the last failure reported.
    const QString& lastError() const { return m_lastError; }

private:
    Prompter& m_prompter;
    QString m_module;
    QString m_procedure;
    const QString* m_statement = nullptr;
    QString m_lastError;
};

// The description of an exception: a DataError's driver text, else what() as UTF-8.
QString describe(const std::exception& e);

} // namespace tabulex
