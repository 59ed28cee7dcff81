#include "platform/Files.h"

#include "platform/Handles.h"
#include "platform/Paths.h"
#include "platform/SystemResult.h"
#include "platform/Waits.h"

#include <windows.h>

#include <algorithm>
#include <optional>

namespace {
bool entryExists(const std::string& path) {
    WIN32_FIND_DATAA data;
    return FindHandle(FindFirstFileA(path.c_str(), &data)).valid();
}

// The path without one trailing backslash: how the system names a folder it is asked about.
std::string withoutTrailingSeparator(const std::string& path) {
    if (!path.empty() && path.back() == '\\') {
        return path.substr(0, path.size() - 1);
    }
    return path;
}

// The documented folder text: the system's words for why a folder was not made.
SystemResult reported(const SystemResult& result) {
    debugOutput(systemErrorText(result.code()));
    return result;
}

// The tree up to folder, outermost first; the folder's own reason when it is not there after.
SystemResult createTree(const std::string& folder) {
    if (FolderExists(folder)) {
        return SystemResult::done();
    }
    const size_t slash = folder.find_last_of('\\');
    if (slash != std::string::npos && slash > 0) {
        // An ancestor that cannot be made fails the folder itself, which says why.
        (void)createTree(folder.substr(0, slash));
    }
    return createFolder(folder);
}
} // namespace

bool FileExists(const std::string& path) {
    return entryExists(path);
}

bool FolderExists(const std::string& path) {
    if (path.size() > kMaxFolderPath) {
        return false;
    }
    return entryExists(withoutTrailingSeparator(path));
}

SystemResult createFolder(const std::string& path) {
    if (FolderExists(path)) {
        return SystemResult::done();
    }
    if (path.size() > kMaxFolderPath) {
        return reported(SystemResult::failed(ERROR_FILENAME_EXCED_RANGE));
    }
    if (CreateDirectoryA(path.c_str(), nullptr)) {
        return SystemResult::done();
    }
    const SystemResult failed = SystemResult::lastError();
    if (FolderExists(path)) {
        return SystemResult::done(); // another page made it between the look and the creation
    }
    return reported(failed);
}

SystemResult createFolderTree(const std::string& path) {
    const std::string folder = withoutTrailingSeparator(path);
    if (folder.size() > kMaxFolderPath) {
        // Too long to ever exist for us: refuse before creating any ancestor.
        return createFolder(folder);
    }
    return createTree(folder);
}

bool CreateFolder(const std::string& path) {
    return createFolder(path).ok();
}

bool CreateFolderTree(const std::string& path) {
    return createFolderTree(path).ok();
}

bool onNetworkDrive(const std::string& path) {
    std::wstring wide = widePath(path);
    if (wide.rfind(L"\\\\?\\UNC\\", 0) == 0) {
        return true;
    }
    if (wide.rfind(L"\\\\?\\", 0) == 0) {
        wide.erase(0, 4);
    } else if (wide.rfind(L"\\\\", 0) == 0) {
        return true; // \\server\share
    }
    if (wide.size() < 2 || wide[1] != L':') {
        return false;
    }
    const std::wstring root = wide.substr(0, 2) + L"\\";
    return GetDriveTypeW(root.c_str()) == DRIVE_REMOTE;
}

namespace {
// One system call moves at most this much.
constexpr DWORD kChunk = 1u << 20;
// What a read asks for once the file holds more than it did at the start.
constexpr size_t kMinStep = 64 * 1024;
} // namespace

SystemResult writeAll(HANDLE file, std::string_view bytes) {
    while (!bytes.empty()) {
        const DWORD step = static_cast<DWORD>(std::min<size_t>(bytes.size(), kChunk));
        DWORD written = 0;
        if (!WriteFile(file, bytes.data(), step, &written, nullptr)) {
            return SystemResult::lastError();
        }
        if (written == 0) {
            return SystemResult::failed(0);
        }
        bytes.remove_prefix(written);
    }
    return SystemResult::done();
}

