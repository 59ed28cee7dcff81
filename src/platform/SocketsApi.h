#pragma once

#include <winsock.h>

// The name lookup of the sockets API (version 1.1), from the system's own library when first
// asked for, as the internet API is.
struct SocketsApi {
    decltype(&WSAStartup) startup;
    decltype(&WSACleanup) cleanup;
    decltype(&gethostbyname) hostByName;
};

// Null when the library or one of its functions is missing.
const SocketsApi* socketsApi();
