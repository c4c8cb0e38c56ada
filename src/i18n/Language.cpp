#include "i18n/Language.h"

#include <array>

namespace {

LanguageId g_currentLanguage = LanguageId::English;

constexpr std::array<std::string_view, kLanguageCount> kArgumentWords = {"ENGLISH", "DEUTSCH", "FRANCE", "CESKY"};

}  // namespace

LanguageId currentLanguage() { return g_currentLanguage; }

void setCurrentLanguage(LanguageId language) { g_currentLanguage = static_cast<LanguageId>(languageIndex(language)); }

std::optional<LanguageId> languageFromArgument(std::string_view word) {
    for (int i = 0; i < kLanguageCount; ++i) {
        if (word == kArgumentWords[static_cast<std::size_t>(i)]) return static_cast<LanguageId>(i);
    }
    return std::nullopt;
}
