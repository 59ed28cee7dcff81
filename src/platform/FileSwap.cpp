#include "platform/FileSwap.h"

#include "platform/KernelHandles.h"

#include <algorithm>
#include <vector>

namespace {
constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
constexpr DWORD kChunk = 1u << 20;
} // namespace

FileFacts fileFacts(const std::wstring& path) {
    FileFacts facts;
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        return facts;
    }
    facts.exists = true;
    facts.attributes = attributes;
    facts.folder = (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    facts.linked = (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
    const FileHandle file(
        CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES, kShareAll, nullptr, OPEN_EXISTING,
                    FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    BY_HANDLE_FILE_INFORMATION info{};
    if (file.valid() && GetFileInformationByHandle(file.get(), &info)) {
        facts.linked = facts.linked || info.nNumberOfLinks > 1 ||
                       (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
    }
    return facts;
}

bool readFileBytes(const std::wstring& path, std::string& bytes, DWORD& error) {
    bytes.clear();
    const FileHandle file(CreateFileW(path.c_str(), GENERIC_READ,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid()) {
        error = GetLastError();
        return false;
    }
    std::vector<char> chunk(kChunk);
    for (;;) {
        DWORD got = 0;
        if (!ReadFile(file.get(), chunk.data(), kChunk, &got, nullptr)) {
            error = GetLastError();
            return false;
        }
        if (got == 0) {
            return true;
        }
        bytes.append(chunk.data(), got);
    }
}

bool createFileWithBytes(const std::wstring& path, const std::string& bytes, DWORD& error) {
    FileHandle file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid()) {
        error = GetLastError();
        return false;
    }
    size_t done = 0;
    while (done < bytes.size()) {
        const DWORD step = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, kChunk));
        DWORD written = 0;
        if (!WriteFile(file.get(), bytes.data() + done, step, &written, nullptr) || written == 0) {
            const DWORD failed = GetLastError();
            error = failed != 0 ? failed : ERROR_DISK_FULL; // a short write is a full disk
            file.reset();
            DeleteFileW(path.c_str());
            return false;
        }
        done += written;
    }
    return true;
}

bool opensForWriting(const std::wstring& path) {
    return FileHandle(CreateFileW(path.c_str(), GENERIC_WRITE, kShareAll, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr))
        .valid();
}

bool flushFile(const std::wstring& path, DWORD& error) {
    const FileHandle file(CreateFileW(path.c_str(), GENERIC_WRITE, kShareAll, nullptr,
                                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid() || !FlushFileBuffers(file.get())) {
        error = GetLastError();
        return false;
    }
    return true;
}

DWORD renameOver(const std::wstring& from, const std::wstring& to) {
    if (MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        return 0;
    }
    return GetLastError();
}
