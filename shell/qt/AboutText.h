#pragma once
// The About box's texts and the addresses its links open. The addresses live here alone;
// they stay under the reserved example.org domain until the project has its own.

#include <string>

#include "model/Version.h"

namespace tallowmark::about {

inline const std::string kWebSiteName = "www.example.org";
inline const std::string kWebSiteUrl = "https://" + kWebSiteName + "/";
inline const std::string kForumUrl = kWebSiteUrl + "forum";
inline const std::string kSupportAddress = "support@example.org";
inline const std::string kEmailUrl = "mailto:" + kSupportAddress;

inline const std::string kVersionLine = std::string(kProductName) + " " + kProductVersion;
inline const std::string kCopyright = "Copyright (C) 2026 Brackwater. All rights reserved.";
inline const std::string kDescription =
    "Even after clearing your history, deleting your cookies and emptying your cache, your index.dat files still "
    "contain a record of some of your Internet activities. Tallowmark exposes this data for you, so you can see for "
    "yourself what information Windows is keeping about your online activities.\r\n\r\n" +
    kWebSiteName + " -- Helping you protect your privacy.\r\n\r\n";
// Asked before the e-mail link opens: Yes sends the user to the forum instead.
inline constexpr const char* kEmailQuestion =
    "Due to the volume of e-mail I receive, I regret that I cannot respond to every e-mail. If you want support for "
    "Tallowmark, you'll get a much quicker reponse by posting a message on the Tallowmark support forum. Do you have a "
    "question about Tallowmark or want support?";

}  // namespace tallowmark::about
