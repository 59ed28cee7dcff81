#include "platform/FileBytes.h"

#include "platform/KernelHandles.h"

#include <algorithm>

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

SystemResult readFileBytes(const std::wstring& path, std::string& bytes, size_t maxBytes) {
    bytes.clear();
    const FileHandle file(CreateFileW(path.c_str(), GENERIC_READ,
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
