#include "cli/ProgressLine.h"

#include <algorithm>
#include <string>

namespace tallowmark {

ProgressLine::ProgressLine(std::ostream& err, bool atTerminal) : m_err(err), m_bAtTerminal(atTerminal) {}

ProgressLine::~ProgressLine() { Clear(); }

void ProgressLine::Update(std::size_t filesDone, std::size_t filesTotal, std::size_t records) {
    if (!m_bAtTerminal) return;
    Show(std::to_string(filesDone) + "/" + std::to_string(filesTotal) + " files, " + std::to_string(records) +
         " records");
}

void ProgressLine::UpdateBytes(std::uint64_t bytesDone, std::uint64_t bytesTotal, std::size_t records) {
    if (!m_bAtTerminal) return;
    // Tenths of a GiB, or of a MiB below one GiB.
    const bool large = bytesTotal >= (std::uint64_t{1} << 30);
    const std::uint64_t unit = large ? std::uint64_t{1} << 30 : std::uint64_t{1} << 20;
    auto tenths = [&](std::uint64_t bytes) {
        const std::uint64_t value = bytes * 10 / unit;
        return std::to_string(value / 10) + "." + std::to_string(value % 10);
    };
    Show(tenths(bytesDone) + " of " + tenths(bytesTotal) + (large ? " GiB, " : " MiB, ") + std::to_string(records) +
         " records");
}

void ProgressLine::Show(const std::string& text) {
    if (!m_bAtTerminal) return;
    const Clock::time_point now = Clock::now();
    if (now - m_started < std::chrono::seconds(1) || now - m_lastShown < std::chrono::milliseconds(100)) return;
    m_lastShown = now;
    m_err << '\r' << text;
    if (text.size() < m_shownLength) m_err << std::string(m_shownLength - text.size(), ' ');
    m_err.flush();
    m_shownLength = std::max(m_shownLength, text.size());
}

void ProgressLine::Clear() {
    if (m_shownLength == 0) return;
    m_err << '\r' << std::string(m_shownLength, ' ') << '\r';
    m_err.flush();
    m_shownLength = 0;
}

}  // namespace tallowmark
