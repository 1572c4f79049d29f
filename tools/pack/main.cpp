// kestrova-pack: the archiver behind the learner's user data and courseware files.
//   kestrova-pack a -O+ ARCHIVE FOLDER   store every file of FOLDER (flat) into ARCHIVE,
//                                         replacing members of the same name, keeping others
//   kestrova-pack e -O+ ARCHIVE FOLDER   extract every member into FOLDER, replacing files
// The archives are ZIP files with UTF-8 member names, whatever the caller's locale. Writing
// goes to a temporary file that is flushed to the disk and then replaces the archive, so the
// archive is always either the old one or the new one, whole; a temporary file a killed run
// left behind is removed by the next pack of that archive. Extraction writes plain files
// directly inside FOLDER and nothing else: a member with a path, "..", an absolute name, a
// drive letter, a link or a device, or one whose name this file system cannot hold, is
// skipped and reported. Every member counts toward the member limit, and the total size is
// bounded. Members are unpacked into a staging folder inside FOLDER first and move into
// place only when the whole archive has been read, so a failed extraction leaves FOLDER as
// it was.
// Exit codes: 0 done; 2 done, but members were skipped (stderr names how many and the first
// few); 1 failed (stderr says why).
#include <archive.h>
#include <archive_entry.h>
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

constexpr std::size_t kMaxMembers = 4096; // every member counts, skipped ones too
constexpr const char* kTmpSuffix = ".kestrova-tmp";
constexpr const char* kStagingPrefix = ".kestrova-extract-";
constexpr std::uint64_t kMaxTotalBytes = 4ull << 30; // a courseware holds a lesson's media
// Media is stored as it is and text compresses a few times over: an archive that unpacks to
// hundreds of times its own size is a bomb, not a lesson.
constexpr std::uint64_t kBombFloor = 64ull << 20;
constexpr std::uint64_t kMaxRatio = 200;

int Fail(const std::string& message) {
    std::fprintf(stderr, "kestrova-pack: %s\n", message.c_str());
    return 1;
}

// The members skipped by an extraction: all are counted, the first few are named.
class SkipReport {
public:
    void Add(const std::string& name, const std::string& why) {
        if (m_count++ < kNamed) m_lines.push_back("  \"" + Printable(name) + "\": " + why);
    }
    bool Empty() const { return m_count == 0; }
    void Print() const {
        if (m_count == 0) return;
        std::fprintf(stderr, "kestrova-pack: skipped %zu member%s:\n", m_count,
                     m_count == 1 ? "" : "s");
        for (const std::string& line : m_lines)
            std::fprintf(stderr, "%s\n", line.c_str());
        if (m_count > kNamed) std::fprintf(stderr, "  and %zu more\n", m_count - kNamed);
    }

private:
    static constexpr std::size_t kNamed = 5;
    // A name as it can be shown on one short line: control characters become "?", and a
    // long name is cut (at a character boundary) with "...".
    static std::string Printable(const std::string& name) {
        constexpr std::size_t kLongest = 80;
        std::string out;
        for (std::size_t i = 0; i < name.size(); ++i) {
            const unsigned char c = static_cast<unsigned char>(name[i]);
            if (out.size() >= kLongest && (c & 0xC0) != 0x80) return out + "...";
            out += (c < 0x20 || c == 0x7F) ? '?' : char(c);
        }
        return out;
    }
    std::size_t m_count = 0;
    std::vector<std::string> m_lines;
};

std::string Errno(int error) {
    return std::strerror(error);
}

// Flushes a folder's entries (a rename in it) to the disk.
bool SyncFolder(const fs::path& folder) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return false;
    const bool ok = ::fsync(fd) == 0 || errno == EINVAL; // some file systems cannot
    ::close(fd);
    return ok;
}

bool SafeName(const std::string& name) {
    if (name.empty() || name == "." || name == "..") return false;
    if (name.find('/') != std::string::npos || name.find('\\') != std::string::npos) return false;
    if (name.size() >= 2 && name[1] == ':') return false; // a drive letter
    if (name.find('\0') != std::string::npos) return false;
    return true;
}

