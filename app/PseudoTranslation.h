// Pseudo-translation: a made-up translation of every string, built from its original, so that the
// layout can be checked before any translator starts. Letters turn into accented look-alikes,
// brackets mark where the text ends, and padding of a wide letter makes it as long as translations
// tend to grow.
// Pure text work.
#pragma once

#include <optional>
#include <string>
#include <string_view>

// The pseudo-locale: offered beside the platform's languages, translated from the originals and
// never written to a file.
constexpr int kPseudoLanguageId = 0x0501;
constexpr wchar_t kPseudoLocaleName[] = L"qps-ploc";
constexpr wchar_t kPseudoLanguageName[] = L"Pseudo (expanded)";

inline bool IsPseudoLanguage(int languageId) {
    return languageId == kPseudoLanguageId;
}

// How much longer the pseudo text gets, in percent of the original's length: short texts grow most
// (up to 10 characters 100 %, up to 20 60 %, up to 50 40 %, longer 30 %), as translations do.
int PseudoGrowthPercent(size_t originalLength);

// The pseudo-translation of an original. Kept as they are, so that every text check passes and the
// program would work with it: placeholders (printf, positional, braced, Windows "%1!d!"), "&&", the
// accelerator's letter (the key stays the same), line breaks, leading and trailing white space and
// a closing end mark ("...", ":", "?"). growthPercent: a flat growth instead of the length table.
std::wstring PseudoTranslate(std::wstring_view original, std::optional<int> growthPercent = std::nullopt);
