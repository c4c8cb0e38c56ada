#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

// The four languages; the number is stored in the settings file and indexes every
// four-language text group, so the order is fixed.
enum class LanguageId : std::uint8_t { English = 0, German = 1, French = 2, Czech = 3 };
constexpr int kLanguageCount = 4;

// The one process-wide current language, English at process start.
LanguageId currentLanguage();
// A value outside the four languages is stored as English, so no text table is ever
// indexed out of range.
void setCurrentLanguage(LanguageId language);

// Index of a language into a four-language text group; a value outside the four reads
// as English.
constexpr int languageIndex(LanguageId language) {
    const int index = static_cast<int>(language);
    return index < kLanguageCount ? index : 0;
}

// The language chosen by a command-line word: "ENGLISH", "DEUTSCH", "FRANCE" or "CESKY",
// compared exactly (letter case included). Any other word chooses nothing.
std::optional<LanguageId> languageFromArgument(std::string_view word);