SystemResult readFileBytes(const std::string& path, std::string& bytes, size_t maxBytes) {
    bytes.clear();
    const FileHandle file(CreateFileW(widePath(path).c_str(), GENERIC_READ,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid()) {
        return SystemResult::lastError();
    }
    // Read straight into the text, sized by what the file holds now: a buffer of the largest
    // step for every file, answers of a few hundred bytes included, cost more than the read.
    LARGE_INTEGER size{};
    const size_t expected =
        GetFileSizeEx(file.get(), &size) ? static_cast<size_t>(size.QuadPart) : 0;
    if (expected > maxBytes) {
        return SystemResult::failed(ERROR_FILE_TOO_LARGE);
    }
    for (;;) {
        const size_t have = bytes.size();
        // One byte more than expected: a read that comes back short is the end of the file,
        // so a file read whole takes one call. One that grew meanwhile is read on in steps.
        const DWORD step = static_cast<DWORD>(
            std::min<size_t>(expected > have ? expected - have + 1 : kMinStep, kChunk));
        bytes.resize(have + step);
        DWORD got = 0;
        if (!ReadFile(file.get(), &bytes[have], step, &got, nullptr)) {
            const SystemResult failed = SystemResult::lastError();
            bytes.clear();
            return failed;
        }
        bytes.resize(have + got);
        if (bytes.size() > maxBytes) {
            bytes.clear();
            return SystemResult::failed(ERROR_FILE_TOO_LARGE);
        }
        if (got < step) {
            return SystemResult::done();
        }
    }
}

SystemResult createFileWithBytes(const std::string& path, std::string_view bytes) {
    const std::wstring wide = widePath(path);
    FileHandle file(CreateFileW(wide.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid()) {
        return SystemResult::lastError();
    }
    const SystemResult written = writeAll(file.get(), bytes);
    if (!written) {
        file.reset();
        // The write's reason is the one to tell; a copy that stays is removed with the next.
        DeleteFileW(wide.c_str());
    }
    return written;
}

SystemResult saveFileA(const std::string& path, std::string_view bytes) {
    SystemResult result = SystemResult::done();
    if (FileExists(path)) {
        // Whatever the deletion came to, the creation below truncates: its result decides.
        DeleteFileA(path.c_str());
    } else if (const SystemResult made = createFolder(FolderOf(path)); !made) {
        result = made; // still try: the file may be writable all the same
    }
    // Truncating: an older file that survived the deletion must not keep its tail.
    FileHandle file(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid()) {
        return SystemResult::lastError();
    }
    const SystemResult written = writeAll(file.get(), bytes);
    return written ? result : written;
}

SystemResult deleteFile(const std::string& path) {
    if (!DeleteFileW(widePath(path).c_str())) {
        return SystemResult::lastError();
    }
    return SystemResult::done();
}

std::vector<std::string> filesMatching(const std::string& pattern) {
    std::vector<std::string> names;
    WIN32_FIND_DATAW found;
    const FindHandle find(FindFirstFileW(widePath(pattern).c_str(), &found));
    for (bool more = find.valid(); more; more = FindNextFileW(find.get(), &found)) {
        // A name without an 8-bit form cannot be one the program made.
        const std::optional<std::string> name = narrowPath(found.cFileName);
        if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0 && name) {
            names.push_back(*name);
        }
    }
    return names;
}

namespace {
constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
} // namespace

FileFacts fileFacts(const std::string& path) {
    FileFacts facts;
    const std::wstring wide = widePath(path);
    const DWORD attributes = GetFileAttributesW(wide.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        return facts;
    }
    facts.exists = true;
    facts.attributes = attributes;
    facts.folder = (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    facts.linked = (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
    const FileHandle file(
        CreateFileW(wide.c_str(), FILE_READ_ATTRIBUTES, kShareAll, nullptr, OPEN_EXISTING,
                    FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    // Asked for the link count and attributes alone: the whole information holds the volume's
    // identity too, which Wine looks up anew for every file (0.6 ms each under the 32-bit
    // loader).
    FILE_STANDARD_INFO standard{};
    FILE_BASIC_INFO basic{};
    if (file.valid() &&
        GetFileInformationByHandleEx(file.get(), FileStandardInfo, &standard, sizeof standard) &&
        GetFileInformationByHandleEx(file.get(), FileBasicInfo, &basic, sizeof basic)) {
        facts.linked = facts.linked || standard.NumberOfLinks > 1 ||
                       (basic.FileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
    }
    return facts;
}

bool opensForWriting(const std::string& path) {
    return FileHandle(CreateFileW(widePath(path).c_str(), GENERIC_WRITE, kShareAll, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr))
        .valid();
}

SystemResult setAttributes(const std::string& path, DWORD attributes) {
    if (!SetFileAttributesW(widePath(path).c_str(), attributes)) {
        return SystemResult::lastError();
    }
    return SystemResult::done();
}

SystemResult flushFile(const std::string& path) {
    const FileHandle file(CreateFileW(widePath(path).c_str(), GENERIC_WRITE, kShareAll, nullptr,
                                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid() || !FlushFileBuffers(file.get())) {
        return SystemResult::lastError();
    }
    return SystemResult::done();
}

SystemResult renameOver(const std::string& from, const std::string& to) {
    if (!MoveFileExW(widePath(from).c_str(), widePath(to).c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        return SystemResult::lastError();
    }
    return SystemResult::done();
}

namespace {
// How soon a waiting page tries again: a holder keeps the lock for milliseconds, and each
// try is a file opening.
constexpr DWORD kRetryMs = 10;

FileHandle openLock(const std::wstring& path) {
    // No sharing: a second opening fails while this one lasts. OPEN_ALWAYS takes over a file a
    // crashed machine left behind.
    return FileHandle(CreateFileW(
        path.c_str(), GENERIC_READ | DELETE, 0, nullptr, OPEN_ALWAYS,
        FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr));
}
} // namespace

// Declared for tests in FilesTesting.h, which the program never includes.
LockObstacle lockObstacleAt(const std::string& path, DWORD error);

LockObstacle lockObstacleAt(const std::string& path, DWORD error) {
    if (error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION) {
        return LockObstacle::OtherHolder;
    }
    if (error != ERROR_ACCESS_DENIED) {
        return LockObstacle::None;
    }
    const DWORD attributes = GetFileAttributesW(widePath(path).c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES) {
        return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ? LockObstacle::Folder
                                                            : LockObstacle::File;
    }
    // A file being deleted refuses to be looked at as well; only a name that is not there says
    // that the folder refuses the new file.
    const DWORD why = GetLastError();
    return why == ERROR_FILE_NOT_FOUND || why == ERROR_PATH_NOT_FOUND ? LockObstacle::None
                                                                      : LockObstacle::File;
}

FileLock::FileLock(const std::string& path, const Deadline& deadline) {
    const std::wstring wide = widePath(path);
    bool triedAgain = false;
    for (;;) {
        file_ = openLock(wide);
        if (file_.valid()) {
            obstacle_ = LockObstacle::None;
            return;
        }
        const DWORD error = GetLastError();
        obstacle_ = lockObstacleAt(path, error);
        if (obstacle_ != LockObstacle::OtherHolder && obstacle_ != LockObstacle::File) {
            // A refusal with nothing of that name there may have met a file just deleted: the
            // name is tried once more before the folder is taken to refuse new files.
            if (error == ERROR_ACCESS_DENIED && obstacle_ == LockObstacle::None && !triedAgain) {
                triedAgain = true;
                continue;
            }
            result_ = SystemResult::failed(error);
            return;
        }
        if (deadline.passed()) {
            if (!busy()) {
                result_ = SystemResult::failed(error);
            }
            return;
        }
        pauseAnsweringSentMessages(deadline.sooner(Deadline::after(kRetryMs)));
    }
}

namespace {
// More than a usual answer: a disk too full for this is too full for the answers.
constexpr size_t kProbeBytes = 64 * 1024;

SystemResult writeProbe(const std::wstring& probe) {
    const FileHandle file(CreateFileW(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                      FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE,
                                      nullptr));
    if (!file.valid()) {
        return SystemResult::lastError();
    }
    return writeAll(file.get(), std::string(kProbeBytes, '\0'));
}
} // namespace

SystemResult makeWritableFolder(const std::string& folder) {
    if (folder.empty()) {
        return SystemResult::failed(ERROR_PATH_NOT_FOUND);
    }
    // Named by the process, and gone with its handle even if the process is ended.
    const std::wstring probe =
        widePath(folder + "~probe-" + std::to_string(GetCurrentProcessId()) + ".tmp");
    // The folder is there on every Next but the first: the probe alone answers then, and only
    // a probe that finds no folder has the tree made (a file in its place fails again there).
    const SystemResult written = writeProbe(probe);
    if (written || written.code() != ERROR_PATH_NOT_FOUND) {
        return written;
    }
    if (const SystemResult made = createFolderTree(folder); !made) {
        return made;
    }
    return writeProbe(probe);
}