// Large members (a courseware's media copy) are stored as they are: media files are already
// compressed, and deflating them would make exporting a lesson many times slower than
// copying it.
constexpr std::uint64_t kStoreAbove = 1u << 20;

bool WriteHeader(archive* out, const std::string& name, std::uint64_t size, std::string& error) {
    if (size > kStoreAbove)
        archive_write_zip_set_compression_store(out);
    else
        archive_write_zip_set_compression_deflate(out);
    archive_entry* e = archive_entry_new();
    archive_entry_set_pathname(e, name.c_str());
    archive_entry_set_filetype(e, AE_IFREG);
    archive_entry_set_perm(e, 0644);
    archive_entry_set_size(e, la_int64_t(size));
    archive_entry_set_mtime(e, std::time(nullptr), 0);
    const bool ok = archive_write_header(out, e) == ARCHIVE_OK;
    archive_entry_free(e);
    if (!ok) error = archive_error_string(out);
    return ok;
}

// Copies the members of the old archive that the folder does not replace, streaming.
bool CopyKept(const fs::path& archivePath, const std::map<std::string, fs::path>& replaced,
              archive* out, std::string& error) {
    if (!fs::exists(archivePath)) return true;
    archive* in = archive_read_new();
    archive_read_support_format_zip(in);
    if (archive_read_open_filename(in, archivePath.c_str(), 1 << 16) != ARCHIVE_OK) {
        error =
            std::string("cannot read ") + archivePath.string() + ": " + archive_error_string(in);
        archive_read_free(in);
        return false;
    }
    archive_entry* entry = nullptr;
    int rc;
    bool ok = true;
    while (ok && (rc = archive_read_next_header(in, &entry)) == ARCHIVE_OK) {
        const char* name = archive_entry_pathname(entry);
        if (!name || archive_entry_filetype(entry) != AE_IFREG || !SafeName(name) ||
            replaced.count(name)) {
            archive_read_data_skip(in);
            continue;
        }
        if (!WriteHeader(out, name, std::uint64_t(archive_entry_size(entry)), error)) {
            ok = false;
            break;
        }
        char buf[1 << 16];
        la_ssize_t n;
        while ((n = archive_read_data(in, buf, sizeof buf)) > 0)
            if (archive_write_data(out, buf, size_t(n)) < 0) {
                error = archive_error_string(out);
                ok = false;
                break;
            }
        if (n < 0) {
            error = std::string("damaged member ") + name + ": " + archive_error_string(in);
            ok = false;
        }
    }
    if (ok && rc != ARCHIVE_EOF) {
        error = std::string("damaged archive: ") + archive_error_string(in);
        ok = false;
    }
    archive_read_free(in);
    return ok;
}

