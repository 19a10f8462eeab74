#pragma once

#include <QString>

namespace tabulex {

// The product title: window captions and the settings section.
inline const QString kProductTitle = QStringLiteral("Tabulex");

// The application title: the product title cut at word boundaries to at most 40 characters.
// It titles every message box shown without a title of its own.
QString setAppTitle(const QString& productTitle = kProductTitle);
const QString& appTitle();

// The program's version, as the build names it ("1.0.0").
QString programVersion();

// The folder of the program's executable, without a trailing separator.
QString applicationFolder();

} // namespace tabulex
