#pragma once

// For tests only; the program never includes this.

#include "settings/ProfileCommit.h"

#include <functional>

// commitProfile, calling beforeRename once the keys are in the private copy and flushed, just
// before the commit checks that apps.ini is still as it was copied: a test writes apps.ini
// there as another program would.
CommitOutcome commitProfileWith(const SetupProfile& profile,
                                const std::function<void()>& beforeRename);
