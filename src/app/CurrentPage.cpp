#include "app/CurrentPage.h"

#include "app/SetupPage.h"

std::unique_ptr<SetupPage> currentPage;
