#include "platform/OutputFile.h"

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <mutex>
#include <pthread.h>
#include <sys/stat.h>
#include <system_error>
#include <time.h>
#include <unistd.h>
#include <utility>

#include "platform/PendingTemporaries.h"
#include "platform/posix/ReplaceFile.h"

namespace tallowmark::platform {

namespace {
WriteError ErrorFromErrno(int error) {
    switch (error) {
        case ENOENT:
        case ENOTDIR: return WriteError::NotFound;
        case EACCES:
        case EPERM:
        case EROFS:
        case EISDIR: return WriteError::AccessDenied;
        case ENOSPC:
        case EDQUOT: return WriteError::DiskFull;
        default: return WriteError::Other;
    }
}

// A written file that its check refused, in place of an errno.
constexpr int kNotAsWritten = -1;

WriteStatus Failure(int error) {
    if (error == kNotAsWritten) return {WriteError::NotAsWritten, "the file written does not read back as written"};
    return {ErrorFromErrno(error), std::generic_category().message(error)};
}

int WriteAll(int fd, const char* data, std::size_t size) {
    while (size != 0) {
        const ssize_t written = ::write(fd, data, size);
        if (written < 0 && errno == EINTR) continue;
        if (written < 0) return errno;
        data += written;
        size -= static_cast<std::size_t>(written);
    }
    return 0;
}

// A file-size limit must make the write fail (EFBIG) rather than end the program, so that
// the unfinished output is removed and the old target kept.
void IgnoreFileSizeSignal() {
    static std::once_flag once;
    std::call_once(once, [] {
        struct sigaction current {};
        if (::sigaction(SIGXFSZ, nullptr, &current) == 0 && current.sa_handler == SIG_DFL) ::signal(SIGXFSZ, SIG_IGN);
    });
}

// Every temporary file open now, on any thread: what a signal removes.
PendingTemporaries g_pending;

extern "C" void RemoveTemporariesAndEnd(int signal) {
    const int saved = errno;
    // A file being made on another thread is waited for, a millisecond at a time, for
    // at most two seconds: its thread keeps the signals away meanwhile.
    g_pending.RemoveAll([](const char* name) { ::unlink(name); },
                        [] {
                            const timespec millisecond{0, 1000000};
                            ::nanosleep(&millisecond, nullptr);
                        },
                        2000);
    errno = saved;
    // The handler was reset to the default one on entry: the signal, raised again, ends
    // the program as it would have, once this returns.
    ::raise(signal);
}

constexpr int kEndingSignals[] = {SIGINT, SIGTERM, SIGHUP, SIGPIPE};

// Keeps the signals that remove temporaries away from this thread while one is made.
class SignalsHeldOff {
public:
    SignalsHeldOff() {
        sigset_t ending;
        sigemptyset(&ending);
        for (const int signal : kEndingSignals) sigaddset(&ending, signal);
        ::pthread_sigmask(SIG_BLOCK, &ending, &m_before);
    }
    ~SignalsHeldOff() { ::pthread_sigmask(SIG_SETMASK, &m_before, nullptr); }
    SignalsHeldOff(const SignalsHeldOff&) = delete;
    SignalsHeldOff& operator=(const SignalsHeldOff&) = delete;

private:
    sigset_t m_before;
};

// A new file beside `target`, hidden, named after it: mode 0666 less the umask, as a file
// the program had created itself, which a signal removes until `pending` is released.
// Returns 0 or the errno.
int CreateTemporary(const std::string& target, int& fd, std::string& temporary, PendingPlace*& pending) {
    const std::size_t slash = target.rfind('/');
    const std::string folder = slash == std::string::npos ? std::string() : target.substr(0, slash + 1);
    // Short enough that the suffix never makes the name too long for the folder.
    const std::string name = target.substr(slash == std::string::npos ? 0 : slash + 1).substr(0, 200);
    for (int attempt = 0; attempt < 100; ++attempt) {
        temporary = folder + "." + name + "." + UniqueSuffix();
        const SignalsHeldOff heldOff;
        pending = g_pending.Claim(temporary.c_str(), temporary.size());
        if (!pending && g_pending.Ending()) return EINTR;
        fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0666);
        if (fd >= 0) {
            PendingTemporaries::Arm(pending);
            return 0;
        }
        const int error = errno;
        PendingTemporaries::Release(pending);
        if (error != EEXIST) return error;
    }
    return EEXIST;
}

// Renames `from` to `to` unless `to` exists, also when it turns up at the last moment.
int RenameKeeping(const std::string& from, const std::string& to) {
#if defined(__linux__) && defined(RENAME_NOREPLACE)
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return 0;
    if (errno != EINVAL && errno != ENOSYS) return errno;
#endif
    // A second name fails where the target is; the file systems without renameat2 have links.
    if (::link(from.c_str(), to.c_str()) != 0) return errno;
    ::unlink(from.c_str());
    return 0;
}

// Flushes the temporary to the disk, closes it, has `check` read it back, and renames it
// over `target`; removes it instead when `error` (the writing's) or any of these steps
// fails. Returns 0, the errno or kNotAsWritten.
int FinishTemporary(int fd, const std::string& temporary, PendingPlace*& pending, const std::string& target, int error,
                    bool keepExisting = false, const OutputFile::WrittenCheck& check = {}) {
    if (!error && ::fsync(fd) != 0) error = errno;
    if (::close(fd) != 0 && errno != EINTR && !error) error = errno;
    if (!error && check && !check(temporary)) error = kNotAsWritten;
    if (!error && keepExisting) error = RenameKeeping(temporary, target);
    if (!error && !keepExisting && ::rename(temporary.c_str(), target.c_str()) != 0) error = errno;
    if (error) ::unlink(temporary.c_str());
    PendingTemporaries::Release(pending);
    if (error) return error;
    // The rename itself reaches the disk with the folder.
    const std::size_t slash = target.rfind('/');
    const std::string folder = slash == std::string::npos ? std::string(".") : target.substr(0, slash + 1);
    const int folderFd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folderFd >= 0) {
        ::fsync(folderFd);
        ::close(folderFd);
    }
    return 0;
}

