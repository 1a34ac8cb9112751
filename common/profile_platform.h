// The platform's profile-string functions and current directory, handed to the portable
// settings and language rules.
#pragma once
#include "core/profile_access.h"

// GetPrivateProfileStringW and WritePrivateProfileStringW.
const ProfileAccess& PlatformProfile() noexcept;
// GetCurrentDirectoryW.
const DirectorySource& PlatformCurrentDirectory() noexcept;
