// kestrova-pack: the archiver behind the learner's user data and courseware files.
//   kestrova-pack a -O+ ARCHIVE FOLDER   store every file of FOLDER (flat) into ARCHIVE,
//                                         replacing members of the same name, keeping others
//   kestrova-pack e -O+ ARCHIVE FOLDER   extract every member into FOLDER, replacing files
// The archives are ZIP files. Writing goes to a temporary file that replaces the archive only
// when complete. Extraction writes plain files directly inside FOLDER and nothing else: a
// member with a path, "..", an absolute name, a drive letter, a link or a device is skipped
// and reported, and the member count and total size are bounded.
// Exit codes: 0 done; 2 done, but members were skipped; 1 failed.
#include <archive.h>
#include <archive_entry.h>

#include <cstdio>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

constexpr std::size_t kMaxMembers = 4096;
constexpr std::uint64_t kMaxTotalBytes = 4ull << 30; // a courseware holds a lesson's media
// Media is stored as it is and text compresses a few times over: an archive that unpacks to
// hundreds of times its own size is a bomb, not a lesson.
constexpr std::uint64_t kBombFloor = 64ull << 20;
constexpr std::uint64_t kMaxRatio = 200;

int Fail(const std::string& message) {
    std::fprintf(stderr, "kestrova-pack: %s\n", message.c_str());
    return 1;
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
    for (const auto& item : fs::directory_iterator(folder, ec))
        if (item.is_regular_file()) files[item.path().filename().string()] = item.path();
    if (ec) return Fail("cannot list " + folder.string() + ": " + ec.message());

    fs::path tmp = archivePath;
    tmp += ".kestrova-tmp";
    archive* a = archive_write_new();
    archive_write_set_format_zip(a);
    if (archive_write_open_filename(a, tmp.c_str()) != ARCHIVE_OK) {
        const std::string why = archive_error_string(a);
        archive_write_free(a);
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
    if (!ok) {
        fs::remove(tmp, ec);
        return Fail("writing " + archivePath.string() + " failed: " + error);
    }
    fs::rename(tmp, archivePath, ec);
    if (ec) {
        fs::remove(tmp, ec);
        return Fail("cannot replace " + archivePath.string() + ": " + ec.message());
    }
    return 0;
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
    archive_entry* entry = nullptr;
    int rc;
    std::size_t count = 0;
    std::uint64_t total = 0;
    bool skipped = false;
    const std::uint64_t archiveSize = fs::file_size(archivePath, ec);
    while ((rc = archive_read_next_header(a, &entry)) == ARCHIVE_OK) {
        const char* raw = archive_entry_pathname(entry);
        const std::string name = raw ? raw : "";
        if (archive_entry_filetype(entry) != AE_IFREG || !SafeName(name)) {
            std::fprintf(stderr, "kestrova-pack: skipped member \"%s\": not a plain file name\n",
                         name.c_str());
            skipped = true;
            continue;
        }
        if (++count > kMaxMembers) {
            archive_read_free(a);
            return Fail("too many members in " + archivePath.string());
        }
        const fs::path target = folder / name;
        fs::path tmp = target;
        tmp += ".kestrova-tmp";
        std::ofstream out(tmp, std::ios::binary | std::ios::trunc);
        if (!out) {
            archive_read_free(a);
            return Fail("cannot write " + target.string());
        }
        char buf[1 << 16];
        la_ssize_t n;
        while ((n = archive_read_data(a, buf, sizeof buf)) > 0) {
            total += std::uint64_t(n);
            if (total > kMaxTotalBytes || (total > kBombFloor && total > archiveSize * kMaxRatio)) {
                out.close();
                fs::remove(tmp, ec);
                archive_read_free(a);
                return Fail("members of " + archivePath.string() + " unpack to too much");
            }
            out.write(buf, n);
        }
        out.close();
        if (n < 0 || !out) {
            fs::remove(tmp, ec);
            const std::string why = n < 0 ? archive_error_string(a) : "write failed";
            archive_read_free(a);
            return Fail("extracting \"" + name + "\" failed: " + why);
        }
        fs::rename(tmp, target, ec);
        if (ec) {
            fs::remove(tmp, ec);
            archive_read_free(a);
            return Fail("cannot replace " + target.string());
        }
    }
    const std::string why = rc == ARCHIVE_EOF ? "" : archive_error_string(a);
    archive_read_free(a);
    if (rc != ARCHIVE_EOF) return Fail("damaged archive " + archivePath.string() + ": " + why);
    return skipped ? 2 : 0;
}

} // namespace

int main(int argc, char** argv) {
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
