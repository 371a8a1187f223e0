// The version record's texts and the version numbers, from the one place
// the version is set (project(VERSION), through brisklet_version.h). Read by
// the resource compiler too, so the C++ part is kept from it.
#pragma once

#include "brisklet_version.h"

#define BRISKLET_FILE_VERSION BRISKLET_VERSION_MAJOR, BRISKLET_VERSION_MINOR, BRISKLET_VERSION_RELEASE, 0
#define BRISKLET_PRODUCT_VERSION BRISKLET_VERSION_MAJOR, BRISKLET_VERSION_MINOR, 0, 0
#define BRISKLET_PRODUCT_NAME "Brisklet for HOX Vostek"
#define BRISKLET_COMMENTS "Brisklet - change Status, xStatus for random humor text"
#define BRISKLET_COMPANY "Orvane software"
#define BRISKLET_FILE_NAME "Brisklet.dll"
#define BRISKLET_COPYRIGHT_REST " Orvane software, 2008-2026, Russia"
#define BRISKLET_COPYRIGHT "Copyright (c)" BRISKLET_COPYRIGHT_REST

#ifndef RC_INVOKED
#include <cstdint>

// Shown in the options window, compared by the update check, and given to
// the host in the info record (major and minor).
inline constexpr int32_t VersionMajor = BRISKLET_VERSION_MAJOR;
inline constexpr int32_t VersionMinor = BRISKLET_VERSION_MINOR;
inline constexpr int32_t VersionRelease = BRISKLET_VERSION_RELEASE;
#endif
