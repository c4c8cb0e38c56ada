#pragma once

#include <cstdint>

// The four languages; the number is stored in the settings file and indexes every
// four-language text group, so the order is fixed.
enum class LanguageId : std::uint8_t { English = 0, German = 1, French = 2, Czech = 3 };
constexpr int kLanguageCount = 4;

// The one process-wide current language, English at process start.
LanguageId currentLanguage();
void setCurrentLanguage(LanguageId language);
