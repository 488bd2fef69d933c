#pragma once
// The skin maker: draws, in code, every picture the frame loads by name and
// makes every sound it plays, and writes them into the program directory
// where the frame looks for them, so the client runs with a skin of its own.
//
// Under the program directory:
//   skins/frame.vkr        the frame's pictures and named sounds (pps, WAV)
//   skins/vkface_bobo.vkr  the animated faces ("vkf..." box heads)
//   skins/skin.ini         [CommColors] and [BitmapResource] of the skin
//   skins/CommDlgBK.bmp    the wait dialog's background
//   sound/<id>.wav         the program's own sounds 29010 to 29015
//
// The theme is a card table: green felt, dark wood with gold trim, cream
// paper in the boxes. Text in the pictures is drawn with the platform's
// font renderer; names are GBK like every text of the system.

#include "engine/core/PictureData.h"

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace platform {
class FontRenderer;
}

namespace tools {

inline constexpr const char* kSkinFramePack = "skins/frame.vkr";
inline constexpr const char* kSkinFacePack = "skins/vkface_bobo.vkr";
inline constexpr const char* kSkinIni = "skins/skin.ini";
inline constexpr const char* kSkinDialogBackground = "CommDlgBK.bmp"; // beside the skin ini
inline constexpr const char* kSkinSoundDir = "sound";
inline constexpr int kFirstProgramSound = 29010;
inline constexpr int kProgramSoundCount = 6;

struct SkinPicture {
    std::string name; // GBK, without extension
    engine::PictureData picture;
};

struct SkinSound {
    std::string name; // GBK, without extension
    std::vector<uint8_t> wav;
};

// The frame's pictures: title bar and borders, title buttons, table
// background, boards, box templates and their buttons, badges.
std::vector<SkinPicture> DrawFramePictures(platform::FontRenderer& font);
// The animated faces shown at the left of message boxes.
std::vector<SkinPicture> DrawFacePictures(platform::FontRenderer& font);
// The frame's named sounds. Spoken ones use espeak-ng when it is installed
// and `allowVoice` is set; otherwise they are tones like the rest.
std::vector<SkinSound> MakeFrameSounds(bool allowVoice);
// The program's own sounds, 29010 first.
std::vector<std::vector<uint8_t>> MakeProgramSounds();
// The wait dialog's background (its whole client area, 311 x 68).
engine::PictureData DrawDialogBackground(platform::FontRenderer& font);
// The text of skins/skin.ini (CRLF lines).
std::string SkinIniText();

// 16-bit mono PCM samples as a WAV file.
std::vector<uint8_t> EncodeWav(const std::vector<int16_t>& samples, int rate);
// Frame 0 of a 32-bit picture as a 24-bit bottom-up BMP file.
std::vector<uint8_t> EncodeBmp(const engine::PictureData& picture);
// Every frame of every picture side by side on a neutral ground, each row
// labelled with the picture's name: one picture to look the skin over.
engine::PictureData ContactSheet(const std::vector<SkinPicture>& pictures, platform::FontRenderer& font);

// The pictures put together as the frame shows them (title bar, table,
// quit board): one picture to judge the skin as a whole.
engine::PictureData DrawPreview(platform::FontRenderer& font);

// What the areas of the client add to the skin. Pictures and sounds are
// keyed by the pack they go into (a path under the program directory, such
// as kSkinFramePack); areas that add to the same pack are merged into it.
// Loose files (INI, BMP, WAV) are keyed by their path under the program
// directory.
struct SkinFiles {
    std::map<std::string, std::vector<SkinPicture>> pictures;
    std::map<std::string, std::vector<SkinSound>> sounds;
    std::map<std::string, std::vector<uint8_t>> files;
    // Other resources of a pack (such as texts), each a file name with its
    // extension and its bytes.
    std::map<std::string, std::vector<std::pair<std::string, std::vector<uint8_t>>>> entries;
    // Speak the game's voice pack with espeak-ng (slow: asked for).
    bool speakVoices = false;
};

// Each area draws its own resources, in its own source file.
using SkinArea = void (*)(SkinFiles& skin, platform::FontRenderer& font);
void DrawCardSkin(SkinFiles& skin, platform::FontRenderer& font);      // card faces, backs, corners, marks
void DrawBoardSkin(SkinFiles& skin, platform::FontRenderer& font);     // player boards, badges, digits, lamps
void DrawCardTableSkin(SkinFiles& skin, platform::FontRenderer& font); // the card table's buttons and signs
void DrawSidePaneSkin(SkinFiles& skin, platform::FontRenderer& font);  // system pane, chat box, input bar
void DrawSideListSkin(SkinFiles& skin, platform::FontRenderer& font);  // user list, operate and advertisement bars
void DrawGamePanelSkin(SkinFiles& skin, platform::FontRenderer& font); // counter, settings, emoticons, marquee, bubbles
void DrawMatchSkin(SkinFiles& skin, platform::FontRenderer& font);     // match panels, safe box, keypad
void DrawReplaySkin(SkinFiles& skin, platform::FontRenderer& font);    // the replay panel
void DrawGameTableSkin(SkinFiles& skin, platform::FontRenderer& font); // this game's table: deal, results, voices
void DrawCardPlaySkin(SkinFiles& skin, platform::FontRenderer& font);  // the table in play: info box, pass mark, play sounds
void DrawFriendTableSkin(SkinFiles& skin, platform::FontRenderer& font); // game table: clock, result box, bonus frames
void DrawVoiceSkin(SkinFiles& skin, platform::FontRenderer& font);       // the game's voices, effects and music
void DrawRewardSkin(SkinFiles& skin, platform::FontRenderer& font);      // fireworks of a bonus and their cheer

// One area a line, so that an area added is a line added.
inline constexpr SkinArea kSkinAreas[] = {
    DrawCardSkin,
    DrawBoardSkin,
    DrawCardTableSkin,
    DrawSidePaneSkin,
    DrawSideListSkin,
    DrawGamePanelSkin,
    DrawMatchSkin,
    DrawReplaySkin,
    DrawGameTableSkin,
    DrawCardPlaySkin,
    DrawFriendTableSkin,
    DrawVoiceSkin,
    DrawRewardSkin,
};

// Writes the whole skin under programDir (created as needed). False with a
// reason when a file cannot be written.
// speakVoices: the game's voice pack spoken too (when allowVoice is set).
bool WriteSkin(const std::string& programDir, bool allowVoice, std::string& error, bool speakVoices = false);

// The skin a visual check shows: the one a test run drew once for all its
// checks (the directory KBZN_TEST_SKIN names), else one drawn here into
// scratch (without voices). Empty, with a reason, when there is none. A
// directory other than scratch is shared: the check only reads it.
std::string SkinForCheck(const std::string& scratch, std::string& error);

} // namespace tools
