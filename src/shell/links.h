#pragma once

// The product's web addresses, until a real site exists.
inline constexpr const char* kSiteUrl = "https://nibbly.example.org/";
inline constexpr const char* kProductPageUrl = "https://nibbly.example.org/game/";
inline constexpr const char* kAppTitle = "Nibbly";