int Add(const fs::path& archivePath, const fs::path& folder) {
    std::error_code ec;
    if (!fs::is_directory(folder, ec)) return Fail("not a folder: " + folder.string());
    std::map<std::string, fs::path> files;
    for (const auto& item : fs::directory_iterator(folder, ec)) {
        const std::string name = item.path().filename().string();
        // Our own leftovers of a killed extraction are no part of the learner's work.
        if (!item.is_regular_file() || name.ends_with(kTmpSuffix)) continue;
        files[name] = item.path();
    }
    if (ec) return Fail("cannot list " + folder.string() + ": " + ec.message());

    // A temporary archive left by a killed run goes first; this run writes its own.
    fs::path tmp = archivePath;
    tmp += kTmpSuffix;
    fs::remove(tmp, ec);
    const int fd = ::open(tmp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0) return Fail("cannot write " + archivePath.string() + ": " + Errno(errno));
    archive* a = archive_write_new();
    archive_write_set_format_zip(a);
    if (archive_write_open_fd(a, fd) != ARCHIVE_OK) {
        const std::string why = archive_error_string(a);
        archive_write_free(a);
        ::close(fd);
        fs::remove(tmp, ec);
        return Fail("cannot write " + archivePath.string() + ": " + why);
    }
    std::string error;
    // The kept members first, then the folder's files.
    bool ok = CopyKept(archivePath, files, a, error);
    for (auto it = files.begin(); ok && it != files.end(); ++it) {
        std::ifstream in(it->second, std::ios::binary);
        const std::uint64_t size = fs::file_size(it->second, ec);
        if (!in || ec) {
            error = "cannot read " + it->second.string();
            ok = false;
            break;
        }
        if (!WriteHeader(a, it->first, size, error)) {
            ok = false;
            break;
        }
        static std::vector<char> buf(1 << 20);
        while (in.read(buf.data(), std::streamsize(buf.size())) || in.gcount() > 0)
            if (archive_write_data(a, buf.data(), size_t(in.gcount())) < 0) {
                error = archive_error_string(a);
                ok = false;
                break;
            }
    }
    if (archive_write_close(a) != ARCHIVE_OK && ok) {
        error = archive_error_string(a);
        ok = false;
    }
    archive_write_free(a);
    // The new archive is on the disk before it takes the old one's name, and the rename is
    // on the disk before the caller goes on (and empties the folder just packed).
    if (ok && ::fsync(fd) != 0) {
        error = "cannot flush: " + Errno(errno);
        ok = false;
    }
    if (::close(fd) != 0 && ok) {
        error = "cannot close: " + Errno(errno);
        ok = false;
    }
    if (!ok) {
        fs::remove(tmp, ec);
        return Fail("writing " + archivePath.string() + " failed: " + error);
    }
    fs::rename(tmp, archivePath, ec);
    if (ec) {
        const std::string why = ec.message();
        fs::remove(tmp, ec);
        return Fail("cannot replace " + archivePath.string() + ": " + why);
    }
    fs::path parent = archivePath.parent_path();
    if (parent.empty()) parent = ".";
    if (!SyncFolder(parent))
        return Fail("cannot flush the folder of " + archivePath.string() + ": " + Errno(errno));
    return 0;
}

enum class Written { Done, NotCreated, TooMuch, Failed };

// Writes the current member's data into `path`: NotCreated (the member is skipped) when the
// file cannot be made, TooMuch when the archive unpacks to more than the bounds, Failed when
// reading or writing fails; `error` then says why.
Written WriteMember(archive* a, const fs::path& path, std::uint64_t& total,
                    std::uint64_t archiveSize, std::string& error) {
    const int fd =
        ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOFOLLOW, 0644);
    if (fd < 0) {
        error = Errno(errno);
        return Written::NotCreated;
    }
    char buf[1 << 16];
    la_ssize_t n = 0;
    Written result = Written::Done;
    while (result == Written::Done && (n = archive_read_data(a, buf, sizeof buf)) > 0) {
        total += std::uint64_t(n);
        if (total > kMaxTotalBytes || (total > kBombFloor && total > archiveSize * kMaxRatio)) {
            result = Written::TooMuch;
            break;
        }
        for (la_ssize_t done = 0; done < n;) {
            const ssize_t w = ::write(fd, buf + done, size_t(n - done));
            if (w < 0 && errno == EINTR) continue;
            if (w <= 0) {
                error = "write failed: " + Errno(errno);
                result = Written::Failed;
                break;
            }
            done += w;
        }
    }
    if (result == Written::Done && n < 0) {
        error = archive_error_string(a);
        result = Written::Failed;
    }
    if (::close(fd) != 0 && result == Written::Done) {
        error = "write failed: " + Errno(errno);
        result = Written::Failed;
    }
    return result;
}

// Staging folders and temporary files that a killed extraction left in `folder`.
void RemoveLeftovers(const fs::path& folder) {
    std::error_code ec;
    std::vector<fs::path> stale;
    for (const auto& item : fs::directory_iterator(folder, ec)) {
        const std::string name = item.path().filename().string();
        if ((name.starts_with(kStagingPrefix) && item.is_directory(ec)) ||
            (name.ends_with(kTmpSuffix) && item.is_regular_file(ec)))
            stale.push_back(item.path());
    }
    for (const fs::path& path : stale)
        fs::remove_all(path, ec);
}

