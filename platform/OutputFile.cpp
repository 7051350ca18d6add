#include "platform/OutputFile.h"

#include <atomic>
#include <chrono>
#include <cstring>
#include <random>
#include <thread>

namespace tallowmark::platform {

// The parts every system shares: the buffer in front of the file.

std::optional<std::size_t> SameFileAs(const std::string& target, const std::vector<std::string>& inputs) {
    const auto output = IdentityOf(target);
    if (!output) return std::nullopt;
    for (std::size_t i = 0; i < inputs.size(); ++i)
        if (IdentityOf(inputs[i]) == output) return i;
    return std::nullopt;
}

OutputFile::OutputFile() : m_buffer(*this), m_stream(&m_buffer) {}

void OutputFile::Abandon() {
    CloseAndRemove();
    m_strTemporary.clear();
    m_nSystemError = 0;
    m_buffer.Discard();
    m_stream.clear();
}

std::string UniqueSuffix() {
    static std::atomic<std::uint64_t> counter{0};
    std::uint64_t bits = std::random_device()() ^
                         static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count()) ^
                         (counter++ << 48) ^ std::hash<std::thread::id>()(std::this_thread::get_id());
    bits = (bits ^ (bits >> 30)) * 0xBF58476D1CE4E5B9ull;
    bits = (bits ^ (bits >> 27)) * 0x94D049BB133111EBull;
    static constexpr char kLetters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    std::string suffix(8, 'x');
    for (char& c : suffix) {
        c = kLetters[bits % 36];
        bits /= 36;
    }
    return suffix;
}

bool OutputFile::Buffer::Drain() {
    if (!m_bytes) {
        m_bytes = std::make_unique_for_overwrite<char[]>(kBufferSize);
        setp(m_bytes.get(), m_bytes.get() + kBufferSize);
        return m_file.m_nSystemError == 0;
    }
    const auto size = static_cast<std::size_t>(pptr() - pbase());
    setp(m_bytes.get(), m_bytes.get() + kBufferSize);
    return size == 0 || m_file.WriteOut(m_bytes.get(), size);
}

void OutputFile::Buffer::Discard() {
    if (m_bytes) setp(m_bytes.get(), m_bytes.get() + kBufferSize);
}

OutputFile::Buffer::int_type OutputFile::Buffer::overflow(int_type c) {
    Drain();
    if (!traits_type::eq_int_type(c, traits_type::eof())) {
        *pptr() = traits_type::to_char_type(c);
        pbump(1);
    }
    return traits_type::not_eof(c);
}

std::streamsize OutputFile::Buffer::xsputn(const char* data, std::streamsize count) {
    if (count <= 0) return 0;  // an empty text may come without any bytes behind it
    const auto size = static_cast<std::size_t>(count);
    if (!m_bytes || size > static_cast<std::size_t>(epptr() - pptr())) {
        Drain();
        // A large piece goes to the file as it is, without a copy.
        if (size >= kBufferSize) {
            m_file.WriteOut(data, size);
            return count;
        }
    }
    std::memcpy(pptr(), data, size);
    pbump(static_cast<int>(size));
    return count;
}

}  // namespace tallowmark::platform
