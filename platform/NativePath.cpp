#include "platform/NativePath.h"

#include <algorithm>

namespace tallowmark {

std::string WithWindowsSeparators(std::string_view path) {
    std::string out(path);
    std::replace(out.begin(), out.end(), '/', '\\');
    return out;
}

std::string NativeSeparators(std::string_view path) {
#ifdef _WIN32
    return WithWindowsSeparators(path);
#else
    return std::string(path);
#endif
}

std::filesystem::path PathFromUtf8(std::string_view utf8) {
    return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

std::string Utf8FromPath(const std::filesystem::path& path) {
    const std::u8string utf8 = path.u8string();
    return std::string(utf8.begin(), utf8.end());
}

std::string FileNameOf(std::string_view path) { return Utf8FromPath(PathFromUtf8(path).filename()); }

std::string FolderOf(std::string_view path) { return Utf8FromPath(PathFromUtf8(path).parent_path()); }

std::string AbsolutePath(std::string_view path) {
    std::error_code error;
    const std::filesystem::path absolute = std::filesystem::absolute(PathFromUtf8(path), error);
    return error ? std::string(path) : Utf8FromPath(absolute.lexically_normal());
}

std::string CanonicalPath(std::string_view path) {
    std::error_code error;
    const std::filesystem::path canonical = std::filesystem::canonical(PathFromUtf8(path), error);
    return error ? std::string() : Utf8FromPath(canonical);
}

}  // namespace tallowmark