int Extract(const fs::path& archivePath, const fs::path& folder) {
    std::error_code ec;
    if (!fs::is_directory(folder, ec)) return Fail("not a folder: " + folder.string());
    archive* a = archive_read_new();
    archive_read_support_format_zip(a);
    archive_read_support_filter_all(a);
    if (archive_read_open_filename(a, archivePath.c_str(), 1 << 16) != ARCHIVE_OK) {
        const std::string why = archive_error_string(a);
        archive_read_free(a);
        return Fail("cannot read " + archivePath.string() + ": " + why);
    }
    RemoveLeftovers(folder);
    fs::path staging; // made with the first member to write
    auto fail = [&](const std::string& message) {
        archive_read_free(a);
        if (!staging.empty()) fs::remove_all(staging, ec);
        return Fail(message);
    };

    archive_entry* entry = nullptr;
    int rc;
    std::size_t count = 0;
    std::uint64_t total = 0;
    SkipReport skipped;
    std::map<std::string, fs::path> unpacked; // member name -> its file in the staging folder
    const std::uint64_t archiveSize = fs::file_size(archivePath, ec);
    // A warning on a header is a name that cannot be converted: the member is skipped.
    while ((rc = archive_read_next_header(a, &entry)) == ARCHIVE_OK || rc == ARCHIVE_WARN) {
        if (++count > kMaxMembers) return fail("too many members in " + archivePath.string());
        const char* raw = archive_entry_pathname(entry);
        const std::string name = raw ? raw : "";
        if (rc == ARCHIVE_WARN) {
            skipped.Add(name, "its name cannot be read");
            continue;
        }
        if (archive_entry_filetype(entry) != AE_IFREG || !SafeName(name)) {
            skipped.Add(name, "not a plain file name");
            continue;
        }
        if (name.ends_with(kTmpSuffix) || name.starts_with(kStagingPrefix)) {
            skipped.Add(name, "a name the archiver keeps for its own files");
            continue;
        }
        if (staging.empty()) {
            std::string made = (folder / kStagingPrefix).string() + "XXXXXX";
            if (!::mkdtemp(made.data()))
                return fail("cannot write into " + folder.string() + ": " + Errno(errno));
            staging = made;
        }
        const fs::path target = staging / name;
        std::string why;
        switch (WriteMember(a, target, total, archiveSize, why)) {
        case Written::Done:
            break;
        case Written::NotCreated:
            skipped.Add(name, "cannot be written here: " + why);
            unpacked.erase(name);
            continue;
        case Written::TooMuch:
            return fail("members of " + archivePath.string() + " unpack to too much");
        case Written::Failed:
            return fail("extracting \"" + name + "\" failed: " + why);
        }
        unpacked[name] = target;
    }
    if (rc != ARCHIVE_EOF) {
        const std::string why = archive_error_string(a);
        return fail("damaged archive " + archivePath.string() + ": " + why);
    }
    archive_read_free(a);
    // The whole archive has been read: the members take their places.
    for (const auto& [name, path] : unpacked) {
        fs::rename(path, folder / name, ec);
        if (ec) skipped.Add(name, "cannot replace the file there: " + ec.message());
    }
    if (!staging.empty()) fs::remove_all(staging, ec);
    skipped.Print();
    return skipped.Empty() ? 0 : 2;
}

} // namespace

int main(int argc, char** argv) {
    // Member names are UTF-8 in the archive and on the disk, whatever locale the caller runs
    // in (in the C locale, a name with any non-ASCII character would fail the whole run).
    if (!std::setlocale(LC_ALL, "C.UTF-8") && !std::setlocale(LC_ALL, "C.utf8"))
        std::setlocale(LC_ALL, "en_US.UTF-8");
    if (argc != 5 || std::strcmp(argv[2], "-O+") != 0 ||
        (std::strcmp(argv[1], "a") != 0 && std::strcmp(argv[1], "e") != 0)) {
        std::fprintf(stderr, "usage: kestrova-pack a|e -O+ ARCHIVE FOLDER\n");
        return 1;
    }
    try {
        return argv[1][0] == 'a' ? Add(argv[3], argv[4]) : Extract(argv[3], argv[4]);
    } catch (const std::exception& e) {
        return Fail(e.what());
    }
}
