#include "support/TempDir.h"

#include <atomic>
#include <random>

namespace tallowmark::testing {

TempDir::TempDir() {
    static std::atomic<unsigned> counter{0};
    std::random_device seed;
    for (;;) {
        m_path = std::filesystem::temp_directory_path() /
                 ("tallowmark-test-" + std::to_string(seed()) + "-" + std::to_string(counter++));
        if (std::filesystem::create_directory(m_path)) break;
    }
}

TempDir::~TempDir() {
    std::error_code ignored;
    std::filesystem::permissions(m_path, std::filesystem::perms::owner_all, std::filesystem::perm_options::add,
                                 ignored);
    std::filesystem::remove_all(m_path, ignored);
}

}  // namespace tallowmark::testing
