// Builds NTFS test images without mounting them: reads commands from standard input, one
// a line, fields parted by tabs, and carries each out on the image file named by its
// argument, the volume mounted by the library afresh for each command.
//
//   mkdir PATH                   a folder
//   mkdir-compressed PATH        a folder whose new files are NTFS-compressed
//   put PATH LOCAL               a file holding the bytes of the local file LOCAL
//   stream PATH NAME LOCAL       an alternate data stream NAME of the file PATH
//   rm PATH                      removes a file, or an empty folder
//   tree LOCAL PATH              a folder PATH holding a copy of the local folder LOCAL
//
// It links libntfs-3g, which is under the GPL: it is a test tool only, never installed,
// packaged or linked into anything but itself.
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>
#include <vector>
#include <sys/stat.h>
#include <sys/types.h>

// The library's headers test these where its own build defined them.
#define HAVE_STDINT_H 1
#define HAVE_STDLIB_H 1
#define HAVE_STRING_H 1
#define HAVE_ERRNO_H 1
#define HAVE_SYS_STAT_H 1
#define HAVE_SYS_TYPES_H 1
#define HAVE_TIME_H 1
extern "C" {
#include <ntfs-3g/types.h>
#include <ntfs-3g/attrib.h>
#include <ntfs-3g/dir.h>
#include <ntfs-3g/inode.h>
#include <ntfs-3g/security.h>
#include <ntfs-3g/unistr.h>
#include <ntfs-3g/volume.h>
}

namespace {
// A name in the library's UTF-16.
struct NtfsName {
    ntfschar* text = nullptr;
    int length = 0;
    explicit NtfsName(const std::string& name) : length(ntfs_mbstoucs(name.c_str(), &text)) {}
    ~NtfsName() { std::free(text); }
    NtfsName(const NtfsName&) = delete;
    NtfsName& operator=(const NtfsName&) = delete;
};

std::string ParentOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == 0 ? "/" : path.substr(0, slash);
}
std::string NameOf(const std::string& path) { return path.substr(path.rfind('/') + 1); }

bool Fail(const std::string& what) {
    std::cerr << "ntfs helper: " << what << ": " << std::strerror(errno) << "\n";
    return false;
}

