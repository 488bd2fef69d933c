#include "engine/text/FitCaption.h"

#include "engine/text/GbkCut.h"
#include "platform/Gbk.h"

#include <algorithm>
#include <cstdint>

namespace engine {

namespace {

bool IsLead(char c)
{
    return platform::Gbk::IsLeadByte(static_cast<uint8_t>(c));
}

// Ends a text of more than 4 bytes with "..": the last four bytes make way,
// or the last three when cutting four would split a two-byte character.
void ShortenWithDots(std::string& text)
{
    size_t keep = text.size() - 4;
    if (GbkCutLength(text, keep) != keep)
        ++keep;
    text.resize(keep);
    text += "..";
}

} // namespace

Point FitCaption(int width, int height, std::string& text, TextStyle& style, int paddingX, int paddingY,
    int forcedSize)
{
    const int W = width;
    const int H = height;
    const bool givenX = paddingX > 0;
    const bool givenY = paddingY > 0;
    const bool forced = forcedSize > 0;
    text.resize(GbkCutLength(text, kMaxFittedTextBytes));

    Point at;
    while (!text.empty()) {
        int n = static_cast<int>(text.size());
        int h = givenX ? paddingX : 0;
        int v = givenY ? paddingY : 0;
        int64_t t;
        if (givenX) {
            // Unsigned as the width arithmetic always was: a padding wider
            // than the box leaves the height to decide.
            t = static_cast<int64_t>(static_cast<uint32_t>(2 * (W - 2 * h)) / static_cast<uint32_t>(n));
        } else {
            t = 2 * W / (n + 2);
        }
        int u = givenY ? H - 2 * v : static_cast<int>(H / 1.5);
        t = std::min<int64_t>(t, u);
        if (!givenX)
            h = static_cast<int>(t / 2);
        if (!givenY)
            v = static_cast<int>(t / 4);
        if (forced)
            t = forcedSize;
        int size = static_cast<int>(t) & ~1; // down to even
        style.size = size;
        style.fullAdvance = size;
        const int smallest = std::max(12, (H < W ? H : W) / 5);

        bool dotted = false;
        if (forced) {
            while (W - 2 * h < n * size / 2) {
                if (n <= 2) {
                    text.clear();
                    return at;
                }
                if (n <= 4) {
                    text.resize(IsLead(text[0]) ? 2 : 1);
                } else {
                    ShortenWithDots(text);
                    dotted = true;
                }
                n = static_cast<int>(text.size());
            }
        }

        // Characters and the spacing slots between them.
        int half = 0;
        int full = 0;
        for (size_t i = 0; i < text.size();) {
            if (IsLead(text[i])) {
                ++full;
                i += 2;
            } else {
                ++half;
                ++i;
            }
        }
        const bool firstFull = IsLead(text[0]);
        const int slots = (firstFull ? half : half - 1) + 2 * (firstFull ? full - 1 : full);

        const int m = std::max((W - n * size / 2) / (slots + 2), h);
        int spacing = 0;
        if (slots > 0 && (n > 2 || (n > 1 && half > 0)))
            spacing = (W - 2 * m - n * size / 2) / slots;
        style.charSpacing = spacing;
        style.rowSpacing = 0;
        at.x = (W - slots * spacing - n * size / 2) >> 1;
        at.y = (H - size) / 2;
        style.leftMargin = at.x;

        if (half == 0 && n % 4 == 0 && n > 3 && !dotted && !forced) {
            int E = givenX ? 4 * (W - 2 * h) / n : 2 * W / (n / 2 + 2);
            int F = givenY ? (H - 2 * v) / 2 : H / 3;
            E = std::min(E, F);
            const int G = E / 2;
            if (!givenX)
                h = G;
            if (E >= size) {
                size = 2 * G;
                style.size = size;
                style.fullAdvance = size;
                const int pairSlots = slots - 2;
                const int I = std::max((W - n * G / 2) / (pairSlots / 2 + 2), h);
                at.y = std::max((H - 4 * G) / 3, givenY ? paddingY : 0);
                spacing = n > 4 && pairSlots / 2 > 0 ? (W - 2 * I - n * G / 2) / (pairSlots / 2) : 0;
                style.charSpacing = spacing;
                style.rowSpacing = H - 2 * at.y - 2 * size;
                at.x = (W - (pairSlots / 2) * spacing - n * size / 4) >> 1;
                style.leftMargin = at.x;
            }
        }

        if (forced)
            break; // a forced size is fitted in one pass
        if (size >= smallest || n <= 4)
            break;
        ShortenWithDots(text);
    }
    return at;
}

} // namespace engine
