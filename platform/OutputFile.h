#pragma once
// Opening a file for writing by a UTF-8 path, with the reason when it can't be done.

#include <cstdio>
#include <memory>
#include <streambuf>
#include <string>

namespace tallowmark::platform {

enum class WriteError { None, NotFound, AccessDenied, DiskFull, Other };

struct FileCloser {
    void operator()(std::FILE* file) const {
        if (file) std::fclose(file);
    }
};
using FileHandle = std::unique_ptr<std::FILE, FileCloser>;

struct OpenedOutput {
    FileHandle file;
    WriteError error = WriteError::None;
};

// Creates the file or empties it, in binary mode.
OpenedOutput OpenForWriting(const std::string& path);

// Flushes and closes; false if anything written did not reach the file.
WriteError CloseWritten(FileHandle file);

// Lets a std::ostream write straight into an opened FILE.
class StdioStreamBuf : public std::streambuf {
public:
    explicit StdioStreamBuf(std::FILE* file) : m_file(file) {}

protected:
    std::streamsize xsputn(const char* data, std::streamsize count) override {
        if (count <= 0) return 0;  // an empty text may come without any bytes behind it
        return static_cast<std::streamsize>(std::fwrite(data, 1, static_cast<std::size_t>(count), m_file));
    }
    int_type overflow(int_type c) override {
        if (traits_type::eq_int_type(c, traits_type::eof())) return traits_type::not_eof(c);
        return std::fputc(c, m_file) == EOF ? traits_type::eof() : c;
    }

private:
    std::FILE* m_file;
};

}  // namespace tallowmark::platform