std::string ReadLocal(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

bool Write(ntfs_attr* attribute, const std::string& bytes) {
    const auto size = static_cast<s64>(bytes.size());
    const bool written = ntfs_attr_pwrite(attribute, 0, size, bytes.data()) == size;
    if (attribute->data_flags & ATTR_COMPRESSION_MASK) ntfs_attr_pclose(attribute);
    ntfs_attr_close(attribute);
    return written;
}

bool Create(ntfs_volume* volume, const std::string& path, mode_t type, const std::string& local) {
    ntfs_inode* folder = ntfs_pathname_to_inode(volume, nullptr, ParentOf(path).c_str());
    if (!folder) return Fail(ParentOf(path));
    const NtfsName name(NameOf(path));
    ntfs_inode* created = ntfs_create(folder, const_cpu_to_le32(0), name.text, static_cast<u8>(name.length), type);
    if (!created) {
        ntfs_inode_close(folder);
        return Fail(path);
    }
    bool ok = true;
    if (!local.empty()) {
        ntfs_attr* data = ntfs_attr_open(created, AT_DATA, AT_UNNAMED, 0);
        ok = data && Write(data, ReadLocal(local));
        if (!ok) Fail(path);
    }
    ntfs_inode_close(created);
    ntfs_inode_close(folder);
    return ok;
}

bool Compress(ntfs_volume* volume, const std::string& path) {
    ntfs_inode* folder = ntfs_pathname_to_inode(volume, nullptr, path.c_str());
    if (!folder) return Fail(path);
    const le32 attributes = folder->flags | FILE_ATTR_COMPRESSED;
    const bool ok =
        ntfs_set_ntfs_attrib(folder, reinterpret_cast<const char*>(&attributes), sizeof attributes, 0) == 0;
    ntfs_inode_close(folder);
    return ok || Fail(path);
}

bool AddStream(ntfs_volume* volume, const std::string& path, const std::string& stream, const std::string& local) {
    ntfs_inode* file = ntfs_pathname_to_inode(volume, nullptr, path.c_str());
    if (!file) return Fail(path);
    const NtfsName name(stream);
    bool ok = ntfs_attr_add(file, AT_DATA, name.text, static_cast<u32>(name.length), nullptr, 0) == 0;
    ntfs_attr* data = ok ? ntfs_attr_open(file, AT_DATA, name.text, static_cast<u32>(name.length)) : nullptr;
    ok = data && Write(data, ReadLocal(local));
    ntfs_inode_close(file);
    return ok || Fail(path + ":" + stream);
}

bool Remove(ntfs_volume* volume, const std::string& path) {
    ntfs_inode* file = ntfs_pathname_to_inode(volume, nullptr, path.c_str());
    if (!file) return Fail(path);
    ntfs_inode* folder = ntfs_pathname_to_inode(volume, nullptr, ParentOf(path).c_str());
    if (!folder) {
        ntfs_inode_close(file);
        return Fail(ParentOf(path));
    }
    const NtfsName name(NameOf(path));
    // Closes both inodes, whatever it returns.
    return ntfs_delete(volume, path.c_str(), file, folder, name.text, static_cast<u8>(name.length)) == 0 ||
           Fail(path);
}

// Copies the local folder `local` into the folder `folder`, open already: the new entries
// are made through the inodes in hand, never looked up by path.
bool CopyTree(ntfs_inode* folder, const std::filesystem::path& local) {
    for (const auto& entry : std::filesystem::directory_iterator(local)) {
        const NtfsName name(entry.path().filename().string());
        const bool isFolder = entry.is_directory();
        ntfs_inode* created = ntfs_create(folder, const_cpu_to_le32(0), name.text, static_cast<u8>(name.length),
                                          isFolder ? S_IFDIR : S_IFREG);
        if (!created) return Fail(entry.path().string());
        bool ok = true;
        if (isFolder) {
            ok = CopyTree(created, entry.path());
        } else if (entry.file_size() > 0) {
            ntfs_attr* data = ntfs_attr_open(created, AT_DATA, AT_UNNAMED, 0);
            ok = data && Write(data, ReadLocal(entry.path().string()));
        }
        ntfs_inode_close(created);
        if (!ok) return false;
    }
    return true;
}

bool Tree(ntfs_volume* volume, const std::string& local, const std::string& path) {
    if (!Create(volume, path, S_IFDIR, {})) return false;
    ntfs_inode* folder = ntfs_pathname_to_inode(volume, nullptr, path.c_str());
    if (!folder) return Fail(path);
    const bool ok = CopyTree(folder, local);
    ntfs_inode_close(folder);
    return ok;
}

bool Run(ntfs_volume* volume, const std::vector<std::string>& fields) {
    const std::string& command = fields[0];
    if (command == "mkdir" && fields.size() == 2) return Create(volume, fields[1], S_IFDIR, {});
    if (command == "mkdir-compressed" && fields.size() == 2)
        return Create(volume, fields[1], S_IFDIR, {}) && Compress(volume, fields[1]);
    if (command == "put" && fields.size() == 3) return Create(volume, fields[1], S_IFREG, fields[2]);
    if (command == "stream" && fields.size() == 4) return AddStream(volume, fields[1], fields[2], fields[3]);
    if (command == "rm" && fields.size() == 2) return Remove(volume, fields[1]);
    if (command == "tree" && fields.size() == 3) return Tree(volume, fields[1], fields[2]);
    std::cerr << "ntfs helper: bad command " << command << "\n";
    return false;
}
}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: " << argv[0] << " IMAGE < COMMANDS\n";
        return 2;
    }
    std::string line;
    while (std::getline(std::cin, line)) {
        if (line.empty()) continue;
        std::vector<std::string> fields(1);
        for (const char c : line) {
            if (c == '\t') fields.emplace_back();
            else
                fields.back() += c;
        }
        // A fresh mount per command: the library finds a file it has just made only then.
        ntfs_volume* volume = ntfs_mount(argv[1], NTFS_MNT_NONE);
        if (!volume) return Fail(argv[1]), 1;
        NVolSetCompression(volume);
        const bool ok = Run(volume, fields);
        if (ntfs_umount(volume, FALSE) != 0 || !ok) return 1;
    }
    return 0;
}
