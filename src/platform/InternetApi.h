#pragma once

#include <windows.h>
#include <wininet.h>

// The internet API's functions the program uses, taken from the system's own library when
// first asked for; the program does not import it, so no library of that name beside the
// program can stand in for it.
struct InternetApi {
    decltype(&InternetOpenA) openSession;
    decltype(&InternetOpenUrlA) openUrl;
    decltype(&InternetSetOptionA) setOption;
    decltype(&HttpQueryInfoA) queryInfo;
    decltype(&InternetReadFile) readFile;
    decltype(&InternetCloseHandle) closeHandle;
    decltype(&InternetCombineUrlA) combineUrl;
};

// Null when the library or one of its functions is missing.
const InternetApi* internetApi();
