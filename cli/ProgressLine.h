#pragma once
// The one-line progress report of a long batch on stderr: shown only at a terminal and
// only once the work has taken more than a second, rewritten in place, cleared at the end.

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <string>
#include <ostream>

namespace tallowmark {

class ProgressLine {
public:
    ProgressLine(std::ostream& err, bool atTerminal);
    ~ProgressLine();
    ProgressLine(const ProgressLine&) = delete;
    ProgressLine& operator=(const ProgressLine&) = delete;

    void Update(std::size_t filesDone, std::size_t filesTotal, std::size_t records);
    // The same for work measured in bytes: "1.2 of 2.0 GiB, 345 records".
    void UpdateBytes(std::uint64_t bytesDone, std::uint64_t bytesTotal, std::size_t records);
    // Any other progress, said in `text`.
    void UpdateText(const std::string& text) { Show(text); }
    // Clears the line, so that messages after it start on a clean line.
    void Clear();

private:
    void Show(const std::string& text);
    using Clock = std::chrono::steady_clock;
    std::ostream& m_err;
    const bool m_bAtTerminal;
    const Clock::time_point m_started = Clock::now();
    Clock::time_point m_lastShown{};
    std::size_t m_shownLength = 0;
};

}  // namespace tallowmark
