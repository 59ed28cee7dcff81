// The contract floor of Next: the work an accepted Next must do, with the bare platform calls
// and nothing around them (no worker thread, no deadline, no lock, no check, no read-back).
//
//   BenchContractFloor next FOLDER INI TEMPLATE WARMUP-URL REACH-URL SEARCH-URL DETAIL-URL
//                           STAGE-URL
//     After the work before the page shows (component runtime, the identifier read, a name
//     lookup and the stage 17 GET, untimed), times Next's parts in the page's order and prints
//     "floor <part> <microseconds>": reach (name lookup, GET), search (GET into FOLDER\loc.xml
//     with the contract's own file steps: folder looked for, older file deleted), read-search
//     (the XML component loads it, the values a reader keeps taken), detail, read-detail,
//     commit (folder looked for, copy of INI, twelve profile writes into the copy, flush, rename
//     over INI), stage-90 (identifier read from INI, name lookup, GET). INI starts as a copy of
//     TEMPLATE.
//   BenchContractFloor commit INI TEMPLATE...
//     For each template: INI becomes a copy of it (untimed), then the commit's file work is
//     timed; prints "floor-commit <bytes> <microseconds>".
#include "BareCalls.h"
#include "location/ComValues.h"
#include "settings/ProfileCommit.h"
#include "web/Endpoints.h"

#include <windows.h>
#include <msxml2.h>
#include <objbase.h>
#include <wininet.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {
// The profile the commit writes, with values as long as the bench's place gives them; its keys
// come from the program's one table.
std::vector<ProfileKey> benchProfileKeys() {
    SYSTEMTIME day{};
    day.wYear = 2007;
    day.wMonth = 8;
    day.wDay = 22;
    SetupProfile profile(day);
    profile.setYob("1975");
    profile.setLocCountry("US");
    profile.setLocDisplayName("Springfield 0, XX");
    profile.setLocDMA("648");
    profile.setLocID("USXX00000");
    profile.setLocState("IL");
    profile.setLocType("1");
    profile.setLocZip("62701");
    return profileKeys(profile);
}

long long microsSince(const LARGE_INTEGER& start) {
    LARGE_INTEGER now, frequency;
    QueryPerformanceCounter(&now);
    QueryPerformanceFrequency(&frequency);
    return (now.QuadPart - start.QuadPart) * 1000000 / frequency.QuadPart;
}

LARGE_INTEGER now() {
    LARGE_INTEGER at;
    QueryPerformanceCounter(&at);
    return at;
}

// The contract's test for an entry at a path (a folder's without its trailing backslash).
bool entryExists(std::string path) {
    if (!path.empty() && path.back() == '\\') {
        path.pop_back();
    }
    WIN32_FIND_DATAA data;
    HANDLE found = FindFirstFileA(path.c_str(), &data);
    if (found == INVALID_HANDLE_VALUE) {
        return false;
    }
    FindClose(found);
    return true;
}

std::string folderOf(const std::string& path) {
    return path.substr(0, path.find_last_of('\\') + 1);
}

// One GET in a session of its own. With a path, the body is written there as the contract's
// download writes it: an older file deleted (else the folder looked for), then the file
// opened and every part written as it comes.
bool get(const char* url, const std::string& path = {}) {
    const BareRequest request(url);
    const bool ok = request.ok();
    HANDLE file = INVALID_HANDLE_VALUE;
    if (ok && !path.empty()) {
        if (entryExists(path)) {
            DeleteFileA(path.c_str());
        } else {
            entryExists(folderOf(path));
        }
        file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    }
    char buffer[2048];
    DWORD count = 0;
    while (ok && InternetReadFile(request.handle(), buffer, sizeof buffer, &count) && count > 0) {
        DWORD written = 0;
        if (file != INVALID_HANDLE_VALUE) {
            WriteFile(file, buffer, count, &written, nullptr);
        }
    }
    if (file != INVALID_HANDLE_VALUE) {
        CloseHandle(file);
    }
    return ok && (path.empty() || file != INVALID_HANDLE_VALUE);
}

// The contract's download into a file: its folder looked for first, then the GET.
bool download(const char* url, const std::string& path) {
    entryExists(folderOf(path));
    return get(url, path);
}

IXMLDOMDocument* loadDocument(const std::string& path) {
    IXMLDOMDocument* document = nullptr;
    if (FAILED(CoCreateInstance(kClsidDomDocument, nullptr, CLSCTX_INPROC_SERVER,
                                kIidXmlDomDocument, reinterpret_cast<void**>(&document)))) {
        return nullptr;
    }
    document->put_async(VARIANT_FALSE);
    std::wstring wide(path.begin(), path.end());
    VARIANT source;
    VariantInit(&source);
    source.vt = VT_BSTR;
    source.bstrVal = SysAllocString(wide.c_str());
    VARIANT_BOOL loaded = VARIANT_FALSE;
    document->load(source, &loaded);
    VariantClear(&source);
    return document;
}

void takeText(IXMLDOMNode* node) {
    BSTR text = nullptr;
    node->get_text(&text);
    SysFreeString(text);
}

