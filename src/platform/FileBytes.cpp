#include "platform/FileBytes.h"

#include "platform/KernelHandles.h"

#include <algorithm>
#include <vector>

namespace {
// One system call moves at most this much.
constexpr DWORD kChunk = 1u << 20;
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

SystemResult readFileBytes(const std::wstring& path, std::string& bytes, size_t maxBytes) {
    bytes.clear();
    const FileHandle file(CreateFileW(path.c_str(), GENERIC_READ,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid()) {
        return SystemResult::lastError();
    }
    std::vector<char> chunk(kChunk);
    for (;;) {
        DWORD got = 0;
        if (!ReadFile(file.get(), chunk.data(), kChunk, &got, nullptr)) {
            return SystemResult::lastError();
        }
        if (got == 0) {
            return SystemResult::done();
        }
        if (bytes.size() + got > maxBytes) {
            bytes.clear();
            return SystemResult::failed(ERROR_FILE_TOO_LARGE);
        }
        bytes.append(chunk.data(), got);
    }
}

SystemResult createFileWithBytes(const std::wstring& path, std::string_view bytes) {
    FileHandle file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid()) {
        return SystemResult::lastError();
    }
    const SystemResult written = writeAll(file.get(), bytes);
    if (!written) {
        file.reset();
        DeleteFileW(path.c_str());
    }
    return written;
}
