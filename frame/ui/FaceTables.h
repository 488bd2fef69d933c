#pragma once
// The two text tables every chat surface shares: the emoticon codes ("#"
// followed by two Chinese characters, GBK) whose pictures are "vkf" + the
// two characters (animated) and "vkfs" + the two characters (the picker's
// small grid picture), and the game's sixteen quick-chat phrases.

#include <span>
#include <string>
#include <string_view>

namespace frame {

inline constexpr int kEmoticonCount = 77;
inline constexpr int kQuickChatCount = 16;
// "#" and two double-byte characters.
inline constexpr size_t kEmoticonCodeBytes = 5;

// The codes in their fixed order (GBK, each kEmoticonCodeBytes long).
std::span<const std::string_view> EmoticonCodes();
// The phrases in their fixed order (GBK).
std::span<const std::string_view> QuickChatPhrases();

// True when the text is exactly one of the codes.
bool IsEmoticonCode(std::string_view text);
// True when the text contains a '#' that starts one of the codes.
bool ContainsEmoticon(std::string_view text);
// The name of a code (the text after '#'), and the pictures of a name.
std::string_view EmoticonName(std::string_view code);
std::string EmoticonPicture(std::string_view name);
std::string EmoticonSmallPicture(std::string_view name);

} // namespace frame
