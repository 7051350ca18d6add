#include "platform/ProgramModule.h"

#include <dlfcn.h>
#include <sys/auxv.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <mutex>
#include <system_error>

namespace tallowmark::platform {

namespace {
std::filesystem::path RunningProgramFolder() {
    std::error_code error;
    std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error) {
        // No /proc (a chroot, a sandbox): the path the program was started by, as the
        // system passed it, and so relative to the folder it started in.
        const auto* started = reinterpret_cast<const char*>(getauxval(AT_EXECFN));
        if (!started) return {};
        program = std::filesystem::weakly_canonical(started, error);
        if (error) return {};
    }
    return program.parent_path();
}

// Whether `folder` is `ancestor` or lies below it.
bool IsWithin(const std::filesystem::path& folder, const std::filesystem::path& ancestor) {
    const auto [end, unused] = std::mismatch(ancestor.begin(), ancestor.end(), folder.begin(), folder.end());
    (void)unused;
    return !ancestor.empty() && end == ancestor.end();
}

std::filesystem::path ModulePath(const std::string& fileName) {
    const std::filesystem::path program = RunningProgramFolder();
    if (program.empty()) return {};
#ifdef TALLOWMARK_BUILD_FOLDER
    // Built and not installed: the tests, benchmarks and programs of the build folder.
    const std::filesystem::path build = TALLOWMARK_BUILD_FOLDER;
    if (IsWithin(program, build)) return build / fileName;
#endif
    return (program / TALLOWMARK_MODULE_FOLDER / fileName).lexically_normal();
}
}  // namespace

ProgramModule LoadProgramModule(const std::string& fileName, const char* entry) {
    // dlerror's text is the process's, so loads take turns.
    static std::mutex loading;
    const std::lock_guard guard(loading);
    const std::filesystem::path path = ModulePath(fileName);
    if (path.empty()) return {nullptr, "the program's own folder is unknown"};
    void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle) {
        const char* why = dlerror();
        return {nullptr, why ? why : path.string() + " could not be loaded"};
    }
    dlerror();
    void* found = dlsym(handle, entry);
    if (!found) return {nullptr, path.string() + " has no " + entry};
    return {found, {}};
}

bool HasProgramModule(const std::string& fileName) {
    std::error_code error;
    const std::filesystem::path path = ModulePath(fileName);
    return !path.empty() && std::filesystem::is_regular_file(path, error);
}

}  // namespace tallowmark::platform
