#pragma once
// Reads back the JSON lines the timeline and the carver write.

#include <cctype>
#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace tallowmark::testing {

// A reader for the flat JSON objects of a timeline line, written from the JSON grammar
// rather than from our writer: strings (with every escape), numbers, true, false and null.
class FlatJson {
public:
    using Object = std::map<std::string, std::optional<std::string>>;  // null is nullopt

    static std::optional<Object> Parse(std::string_view text) {
        FlatJson reader(text);
        Object object;
        if (!reader.Take('{')) return std::nullopt;
        do {
            std::string key;
            if (!reader.String(key) || !reader.Take(':')) return std::nullopt;
            std::optional<std::string> value;
            if (!reader.Value(value)) return std::nullopt;
            object[key] = value;
        } while (reader.Take(','));
        if (!reader.Take('}') || reader.m_at != text.size()) return std::nullopt;
        return object;
    }

private:
    explicit FlatJson(std::string_view text) : m_text(text) {}
    bool Take(char c) {
        if (m_at < m_text.size() && m_text[m_at] == c) return ++m_at, true;
        return false;
    }
    bool Value(std::optional<std::string>& value) {
        if (m_text.substr(m_at, 4) == "null") return m_at += 4, value.reset(), true;
        for (const std::string_view word : {"true", "false"})
            if (m_text.substr(m_at, word.size()) == word) return m_at += word.size(), value = std::string(word), true;
        std::string text;
        if (m_at < m_text.size() && m_text[m_at] == '"') {
            if (!String(text)) return false;
        } else {
            while (m_at < m_text.size() &&
                   (std::isdigit(static_cast<unsigned char>(m_text[m_at])) || m_text[m_at] == '-'))
                text += m_text[m_at++];
            if (text.empty()) return false;
        }
        value = text;
        return true;
    }
    bool String(std::string& out) {
        if (!Take('"')) return false;
        while (m_at < m_text.size()) {
            const char c = m_text[m_at++];
            if (c == '"') return true;
            if (static_cast<unsigned char>(c) < 0x20) return false;  // raw control characters are not allowed
            if (c != '\\') {
                out += c;
                continue;
            }
            if (m_at >= m_text.size()) return false;
            const char escape = m_text[m_at++];
            const std::string_view simple = "\"\\/bfnrt", meaning = "\"\\/\b\f\n\r\t";
            if (const auto i = simple.find(escape); i != std::string_view::npos) {
                out += meaning[i];
            } else if (escape == 'u' && m_at + 4 <= m_text.size()) {
                const unsigned code = std::stoul(std::string(m_text.substr(m_at, 4)), nullptr, 16);
                m_at += 4;
                if (code >= 0x80) return false;  // our texts below need no more
                out += static_cast<char>(code);
            } else {
                return false;
            }
        }
        return false;
    }
    std::string_view m_text;
    std::size_t m_at = 0;
};

}  // namespace tallowmark::testing
