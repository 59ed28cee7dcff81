#pragma once

// Shown for "Why do we ask?".
extern const char kWhyWeAskText[];
