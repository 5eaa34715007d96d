// The project's pages and support address, opened through the shell.
#pragma once

// Plain macros, so that the resource script shows the same texts.
#define QUILLET_HELP_PAGE_URL "https://quillet.app/help/"
#define QUILLET_HOME_PAGE_URL "https://quillet.app"
#define QUILLET_CONTACT_PAGE_URL "https://quillet.app/contact/"
#define QUILLET_SUPPORT_EMAIL "support@quillet.app"

#ifndef RC_INVOKED
#include <functional>
#include <string>

constexpr const char* kHelpPageUrl = QUILLET_HELP_PAGE_URL;
constexpr const char* kHomePageUrl = QUILLET_HOME_PAGE_URL;
constexpr const char* kContactPageUrl = QUILLET_CONTACT_PAGE_URL;
constexpr const char* kSupportEmail = QUILLET_SUPPORT_EMAIL;

// The user guide, which the build writes beside Quillet.exe.
constexpr const char* kHelpPageFileName = "Quillet.html";

// What Help opens: the guide beside the program (exePath, UTF-8) when isFile finds it there,
// else the web page.
std::string HelpTarget(const std::string& exePath,
                       const std::function<bool(const std::string&)>& isFile);
// What the user reads when the shell could not open the help (no program opens such files):
// where it is, to open it by hand.
std::string HelpNotOpenedText(const std::string& target);
#endif