// The file a link names, so that writing through a link replaces the file, not the link.
std::string FollowLink(const std::string& path) {
    struct stat status {};
    if (::lstat(path.c_str(), &status) != 0 || !S_ISLNK(status.st_mode)) return path;
    char* real = ::realpath(path.c_str(), nullptr);
    if (!real) return path;
    std::string resolved = real;
    std::free(real);
    return resolved;
}
}  // namespace

namespace {
FileIdentity IdentityFrom(const struct stat& status) {
    return {static_cast<std::uint64_t>(status.st_dev), static_cast<std::uint64_t>(status.st_ino)};
}
}  // namespace

std::optional<FileIdentity> IdentityOf(const std::string& path) {
    struct stat status {};
    if (::stat(path.c_str(), &status) != 0) return std::nullopt;
    return IdentityFrom(status);
}

std::optional<FileIdentity> IdentityOfOpenFile(std::intptr_t handle) {
    struct stat status {};
    if (::fstat(static_cast<int>(handle), &status) != 0) return std::nullopt;
    return IdentityFrom(status);
}

OutputFile::~OutputFile() { Abandon(); }

WriteStatus OutputFile::Open(const std::string& target, const std::vector<std::string>& inputs,
                             Existing keep) {
    Abandon();
    if (const auto same = SameFileAs(target, inputs)) return {WriteError::SameAsInput, {}, *same};
    IgnoreFileSizeSignal();
    m_bKeepExisting = keep == Existing::Keep;
    struct stat anything {};
    if (m_bKeepExisting && ::lstat(target.c_str(), &anything) == 0) return Failure(EEXIST);
    m_strTarget = FollowLink(target);
    struct stat existing {};
    const bool exists = ::stat(m_strTarget.c_str(), &existing) == 0;
    if (exists && S_ISDIR(existing.st_mode)) return Failure(EISDIR);
    if (exists && !S_ISREG(existing.st_mode)) {
        // A device or a pipe (/dev/null, a FIFO) cannot be replaced: it is written in place.
        const int fd = ::open(m_strTarget.c_str(), O_WRONLY | O_CLOEXEC | O_NOCTTY);
        if (fd < 0) return Failure(errno);
        m_handle = fd;
        return {};
    }
    // A file the user may not write stays unwritten, although its folder would let it be replaced.
    if (exists && ::faccessat(AT_FDCWD, m_strTarget.c_str(), W_OK, AT_EACCESS) != 0) return Failure(errno);
    int fd = -1;
    if (const int error = CreateTemporary(m_strTarget, fd, m_strTemporary, m_pPending)) {
        m_strTemporary.clear();
        return Failure(error);
    }
    m_handle = fd;
    if (exists && ::fchmod(fd, existing.st_mode & 07777) != 0) {
        const int error = errno;
        Abandon();
        return Failure(error);
    }
    return {};
}

bool OutputFile::WriteOut(const char* data, std::size_t size) {
    if (m_nSystemError != 0 || m_handle < 0) return false;
    m_nSystemError = WriteAll(static_cast<int>(m_handle), data, size);
    return m_nSystemError == 0;
}

WriteStatus OutputFile::Commit(const WrittenCheck& check) {
    if (m_handle < 0) return Failure(EBADF);
    m_buffer.Drain();
    const int fd = static_cast<int>(std::exchange(m_handle, -1));
    int error = m_nSystemError;
    const std::optional<FileIdentity> made = IdentityOfOpenFile(fd);
    if (m_strTemporary.empty()) {
        if (::close(fd) != 0 && errno != EINTR && !error) error = errno;
    } else {
        error = FinishTemporary(fd, m_strTemporary, m_pPending, m_strTarget, error, m_bKeepExisting, check);
        m_strTemporary.clear();
    }
    Abandon();
    if (error) return Failure(error);
    WriteStatus written;
    written.written = made;
    return written;
}

void OutputFile::CloseAndRemove() {
    if (m_handle >= 0) ::close(static_cast<int>(std::exchange(m_handle, -1)));
    if (!m_strTemporary.empty()) ::unlink(m_strTemporary.c_str());
    PendingTemporaries::Release(m_pPending);
}

void RemoveUnfinishedOutputOnSignals() {
    for (const int signal : kEndingSignals) {
        struct sigaction current {};
        // A signal the caller's caller chose to ignore (nohup, a background job) stays ignored.
        if (::sigaction(signal, nullptr, &current) != 0 || current.sa_handler == SIG_IGN) continue;
        struct sigaction removing {};
        removing.sa_handler = RemoveTemporariesAndEnd;
        removing.sa_flags = SA_RESETHAND | SA_RESTART;
        sigemptyset(&removing.sa_mask);
        ::sigaction(signal, &removing, nullptr);
    }
}

int ReplaceFile(const std::string& path, std::string_view contents, mode_t mode) {
    int fd = -1;
    std::string temporary;
    PendingPlace* pending = nullptr;
    if (const int error = CreateTemporary(path, fd, temporary, pending)) return error;
    int error = WriteAll(fd, contents.data(), contents.size());
    if (!error && ::fchmod(fd, mode) != 0) error = errno;
    return FinishTemporary(fd, temporary, pending, path, error);
}

}  // namespace tallowmark::platform