void takeAttribute(IXMLDOMNode* node, const wchar_t* name) {
    IXMLDOMElement* element = nullptr;
    if (SUCCEEDED(node->QueryInterface(kIidXmlDomElement, reinterpret_cast<void**>(&element)))) {
        BSTR bstrName = SysAllocString(name);
        VARIANT value;
        VariantInit(&value);
        element->getAttribute(bstrName, &value);
        VariantClear(&value);
        SysFreeString(bstrName);
        element->Release();
    }
}

// The answer loaded, and the values a reader keeps taken from the root's first child: a
// match's name, id and type, or a detail block's children.
bool readAnswer(const std::string& path, bool detail) {
    IXMLDOMDocument* document = loadDocument(path);
    if (document == nullptr) {
        return false;
    }
    IXMLDOMElement* root = nullptr;
    IXMLDOMNode* first = nullptr;
    const bool ok = SUCCEEDED(document->get_documentElement(&root)) && root != nullptr &&
                    SUCCEEDED(root->get_firstChild(&first)) && first != nullptr;
    if (ok && !detail) {
        takeText(first);
        takeAttribute(first, L"id");
        takeAttribute(first, L"type");
    }
    if (ok && detail) {
        IXMLDOMNode* child = nullptr;
        for (first->get_firstChild(&child); child != nullptr;) {
            takeText(child);
            IXMLDOMNode* next = nullptr;
            child->get_nextSibling(&next);
            child->Release();
            child = next;
        }
    }
    if (first != nullptr) {
        first->Release();
    }
    if (root != nullptr) {
        root->Release();
    }
    document->Release();
    return ok;
}

std::wstring wide(const std::string& text) {
    return std::wstring(text.begin(), text.end());
}

bool commit(const std::string& ini, int serial, const std::vector<ProfileKey>& keys) {
    entryExists(folderOf(ini)); // the contract's binding looks for the folder
    const std::string copy = ini + "." + std::to_string(GetCurrentProcessId()) + "." +
                             std::to_string(serial) + ".commit";
    if (!CopyFileW(wide(ini).c_str(), wide(copy).c_str(), TRUE)) {
        return false;
    }
    for (const ProfileKey& key : keys) {
        WritePrivateProfileStringA(key.section, key.key, key.value.c_str(), copy.c_str());
    }
    HANDLE file = CreateFileW(wide(copy).c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    FlushFileBuffers(file);
    CloseHandle(file);
    return MoveFileExW(wide(copy).c_str(), wide(ini).c_str(), MOVEFILE_REPLACE_EXISTING) != 0;
}

void readInstallId(const std::string& ini) {
    entryExists(folderOf(ini)); // the contract's binding looks for the folder
    char id[25] = {};
    GetPrivateProfileStringA("Software\\Talvora", "InstallID", "", id, sizeof id, ini.c_str());
}

long long fileSize(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data);
    return (static_cast<long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

template <class Part> bool timed(const char* name, Part part) {
    const LARGE_INTEGER start = now();
    const bool ok = part();
    std::printf("floor %s %lld\n", name, microsSince(start));
    return ok;
}

int next(char** argv) {
    const std::string folder = argv[0];
    const std::string ini = argv[1];
    CopyFileA(argv[2], ini.c_str(), FALSE);
    const char* warmup = argv[3];
    const char* reach = argv[4];
    const char* search = argv[5];
    const char* detail = argv[6];
    const char* stage = argv[7];
    const std::vector<ProfileKey> keys = benchProfileKeys();
    CoInitialize(nullptr);
    readInstallId(ini);
    bareLookup();
    get(warmup);

    bool ok = timed("reach", [&] { return bareLookup() && get(reach); });
    ok = timed("search", [&] { return download(search, folder + "loc.xml"); }) && ok;
    ok = timed("read-search", [&] { return readAnswer(folder + "loc.xml", false); }) && ok;
    ok = timed("detail", [&] { return download(detail, folder + "xloc.xml"); }) && ok;
    ok = timed("read-detail", [&] { return readAnswer(folder + "xloc.xml", true); }) && ok;
    ok = timed("commit", [&] { return commit(ini, 0, keys); }) && ok;
    ok = timed("stage-90",
               [&] {
                   readInstallId(ini);
                   return bareLookup() && get(stage);
               }) &&
         ok;
    CoUninitialize();
    return ok ? 0 : 1;
}

int commitCurve(int count, char** argv) {
    const std::string ini = argv[0];
    const std::vector<ProfileKey> keys = benchProfileKeys();
    bool ok = true;
    for (int i = 1; i < count; ++i) {
        CopyFileA(argv[i], ini.c_str(), FALSE);
        const LARGE_INTEGER start = now();
        ok = commit(ini, i, keys) && ok;
        std::printf("floor-commit %lld %lld\n", fileSize(argv[i]), microsSince(start));
        std::fflush(stdout);
    }
    return ok ? 0 : 1;
}
} // namespace

int main(int argc, char** argv) {
    if (argc == 10 && std::strcmp(argv[1], "next") == 0) {
        return next(argv + 2);
    }
    if (argc >= 4 && std::strcmp(argv[1], "commit") == 0) {
        return commitCurve(argc - 2, argv + 2);
    }
    std::fprintf(stderr, "usage: BenchContractFloor next FOLDER INI TEMPLATE WARMUP-URL "
                         "REACH-URL SEARCH-URL DETAIL-URL STAGE-URL\n"
                         "       BenchContractFloor commit INI TEMPLATE...\n");
    return 2;
}
