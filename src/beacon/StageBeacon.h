#pragma once

#include <string>

// The report URL for a stage, carrying the installation identifier as apps.ini holds it now.
std::string BuildBeaconUrl(const char* stage, std::string extra);
// Requests url and drops the answer, giving up after a few seconds.
void SendBeacon(std::string url);
// Reports a stage of the page (StageCodes.h); nothing depends on the report arriving.
void SendStage(const char* stage, std::string extra);
