#pragma once

#include <memory>

class SetupPage;

// The page of this run, for the dialog procedures: created with the dialog, lives to the end.
extern std::unique_ptr<SetupPage> currentPage;
