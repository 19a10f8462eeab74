#pragma once

#include <optional>
#include <string>
#include <string_view>

// File names as text. A name read from a folder is UTF-8 when its bytes are; any other name
// (written by a Windows program in its code page) is read as code page 1252, so that every
// byte shows as a character and none is lost.
namespace paradox {

// True when the bytes are well-formed UTF-8.
bool isUtf8(std::string_view bytes);

// The UTF-8 text of a file name's bytes.
std::string fileNameText(std::string_view bytes);

// The bytes of a name that fileNameText spelled in code page 1252; nothing when the text
// has a character outside code page 1252 or its code page bytes are UTF-8 themselves.
std::optional<std::string> codePageBytesOf(std::string_view text);

} // namespace paradox
