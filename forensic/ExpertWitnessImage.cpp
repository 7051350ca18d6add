// The E01 reader: the one file that includes libewf, built only where it is found.
#include <libewf.h>

#include <mutex>
#include <vector>

#include "forensic/DiskImage.h"
#include "forensic/ExpertWitnessSegments.h"

namespace tallowmark {

namespace {
// The library's own words for a failure, freed with it.
std::string TakeError(libewf_error_t*& error) {
    std::string text;
    if (error) {
        char buffer[512] = {};
        if (libewf_error_sprint(error, buffer, sizeof buffer) > 0) text = buffer;
        libewf_error_free(&error);
    }
    // The first line says what failed; the rest is the library's call stack.
    if (const auto line = text.find('\n'); line != std::string::npos) text.resize(line);
    return text.empty() ? "libewf failed" : text;
}

// One open handle over all the segments. A handle reads one chunk at a time, so each
// thread takes its own: chunks are decompressed on every core.
class Segments {
public:
    ~Segments() {
        if (m_handle) {
            libewf_error_t* error = nullptr;
            libewf_handle_close(m_handle, &error);
            libewf_handle_free(&m_handle, &error);
            if (error) libewf_error_free(&error);
        }
    }
    std::string Open(const std::vector<std::string>& names) {
        libewf_error_t* error = nullptr;
        if (libewf_handle_initialize(&m_handle, &error) != 1) return TakeError(error);
        std::vector<char*> paths;
        for (const std::string& name : names) paths.push_back(const_cast<char*>(name.c_str()));
        if (libewf_handle_open(m_handle, paths.data(), static_cast<int>(paths.size()), LIBEWF_OPEN_READ, &error) != 1)
            return TakeError(error);
        return {};
    }
    libewf_handle_t* Handle() const { return m_handle; }

private:
    libewf_handle_t* m_handle = nullptr;
};

class ExpertWitnessImage : public ByteSource {
public:
    std::string Open(const std::string& path) {
        libewf_error_t* error = nullptr;
        char** names = nullptr;
        int count = 0;
        if (libewf_glob(path.c_str(), path.size(), LIBEWF_FORMAT_UNKNOWN, &names, &count, &error) != 1)
            return TakeError(error);
        for (int i = 0; i < count; ++i) m_names.emplace_back(names[i]);
        libewf_glob_free(names, count, &error);
        if (error) libewf_error_free(&error);
        // libewf reads zeros where a segment is missing or cut short: such a set is refused.
        const std::string broken =
            CheckSegmentChain(m_names, [](const std::string& name) { return OpenFileSource(name).source; });
        if (!broken.empty()) return broken;
        auto first = std::make_unique<Segments>();
        if (std::string failure = first->Open(m_names); !failure.empty()) return failure;
        size64_t size = 0;
        if (libewf_handle_get_media_size(first->Handle(), &size, &error) != 1) return TakeError(error);
        m_qwLength = size;
        m_free.push_back(std::move(first));
        return {};
    }
    std::uint64_t Length() const override { return m_qwLength; }
    bool ReadAt(std::uint64_t offset, std::uint8_t* into, std::size_t count, std::size_t& got) override {
        got = 0;
        std::unique_ptr<Segments> segments = Take();
        if (!segments) return false;
        libewf_error_t* error = nullptr;
        bool ok = true;
        while (got < count && offset + got < m_qwLength) {
            const ssize_t read = libewf_handle_read_random(segments->Handle(), into + got, count - got,
                                                           static_cast<off64_t>(offset + got), &error);
            if (read <= 0) {
                ok = read == 0;
                break;
            }
            got += static_cast<std::size_t>(read);
        }
        if (error) libewf_error_free(&error);
        GiveBack(std::move(segments));
        return ok;
    }

private:
    std::unique_ptr<Segments> Take() {
        {
            std::lock_guard<std::mutex> guard(m_lock);
            if (!m_free.empty()) {
                auto segments = std::move(m_free.back());
                m_free.pop_back();
                return segments;
            }
        }
        auto segments = std::make_unique<Segments>();
        if (!segments->Open(m_names).empty()) return nullptr;
        return segments;
    }
    void GiveBack(std::unique_ptr<Segments> segments) {
        std::lock_guard<std::mutex> guard(m_lock);
        m_free.push_back(std::move(segments));
    }

    std::vector<std::string> m_names;
    std::uint64_t m_qwLength = 0;
    std::mutex m_lock;
    std::vector<std::unique_ptr<Segments>> m_free;
};
}  // namespace

bool ReadsExpertWitnessImages() { return true; }

OpenedImage OpenExpertWitnessImage(const std::string& path) {
    auto image = std::make_unique<ExpertWitnessImage>();
    if (std::string failure = image->Open(path); !failure.empty())
        return {Outcome::Failure(path + ": " + failure), nullptr};
    return {Outcome::Success(), std::move(image)};
}

}  // namespace tallowmark
