#pragma once

#include <string>

// The stages the page reports, as the beacon server counts them.
inline constexpr char kStageOpened[] = "17";   // the page was created
inline constexpr char kStageAccepted[] = "90"; // Next was accepted
inline constexpr char kStageLeft[] = "91";     // Back, Escape or the close box

// The installation identifier from apps.ini ("" when missing), read afresh on every call.
std::string ReadInstallId();

// The report URL for a stage, carrying the installation identifier as apps.ini holds it now.
std::string BuildBeaconUrl(const char* stage, std::string extra);
// Requests url and drops the answer, giving up after a few seconds.
void SendBeacon(std::string url);
// Reports a stage of the page (StageCodes.h); nothing depends on the report arriving.
void SendStage(const char* stage, std::string extra);
