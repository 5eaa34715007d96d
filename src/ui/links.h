#pragma once

// The maker's pages and support address that the program opens through the shell.
constexpr const char* kHelpPageUrl = "https://quillet.example.org/help/";
constexpr const char* kHomePageUrl = "https://quillet.example.org/";
constexpr const char* kContactPageUrl = "https://quillet.example.org/contact/";
constexpr const char* kSupportEmail = "support@quillet.example.org";
