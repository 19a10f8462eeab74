#pragma once

#include <QList>
#include <QString>

#include <stdexcept>

namespace tabulex {

// The native error number of a source that changed while it was read (a Paradox table that
// a program wrote meanwhile): reading it again may succeed.
inline constexpr int kSourceChangedError = 0x7A01;

// The one error type of the data access layer and its drivers: the driver's own text,
// its native error number and state where it has them.
class DataError : public std::runtime_error {
public:
    explicit DataError(const QString& description, int nativeError = 0, const QString& state = {})
        : std::runtime_error(description.toStdString()), m_description(description),
          m_nativeError(nativeError), m_state(state)
    {
    }

    const QString& description() const noexcept { return m_description; }
    int nativeError() const noexcept { return m_nativeError; }
    const QString& state() const noexcept { return m_state; }
    // Every diagnostic record the driver gave, one a line, and their native numbers, where
    // the driver gives more than one (a login that failed for two reasons).
    const QString& allRecords() const noexcept { return m_allRecords; }
    const QList<int>& allNativeErrors() const noexcept { return m_allNative; }
    void setAllRecords(const QString& text, const QList<int>& natives)
    {
        m_allRecords = text;
        m_allNative = natives;
    }

private:
    QString m_description;
    int m_nativeError;
    QString m_state;
    QString m_allRecords;
    QList<int> m_allNative;
};

} // namespace tabulex
