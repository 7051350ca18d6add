#include "cli/ProgressLine.h"

#include <algorithm>
#include <string>

namespace tallowmark {

ProgressLine::ProgressLine(std::ostream& err, bool atTerminal) : m_err(err), m_bAtTerminal(atTerminal) {}

ProgressLine::~ProgressLine() { Clear(); }

void ProgressLine::Update(std::size_t filesDone, std::size_t filesTotal, std::size_t records) {
    if (!m_bAtTerminal) return;
    const Clock::time_point now = Clock::now();
    if (now - m_started < std::chrono::seconds(1) || now - m_lastShown < std::chrono::milliseconds(100)) return;
    m_lastShown = now;
    const std::string text = std::to_string(filesDone) + "/" + std::to_string(filesTotal) + " files, " +
                             std::to_string(records) + " records";
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
