#pragma once

#include <string>

// kBeaconBase + "5/" + stage + "?id=" + identifier + "&instby=" (+ "&" + extra when given).
std::string BuildBeaconUrl(const char* stage, std::string extra);
// Requests the URL and drops the answer.
void SendBeacon(std::string url);
// Reports a stage of the page; the outcome is ignored.
void SendStage(const char* stage, std::string extra);
