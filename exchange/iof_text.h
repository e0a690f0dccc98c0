// Text between the messages (Unicode, UTF-8) and the competition (Windows-1251).
#pragma once

#include <string>
#include <string_view>

namespace skarvel {

// Windows-1251 form of a UTF-8 text. A character the code page cannot hold becomes its nearest
// Latin form ("Ø" -> "O", "ß" -> "ss") where one exists, else "?"; control characters become
// blanks. `replaced` (if given) is set when anything was substituted.
std::string utf8_to_cp1251_nearest(std::string_view utf8, bool* replaced = nullptr);

// A message that declares a single-byte encoding (windows-1252, ISO-8859-x, windows-1251,
// KOI8-R, ...) in its XML declaration, turned into UTF-8 in `utf8`; `encoding` is the name
// declared. A message with a byte order mark, without a declaration, or declaring UTF-8 or
// UTF-16 is left to the XML parser (`utf8` and `encoding` empty). False when the declared
// encoding is none the program knows (`encoding` names it).
bool decode_declared_encoding(std::string_view xml, std::string& utf8, std::string& encoding);

// UTF-8 form of a Windows-1251 text fit for XML 1.0: control characters become blanks and the
// one unassigned byte "?".
std::string cp1251_to_xml_utf8(std::string_view cp1251);

}  // namespace skarvel
