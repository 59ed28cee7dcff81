#pragma once

#include "platform/Waits.h"

#include <functional>
#include <string>
#include <vector>

class WebClient;

// Where the answer files go, in the order tried, on every Next: "temp\" beside the program,
// then the user's own folder. A program on a network drive or share comes second: locks
// taken on one machine do not reach the others that run the same copy.
std::vector<std::string> answerFolders(const std::string& besideProgram,
                                       const std::string& usersOwn);

// Reads one downloaded answer file; false when it holds nothing usable.
using AnswerReader = std::function<bool(const std::string& path)>;

// Downloads url into the file name in the first of folders that can hold it and reads it
// there, holding that folder's lock from the download to the end of the reading, so two
// pages sharing a folder never read each other's answer. A folder is passed over when it
// cannot be written, when another page holds it too long, or when the answer came but could
// not be written there; each one passed over goes to the debugger output with the reason.
// A request that got no answer is not made again. False when no folder took the answer or
// read found nothing usable.
bool fetchAnswerFile(WebClient& client, const std::string& url, const std::string& name,
                     const std::vector<std::string>& folders, const Deadline& deadline,
                     const AnswerReader& read);
