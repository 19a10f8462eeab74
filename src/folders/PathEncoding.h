#pragma once

#include <QString>

#include <optional>
#include <string>

namespace tabulex {

// The bytes of a path for the system calls; nothing when it holds a NUL character. A name
// that decodedName spelled in code page 1252 becomes its own bytes again where the folder
// holds it under those bytes and not under the name's UTF-8.
std::optional<std::string> nativePath(const QString& path);

// A name read from a folder as text: UTF-8 names as they are, any other name as code page
// 1252 shows it, so that every file can be listed and opened again by its text.
QString decodedName(const char* name);

// A path of such names, each name decoded by itself.
QString decodedPath(const std::string& path);

} // namespace tabulex
