#pragma once

// The stages the page reports, as the beacon server counts them.
inline constexpr char kStageOpened[] = "17";   // the page was created
inline constexpr char kStageAccepted[] = "90"; // Next was accepted
inline constexpr char kStageLeft[] = "91";     // Back, Escape or the close box
