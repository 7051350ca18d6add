#pragma once
// Record texts are bytes in the Windows ANSI code page; only what is shown on screen is
// decoded, to UTF-8.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace tallowmark {

// Windows-1252 to UTF-8; bytes the code page leaves undefined map to the C1 controls,
// as Windows itself maps them.
std::string Windows1252ToUtf8(std::string_view bytes);

// UTF-8 to Windows-1252, the inverse of the above; nothing when the text is not valid
// UTF-8 or holds a character the code page lacks.
std::optional<std::string> Utf8ToWindows1252(std::string_view utf8);

// The machine's ANSI code page on Windows, Windows-1252 elsewhere.
std::string AnsiToUtf8(std::string_view bytes);

// How much of `bytes`, at most `most` of them (yet at least one character), ends between
// two characters of the ANSI code page: where a long text may be cut to be converted
// piece by piece exactly as it converts whole.
std::size_t AnsiCharactersEnd(std::string_view bytes, std::size_t most);

// For exports that must be UTF-8: a text that already is valid UTF-8 stays as it is,
// any other is read in the ANSI code page as AnsiToUtf8 reads it.
std::string TextToUtf8(std::string_view bytes);
bool IsValidUtf8(std::string_view bytes);

// The character `text` starts with in UTF-8, and how many bytes it takes: none when the
// text is empty or does not start with a valid sequence (a continuation byte, a sequence
// cut short, an overlong form, a surrogate or a value past U+10FFFF).
struct Utf8Character {
    char32_t code = 0;
    std::size_t length = 0;
};
Utf8Character DecodeUtf8(std::string_view text);

}  // namespace tallowmark
