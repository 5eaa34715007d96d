#pragma once

// The project's pages and support address, opened through the shell. Plain macros, so that the
// resource script shows the same texts.
#define QUILLET_HELP_PAGE_URL "https://quillet.app/help/"
#define QUILLET_HOME_PAGE_URL "https://quillet.app"
#define QUILLET_CONTACT_PAGE_URL "https://quillet.app/contact/"
#define QUILLET_SUPPORT_EMAIL "support@quillet.app"

#ifndef RC_INVOKED
constexpr const char* kHelpPageUrl = QUILLET_HELP_PAGE_URL;
constexpr const char* kHomePageUrl = QUILLET_HOME_PAGE_URL;
constexpr const char* kContactPageUrl = QUILLET_CONTACT_PAGE_URL;
constexpr const char* kSupportEmail = QUILLET_SUPPORT_EMAIL;
#endif
