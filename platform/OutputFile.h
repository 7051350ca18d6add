#pragma once
// The one way the program writes a file for the user (a copy, an export, a timeline).
//
// A target that is the same file as one of the inputs, however its path is written (the
// same name, a hard link, a symbolic link), is refused before anything is opened for
// writing. The bytes go to a new file in the target's folder, which takes the target's
// place only once every byte is written and flushed to the disk: the target then keeps
// the permission bits it had. On any failure (a full disk, a quota, a file-size limit, an
// I/O error) the new file is removed and an existing target stays as it was, byte for
// byte. A target that exists and is a device or a pipe is written in place instead.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <ostream>
#include <streambuf>
#include <string>
#include <vector>

#include "platform/FileIdentity.h"

namespace tallowmark::platform {

struct PendingPlace;

enum class WriteError { None, SameAsInput, NotFound, AccessDenied, DiskFull, NotAsWritten, Other };

// What becomes of a target that exists: replaced, or kept (the output then fails, also
// when the target turns up while the output is being written).
enum class Existing { Replace, Keep };

struct WriteStatus {
    WriteError error = WriteError::None;
    std::string reason;     // the system's own words for the failure
    std::size_t input = 0;  // SameAsInput: which of the inputs the target is
    // Commit: the file the target now is.
    std::optional<FileIdentity> written = std::nullopt;
    bool ok() const { return error == WriteError::None; }
};

// The first of `inputs` that `target` is the same file as, compared by identity; nothing
// when the target does not exist or is none of them.
std::optional<std::size_t> SameFileAs(const std::string& target, const std::vector<std::string>& inputs);

class OutputFile {
public:
    OutputFile();
    // An output not committed is removed; the target stays as it was.
    ~OutputFile();
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    // Refuses a target that is one of `inputs`, then makes the new file beside it.
    WriteStatus Open(const std::string& target, const std::vector<std::string>& inputs,
                     Existing existing = Existing::Replace);
    // Where the bytes go, once Open succeeded. A failed write shows in Commit.
    std::ostream& Stream() { return m_stream; }
    // Given the path of the new file, written whole, flushed and closed: whether it
    // holds what was meant to be written (read back from the disk).
    using WrittenCheck = std::function<bool(const std::string& written)>;
    // Writes out what is buffered, flushes it to the disk and puts the file in the
    // target's place, once `check` (when given) approved it: a file it refuses is removed
    // (NotAsWritten). On failure the target stays as it was. A target written in place
    // (a device, a pipe) cannot be read back and is not checked.
    WriteStatus Commit(const WrittenCheck& check = {});

private:
    // Hands the stream's bytes to the file in large writes and keeps the first failure.
    class Buffer : public std::streambuf {
    public:
        explicit Buffer(OutputFile& file) : m_file(file) {}
        bool Drain();
        void Discard();

    protected:
        int_type overflow(int_type c) override;
        std::streamsize xsputn(const char* data, std::streamsize count) override;
        int sync() override { return Drain() ? 0 : -1; }

    private:
        OutputFile& m_file;
        std::unique_ptr<char[]> m_bytes;
    };
    friend class Buffer;
    static constexpr std::size_t kBufferSize = 256 << 10;

    // Per system: writes all of `size` bytes, or notes the failure and returns false.
    bool WriteOut(const char* data, std::size_t size);
    // Per system: closes the file and removes the temporary, if any.
    void CloseAndRemove();
    void Abandon();

    std::intptr_t m_handle = -1;
    std::string m_strTarget;     // where the file ends up (links followed)
    std::string m_strTemporary;  // empty when writing in place
    int m_nSystemError = 0;      // the first failure while writing
    bool m_bKeepExisting = false;
    PendingPlace* m_pPending = nullptr;  // where a signal that ends the program finds the temporary
    Buffer m_buffer;
    std::ostream m_stream;
};

// Eight letters and digits that tell one temporary file apart from any other (for the
// implementations of this service).
std::string UniqueSuffix();

// From now on SIGINT, SIGTERM, SIGHUP and SIGPIPE (Ctrl+C and closing the console on
// Windows) first remove every output not yet committed, on whichever thread it is being
// written, then end the program as they would have. For the command line; a window
// program ends its own way.
void RemoveUnfinishedOutputOnSignals();

}  // namespace tallowmark::platform
