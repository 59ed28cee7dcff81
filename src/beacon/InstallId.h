#pragma once

#include <string>

// The installation identifier from apps.ini ("" when missing), read afresh on every call.
std::string ReadInstallId();
